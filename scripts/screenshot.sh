#!/usr/bin/env bash
# Starts Sonvera on a virtual display with a few files in its list and saves a
# picture of the window in both languages, at scale 1 and 2:
# docs/screenshot.png, docs/screenshot@2x.png (Chinese) and
# docs/screenshot-en.png, docs/screenshot-en@2x.png (English); then the
# restore question and the after-batch countdown alone, in both languages.
#
# The program runs from a copy of its folder in a temporary HOME, so the
# pictures show neutral paths (~/视频/..., ~/Videos/...) and no settings of
# the developer's own.
set -euo pipefail
cd "$(dirname "$0")/.."
docs=$PWD/docs
mkdir -p "$docs"
home=$(mktemp -d /tmp/home.XXXXXX)
trap 'rm -rf "$home"' EXIT
export HOME=$home
export XDG_RUNTIME_DIR="$home/.runtime" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
unset LC_ALL LC_MESSAGES LANGUAGE SONVERA_LANG

program="$home/.local/lib/sonvera"
mkdir -p "$program"
cp -r build/Sonvera/sonvera build/Sonvera/data build/Sonvera/help.html build/Sonvera/help_en.html \
  build/Sonvera/sound.wav "$program/"

# shoot <LANG> <videos folder name> <picture name> <sample names...>
shoot() {
  local lang=$1 folder=$2 videos="$home/$2" picture=$3
  shift 3
  mkdir -p "$videos"
  local files=()
  for name in "$@"; do
    : > "$videos/$name"
    files+=("$videos/$name")
  done
  # The portable copy keeps its settings beside it: the output folder in the
  # videos folder, as an installed copy would have it.
  printf '"-1"\r\n"-1"\r\n"-1"\r\n"%s"\r\n"0"\r\n' "~/$folder/Sonvera" > "$program/setup.ini"
  LANG=$lang xvfb-run -a -s "-screen 0 1600x1200x24" \
    "$program/sonvera" --screenshot "$docs/$picture.png" "${files[@]}"
  LANG=$lang QT_SCALE_FACTOR=2 xvfb-run -a -s "-screen 0 2400x1600x24" \
    "$program/sonvera" --screenshot "$docs/$picture@2x.png" "${files[@]}"
}

shoot C.UTF-8 视频 screenshot "旅行记录 2009.flv" "毕业晚会.flv" "talk.part1.flv" "猫和老鼠 第3集.FLV" "demo_reel.flv"
shoot en_US.UTF-8 Videos screenshot-en "holiday 2009.flv" "graduation party.flv" "talk.part1.flv" \
  "cartoon episode 3.FLV" "demo_reel.flv"

LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen build/tests/dialog_screenshots "$docs"
LANG=en_US.UTF-8 QT_QPA_PLATFORM=offscreen build/tests/dialog_screenshots "$docs" -en
echo "Wrote docs/screenshot{,@2x,-en,-en@2x}.png, docs/restore-question{,-en}.png and docs/countdown{,-en}.png"
