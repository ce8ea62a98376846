#!/usr/bin/env bash
# Frame rate and smoothness of the demo under Xvfb in real time, against glxgears in a window of the
# same size as the reference. One run measures:
#   - the demo with sound (SDL's dummy audio driver: mixed, not heard) and muted, $FRAMES frames each
#     from start-up at 800x600: mean frames/s and the frame intervals' median, p95, p99 and longest,
#     from the demo's own timing (--frame-stats);
#   - the median frame with sound at each of $SIZES (the window resized once it shows);
#   - glxgears at 800x600 before and after the demo runs (their mean is the reference).
# The last line is the ratio of the demo's mean frames/s with sound to glxgears.
# Usage: bench/framerate.sh [--profile] [build-dir] [extra demo options]
#   --profile  one more run with sound and --profile: the phase means beside the frame intervals.
# To compare two builds, give both "--fixed-dt 0.02 --seed 3": then both draw the same frames. In
# real time a slower build's frames reach further into the script, whose later scenes cost more
# (the close exchange, the smoke), which makes it look slower still.
# Environment: FRAMES (default 5000), SIZE_FRAMES (frames per extra size, default 2000),
# SIZES (default "1280x720 1920x1080"), GEARS_SECONDS (default 12), KEYS (keys pressed once the
# window is up: F7 DrawElements, F7 F7 glBegin/glEnd, F4 sea without bump map and reflection).
set -euo pipefail
profile=0
if [ "${1:-}" = "--profile" ]; then
  profile=1
  shift
fi
build_dir=$(realpath "${1:-build}")
shift || true
frames=${FRAMES:-5000}
size_frames=${SIZE_FRAMES:-2000}
sizes=${SIZES:-1280x720 1920x1080}
gears_seconds=${GEARS_SECONDS:-12}

if [ -z "${DISPLAY:-}" ]; then
  # -noreset: every xdotool call is a client; the server must not reset when one leaves.
  [ "$profile" = 1 ] && set -- --profile "$build_dir" "$@" || set -- "$build_dir" "$@"
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$0" "$@"
fi

cd "$build_dir/bin"
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# Runs the demo; $1 = window size, $2 = frame count, then demo options. Prints its interval line.
run_demo() {
  local size=$1 count=$2
  shift 2
  SDL_AUDIODRIVER=dummy KARVOSTA_NO_DIALOGS=1 ./karvosta --frames "$count" --frame-stats "$@" >"$out" 2>&1 &
  local pid=$!
  if [ "$size" != 800x600 ] || [ -n "${KEYS:-}" ]; then
    local window
    window=$(xdotool search --sync --name karvosta | head -n 1)
    [ "$size" != 800x600 ] && xdotool windowsize --sync "$window" "${size%x*}" "${size#*x}"
    for key in ${KEYS:-}; do xdotool key --window "$window" "$key"; done
  fi
  wait "$pid" || { echo "the demo failed:" >&2; cat "$out" >&2; exit 1; }
  grep '^frame intervals:' "$out"
}

# Field of an interval line: mean, fps, median, p95, p99, longest.
field() {
  awk -v f="$2" '{
    for (i = 1; i <= NF; ++i) {
      if ($i == f) { print $(i + 1); exit }
      if (f == "fps" && $i ~ /^\(/) { gsub(/\(/, "", $i); print $i; exit }
    }
  }' <<<"$1"
}

gears() {
  timeout "$gears_seconds" glxgears -geometry 800x600 2>/dev/null | awk '/frames in/ {fps = $(NF - 1)} END {print fps + 0}' || true
}

row() {  # name, interval line
  local median=$(field "$2" median)
  printf "| %-28s | %8.1f | %8.2f ms | %8.2f ms | %8.2f ms | %8.2f ms | %5.2f | %5.2f |\n" "$1" \
    "$(field "$2" fps)" "$median" "$(field "$2" p95)" "$(field "$2" p99)" "$(field "$2" longest)" \
    "$(awk -v a="$(field "$2" p99)" -v m="$median" 'BEGIN {print a / m}')" \
    "$(awk -v a="$(field "$2" longest)" -v m="$median" 'BEGIN {print a / m}')"
}

gears_before=$(gears)
sound=$(run_demo 800x600 "$frames" "$@")
muted=$(run_demo 800x600 "$frames" --mute "$@")
declare -A size_lines
for size in $sizes; do size_lines[$size]=$(run_demo "$size" "$size_frames" "$@"); done
profile_text=
if [ "$profile" = 1 ]; then
  run_demo 800x600 "$frames" --profile "$@" >/dev/null
  profile_text=$(sed -n '/^frame profile/,$p' "$out")
fi
gears_after=$(gears)
gears_fps=$(awk -v a="$gears_before" -v b="$gears_after" 'BEGIN {print (a + b) / 2}')

echo "demo: $frames frames from start-up at 800x600; percentiles of the intervals between finished frames"
echo "| run                          | frames/s |   median    |     p95     |     p99     |   longest   | p99/m | max/m |"
echo "|------------------------------|----------|-------------|-------------|-------------|-------------|-------|-------|"
row "with sound (dummy driver)" "$sound"
row "muted" "$muted"
echo
echo "median frame with sound by window size ($size_frames frames each beyond 800x600):"
base_median=$(field "$sound" median)
printf "  %-9s %8.2f ms  (x%.2f; area x1.00)\n" 800x600 "$base_median" 1
for size in $sizes; do
  median=$(field "${size_lines[$size]}" median)
  printf "  %-9s %8.2f ms  (x%.2f; area x%.2f)\n" "$size" "$median" \
    "$(awk -v a="$median" -v b="$base_median" 'BEGIN {print a / b}')" \
    "$(awk -v s="$size" 'BEGIN {split(s, d, "x"); print d[1] * d[2] / 480000}')"
done
if [ -n "$profile_text" ]; then
  echo
  echo "profiled run with sound (--profile waits for GL after each drawing phase):"
  echo "$profile_text"
fi
echo
printf "glxgears: %.1f frames/s (before %.1f, after %.1f)\n" "$gears_fps" "$gears_before" "$gears_after"
awk -v d="$(field "$sound" fps)" -v g="$gears_fps" 'BEGIN {printf "ratio demo/glxgears: %.3f\n", (g > 0 ? d / g : 0)}'
