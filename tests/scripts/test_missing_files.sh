# Damaged data files, one per run, each run on a private tree (links to the real files, the damaged one
# replaced) and several runs at once. Every run reaches its last frame and exits 0 with complete
# progress lines; the damage is reported by the message that belongs to it, on its stream, as often
# as the file is loaded. Together the rows cover every message, both streams and every kind of damage
# (missing, empty, garbage, a directory, cut in half) for bitmaps, models, sounds, the shader sources
# and the screen texts' glyph atlas, which leaves the bitmap font. (The sea's shader source missing or
# wrong, and the sea drawn without it, are test_water_draw's.)
# The effects' sprites are bitmaps too: without one, its particles (the ducks' wakes from the start)
# are drawn as plain quads.
source "$(dirname "$0")/lib.sh"

# file | damage | stream | times | message: the lines of the stream that begin with the message
# ("+": at least one), and no other messages ("0": nothing on stderr). Dialog texts go to stderr.
# A model texture is loaded once per material naming it; one-shot sounds once per play, so their runs
# last past the first broadsides, hits and splashes. Sounds play on SDL's dummy driver: files are decoded.
cases='data/textures/template.bmp|missing|err|1|Error: Failed to open DIB file ../data/textures/template.bmp.
data/textures/dome256256.bmp|empty|err|1|Error: Failed to open DIB file ../data/textures/dome256256.bmp.
data/textures/canvas.bmp|directory|err|2|Error: Failed to open DIB file ../data/textures/canvas.bmp.
data/textures/bumpversion_nm.bmp|garbage|err|1|Error: Unknown DIB file format.
data/textures/wood.bmp|half|err|2|Error: Image file conversion error.
data/textures/smoke.bmp|missing|err|1|Error: Failed to open DIB file ../data/textures/smoke.bmp.
data/textures/foam.bmp|garbage|err|1|Error: Unknown DIB file format.
data/objects/schiff1.ase|missing|err|1|Error: Failed to open ASE file ../data/objects/schiff1.ase.
data/objects/schiff2.ase|directory|err|1|Error: Failed to open ASE file ../data/objects/schiff2.ase.
data/objects/ente.ase|empty|err|1|ASE file "../data/objects/ente.ase" has no geometry object
data/objects/schiff1.ase|garbage|err|1|ASE file "../data/objects/schiff1.ase" has no geometry object
data/objects/ente.ase|half|err|1|ASE file "../data/objects/ente.ase"
data/sound/wind.wav|missing|err|1|[ERROR] could not open hgsample file
data/sound/sails.mp3|garbage|out|1|could not open sails file
data/sound/ocean.wav|directory|err|1|[ERROR] could not open ocean file
data/sound/quack1.mp3|empty|err|1|[ERROR] could not open quack1 file
data/sound/quack2.mp3|missing|err|1|[ERROR] could not open quack2 file
data/sound/cannon2.wav|garbage|err|+|[ERROR] could not open firesample file
data/sound/explosion.wav|empty|err|+|[ERROR] could not open explosion file
data/sound/watersplash.wav|missing|err|+|[ERROR] could not open watersplash file
bin/wave.cg|directory|err|1|Error Vertexprogram:
data/fonts/sans.txt|missing|err|1|Error: Failed to open font file ../data/fonts/sans.txt.
data/fonts/sans.txt|half|err|1|Error: Font file ../data/fonts/sans.txt: line
data/fonts/sans.bmp|garbage|err|1|Error: Unknown DIB file format.
bin/text.cg|missing|err|1|Error Textprogram:'

pristine="$work_dir/pristine"
mkdir -p "$pristine"
cp -r "$bin_dir" "$build_dir/data" "$pristine/"

# Garbage: 3000 bytes of every value, no "BM" or header size at the start, no keyword of a model.
garbage() { LC_ALL=C awk 'BEGIN { for (i = 1; i <= 1000; i++) printf "%c%c%c", (i * 37 + 11) % 256, (i * 101 + 7) % 256, (i * 13 + 5) % 256 }'; }

