#!/usr/bin/env bash
# Runs a test program on a Wayland desktop of its own, as a user of a Wayland
# session (GNOME's default) meets the window:
#   under-weston.sh WIDTHxHEIGHT SCALE PROGRAM [ARGUMENTS...]
# starts Weston's headless compositor (rendering with pixman, so that
# weston-screenshooter can take pictures of it) on a socket in a private
# runtime folder, then PROGRAM on Qt's Wayland platform with WAYLAND_DISPLAY
# set; and stops the compositor after.
set -euo pipefail
size=$1 scale=$2
shift 2
work=$(mktemp -d)
chmod 700 "$work"
cleanup() {
  [[ -n "${weston:-}" ]] && kill "$weston" 2>/dev/null && wait "$weston" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$work
# --debug lets weston-screenshooter take pictures; the idle time of 0 keeps
# the screen from blanking under a long test.
weston --backend=headless-backend.so --use-pixman --socket=sonvera-test --no-config --idle-time=0 --debug \
  --width="${size%x*}" --height="${size#*x}" >"$work/weston.log" 2>&1 &
weston=$!
# Weston says nothing when it is ready: its socket appears then.
for _ in $(seq 200); do
  [[ -S "$work/sonvera-test" ]] && break
  kill -0 "$weston" 2>/dev/null || { cat "$work/weston.log" >&2; exit 1; }
  sleep 0.05
done
[[ -S "$work/sonvera-test" ]] || { echo "weston did not start" >&2; cat "$work/weston.log" >&2; exit 1; }

unset DISPLAY
WAYLAND_DISPLAY=sonvera-test QT_QPA_PLATFORM=wayland QT_SCALE_FACTOR=$scale "$@"
