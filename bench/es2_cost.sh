#!/usr/bin/env bash
# What a frame costs on the GL ES 2.0 path against the designed one, on the same fixed-step frames
# (seed 3, 0.02 s steps, muted): runs of the two paths alternate, ROUNDS rounds per size, so that the
# other load of a shared machine falls on both alike. Prints, per size and path, the median over the
# rounds of the frames/s and of the main pass's mean time (--profile), and the ratio es2 / designed.
# Usage: bench/es2_cost.sh [BUILD_DIR] [DEMO OPTIONS...]   (ROUNDS=5 FRAMES=1500 SIZES="800x600 1920x1080")
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi
build=$(realpath "${1:-build}")
shift || true
rounds=${ROUNDS:-5}
frames=${FRAMES:-1500}
sizes=${SIZES:-800x600 1920x1080}
source "$(dirname "$0")/frame_runs.sh"
out=$(mktemp)
trap 'rm -f "$out"' EXIT

printf '| size | path | frames/s | main pass | vs. designed |\n|---|---|---|---|---|\n'
for size in $sizes; do
  declare -A fps=() main=()
  for _ in $(seq "$rounds"); do
    for path in designed es2; do
      run_frames "$build" "$out" --frames "$frames" --gl "$path" --size "$size" --profile "$@"
      fps[$path]+="$(frames_per_second "$out") "
      main[$path]+="$(main_pass_ms "$out") "
    done
  done
  for path in designed es2; do
    f=$(tr ' ' '\n' <<<"${fps[$path]}" | grep . | median)
    m=$(tr ' ' '\n' <<<"${main[$path]}" | grep . | median)
    [ "$path" = designed ] && base_f=$f base_m=$m
    printf '| %s | %s | %.1f | %.2f ms | %s |\n' "$size" "$path" "$f" "$m" \
      "$(awk -v f="$f" -v m="$m" -v bf="$base_f" -v bm="$base_m" \
        'BEGIN {printf "%.3f x frames/s, %.3f x main pass", f / bf, m / bm}')"
  done
  unset fps main
done
