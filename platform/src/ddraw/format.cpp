// SPDX-License-Identifier: MIT
#include "ddraw/format.h"

#include <bit>

namespace platform::ddraw {
namespace {

// A mask is usable when its set bits are contiguous and at most 8 wide.
bool UsableMask(uint32_t mask) {
  if (mask == 0) return false;
  uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0 && std::popcount(mask) <= 8;
}

}  // namespace

uint32_t PixelFormat::ColorBits() const {
  if (bits == 8) return 0xFF;
  return red | green | blue;
}

DDPIXELFORMAT PixelFormat::ToDD() const {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(DDPIXELFORMAT);
  f.dwRGBBitCount = static_cast<DWORD>(bits);
  if (bits == 8) {
    f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  } else {
    f.dwFlags = DDPF_RGB | (alpha ? DDPF_ALPHAPIXELS : 0u);
    f.dwRBitMask = red;
    f.dwGBitMask = green;
    f.dwBBitMask = blue;
    f.dwRGBAlphaBitMask = alpha;
  }
  return f;
}

PixelFormat PixelFormat::ForDepth(DWORD bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8: return Indexed8();
    case 15: return Rgb555();
    case 16: return Rgb565();
    case 24: return Rgb888();
    case 32: return Xrgb8888();
    default: return {};
  }
}

bool ParsePixelFormat(const DDPIXELFORMAT& in, PixelFormat* out) {
  if (in.dwFlags & (DDPF_FOURCC | DDPF_YUV | DDPF_ZBUFFER | DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 |
                    DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXEDTO8 | DDPF_ALPHA))
    return false;
  if (in.dwFlags & DDPF_PALETTEINDEXED8) {
    if (in.dwRGBBitCount != 8 && in.dwRGBBitCount != 0) return false;
    *out = PixelFormat::Indexed8();
    return true;
  }
  if (!(in.dwFlags & DDPF_RGB)) return false;
  DWORD bits = in.dwRGBBitCount;
  uint32_t r = in.dwRBitMask, g = in.dwGBitMask, b = in.dwBBitMask;
  uint32_t a = (in.dwFlags & DDPF_ALPHAPIXELS) ? in.dwRGBAlphaBitMask : 0;
  if (r == 0 && g == 0 && b == 0) {
    // Only a depth: the usual layout of that depth.
    PixelFormat f = PixelFormat::ForDepth(bits);
    if (f.bits == 0 || f.bits == 8) return false;
    f.alpha = 0;
    *out = f;
    return true;
  }
  if (bits == 15) bits = 16;
  if (bits != 16 && bits != 24 && bits != 32) return false;
  uint64_t limit = (bits == 32) ? 0x100000000ull : (1ull << bits);
  if (r >= limit || g >= limit || b >= limit || a >= limit) return false;
  if (!UsableMask(r) || !UsableMask(g) || !UsableMask(b)) return false;
  if (a && !UsableMask(a)) return false;
  if ((r & g) || (r & b) || (g & b) || (a & (r | g | b))) return false;
  *out = PixelFormat{static_cast<int>(bits), r, g, b, a};
  return true;
}

ColorCodec::ColorCodec(const PixelFormat& format) : format_(format) {
  auto make = [](uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask) {
      c.shift = std::countr_zero(mask);
      c.width = std::popcount(mask);
    }
    return c;
  };
  r_ = make(format.red);
  g_ = make(format.green);
  b_ = make(format.blue);
}

uint32_t ColorCodec::Widen(uint32_t value, int width) {
  if (width <= 0) return 0;
  if (width >= 8) return (value >> (width - 8)) & 0xFF;
  // Repeat the value's bits until 8 are filled.
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << width) | value;
    filled += width;
  }
  return (out >> (filled - 8)) & 0xFF;
}

uint32_t ColorCodec::ToRgb(uint32_t pixel, const uint32_t* palette) const {
  if (format_.bits == 8) return (palette ? palette : DefaultPaletteRgb())[pixel & 0xFF];
  uint32_t r = Widen((pixel & r_.mask) >> r_.shift, r_.width);
  uint32_t g = Widen((pixel & g_.mask) >> g_.shift, g_.width);
  uint32_t b = Widen((pixel & b_.mask) >> b_.shift, b_.width);
  return (r << 16) | (g << 8) | b;
}

uint32_t ColorCodec::FromRgb(uint32_t rgb) const {
  if (format_.bits == 8) return 0;
  auto put = [](uint32_t c, const Channel& ch) -> uint32_t {
    if (ch.width == 0) return 0;
    return ((c >> (8 - ch.width)) << ch.shift) & ch.mask;
  };
  return put((rgb >> 16) & 0xFF, r_) | put((rgb >> 8) & 0xFF, g_) | put(rgb & 0xFF, b_);
}

const uint32_t* DefaultPaletteRgb() {
  static const auto table = [] {
    struct T {
      uint32_t v[256];
    } t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = ((i >> 5) & 7) * 255 / 7, g = ((i >> 2) & 7) * 255 / 7, b = (i & 3) * 255 / 3;
      t.v[i] = (r << 16) | (g << 8) | b;
    }
    return t;
  }();
  return table.v;
}

}  // namespace platform::ddraw
