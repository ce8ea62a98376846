# A stop by signal in a real-time run: SIGTERM ends the demo by that signal, and its event log holds
# whole lines only, each reaching the file as it happens, which is also how this test follows the run.
# (How stalls leave the script's rows is checked through the same idle step on the fixed clock, in
# the unit tests.)
source "$(dirname "$0")/lib.sh"

log=$work_dir/events.log
(cd "$bin_dir" && exec env KARVOSTA_NO_DIALOGS=1 ./karvosta --mute --seed 1 --event-log "$log") \
  >"$work_dir/out.txt" 2>"$work_dir/err.txt" &
pid=$!
# Under set -e a failing kill in the trap would become the test's status, so a process already gone is fine.
trap 'kill -KILL "$pid" 2>/dev/null || true; rm -rf "$work_dir"' EXIT

for _ in $(seq 600); do  # the first broadside, at run time 10 s
  grep -q 'broadside-fired' "$log" 2>/dev/null && break
  kill -0 "$pid" 2>/dev/null || fail "the demo ended: $(cat "$work_dir/err.txt")"
  sleep 0.05
done
grep -q 'broadside-fired' "$log" || fail "no broadside in the event log within 30 s: $(tail -n 3 "$log" 2>/dev/null)"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq $((128 + 15)) ] || fail "SIGTERM ended the demo with status $status"
[ -z "$(tail -c 1 "$log")" ] || fail "the event log ends inside a line: $(tail -n 1 "$log")"
whole='^ *[0-9]+\.[0-9]{4} +-?[0-9]+\.[0-9]{4} [a-z-]+ .*value=-?[0-9]+( ships=.*texts=[0-9]+)?$'
broken=$(tail -n +2 "$log" | grep -Ecv "$whole" || true)
[ "$broken" -eq 0 ] || fail "$broken event log lines are not whole: $(tail -n +2 "$log" | grep -Ev "$whole" | head -n 3)"
echo "$(wc -l <"$log") whole log lines after SIGTERM"
