// SPDX-License-Identifier: MIT
// A font at one size: metrics in GDI's terms and monochrome glyphs, rendered by
// FreeType once per character and kept.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wingdi.h"

namespace platform::gdi {

// One rendered character: its ink as runs of set pixels, relative to the pen
// position on the baseline (x to the right, y downwards, so ink above the
// baseline has negative y).
struct Glyph {
  struct Run {
    int16_t y;
    int16_t x0;  // first pixel
    int16_t x1;  // one past the last pixel
  };
  std::vector<Run> runs;
  int32_t advance = 0;
};

struct FontMetrics {
  int32_t height = 0;  // cell height: ascent + descent (GDI's tmHeight)
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t internalLeading = 0;
  int32_t aveCharWidth = 0;
  int32_t maxCharWidth = 0;
  int32_t weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  BYTE pitchAndFamily = 0;
  BYTE charSet = ANSI_CHARSET;
  int32_t underlinePosition = 0;  // rows below the baseline of the line's top
  int32_t underlineThickness = 1;
  int32_t strikeOutPosition = 0;  // rows above the baseline of the line's top
  std::string family;             // the family the matcher found
};

class FontInstance {
 public:
  virtual ~FontInstance() = default;
  const FontMetrics& Metrics() const { return metrics_; }
  // The glyph of a character code of the font's character set.
  virtual const Glyph& GlyphOf(unsigned char code) = 0;
  // Sum of the advances of the text.
  int32_t Width(const char* text, size_t length);

 protected:
  FontMetrics metrics_;
};

}  // namespace platform::gdi
