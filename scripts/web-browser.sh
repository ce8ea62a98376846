#!/usr/bin/env bash
# What driving the page needs besides its build: Debian's chromium, node, and puppeteer-core at the
# version of web/npm/package-lock.json, installed with npm into build-web/npm (again only when the
# lockfile changed). Prints the folder to put on NODE_PATH.
# Usage: NODE_PATH=$(scripts/web-browser.sh) node ...
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh chromium nodejs >&2
command -v npm >/dev/null || scripts/install-packages.sh npm >&2
modules=build-web/npm
mkdir -p "$modules"
if ! cmp -s web/npm/package-lock.json "$modules/package-lock.json" || [ ! -d "$modules/node_modules/puppeteer-core" ]; then
  cp web/npm/package.json web/npm/package-lock.json "$modules/"
  (cd "$modules" && npm ci --no-audit --no-fund --loglevel=error >&2)
fi
echo "$PWD/$modules/node_modules"
