# The battle's effects as a viewer sees them, on the fixed clock (seed 1): 0.9 s after the first
# broadside of the close exchange (18 s into the run) the frigate's smoke stands beside its firing
# side, where the designed picture (--no-effects) has open sea. (That the effects leave the battle
# alone and repeat with the seed is checked in the unit tests.)
source "$(dirname "$0")/lib.sh"

shot() {  # file, then demo options
  run_demo --frames 470 --fixed-dt 0.04 --seed 1 --mute --screenshot "$@" >/dev/null 2>&1 || fail "run to frame 470 failed ($*)"
}
shot "$work_dir/on.png"
shot "$work_dir/off.png" --no-effects

# The firing side of the frigate: the sea right of its hull, at the height of its gun ports.
smoke=$(probe "$work_dir/on.png" 600 260 800 320 smoke)
sea=$(probe "$work_dir/off.png" 600 260 800 320 smoke)
[ "$smoke" -gt $((sea + 600)) ] || fail "no smoke beside the firing side ($smoke smoke pixels, $sea without effects)"
echo "1 passed, 0 failed"
