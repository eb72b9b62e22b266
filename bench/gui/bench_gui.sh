#!/usr/bin/env bash
# The window's benchmarks on a virtual display: launch to first paint, the
# folder search over a generated tree of 100,000 entries against `find`, the
# longest stall of the event loop during the search and during a batch, and
# the window's CPU time and longest stall to list a folder of 10,000, 50,000
# and 100,000 files and to restore a journal of as many rows; the same for a
# batch of 16,000 and 64,000 files that all fail before an encoder starts.
#   bench/gui/bench_gui.sh [RUNS] [SECTIONS]   (run from the project folder after `make`)
# SECTIONS: any of "paint search batch list fail" (default: all).
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
sections=${2:-paint search batch list fail}
want() { [[ " $sections " == *" $1 "* ]]; }
bench=build/bench/bench_gui
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
run() { xvfb-run -a -s "-screen 0 1600x1200x24" "$@"; }

if want paint; then
echo "== launch to first paint (${runs} runs)"
for r in $(seq "$runs"); do run "$bench" first-paint; done
fi

if want search; then
echo "== folder search: 1,000 folders x 99 files + the folders = 100,000 entries, every 10th a .flv"
tree="$work/tree"
python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(1000):
    folder = os.path.join(root, f"d{d // 100}", f"s{d}")
    os.makedirs(folder, exist_ok=True)
    for f in range(99):
        name = f"clip{f}.flv" if f % 10 == 0 else f"note{f}.txt"
        open(os.path.join(folder, name), "w").close()
PY
echo "entries: $(find "$tree" -mindepth 1 | wc -l)"
for r in $(seq "$runs"); do
  sync; t0=$(date +%s%N); n=$(find "$tree" -iname '*.flv' -type f | wc -l); t1=$(date +%s%N)
  echo "find_ms $(( (t1 - t0) / 1000000 )) found $n"
  run "$bench" search "$tree"
done
fi

if want batch; then
echo "== batch of 4 ten-second clips to MP3 and RMVB (real encoders)"
for i in 1 2 3 4; do
  ffmpeg -nostdin -loglevel error -f lavfi -i "testsrc=size=480x270:rate=30:duration=10" \
    -f lavfi -i "sine=frequency=440:duration=10" -ac 2 -c:v libx264 -c:a aac "$work/clip$i.flv"
done
for format in 8 0; do run "$bench" batch "$PWD/build/Sonvera" "$format" "$work"/clip*.flv; done
fi

if want list; then
echo "== a folder of N files listed, a journal of N rows restored: CPU without, stall with the heartbeat"
for n in 10000 50000 100000; do
  folder="$work/list$n"
  mkdir "$folder"
  (cd "$folder" && seq -f "clip%06g.flv" 1 "$n" | xargs touch)
  for r in $(seq "$runs"); do
    BENCH_HEARTBEAT=0 run "$bench" list "$folder" "$n"
    run "$bench" list "$folder" "$n"
    BENCH_HEARTBEAT=0 run "$bench" restore "$n"
    run "$bench" restore "$n"
  done
done
fi

if want fail; then
echo "== a folder of N files, every one failing before an encoder starts, started twice: CPU and longest stall"
for n in 16000 64000; do
  folder="$work/fail$n"
  mkdir "$folder"
  (cd "$folder" && seq -f "clip%06g.flv" 1 "$n" | xargs touch)
  for r in $(seq "$runs"); do run "$bench" fail "$folder" "$n" | grep '^fail'; done
done
fi
