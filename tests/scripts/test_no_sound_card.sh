# Without a sound card: one line on stderr, then a silent demo that runs to its last frame, its sound
# files still found. Without a display: the windowed demo stops at once with a message naming it
# (no DISPLAY, or one without a server), while the headless simulation needs neither.
source "$(dirname "$0")/lib.sh"

out="$work_dir/out.txt"
err="$work_dir/err.txt"
(cd "$bin_dir" && SDL_AUDIODRIVER=nonexistent KARVOSTA_NO_DIALOGS=1 ./karvosta --frames 40 --fixed-dt 0.5 \
  --seed 3 --event-log "$work_dir/events.txt" --screenshot "$work_dir/shot.png") >"$out" 2>"$err" ||
  fail "demo without an audio driver exited with $?: $(cat "$err")"
[ "$(cat "$err")" = "[ERROR] Could not initialise fmod" ] || fail "expected one line on stderr: $(cat "$err")"
grep -q 'broadside-fired' "$work_dir/events.txt" || fail "no broadside within 20 s: one-shot sounds not reached"
grep -q 'screenshot written to' "$out" || fail "the last frame was not reached: $(cat "$out")"

for display in none :987; do
  start=$(date +%s)
  status=0
  if [ "$display" = none ]; then
    (cd "$bin_dir" && env -u DISPLAY -u WAYLAND_DISPLAY ./karvosta --frames 5 --mute) >"$out" 2>"$err" || status=$?
  else
    (cd "$bin_dir" && DISPLAY=$display timeout 20 ./karvosta --frames 5 --mute) >"$out" 2>"$err" || status=$?
  fi
  [ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "demo with display $display: exit $status"
  grep -qi 'display' "$err" || fail "no message about display $display: $(cat "$err")"
  [ $(($(date +%s) - start)) -le 5 ] || fail "demo with display $display took more than 5 s to give up"
done

(cd "$bin_dir" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=nonexistent ./karvosta --headless \
  --seconds 20 --fixed-dt 0.05 --seed 3 --event-log "$work_dir/headless.txt") >"$out" 2>"$err" ||
  fail "headless run without a display exited with $?: $(cat "$err")"
grep -q 'broadside-fired' "$work_dir/headless.txt" || fail "headless run did not reach the first broadside"
[ ! -s "$err" ] || fail "headless run said: $(cat "$err")"
echo "4 passed, 0 failed"
