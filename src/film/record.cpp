// Recording: the demo filmed off-screen on a fixed clock of one frame per step, its soundtrack made
// meanwhile in a child process (film_soundtrack), both handed to the recorder, which encodes on a
// thread of its own. Pictures are read back one frame behind, so GL draws on meanwhile. Progress goes
// to standard error. A stop signal is looked at in every phase, and a failure or a stop leaves nothing
// on disk.
#include <algorithm>  // Required for: std::copy_n()
#include <chrono>   // Required for: progress (wall time, never the demo's clock)
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>  // Required for: std::strerror(), strsignal()
#include <new>      // Required for: std::bad_alloc
#include <string>
#include <vector>

#include <unistd.h>  // Required for: isatty()

#include "film/record.h"

#include "app/frame_profile.h"
#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/reflection_target.h"
#include "app/scene.h"
#include "assets/png_writer.h"
#include "audio/sound_mixdown.h"
#include "drawing/gfx.h"
#include "drawing/gl.h"
#include "film/film_soundtrack.h"
#include "film/recorder.h"
#include "platform/clock.h"
#include "platform/run_tree.h"
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

// Covers the picture with black at 1 - gain, overlays included.
void drawFade(double gain) {
  if (gain >= 1.0) return;
  gfxPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  gfxDisable(GL_LIGHTING);
  gfxDisable(GL_TEXTURE_2D);
  gfxDisable(GL_DEPTH_TEST);
  gfxEnable(GL_BLEND);
  gfxBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  gfxMatrixMode(GL_PROJECTION);
  gfxPushMatrix();
  gfxLoadIdentity();
  gfxMatrixMode(GL_MODELVIEW);
  gfxPushMatrix();
  gfxLoadIdentity();
  gfxColor4f(0.0f, 0.0f, 0.0f, static_cast<float>(1.0 - gain));
  gfxRectf(-1.0f, -1.0f, 1.0f, 1.0f);
  gfxPopMatrix();
  gfxMatrixMode(GL_PROJECTION);
  gfxPopMatrix();
  gfxMatrixMode(GL_MODELVIEW);
  gfxPopAttrib();
}

// The poster: bottom-up RGBA as read back, written top-down as RGB; on failure no file is left.
bool writePoster(const std::string& path, int width, int height, const std::vector<uint8_t>& rgbaBottomUp) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (int row = 0; row < height; ++row) {
    const uint8_t* source = &rgbaBottomUp[static_cast<size_t>(height - 1 - row) * width * 4];
    uint8_t* target = &rgb[static_cast<size_t>(row) * width * 3];
    for (int x = 0; x < width; ++x) std::copy_n(source + 4 * x, 3, target + 3 * x);
  }
  if (writePng(path.c_str(), width, height, rgb.data())) return true;
  const int reason = errno;
  std::remove(path.c_str());
  errno = reason;
  return false;
}

// How the making of a film ended before it is completed.
enum class FilmEnd { Drawn, Failed, Stopped };

// What a film holds while it is made; what it holds is given up when the film fails or is stopped.
struct Film {
  Recorder* recorder = nullptr;
  SoundtrackJob soundtrackJob;
  std::vector<float> soundtrack;  // interleaved stereo, whole; empty for a film without sound
  LoudnessChange loudness;
  std::vector<uint8_t> poster;    // the poster's frame as read back
  std::string posterPart;         // the poster under its temporary name, once written
  bool framesBegun = false;
  bool written = false;           // the film is complete under its name
};

// Leaves nothing behind: the soundtrack's process ended, no temporary file of the film or poster.
void abandonFilm(Film& film) {
  cancelSoundtrack(film.soundtrackJob);
  if (film.recorder != nullptr) abandonRecording(film.recorder);
  film.recorder = nullptr;
  if (!film.posterPart.empty()) std::remove(film.posterPart.c_str());
  film.posterPart.clear();
}

