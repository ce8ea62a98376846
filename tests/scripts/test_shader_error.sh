# The whole demo with a broken or missing sea shader: start-up shows the compiler's text under the
# program's caption and goes on, and the demo still runs to its last frame.
source "$(dirname "$0")/lib.sh"

# A run-time tree of its own: the program, the given wave.cg (or none), the real data.
make_tree() {
  rm -rf "$work_dir/tree"
  mkdir -p "$work_dir/tree/bin"
  cp "$bin_dir/karvosta" "$work_dir/tree/bin/"
  ln -s "$build_dir/data" "$work_dir/tree/data"
}
run_tree() {
  (cd "$work_dir/tree/bin" && KARVOSTA_NO_DIALOGS=1 ./karvosta --frames 10 --fixed-dt 0.02 --seed 1 --mute \
    --screenshot "$work_dir/shot.png") >"$work_dir/out.txt" 2>"$work_dir/err.txt"
}

passed=0
[ -s "$bin_dir/wave.cg" ] || fail "no $bin_dir/wave.cg: build the shader_source target"

# 1. A syntax error in the fragment entry.
make_tree
awk '/void fragmentshader\(\)/ { print "this is not a shader line" } { print }' "$bin_dir/wave.cg" \
  >"$work_dir/tree/bin/wave.cg"
rm -f "$work_dir/shot.png"
run_tree || fail "demo with a broken fragment entry failed: $(cat "$work_dir/err.txt")"
grep -q "^Error Fragmentprogram: " "$work_dir/err.txt" || fail "no fragment program error: $(cat "$work_dir/err.txt")"
grep -q "error" "$work_dir/err.txt" || fail "compiler text missing: $(cat "$work_dir/err.txt")"
if grep -q "Error Vertexprogram" "$work_dir/err.txt"; then fail "vertex entry reported broken too"; fi
grep -q "initialising water ...done" "$work_dir/out.txt" || fail "start-up line missing"
[ -s "$work_dir/shot.png" ] || fail "no picture after a broken fragment entry"
passed=$((passed + 1))

# 2. No shader source at all.
make_tree
rm -f "$work_dir/shot.png"
run_tree || fail "demo without wave.cg failed: $(cat "$work_dir/err.txt")"
grep -q "^Error Vertexprogram: " "$work_dir/err.txt" || fail "no vertex program error: $(cat "$work_dir/err.txt")"
grep -q "^Error Fragmentprogram: " "$work_dir/err.txt" || fail "no fragment program error: $(cat "$work_dir/err.txt")"
[ -s "$work_dir/shot.png" ] || fail "no picture without wave.cg"
passed=$((passed + 1))

echo "$passed passed, 0 failed"
