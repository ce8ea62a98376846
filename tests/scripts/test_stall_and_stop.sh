# A stall across the end of the loop in a real-time run, then a stop by signal. The process is held
# (SIGSTOP) for 3.5 s just before the script's restart at run time 71 s; let go, it restarts and goes
# on. SIGTERM then ends it by that signal, and its event log holds whole lines only: each line reaches
# the file as it happens, which is also how this test follows the run.
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

# The last title line rises at run time 51 s; its line says when, to the hundredth.
await_line 'title-created .* value=4' 90
titled=$(awk '/title-created .* value=4/ {print $2; exit}' "$log")
sleep "$(awk -v t="$titled" 'BEGIN {print 70.8 - t}')"
kill -STOP "$pid"
! grep -q ' restart ' "$log" || fail "the run restarted before it was held: hold it earlier"
sleep 3.5
kill -CONT "$pid"
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
echo "restarted after a 3.5 s stall at run time 70.8 s; $(wc -l <"$log") whole log lines after SIGTERM"
