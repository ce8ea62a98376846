#!/usr/bin/env bash
# The suite's own fault check: puts each small fault of the list below into a scratch copy of the
# tree, one at a time, runs the test command's phases on it and prints which faults the suite
# catches. It takes long (each fault rebuilds what it touches), so it is not part of the test command.
#
# Usage: scripts/faults.sh [--phases unit,gl,asan,web] [--only REGEX] [--skip-tests REGEX]
#                          [--scratch DIR] [--no-baseline] [--list]
#   --phases      the phases to run, in this order (default: unit,gl,asan,web, as scripts/run-tests.sh):
#                 unit = Release unit tests, gl = Release GL, program and headless tests under Xvfb,
#                 asan = unit tests and headless runs under AddressSanitizer and UBSan,
#                 web = the web page's build and its tests in headless Chromium (scripts/test-web.sh)
#   --only        only the faults whose row matches REGEX (grep -E), e.g. --only '^sound'
#   --skip-tests  tests to leave out (ctest -E REGEX), e.g. test_install_package, for quick rounds
#   --scratch     the scratch tree (default build-faults/): kept between runs, so its build
#                 directories rebuild only what changed
#   --no-baseline do not first check that the suite passes on the scratch tree without a fault
#   --list        only tell, for each fault, whether its sed expression still changes its file
# A fault is CAUGHT by the first phase that fails (the later phases are skipped), MISSED when every
# phase passes, STALE when its expression no longer changes the file, NOBUILD when the fault does
# not compile. Exits 0 only when every fault is caught.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# One fault a row: group | path | sed-expression | description
# The expression goes to `sed -e` on the one file, whose path is relative to the repository's root;
# the fields are separated by " | " (blank, bar, blank), which an expression therefore must not hold.
# Every new feature adds its own faults here, at least one that its tests catch.
faults() {
  cat <<'EOF'
loaders | src/assets/bmp_image.cpp | s/kMaxPixels = int64_t{1} << 26;/kMaxPixels = int64_t{1} << 27;/ | the BMP picture cap of 8192 x 8192 pixels doubled
loaders | src/assets/bmp_image.cpp | s/if (static_cast<size_t>(end - p) < paddedBytes) return kConversionError;// | an RLE absolute run read without checking the file's end
loaders | src/assets/mesh_model.cpp | s/ || n > countBudget// | ASE list counts no longer share one budget of the file's size
loaders | src/assets/mesh_model.cpp | s/if (notes >= kMaxNotes) {/if (notes < 0) {/ | every ASE note past the shown ones looks for its line again
loaders | src/assets/mesh_model.cpp | s/corner\[2\] >= vertexCount/corner[2] > vertexCount/ | a face's third corner may equal the vertex count
loaders | src/assets/mesh_model.cpp | s/return std::from_chars(first, last, value, std::chars_format::general).ec == std::errc();/char* end = nullptr; value = std::strtod(first, \&end); return end != first;/ | ASE numbers read with strtod, which follows the C locale
loaders | src/assets/mesh_model.cpp | s/if (edges.empty() || !(volume > 0.0)) return false;/if (edges.empty()) return false;/ | the closed-surface test without its volume check
simulation | src/sim/simulation.cpp | s/sizeof(ball.tag) - 1/sizeof(ship.tag)/ | a ship's whole tag compared with its balls' shorter copy
simulation | src/sim/simulation.cpp | s/ball.travelled > ball.range/ball.travelled > 2 * ball.range/ | cannonballs fly twice their range before they splash
firing | src/sim/firing.cpp | s/ship.reload\[side\] = 0.0f;/ship.reload[side] = 1.0f;/ | a side that fired is ready again at once
firing | src/sim/firing.cpp | s/2.0 \* i \* hx/i * hx/ | the row of balls half as long along the ship's axis
timeline | src/timeline/timeline.cpp | s/kWindowFrames = 2.0;/kWindowFrames = 3.0;/ | the script's firing windows one frame wider
timeline | src/timeline/timeline.cpp | s/  g_ducks.clear();// | a restart keeps the old ducks
timeline | src/timeline/timeline.cpp | s/const bool jumped = !g_progress.acted\[i\] \&\& /const bool jumped = false \&\& / | a row whose whole window a step leaps over never acts (a stall skips the restart)
timeline | src/app/idle.cpp | s/if (g_frameCounter - previous > longest) g_timelineStart/if (false) g_timelineStart/ | a stall leaps the run forward instead of pausing it
timeline | src/app/frame_rate.cpp | s/  if (gap > longestGap) {/  if (false) {/ | the frame-rate meter counts a stall's whole gap, so the firing windows open seconds wide after it
timeline | src/app/idle.cpp | s/g_runControl.stepsTaken >= g_runControl.framesDrawn/false/ | a fixed-clock run steps on while its window is hidden
text | src/sim/world.cpp | s/if (height != line.height \&\& line.height > 0) line.y/if (false) line.y/ | a title line keeps its pixel height when the picture is resized, and rises from the wrong place
timeline | src/app/event_log.cpp | s/^  std::setvbuf(g_eventLog, nullptr, _IOLBF, BUFSIZ);$// | the event log buffered: a run ended by a signal loses its last lines
camera | src/camera/view_wedge.cpp | s/kHalfOpening = 22.5;/kHalfOpening = 25.0;/ | the view wedge opens wider
camera | src/camera/camera_rig.cpp | s/mirrored.eye.z = -view.eye.z;/mirrored.eye.z = view.eye.z;/ | the mirrored camera's eye stays above the water
sea | src/water/water_surface.cpp | s/std::ceil(d \* tableScale/std::floor(d * tableScale/ | the wave table's index rounded down instead of up
sea | bin/wave.cg | s/0.5 \* (gl_Position.w - gl_Position.x)/0.5 * (gl_Position.w + gl_Position.x)/ | the reflection lookup not mirrored in x
sea | src/water/water_shading.cpp | s/kMirroredReach = 2.0f \* kRipple + 0.01f;/kMirroredReach = 0.0f;/ | the sea reads the reflection only inside the objects' outlines
sea | src/water/water_shading.cpp | s/  gfxDepthFunc(GL_LESS);/  gfxDepthFunc(GL_LEQUAL);/ | the open sea drawn over the reflected parts (depth test less-or-equal)
sound | src/sound/sound_bank.cpp | s/kExplosionFirstSlot = 1;/kExplosionFirstSlot = 2;/ | explosions moved one slot up
sound | src/sound/sound_bank.cpp | s/layer.play(slot, sample), volume)/layer.play(slot, sample), volume \/ 2)/ | every one-shot at half its volume
sound | src/audio/sound_layer.cpp | s/kept.chunk != nullptr && kept.bytes == fileBytes_/kept.chunk != nullptr/ | the sound cache blind to a file changed in place
drawing | src/assets/mesh_draw.cpp | s/f < object->numFaces; ++f, corner += 3/f + 1 < object->numFaces; ++f, corner += 3/ | the glBegin/glEnd path drops each object's last triangle
drawing | src/assets/mesh_model.cpp | s/object->closedSurface = isClosedOutward(\*object);/object->closedSurface = true;/ | every object counted closed, its back faces culled
drawing | src/drawing/gfx_designed.cpp | s/bool sparesUnseenWork() override { return false; }/bool sparesUnseenWork() override { return true; }/ | the designed path draws the sea in pieces and culls models outside the view
drawing | src/sim/entity_draw.cpp | s/3.5 \* halfMinor/0.0 * halfMinor/ | the box under a sinking ship has no width
recorder | src/film/recorder.cpp | s/if (removeFile && recorder->fileCreated)/if (!removeFile \&\& recorder->fileCreated)/ | a failed recording leaves its temporary file behind
recorder | src/audio/sound_mixdown.cpp | s/kSoundMaxVolume)) \/ kSoundMaxVolume;/kSoundMaxVolume)) \/ 512;/ | the soundtrack mixes every channel at half its volume
recorder | src/film/record.cpp | s/^  catchStopSignals();$/  (void)0;/ | stop signals not caught while recording: Ctrl-C leaves the .part, a closed stderr kills the film
recorder | src/platform/stop_signals.cpp | s/g_caughtSignals\[i\] = g_earlier\[i\].sa_handler != SIG_IGN;/g_caughtSignals[i] = true;/ | a signal the parent ignored (nohup) is caught and stops the film
sound | src/audio/sound_mixdown.cpp | s/if (result < 0 \&\& result != AVERROR(EAGAIN)) ++damaged;/if (result < 0 \&\& result != AVERROR(EAGAIN)) ok = false;/ | one bad packet drops the whole sound file
film | src/film/record.cpp | s/drawOverlays(options.counter);/drawOverlays(true);/ | films keep the frame counter
sound | src/audio/wav_reader.cpp | s/ + (length \& 1)// | a WAV file's odd-sized chunk read without its pad byte
sound | src/audio/sound_layer_web.cpp | s/    alSourcePlay(source);// | the web page's sound layer never starts a source
web | src/main/main_web.cpp | s/return EM_TRUE;/return EM_FALSE;/ | the demo's keys reach the browser too: F5 reloads the page, F3 opens a search
web | web/library_page.js | s/    context.suspend();// | the sound plays before the viewer's click, under the picture that waits
web | web/page.js | s/if (!response.ok) throw/if (false) throw/ | a missing data file's error page taken for the data
web | src/assets/mesh_draw.cpp | s/    gfxDeleteTexture(material.texture);/    (void)0;/ | a model's textures outlive its scene: each new start in the page makes them again
web | src/audio/sound_layer_web.cpp | s/if (context_ == nullptr \&\& device_ != nullptr) context_ =/if (device_ != nullptr) context_ =/ | each start in the page makes a new audio context, which Emscripten never closes
web | web/library_page.js | s/\$autoResumeAudioContext:/$autoResumeAudioContextKept:/ | Emscripten's own resume stays: a key before the click sets the loops playing
web | src/main/main_web.cpp | s/const bool acting = g_sceneUp \&\& g_framesGoing;/const bool acting = g_sceneUp;/ | the toggle keys change the scene before the start
web | web/page.js | s/if (programReady) Module._karvosta_hidden(document.hidden ? 1 : 0);/void 0;/ | a hidden tab's frames go on
web | src/main/main_web.cpp | s/  if (g_sceneUp) rebuildSceneGraphics(g_options);/  (void)0;/ | a restored WebGL context gets none of the scene's objects
web | src/main/main_web.cpp | s/      tellPage("help", usageText());// | ?help leaves the page saying "Starting …"
web | web/page.js | s/Math.min(window.devicePixelRatio || 1, maxPixelRatio)/(window.devicePixelRatio || 1)/ | the drawing buffer takes every device pixel of a dense screen
web | web/index.html | s/content="@KARVOSTA_SITE_URL@poster.jpg"/content="@KARVOSTA_SITE_URL@icon.png"/ | the link preview shows the icon, not the poster
web | web/pre.js | s/decoded\[1\] + sound.lead/decoded[1]/ | a loop cut from its encoded lead-in: every loop starts at its own tail
web | src/app/frame.cpp | s/  for (ScrollText\* line : g_scrollTexts) fitScrollText(\*line, width, height, scale);// | a resized page keeps its title lines where the old size put them
web | src/drawing/gfx_es2.cpp | s/^    makePrograms();$/    (void)0;/ | the fixed pipeline's programs linked in the middle of the demo, asking GL for their uniforms
web | src/drawing/shader_layer.cpp | s/    if (known == \&parameter) return location;/    if (false) return location;/ | the shader layer asks GL for a uniform's location at every upload
drawing | src/drawing/gfx_es2.cpp | s/v.color\[0\], v.color\[1\], v.color\[2\], v.color\[3\]};/0, 0, 0, 0};/ | a solid kept in buffers comes back in the colour of its first draw
drawing | src/drawing/gfx_es2.cpp | s/^    forgetParameters(texture);$// | a deleted texture's parameters are taken for those of the next texture under its name
film | src/film/film_soundtrack.cpp | s/std::min(position, length - position)/position/ | films fade in but never out
film | src/app/options.cpp | s/^  if (!options.record.empty() \&\& !graphicsGiven) options.graphics = GraphicsPath::kEs2;$// | films drawn on the designed path, at its cost, unless --gl es2 is given
film | src/audio/loudness.cpp | s/std::pow(10.0, kTruePeakCeiling \/ 20.0)/1.0/ | the limiter holds peaks at full scale instead of -1.5 dBTP
effects | src/sim/firing.cpp | s/fired.heading = heading;/fired.heading = ship.heading;/ | a broadside's event gives the ship's heading, so smoke runs along the hull instead of out of the firing side
effects | src/effects/particle_pool.cpp | s/slots_\[i\].birth < slots_\[index\].birth/slots_[i].birth > slots_[index].birth/ | a full pool gives up its newest particle instead of its oldest
effects | src/effects/effects_draw.cpp | s/  gfxDepthMask(true);/  gfxDepthMask(false);/ | depth writes stay off after the effects are drawn
sea | bin/wave.cg | s/gl_FragColor = vec4(sea + glint \* kSunColor, 1.0);/gl_FragColor = vec4(sea, 1.0);/ | the open sea without the sun's glints, unlike the sea around mirrored objects
sea | bin/wave.cg | s/ + object \* objectShare +/ +/ | the mirrored ships and ducks are dropped from the sea
sea | src/drawing/shader_layer.cpp | s/for (const char\* const\* arg = args;/for (const char* const* arg = nullptr;/ | compiler arguments ignored: the sea's programs are built without the sky's colours
drawing | src/app/reflection_target.cpp | s/gfxTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8,/gfxTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8,/ | a reflection without alpha: the sea mirrors opaque black where nothing was drawn
drawing | src/drawing/gfx_es2.cpp | s/lit += lightOn \* (facing \* diffuse.rgb + highlight \* specular);/lit += lightOn * highlight * specular;/ | the GL ES path lights without the diffuse term
drawing | src/drawing/gfx_es2.cpp | s/{at(a), at(b), at(c), at(a), at(c), at(d)}/{at(a), at(b), at(c), at(a), at(b), at(d)}/ | the GL ES path splits quads into a wrong second triangle
drawing | src/drawing/gfx_es2.cpp | s/textureEnvironment_ == GL_ADD ? kTextureAddBit : kTextureModulateBit/kTextureModulateBit/ | the GL ES path modulates where the fixed pipeline adds the texture
drawing | src/drawing/gfx_es2.cpp | s/lines_ = mode == GL_LINE;/lines_ = false;/ | the GL ES path ignores F3's outlines
drawing | src/drawing/gfx_es2.cpp | s/if (!compiling_) return false;/return false;/ | the GL ES path's display lists do their state calls at once instead of keeping them
drawing | src/drawing/matrix4.cpp | s/at(m, 2, c) = static_cast<float>(-forward\[c\]);/at(m, 2, c) = static_cast<float>(forward[c]);/ | the GL ES path's look-at looks backwards
text | src/app/text_rule.cpp | s/(mode == TextMode::Auto \&\& !designed)/(mode == TextMode::Auto)/ | the designed 800 x 600 window draws its texts from the atlas too
text | src/sim/world.cpp | s/line.speed = kScrollSpeed \* scale;/line.speed = kScrollSpeed;/ | title lines rise at the designed pixel speed in a taller picture, so they crawl
text | src/assets/glyph_atlas.cpp | s/const float top = y - static_cast<float>(glyph->top) \* scale;/const float top = y + static_cast<float>(glyph->top) * scale;/ | glyphs hang below the baseline
text | src/assets/glyph_atlas.cpp | s/ || !seenEnd) {/) {/ | a metrics file cut in its last line is taken for whole
text | tools/assetgen/font_atlas.cpp | s/const int pictureRow = height - 1 - (glyph.box.y + row);/const int pictureRow = glyph.box.y + row;/ | the atlas's picture written top row first, so each glyph box holds another part of the picture
text | bin/text.cg | s/gl_FragColor = vec4(color \* ink, alpha);/gl_FragColor = vec4(color, alpha);/ | the dark edge round the letters drawn green: the letters swell
film | src/film/film_soundtrack.cpp | s/    if (caughtStopSignal() != 0) return false;/    (void)0;/ | waiting for the soundtrack ignores the stop signals: a hung soundtrack holds Ctrl-C off for good
film | src/film/record.cpp | /startSoundtrack(options, plan/d;s/^  FramebufferTarget target;/  if (settings.sampleRate > 0 \&\& !startSoundtrack(options, plan, film.soundtrackJob, error)) return FilmEnd::Failed;\n  FramebufferTarget target;/ | the soundtrack's process forked after the encoders started their threads
film | src/film/record.cpp | s/plan.firstFrame, plan.frameCount - 1)/plan.firstFrame, plan.frameCount)/ | a poster in the film's last half frame rounds to a frame never drawn
film | src/film/record.cpp | s/film.posterPart = recorderTemporaryPath(options.poster);/film.posterPart = options.poster;/ | the poster written under its own name: a film that fails at its end deletes the poster it would have replaced
film | src/film/record.cpp | s/  if (!film.posterPart.empty()) std::remove(film.posterPart.c_str());/  (void)0;/ | a film that fails at its end leaves its poster's temporary file
film | src/audio/loudness.cpp | s/  change.measured = measured > kGateLufs;/  change.measured = measured > kGateLufs;\n  if (!change.measured) return true;/ | a track too short to measure skips the limiter
film | src/audio/loudness.cpp | s/std::pow(10.0, kTruePeakCeiling \/ 20.0);  \/\/ linear/std::pow(10.0, (kTruePeakCeiling - 1.0) \/ 20.0);  \/\/ linear/ | the limiter holds peaks 1 dB below the ceiling
film | src/film/record.cpp | s/options.fade \* settings.framesPerSecond));/options.fade * settings.framesPerSecond * 2));/ | the picture fades over twice the asked time
film | src/film/film_soundtrack.cpp | s/samples - 1, plan.fadeSeconds \* plan.sampleRate));/samples - 1, plan.fadeSeconds * plan.sampleRate \/ 2));/ | the sound fades over half the asked time
film | src/film/record.cpp | s/plan.loudness = options.loudness;/plan.loudness = kDefaultLoudness;/ | --loudness ignored: every film at -16 LUFS
film | src/film/record.cpp | s/settings.sampleRate = options.mute ? 0 : kSoundtrackRate;/settings.sampleRate = kSoundtrackRate;/ | --mute ignored by a film: it has sound
recorder | src/film/recorder.cpp | /the encoder's thread cannot start/,/return nullptr/s/releaseRecorder(recorder, true)/releaseRecorder(recorder, false)/ | an encoder thread that cannot start leaves the temporary file
recorder | src/film/film_soundtrack.cpp | s/  if (WIFSIGNALED(status)) {/  if (false) {/ | the soundtrack's process dies by a signal and the message does not say which
recorder | src/film/record.cpp | s/catch (const std::bad_alloc\&)/catch (const std::bad_exception\&)/;s/catch (const std::exception\& failure)/catch (const std::bad_exception\& failure)/ | a lack of memory in the film is not caught: std::terminate, the temporary file left
recorder | src/audio/sound_mixdown.cpp | s/  AVChannelLayout in{};/  AVChannelLayout in;/ | the decoder copies a channel layout into one never initialised
recorder | src/audio/sound_mixdown.cpp | s/          av_channel_layout_compare(\&frame->ch_layout, \&resampled.layout) != 0) {/          false) {/ | a frame whose channels differ from the one before goes to the resampler set up for those
options | src/app/options.cpp | s/length > kLongestFilm/length > 2 * kLongestFilm/ | films up to twice the stated bound are let through
options | src/app/options.cpp | s/-40.0, -5.0, "a loudness/-40.0, -4.0, "a loudness/ | --loudness taken up to -4 LUFS
options | src/app/options.cpp | s/2.0 \* options.fade > length/2.0 * options.fade >= length/ | a fade of exactly half the film refused
options | src/app/options.cpp | s/ else if (options.posterAt >= 0.0 \&\& options.poster.empty()) {/ else if (false) {/ | --poster-at without --poster ignored
options | src/app/options.cpp | s/ else if (windowed \&\& secondsGiven) {/ else if (false) {/ | --seconds in a window ignored
options | src/app/options.cpp | s/ || options.fullscreen || options.frameStats)) {/ || options.fullscreen)) {/ | --frame-stats ignored by --record and --headless
options | src/app/options.cpp | s/ else if (options.mute \&\& loudnessGiven) {/ else if (false) {/ | --loudness with --mute ignored
EOF
}

phases=unit,gl,asan,web
only=.
skip_tests=
scratch=$root/build-faults
baseline=1
list_only=0
while [ $# -gt 0 ]; do
  case $1 in
    --phases) phases=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    --skip-tests) skip_tests=$2; shift 2 ;;
    --scratch) scratch=$(realpath -m "$2"); shift 2 ;;
    --no-baseline) baseline=0; shift ;;
    --list) list_only=1; shift ;;
    *) sed -n '2,/^set /p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done
