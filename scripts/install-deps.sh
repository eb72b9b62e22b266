#!/usr/bin/env bash
# Installs the Debian packages Sonvera needs to build, test and run.
# This is the one list of system dependencies: the Makefile and CI both call it.
# Idempotent: only missing packages are installed. As root it installs them;
# otherwise it prints the one command to run and fails.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev libqt6svg6
  # libxcb: the window asks the X server where its windows really are
  libxcb1-dev
  # translations: lupdate and lrelease with their CMake functions, and Qt's
  # own translations, so that Qt's dialogs speak the window's language
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  # the encoders: ffmpeg does the coding, libopencore-amrnb the AMR-NB audio
  ffmpeg libopencore-amrnb-dev
  # the list's media probe (data/probe) reads files with ffmpeg's libraries
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  # a CJK font for the Chinese captions
  fonts-wqy-microhei
  # `make package`: dpkg-shlibdeps and file for cpack; the validators of the
  # desktop entry and the metainfo, for the tests
  dpkg-dev file desktop-file-utils appstream
  # the window tests and the screenshots under a window manager on a virtual
  # display; the screenshots are driven with xdotool and taken with ImageMagick
  xvfb xauth openbox xdotool imagemagick
  # the window natively on Wayland (recommended by the package), and the
  # test lane that runs it under a headless Weston compositor
  qt6-wayland weston
  # the D-Bus tests run on a private session bus (dbus-run-session)
  dbus
  # the accessibility test reads the window as a screen reader does, over the
  # accessibility bus (at-spi-bus-launcher, at-spi2-registryd) with Atspi from Python
  at-spi2-core gir1.2-atspi-2.0
  # the encoders' benchmark script
  python3
  # the many-machines tests: GNU parallel, over SSH to a private sshd (which
  # nss_wrapper shows a home folder of the test's own) with rsync for the
  # transferred files, and a one-node Slurm cluster with munge; jq, with which
  # the array and group scripts read sonvera-cli's --json
  parallel openssh-server openssh-client rsync libnss-wrapper slurm-wlm munge jq
  # publishing on file systems that refuse RENAME_NOREPLACE and hard links,
  # tested on sshfs mounts served by sftp-server over a pipe
  sshfs
  # tests: a comma-decimal locale is compiled at test time with localedef
  locales
  # the interoperability tests (label interop) read every format with readers
  # that are not libavformat: GStreamer's own demuxers (rmdemux, avidemux,
  # qtdemux, id3demux; mpegpsdemux from -bad) from Python, with decoders to preroll,
  # MediaInfo, exiftool and mutagen
  python3-gi gir1.2-gstreamer-1.0 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-ugly gstreamer1.0-plugins-bad gstreamer1.0-libav mediainfo libimage-exiftool-perl python3-mutagen
  # `make fuzz`: clang with libFuzzer and the sanitizers' runtimes
  clang libclang-rt-14-dev
  # shared compiled objects between the three builds and between checkouts
  ccache
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Sonvera needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
