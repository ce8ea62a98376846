// Recording: the demo filmed off-screen on a fixed clock of one frame per step, its soundtrack mixed
// off-line in step with the pictures, both handed to the recorder. Progress goes to standard error.
#include <chrono>   // Required for: progress (wall time, never the demo's clock)
#include <cmath>
#include <cstdio>
#include <cstring>  // Required for: strsignal()
#include <string>
#include <vector>

#include <unistd.h>  // Required for: isatty()

#include "app/frame_profile.h"
#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/reflection_target.h"
#include "app/scene.h"
#include "platform/clock.h"
#include "platform/gl.h"
#include "platform/recorder.h"
#include "platform/run_tree.h"
#include "platform/sound_mixdown.h"
#include "platform/stop_signals.h"
#include "timeline/timeline.h"

namespace {

// Hz: the usual rate of video sound, and a whole number of samples per frame at every offered rate.
constexpr int kSoundtrackRate = 48000;
constexpr int kDefaultWidth = 1280;     // pixels
constexpr int kDefaultHeight = 720;
constexpr double kProgressRefresh = 0.25;  // seconds between updates of the progress line on a terminal

// Stop signals go back to their earlier actions; one caught until now ends the process by it.
void releaseStopSignalsOrDie() {
  releaseStopSignals();
  if (const int signal = caughtStopSignal()) dieByStopSignal(signal);
}

// On a terminal one line rewritten in place; otherwise a plain line at every tenth of the work.
struct Progress {
  long total = 0;
  bool terminal = false;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  double lastShown = -1.0;  // seconds since start
  long lastTenth = 0;
};

void showProgress(Progress& progress, long done) {
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - progress.start).count();
  const bool last = done == progress.total;
  if (progress.terminal) {
    if (!last && elapsed - progress.lastShown < kProgressRefresh) return;
  } else {
    const long tenth = done * 10 / progress.total;
    if (tenth == progress.lastTenth) return;
    progress.lastTenth = tenth;
  }
  progress.lastShown = elapsed;
  const double rate = elapsed > 0.0 ? done / elapsed : 0.0;
  const long secondsLeft = rate > 0.0 ? std::lround((progress.total - done) / rate) : 0;
  std::fprintf(stderr, "%srecording: %ld/%ld frames %3ld%%  %5.1f frames/s  %ld:%02ld left%s",
               progress.terminal ? "\r" : "", done, progress.total, done * 100 / progress.total, rate,
               secondsLeft / 60, secondsLeft % 60, progress.terminal && !last ? "  " : "\n");
  std::fflush(stderr);
}

}  // namespace

