// A film's soundtrack from a child process: the idle step alone on the film's clock, the sound bank
// playing into the off-line mixer, then the fade and the loudness, all before the first picture. The
// child touches neither GL nor the window its parent's memory holds.
#include "app/film_soundtrack.h"

#include <algorithm>  // Required for: std::clamp(), std::min()
#include <cerrno>
#include <cstdio>
#include <cstring>    // Required for: std::strerror(), std::snprintf()

#include <fcntl.h>     // Required for: open()
#include <sys/wait.h>  // Required for: waitpid()
#include <unistd.h>    // Required for: fork(), pipe(), _exit()

#include "app/scene.h"
#include "platform/sound_mixdown.h"
#include "sim/events.h"

namespace {

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

bool readAll(int fd, void* data, size_t bytes) {
  auto* bytePointer = static_cast<char*>(data);
  while (bytes > 0) {
    const ssize_t done = read(fd, bytePointer, bytes);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytePointer += done;
    bytes -= static_cast<size_t>(done);
  }
  return true;
}

// The child's whole life: the film's steps without their pictures.
[[noreturn]] void makeSoundtrack(SoundMixdown& mixdown, const SoundtrackPlan& plan, int out) {
  // Messages and the event log belong to the film's own run; this one keeps quiet.
  const int quiet = open("/dev/null", O_WRONLY);
  if (quiet >= 0) {
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
  }
  g_worldEventHook = nullptr;

  const size_t frameSamples = 2 * static_cast<size_t>(plan.samplesPerFrame);
  std::vector<float> stereo(frameSamples * static_cast<size_t>(plan.frameCount));
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
    stereo[i] *= static_cast<float>(fadeGain(static_cast<double>(i / 2), samples - 1, plan.fadeSeconds * plan.sampleRate));
  }
  Outcome outcome{};
  std::string error;
  if (!normaliseLoudness(stereo, plan.sampleRate, plan.loudness, outcome.change, error)) {
    std::snprintf(outcome.error, sizeof(outcome.error), "%s", error.c_str());
  }
  const bool sent = writeAll(out, &outcome, sizeof(outcome)) &&
                    (outcome.error[0] != '\0' || writeAll(out, stereo.data(), stereo.size() * sizeof(float)));
  _exit(sent ? 0 : 1);  // nothing of the parent's (stdio buffers, atexit work) may run twice
}

}  // namespace

double fadeGain(double position, double length, double fadeLength) {
  if (fadeLength <= 0.0) return 1.0;
  return std::clamp(std::min(position, length - position) / fadeLength, 0.0, 1.0);
}

bool startSoundtrack(SoundMixdown& mixdown, const SoundtrackPlan& plan, SoundtrackJob& job, std::string& error) {
  int ends[2];
  if (pipe(ends) != 0) {
    error = std::string("cannot start the soundtrack: ") + std::strerror(errno);
    return false;
  }
  std::fflush(nullptr);
  job.child = fork();
  if (job.child < 0) {
    error = std::string("cannot start the soundtrack: ") + std::strerror(errno);
    close(ends[0]);
    close(ends[1]);
    return false;
  }
  if (job.child == 0) {
    close(ends[0]);
    makeSoundtrack(mixdown, plan, ends[1]);
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
  stereo.resize(job.samples);
  ok = ok && readAll(job.pipe, stereo.data(), stereo.size() * sizeof(float));
  change = outcome.change;
  close(job.pipe);
  job.pipe = -1;
  int status = 0;
  while (waitpid(job.child, &status, 0) < 0 && errno == EINTR) {
  }
  job.child = -1;
  if (ok && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) ok = false;
  if (!ok && error.empty()) error = "the soundtrack could not be made";
  return ok;
}
