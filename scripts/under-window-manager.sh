#!/usr/bin/env bash
# Runs a test program on a virtual screen of its own under a window manager,
# as a desktop user would meet the window:
#   under-window-manager.sh WIDTHxHEIGHT SCALE PROGRAM [ARGUMENTS...]
# starts Xvfb on a free display (it names the display once it is ready),
# openbox on it (which runs a command once it is managing the screen), then
# PROGRAM on Qt's xcb platform at QT_SCALE_FACTOR=SCALE; and stops both after.
set -euo pipefail
size=$1 scale=$2
shift 2
work=$(mktemp -d)
cleanup() {
  [[ -n "${wm:-}" ]] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  [[ -n "${xvfb:-}" ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
read -r number <"$work/display"
export DISPLAY=":$number"

mkfifo "$work/ready"
openbox --startup "sh -c 'echo ready >$work/ready'" >"$work/openbox.log" 2>&1 &
wm=$!
read -r _ <"$work/ready"

QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale "$@"