for phase in ${phases//,/ }; do
  case $phase in unit | gl | asan | web) ;; *) echo "faults.sh: unknown phase \"$phase\" (unit, gl, asan, web)" >&2; exit 2 ;; esac
done

# The row's fields in the variables group, path, expr and what; false for a malformed row.
split_row() {
  local rest=$1
  group=${rest%% | *}; rest=${rest#* | }
  path=${rest%% | *}; rest=${rest#* | }
  expr=${rest%% | *}; what=${rest#* | }
  [ -n "$group" ] && [ -n "$path" ] && [ -n "$expr" ] && [ "$what" != "$rest" ]
}

# The file with the fault applied, into $2; false when the expression no longer changes the file.
apply_fault() {
  [ -f "$1" ] && sed -e "$expr" "$1" >"$2" 2>/dev/null && ! cmp -s "$1" "$2"
}

mapfile -t rows < <(faults | grep -v '^\s*\(#\|$\)' | grep -E -- "$only")
if [ ${#rows[@]} -eq 0 ]; then
  echo "faults.sh: no fault matches \"$only\"" >&2
  exit 2
fi

if [ $list_only -eq 1 ]; then
  tmp=$(mktemp)
  stale=0
  for row in "${rows[@]}"; do
    if ! split_row "$row"; then
      printf '%-8s %s\n' MALFORMED "$row"; stale=$((stale + 1)); continue
    fi
    if apply_fault "$path" "$tmp"; then verdict=applies; else verdict=STALE; stale=$((stale + 1)); fi
    printf '%-8s %-10s %-32s %s\n' "$verdict" "$group" "$path" "$what"
  done
  rm -f "$tmp"
  echo "faults.sh: ${#rows[@]} faults, $stale stale"
  [ $stale -eq 0 ]
  exit
fi

jobs=$(nproc)
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
tree=$scratch/tree
logs=$scratch/logs
mkdir -p "$tree" "$logs"

# Copies the working tree's files (tracked and untracked, not ignored) into the scratch tree. Only
# files whose content differs are copied, and they get a new time, so the scratch build directories
# rebuild exactly what changed; files gone from the working tree go from the scratch tree too.
sync_tree() {
  local list=$scratch/files.new file
  git ls-files -co --exclude-standard >"$list"
  if [ -f "$scratch/files" ]; then
    comm -23 <(sort "$scratch/files") <(sort "$list") | while IFS= read -r file; do rm -f "$tree/$file"; done
  fi
  while IFS= read -r file; do
    [ -f "$file" ] || continue
    if ! cmp -s "$file" "$tree/$file"; then
      mkdir -p "$(dirname "$tree/$file")"
      cp --preserve=mode "$file" "$tree/$file"
    fi
  done <"$list"
  mv "$list" "$scratch/files"
}

# Runs one phase on the scratch tree; its output goes to $1. Returns 0 passed, 1 a test failed,
# 3 the build failed.
run_phase() {
  local log=$1 phase=$2 skip=()
  [ -n "$skip_tests" ] && skip=(-E "$skip_tests")
  case $phase in
    unit)
      { [ -f "$tree/build/CMakeCache.txt" ] ||
          cmake -S "$tree" -B "$tree/build" -DCMAKE_BUILD_TYPE=Release -DKARVOSTA_BUILD_BENCH=OFF; } >>"$log" 2>&1 &&
        cmake --build "$tree/build" -j "$jobs" --target unit_tests >>"$log" 2>&1 || return 3
      (cd "$tree/build" && ctest --output-on-failure --stop-on-failure -j "$jobs" -L unit "${skip[@]}") >>"$log" 2>&1 ;;
    gl)
      { [ -f "$tree/build/CMakeCache.txt" ] ||
          cmake -S "$tree" -B "$tree/build" -DCMAKE_BUILD_TYPE=Release -DKARVOSTA_BUILD_BENCH=OFF; } >>"$log" 2>&1 &&
        cmake --build "$tree/build" -j "$jobs" >>"$log" 2>&1 || return 3
      (cd "$tree/build" && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
        ctest --output-on-failure --stop-on-failure -L "gl|program|headless" "${skip[@]}") >>"$log" 2>&1 ;;
    asan)
      cmake -S "$tree" -B "$tree/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKARVOSTA_SANITIZE=ON \
        -DKARVOSTA_BUILD_BENCH=OFF >>"$log" 2>&1 &&
        cmake --build "$tree/build-asan" -j "$jobs" --target unit_tests karvosta >>"$log" 2>&1 || return 3
      (cd "$tree/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --output-on-failure --stop-on-failure -j "$jobs" -L "unit|headless" "${skip[@]}") >>"$log" 2>&1 ;;
    web)
      (cd "$tree" && scripts/build-web.sh) >>"$log" 2>&1 || return 3
      (cd "$tree" && scripts/test-web.sh) >>"$log" 2>&1 ;;
  esac
  [ $? -eq 0 ] || return 1
}

# The tests a phase's log names as failed, comma-separated.
failed_tests() {
  { sed -n '/The following tests FAILED:/,$p' "$1" | sed -n 's/^\s*[0-9]* - \(.*\) (.*/\1/p'
    sed -n 's/^FAIL \(.*\)/\1/p' "$1"; } | paste -sd, - | sed 's/,/, /g'  # ctest's list, the web tests' lines
}

# Runs the phases in order until one fails; sets `verdict` and `detail`.
run_phases() {
  local log=$1 phase status
  : >"$log"
  for phase in ${phases//,/ }; do
    echo "== phase $phase" >>"$log"
    run_phase "$log" "$phase"
    status=$?
    if [ $status -eq 3 ]; then verdict=NOBUILD; detail="$phase build failed"; return; fi
    if [ $status -ne 0 ]; then verdict=CAUGHT; detail="$phase: $(failed_tests "$log")"; return; fi
  done
  verdict=MISSED
  detail="every phase passed"
}

original=$scratch/original
faulted=$scratch/faulted
restore_path=
restore() {
  [ -n "$restore_path" ] && cp "$original" "$tree/$restore_path"  # a new time: the next build rebuilds it
  restore_path=
}
trap 'restore; exit 130' INT TERM

sync_tree
started=$(date +%s)
if [ $baseline -eq 1 ]; then
  echo "faults.sh: the suite on the scratch tree without a fault ($phases) ..."
  run_phases "$logs/baseline.log"
  if [ "$verdict" != MISSED ]; then
    echo "faults.sh: the suite does not pass without a fault ($detail); see $logs/baseline.log" >&2
    exit 1
  fi
fi

caught=0 missed=0 stale=0 nobuild=0 n=0
for row in "${rows[@]}"; do
  n=$((n + 1))
  if ! split_row "$row"; then
    printf '%-8s %s\n' MALFORMED "$row"; stale=$((stale + 1)); continue
  fi
  if ! apply_fault "$tree/$path" "$faulted"; then
    printf '%-8s %-10s %s  (%s)\n' STALE "$group" "$what" "$path"; stale=$((stale + 1)); continue
  fi
  cp "$tree/$path" "$original"
  restore_path=$path
  cp "$faulted" "$tree/$path"
  fault_started=$(date +%s)
  run_phases "$logs/fault-$n.log"
  restore
  case $verdict in CAUGHT) caught=$((caught + 1)) ;; MISSED) missed=$((missed + 1)) ;; *) nobuild=$((nobuild + 1)) ;; esac
  printf '%-8s %-10s %s  (%s; %d s; log fault-%d.log)\n' "$verdict" "$group" "$what" "$detail" \
    $(($(date +%s) - fault_started)) "$n"
done
echo "faults.sh: ${#rows[@]} faults: $caught caught, $missed missed, $stale stale, $nobuild not building" \
  "(phases $phases; $(( ($(date +%s) - started) / 60 )) min)"
[ $caught -eq ${#rows[@]} ]
