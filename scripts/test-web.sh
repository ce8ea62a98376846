#!/usr/bin/env bash
# The web page's tests: builds the page (scripts/build-web.sh), installs Debian's chromium and, from
# tests/web's lockfile, puppeteer-core (npm, into build-web/npm) when missing, then runs
# tests/web/web_tests.js against the desktop build in build/. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-web.sh
scripts/install-packages.sh chromium
command -v npm >/dev/null || scripts/install-packages.sh npm
modules=build-web/npm
mkdir -p "$modules"
if ! cmp -s tests/web/package-lock.json "$modules/package-lock.json" || [ ! -d "$modules/node_modules/puppeteer-core" ]; then
  cp tests/web/package.json tests/web/package-lock.json "$modules/"
  (cd "$modules" && npm ci --no-audit --no-fund --loglevel=error)
fi
NODE_PATH=$PWD/$modules/node_modules node tests/web/web_tests.js build-web/site build-web/test build/bin/karvosta
