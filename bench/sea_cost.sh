#!/usr/bin/env bash
# What the sea's programs cost per frame, for one or more versions of wave.cg side by side: the
# demo's sea alone at 800x600 from three views, with the reflection image read nowhere ("open",
# most of the screen in the demo) and everywhere ("mirrored"). Repetitions of all versions take
# turns; the table shows each case's fastest repetition, which a busy machine can only lengthen,
# and each version's ratio to the first.
# Usage: bench/sea_cost.sh [build-dir] [wave.cg ...]   (default: the build's own bin/wave.cg)
# Environment: REPETITIONS (default 9).
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
build_dir=$(realpath "${1:-build}")
shift || true
programs=()
for file in "$@"; do programs+=("$(realpath "$file")"); done
[ ${#programs[@]} -gt 0 ] || programs=("$build_dir/bin/wave.cg")
binary=$build_dir/bench/bench_sea_shading
[ -x "$binary" ] || { echo "no $binary: build the benchmarks first (cmake --build $build_dir)" >&2; exit 1; }
repetitions=${REPETITIONS:-9}
[ "$repetitions" -ge 2 ] 2>/dev/null || { echo "REPETITIONS must be 2 or more: the table shows the fastest" >&2; exit 2; }

errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
output=$(KARVOSTA_SEA_PROGRAMS="${programs[*]}" "$binary" --benchmark_repetitions="$repetitions" \
  --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>"$errors")
if ! grep -q '_min"' <<<"$output"; then
  echo "the sea bench measured nothing:" >&2
  grep -v '^initialising' "$errors" >&2 || true
  grep -o 'ERROR[^,]*,[^,]*' <<<"$output" | sort -u >&2 || true
  exit 1
fi

for i in "${!programs[@]}"; do echo "version $i: ${programs[$i]}"; done
printf "%-18s" "fastest, ms"
for i in "${!programs[@]}"; do printf " | %14s" "version $i"; done
echo
# CSV rows: "BM_Sea/<file>/<view>/<mirrored>/real_time_min",iterations,real,cpu,unit,bytes/s,items/s,"label",...
awk -F, -v count=${#programs[@]} '
  $1 ~ /_min"$/ {
    split($1, name, "/"); file = name[2]; the_case = name[3] "/" name[4]
    label = $8; gsub(/"/, "", label); split(label, words, " ")
    title[the_case] = words[1] " " words[2]; ms[the_case, file] = $3
    seen[the_case] = 1
  }
  END {
    for (k in seen) {
      printf "%-18s", title[k]
      for (f = 0; f < count; ++f) {
        if (f == 0) printf " | %14.3f", ms[k, f]; else printf " | %6.3f (x%.2f)", ms[k, f], ms[k, f] / ms[k, 0]
      }
      print ""
    }
  }' <<<"$output" | sort
