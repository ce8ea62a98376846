#!/usr/bin/env bash
# Behaviour fingerprint of a build, for changes meant to keep behaviour: event logs of 20 seeds (two
# loops each, headless) and screenshots at fixed clock steps (seed 1, muted). Two builds behave alike
# when `diff -r` of their fingerprint folders is empty.
# Usage: scripts/fingerprint.sh BUILD_DIR OUT_DIR [DEMO OPTIONS...]
#   options are given to every run, e.g. --no-effects for the designed picture of a later build.
set -euo pipefail
build=$(realpath "$1")
out=$(mkdir -p "$2" && realpath "$2")
shift 2
# A headless run draws nothing: the drawing path (--gl PATH) is the screenshots' alone.
all=("$@") headless=()
while [ $# -gt 0 ]; do
  if [ "$1" = --gl ]; then shift 2; continue; fi
  headless+=("$1")
  shift
done
set -- "${all[@]}"
cd "$build/bin"
for seed in $(seq 1 20); do
  if ! ./karvosta --headless --seconds 150 --seed "$seed" --event-log "$out/seed$seed.log" "${headless[@]}" >/dev/null 2>"$out/error.txt"; then
    echo "fingerprint.sh: the headless run of seed $seed failed: $(cat "$out/error.txt")" >&2
    exit 1
  fi
done
rm -f "$out/error.txt"
# From the opening sea through the ducks, ship B and its reflection, the exchange and the titles.
shots='for frames in 2 250 350 900 1200 1500; do
  KARVOSTA_NO_DIALOGS=1 ./karvosta --frames $frames --fixed-dt 0.04 --seed 1 --mute \
    --screenshot "$0/frame$frames.png" "$@" >/dev/null 2>&1
done'
if [ -n "${DISPLAY:-}" ]; then
  bash -c "$shots" "$out" "$@"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$shots" "$out" "$@"
fi
echo "fingerprint of $build in $out: $(ls "$out" | wc -l) files"
