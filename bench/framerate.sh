#!/usr/bin/env bash
# Frame rate of the demo under Xvfb in real time (600 frames from start-up), against glxgears in a
# window of the same size as the reference. Prints both and their ratio last.
# Usage: bench/framerate.sh [build-dir] [extra demo options]
# KEYS="F7" bench/framerate.sh ... presses those keys once the window is up (F7: DrawElements,
# F7 F7: glBegin/glEnd, F4: sea without bump map and reflection).
set -euo pipefail
build_dir=$(realpath "${1:-build}")
shift || true
frames=${FRAMES:-600}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build_dir" "$@"
fi

cd "$build_dir/bin"
start=$(date +%s.%N)
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} KARVOSTA_NO_DIALOGS=1 ./karvosta --frames "$frames" --mute "$@" >/dev/null &
pid=$!
if [ -n "${KEYS:-}" ]; then
  window=$(xdotool search --sync --name karvosta | head -n 1)
  for key in $KEYS; do xdotool key --window "$window" "$key"; done
fi
wait "$pid"
end=$(date +%s.%N)
demo_fps=$(awk -v f="$frames" -v a="$start" -v b="$end" 'BEGIN {print f / (b - a)}')

gears_fps=$(timeout 12 glxgears -geometry 800x600 2>/dev/null | awk '/frames in/ {fps=$(NF-1)} END {print fps}' || true)
printf "demo:     %.1f frames/s (%d frames, including start-up)\n" "$demo_fps" "$frames"
printf "glxgears: %.1f frames/s\n" "${gears_fps:-0}"
if [ -n "${gears_fps:-}" ]; then
  awk -v d="$demo_fps" -v g="$gears_fps" 'BEGIN {printf "ratio demo/glxgears: %.3f\n", d / g}'
fi
