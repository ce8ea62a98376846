#!/usr/bin/env bash
# The pictures the screen texts are judged on: the title lines at 48, 52 and 55 s of the run (three
# lines rising, all four, the first near the top) in windows of 800x600, 1280x720 and 1920x1080, full
# screen on a 1920x1080 screen, and in a 1080p film. Fixed clock (0.1 s steps, the film's 1/30 s),
# seed 3, on an X server of its own. Then bench/look_sheet.sh BEFORE AFTER sheet.png sets two builds'
# pictures side by side (WIDTH=640 keeps their shapes and the letters legible).
# Usage: bench/title_shots.sh BUILD_DIR OUT_DIR
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR OUT_DIR" >&2; exit 2; }
# FILM=0 leaves out the film, WINDOWS=0 the windows and full screen.
if [ -z "${KARVOSTA_TITLE_SCREEN:-}" ]; then
  exec env KARVOSTA_TITLE_SCREEN=1 xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi
build=$(realpath "$1")
out=$(mkdir -p "$2" && realpath "$2")
cd "$build/bin"
for seconds in 48 52 55; do
  [ "${WINDOWS:-1}" != 0 ] || break
  for size in 800x600 1280x720 1920x1080; do
    KARVOSTA_NO_DIALOGS=1 ./karvosta --frames $((seconds * 10)) --fixed-dt 0.1 --seed 3 --mute --size $size \
      --screenshot "$out/t${seconds}_window_$size.png" >/dev/null
  done
  KARVOSTA_NO_DIALOGS=1 ./karvosta --frames $((seconds * 10)) --fixed-dt 0.1 --seed 3 --mute --fullscreen \
    --screenshot "$out/t${seconds}_fullscreen.png" >/dev/null
done
film="$out/film.mp4"
[ "${FILM:-1}" != 0 ] && KARVOSTA_NO_DIALOGS=1 ./karvosta --record "$film" --size 1920x1080 --start 47 --seconds 55.5 --seed 3 >/dev/null 2>&1
for seconds in 48 52 55; do
  [ -f "$film" ] || break
  ffmpeg -loglevel error -y -ss $((seconds - 47)) -i "$film" -frames:v 1 "$out/t${seconds}_film_1920x1080.png"
done
rm -f "$film"
ls "$out"
