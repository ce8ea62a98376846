#!/usr/bin/env bash
# What the battle's effects cost at the busiest moments of the run: the close exchange (19.5-24.5 s)
# and the sinking (44-54 s), at 800x600 and 1920x1080, effects on against --no-effects. Each case runs
# in its own process (bench_effects, fixed clock of 1/25 s, seed 1); the runs are interleaved, off
# then on, ROUNDS times, so that load from other programs falls on both alike. Prints each run's
# mean and longest frame, in processor time of the whole process (renderer threads included, so the
# load of other programs on the machine counts little) and in wall time, then the ratios: of the
# means over the rounds, and of the longest frames.
# Usage: bench/effects_cost.sh [build-dir]    Environment: ROUNDS (default 3).
set -euo pipefail
build_dir=$(realpath "${1:-build}")
rounds=${ROUNDS:-3}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$build_dir"
fi
program="$build_dir/bench/bench_effects"

# Prints "cpu-mean cpu-longest wall-mean wall-longest particles" of one case: window (0 exchange, 1 sinking), effects, width, height.
run_case() {
  "$program" --benchmark_filter="BM_BattleFrames/$1/$2/$3/$4/" --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 == "name" {for (i = 1; i <= NF; ++i) col[$i] = i; next}
             $1 ~ /BM_BattleFrames/ {print $col["\"mean_cpu_ms\""], $col["\"longest_cpu_ms\""], $col["\"mean_ms\""], $col["\"longest_ms\""],
                                         $col["\"particles\""]}'
}

results=$(mktemp)
trap 'rm -f "$results"' EXIT
echo "| moment | size | round | off: cpu mean / longest | on: cpu mean / longest | off: wall mean / longest | on: wall mean / longest | particles |"
echo "|---|---|---|---|---|---|---|---|"
for size in 800x600 1920x1080; do
  for window in 0 1; do
    name=$([ "$window" = 0 ] && echo "exchange 19.5-24.5 s" || echo "sinking 44-54 s")
    for round in $(seq "$rounds"); do
      off=$(run_case "$window" 0 "${size%x*}" "${size#*x}")
      on=$(run_case "$window" 1 "${size%x*}" "${size#*x}")
      echo "$name|$size|$off|$on" >>"$results"
      read -r a b c d _ <<<"$off"
      read -r e f g h particles <<<"$on"
      printf "| %s | %s | %d | %.2f / %.2f ms | %.2f / %.2f ms | %.2f / %.2f ms | %.2f / %.2f ms | %d |\n" \
        "$name" "$size" "$round" "$a" "$b" "$e" "$f" "$c" "$d" "$g" "$h" "$particles"
    done
  done
done
echo
echo "| moment | size | cpu: mean on/off | cpu: longest on/off | wall: mean on/off | wall: longest on/off |"
echo "|---|---|---|---|---|---|"
awk -F'|' '{
  key = $1 "|" $2; if (!(key in seen)) { seen[key] = 1; order[++n] = key }
  split($3, off, " "); split($4, on, " ")
  for (i = 1; i <= 4; ++i) {
    if (i % 2 == 1) { sumOff[key, i] += off[i]; sumOn[key, i] += on[i] }
    else { if (off[i] > maxOff[key, i]) maxOff[key, i] = off[i]; if (on[i] > maxOn[key, i]) maxOn[key, i] = on[i] }
  }
} END {
  for (k = 1; k <= n; ++k) {
    key = order[k]; split(key, part, "|")
    printf "| %s | %s | %.3f | %.3f | %.3f | %.3f |\n", part[1], part[2], sumOn[key, 1] / sumOff[key, 1],
      maxOn[key, 2] / maxOff[key, 2], sumOn[key, 3] / sumOff[key, 3], maxOn[key, 4] / maxOff[key, 4]
  }
}' "$results"
