# A fixed-step run is the same run whether its window was in sight all along or not: a window that is
# taken off the screen for a second in the middle of its frames (as when another window covers it, or
# before it is first mapped) gives the screenshot and event log of a run that was never hidden.
source "$(dirname "$0")/lib.sh"

options=(--frames 300 --fixed-dt 0.05 --seed 3 --mute)  # 15 s: the first broadside is in the log
run_demo "${options[@]}" --screenshot "$work_dir/seen.png" --event-log "$work_dir/seen.log" >/dev/null

ln -s "$bin_dir/karvosta" "$work_dir/hidden-karvosta"
(cd "$bin_dir" && exec env KARVOSTA_NO_DIALOGS=1 "$work_dir/hidden-karvosta" "${options[@]}" \
  --screenshot "$work_dir/hidden.png" --event-log "$work_dir/hidden.log") >"$work_dir/out.txt" 2>&1 &
pid=$!
window=$(find_window hidden-karvosta "$pid" 8)
xdotool windowunmap "$window"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the demo ran on to its end while its window was off the screen"
xdotool windowmap "$window"
wait "$pid" || fail "the hidden run failed: $(cat "$work_dir/out.txt")"

cmp -s "$work_dir/seen.log" "$work_dir/hidden.log" ||
  fail "the event logs differ: $(diff "$work_dir/seen.log" "$work_dir/hidden.log" | head -n 4)"
cmp -s "$work_dir/seen.png" "$work_dir/hidden.png" || fail "the screenshots differ"
echo "a window hidden for 1 s gave the frames and events of one never hidden ($(($(wc -l <"$work_dir/seen.log") - 1)) events)"
