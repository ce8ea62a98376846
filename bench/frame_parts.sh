#!/usr/bin/env bash
# What each part of a frame costs (bench_frame_parts: one frame every second of the whole loop, seed 3,
# 0.02 s steps, muted, each part finished before the next): per drawing path and size, each part's
# instructions per frame, counted by callgrind with the renderer on the calling thread
# (LP_NUM_THREADS=0), which a busy machine does not change, and its share of the frame; beside them
# the medians over ROUNDS plain runs of its processor time (the renderer's threads included) and wall
# time per frame. The frames are drawn off-screen, as a film's; the read-back is a film's (the
# picture into a pixel-pack buffer, mapped), which a window does not pay. The runs without callgrind
# come first, and fill Mesa's shader cache: the count is then of drawing, not of compiling the
# renderer's shaders. Under callgrind a 1080p case takes about a quarter of an hour.
# Usage: bench/frame_parts.sh [BUILD_DIR]   (SIZES="1920x1080", PATHS="designed es2", ROUNDS=3,
#   COUNT=0 leaves the instruction counts out)
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi
build=$(realpath "${1:-build}")
sizes=${SIZES:-1920x1080}
paths=${PATHS:-designed es2}
rounds=${ROUNDS:-3}
count=${COUNT:-1}
program=$build/bench/bench_frame_parts
[ -x "$program" ] || { echo "no $program: build the benchmarks first (cmake --build $build)" >&2; exit 1; }
source "$(dirname "$0")/frame_runs.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
parts="reflection clear sky ships ducks sea effects text readback"

# The counters of one run: "name value" lines.
counters() {
  awk -F, '$1 == "name" {for (i = 1; i <= NF; ++i) col[i] = $i; next}
           $1 ~ /BM_FrameParts/ {for (i = 1; i <= NF; ++i) if (col[i] ~ /_ms"$|^"frames"$/) {n = col[i]; gsub(/"/, "", n); print n, $i}}' "$1"
}

echo "$build; load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
for size in $sizes; do
  for path in $paths; do
    filter="BM_FrameParts/$([ "$path" = designed ] && echo 0 || echo 1)/${size%x*}/${size#*x}/"
    for round in $(seq "$rounds"); do
      "$program" --benchmark_filter="$filter" --benchmark_format=csv >"$work/run.csv" 2>/dev/null
      counters "$work/run.csv" >"$work/time.$round"
    done
    if [ "$count" = 1 ]; then
      LP_NUM_THREADS=0 valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" --toggle-collect='*part_*' \
        "$program" --benchmark_filter="$filter" --benchmark_format=csv >"$work/count.csv" 2>/dev/null
      callgrind_annotate --inclusive=yes --threshold=100 "$work/callgrind.out" 2>/dev/null |
        sed -n 's/^ *\([0-9,]*\) .*part_\([a-z]*\)().*/\2 \1/p' | tr -d , >"$work/instructions"
      frames=$(awk '$1 == "frames" {print $2}' <(counters "$work/count.csv"))
    fi
    echo
    echo "$path, $size:"
    echo "| part | instructions per frame | share | processor time | wall time |"
    echo "|---|---|---|---|---|"
    total=0
    [ "$count" = 1 ] && total=$(awk '{s += $2} END {print s}' "$work/instructions")
    for part in $parts frame; do
      cpu=$(cat "$work"/time.* | awk -v k="${part}_cpu_ms" '$1 == k {print $2}' | median)
      wall=$(cat "$work"/time.* | awk -v k="${part}_ms" '$1 == k {print $2}' | median)
      if [ "$count" = 1 ]; then
        n=$(awk -v p="$part" -v t="$total" '$1 == p {print $2} p == "frame" {print t; exit}' "$work/instructions" | head -n 1)
        counted=$(awk -v n="${n:-0}" -v f="$frames" -v t="$total" 'BEGIN {printf "%.1f M | %.1f %%", n / f / 1e6, 100 * n / t}')
      else
        counted="- | -"
      fi
      printf '| %s | %s | %.2f ms | %.2f ms |\n' "$part" "$counted" "$cpu" "$wall"
    done
  done
done
echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
