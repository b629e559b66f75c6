// SPDX-License-Identifier: MIT
// Pixel formats of the software surfaces: 8-bit palettized, and RGB in 16, 24
// and 32 bits with any contiguous channel masks of at most 8 bits each.
#pragma once

#include <cstdint>

#include "pixel/codec.h"
#include "platform/ddraw.h"

namespace platform::ddraw {

using pixel::DefaultPaletteRgb;

struct PixelFormat {
  int bits = 0;  // 8, 16, 24 or 32
  uint32_t red = 0, green = 0, blue = 0, alpha = 0;

  int BytesPerPixel() const { return bits / 8; }
  bool Palettized() const { return bits == 8; }
  // The bits that carry colour; the colour key compares only these.
  uint32_t ColorBits() const;
  bool operator==(const PixelFormat& o) const {
    return bits == o.bits && red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
  }

  DDPIXELFORMAT ToDD() const;

  static PixelFormat Indexed8() { return {8, 0, 0, 0, 0}; }
  static PixelFormat Rgb555() { return {16, 0x7C00, 0x03E0, 0x001F, 0}; }
  static PixelFormat Rgb565() { return {16, 0xF800, 0x07E0, 0x001F, 0}; }
  static PixelFormat Rgb888() { return {24, 0xFF0000, 0x00FF00, 0x0000FF, 0}; }
  static PixelFormat Xrgb8888() { return {32, 0xFF0000, 0x00FF00, 0x0000FF, 0}; }
  // The format a display mode of this depth uses; bits 0 for an unknown depth.
  static PixelFormat ForDepth(DWORD bitsPerPixel);
};

// Reads a caller's pixel format; false when surfaces cannot have it.
bool ParsePixelFormat(const DDPIXELFORMAT& in, PixelFormat* out);

// Colour conversion between raw pixels of a surface's format and 0x00RRGGBB.
class ColorCodec {
 public:
  explicit ColorCodec(const PixelFormat& format)
      : palettized_(format.Palettized()), channels_(pixel::Channels::Of(format.red, format.green, format.blue)) {}
  // palette: 256 colours 0x00RRGGBB, for 8-bit formats.
  uint32_t ToRgb(uint32_t pixel, const uint32_t* palette) const {
    if (palettized_) return (palette ? palette : DefaultPaletteRgb())[pixel & 0xFF];
    return channels_.ToRgb(pixel);
  }
  // 0 for 8-bit formats, whose colours a palette gives.
  uint32_t FromRgb(uint32_t rgb) const { return palettized_ ? 0 : channels_.FromRgb(rgb); }

 private:
  bool palettized_;
  pixel::Channels channels_;
};

// Reads and writes one pixel of 1 to 4 bytes, little-endian.
inline uint32_t ReadPixel(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 1: return p[0];
    case 2: return static_cast<uint32_t>(p[0] | (p[1] << 8));
    case 3: return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    default: return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                    (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
}
inline void WritePixel(uint8_t* p, int bytes, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  if (bytes > 1) p[1] = static_cast<uint8_t>(v >> 8);
  if (bytes > 2) p[2] = static_cast<uint8_t>(v >> 16);
  if (bytes > 3) p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace platform::ddraw
