#!/usr/bin/env bash
# Sets everything up and runs the demo from build/bin. Without a display it runs under Xvfb for a few
# hundred frames and writes a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
# The program alone: it brings the shader source and the generated data; no tests, no benchmarks.
KARVOSTA_TARGETS=karvosta scripts/setup.sh build
cd build/bin
if [ -n "${DISPLAY:-}" ]; then
  exec ./karvosta "$@"
fi
shot="$(pwd)/../karvosta-screenshot.png"
echo "No display: running 400 frames under Xvfb."
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} xvfb-run -a -s "-screen 0 1280x1024x24" \
  ./karvosta --frames 400 --fixed-dt 0.04 --screenshot "$shot" "$@"
echo "Screenshot: $(realpath "$shot")"
