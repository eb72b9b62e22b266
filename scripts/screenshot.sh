#!/usr/bin/env bash
# Pictures of Sonvera as its users meet it, for the README and the docs:
# the real program on a virtual screen under a window manager (openbox),
# driven with the keyboard (xdotool) and photographed (ImageMagick's import),
# in both languages:
#   docs/screenshot-batch{,-en}.png    the main window in the middle of a batch
#   docs/screenshot{,-en}.png          the main window after it
#   docs/screenshot-options{,-en}.png  the options dialog over it
# on a 1366x768 screen, and docs/screenshot{,-en}@2x.png after a batch on a
# 1920x1080 screen at 200 %; then the restore question and the after-batch
# countdown alone (docs/restore-question{,-en}.png, docs/countdown{,-en}.png);
# and the window with its options dialog on Wayland under a headless Weston
# (docs/wayland.png, taken by the Wayland test lane with weston-screenshooter).
#
# The program runs from a copy of its folder in a temporary HOME (ending in
# /user), on clips generated here, so the pictures show neutral paths
# (~/视频/..., ~/Videos/... in the list, .../user/视频/Sonvera/ as the output
# folder) and no settings of the developer's own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
docs=$root/docs
mkdir -p "$docs"
work=$(mktemp -d /tmp/sonvera-shots.XXXXXX)
trap 'rm -rf "$work"' EXIT
unset LC_ALL LC_MESSAGES LC_TIME LC_NUMERIC LANGUAGE SONVERA_LANG

# shoot LANG VIDEOS-FOLDER SIZE SCALE SCENE PICTURE-SUFFIX NAMES...
shoot() {
  local lang=$1 folder=$2 size=$3 scale=$4 scene=$5 suffix=$6
  shift 6
  local home="$work/$scene-$scale$suffix/user"
  mkdir -p "$home/.runtime" && chmod 0700 "$home/.runtime"
  HOME=$home XDG_RUNTIME_DIR=$home/.runtime LANG=$lang \
    "$root/scripts/under-window-manager.sh" "$size" "$scale" \
    "$root/scripts/screenshot-scene.sh" "$root" "$docs" "$folder" "$scene" "$suffix" "$@"
}

zh=("旅行记录 2009.flv" "毕业晚会.flv" "猫和老鼠 第3集.FLV" "demo_reel.flv")
en=("holiday 2009.flv" "graduation party.flv" "cartoon episode 3.FLV" "demo_reel.flv")
shoot C.UTF-8 视频 1366x768 1 all "" "${zh[@]}"
shoot en_US.UTF-8 Videos 1366x768 1 all "-en" "${en[@]}"
shoot C.UTF-8 视频 1920x1080 2 after "@2x" "${zh[@]}"
shoot en_US.UTF-8 Videos 1920x1080 2 after "-en@2x" "${en[@]}"

LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen build/tests/dialog_screenshots "$docs"
LANG=en_US.UTF-8 QT_QPA_PLATFORM=offscreen build/tests/dialog_screenshots "$docs" -en
SONVERA_SCREENSHOT=$docs/wayland.png LANG=C.UTF-8 scripts/under-weston.sh 1366x768 1 \
  build/tests/tst_windowwayland theWindowMapsAndItsDialogsAttach
echo "Wrote docs/screenshot{,-batch,-options}{,-en}.png, docs/screenshot{,-en}@2x.png," \
  "docs/restore-question{,-en}.png, docs/countdown{,-en}.png and docs/wayland.png"
