// Faults for the recording test, loaded into the program with LD_PRELOAD: SHIM_FAULT names the step
// that fails. Each fork is reported on standard error with the number of threads the process had.
//   soundtrack-hang    the forked child hangs (until a minute has passed)
//   soundtrack-killed  the forked child dies by SIGKILL
//   thread             the first thread started after the film's file header cannot start
//   memory             the parent cannot allocate 4 MB or more at once
//   trailer, close, rename  the film's last steps: av_write_trailer, avio_closep, rename
#include <dirent.h>
#include <dlfcn.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" void* __libc_malloc(size_t size);

namespace {

constexpr size_t kLargeAllocation = size_t{4} << 20;  // bytes

bool g_child = false;
bool g_failNextThread = false;

bool fault(const char* name) {
  const char* wanted = std::getenv("SHIM_FAULT");
  return wanted != nullptr && std::strcmp(wanted, name) == 0;
}

template <typename Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int threadCount() {
  int count = 0;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (const dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
    closedir(tasks);
  }
  return count;
}

}  // namespace

extern "C" {

pid_t fork() {
  const int threads = threadCount();
  const pid_t child = next<pid_t (*)()>("fork")();
  if (child == 0) {
    g_child = true;
    if (fault("soundtrack-killed")) raise(SIGKILL);
    if (fault("soundtrack-hang")) {
      alarm(60);
      for (;;) pause();
    }
  } else if (child > 0) {
    std::fprintf(stderr, "fault shim: forking, threads: %d\n", threads);
  }
  return child;
}

int avformat_write_header(void* format, void** options) {
  const int result = next<int (*)(void*, void**)>("avformat_write_header")(format, options);
  g_failNextThread = fault("thread");
  return result;
}

int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*), void* argument) {
  if (g_failNextThread) {
    g_failNextThread = false;
    return EAGAIN;
  }
  return next<int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*)>("pthread_create")(
      thread, attributes, start, argument);
}

void* malloc(size_t size) {
  if (size >= kLargeAllocation && !g_child && fault("memory")) return nullptr;
  return __libc_malloc(size);
}

int av_write_trailer(void* format) {
  return fault("trailer") ? -EIO : next<int (*)(void*)>("av_write_trailer")(format);
}

int avio_closep(void** context) {
  const int result = next<int (*)(void**)>("avio_closep")(context);
  return fault("close") ? -EIO : result;
}

int rename(const char* from, const char* to) {
  if (!fault("rename")) return next<int (*)(const char*, const char*)>("rename")(from, to);
  errno = EIO;
  return -1;
}

}  // extern "C"
