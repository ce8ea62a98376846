# A stall in a real-time run, then a stop by signal. The process is held (SIGSTOP) for 4 s before
# the broadside row at run time 18 s: let go, the row acts on as many idle steps as the row after it
# (at 20 s), where measured over the stall the frame rate would have opened the firing windows wide.
# (A stall over the restart acts as a leap over it: the timeline's unit tests.) SIGTERM then ends the
# demo by that signal, and its event log holds whole lines only: each line reaches the file as it
# happens, which is also how this test follows the run.
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

# Broadside orders, fired or refused, at run times from $1 to before $2.
orders_between() { awk -v a="$1" -v b="$2" '/broadside-/ && $2 >= a && $2 < b' "$log" | wc -l; }

# Held at run time 17.5 s, timed from the first broadside (its run time, to the hundredth, is 10 s).
await_line 'broadside-fired' 90
sleep "$(awk '/broadside-fired/ {print 17.5 - $2; exit}' "$log")"
kill -STOP "$pid"
sleep 4
kill -CONT "$pid"
await_line 'title-created .* value=1' 40  # run time 45 s
after_stall=$(orders_between 17 19.5)
steady=$(orders_between 19.5 21.5)
# Steps per window vary with the frame rate of the moment; a burst is many times the steady count.
[ "$after_stall" -gt 0 ] && [ "$after_stall" -le $((2 * steady + 6)) ] ||
  fail "$after_stall broadside orders at the row after the stall, against $steady at the next row"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq $((128 + 15)) ] || fail "SIGTERM ended the demo with status $status"
[ -z "$(tail -c 1 "$log")" ] || fail "the event log ends inside a line: $(tail -n 1 "$log")"
whole='^ *[0-9]+\.[0-9]{4} +-?[0-9]+\.[0-9]{4} [a-z-]+ .*value=-?[0-9]+( ships=.*texts=[0-9]+)?$'
broken=$(tail -n +2 "$log" | grep -Ecv "$whole" || true)
[ "$broken" -eq 0 ] || fail "$broken event log lines are not whole: $(tail -n +2 "$log" | grep -Ev "$whole" | head -n 3)"
echo "$after_stall broadside orders at the row after a 4 s stall, $steady at the next row"
echo "$(wc -l <"$log") whole log lines after SIGTERM"
