# The scripted battle is worth watching for every seed from 1 to 20 (first 71 s at 60 steps/s):
# B's opening broadside hits at least two ducks, both ships are hit at least three times, one ship
# sinks between run time 40 and 65 s and is gone before the restart, and at least a quarter of all
# balls fired hit a ship or a duck.
source "$(dirname "$0")/lib.sh"

failures=0
for seed in $(seq 1 20); do
  log="$work_dir/seed$seed.log"
  (cd "$bin_dir" && ./karvosta --headless --seconds 71 --seed "$seed" --event-log "$log") >/dev/null 2>&1 \
    || fail "headless run with seed $seed failed"
  verdict=$(awk '
    $1 ~ /^#/ { next }
    { run = $2; kind = $3 }
    kind == "broadside-fired" { for (i = 4; i <= NF; i++) if ($i ~ /^value=/) { sub("value=", "", $i); fired += $i } }
    kind == "duck-hit" { hits++; if (run < 18) earlyDucks++ }
    kind == "ship-hit" { hits++; name = $0; sub(/.*ship="/, "", name); sub(/".*/, "", name); shipHits[name]++ }
    kind == "ship-sinking" && !sinkTime { sinkTime = run }
    kind == "ship-removed" && !removeTime { removeTime = run }
    END {
      problems = ""
      if (earlyDucks < 2) problems = problems " ducks-hit-by-first-broadside=" earlyDucks+0
      n = 0; for (s in shipHits) { if (shipHits[s] < 3) problems = problems " few-hits-on=" s ":" shipHits[s]; n++ }
      if (n < 2) problems = problems " ships-hit=" n
      if (!sinkTime || sinkTime < 40 || sinkTime > 65) problems = problems " sinking-at=" sinkTime+0
      if (!removeTime || removeTime >= 71) problems = problems " removed-at=" removeTime+0
      if (fired == 0 || hits / fired < 0.25) problems = problems " hit-rate=" hits "/" fired
      print (problems == "" ? "ok" : problems)
    }' "$log")
  if [ "$verdict" != "ok" ]; then
    echo "seed $seed:$verdict"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] || fail "$failures of 20 seeds miss the battle goals"
echo "20 passed, 0 failed"
