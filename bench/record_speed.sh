#!/usr/bin/env bash
# Time and file size of recording one loop of the demo (71 s of film at 30 frames/s) at 1280x720 and
# 1920x1080, with the mean time of each step of a frame (--profile): world, reflection and main pass
# (rendering), read-back, colour conversion and encoding. Faster than real time means under 71 s.
# Usage: bench/record_speed.sh [build-dir] [sizes...]
set -euo pipefail
build_dir=$(realpath "${1:-build}")
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1280x720 1920x1080)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build_dir" "${sizes[@]}"
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cd "$build_dir/bin"
for size in "${sizes[@]}"; do
  start=$(date +%s.%N)
  ./karvosta --record "$out/$size.mp4" --size "$size" --profile 2>/dev/null | sed -n '/frame profile/,$p'
  end=$(date +%s.%N)
  bytes=$(stat -c %s "$out/$size.mp4")
  awk -v s="$size" -v t0="$start" -v t1="$end" -v b="$bytes" \
    'BEGIN { t = t1 - t0; printf "%s: %.1f s for 71 s of film (%.2fx real time), %.1f MB\n", s, t, 71 / t, b / 1e6 }'
done