// Draws the film's frames into the current framebuffer and hands them, with their sound, to the
// recorder; keeps a copy of the poster's frame when one is asked for. Stopped by a stop signal
// before the last frame was drawn; one after it lets the film be completed.
FilmEnd filmFrames(const Options& options, const RecorderSettings& settings, const SoundtrackPlan& plan, Film& film,
                   Progress& progress, std::string& error) {
  long posterFrame = -1;  // none
  if (!options.poster.empty()) {
    // The nearest frame; a time in the film's last half frame is nearest to the frame after the last.
    posterFrame = options.posterAt < 0.0 ? plan.frameCount / 2
                                         : std::min(std::lround(options.posterAt * settings.framesPerSecond) -
                                                        plan.firstFrame, plan.frameCount - 1);
  }
  // Two pixel-pack buffers: frame k is read into one while frame k - 1, in the other, goes to the
  // recorder, so GL never waits for a read-back to finish before it draws the next frame.
  const size_t pictureBytes = static_cast<size_t>(settings.width) * settings.height * 4;
  GLuint packBuffers[2] = {0, 0};
  glGenBuffers(2, packBuffers);
  for (const GLuint buffer : packBuffers) {
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(pictureBytes), nullptr, GL_STREAM_READ);
  }
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // Hands frame `frame`, read into its pack buffer, with its share of the sound to the recorder.
  auto handOver = [&](long frame) {
    double start = beginPhase();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffers[frame % 2]);
    const auto* picture = static_cast<const uint8_t*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
    endPhase(FramePhase::ReadBack, start);
    start = beginPhase();
    bool ok = picture != nullptr;
    if (!ok) error = "the picture could not be read back from OpenGL";
    if (ok && frame == posterFrame) film.poster.assign(picture, picture + pictureBytes);
    const size_t frameSamples = 2 * static_cast<size_t>(plan.samplesPerFrame);
    ok = ok && recordPicture(film.recorder, picture, error) &&
         (film.soundtrack.empty() ||
          recordSamples(film.recorder, &film.soundtrack[frameSamples * static_cast<size_t>(frame)],
                        plan.samplesPerFrame, error));
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    endPhase(FramePhase::Encode, start);
    return ok;
  };

  // Step k shows demo time k / fps; steps before the film's first frame are simulated, not drawn.
  const long frameCount = plan.frameCount;
  const long steps = plan.firstFrame + frameCount;
  bool written = true;
  long step = 0;
  for (; step < steps && caughtStopSignal() == 0 && written; ++step) {
    if (step > 0) advanceWorld();
    const long frame = step - plan.firstFrame;
    if (frame < 0) continue;
    drawScene();
    const double start = beginPhase();
    drawOverlays(options.counter);
    drawFade(fadeGain(static_cast<double>(frame), static_cast<double>(frameCount - 1),
                      options.fade * settings.framesPerSecond));
    endPhase(FramePhase::Overlays, start);
    const double readStart = beginPhase();
    glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffers[frame % 2]);
    // RGBA is the target's own layout: read back without a swizzle of every pixel.
    glReadPixels(0, 0, settings.width, settings.height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    endPhase(FramePhase::ReadBack, readStart);
    if (frame > 0) written = handOver(frame - 1);
    if (written && frame > 0) showProgress(progress, frame);
  }
  const bool stopped = written && step < steps;
  if (written && !stopped) {
    written = handOver(frameCount - 1);
    if (written) showProgress(progress, frameCount);
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glDeleteBuffers(2, packBuffers);
  return !written ? FilmEnd::Failed : stopped ? FilmEnd::Stopped : FilmEnd::Drawn;
}

