#!/usr/bin/env bash
# The web page's transferred size, time to first frame and frames per second against the desktop
# program on the same fixed-step frames (see bench/web_speed.js). Builds the page and the desktop
# program first.
# Usage: bench/web_speed.sh     Environment: FRAMES (default 1500), SIZES (default "800x600 1280x720"),
# ROUNDS (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
KARVOSTA_TARGETS=karvosta scripts/setup.sh build >/dev/null  # the desktop program the page is measured against
scripts/build-web.sh >/dev/null
modules=$(scripts/web-browser.sh)
NODE_PATH=$modules node bench/web_speed.js build-web/site build-web/bench build/bin/karvosta
