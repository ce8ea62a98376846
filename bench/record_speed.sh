#!/usr/bin/env bash
# Time, CPU, memory and file size of recording one loop of the demo (71 s of film at 30 frames/s) at
# 1280x720 and 1920x1080, with the mean time of each step of a frame (--profile): world, reflection
# and main pass (rendering), read-back, colour conversion and encoding. Faster than real time means
# under 71 s of wall time; wall/CPU near 0.5 means both cores of a two-core machine are busy. Then the
# first film's sound as FFmpeg's meters hear it: integrated loudness, loudness range, true peak and
# the largest decoded sample (1.0 is full scale).
# Usage: bench/record_speed.sh [build-dir] [sizes...]
set -euo pipefail
build_dir=$(realpath "${1:-build}")
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1280x720 1920x1080)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build_dir" "${sizes[@]}"
fi
[ -x /usr/bin/time ] || { echo "needs GNU time (/usr/bin/time): apt-get install time" >&2; exit 1; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cd "$build_dir/bin"
echo "$build_dir, load average at start: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
for size in "${sizes[@]}"; do
  # wall s, user s, system s, peak resident KB
  /usr/bin/time -o "$out/time.txt" -f "%e %U %S %M" \
    ./karvosta --record "$out/$size.mp4" --size "$size" --profile 2>/dev/null | sed -n '/frame profile/,$p'
  read -r wall user system rss <"$out/time.txt"
  frames=$(ffprobe -v error -count_packets -select_streams v -show_entries stream=nb_read_packets -of csv=p=0 \
    "$out/$size.mp4")
  awk -v s="$size" -v w="$wall" -v u="$user" -v y="$system" -v m="$rss" -v n="$frames" \
    -v b="$(stat -c %s "$out/$size.mp4")" 'BEGIN {
      c = u + y
      printf "%s: wall %.1f s (%.2fx real time), CPU %.1f s (user %.1f + system %.1f), wall/CPU %.2f, ", s, w, 71 / w, c, u, y, w / c
      printf "CPU per frame %.1f ms (%d frames), peak memory %.0f MB, file %.1f MB\n", 1000 * c / n, n, m / 1024, b / 1e6 }'
done

film="$out/${sizes[0]}.mp4"
ffmpeg -nostats -i "$film" -vn -af ebur128=peak=true -f null - 2>&1 |
  awk '/Integrated loudness:/ { s = "I" } /Loudness range:/ { s = "LRA" } /True peak:/ { s = "TP" }
       s == "I" && $1 == "I:" { i = $2 } s == "LRA" && $1 == "LRA:" { r = $2 } s == "TP" && $1 == "Peak:" { p = $2 }
       END { printf "sound of the %s film: integrated %s LUFS, range %s LU, true peak %s dBTP, ", "'"${sizes[0]}"'", i, r, p }'
ffmpeg -nostats -i "$film" -vn -af astats=measure_perchannel=none:measure_overall=Min_level+Max_level -f null - 2>&1 |
  awk '/Min level:/ { lo = $NF } /Max level:/ { hi = $NF } END { m = -lo > hi ? -lo : hi; printf "largest sample %.3f\n", m }'
