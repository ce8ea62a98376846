#!/usr/bin/env bash
# Dependence runs one way: a subsystem may include headers of its own level or below, never above.
# Prints every include that runs upward and exits 1 if there is one.
# Usage: scripts/check-includes.sh [source-root]
set -euo pipefail
root=${1:-"$(dirname "$0")/../src"}

# The order of the subsystems, lowest first; folders on one line share a level.
levels="
platform
drawing audio
assets sound
water camera sky
sim
effects
timeline
app
film
main
"

declare -A level
rank=0
while read -r line; do
  [ -z "$line" ] && continue
  for folder in $line; do level[$folder]=$rank; done
  rank=$((rank + 1))
done <<< "$levels"

upward=0
for folder in "$root"/*/; do
  from=$(basename "$folder")
  [ -n "${level[$from]+set}" ] || { echo "src/$from/ has no place in the order of subsystems"; upward=1; continue; }
  while IFS=: read -r file number text; do
    to=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<< "$text")
    if [ -n "${level[$to]+set}" ] && [ "${level[$to]}" -gt "${level[$from]}" ]; then
      echo "${file#"$root"/}:$number includes $to/, a level above $from/: $text"
      upward=1
    fi
  done < <(grep -Hn '^#include "[^/"]*/' "$folder"* || true)
done
[ "$upward" -eq 0 ] && echo "includes: every subsystem depends only on its own level and those below"
exit "$upward"
