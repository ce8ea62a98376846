# Ten loops of the demo in one headless run (710 s of demo time): it ends with exit 0 (in the sanitizer
# build that includes LeakSanitizer's verdict), every restart finds the lists as the first one did, and
# the peak memory after ten loops is that after one, within a few hundred kilobytes.
source "$(dirname "$0")/lib.sh"

# Step of the fixed clock: the default (1/60 s) in the Release build; the sanitizer build is slower
# per step, so it may take coarser steps (the lists and leaks are checked the same way).
dt=${KARVOSTA_LONG_RUN_DT:-0.016666666666666666}
passed=0

# Runs the headless demo for $1 seconds of demo time with the event log $2; prints the process's peak
# resident memory in kB (VmHWM), read from /proc while it runs: the peak only grows, so the last
# reading before the exit is the peak of the run (shutdown frees, it does not allocate).
peak_kb_of_run() {
  local seconds=$1 log=$2 peak=0 hwm status=0
  (cd "$bin_dir" && exec ./karvosta --headless --seconds "$seconds" --fixed-dt "$dt" --seed 3 \
    --event-log "$log") >"$work_dir/out.txt" 2>"$work_dir/err.txt" &
  local pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$hwm" ] && peak=$hwm
    sleep 0.02
  done
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "headless run of $seconds s exited with $status: $(tail -n 30 "$work_dir/err.txt")"
  [ "$peak" -gt 0 ] || fail "no memory reading of the $seconds s run"
  echo "$peak"
}

# 1. One loop and ten loops: both end normally; peak memory does not grow with the number of loops.
# Start-up's peak (loading the models) varies from run to run by up to about a megabyte with the
# heap's layout, always upwards, so each length is run three times and the lowest peak counts.
# Sanitizer builds hold freed blocks in a quarantine that fills over time: there the growth tells
# nothing about the program, so they run each length once and only the Release build is held to it.
sanitized=false
grep -q -a '__asan_init' "$bin_dir/karvosta" && sanitized=true
repeats=3
$sanitized && repeats=1
lowest_peak() {  # seconds, log
  local lowest=0 peak
  for _ in $(seq "$repeats"); do
    peak=$(peak_kb_of_run "$1" "$2") || exit 1
    if [ "$lowest" -eq 0 ] || [ "$peak" -lt "$lowest" ]; then lowest=$peak; fi
  done
  echo "$lowest"
}
one=$(lowest_peak 71 "$work_dir/one.log") || exit 1
ten=$(lowest_peak 710 "$work_dir/ten.log") || exit 1
echo "peak resident memory: $one kB after one loop, $ten kB after ten loops"
limit_kb=${KARVOSTA_LONG_RUN_GROWTH_KB:-512}
if $sanitized; then
  echo "sanitizer build: memory growth not checked"
else
  [ $((ten - one)) -le "$limit_kb" ] || fail "peak memory grew by $((ten - one)) kB from one loop to ten"
fi
passed=$((passed + 1))

# 2. Every restart starts from the same lists: two ships, four ducks, and no balls or titles left over.
restarts=$(grep -c ' restart ' "$work_dir/ten.log" || true)
[ "$restarts" -eq 10 ] || fail "expected 10 restarts in 710 s, got $restarts"
first=$(grep ' restart ' "$work_dir/ten.log" | head -n 1 | grep -o 'ships=.*')
[ "$first" = "ships=2 ducks=4 balls=0 texts=0" ] || fail "lists at the first restart: $first"
others=$(grep ' restart ' "$work_dir/ten.log" | grep -o 'ships=.*' | sort -u)
[ "$others" = "$first" ] || fail "lists differ between restarts: $others"
passed=$((passed + 1))

# 3. The tenth loop still plays the script: broadsides and four titles in each of the ten loops.
per_loop=$(awk '/^#/ {next} $3 == "restart" {run++; next} $3 == "title-created" {t[run + 0]++}
  $3 == "broadside-fired" {b[run + 0]++} END {for (i = 0; i < 10; i++) printf "%d:%d ", t[i], (b[i] > 0)}' \
  "$work_dir/ten.log")
[ "$per_loop" = "$(printf '4:1 %.0s' 1 2 3 4 5 6 7 8 9 10)" ] ||
  fail "titles:broadsides per loop are $per_loop"
passed=$((passed + 1))

echo "$passed passed, 0 failed"
