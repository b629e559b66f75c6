// SPDX-License-Identifier: MIT
// Colour channels of raw pixels, for every part that reads or writes pixels:
// the surfaces' blits and colour keys, the bitmap reader, GDI's drawing and
// the display's presentation. A channel is a contiguous run of bits of the
// pixel; it is widened to 8 bits by repeating its bits (31 in 5 bits becomes
// 255, so white stays white) and narrowed by keeping its top bits.
#pragma once

#include <bit>
#include <cstdint>

namespace platform::pixel {

// Inlined everywhere: with a channel known when compiling, the widening folds
// to a few shifts, and the per-pixel loops of the plain paths rely on that.
#define RX_PIXEL_INLINE [[gnu::always_inline]] constexpr

// An n-bit channel value widened to 8 bits by repeating its bits; values of 8
// bits or more keep their top 8.
RX_PIXEL_INLINE uint32_t WidenBits(uint32_t value, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return (value >> (bits - 8)) & 0xFF;
  uint32_t out = 0;
  int pos = 8;
  while (pos > 0) {
    pos -= bits;
    out |= pos >= 0 ? value << pos : value >> -pos;
  }
  return out & 0xFF;
}

struct Channel {
  uint32_t mask = 0;
  int shift = 0;  // the mask's lowest set bit
  int bits = 0;   // the number of bits set

  static constexpr Channel Of(uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask) {
      c.shift = std::countr_zero(mask);
      c.bits = std::popcount(mask);
    }
    return c;
  }
  // The channel of a raw pixel as an 8-bit value.
  RX_PIXEL_INLINE uint32_t Widen(uint32_t pixel) const { return WidenBits((pixel & mask) >> shift, bits); }
  // An 8-bit value in the channel's place in a raw pixel.
  RX_PIXEL_INLINE uint32_t Narrow(uint32_t value8) const {
    if (bits == 0) return 0;
    uint32_t v = bits <= 8 ? (value8 & 0xFF) >> (8 - bits) : (value8 & 0xFF) << (bits - 8);
    return (v << shift) & mask;
  }
};

// The three colour channels of a direct-colour format.
struct Channels {
  Channel red, green, blue;

  static constexpr Channels Of(uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
    return {Channel::Of(redMask), Channel::Of(greenMask), Channel::Of(blueMask)};
  }
  // 0x00RRGGBB of a raw pixel.
  RX_PIXEL_INLINE uint32_t ToRgb(uint32_t pixel) const {
    return red.Widen(pixel) << 16 | green.Widen(pixel) << 8 | blue.Widen(pixel);
  }
  // The raw pixel of 0x??RRGGBB.
  RX_PIXEL_INLINE uint32_t FromRgb(uint32_t rgb) const {
    return red.Narrow(rgb >> 16) | green.Narrow(rgb >> 8) | blue.Narrow(rgb);
  }
};

// The 256 colours an 8-bit display shows when no palette is attached
// (0x00RRGGBB): red in the top three bits, green in the next three, blue in
// the low two.
const uint32_t* DefaultPaletteRgb();

}  // namespace platform::pixel

#undef RX_PIXEL_INLINE
