# The battle's effects as a viewer sees them, on the fixed clock (seed 1): 0.9 s after the first
# broadside of the close exchange (18 s into the run) the frigate's smoke stands beside its firing
# side, where the designed picture (--no-effects) has open sea; two runs draw the same picture; and
# the effects change nothing in the battle: the event logs with and without them are the same.
source "$(dirname "$0")/lib.sh"

shot() {  # file, then demo options
  local file=$1
  shift
  run_demo --frames 470 --fixed-dt 0.04 --seed 1 --mute --screenshot "$file" --event-log "$file.log" "$@" \
    >/dev/null 2>&1 || fail "run to frame 470 failed ($*)"
}
shot "$work_dir/on.png"
shot "$work_dir/again.png"
shot "$work_dir/off.png" --no-effects

cmp -s "$work_dir/on.png.log" "$work_dir/off.png.log" ||
  fail "the event log changes with the effects: $(diff "$work_dir/on.png.log" "$work_dir/off.png.log" | head -n 4)"
grep -q broadside-fired "$work_dir/on.png.log" || fail "no broadside in the first 18.8 s"
cmp -s "$work_dir/on.png" "$work_dir/again.png" || fail "two runs with the same seed draw different effects"

# The firing side of the frigate: the sea right of its hull, at the height of its gun ports.
smoke=$(probe "$work_dir/on.png" 600 260 800 320 smoke)
sea=$(probe "$work_dir/off.png" 600 260 800 320 smoke)
[ "$smoke" -gt $((sea + 600)) ] || fail "no smoke beside the firing side ($smoke smoke pixels, $sea without effects)"
echo "4 passed, 0 failed"
