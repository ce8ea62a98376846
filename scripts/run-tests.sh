#!/usr/bin/env bash
# Sets everything up, then runs the whole test suite: unit, GL and whole-program tests of the Release
# build under Xvfb, and the unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
# Then the web page's tests in headless Chromium (scripts/test-web.sh); `--no-web` leaves them out on a
# machine without Emscripten and Chromium. Exits non-zero on any failure.
# Usage: scripts/run-tests.sh [--no-web]
set -euo pipefail
cd "$(dirname "$0")/.."
web=1
for arg in "$@"; do
  case "$arg" in
    --no-web) web=0 ;;
    *) echo "usage: scripts/run-tests.sh [--no-web]" >&2; exit 2 ;;
  esac
done
scripts/check-includes.sh
scripts/setup.sh build
jobs=$(nproc)
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

echo "== Release build: unit tests"
(cd build && ctest --output-on-failure -j "$jobs" -L unit)
# One at a time: the program tests find their window by its title, and every test here shares one
# virtual display. -noreset: the server must not reset between two clients, or a test that connects
# in that moment finds no display.
echo "== Release build: GL, program and headless tests under Xvfb"
(cd build && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -L "gl|program|headless")

echo "== Sanitizer build: unit tests and headless runs"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKARVOSTA_SANITIZE=ON -DKARVOSTA_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs" --target unit_tests karvosta
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs" -L "unit|headless")
if [ "$web" -eq 1 ]; then
  echo "== Web page: the program in headless Chromium and under node"
  scripts/test-web.sh
fi
echo "All tests passed."
