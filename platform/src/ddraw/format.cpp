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

}  // namespace platform::ddraw
