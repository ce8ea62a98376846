#!/usr/bin/env bash
# A side-by-side sheet of the look pictures of two builds (bench/look_shots.sh), each picture halved:
# one row per picture, the first directory's on the left.
# Usage: bench/look_sheet.sh BEFORE_DIR AFTER_DIR SHEET.png
# Environment: WIDTH=N scales each picture to N pixels wide, keeping its shape, instead of halving it
# to 400x300.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 BEFORE_DIR AFTER_DIR SHEET.png" >&2; exit 2; }
inputs=() filter= rows=
n=0
for before in "$1"/*.png; do
  name=$(basename "$before")
  after="$2/$name"
  [ -f "$after" ] || { echo "$name: missing in $2" >&2; continue; }
  inputs+=(-i "$before" -i "$after")
  scale=${WIDTH:+$WIDTH:-2}
  scale=${scale:-400:300}
  filter+="[$((2 * n)):v]scale=$scale[b$n];[$((2 * n + 1)):v]scale=$scale[a$n];[b$n][a$n]hstack[r$n];"
  rows+="[r$n]"
  n=$((n + 1))
done
[ "$n" -gt 0 ] || { echo "no pictures in both $1 and $2" >&2; exit 1; }
if [ "$n" -eq 1 ]; then filter+="${rows}copy"; else filter+="${rows}vstack=inputs=$n"; fi
ffmpeg -loglevel error -y "${inputs[@]}" -filter_complex "$filter" -frames:v 1 "$3"
echo "sheet of $n pictures: $3"
