// Title line construction: a new line starts with its baseline on the window's bottom edge.
#include "app/scroll_text.h"

#include "app/globals.h"

namespace {
constexpr int kScrollSpeed = 2;  // pixels per 1/25 s: 50 pixels per second upwards
}

ScrollText::ScrollText(float startX, const char* lineText)
    : x(startX), y(static_cast<float>(g_windowHeight)), speed(kScrollSpeed), text(lineText) {}
