// SPDX-License-Identifier: MIT
#include "pixel/codec.h"

#include <gtest/gtest.h>

namespace {

using platform::pixel::Channel;
using platform::pixel::Channels;

// Channel values worked out by hand: widening repeats the bits from the top
// (101 -> 101 101 10), narrowing keeps the top bits or, for channels wider
// than 8 bits, moves the value up.
TEST(PixelCodec, ChannelsWidenAndNarrowByTheirBits) {
  struct Case {
    uint32_t mask;
    uint32_t raw;       // the channel's bits in place
    uint32_t widened;   // Widen(raw)
    uint32_t value8;    // a value to narrow
    uint32_t narrowed;  // Narrow(value8)
  };
  const Case cases[] = {
      {0x0001, 0x0001, 0xFF, 0x80, 0x0001},     // 1 bit: 1 -> 255; 0x80 keeps its top bit
      {0x000C, 0x0008, 0xAA, 0x7F, 0x0004},     // 2 bits at 2: 10 -> 10101010; 0x7F -> 01
      {0x00E0, 0x00A0, 0xB6, 0xFF, 0x00E0},     // 3 bits at 5: 101 -> 10110110
      {0x07E0, 0x0420, 0x86, 0x84, 0x0420},     // 6 bits at 5: 100001 -> 10000110
      {0x7C00, 0x7C00, 0xFF, 0x08, 0x0400},     // 5 bits: 31 -> 255; 0x08 -> 1
      {0xFF0000, 0x120000, 0x12, 0x34, 0x340000},  // 8 bits: as they are
      {0x3FF00, 0x3FF00, 0xFF, 0xFF, 0x3FC00},  // 10 bits at 8: the top 8 bits, and back
      {0, 0, 0, 0xFF, 0},                       // no channel
  };
  for (const Case& c : cases) {
    Channel ch = Channel::Of(c.mask);
    EXPECT_EQ(ch.Widen(c.raw | ~c.mask), c.widened) << std::hex << c.mask;  // other bits never leak in
    EXPECT_EQ(ch.Narrow(c.value8), c.narrowed) << std::hex << c.mask;
  }
  // Whole pixels: 5-6-5 white and a mid grey.
  Channels rgb565 = Channels::Of(0xF800, 0x07E0, 0x001F);
  EXPECT_EQ(rgb565.ToRgb(0xFFFF), 0xFFFFFFu);
  EXPECT_EQ(rgb565.FromRgb(0x808080), 0x8410u);
  EXPECT_EQ(rgb565.ToRgb(0x8410), 0x848284u);
}

}  // namespace
