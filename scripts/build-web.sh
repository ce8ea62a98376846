#!/usr/bin/env bash
# Builds the web page into build-web/site/: index.html and page.js, the program (karvosta.js,
# karvosta.wasm), its data (karvosta.data), the poster and the icon. Any static web server can host
# the folder. Installs what is missing (Debian's emscripten, node-acorn for its compiler, ffmpeg, Xvfb),
# builds the desktop program and generates the data with its asset generator (build/), encodes every
# sound as MP3 for the page (the browser decodes it, web/pre.js), films the poster with the desktop
# program, then compiles the program with Emscripten. Prints the site's files and sizes.
# Usage: scripts/build-web.sh      Environment: KARVOSTA_SITE_URL, the address the site will be served
# from (https://example.org/karvosta/), for link previews, which want the poster's address whole.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
web=$root/build-web

scripts/install-packages.sh emscripten node-acorn ffmpeg cmake xvfb xauth
export NODE_PATH=/usr/share/nodejs  # Debian's emcc finds acorn there

# The data, as the desktop build generates them, and the program that films the poster.
KARVOSTA_TARGETS="assets shader_source karvosta" scripts/setup.sh build

tree=$web/tree
mkdir -p "$tree/bin" "$tree/data" "$web/site" "$web/sound"
cp -u --preserve=timestamps build/bin/*.cg "$tree/bin/"  # the sea's and the texts' programs

# The page's run-time tree: the same files, every sound compressed as MP3, which every current
# browser decodes (web/pre.js decodes them into PCM before the program starts, under the same names:
# the sound layers read the content, not the extension). A file is written again only when its
# source is newer.
(cd build/data && find . -type d) | while read -r folder; do mkdir -p "$tree/data/$folder"; done
(cd build/data && find . -type f ! -path './sound/*') | while read -r file; do
  if [ "build/data/$file" -nt "$tree/data/$file" ]; then cp --preserve=timestamps "build/data/$file" "$tree/data/$file"; fi
done
# LAME's variable bit rate, quality 4 of 0 (best) to 9: about 70 kbit/s for these mono sounds, whose
# noise (wind, surf, the cannon's roar) it keeps apart from the original only in the highest octave.
quality=4
# The sound bank's loops (src/sound/sound_bank.cpp). An encoder pads a sound's start and end and
# smears each frame into its neighbours: a loop is encoded with its own tail before it and its head
# after it, so that its samples are made from what surrounds them when it plays, and the page cuts
# the loop out again at `lead` frames (plus the decoder's delay, which the probe measures).
loops=" wind.wav sails.mp3 ocean.wav quack1.mp3 quack2.mp3 "
lead=4096
manifest=$web/sound/sounds.json
# Other settings, or a tree of an older build (its sounds as WAV), encode every sound anew.
settings="quality $quality, lead $lead, loops$loops"
if [ "$(cat "$web/sound/settings" 2>/dev/null)" != "$settings" ]; then
  rm -f "$tree"/data/sound/*
  echo "$settings" >"$web/sound/settings"
fi
rm -f "$manifest.part"
printf '{\n' >"$manifest.part"
sounds=$(cd build/data/sound && ls)
for name in $sounds; do
  source=build/data/sound/$name raw=$web/sound/$name.raw target=$tree/data/sound/$name
  read -r rate channels < <(ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate,channels -of csv=p=0 "$source" | tr , ' ')
  ffmpeg -nostdin -v error -y -i "$source" -f s16le -c:a pcm_s16le "$raw"
  frames=$(( $(stat -c %s "$raw") / (2 * channels) ))
  wrap=0
  if [[ "$loops" == *" $name "* ]]; then wrap=$(( frames < lead ? frames : lead )); fi
  if [ "$source" -nt "$target" ] || [ ! -s "$target" ]; then
    bytes=$(( wrap * 2 * channels ))
    { tail -c "$bytes" "$raw" | head -c "$bytes"; cat "$raw"; head -c "$bytes" "$raw"; } >"$raw.wrapped"
    ffmpeg -nostdin -v error -y -f s16le -ar "$rate" -ac "$channels" -i "$raw.wrapped" -map_metadata -1 -fflags +bitexact \
      -c:a libmp3lame -q:a "$quality" -f mp3 "$target.part"
    mv "$target.part" "$target"
    rm -f "$raw.wrapped"
  fi
  rm -f "$raw"
  printf '  "%s": {"rate": %d, "channels": %d, "frames": %d, "lead": %d},\n' "$name" "$rate" "$channels" "$frames" "$wrap" >>"$manifest.part"
done
# The probe: one click at frame 4096 of 8192, encoded as the sounds are (per rate and channel count).
# Where the decoder puts it tells the page how many frames of delay it leaves before each sound.
probes=$(grep -o '"rate": [0-9]*, "channels": [0-9]*' "$manifest.part" | sort -u | awk '{ print $2 $4 }' | tr , ' ')
while read -r rate channels; do
  probe=$tree/data/sound/probe-$rate-$channels.mp3
  if [ ! -s "$probe" ]; then
    { head -c $((4096 * 2 * channels)) /dev/zero; for ((c = 0; c < channels; ++c)); do printf '\xff\x5f'; done
      head -c $((4095 * 2 * channels)) /dev/zero; } >"$web/sound/probe.raw"
    ffmpeg -nostdin -v error -y -f s16le -ar "$rate" -ac "$channels" -i "$web/sound/probe.raw" -map_metadata -1 \
      -fflags +bitexact -c:a libmp3lame -q:a "$quality" -f mp3 "$probe.part"
    mv "$probe.part" "$probe"
    rm -f "$web/sound/probe.raw"
  fi
done <<<"$probes"
printf '  "probe": {"file": "probe-RATE-CHANNELS.mp3", "at": 4096}\n}\n' >>"$manifest.part"
cmp -s "$manifest.part" "$tree/data/sound/sounds.json" || mv "$manifest.part" "$tree/data/sound/sounds.json"
rm -f "$manifest.part"
# A file the generator no longer writes leaves the page too.
(cd "$tree/data" && find . -type f ! -name sounds.json ! -name 'probe-*') | while read -r file; do
  [ -e "build/data/$file" ] || rm -f "$tree/data/$file"
done

# The poster: the demo's own frame in the battle, the title KARVOSTA rising over the ships, filmed
# by the desktop program (seed 1, as every film) and kept under 150 kB as JPEG, the one format every
# link preview takes. Made again when the program or its data are newer.
poster_size=1024x768 poster_at=49.5
poster=$web/site/poster.jpg
if [ ! -s "$poster" ] || [ build/bin/karvosta -nt "$poster" ] || [ -n "$(find build/data build/bin -newer "$poster" -type f | head -1)" ]; then
  rm -f "$web/poster.mp4" "$web/poster.png"
  xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/karvosta --record "$web/poster.mp4" --size "$poster_size" \
    --start "$poster_at" --seconds "$(awk -v at="$poster_at" 'BEGIN { print at + 0.1 }')" --poster "$web/poster.png" --poster-at "$poster_at" \
    --mute >/dev/null 2>"$web/poster.log" || { cat "$web/poster.log" >&2; exit 1; }
  for jpeg_quality in 5 6 8 10 12; do  # FFmpeg's scale: 2 best, 31 worst; 5 shows no loss here
    ffmpeg -nostdin -v error -y -i "$web/poster.png" -q:v "$jpeg_quality" -f mjpeg "$poster.part"
    [ "$(stat -c %s "$poster.part")" -le 150000 ] && break
  done
  if [ "$(stat -c %s "$poster.part")" -gt 150000 ]; then
    echo "build-web.sh: the poster stays above 150 kB at every JPEG quality tried" >&2
    rm -f "$poster.part"
    exit 1
  fi
  mv "$poster.part" "$poster"
  rm -f "$web/poster.mp4" "$web/poster.png"
fi

emcmake cmake -S . -B "$web" -DKARVOSTA_WEB=ON -DKARVOSTA_WEB_DATA="$tree" -DCMAKE_BUILD_TYPE=Release \
  -DKARVOSTA_SITE_URL="${KARVOSTA_SITE_URL:-}" -DKARVOSTA_POSTER_SIZE="$poster_size" >/dev/null
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
  'BEGIN { printf "site: %s: %d bytes, %d with gzip (%.2f MB)\n", site, total, zipped, zipped / 1e6 }'
