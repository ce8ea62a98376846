// Command-line options for automated runs, recording and tuning. Without options the demo runs as a
// showing does: real-time clock, seed from the clock, dialogs, sound, no end.
#pragma once
#include <cstdint>
#include <string>

#include "app/text_rule.h"       // Required for: TextMode
#include "audio/loudness.h"  // Required for: kDefaultLoudness
#include "drawing/gfx.h"       // Required for: GraphicsPath

struct Options {
  int frames = -1;           // --frames N: end normally after N displayed frames (-1: never)
  double fixedDt = 0.0;      // --fixed-dt S: the clock advances by S seconds per idle step (0: real time)
  bool hasSeed = false;      // --seed N
  uint32_t seed = 0;
  std::string screenshot;    // --screenshot FILE.png: the last displayed frame
  bool noDialogs = false;    // --no-dialogs (implied by --frames and --headless)
  bool mute = false;         // --mute: no audio device
  bool noEffects = false;    // --no-effects: start without smoke, splashes and wakes (F8 switches)
  bool headless = false;     // --headless: no window, no GL, no sound; fixed clock
  double seconds = 71.0;     // --seconds S: demo time of a headless run
  std::string eventLog;      // --event-log FILE: one line per world event
  bool profile = false;      // --profile: mean time of each frame phase and the frame intervals, at exit
  bool frameStats = false;   // --frame-stats: the frame intervals' mean and percentiles, at exit
  int sizeWidth = 0; int sizeHeight = 0;  // --size WxH: window size, or a recording's picture (0: not given)
  TextMode text = TextMode::Auto;  // --text atlas|bitmap: the screen texts' font (default: by the picture's size)
  GraphicsPath graphics = GraphicsPath::kDesigned;  // --gl designed|es2: who draws the frame
  // Showings (kiosk, shop window).
  bool fullscreen = false;   // --fullscreen: the whole screen, no mouse cursor
  int loops = -1;            // --loops N: end normally after N complete runs of the script (-1: never)
  // Films.
  std::string record;        // --record FILE.mp4: film --seconds S of the demo off-screen, then exit
  int recordFramesPerSecond = 30;  // --fps N: the recording's frame rate (its clock step is 1/N s)
  // An excerpt: the film shows demo time --start to --seconds; what comes before is simulated only.
  double start = 0.0;        // --start S: demo time of the film's first frame
  double fade = 0.0;         // --fade S: seconds of fade from black and silence at the start, to them at the end
  std::string poster;        // --poster FILE.png: the film's frame at posterAt, full size
  double posterAt = -1.0;    // --poster-at T: demo time of the poster (negative: the middle of the film)
  bool counter = false;      // --counter: the frame counter and the toggle messages in the film too
  double loudness = kDefaultLoudness;   // --loudness LUFS: integrated loudness of the film's sound
};

enum class ParseOutcome { Run, Help, Version, Error };

// Fills `options` from argv; on Error, `error` says what was wrong.
ParseOutcome parseOptions(int argc, char** argv, Options& options, std::string& error);
const char* usageText();
