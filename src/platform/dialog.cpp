// Error dialog over SDL's simple message box, falling back to standard error.
#include "platform/dialog.h"

#include <SDL2/SDL.h>  // Required for: SDL_ShowSimpleMessageBox()

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
bool g_dialogsEnabled = true;
}

void setDialogsEnabled(bool enabled) { g_dialogsEnabled = enabled; }

bool dialogsEnabled() {
  if (!g_dialogsEnabled) return false;
  const char* off = std::getenv("KARVOSTA_NO_DIALOGS");
  if (off != nullptr && off[0] != '\0' && off[0] != '0') return false;
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

void showErrorDialog(const char* caption, const char* text) {
  if (dialogsEnabled() &&
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) == 0) {
    return;
  }
  const size_t length = std::strlen(text);
  const bool endsLine = length > 0 && text[length - 1] == '\n';
  std::fprintf(stderr, "%s: %s%s", caption, text, endsLine ? "" : "\n");
  std::fflush(stderr);
}
