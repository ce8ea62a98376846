#!/usr/bin/env bash
# The pictures the sea's look is judged on: fixed-step screenshots (seed 3, 0.02 s steps, 800x600) at
# 6, 12, 22, 30 and 48 s of the script, and two frames (27 s and 44 s) of a recorded film.
# Usage: bench/look_shots.sh BUILD_DIR OUT_DIR   (then bench/look_report.sh on OUT_DIR's PNGs)
# Environment: FILM=0 skips the film (it takes minutes with a software renderer), SHOTS=0 the
# screenshots.
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
build=$(realpath "$1")
out=$(mkdir -p "$2" && realpath "$2")
cd "$build/bin"
if [ "${SHOTS:-1}" != 0 ]; then
  for seconds in 6 12 22 30 48; do
    KARVOSTA_NO_DIALOGS=1 ./karvosta --frames $((seconds * 50)) --fixed-dt 0.02 --seed 3 --mute \
      --screenshot "$out/t$(printf %02d $seconds).png" >/dev/null
  done
fi
if [ "${FILM:-1}" != 0 ]; then
  film="$out/film.mp4"
  KARVOSTA_NO_DIALOGS=1 ./karvosta --record "$film" --seconds 45 --seed 3 >/dev/null
  for seconds in 27 44; do
    ffmpeg -loglevel error -y -ss "$seconds" -i "$film" -frames:v 1 "$out/film$seconds.png"
  done
  rm -f "$film"
fi
ls "$out"
