#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Does nothing when every package is already installed.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # libfluidsynth-dev gives the headers; the programs open libfluidsynth3 at
  # run time, so it is named on its own (nothing links it to remind us).
  libfluidsynth-dev libfluidsynth3 fluidsynth timgm6mb-soundfont
  # FLAC and Ogg Vorbis renders: headers, and the library opened at run time.
  libsndfile1-dev libsndfile1
  fonts-noto-cjk
  midicsv
  # The tests' own PNG reader inflates the pictures with zlib.
  zlib1g-dev
  valgrind
  # The editor files for vlm sources are checked by the editors themselves
  # (the TextMate grammar by a reader in Python); tests read JSON with it too.
  libkf5syntaxhighlighting-tools vim python3
  # make deb and the checks of the package's files.
  lintian desktop-file-utils appstream shared-mime-info dpkg-dev
  # MIDI out: RtMidi over the ALSA sequencer or JACK. jackd2 comes with
  # libjack-jackd2-dev, or apt swaps libfluidsynth-dev's JACK1 headers out.
  librtmidi-dev jackd2 libjack-jackd2-dev
  # Translations of the windows (lupdate, lrelease and their CMake support).
  qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools
  # The real parts tests start: a virtual display with a window manager, a
  # sound server with a null sink, and GNU parallel for the shard recipe.
  xvfb xdotool openbox x11-utils pulseaudio pulseaudio-utils parallel
  # A message bus of the tests' own, and its client, for the media keys.
  dbus-daemon libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=""
if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
