#!/usr/bin/env bash
# Builds the BMP and ASE fuzz targets (clang, libFuzzer, ASan+UBSan) in build-fuzz and runs both at
# once, one core each, for the given number of seconds (default 60). The corpora grow across runs under
# build-fuzz/corpus; crashing, leaking or slow inputs land in build-fuzz/artifacts and make the
# script exit non-zero. Usage: scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${KARVOSTA_FUZZ_BUILD:-build-fuzz}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKARVOSTA_FUZZ=ON -DKARVOSTA_BUILD_BENCH=OFF >/dev/null
# The generated assets are the seeds that look like real files.
cmake --build "$build" -j 2 --target fuzz_bmp fuzz_ase assets

mkdir -p "$build/corpus/bmp" "$build/corpus/ase" "$build/artifacts" "$build/logs"
cp -n "$build"/data/textures/*.bmp fuzz/seeds/bmp/* "$build/corpus/bmp/"
cp -n "$build"/data/objects/*.ase fuzz/seeds/ase/* "$build/corpus/ase/"

# -timeout: one input may take at most a second; -rss_limit_mb: 2 GB is the memory a load may take.
# -close_fd_mask=3: the loaders' progress lines and notes are not shown; libFuzzer's own report is.
common=(-max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -close_fd_mask=3 -print_final_stats=1)
run_target() {
  local name=$1 max_len=$2
  shift 2
  "$build/fuzz/fuzz_$name" "${common[@]}" -max_len="$max_len" -artifact_prefix="$build/artifacts/$name-" \
    "$@" "$build/corpus/$name" >"$build/logs/$name.log" 2>&1
}

echo "fuzzing the BMP decoder and the ASE loader for $seconds s each (logs in $build/logs)"
status=0
run_target bmp 65536 -dict=fuzz/bmp.dict &
bmp_pid=$!
run_target ase 200000 -dict=fuzz/ase.dict &
ase_pid=$!
wait "$bmp_pid" || status=1
wait "$ase_pid" || status=1

for name in bmp ase; do
  echo "== $name"
  # The last status line (executions, coverage) and the final statistics.
  grep -E '^#[0-9]+' "$build/logs/$name.log" | tail -1 || true
  grep -E '^stat::' "$build/logs/$name.log" || true
  grep -E 'ERROR|SUMMARY|Test unit written' "$build/logs/$name.log" || true
done
if [ "$status" -ne 0 ] || compgen -G "$build/artifacts/*" >/dev/null; then
  echo "fuzzing found problems: see $build/artifacts and $build/logs" >&2
  exit 1
fi
echo "no findings"
