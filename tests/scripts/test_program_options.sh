# Command line: help, unknown options and malformed values.
source "$(dirname "$0")/lib.sh"

(cd "$bin_dir" && ./karvosta --help) >"$work_dir/help.txt" || fail "--help did not exit 0"
grep -q -- "--frames" "$work_dir/help.txt" || fail "--help does not list --frames"

for args in "--bogus" "--frames" "--frames 0" "--frames abc" "--fixed-dt -1" "--seed 1.5" "--screenshot"; do
  set +e
  (cd "$bin_dir" && ./karvosta $args) >"$work_dir/out.txt" 2>"$work_dir/err.txt"
  code=$?
  set -e
  [ "$code" -eq 2 ] || fail "'$args' exited $code, expected 2"
  grep -q "usage: karvosta" "$work_dir/err.txt" || fail "'$args' printed no usage text"
done

# Without any display the program says so instead of crashing.
set +e
(cd "$bin_dir" && env -u DISPLAY -u WAYLAND_DISPLAY ./karvosta --frames 5) 2>"$work_dir/err.txt"
code=$?
set -e
[ "$code" -ne 0 ] || fail "ran without a display"
grep -q "needs a display" "$work_dir/err.txt" || fail "no clear message without a display"
echo "1 passed, 0 failed"
