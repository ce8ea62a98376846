#!/usr/bin/env bash
# The web page's transferred size, time to first frame and frames per second against the desktop
# program on the same fixed-step frames (see bench/web_speed.js). Builds the page and the desktop
# program first. Given a base commit, also builds that commit's page in a scratch work tree beside
# this one (build-base/, as bench/base_compare.sh does) and draws it in every round too.
# Usage: bench/web_speed.sh [BASE_COMMIT]     Environment: FRAMES (default 1500), SIZES (default
# "800x600 1280x720"), ROUNDS (default 5), BASE_TREE (default build-base).
set -euo pipefail
cd "$(dirname "$0")/.."
KARVOSTA_TARGETS=karvosta scripts/setup.sh build >/dev/null  # the desktop program the page is measured against
scripts/build-web.sh >/dev/null
if [ $# -ge 1 ]; then
  base=$(git rev-parse --verify "$1^{commit}")
  tree=${BASE_TREE:-$PWD/build-base}
  if [ -e "$tree/.git" ]; then
    git -C "$tree" checkout -q --force --detach "$base"
  else
    git worktree add -q --force --detach "$tree" "$base"
  fi
  echo "building the base page $(git -C "$tree" log -1 --format='%h %s' | cut -c1-80) in $tree/build-web" >&2
  "$tree/scripts/build-web.sh" >"$tree/build-web.log" 2>&1 ||
    { tail -n 30 "$tree/build-web.log" >&2; echo "the base page did not build: $tree/build-web.log" >&2; exit 1; }
  export BASE_SITE=$tree/build-web/site
fi
modules=$(scripts/web-browser.sh)
NODE_PATH=$modules node bench/web_speed.js build-web/site build-web/bench build/bin/karvosta
