#!/usr/bin/env bash
# One scene of scripts/screenshot.sh, run on a virtual screen under a window
# manager (scripts/under-window-manager.sh):
#   screenshot-scene.sh SOURCE-DIR DOCS VIDEOS-FOLDER SCENE SUFFIX NAMES...
# SCENE "all" photographs the window in the middle of a batch, after it and
# with the options dialog; "after" only after the batch. Every wait is for the
# thing itself: a window, a file, a file that grows.
set -euo pipefail
root=$1 docs=$2 folder=$3 scene=$4 suffix=$5
shift 5
videos="$HOME/$folder"
program="$HOME/.local/lib/sonvera"
mkdir -p "$videos" "$program"
cp -r "$root/build/Sonvera/sonvera" "$root/build/Sonvera/data" "$root/build/Sonvera/help.html" \
  "$root/build/Sonvera/help_en.html" "$root/build/Sonvera/sound.wav" "$program/"
# Nothing opens over the window when the batch ends: an opener that opens
# nothing, and notes that it was asked (the batch is over).
mkdir -p "$HOME/bin"
printf '#!/bin/sh\necho "$1" >> "$HOME/opened"\n' > "$HOME/bin/xdg-open" && chmod +x "$HOME/bin/xdg-open"
export PATH="$HOME/bin:$PATH"

# The clips: short ones, and a longer second one that is still converting
# when the first is done.
clip() { ffmpeg -v error -y -f lavfi -i "$2" -f lavfi -i "sine=frequency=$3:duration=$4" -t "$4" \
  -c:v flv1 -q:v 5 -c:a libmp3lame -shortest "$videos/$1"; }
clip "$1" "testsrc=size=480x270:rate=25" 440 4
clip "$2" "mandelbrot=size=640x360:rate=25" 523 40
clip "$3" "smptebars=size=320x240:rate=15" 330 8
clip "$4" "life=size=352x288:mold=10:rate=15:ratio=0.1:death_color=#C83232:life_color=#00ff00" 660 6
files=()
for name in "$@"; do files+=("$videos/$name"); done

# The portable copy keeps its settings beside it: the output folder in the
# videos folder, as an installed copy would have it; RMVB, a format of two steps.
output="$videos/Sonvera"
printf '"-1"\r\n"-1"\r\n"-1"\r\n"%s"\r\n"0"\r\n' "~/$folder/Sonvera" > "$program/setup.ini"

"$program/sonvera" "${files[@]}" 2>"$HOME/sonvera.log" &
pid=$!
window=$(xdotool search --sync --name '^Sonvera $' | head -1)
xdotool windowactivate --sync "$window"
# The window's part of the screen, as the window manager shows it, once it
# has stopped changing (the window has painted what it was told).
photo() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  local crop="${WIDTH}x${HEIGHT}+${X}+${Y}" last="$HOME/last.png" now="$HOME/now.png"
  import -window root -crop "$crop" +repage "$last"
  while import -window root -crop "$crop" +repage "$now" && ! cmp -s "$last" "$now"; do mv "$now" "$last"; done
  mv "$now" "$docs/$1"
}
part_grown() { find "$output" -name '.sonvera-*.part' -size +300k 2>/dev/null | grep -q .; }
outputs() { find "$output" -maxdepth 1 -name '*.rmvb' 2>/dev/null | wc -l; }

xdotool key --window "$window" ctrl+Return
if [[ $scene == all ]]; then
  # The first file done, the second well under way.
  until { [[ $(outputs) -ge 1 ]] && part_grown; } || [[ -s "$HOME/opened" ]]; do sleep 0.2; done
  if [[ -s "$HOME/opened" ]]; then
    echo "screenshot-scene.sh: the batch ended before its picture was taken" >&2
    exit 1
  fi
  photo "screenshot-batch$suffix.png"
fi
# The end of the batch opens the output folder.
until [[ -s "$HOME/opened" ]]; do sleep 0.2; done
photo "screenshot$suffix.png"
if [[ $scene == all ]]; then
  xdotool key --window "$window" ctrl+comma
  # The dialog is the program's second window on screen. (Its title cannot be
  # searched for: Qt writes a Chinese one to WM_NAME as Latin-1.)
  until xdotool search --onlyvisible --class Sonvera | grep -qvx "$window"; do sleep 0.2; done
  photo "screenshot-options$suffix.png"
fi
kill "$pid"
wait "$pid" || true
