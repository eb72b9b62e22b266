#!/usr/bin/env bash
# Batch overhead of sonvera-cli against a shell loop of the equivalent bare
# ffmpeg commands, on 20 one-second FLV clips, for MP3 and MPG; and the
# driver's gap between an encoder's end and the next run's start.
#   bench/engine/bench_batch.sh [RUNS]      (run from the project folder after `make`)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
program=build/Sonvera
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/clips"
for i in $(seq -w 1 20); do
  ffmpeg -nostdin -loglevel error -f lavfi -i "testsrc=size=320x240:rate=25:duration=1" \
    -f lavfi -i "sine=frequency=440:duration=1:sample_rate=44100" -ac 2 \
    -c:v flv1 -b:v 300k -c:a libmp3lame -b:a 64k -shortest "$work/clips/clip$i.flv"
done

now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# What coder and conv do for one file, as bare ffmpeg commands.
bare_mp3() { ffmpeg -nostdin -loglevel error -y -i "$1" -vn -ar 48000 -c:a libmp3lame -b:a 320k -ac 2 "$2.mp3"; }
bare_mpg() { ffmpeg -nostdin -loglevel error -y -i "$1" -c:v mpeg1video -b:v 600k -r 24 -strict unofficial \
               -c:a mp2 -ar 44100 -ac 2 -b:a 64k -f mpeg "$2.mpg"; }

for format in mp3 mpg; do
  cli=(); loop=()
  for r in $(seq "$runs"); do
    rm -rf "$work/out"; mkdir -p "$work/out"
    t0=$(now); "$program/sonvera-cli" -q -f "$format" -o "$work/out" "$work/clips" >/dev/null; t1=$(now)
    cli+=($(( (t1 - t0) / 1000000 )))
    rm -rf "$work/out"; mkdir -p "$work/out"
    t0=$(now); for c in "$work"/clips/*.flv; do "bare_$format" "$c" "$work/out/$(basename "$c" .flv)"; done; t1=$(now)
    loop+=($(( (t1 - t0) / 1000000 )))
  done
  c=$(printf '%s\n' "${cli[@]}" | median); l=$(printf '%s\n' "${loop[@]}" | median)
  echo "$format: sonvera-cli ${c} ms, bare ffmpeg loop ${l} ms, per-file overhead $(( (c - l) / 20 )) ms, ratio $(awk "BEGIN {printf \"%.3f\", $c / $l}")"
done

index() { case $1 in mp3) echo 8;; mpg) echo 2;; esac; }
for format in mp3 mpg; do
  rm -rf "$work/out"; mkdir -p "$work/out"
  echo "$format driver: $(build/bench/bench_driver "$program" "$(index $format)" "$work/out" "$work"/clips/*.flv)"
done
