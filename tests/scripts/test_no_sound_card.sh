# The demo without a sound card or without a display: an audio driver that cannot open gives one line
# and a silent demo that still runs to its last frame; no display at all stops the windowed demo at once
# with a clear message, while the headless simulation needs none.
source "$(dirname "$0")/lib.sh"

passed=0
out="$work_dir/out.txt"
err="$work_dir/err.txt"

# 1. No usable audio driver, sound not muted: the sound system's failure is reported once, then every
# sound call (ambient loops, quacks, cannon shots, hits, splashes) goes through the silent layer.
rm -f "$work_dir/shot.png"
(cd "$bin_dir" && SDL_AUDIODRIVER=nonexistent KARVOSTA_NO_DIALOGS=1 ./karvosta --frames 40 --fixed-dt 0.5 \
  --seed 3 --event-log "$work_dir/events.txt" --screenshot "$work_dir/shot.png") >"$out" 2>"$err" ||
  fail "demo without an audio driver exited with $?: $(cat "$err")"
count=$(grep -c '^\[ERROR\] Could not initialise fmod$' "$err" || true)
[ "$count" -eq 1 ] || fail "expected the sound start-up failure once on stderr, got $count: $(cat "$err")"
if grep -q 'Could not initialise' "$out"; then fail "sound start-up failure went to stdout"; fi
# The sound files are all there: a silent layer still finds them, so no file is reported missing.
if grep -v '^\[ERROR\] Could not initialise fmod$' "$err" | grep -q 'ERROR\|could not open'; then
  fail "sound file errors without a sound card: $(cat "$err")"
fi
grep -q 'broadside-fired' "$work_dir/events.txt" || fail "no broadside within 20 s: one-shot sounds not reached"
grep -q 'screenshot written to' "$out" || fail "the last frame was not reached: $(cat "$out")"
[ "$(png_size "$work_dir/shot.png")" = "800 600" ] || fail "screenshot size $(png_size "$work_dir/shot.png")"
passed=$((passed + 1))

# 2. No display at all: a message naming the problem and a non-zero exit, at once.
start=$(date +%s)
status=0
(cd "$bin_dir" && env -u DISPLAY -u WAYLAND_DISPLAY ./karvosta --frames 5 --fixed-dt 0.1 --mute) \
  >"$out" 2>"$err" || status=$?
[ "$status" -ne 0 ] || fail "demo without a display exited with 0"
grep -qi 'display' "$err" || fail "no message about the display: $(cat "$err")"
[ $(($(date +%s) - start)) -le 5 ] || fail "demo without a display took more than 5 s to give up"
passed=$((passed + 1))

# 3. A display that names no server: the window library gives up, with a non-zero exit, within seconds.
status=0
(cd "$bin_dir" && DISPLAY=:987 timeout 20 ./karvosta --frames 5 --fixed-dt 0.1 --mute) >"$out" 2>"$err" ||
  status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "demo on a display without a server: exit $status"
grep -qi 'display' "$err" || fail "no message about the display: $(cat "$err")"
passed=$((passed + 1))

# 4. Headless needs neither display nor audio: the whole first run of the script, exit 0.
(cd "$bin_dir" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=nonexistent ./karvosta --headless \
  --seconds 20 --fixed-dt 0.05 --seed 3 --event-log "$work_dir/headless.txt") >"$out" 2>"$err" ||
  fail "headless run without a display exited with $?: $(cat "$err")"
grep -q 'broadside-fired' "$work_dir/headless.txt" || fail "headless run did not reach the first broadside"
if grep -q 'Could not initialise' "$err"; then fail "headless run tried to open audio"; fi
passed=$((passed + 1))

echo "$passed passed, 0 failed"
