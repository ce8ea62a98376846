#!/usr/bin/env bash
# Builds the web page into build-web/site/: index.html and page.js, the program (karvosta.js,
# karvosta.wasm), its data (karvosta.data) and the icon. Any static web server can host the folder.
# Installs what is missing (Debian's emscripten, node-acorn for its compiler, ffmpeg), generates the
# data with the desktop build's asset generator (build/), decodes the shipped MP3 files to WAV for the
# page's sound layer, then compiles the program with Emscripten. Prints the site's files and sizes.
# Usage: scripts/build-web.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
web=$root/build-web

scripts/install-packages.sh emscripten node-acorn ffmpeg cmake
export NODE_PATH=/usr/share/nodejs  # Debian's emcc finds acorn there

# The data, as the desktop build generates them.
KARVOSTA_TARGETS="assets shader_source" scripts/setup.sh build

# The page's run-time tree: the same files, every sound as WAV under its own name (the sound layers
# read the content, not the extension). A file is written again only when its source is newer.
tree=$web/tree
mkdir -p "$tree/bin" "$web/site"
cp -u --preserve=timestamps build/bin/*.cg "$tree/bin/"  # the sea's and the texts' programs
(cd build/data && find . -type d) | while read -r folder; do mkdir -p "$tree/data/$folder"; done
(cd build/data && find . -type f) | while read -r file; do
  source=build/data/$file target=$tree/data/$file
  [ -e "$target" ] && [ ! "$source" -nt "$target" ] && continue
  if [ "$(head -c 4 "$source")" = RIFF ] || [[ "$file" != ./sound/* ]]; then
    cp --preserve=timestamps "$source" "$target"
  else
    ffmpeg -nostdin -v error -y -i "$source" -map_metadata -1 -fflags +bitexact -c:a pcm_s16le -f wav "$target.part"
    mv "$target.part" "$target"
  fi
done
# A file the generator no longer writes leaves the page too.
(cd "$tree/data" && find . -type f) | while read -r file; do
  [ -e "build/data/$file" ] || rm -f "$tree/data/$file"
done

emcmake cmake -S . -B "$web" -DKARVOSTA_WEB=ON -DKARVOSTA_WEB_DATA="$tree" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$web" -j 2
build/tools/assetgen/assetgen --icons "$web/icons" >/dev/null
cp "$web/icons/karvosta-48.png" "$web/site/icon.png"

# What a visitor's browser fetches, and what it transfers from a server that compresses with gzip.
total=0 zipped=0
for file in "$web"/site/*; do
  bytes=$(stat -c %s "$file") packed=$(gzip -9 -c "$file" | wc -c)
  printf '  %-16s %9d bytes, %9d with gzip\n' "$(basename "$file")" "$bytes" "$packed"
  total=$((total + bytes)) zipped=$((zipped + packed))
done
awk -v site="$web/site" -v total="$total" -v zipped="$zipped" \
  'BEGIN { printf "site: %s: %d bytes, %d with gzip (%.1f MB)\n", site, total, zipped, zipped / 1e6 }'
