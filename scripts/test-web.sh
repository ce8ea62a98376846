#!/usr/bin/env bash
# The web page's tests: builds the page (scripts/build-web.sh), sets up chromium and puppeteer-core
# (scripts/web-browser.sh), then runs tests/web/web_tests.js against the desktop program in build/.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
KARVOSTA_TARGETS=karvosta scripts/setup.sh build  # the desktop program the page is compared with
scripts/build-web.sh
modules=$(scripts/web-browser.sh)
NODE_PATH=$modules node tests/web/web_tests.js build-web/site build-web/test build/bin/karvosta
