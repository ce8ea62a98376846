// The screen texts' rule: which font, and the scale of their places, size and speed.
#include "app/text_rule.h"

#include <cmath>

namespace {
constexpr int kDesignedWidth = 800, kDesignedHeight = 600;  // pixels: the window the texts were laid out in
}  // namespace

TextRule textRule(TextMode mode, int width, int height, bool atlasReady, bool bitmapFonts) {
  const bool designed = width == kDesignedWidth && height == kDesignedHeight;
  TextRule rule;
  rule.atlas = atlasReady && height > 0 &&
               (!bitmapFonts || mode == TextMode::Atlas || (mode == TextMode::Auto && !designed));
  if (rule.atlas) rule.scale = static_cast<float>(height) / kDesignedHeight;
  return rule;
}

TextPlace scaledPlace(TextPlace designed, const TextRule& rule) {
  return {static_cast<int>(std::lround(designed.x * rule.scale)), static_cast<int>(std::lround(designed.y * rule.scale))};
}
