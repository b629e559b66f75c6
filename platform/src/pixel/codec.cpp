// SPDX-License-Identifier: MIT
#include "pixel/codec.h"

namespace platform::pixel {

const uint32_t* DefaultPaletteRgb() {
  static const auto table = [] {
    struct Table {
      uint32_t rgb[256];
    } t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = ((i >> 5) & 7) * 255 / 7, g = ((i >> 2) & 7) * 255 / 7, b = (i & 3) * 255 / 3;
      t.rgb[i] = (r << 16) | (g << 8) | b;
    }
    return t;
  }();
  return table.rgb;
}

}  // namespace platform::pixel
