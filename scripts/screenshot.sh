#!/usr/bin/env bash
# Starts Sonvera on a virtual display with a few files in its list and saves a
# picture of the window at scale 1 (docs/screenshot.png) and 2 (docs/screenshot@2x.png).
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/Sonvera/sonvera
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
samples="$work/我的视频"
mkdir -p "$samples"
for name in "旅行记录 2009.flv" "毕业晚会.flv" "talk.part1.flv" "猫和老鼠 第3集.FLV" "demo_reel.flv"; do
  : > "$samples/$name"
done
mkdir -p docs
export XDG_RUNTIME_DIR="$work/runtime" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 1600x1200x24" "$program" --screenshot docs/screenshot.png "$samples"/*
QT_SCALE_FACTOR=2 xvfb-run -a -s "-screen 0 2400x1600x24" "$program" --screenshot docs/screenshot@2x.png "$samples"/*
QT_QPA_PLATFORM=offscreen build/tests/dialog_screenshots docs
echo "Wrote docs/screenshot.png, docs/screenshot@2x.png, docs/restore-question.png and docs/countdown.png"
