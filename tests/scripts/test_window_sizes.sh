# Odd window sizes while the demo runs: resized to 1x1, 100x50 and 3000x2000, it keeps drawing to its
# last frame, exits 0, and the last frame has the window's size. (A window taken off the screen and
# back is test_covered_window's.) Runs on an X server of its own, larger than 3000x2000 and shared
# with no other test, so the window found is ours and nothing clamps its size.
# -noreset: the server would otherwise reset whenever its last client leaves (each xdotool call
# below is one), and a demo connecting during a reset finds no display. xvfb-run -a can pick the
# display number another xvfb-run is taking at the same moment; a server that cannot be reached is
# tried again (exit code 75 from inside).
if [ -z "${KARVOSTA_OWN_X_SERVER:-}" ]; then
  for _ in 1 2 3; do
    status=0
    env KARVOSTA_OWN_X_SERVER=1 xvfb-run -a -s "-screen 0 3200x2200x24 -noreset" bash "$0" "$@" || status=$?
    [ "$status" -eq 75 ] || exit "$status"
    sleep 1
  done
  echo "FAIL: no X server of our own could be started" >&2
  exit 1
fi
xdpyinfo >/dev/null 2>&1 || exit 75
source "$(dirname "$0")/lib.sh"

passed=0
pid=

# Starts the demo for $1 frames with the screenshot $2, waits for its window and freezes the process
# (SIGSTOP) at once, so that the frames it has left are spent where the test says; sets pid and window.
start_demo() {
  (cd "$bin_dir" && exec env KARVOSTA_NO_DIALOGS=1 ./karvosta --frames "$1" --fixed-dt 0.05 --seed 1 --mute \
    --screenshot "$2") >"$work_dir/out.txt" 2>"$work_dir/err.txt" &
  pid=$!
  window=$(find_window karvosta "$pid" 20)
  kill -STOP "$pid"
}

# Resizes the frozen demo's window and lets it go on: its next frame is drawn at the new size.
resize_to() {
  xdotool windowsize --sync "$window" "$1" "$2" || fail "xdotool could not resize to $1x$2"
  kill -CONT "$pid"
}

finish_demo() {  # expected screenshot file and size
  kill -CONT "$pid" 2>/dev/null || true
  wait "$pid" || fail "demo exited with $? after resizing: $(cat "$work_dir/err.txt")"
  grep -q "screenshot written to" "$work_dir/out.txt" || fail "no last frame: $(cat "$work_dir/out.txt")"
  [ "$(png_size "$1")" = "$2" ] || fail "last frame is $(png_size "$1"), the window $2"
}

# 1. A single pixel for a moment (frames of a millisecond or two), then 100x50 to the end, still sea.
start_demo 600 "$work_dir/small.png"
resize_to 1 1
sleep 0.3
kill -STOP "$pid" 2>/dev/null || fail "the run ended at 1x1: give it more frames"
resize_to 100 50
finish_demo "$work_dir/small.png" "100 50"
[ "$(probe "$work_dir/small.png" 0 25 100 50 sea)" -gt 1000 ] || fail "no sea in the 100x50 frame"
passed=$((passed + 1))

# 2. Larger than most screens: 3000x2000 to the end, filled at that size.
start_demo 8 "$work_dir/large.png"
resize_to 3000 2000
finish_demo "$work_dir/large.png" "3000 2000"
[ "$(probe "$work_dir/large.png" 0 1000 3000 2000 sea)" -gt 2000000 ] || fail "lower half of 3000x2000 not sea"
passed=$((passed + 1))

echo "$passed passed, 0 failed"
