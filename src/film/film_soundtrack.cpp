// A film's soundtrack from a child process: the film's start-up without graphics, the idle step alone
// on the film's clock, the sound bank playing into the off-line mixer, then the fade and the
// loudness, all while the film starts up and before its first picture.
#include "film/film_soundtrack.h"

#include <algorithm>  // Required for: std::clamp(), std::min()
#include <cerrno>
#include <csignal>    // Required for: kill(), SIGKILL
#include <cstdio>
#include <cstring>    // Required for: std::strerror(), strsignal()
#include <new>        // Required for: std::bad_alloc

#include <fcntl.h>       // Required for: open()
#include <poll.h>
#include <sys/prctl.h>   // Required for: prctl(PR_SET_PDEATHSIG)
#include <sys/wait.h>    // Required for: waitpid()
#include <unistd.h>      // Required for: fork(), pipe(), _exit()

#include "app/frame_rate.h"
#include "app/globals.h"
#include "app/scene.h"
#include "audio/sound_mixdown.h"
#include "platform/clock.h"
#include "platform/stop_signals.h"
#include "sim/events.h"
#include "timeline/timeline.h"  // Required for: g_timelineStart

namespace {

constexpr int kStopCheckMs = 100;  // longest wait for the child before the stop signals are looked at

// What the child reports before the samples.
struct Outcome {
  LoudnessChange change;
  char error[200];  // empty: the samples follow
};

bool writeAll(int fd, const void* data, size_t bytes) {
  const auto* bytePointer = static_cast<const char*>(data);
  while (bytes > 0) {
    const ssize_t done = write(fd, bytePointer, bytes);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytePointer += done;
    bytes -= static_cast<size_t>(done);
  }
  return true;
}

// False at the pipe's end, on an error, or once a stop signal was caught.
bool readAll(int fd, void* data, size_t bytes) {
  auto* bytePointer = static_cast<char*>(data);
  while (bytes > 0) {
    if (caughtStopSignal() != 0) return false;
    pollfd ready = {fd, POLLIN, 0};
    const int polled = poll(&ready, 1, kStopCheckMs);
    if (polled < 0 && errno != EINTR) return false;
    if (polled <= 0) continue;
    const ssize_t done = read(fd, bytePointer, bytes);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytePointer += done;
    bytes -= static_cast<size_t>(done);
  }
  return true;
}

int waitForChild(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// The film's steps without their pictures, into `stereo`, faded and levelled.
void mixSoundtrack(const Options& options, const SoundtrackPlan& plan, std::vector<float>& stereo,
                   LoudnessChange& change, std::string& error) {
  SoundMixdown mixdown(plan.sampleRate);
  startFilmWorld(options, plan, mixdown, false);
  const size_t frameSamples = 2 * static_cast<size_t>(plan.samplesPerFrame);
  stereo.resize(frameSamples * static_cast<size_t>(plan.frameCount));
  std::vector<float> skipped(frameSamples);
  // Step k shows demo time k / fps; the sounds its step started begin with its share of samples.
  for (long step = 0; step < plan.firstFrame + plan.frameCount; ++step) {
    if (step > 0) advanceWorld();
    const long frame = step - plan.firstFrame;
    mixdown.mix(frame < 0 ? skipped.data() : &stereo[frameSamples * static_cast<size_t>(frame)],
                plan.samplesPerFrame);
  }
  const double samples = static_cast<double>(stereo.size() / 2);
  for (size_t i = 0; i < stereo.size(); ++i) {
    stereo[i] *= static_cast<float>(
        fadeGain(static_cast<double>(i / 2), samples - 1, plan.fadeSeconds * plan.sampleRate));
  }
  normaliseLoudness(stereo, plan.sampleRate, plan.loudness, change, error);
}

// The child's whole life.
[[noreturn]] void makeSoundtrack(const Options& options, const SoundtrackPlan& plan, pid_t parent, int out) {
  // Stop signals are the parent's to handle; it ends this process when it must, and so does its end.
  ignoreStopSignals();
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(1);
  // Messages and the event log belong to the film's own run; this one keeps quiet.
  const int quiet = open("/dev/null", O_WRONLY);
  if (quiet >= 0) {
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
  }
  g_worldEventHook = nullptr;

  Outcome outcome{};
  std::vector<float> stereo;
  std::string error;
  try {
    mixSoundtrack(options, plan, stereo, outcome.change, error);
  } catch (const std::bad_alloc&) {
    error = "out of memory for the soundtrack";
  } catch (const std::exception& failure) {
    error = failure.what();
  }
  std::snprintf(outcome.error, sizeof(outcome.error), "%s", error.c_str());
  const bool sent = writeAll(out, &outcome, sizeof(outcome)) &&
                    (outcome.error[0] != '\0' || writeAll(out, stereo.data(), stereo.size() * sizeof(float)));
  _exit(sent ? 0 : 1);  // nothing of the parent's (stdio buffers, atexit work) may run twice
}

}  // namespace

double fadeGain(double position, double length, double fadeLength) {
  if (fadeLength <= 0.0) return 1.0;
  return std::clamp(std::min(position, length - position) / fadeLength, 0.0, 1.0);
}

void startFilmWorld(const Options& options, const SoundtrackPlan& plan, SoundMixdown& mixdown, bool withGraphics) {
  setSoundLayer(&mixdown);
  initScene(options, withGraphics);
  g_windowWidth = plan.width;
  g_windowHeight = plan.height;
  fixFrameRate(plan.framesPerSecond);
  g_timelineStart = readCounter();
}

bool startSoundtrack(const Options& options, const SoundtrackPlan& plan, SoundtrackJob& job, std::string& error) {
  int ends[2];
  if (pipe(ends) != 0) {
    error = std::string("cannot start the soundtrack: ") + std::strerror(errno);
    return false;
  }
  std::fflush(nullptr);
  const pid_t parent = getpid();
  job.child = fork();
  if (job.child < 0) {
    error = std::string("cannot start the soundtrack: ") + std::strerror(errno);
    close(ends[0]);
    close(ends[1]);
    return false;
  }
  if (job.child == 0) {
    close(ends[0]);
    makeSoundtrack(options, plan, parent, ends[1]);
  }
  close(ends[1]);
  job.pipe = ends[0];
  job.samples = 2 * static_cast<size_t>(plan.samplesPerFrame) * static_cast<size_t>(plan.frameCount);
  return true;
}

bool collectSoundtrack(SoundtrackJob& job, std::vector<float>& stereo, LoudnessChange& change, std::string& error) {
  Outcome outcome{};
  bool ok = readAll(job.pipe, &outcome, sizeof(outcome));
  if (ok && outcome.error[0] != '\0') {
    error = outcome.error;
    ok = false;
  }
  if (ok) {
    stereo.resize(job.samples);
    ok = readAll(job.pipe, stereo.data(), stereo.size() * sizeof(float));
  }
  if (caughtStopSignal() != 0) {
    cancelSoundtrack(job);
    return false;
  }
  change = outcome.change;
  close(job.pipe);
  job.pipe = -1;
  const int status = waitForChild(job.child);
  job.child = -1;
  if (!error.empty()) return false;
  if (WIFSIGNALED(status)) {
    error = "the soundtrack could not be made: its process was ended by signal " + std::to_string(WTERMSIG(status)) +
            " (" + strsignal(WTERMSIG(status)) + ")";
  } else if (!ok || WEXITSTATUS(status) != 0) {
    error = "the soundtrack could not be made";
    if (WEXITSTATUS(status) != 0) error += ": its process ended with status " + std::to_string(WEXITSTATUS(status));
  }
  return error.empty();
}

void cancelSoundtrack(SoundtrackJob& job) {
  if (job.pipe >= 0) close(job.pipe);
  job.pipe = -1;
  if (job.child > 0) {
    kill(job.child, SIGKILL);
    waitForChild(job.child);
  }
  job.child = -1;
}
