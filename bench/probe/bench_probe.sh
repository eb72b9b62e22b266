#!/usr/bin/env bash
# The list's probe: its CPU per file, and what it costs a batch beside it.
#   1. CPU a file of data/probe (one process over N files; with and without
#      thumbnails) against the two processes a file it replaced (ffprobe, then
#      an ffmpeg thumbnail), on N copies of a one-second FLV clip.
#   2. A 20-file sonvera-cli batch (one-second clips to MP3) with and without a
#      window beside it that lists and probes 2,000 files (the real window on a
#      virtual display, the folder given on its command line), runs
#      interleaved, medians of the wall time.
#   3. The probe's peak memory on a source declaring a 16000x16000 picture,
#      and that source converting to MP3.
#   bench/probe/bench_probe.sh [RUNS] [N]   (run from the project folder after `make build`)
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
n=${2:-200}
root=$PWD
work=$(mktemp -d)
trap 'for j in $(jobs -p); do kill -- -"$j" 2>/dev/null || true; done; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
clip() {
  ffmpeg -nostdin -loglevel error -f lavfi -i "testsrc=size=320x240:rate=25:duration=1" \
    -f lavfi -i "sine=frequency=440:duration=1:sample_rate=44100" -ac 2 \
    -c:v flv1 -b:v 300k -c:a libmp3lame -b:a 64k -shortest "$1"
}
clip "$work/one.flv"

echo "== 1. CPU a file, $n files"
mkdir "$work/many"
for i in $(seq -w 1 "$n"); do cp "$work/one.flv" "$work/many/clip$i.flv"; done
requests() { # thumbnail flag
  local id=0
  for f in "$work"/many/*.flv; do id=$((id + 1)); printf '%d %d %d\n%s' "$id" "$1" "${#f}" "$f"; done
}
cpu_of() { /usr/bin/time -f '%U %S' "$@" 2>&1 >/dev/null | tail -1 | awk '{print $1 + $2}'; }
for thumbs in 0 1; do
  requests $thumbs > "$work/requests"
  s=$(cpu_of build/Sonvera/data/probe < "$work/requests")
  echo "data/probe, thumbnails $thumbs: $(awk "BEGIN {printf \"%.1f\", $s * 1000 / $n}") ms a file"
done
old() {
  for f in "$work"/many/*.flv; do
    ffprobe -v error -print_format json -show_entries format=duration:stream=codec_type,width,height -i "file:$f"
    ffmpeg -nostdin -v error -ss 0.20 -i "file:$f" -an -sn -frames:v 1 -vf scale=-2:64 -f image2pipe -c:v png -
  done
}
s=$(cpu_of bash -c "$(declare -f old); work='$work'; old")
echo "ffprobe + ffmpeg thumbnail (the two processes a file): $(awk "BEGIN {printf \"%.1f\", $s * 1000 / $n}") ms a file"

echo "== 2. a 20-file batch beside a window probing 2,000 files (${runs} runs each, interleaved)"
mkdir "$work/clips" "$work/listed"
for i in $(seq -w 1 20); do clip "$work/clips/clip$i.flv"; done
for i in $(seq -w 1 2000); do cp "$work/one.flv" "$work/listed/listed$i.flv"; done
cp -r build/Sonvera "$work/program"
batch() {
  rm -rf "$work/out"; mkdir "$work/out"
  local t0 t1; t0=$(date +%s%N)
  "$work/program/sonvera-cli" -q -f mp3 -o "$work/out" "$work/clips" >/dev/null
  t1=$(date +%s%N); echo $(( (t1 - t0) / 1000000 ))
}
alone=(); beside=()
for r in $(seq "$runs"); do
  alone+=("$(batch)")
  rm -f "$work/program"/*.ini "$work/program/journal.dat"
  # A session of its own, so that the window, its display and its probe end together.
  setsid xvfb-run -a -s "-screen 0 1366x768x24" "$work/program/sonvera" "$work/listed" >/dev/null 2>&1 &
  window=$!
  # Until the probe helper runs: the window is up and probing.
  until pgrep -f "$work/program/data/probe" >/dev/null; do sleep 0.1; done
  beside+=("$(batch)")
  helper=$(pgrep -f "$work/program/data/probe" | head -1 || true)
  [[ -n "$helper" ]] && echo "  probe helper CPU so far: $(awk '{print ($14 + $15) * 10}' "/proc/$helper/stat") ms"
  kill -- -"$window" 2>/dev/null || true; wait "$window" 2>/dev/null || true
  while pgrep -f "$work/program/sonvera " >/dev/null; do sleep 0.1; done
done
a=$(printf '%s\n' "${alone[@]}" | median); b=$(printf '%s\n' "${beside[@]}" | median)
echo "alone: ${alone[*]} ms; beside the window: ${beside[*]} ms"
echo "medians: alone $a ms, beside $b ms, ratio $(awk "BEGIN {printf \"%.3f\", $b / $a}")"

echo "== 3. a source declaring 16000x16000"
ffmpeg -nostdin -v error -f lavfi -i color=c=gray:size=16000x16000:rate=1:duration=2 \
  -f lavfi -i sine=duration=2 -c:v mjpeg -q:v 31 -c:a pcm_s16le -shortest "$work/huge.avi"
f=$work/huge.avi
printf '1 1 %d\n%s' "${#f}" "$f" > "$work/request"
(ulimit -v 524288; /usr/bin/time -f 'data/probe (thumbnail asked, 512 MB address-space cap): peak %M KB, %e s' \
  build/Sonvera/data/probe < "$work/request" | head -1)
/usr/bin/time -f 'the ffmpeg thumbnail it replaced: peak %M KB, %e s' ffmpeg -nostdin -v error -ss 0.4 -i "file:$f" \
  -an -sn -frames:v 1 -vf scale=-2:64 -f image2pipe -c:v png - 2>&1 >/dev/null | tail -1
rm -rf "$work/out"; mkdir "$work/out"
build/Sonvera/sonvera-cli -q -f mp3 -o "$work/out" "$f" && echo "converted: $(ls "$work/out")"
