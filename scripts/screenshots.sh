#!/usr/bin/env bash
# Renders every window of the desktop program to docs/screenshots/*.png in
# Japanese and to docs/screenshots/en/*.png in English: under Xvfb when it is
# installed, else on Qt's offscreen platform (the pictures are the same: both
# draw the windows without decorations).
set -euo pipefail
build=${1:-build}
tool="$build/bin/vorlumi3_screenshots"

# shot LOCALE DIR: the windows as a user with that locale sees them.
shot() {
  local -a run=(env -u LANGUAGE LANG="$1" LC_ALL="$1" LC_MESSAGES="$1")
  if command -v xvfb-run >/dev/null 2>&1; then
    "${run[@]}" xvfb-run -a -s "-screen 0 1280x1024x24" "$tool" "$2"
  else
    "${run[@]}" QT_QPA_PLATFORM=offscreen "$tool" "$2"
  fi
}
shot ja_JP.UTF-8 docs/screenshots
shot en_US.UTF-8 docs/screenshots/en
