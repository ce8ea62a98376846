# Every data file of the run-time tree missing, empty, replaced by garbage or by a directory, and
# (models and bitmaps) cut in half, one at a time, on a copy of the tree: each run reaches its last frame and exits 0, and
# the failure is reported by the message that belongs to it, as often as the file is loaded, on the
# stream the design gives it. Without the shader source the sea still draws.
#
# What each file's failure looks like (dialogs are off, so dialog texts go to stderr):
#   bitmap  missing, empty or a directory: "Error: Failed to open DIB file PATH.";  garbage:
#           "Error: Unknown DIB file format.";  cut in half: "Error: Image file conversion error.".
#           Once per load: the fixed textures once, a model texture once per material naming it.
#   model   missing or a directory: "Error: Failed to open ASE file PATH.";  empty or garbage: one
#           line that the file has no geometry object (the loader skips what it does not know; the
#           model is empty);  cut in half: one line of the loader's, naming the file.
#   sound   run with the dummy audio driver instead of --mute, so that files are decoded and not only
#           opened: missing, empty, garbage and (ambient loops) a directory all give the sound's
#           message, sails on stdout without "[ERROR]", the others on stderr; the ambient loops once,
#           the one-shot effects (cannon, explosion, splash) once per play, so their runs last a whole
#           loop of the script.
#   shader  missing, empty, garbage or a directory: "Error Vertexprogram: ..." and
#           "Error Fragmentprogram: ..." once each; the sea is then drawn by the fixed pipeline: the
#           picture's lower half is still sea, and the sky and the ship look as they do with the shader.
source "$(dirname "$0")/lib.sh"

tree="$work_dir/tree"
pristine="$work_dir/pristine"
mkdir -p "$pristine" "$tree"
cp -r "$bin_dir" "$build_dir/data" "$pristine/"
cp -r "$pristine/bin" "$pristine/data" "$tree/"
out="$work_dir/out.txt"
err="$work_dir/err.txt"
shot="$work_dir/shot.png"
passed=0

# Garbage: 3000 bytes of every value, no "BM" or header size at the start, no keyword of a model.
garbage() { LC_ALL=C awk 'BEGIN { for (i = 1; i <= 1000; i++) printf "%c%c%c", (i * 37 + 11) % 256, (i * 101 + 7) % 256, (i * 13 + 5) % 256 }'; }

# Puts file $1 (relative to the tree) into state $2: missing, empty, garbage, directory, half.
spoil() {
  local file="$tree/$1"
  case $2 in
    missing) rm -f "$file" ;;
    directory) rm -f "$file" && mkdir "$file" ;;
    empty) : >"$file" ;;
    garbage) garbage >"$file" ;;
    half) head -c $(($(stat -c %s "$pristine/$1") / 2)) "$pristine/$1" >"$file" ;;
  esac
}
restore() { rm -rf "${tree:?}/$1" && cp "$pristine/$1" "$tree/$1"; }

# Runs the demo in the tree with the given options, to its last frame and a screenshot.
run_tree() {
  rm -f "$shot"
  local status=0
  (cd "$tree/bin" && KARVOSTA_NO_DIALOGS=1 ./karvosta --no-dialogs --seed 1 --screenshot "$shot" "$@") \
    >"$out" 2>"$err" || status=$?
  [ "$status" -eq 0 ] || fail "$label: exit $status: $(tail -n 20 "$err")"
  grep -q "screenshot written to" "$out" && [ -s "$shot" ] || fail "$label: the last frame was not reached"
  # Start-up itself went on past the failure: every progress line is complete.
  [ "$(grep -c '\.\.\.done$' "$out")" -eq 7 ] || fail "$label: start-up lines incomplete: $(cat "$out")"
  # Standard output holds progress lines only, and the one failure message that belongs there.
  if grep -v -x -E '(initialising water|loading "[^"]*"|loading textures) \.\.\.done|screenshot written to .*' "$out" |
    grep -v -x -F 'could not open sails file' | grep -q .; then
    fail "$label: unexpected lines on stdout: $(cat "$out")"
  fi
}
short_run() { run_tree --frames 20 --fixed-dt 0.1 --mute; }

