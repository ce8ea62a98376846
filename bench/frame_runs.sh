# Shared by the frame benches (sourced, not run): one muted run of a build on the fixed clock (seed 3,
# 0.02 s steps), what its --frame-stats or --profile lines say, and the median of a column of numbers.

# median < numbers, one a line
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# run_frames BUILD_DIR OUT_FILE [demo options...]: the run's output into OUT_FILE; on failure it is
# shown and the caller ends.
run_frames() {
  local build=$1 out=$2
  shift 2
  (cd "$build/bin" && KARVOSTA_NO_DIALOGS=1 ./karvosta --fixed-dt 0.02 --seed 3 --mute "$@") >"$out" 2>&1 ||
    { echo "$build/bin/karvosta $* failed:" >&2; cat "$out" >&2; exit 1; }
}

# What a run's output says: mean frames/s (--frame-stats or --profile), the main pass's mean (--profile).
frames_per_second() { sed -n 's/.*(\([0-9.]*\) frames\/s).*/\1/p' "$1"; }
main_pass_ms() { awk '$1 == "main" && $2 == "pass" {print $3}' "$1"; }
