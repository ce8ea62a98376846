#!/usr/bin/env bash
# Frames/s of this tree's build against a base commit's, on the same fixed-step frames (seed 3, 0.02 s
# steps, muted): the base is checked out into a scratch work tree beside this one (build-base/, kept
# between runs, so a later run rebuilds only what changed) and built in Release. Each round runs
# both builds at every size on both drawing paths, the two builds' runs back to back, which one goes
# first alternating from round to round, so that the other load of a shared machine falls on both
# alike. Prints per size and path the medians over the rounds of each build's mean frames/s
# (--frame-stats, which adds no waits of its own), the ratio of the medians, and the median and
# range of the rounds' own ratios; the load averages at the start and the end.
# Usage: bench/base_compare.sh BASE_COMMIT [BUILD_DIR]
#   ROUNDS=5  SIZES="800x600 1920x1080"  PATHS="designed es2"
#   LENGTH="--loops 1" (the whole 71 s loop, 3,550 frames; "--frames 1500" for a shorter look)
#   BASE_TREE=build-base (where the base is checked out and built)
set -euo pipefail
[ $# -ge 1 ] || { sed -n 's/^# Usage: //p' "$0" >&2; exit 2; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi
root=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
base=$(git -C "$root" rev-parse --verify "$1^{commit}")
work=$(realpath "${2:-$root/build}")
rounds=${ROUNDS:-5}
sizes=${SIZES:-800x600 1920x1080}
paths=${PATHS:-designed es2}
length=${LENGTH:---loops 1}
tree=${BASE_TREE:-$root/build-base}
source "$root/bench/frame_runs.sh"

[ -x "$work/bin/karvosta" ] || { echo "no $work/bin/karvosta: build this tree first (scripts/setup.sh)" >&2; exit 1; }
if [ -e "$tree/.git" ]; then
  git -C "$tree" checkout -q --force --detach "$base"
else
  git -C "$root" worktree add -q --force --detach "$tree" "$base"
fi
echo "building the base $(git -C "$tree" log -1 --format='%h %s' | cut -c1-80) in $tree/build" >&2
KARVOSTA_TARGETS=karvosta "$tree/scripts/setup.sh" build >"$tree/build.log" 2>&1 ||
  { tail -n 30 "$tree/build.log" >&2; echo "the base did not build: $tree/build.log" >&2; exit 1; }
declare -A builds=([base]=$tree/build [work]=$work)

out=$(mktemp)
trap 'rm -f "$out"' EXIT
declare -A fps=() ratios=()
echo "base $(git -C "$tree" rev-parse --short HEAD), work $work; $rounds rounds of $length; load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq "$rounds"); do
  order="base work"
  [ $((round % 2)) = 0 ] && order="work base"
  for size in $sizes; do
    for path in $paths; do
      declare -A this=()
      for build in $order; do
        run_frames "${builds[$build]}" "$out" $length --gl "$path" --size "$size" --frame-stats
        this[$build]=$(frames_per_second "$out")
        fps[$build $size $path]+="${this[$build]} "
      done
      ratios[$size $path]+="$(awk -v w="${this[work]}" -v b="${this[base]}" 'BEGIN {print w / b}') "
      echo "round $round $size $path: base ${this[base]}, work ${this[work]} frames/s" >&2
      unset this
    done
  done
done

echo "| size | path | base frames/s | work frames/s | ratio of medians | rounds' ratios: median (range) |"
echo "|---|---|---|---|---|---|"
for size in $sizes; do
  for path in $paths; do
    b=$(tr ' ' '\n' <<<"${fps[base $size $path]}" | grep . | median)
    w=$(tr ' ' '\n' <<<"${fps[work $size $path]}" | grep . | median)
    r=$(tr ' ' '\n' <<<"${ratios[$size $path]}" | grep . | median)
    range=$(tr ' ' '\n' <<<"${ratios[$size $path]}" | grep . | sort -g | sed -n '1p;$p' | tr '\n' ' ')
    printf '| %s | %s | %.1f | %.1f | %.3f | %.3f (%.3f to %.3f) |\n' "$size" "$path" "$b" "$w" \
      "$(awk -v w="$w" -v b="$b" 'BEGIN {print w / b}')" "$r" $range
  done
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
