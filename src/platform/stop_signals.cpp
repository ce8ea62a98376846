// Stop signals over POSIX sigaction: a flag set by the handler, and death by the signal afterwards.
#include "platform/stop_signals.h"

#include <csignal>
#include <cstdlib>   // Required for: std::abort()
#include <iterator>  // Required for: std::size()

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t g_caught = 0;
struct sigaction g_earlier[std::size(kStopSignals)];
bool g_caughtSignals[std::size(kStopSignals)] = {};

void onStopSignal(int signal) { g_caught = signal; }

}  // namespace

void catchStopSignals() {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, nullptr);
  struct sigaction catcher = {};
  catcher.sa_handler = onStopSignal;
  sigemptyset(&catcher.sa_mask);
  for (size_t i = 0; i < std::size(kStopSignals); ++i) {
    sigaction(kStopSignals[i], nullptr, &g_earlier[i]);
    g_caughtSignals[i] = g_earlier[i].sa_handler != SIG_IGN;
    if (g_caughtSignals[i]) sigaction(kStopSignals[i], &catcher, nullptr);
  }
}

int caughtStopSignal() { return g_caught; }

void ignoreStopSignals() {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  for (const int signal : kStopSignals) sigaction(signal, &ignore, nullptr);
}

void releaseStopSignals() {
  for (size_t i = 0; i < std::size(kStopSignals); ++i) {
    if (g_caughtSignals[i]) sigaction(kStopSignals[i], &g_earlier[i], nullptr);
    g_caughtSignals[i] = false;
  }
}

void dieByStopSignal(int signal) {
  struct sigaction standard = {};
  standard.sa_handler = SIG_DFL;
  sigaction(signal, &standard, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  std::raise(signal);
  std::abort();  // not reached: every stop signal's default action ends the process
}
