// Command-line parsing: strict, so a typo in an automated run fails loudly instead of running on.
#include "app/options.h"

#include <cctype>  // Required for: std::isdigit()
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstdio>   // Required for: std::snprintf()
#include <cstring>
#include <strings.h>  // Required for: strcasecmp()

namespace {

// The whole soundtrack is held in memory, in the film's process and in its soundtrack's: 600 s of
// 48 kHz stereo floats are 230 MB in each.
constexpr double kLongestFilm = 600.0;  // seconds

bool parseNumber(const char* text, double& out) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text, &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(value)) return false;
  out = value;
  return true;
}

bool parseWhole(const char* text, double low, double high, double& out) {
  return parseNumber(text, out) && out == std::floor(out) && out >= low && out <= high;
}

// "WxH" with two whole numbers from 1 to 16384 (pixels), nothing before or after.
bool parseSize(const char* text, int& width, int& height) {
  if (text == nullptr) return false;
  const char* cross = std::strchr(text, 'x');
  if (cross == nullptr) return false;
  if (!std::isdigit(static_cast<unsigned char>(text[0])) || !std::isdigit(static_cast<unsigned char>(cross[1]))) {
    return false;
  }
  double w = 0.0, h = 0.0;
  const std::string left(text, static_cast<size_t>(cross - text));
  if (!parseWhole(left.c_str(), 1, 16384, w) || !parseWhole(cross + 1, 1, 16384, h)) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

}  // namespace

const char* usageText() {
  return "usage: karvosta [options]\n"
         "  --frames N          end after N displayed frames (exit code 0)\n"
         "  --fixed-dt SECONDS  advance the clock by exactly SECONDS (1e-6 to 1) per step (reproducible runs)\n"
         "  --seed N            seed the random generator with N instead of the clock\n"
         "  --screenshot FILE   write the last displayed frame as a PNG before exiting\n"
         "  --no-dialogs        error messages go to standard error (implied by --frames)\n"
         "  --mute              do not open the audio device; with --record, a film without sound\n"
         "  --no-effects        start without smoke, flashes, splashes and wakes (F8 switches them)\n"
         "  --headless          run the simulation without window, GL or sound (fixed clock)\n"
         "  --seconds S         demo time of a headless run or a recording (default 71; a film at most 600 s)\n"
         "  --event-log FILE    write one line per battle event\n"
         "  --profile           print the mean time of each frame phase and the frame intervals at exit\n"
         "  --frame-stats       print the frame intervals (mean, median, p95, p99, longest) at exit\n"
         "  --size WxH          window size (default 800x600), or a recording's picture (default 1280x720)\n"
         "  --text atlas|bitmap the screen texts' font: scaled glyphs, or the 18-pixel bitmap font\n"
         "                      (default: the bitmap font in an 800x600 picture, scaled glyphs in any other)\n"
         "  --fullscreen        fill the screen and hide the mouse cursor (showings)\n"
         "  --gl PATH           draw with desktop GL as designed (designed, the default) or GL ES 2.0 (es2,\n"
         "                      a recording's default)\n"
         "  --loops N           end after N complete runs of the 71-second script\n"
         "  --record FILE.mp4   film --seconds S (default 71) off-screen into a video with sound, then exit\n"
         "  --fps N             frame rate of a recording: 24, 25, 30 (default), 50 or 60\n"
         "  --start S           begin the recording at demo time S (it ends at --seconds)\n"
         "  --fade S            fade the recording in from black and silence, and out, over S seconds\n"
         "  --poster FILE.png   also write the recording's frame at --poster-at as a picture\n"
         "  --poster-at T       demo time of the poster (default: the middle of the recording)\n"
         "  --counter           keep the frame counter in the recording\n"
         "  --loudness LUFS     loudness of the recording's sound, -40 to -5 (default -16)\n"
         "  --version           print the version\n"
         "  --help              this text\n"
         "Keys: ESC, x, X quit; F3 wireframe, F4 bump map, F5 ship culling, F6 sea strips, F7 model path, F8 effects.\n";
}

