#!/usr/bin/env bash
# Writes a PNG of every window, filled with sample data, to build/screenshots/.
# Runs the windows on a virtual X server so that fonts and frames are real.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -x build/tools/tmf_screenshots ]; then
  cmake -S . -B build -G Ninja >/dev/null
fi
cmake --build build --target tmf_screenshots >/dev/null
out=${1:-build/screenshots}
mkdir -p "$out"
XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/tmf-xdg-runtime} \
  xvfb-run -a -s "-screen 0 1024x768x24" build/tools/tmf_screenshots "$out"
# The same windows on a screen with two device pixels per point.
mkdir -p "$out/scale2"
XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/tmf-xdg-runtime} QT_SCALE_FACTOR=2 \
  xvfb-run -a -s "-screen 0 2048x1536x24" build/tools/tmf_screenshots "$out/scale2"
ls "$out"/*.png "$out"/scale2/*.png