// Everything up to the last frame: the soundtrack's process, the window, the recorder, start-up, the
// soundtrack's samples and the frames, each phase ended early by a stop signal.
FilmEnd drawFilm(const Options& options, const RecorderSettings& settings, const SoundtrackPlan& plan,
                 char* programPath, Film& film, Progress& progress, std::string& error) {
  // The soundtrack's process first, while this one has a single thread: the window, the GL driver and
  // the encoders all start threads of their own.
  if (settings.sampleRate > 0 && !startSoundtrack(options, plan, film.soundtrackJob, error)) return FilmEnd::Failed;

  // The GL context comes with a small window that is never drawn to: every picture is made off-screen
  // at the recording's size, whatever the screen. The window comes before the file: freeglut ends the
  // process when it cannot open the display (and the soundtrack's process ends with it).
  int glutArgc = 1;
  char* glutArgv[] = {programPath, nullptr};
  glutInit(&glutArgc, glutArgv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(160, 90);
  glutCreateWindow(programPath);
  glutDisplayFunc([] {});
  if (caughtStopSignal() != 0) return FilmEnd::Stopped;
  film.recorder = openRecorder(settings, error);
  if (film.recorder == nullptr) return FilmEnd::Failed;
  if (caughtStopSignal() != 0) return FilmEnd::Stopped;
  FramebufferTarget target;  // the recording's main framebuffer, at the picture size
  if (!createFramebufferTarget(target, settings.width, settings.height, GL_RGBA8)) {
    error = "this OpenGL cannot draw off-screen at " + std::to_string(settings.width) + "x" +
            std::to_string(settings.height);
    return FilmEnd::Failed;
  }

  // Start-up plays into a mixer of its own, which loads the sounds and reports those it cannot read;
  // the soundtrack's process mixes them.
  SoundMixdown mixdown(kSoundtrackRate);
  startFilmWorld(options, plan, mixdown, true);
  setMainFramebuffer(target.framebuffer);
  std::fflush(stdout);  // start-up's progress lines before the recording's

  FilmEnd end = FilmEnd::Stopped;
  const bool sound = settings.sampleRate == 0 ||
                     (caughtStopSignal() == 0 &&
                      collectSoundtrack(film.soundtrackJob, film.soundtrack, film.loudness, error));
  if (caughtStopSignal() == 0) {
    film.framesBegun = sound;
    end = sound ? filmFrames(options, settings, plan, film, progress, error) : FilmEnd::Failed;
  }

  setMainFramebuffer(0);
  destroyFramebufferTarget(target);
  shutdownScene(true);
  setSoundLayer(nullptr);
  return end;
}

// After the last frame: the poster under a temporary name, the film completed and renamed, then the
// poster renamed beside it. A film that fails here leaves the film and poster it would have replaced.
bool completeFilm(const Options& options, const RecorderSettings& settings, Film& film, std::string& error) {
  if (!options.poster.empty()) {
    if (film.poster.empty()) {
      error = "the poster's frame was never drawn";
      return false;
    }
    film.posterPart = recorderTemporaryPath(options.poster);
    if (!writePoster(film.posterPart, settings.width, settings.height, film.poster)) {
      error = "cannot write the poster " + film.posterPart + ": " + std::strerror(errno);
      return false;
    }
  }
  Recorder* recorder = film.recorder;
  film.recorder = nullptr;  // deleted by finishRecording, whatever the outcome
  if (!finishRecording(recorder, error)) return false;
  film.written = true;
  if (!film.posterPart.empty() && std::rename(film.posterPart.c_str(), options.poster.c_str()) != 0) {
    error = "cannot rename " + film.posterPart + " to " + options.poster + ": " + std::strerror(errno);
    return false;
  }
  film.posterPart.clear();
  return true;
}

}  // namespace