# Exactly $3 lines of stream file $2 are the line $1; with $4 = only, no other line is there.
expect_lines() {
  local count
  count=$(grep -c -x -F -- "$1" "$2" || true)
  [ "$count" -eq "$3" ] || fail "$label: \"$1\" $count times instead of $3 in $(basename "$2"): $(cat "$2")"
  if [ "${4:-}" = only ] && grep -v -x -F -- "$1" "$2" | grep -q .; then
    fail "$label: other lines in $(basename "$2"): $(cat "$2")"
  fi
}
expect_silence() { # nothing on stderr
  if [ -s "$err" ]; then fail "$label: unexpected messages: $(cat "$err")"; fi
}

# --- Bitmaps -----------------------------------------------------------------------------------------
# How often a bitmap is loaded: the fixed textures once; a model texture once per material naming it.
loads_of() {
  case $1 in
    textures/template.bmp | textures/dome256256.bmp | textures/bumpversion_nm.bmp) echo 1 ;;
    *) cat "$pristine"/data/objects/*.ase | grep -c -E "^\s*\*BITMAP \.\./data/$1\s*$" || true ;;
  esac
}
bitmaps=$(cd "$pristine/data" && ls textures/*.bmp)
[ "$(echo "$bitmaps" | wc -l)" -ge 10 ] || fail "expected at least 10 bitmaps in the tree: $bitmaps"
for bitmap in $bitmaps; do
  loads=$(loads_of "$bitmap")
  [ "$loads" -ge 1 ] || fail "no model names $bitmap"
  for state in missing empty garbage directory half; do
    label="$bitmap $state"
    spoil "data/$bitmap" "$state"
    short_run
    case $state in
      missing | empty | directory) expect_lines "Error: Failed to open DIB file ../data/$bitmap." "$err" "$loads" only ;;
      garbage) expect_lines "Error: Unknown DIB file format." "$err" "$loads" only ;;
      half) expect_lines "Error: Image file conversion error." "$err" "$loads" only ;;
    esac
    restore "data/$bitmap"
    passed=$((passed + 1))
  done
done

# --- Models ------------------------------------------------------------------------------------------
for model in objects/schiff1.ase objects/schiff2.ase objects/ente.ase; do
  for state in missing empty garbage directory half; do
    label="$model $state"
    spoil "data/$model" "$state"
    short_run
    grep -q -x -F "loading \"../data/$model\" ...done" "$out" || fail "$label: no progress line: $(cat "$out")"
    case $state in
      missing | directory) expect_lines "Error: Failed to open ASE file ../data/$model." "$err" 1 only ;;
      empty | garbage) expect_lines "ASE file \"../data/$model\" has no geometry object (*GEOMOBJECT); the model draws nothing." "$err" 1 only ;;
      half)
        [ "$(wc -l <"$err")" -eq 1 ] && grep -q "^ASE file \"../data/$model\"" "$err" ||
          fail "$label: expected one line of the loader: $(cat "$err")"
        ;;
    esac
    restore "data/$model"
    passed=$((passed + 1))
  done
done

# --- Sounds ------------------------------------------------------------------------------------------
# Each sound's message and the stream it belongs on; one-shot effects need a whole loop to be played.
sound_message() {
  case $1 in
    wind.wav) echo "[ERROR] could not open hgsample file" ;;
    sails.mp3) echo "could not open sails file" ;;
    ocean.wav) echo "[ERROR] could not open ocean file" ;;
    quack1.mp3) echo "[ERROR] could not open quack1 file" ;;
    quack2.mp3) echo "[ERROR] could not open quack2 file" ;;
    cannon[1-4].wav) echo "[ERROR] could not open firesample file" ;;
    explosion.wav) echo "[ERROR] could not open explosion file" ;;
    watersplash.wav) echo "[ERROR] could not open watersplash file" ;;
  esac
}
sounds=$(cd "$pristine/data/sound" && ls)
[ "$(echo "$sounds" | wc -l)" -eq 11 ] || fail "expected 11 sounds in the tree: $sounds"
for sound in $sounds; do
  message=$(sound_message "$sound")
  [ -n "$message" ] || fail "no message known for sound $sound"
  states="missing empty garbage"
  case $sound in cannon* | explosion.wav | watersplash.wav) ;; *) states="$states directory" ;; esac
  for state in $states; do
    label="sound/$sound $state"
    spoil "data/sound/$sound" "$state"
    case $sound in
      cannon* | explosion.wav | watersplash.wav)
        # One loop at half-second steps: dozens of shots, hits and splashes.
        SDL_AUDIODRIVER=dummy run_tree --frames 140 --fixed-dt 0.5
        count=$(grep -c -x -F -- "$message" "$err" || true)
        [ "$count" -ge 1 ] || fail "$label: \"$message\" never reported: $(cat "$err")"
        expect_lines "$message" "$err" "$count" only
        ;;
      sails.mp3)
        SDL_AUDIODRIVER=dummy run_tree --frames 20 --fixed-dt 0.1
        expect_lines "$message" "$out" 1
        expect_silence
        ;;
      *)
        SDL_AUDIODRIVER=dummy run_tree --frames 20 --fixed-dt 0.1
        expect_lines "$message" "$err" 1 only
        ;;
    esac
    restore "data/sound/$sound"
    passed=$((passed + 1))
  done
done

# --- Shader source -----------------------------------------------------------------------------------
# Ship B and its reflection in view (run time 14 s): the reference picture with the shader.
shader_run() { run_tree --frames 56 --fixed-dt 0.25 --mute; }
label="reference"
shader_run
cp "$shot" "$work_dir/reference.png"
sky_ref=$(probe "$work_dir/reference.png" 0 20 800 200 sky)
timber_ref=$(probe "$work_dir/reference.png" 0 150 800 300 brown)
sails_ref=$(probe "$work_dir/reference.png" 0 150 800 265 white)
[ "$sky_ref" -gt 50000 ] && [ "$timber_ref" -gt 1000 ] && [ "$sails_ref" -gt 500 ] ||
  fail "reference picture at 14 s: sky $sky_ref, timber $timber_ref, sails $sails_ref pixels"
# Within 5 % (at least 50 pixels) of the reference.
near() { local d=$(($1 - $2)); d=${d#-}; [ "$d" -le $(($2 / 20 + 50)) ]; }
for state in missing empty garbage directory; do
  label="bin/wave.cg $state"
  spoil bin/wave.cg "$state"
  shader_run
  [ "$(grep -c '^Error Vertexprogram: ' "$err")" -eq 1 ] || fail "$label: vertex program error: $(cat "$err")"
  [ "$(grep -c '^Error Fragmentprogram: ' "$err")" -eq 1 ] || fail "$label: fragment program error: $(cat "$err")"
  sea=$(probe "$shot" 0 300 800 600 sea)
  [ "$sea" -gt 200000 ] || fail "$label: lower half is not sea ($sea of 240000 pixels)"
  sky=$(probe "$shot" 0 20 800 200 sky)
  timber=$(probe "$shot" 0 150 800 300 brown)
  sails=$(probe "$shot" 0 150 800 265 white)
  near "$sky" "$sky_ref" && near "$timber" "$timber_ref" && near "$sails" "$sails_ref" ||
    fail "$label: sky $sky/$sky_ref, timber $timber/$timber_ref, sails $sails/$sails_ref pixels"
  restore bin/wave.cg
  passed=$((passed + 1))
done

echo "$passed passed, 0 failed"
