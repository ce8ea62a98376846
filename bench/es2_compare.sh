#!/usr/bin/env bash
# The GL ES 2.0 path against the designed one on the same fixed-step frames (seed 3, 0.02 s steps,
# 800x600, frames 300, 600, 1100, 1500 and 2400): per frame the PSNR of the whole picture and the
# share of pixels within 12 levels in every channel outside the text, and a side-by-side sheet.
# Usage: bench/es2_compare.sh BUILD_DIR OUT_DIR [FRAMES...]
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
build=$(realpath "$1")
out=$(mkdir -p "$2" && realpath "$2")
shift 2
frames=("$@")
[ ${#frames[@]} -gt 0 ] || frames=(300 600 1100 1500 2400)
bench=$(dirname "$(realpath "$0")")
mkdir -p "$out/designed" "$out/es2"
cd "$build/bin"
for frame in "${frames[@]}"; do
  for path in designed es2; do
    KARVOSTA_NO_DIALOGS=1 ./karvosta --frames "$frame" --fixed-dt 0.02 --seed 3 --mute --gl "$path" \
      --screenshot "$out/$path/frame$frame.png" >/dev/null
  done
done
for frame in "${frames[@]}"; do
  psnr=$(ffmpeg -hide_banner -i "$out/designed/frame$frame.png" -i "$out/es2/frame$frame.png" -lavfi psnr \
    -f null - 2>&1 | sed -n 's/.*average:\([0-9.inf]*\).*/\1/p')
  printf 'frame %5s  PSNR %6s dB  %s\n' "$frame" "$psnr" \
    "$(python3 "$bench/picture_close.py" "$out/designed/frame$frame.png" "$out/es2/frame$frame.png")"
done
"$bench/look_sheet.sh" "$out/designed" "$out/es2" "$out/sheet.png"
