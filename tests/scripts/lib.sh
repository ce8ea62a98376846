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
