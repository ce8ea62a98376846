# Odd window sizes while the demo runs: resized to 1x1, 100x50 and 3000x2000, and unmapped (minimised)
# and mapped again, it keeps drawing to its last frame, exits 0, and the last frame has the window's
# size. Runs on an X server of its own, larger than 3000x2000 and shared with no other test, so the
# window found is ours and nothing clamps its size.
if [ -z "${KARVOSTA_OWN_X_SERVER:-}" ]; then
  exec env KARVOSTA_OWN_X_SERVER=1 xvfb-run -a -s "-screen 0 3200x2200x24" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"

passed=0
pid=

# Starts the demo for $1 frames with the screenshot $2 and waits for its window; sets pid and window.
start_demo() {
  (cd "$bin_dir" && exec env KARVOSTA_NO_DIALOGS=1 ./karvosta --frames "$1" --fixed-dt 0.05 --seed 1 \
    --mute --screenshot "$2") >"$work_dir/out.txt" 2>"$work_dir/err.txt" &
  pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name karvosta | head -n 1) ||
    fail "no demo window within 20 s: $(cat "$work_dir/err.txt")"
}

# The window must reach the size before the run ends, or the test proves nothing.
resize_to() {
  xdotool windowsize --sync "$window" "$1" "$2" || fail "xdotool could not resize to $1x$2"
  kill -0 "$pid" 2>/dev/null || fail "the run ended before the window was $1x$2: give it more frames"
}

finish_demo() {  # expected screenshot file and size
  wait "$pid" || fail "demo exited with $? after resizing: $(cat "$work_dir/err.txt")"
  grep -q "screenshot written to" "$work_dir/out.txt" || fail "no last frame: $(cat "$work_dir/out.txt")"
  [ "$(png_size "$1")" = "$2" ] || fail "last frame is $(png_size "$1"), the window $2"
}

# 1. Down to a single pixel, then to 100x50: the last frame is 100x50 and still shows the sea.
start_demo 400 "$work_dir/small.png"
resize_to 1 1
sleep 0.5
resize_to 100 50
finish_demo "$work_dir/small.png" "100 50"
[ "$(probe "$work_dir/small.png" 0 25 100 50 sea)" -gt 1000 ] || fail "no sea in the 100x50 frame"
passed=$((passed + 1))

# 2. A single pixel to the end: a 1x1 frame.
start_demo 300 "$work_dir/pixel.png"
resize_to 1 1
finish_demo "$work_dir/pixel.png" "1 1"
passed=$((passed + 1))

# 3. Larger than most screens: 3000x2000 to the end, the picture filled at that size.
start_demo 40 "$work_dir/large.png"
resize_to 3000 2000
finish_demo "$work_dir/large.png" "3000 2000"
[ "$(probe "$work_dir/large.png" 0 1000 3000 2000 sea)" -gt 2000000 ] || fail "lower half of 3000x2000 not sea"
passed=$((passed + 1))

# 4. Unmapped (minimised) for a second and mapped again: the demo goes on at its size to the end.
start_demo 200 "$work_dir/restored.png"
xdotool windowunmap --sync "$window" || fail "xdotool could not unmap the window"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the demo ended while its window was unmapped"
xdotool windowmap --sync "$window" || fail "xdotool could not map the window"
finish_demo "$work_dir/restored.png" "800 600"
[ "$(probe "$work_dir/restored.png" 0 300 800 600 sea)" -gt 200000 ] || fail "no sea after mapping again"
passed=$((passed + 1))

echo "$passed passed, 0 failed"
