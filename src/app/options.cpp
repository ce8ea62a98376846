// Command-line parsing: strict, so a typo in an automated run fails loudly instead of running on.
#include "app/options.h"

#include <cctype>  // Required for: std::isdigit()
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

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
         "  --fixed-dt SECONDS  advance the clock by exactly SECONDS per step (reproducible runs)\n"
         "  --seed N            seed the random generator with N instead of the clock\n"
         "  --screenshot FILE   write the last displayed frame as a PNG before exiting\n"
         "  --no-dialogs        error messages go to standard error (implied by --frames)\n"
         "  --mute              do not open the audio device\n"
         "  --no-effects        start without smoke, flashes, splashes and wakes (F8 switches them)\n"
         "  --headless          run the simulation without window, GL or sound (fixed clock)\n"
         "  --seconds S         demo time of a headless run or a recording (default 71)\n"
         "  --event-log FILE    write one line per battle event\n"
         "  --profile           print the mean time of each frame phase and the frame intervals at exit\n"
         "  --frame-stats       print the frame intervals (mean, median, p95, p99, longest) at exit\n"
         "  --size WxH          window size (default 800x600), or a recording's picture (default 1280x720)\n"
         "  --fullscreen        fill the screen and hide the mouse cursor (showings)\n"
         "  --loops N           end after N complete runs of the 71-second script\n"
         "  --record FILE.mp4   film --seconds S (default 71) off-screen into a video with sound, then exit\n"
         "  --fps N             frame rate of a recording: 24, 25, 30 (default), 50 or 60\n"
         "  --version           print the version\n"
         "  --help              this text\n"
         "Keys: ESC, x, X quit; F3 wireframe, F4 bump map, F5 ship culling, F6 sea strips, F7 model path, F8 effects.\n";
}

ParseOutcome parseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    double number = 0.0;
    auto needs = [&](bool ok, const char* what) {
      if (!ok) error = std::string(arg) + " needs " + what;
      return ok;
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
      if (!needs(parseNumber(value, number) && number > 0.0 && number <= 10.0,
                 "a step in seconds (above 0, at most 10)"))
        break;
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
      ++i;
    } else if (std::strcmp(arg, "--record") == 0) {
      if (!needs(value != nullptr && *value != '\0', "a file name")) break;
      options.record = value;
      ++i;
    } else if (std::strcmp(arg, "--fps") == 0) {
      if (!needs(parseWhole(value, 1, 1000, number), "a whole number of frames per second")) break;
      options.recordFramesPerSecond = static_cast<int>(number);
      ++i;
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
  if (!options.record.empty()) {
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
