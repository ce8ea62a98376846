#!/usr/bin/env bash
# Installs the Debian packages the demo needs (only those missing), then configures and builds it in
# Release into build/ (program, shader source, generated assets, tests and benchmarks; or only the
# targets named in KARVOSTA_TARGETS).
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true

packages=(build-essential cmake pkg-config freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libepoxy-dev libsdl2-dev libsdl2-mixer-dev libmp3lame-dev libpng-dev libgtest-dev googletest
  libbenchmark-dev xvfb xauth xdotool mesa-utils x11-utils locales
  apitrace  # the designed path's draws, counted through GL by the test suite
  libfreetype-dev fonts-liberation2  # the screen texts' glyph atlas: FreeType's distance fields, Liberation Sans
  libegl1 libegl-dev libegl-mesa0 libgles2  # a GL ES 2.0 context off-screen, for the es2 drawing path's test
  dpkg-dev file lintian desktop-file-utils appstream)  # the package (cpack, dpkg-shlibdeps) and its checks
# Recording films (--record): the FFmpeg libraries (libavfilter for the soundtrack's loudness), ffmpeg
# and ffprobe for the recording test, GNU time for bench/record_speed.sh.
packages+=(libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libavfilter-dev ffmpeg time)
scripts/install-packages.sh "${packages[@]}"

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
# KARVOSTA_TARGETS: what to build (default: everything, tests and benchmarks included).
cmake --build "$build_dir" -j "$(nproc)" ${KARVOSTA_TARGETS:+--target $KARVOSTA_TARGETS}
