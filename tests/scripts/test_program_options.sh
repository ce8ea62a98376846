# Command line: --help lists the options and exits 0; a bad option or value prints the usage and exits 2.
source "$(dirname "$0")/lib.sh"

(cd "$bin_dir" && ./karvosta --help) | grep -q -- "--frames" || fail "--help does not list --frames"
status=0
(cd "$bin_dir" && ./karvosta --frames 0) >/dev/null 2>"$work_dir/err.txt" || status=$?
[ "$status" -eq 2 ] && grep -q "usage: karvosta" "$work_dir/err.txt" || fail "--frames 0: exit $status, $(cat "$work_dir/err.txt")"
echo "1 passed, 0 failed"
