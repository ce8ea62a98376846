#!/usr/bin/env bash
# The sea's fragment program's share of whole frames: the demo's own frames (seed 3, 0.02 s steps,
# muted) drawn with wave.cg as built and with "fragmentshader" cut down to one of its parts, the
# versions taking turns round by round. Prints each version's median processor time per frame (all
# of the process's threads: on llvmpipe the pixels are shaded on its own threads) and frames/s.
# Processor time moves less with a shared machine's other load than frames/s do.
#   as-built     the program as it is
#   open-sea     shadeSea and the glint, without the reflection image's read (what openseashader does)
#   bump-read    the bump map's read alone
#   mirror-read  the reflection image's read alone, at the fragment's own place
#   constant     the water's body colour, no read and no arithmetic: what the rest of the frame costs
# Usage: bench/sea_share.sh [BUILD_DIR]   Environment: ROUNDS (default 3), FRAMES (default 600),
#   SIZE (default 1920x1080), GL (default designed; es2 draws most of the sea through openseashader,
#   which these versions leave as it is).
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi
build=$(realpath "${1:-build}")
[ -x "$build/bin/karvosta" ] || { echo "no $build/bin/karvosta: build the tree first (scripts/setup.sh)" >&2; exit 1; }
rounds=${ROUNDS:-3}
frames=${FRAMES:-600}
size=${SIZE:-1920x1080}
path=${GL:-designed}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

declare -A bodies=(
  [as-built]=""
  [open-sea]="vec2 normalXY; float glint, objectShare; vec3 sea = shadeSea(normalXY, glint, objectShare);
  gl_FragColor = vec4(sea + glint * kSunColor, 1.0);"
  [bump-read]="gl_FragColor = texture2D(bumptextur, bumpCoord);"
  [mirror-read]="gl_FragColor = texture2D(reflextextur, reflectionCoord.xy / reflectionCoord.z);"
  [constant]="gl_FragColor = vec4(bodyColor, 1.0);"
)
versions="as-built open-sea bump-read mirror-read constant"
# Each version runs from a copy of the build's bin/ beside a link to its data/: the program reads
# "../bin/wave.cg" and "../data/" from its working directory.
for version in $versions; do
  mkdir -p "$scratch/$version"
  cp -r "$build/bin" "$scratch/$version/bin"
  ln -s "$build/data" "$scratch/$version/data"
  [ -z "${bodies[$version]}" ] && continue
  BODY=${bodies[$version]} python3 - "$scratch/$version/bin/wave.cg" <<'PY'
import os, sys
text = open(sys.argv[1]).read()
start = text.index("void fragmentshader() {")
end = text.index("#endif", start)
open(sys.argv[1], "w").write(text[:start] + "void fragmentshader() {\n  " + os.environ["BODY"] + "\n}\n\n" + text[end:])
PY
done

results=$scratch/results
echo "$rounds rounds of $frames frames at $size, --gl $path; load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq "$rounds"); do
  for version in $versions; do
    out=$scratch/out
    (cd "$scratch/$version/bin" && KARVOSTA_NO_DIALOGS=1 /usr/bin/time -f 'processor %U %S' ./karvosta --fixed-dt 0.02 \
      --seed 3 --mute --frames "$frames" --gl "$path" --size "$size" --frame-stats) >"$out" 2>&1 ||
      { echo "$version failed:" >&2; cat "$out" >&2; exit 1; }
    # A version that does not compile would leave the sea to GL's fixed stage and look cheap.
    if grep -qi 'error' "$out"; then echo "$version:" >&2; cat "$out" >&2; exit 1; fi
    awk -v v="$version" -v n="$frames" '/^processor/ {cpu = ($2 + $3) * 1000 / n}
      /frames\/s/ {match($0, /\(([0-9.]+) frames\/s\)/); fps = substr($0, RSTART + 1, RLENGTH - 11)}
      END {print v, cpu, fps}' "$out" >>"$results"
  done
done
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
printf "%-12s %22s %14s\n" version "processor ms/frame" "frames/s"
for version in $versions; do
  cpu=$(awk -v v="$version" '$1 == v {print $2}' "$results" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
  fps=$(awk -v v="$version" '$1 == v {print $3}' "$results" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
  printf "%-12s %22.1f %14.1f\n" "$version" "$cpu" "$fps"
done
