# The windowed demo: a fixed-step run with sound (SDL's dummy driver) ends by itself with a screenshot
# of the window's size, and a window resized while running keeps rendering at its new size.
source "$(dirname "$0")/lib.sh"

SDL_AUDIODRIVER=dummy run_demo --frames 60 --fixed-dt 0.02 --seed 1 --screenshot "$work_dir/shot.png" \
  >"$work_dir/out.txt" 2>"$work_dir/err.txt" || { cat "$work_dir/err.txt"; fail "demo run failed"; }
! grep -q "ERROR" "$work_dir/err.txt" || { cat "$work_dir/err.txt"; fail "errors on a normal start"; }
[ -s "$work_dir/shot.png" ] || fail "no screenshot"
[ "$(png_size "$work_dir/shot.png")" = "800 600" ] || fail "screenshot is $(png_size "$work_dir/shot.png")"

run_demo --frames 300 --fixed-dt 0.02 --seed 1 --mute --screenshot "$work_dir/small.png" >/dev/null &
pid=$!
window=$(xdotool search --sync --name "karvosta" | head -n 1)
xdotool windowsize "$window" 300 200
wait "$pid" || fail "resized run failed"
[ "$(png_size "$work_dir/small.png")" = "300 200" ] || fail "resized screenshot is $(png_size "$work_dir/small.png")"
echo "2 passed, 0 failed"
