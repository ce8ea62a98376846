# Stalls in a real-time run, then a stop by signal. The process is held (SIGSTOP) for 4 s before
# the broadside row at run time 18 s: let go, the row acts on as many idle steps as the row after it
# (at 20 s), where measured over the stall the frame rate would have opened the firing windows wide.
# Then it is held for 3.5 s just before the script's restart at run time 71 s; let go, it restarts
# and goes on. SIGTERM then ends it by that signal, and its event log holds whole lines only: each
# line reaches the file as it happens, which is also how this test follows the run.
source "$(dirname "$0")/lib.sh"

log=$work_dir/events.log
(cd "$bin_dir" && exec env KARVOSTA_NO_DIALOGS=1 ./karvosta --mute --seed 1 --event-log "$log") \
  >"$work_dir/out.txt" 2>"$work_dir/err.txt" &
pid=$!
# Under set -e a failing kill in the trap would become the test's status, so a process already gone is fine.
trap 'kill -CONT "$pid" 2>/dev/null || true; kill -KILL "$pid" 2>/dev/null || true; rm -rf "$work_dir"' EXIT

# Waits up to $2 seconds for a log line that matches $1.
await_line() {
  for _ in $(seq $(($2 * 20))); do
    grep -q -- "$1" "$log" 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || fail "the demo ended: $(cat "$work_dir/err.txt")"
    sleep 0.05
  done
  fail "no line '$1' in the event log within $2 s: $(tail -n 3 "$log" 2>/dev/null)"
}

# Holds the demo (SIGSTOP) at run time $2 for $3 seconds, timed from the first log line that matches
# $1: its run time is to the hundredth, and no stall lies between it and the hold. $4, if given, is
# checked while the demo is held.
hold_at() {
  await_line "$1" 90
  local seen
  seen=$(awk -v pattern="$1" '$0 ~ pattern {print $2; exit}' "$log")
  sleep "$(awk -v t="$seen" -v at="$2" 'BEGIN {print at - t}')"
  kill -STOP "$pid"
  [ -z "${4:-}" ] || eval "$4"
  sleep "$3"
  kill -CONT "$pid"
}
# Broadside orders, fired or refused, at run times from $1 to before $2.
orders_between() { awk -v a="$1" -v b="$2" '/broadside-/ && $2 >= a && $2 < b' "$log" | wc -l; }

hold_at 'broadside-fired' 17.5 4  # from the first broadside at run time 10 s
await_line 'title-created .* value=1' 40  # run time 45 s
after_stall=$(orders_between 17 19.5)
steady=$(orders_between 19.5 21.5)
# Steps per window vary with the frame rate of the moment; a burst is many times the steady count.
[ "$after_stall" -gt 0 ] && [ "$after_stall" -le $((2 * steady + 6)) ] ||
  fail "$after_stall broadside orders at the row after the stall, against $steady at the next row"

# From the last title line, which rises at run time 51 s.
hold_at 'title-created .* value=4' 70.6 3.5 \
  '! grep -q " restart " "$log" || fail "the run restarted before it was held: hold it earlier"'
await_line ' restart .* ships=2 ducks=4' 5
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the demo ended after its restart: $(cat "$work_dir/err.txt")"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq $((128 + 15)) ] || fail "SIGTERM ended the demo with status $status"
[ -z "$(tail -c 1 "$log")" ] || fail "the event log ends inside a line: $(tail -n 1 "$log")"
whole='^ *[0-9]+\.[0-9]{4} +-?[0-9]+\.[0-9]{4} [a-z-]+ .*value=-?[0-9]+( ships=.*texts=[0-9]+)?$'
broken=$(tail -n +2 "$log" | grep -Ecv "$whole" || true)
[ "$broken" -eq 0 ] || fail "$broken event log lines are not whole: $(tail -n +2 "$log" | grep -Ev "$whole" | head -n 3)"
echo "$after_stall broadside orders at the row after a 4 s stall, $steady at the next row"
echo "restarted after a 3.5 s stall at run time 70.6 s; $(wc -l <"$log") whole log lines after SIGTERM"
