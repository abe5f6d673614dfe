#!/usr/bin/env bash
# Renders every window of the desktop program to docs/screenshots/*.png:
# under Xvfb when it is installed, else on Qt's offscreen platform (the
# pictures are the same: both draw the windows without decorations).
set -euo pipefail
build=${1:-build}
out=docs/screenshots
tool="$build/bin/vorlumi3_screenshots"
if command -v xvfb-run >/dev/null 2>&1; then
  xvfb-run -a -s "-screen 0 1280x1024x24" "$tool" "$out"
else
  QT_QPA_PLATFORM=offscreen "$tool" "$out"
fi
