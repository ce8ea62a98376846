// Error dialog of the web build: the page shows the text in a notice that does not block the frames
// (a browser's alert() would stop them and a script driving the page); standard error has it too.
#include "platform/dialog.h"

#include <emscripten.h>

#include <cstdio>
#include <cstring>

namespace {
bool g_dialogsEnabled = true;
}

void setDialogsEnabled(bool enabled) { g_dialogsEnabled = enabled; }

bool dialogsEnabled() { return g_dialogsEnabled; }

void showErrorDialog(const char* caption, const char* text) {
  const size_t length = std::strlen(text);
  const bool endsLine = length > 0 && text[length - 1] == '\n';
  std::fprintf(stderr, "%s: %s%s", caption, text, endsLine ? "" : "\n");
  if (!g_dialogsEnabled) return;
  EM_ASM({
    if (Module.onProgram) Module.onProgram("error", UTF8ToString($0) + ": " + UTF8ToString($1));
  }, caption, text);
}
