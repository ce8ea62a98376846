# What a viewer sees at fixed moments of the first run (fixed clock, seed 1): the ducks swimming into
# view at 10 s, ship B with its reflection in the sea at 14 s, the frigate's smoke beside its firing
# side 0.9 s after the first broadside of the close exchange, where the designed picture
# (--no-effects) has open sea, and the green title lines at 53 s; steps of a fifth, a quarter or a
# twenty-fifth of a second. (That the effects leave the battle alone and repeat with the seed is
# checked in the unit tests.)
source "$(dirname "$0")/lib.sh"

shot_at() {  # run time in seconds, clock step, file, further options
  local frames
  frames=$(awk -v t="$1" -v dt="$2" 'BEGIN {printf "%d", t / dt + 0.5}')
  run_demo --frames "$frames" --fixed-dt "$2" --seed 1 --mute --screenshot "$3" "${@:4}" >/dev/null 2>&1 \
    || fail "run to $1 s failed (${*:4})"
}

shot_at 10 0.25 "$work_dir/ducks.png"
ducks=$(probe "$work_dir/ducks.png" 0 300 800 600 brown)
[ "$ducks" -gt 150 ] || fail "no ducks in the lower half at 10 s ($ducks brown pixels)"

shot_at 14 0.25 "$work_dir/ship.png"
timber=$(probe "$work_dir/ship.png" 0 150 800 300 brown)
sails=$(probe "$work_dir/ship.png" 0 150 800 265 white)
reflection=$(probe "$work_dir/ship.png" 0 265 800 360 grey)
[ "$timber" -gt 1000 ] || fail "no ship hull at 14 s ($timber timber pixels)"
[ "$sails" -gt 500 ] || fail "no sails at 14 s ($sails white pixels)"
[ "$reflection" -gt 1000 ] || fail "no reflection of the sails below the ship ($reflection grey pixels)"

shot_at 18.8 0.04 "$work_dir/effects.png"
shot_at 18.8 0.04 "$work_dir/designed.png" --no-effects
# The firing side of the frigate: the sea right of its hull, at the height of its gun ports.
smoke=$(probe "$work_dir/effects.png" 600 260 800 320 smoke)
sea=$(probe "$work_dir/designed.png" 600 260 800 320 smoke)
[ "$smoke" -gt $((sea + 600)) ] || fail "no smoke beside the firing side ($smoke smoke pixels, $sea without effects)"

# With 0.2 s steps ship A sinks from 45.6 s; at 53 s only its mast tips stand above the water around
# x 520, y 290. The box drawn under it hides the sunken hull and sails from the sea's reflection,
# where they would stand as light grey over the blue-green sea.
shot_at 53 0.2 "$work_dir/titles.png"
titles=$(probe "$work_dir/titles.png" 0 40 800 600 green)
[ "$titles" -gt 1000 ] || fail "no title lines at 53 s ($titles green pixels)"
sunken=$(probe "$work_dir/titles.png" 440 190 620 300 grey)
[ "$sunken" -lt 1500 ] || fail "the sunken ship shows in the sea's reflection at 53 s ($sunken grey pixels)"
echo "5 passed, 0 failed"