# Runs case $1 (a row of the table, or "reference") in $work_dir/$2; writes "ok" or the failure to $2/result.
run_case() {
  local file damage stream times message dir=$work_dir/$2
  IFS='|' read -r file damage stream times message <<<"$1"
  mkdir -p "$dir/tree"
  echo "$1" >"$dir/row"
  cp -rs "$pristine/bin" "$pristine/data" "$dir/tree/"
  # The program itself is linked hard: it finds its tree through its own path when "../" paths fail,
  # and a symbolic link would lead it back to the undamaged one.
  ln -f "$pristine/bin/karvosta" "$dir/tree/bin/karvosta"
  if [ "$1" != reference ]; then
    rm -f "$dir/tree/$file"
    case $damage in
      directory) mkdir "$dir/tree/$file" ;;
      empty) : >"$dir/tree/$file" ;;
      garbage) garbage >"$dir/tree/$file" ;;
      half) head -c $(($(stat -c %s "$pristine/$file") / 2)) "$pristine/$file" >"$dir/tree/$file" ;;
    esac
  fi
  local options=(--frames 20 --fixed-dt 0.1 --mute) out=$dir/out.txt err=$dir/err.txt
  case $file in
    data/sound/cannon* | data/sound/explosion.wav | data/sound/watersplash.wav) options=(--frames 48 --fixed-dt 0.5) ;;
    data/sound/*) options=(--frames 20 --fixed-dt 0.1) ;;
  esac
  local status=0
  (cd "$dir/tree/bin" && SDL_AUDIODRIVER=dummy ./karvosta --no-dialogs --seed 1 --screenshot "$dir/shot.png" \
    "${options[@]}") >"$out" 2>"$err" || status=$?
  {
    [ "$status" -eq 0 ] || { echo "exit $status: $(tail -n 5 "$err")"; return; }
    grep -q "screenshot written to" "$out" && [ -s "$dir/shot.png" ] || { echo "last frame not reached"; return; }
    [ "$(grep -c '\.\.\.done$' "$out")" -eq 7 ] || { echo "start-up lines incomplete: $(cat "$out")"; return; }
    local extra lines others
    extra=$(grep -v -x -E '(initialising water|loading "[^"]*"|loading textures) \.\.\.done|screenshot written to .*' "$out" |
      grep -v -x -F 'could not open sails file' || true)
    [ -z "$extra" ] || { echo "stdout: $extra"; return; }
    [ "${times:-0}" = 0 ] && { [ -s "$err" ] && echo "unexpected messages: $(cat "$err")" || echo ok; return; }
    lines=$(awk -v m="$message" 'index($0, m) == 1' "$dir/$stream.txt" | wc -l)
    others=$(awk -v m="$message" 'index($0, m) != 1' "$err" | wc -l)
    [ "$stream" = out ] && others=$(wc -l <"$err")
    [ "$file" = bin/wave.cg ] && others=$((1 - $(grep -c '^Error Fragmentprogram: ' "$err")))
    [ "$file" = bin/text.cg ] && others=$(grep -c -v -x -e 'Error Textprogram: .*' -e 'cannot read the shader source file' "$err" || true)
    [ "$times" = + ] && [ "$lines" -ge 1 ] && times=$lines
    [ "$lines" -eq "$times" ] && [ "$others" -eq 0 ] ||
      { echo "\"$message\" $lines times, expected $times; stderr: $(cat "$err")"; return; }
    echo ok
  } >"$dir/result"
}

# Runs go in lanes, one per processor, each on an X server of its own: windows of runs sharing a
# screen would cover each other, and a covered window is neither drawn nor read back. The longest runs
# are dealt out first.
lanes=$(nproc)
servers=()
for lane in $(seq "$lanes"); do
  Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset 3>"$work_dir/display$lane" >/dev/null 2>&1 &
  servers+=($!)
done
trap 'kill "${servers[@]}" 2>/dev/null || true; rm -rf "$work_dir"' EXIT
rows=()
lane_pids=()
while IFS= read -r row; do rows+=("$row"); done < <(echo reference; echo "$cases" | grep -E 'cannon|explosion|watersplash'
  echo "$cases" | grep -v -E 'cannon|explosion|watersplash')
for lane in $(seq "$lanes"); do
  for _ in $(seq 100); do [ -s "$work_dir/display$lane" ] && break; sleep 0.05; done
  display=:$(cat "$work_dir/display$lane")
  (for ((i = lane - 1; i < ${#rows[@]}; i += lanes)); do DISPLAY=$display run_case "${rows[i]}" "case$i"; done) &
  lane_pids+=($!)
done
wait "${lane_pids[@]}"
failed=0
for dir in "$work_dir"/case*; do
  result=$(cat "$dir/result" 2>/dev/null || echo "no result")
  [ "$result" = ok ] || { echo "FAIL: $(cat "$dir/row"): $result" >&2; failed=$((failed + 1)); }
done

[ "$failed" -eq 0 ] || fail "$failed of ${#rows[@]} runs"
echo "${#rows[@]} passed, 0 failed"