ParseOutcome parseOptions(int argc, char** argv, Options& options, std::string& error) {
  bool framesPerSecondGiven = false, graphicsGiven = false, textGiven = false, secondsGiven = false,
       loudnessGiven = false;
  const char* filmOption = nullptr;  // the first option that only a recording takes
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    double number = 0.0;
    auto needs = [&](bool ok, const char* what) {
      if (!ok) error = std::string(arg) + " needs " + what;
      return ok;
    };
    // An option only a recording takes, with a number from `low` to `high`.
    auto filmNumber = [&](double low, double high, const char* what, double& target) {
      if (!needs(parseNumber(value, number) && number >= low && number <= high, what)) return false;
      target = number;
      filmOption = filmOption != nullptr ? filmOption : arg;
      ++i;
      return true;
    };
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      return ParseOutcome::Help;
    } else if (std::strcmp(arg, "--version") == 0) {
      return ParseOutcome::Version;
    } else if (std::strcmp(arg, "--fullscreen") == 0) {
      options.fullscreen = true;
    } else if (std::strcmp(arg, "--size") == 0) {
      if (!needs(parseSize(value, options.sizeWidth, options.sizeHeight), "WIDTHxHEIGHT in pixels, as 1280x720")) break;
      ++i;
    } else if (std::strcmp(arg, "--text") == 0) {
      const bool atlas = value != nullptr && std::strcmp(value, "atlas") == 0;
      if (!needs(atlas || (value != nullptr && std::strcmp(value, "bitmap") == 0), "atlas or bitmap")) break;
      options.text = atlas ? TextMode::Atlas : TextMode::Bitmap;
      textGiven = true;
      ++i;
    } else if (std::strcmp(arg, "--gl") == 0) {
      if (!needs(value != nullptr && parseGraphicsPath(value, options.graphics), "designed or es2")) break;
      graphicsGiven = true;
      ++i;
    } else if (std::strcmp(arg, "--loops") == 0) {
      if (!needs(parseWhole(value, 1, 1e6, number), "a whole number of runs (1 or more)")) break;
      options.loops = static_cast<int>(number);
      ++i;
    } else if (std::strcmp(arg, "--frames") == 0) {
      if (!needs(parseWhole(value, 1, 1e9, number), "a whole number of frames (1 or more)")) break;
      options.frames = static_cast<int>(number);
      options.noDialogs = true;
      ++i;
    } else if (std::strcmp(arg, "--fixed-dt") == 0) {
      // The clock counts nanoseconds: a far smaller step would round to none and stop it.
      if (!needs(parseNumber(value, number) && number >= 1e-6 && number <= 1.0, "a step in seconds (1e-6 to 1)")) break;
      options.fixedDt = number;
      ++i;
    } else if (std::strcmp(arg, "--seed") == 0) {
      if (!needs(parseWhole(value, 0, 4294967295.0, number), "a whole number from 0 to 4294967295")) break;
      options.hasSeed = true;
      options.seed = static_cast<uint32_t>(number);
      ++i;
    } else if (std::strcmp(arg, "--screenshot") == 0) {
      if (!needs(value != nullptr && *value != '\0', "a file name")) break;
      options.screenshot = value;
      ++i;
    } else if (std::strcmp(arg, "--event-log") == 0) {
      if (!needs(value != nullptr && *value != '\0', "a file name")) break;
      options.eventLog = value;
      ++i;
    } else if (std::strcmp(arg, "--seconds") == 0) {
      if (!needs(parseNumber(value, number) && number >= 0.0 && number <= 1e6, "seconds (0 to 1000000)")) break;
      options.seconds = number;
      secondsGiven = true;
      ++i;
    } else if (std::strcmp(arg, "--record") == 0) {
      if (!needs(value != nullptr && *value != '\0', "a file name")) break;
      options.record = value;
      ++i;
    } else if (std::strcmp(arg, "--fps") == 0) {
      if (!needs(parseWhole(value, 1, 1000, number), "a whole number of frames per second")) break;
      options.recordFramesPerSecond = static_cast<int>(number);
      framesPerSecondGiven = true;
      ++i;
    } else if (std::strcmp(arg, "--start") == 0) {
      if (!filmNumber(0.0, 1e6, "a demo time in seconds (0 to 1000000)", options.start)) break;
    } else if (std::strcmp(arg, "--fade") == 0) {
      if (!filmNumber(0.0, 1e6, "seconds (0 or more)", options.fade)) break;
    } else if (std::strcmp(arg, "--poster-at") == 0) {
      if (!filmNumber(0.0, 1e6, "a demo time in seconds (0 to 1000000)", options.posterAt)) break;
    } else if (std::strcmp(arg, "--loudness") == 0) {
      if (!filmNumber(-40.0, -5.0, "a loudness in LUFS from -40 to -5", options.loudness)) break;
      loudnessGiven = true;
    } else if (std::strcmp(arg, "--poster") == 0) {
      const size_t length = value != nullptr ? std::strlen(value) : 0;
      if (!needs(length > 4 && strcasecmp(value + length - 4, ".png") == 0, "a file name ending in .png")) break;
      options.poster = value;
      filmOption = filmOption != nullptr ? filmOption : arg;
      ++i;
    } else if (std::strcmp(arg, "--counter") == 0) {
      options.counter = true;
      filmOption = filmOption != nullptr ? filmOption : arg;
    } else if (std::strcmp(arg, "--no-dialogs") == 0) {
      options.noDialogs = true;
    } else if (std::strcmp(arg, "--profile") == 0) {
      options.profile = true;
    } else if (std::strcmp(arg, "--frame-stats") == 0) {
      options.frameStats = true;
    } else if (std::strcmp(arg, "--no-effects") == 0) {
      options.noEffects = true;
    } else if (std::strcmp(arg, "--mute") == 0) {
      options.mute = true;
    } else if (std::strcmp(arg, "--headless") == 0) {
      options.headless = true;
      options.noDialogs = true;
      options.mute = true;
    } else {
      error = std::string("unknown option ") + arg;
      return ParseOutcome::Error;
    }
  }
  if (!error.empty()) return ParseOutcome::Error;
  // Options that would be ignored in silence are refused: the user expects them to do something.
  const bool screenshot = !options.screenshot.empty(), sized = options.sizeWidth > 0;
  const bool windowed = options.record.empty() && !options.headless;
  if (!options.record.empty() && (screenshot || options.loops > 0 || options.fullscreen || options.frameStats)) {
    error = "--record films off-screen for --seconds S; it takes no --screenshot, --loops, --fullscreen or "
            "--frame-stats";
  } else if (options.headless && (screenshot || framesPerSecondGiven || sized || graphicsGiven || textGiven ||
                                  options.frames > 0 || options.loops > 0 || options.fullscreen ||
                                  options.frameStats)) {
    error = "--headless draws nothing; it takes no --screenshot, --fps, --size, --gl, --text, --frames, --loops, "
            "--fullscreen or --frame-stats";
  } else if (options.record.empty() && framesPerSecondGiven) {
    error = "--fps sets the frame rate of a recording; it goes with --record";
  } else if (windowed && secondsGiven) {
    error = "--seconds sets the length of a --headless run or a --record film; a window runs until ESC, --frames or "
            "--loops";
  }
  if (!error.empty()) return ParseOutcome::Error;
  // A film is drawn on the GL ES path unless --gl says otherwise: its frames look as the designed
  // path's do (the two differ by a level or two in a few pixels), and the sea's program, which then
  // reads the mirror image only where something is mirrored, is most of a film's cost at 1080p.
  if (!options.record.empty() && !graphicsGiven) options.graphics = GraphicsPath::kEs2;
  if (filmOption != nullptr && options.record.empty()) {
    error = std::string(filmOption) + " applies to a recording only (--record FILE.mp4)";
    return ParseOutcome::Error;
  }
  if (!options.record.empty()) {
    const double length = options.seconds - options.start;  // seconds of film
    char problem[160] = "";
    if (length <= 0.0) {
      std::snprintf(problem, sizeof(problem), "--start %g is past the end of the film (--seconds %g)",
                    options.start, options.seconds);
    } else if (length > kLongestFilm) {
      std::snprintf(problem, sizeof(problem), "a film lasts at most %g s (--seconds %g after --start %g is %g s)",
                    kLongestFilm, options.seconds, options.start, length);
    } else if (2.0 * options.fade > length) {
      std::snprintf(problem, sizeof(problem), "--fade %g is longer than half the film (%g s)", options.fade, length);
    } else if (options.posterAt >= 0.0 && (options.posterAt < options.start || options.posterAt >= options.seconds)) {
      std::snprintf(problem, sizeof(problem), "--poster-at %g is outside the film (demo time %g to %g s)",
                    options.posterAt, options.start, options.seconds);
    } else if (options.posterAt >= 0.0 && options.poster.empty()) {
      std::snprintf(problem, sizeof(problem), "--poster-at sets the time of the picture --poster FILE.png writes");
    } else if (options.mute && loudnessGiven) {
      std::snprintf(problem, sizeof(problem), "--loudness levels the film's sound; --mute makes a film without sound");
    }
    if (problem[0] != '\0') {
      error = problem;
      return ParseOutcome::Error;
    }
    if (options.headless || options.fixedDt > 0.0 || options.frames > 0) {
      error = "--record runs on its own clock of 1/fps for --seconds S; it takes no --headless, --fixed-dt or --frames";
      return ParseOutcome::Error;
    }
    // Same command, same film: the recording's clock steps by one frame, and the seed defaults to 1.
    options.fixedDt = 1.0 / options.recordFramesPerSecond;
    if (!options.hasSeed) {
      options.hasSeed = true;
      options.seed = 1;
    }
    options.noDialogs = true;
  }
  if (options.headless && options.fixedDt == 0.0) options.fixedDt = 1.0 / 60.0;
  return ParseOutcome::Run;
}