int runRecording(const Options& options, char* programPath) {
  RecorderSettings settings;
  settings.path = options.record;
  settings.width = options.sizeWidth > 0 ? options.sizeWidth : kDefaultWidth;
  settings.height = options.sizeHeight > 0 ? options.sizeHeight : kDefaultHeight;
  settings.framesPerSecond = options.recordFramesPerSecond;
  settings.sampleRate = kSoundtrackRate;
  const long frameCount = std::lround(options.seconds * settings.framesPerSecond);
  std::string error = recorderSettingsProblem(settings);
  if (error.empty() && frameCount < 1) error = "--seconds " + std::to_string(options.seconds) + " holds no frame";
  if (error.empty()) error = outputFileProblem(settings.path);  // found now, not after the whole film
  if (!error.empty()) {
    std::fprintf(stderr, "karvosta: %s; nothing recorded\n", error.c_str());
    return 1;
  }

  // The GL context comes with a small window that is never drawn to: every picture is made off-screen
  // at the recording's size, whatever the screen. The window comes before the file: freeglut ends the
  // process when it cannot open the display.
  int glutArgc = 1;
  char* glutArgv[] = {programPath, nullptr};
  glutInit(&glutArgc, glutArgv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(160, 90);
  glutCreateWindow(programPath);
  glutDisplayFunc([] {});
  // From the temporary file's creation until the film is complete, a stop signal must reach the code
  // below, which removes the file.
  catchStopSignals();
  Recorder* recorder = openRecorder(settings, error);
  if (recorder == nullptr) {
    std::fprintf(stderr, "karvosta: %s; nothing recorded\n", error.c_str());
    releaseStopSignalsOrDie();
    return 1;
  }
  FramebufferTarget target;  // the recording's main framebuffer, at the picture size
  if (!createFramebufferTarget(target, settings.width, settings.height, GL_RGBA8)) {
    abandonRecording(recorder);
    std::fprintf(stderr, "karvosta: this OpenGL cannot draw off-screen at %dx%d; nothing recorded\n", settings.width,
                 settings.height);
    releaseStopSignalsOrDie();
    return 1;
  }

  SoundMixdown soundtrack(kSoundtrackRate);
  setSoundLayer(&soundtrack);
  initScene(options, true);
  setMainFramebuffer(target.framebuffer);
  g_windowWidth = settings.width;  // the main pass and the texts see the picture as their window
  g_windowHeight = settings.height;
  fixFrameRate(settings.framesPerSecond);
  g_timelineStart = readCounter();

  std::fflush(stdout);  // start-up's progress lines before the recording's
  const int samplesPerFrame = kSoundtrackRate / settings.framesPerSecond;
  std::vector<uint8_t> picture(static_cast<size_t>(settings.width) * settings.height * 4);
  std::vector<float> sound(2 * static_cast<size_t>(samplesPerFrame));
  Progress progress;
  progress.total = frameCount;
  progress.terminal = isatty(fileno(stderr)) != 0;
  bool written = true;
  // Frame k shows demo time k / fps; the sounds its step started begin with its share of samples.
  long frame = 0;
  for (; frame < frameCount && caughtStopSignal() == 0 && written; ++frame) {
    if (frame > 0) advanceWorld();
    drawScene();
    double start = beginPhase();
    drawOverlays();
    endPhase(FramePhase::Overlays, start);
    start = beginPhase();
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, settings.width, settings.height, GL_BGRA, GL_UNSIGNED_BYTE, picture.data());
    endPhase(FramePhase::ReadBack, start);
    start = beginPhase();
    soundtrack.mix(sound.data(), samplesPerFrame);
    written = recordPicture(recorder, picture.data(), error) &&
              recordSamples(recorder, sound.data(), samplesPerFrame, error);
    endPhase(FramePhase::Encode, start);
    if (written) showProgress(progress, frame + 1);
  }
  // A stop signal after the last frame lets the film be completed; the process then ends by the signal.
  const int stoppedBy = frame < frameCount ? caughtStopSignal() : 0;

  setMainFramebuffer(0);
  destroyFramebufferTarget(target);
  shutdownScene(true);
  setSoundLayer(nullptr);

  if (stoppedBy != 0) {
    abandonRecording(recorder);
    std::fprintf(stderr, "%skarvosta: recording stopped by signal %d (%s); %s was not written\n",
                 progress.terminal ? "\n" : "", stoppedBy, strsignal(stoppedBy), settings.path.c_str());
    releaseStopSignals();
    dieByStopSignal(stoppedBy);
  }
  if (!written || !finishRecording(recorder, error)) {
    if (!written) abandonRecording(recorder);
    std::fprintf(stderr, "%skarvosta: %s; recording stopped, %s was not written\n", progress.terminal ? "\n" : "",
                 error.c_str(), settings.path.c_str());
    releaseStopSignalsOrDie();
    return 1;
  }
  std::printf("recording written to %s (%ld frames, %dx%d, %d frames/s)\n", settings.path.c_str(), frameCount,
              settings.width, settings.height, settings.framesPerSecond);
  std::fflush(stdout);
  releaseStopSignalsOrDie();
  printFrameProfile();
  return 0;
}
