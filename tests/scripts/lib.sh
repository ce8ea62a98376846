# Helpers for the whole-program tests. Sourced; $1 of the test is the build directory.
set -euo pipefail
build_dir=$(realpath "$1")
bin_dir="$build_dir/bin"
work_dir=$(mktemp -d)
# KEEP=1 leaves the work folder (screenshots, logs) for a look after a failure.
trap '[ -n "${KEEP:-}" ] || rm -rf "$work_dir"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Width and height of a PNG file, read from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{printf "%d %d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}'; }

# Runs the demo from bin/ with the given options; a display must exist (the suite runs under xvfb-run).
run_demo() { (cd "$bin_dir" && KARVOSTA_NO_DIALOGS=1 ./karvosta "$@"); }

# Number of pixels of a colour class (see tests/tools/png_probe.cpp) in a rectangle of a screenshot.
probe() { "$build_dir/tests/png_probe" "$@"; }

# Prints the id of the viewable window whose title holds $1 once it shows, within $3 seconds, failing
# if process $2 ends first. The window's title is the invocation path: a link of the test's own names it.
find_window() {
  local window
  for _ in $(seq $(($3 * 20))); do
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && { echo "$window"; return; }
    kill -0 "$2" 2>/dev/null || fail "the demo ended before its window showed"
    sleep 0.05
  done
  fail "no window '$1' within $3 s"
}