int runRecording(const Options& options, char* programPath) {
  RecorderSettings settings;
  settings.path = options.record;
  settings.width = options.sizeWidth > 0 ? options.sizeWidth : kDefaultWidth;
  settings.height = options.sizeHeight > 0 ? options.sizeHeight : kDefaultHeight;
  settings.framesPerSecond = options.recordFramesPerSecond;
  settings.sampleRate = options.mute ? 0 : kSoundtrackRate;
  SoundtrackPlan plan;
  plan.firstFrame = std::lround(options.start * settings.framesPerSecond);
  plan.frameCount = std::lround(options.seconds * settings.framesPerSecond) - plan.firstFrame;
  plan.framesPerSecond = settings.framesPerSecond;
  plan.width = settings.width;
  plan.height = settings.height;
  plan.samplesPerFrame = kSoundtrackRate / settings.framesPerSecond;
  plan.sampleRate = kSoundtrackRate;
  plan.fadeSeconds = options.fade;
  plan.loudness = options.loudness;
  const long frameCount = plan.frameCount;
  std::string error = recorderSettingsProblem(settings);
  if (error.empty() && frameCount < 1) {
    error = "--seconds " + std::to_string(options.seconds) + " holds no frame after --start";
  }
  if (error.empty()) error = outputFileProblem(settings.path);  // found now, not after the whole film
  if (error.empty() && !options.poster.empty()) error = outputFileProblem(options.poster);
  if (!error.empty()) {
    std::fprintf(stderr, "karvosta: %s; nothing recorded\n", error.c_str());
    return 1;
  }

  // From here until the film is complete, a stop signal is looked at in every phase: the film is
  // abandoned and the process ends by that signal.
  catchStopSignals();
  Film film;
  Progress progress;
  progress.total = frameCount;
  progress.terminal = isatty(fileno(stderr)) != 0;
  FilmEnd end = FilmEnd::Failed;
  try {
    end = drawFilm(options, settings, plan, programPath, film, progress, error);
    if (end == FilmEnd::Drawn && !completeFilm(options, settings, film, error)) end = FilmEnd::Failed;
  } catch (const std::bad_alloc&) {  // what can be caught of a film too large for the memory
    error = "out of memory";
    setSoundLayer(nullptr);
  } catch (const std::exception& failure) {
    error = failure.what();
    setSoundLayer(nullptr);
  }

  const char* lineEnd = progress.terminal && film.framesBegun ? "\n" : "";  // ends the progress line
  if (end == FilmEnd::Stopped) {
    const int signal = caughtStopSignal();
    abandonFilm(film);
    std::fprintf(stderr, "%skarvosta: recording stopped by signal %d (%s); %s was not written\n", lineEnd, signal,
                 strsignal(signal), settings.path.c_str());
    releaseStopSignals();
    dieByStopSignal(signal);
  }
  if (end == FilmEnd::Failed) {
    abandonFilm(film);
    if (film.written) {
      std::fprintf(stderr, "%skarvosta: %s; %s was written without its poster\n", lineEnd, error.c_str(),
                   settings.path.c_str());
    } else if (film.framesBegun) {
      std::fprintf(stderr, "%skarvosta: %s; recording stopped, %s was not written\n", lineEnd, error.c_str(),
                   settings.path.c_str());
    } else {
      std::fprintf(stderr, "karvosta: %s; nothing recorded\n", error.c_str());
    }
    releaseStopSignalsOrDie();
    return 1;
  }
  std::printf("recording written to %s (%ld frames, %dx%d, %d frames/s, drawn on the %s path)\n", settings.path.c_str(),
              frameCount, settings.width, settings.height, settings.framesPerSecond,
              graphicsPath() == GraphicsPath::kEs2 ? "GL ES 2.0" : "designed");
  if (settings.sampleRate == 0) {
    std::printf("sound: none (--mute)\n");
  } else if (film.loudness.measured) {
    std::printf("sound: %.1f LUFS as mixed, %+.1f dB with peaks held at %.1f dBTP: %.1f LUFS\n", film.loudness.before,
                film.loudness.gain, kTruePeakCeiling, film.loudness.after);
  } else {
    std::printf("sound: unmeasured (too short or too quiet to measure), no gain, peaks held at %.1f dBTP\n",
                kTruePeakCeiling);
  }
  if (!options.poster.empty()) std::printf("poster written to %s\n", options.poster.c_str());
  std::fflush(stdout);
  releaseStopSignalsOrDie();
  printFrameProfile();
  return 0;
}
