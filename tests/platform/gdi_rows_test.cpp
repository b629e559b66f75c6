// SPDX-License-Identifier: MIT
// The GDI's whole-row conversions give exactly what their per-pixel reference
// forms give, for every row length around the vector widths, in every direct
// format, at the processor level RALLEX_CPU allows (the build runs them at
// every level); and neither reads or writes a
// byte past the row it was given (the buffers are exactly as long as the row,
// which the sanitizer build checks).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "cpu_level.h"
#include "gdi/gdi_internal.h"
#include "gdi/rows.h"

namespace rows = platform::gdi::rows;

namespace {

platform::gdi::Format FormatOf(int bits, uint32_t r, uint32_t g, uint32_t b) {
  platform::gdi::PixelTarget t;
  t.bitCount = bits;
  t.redMask = r;
  t.greenMask = g;
  t.blueMask = b;
  return platform::gdi::Format::Of(t);
}

TEST(GdiRows, PackedRowsMatchThePerPixelPacking) {
  SKIP_WHERE_THE_LOOPS_ARE_PLAIN();
  struct Case {
    const char* what;
    int bits;
    uint32_t r, g, b;
    uint32_t rgb, raw;  // one colour packed by hand
  };
  const Case cases[] = {
      {"5-6-5", 16, 0xF800, 0x07E0, 0x001F, 0xFF8040, 0xF800 | 0x20 << 5 | 0x08},
      {"5-5-5", 16, 0x7C00, 0x03E0, 0x001F, 0xFF8040, 0x7C00 | 0x10 << 5 | 0x08},
      {"4-4-4", 16, 0x0F00, 0x00F0, 0x000F, 0x9A5C13, 0x0951},
      {"blue high 5-6-5", 16, 0x001F, 0x07E0, 0xF800, 0xFF8040, 0x001F | 0x20 << 5 | 0x08 << 11},
      {"8-8-8", 32, 0xFF0000, 0x00FF00, 0x0000FF, 0xAB123456, 0x123456},
      {"8-8-8 blue high", 32, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456, 0x563412},
      {"10-10-10", 32, 0x3FF00000, 0x000FFC00, 0x000003FF, 0x80FF01, 0x200u << 20 | 0x3FCu << 10 | 0x004},
      {"a mask with a hole", 16, 0xF000 | 0x0100, 0x07E0, 0x001F, 0xFFFFFF, 0},
  };
  std::mt19937 random(42);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const platform::gdi::Format f = FormatOf(c.bits, c.r, c.g, c.b);
    const int bytes = c.bits / 8;
    if (c.raw) {
      uint8_t one[4] = {};
      rows::PackRow(&c.rgb, one, 1, f, bytes);
      uint32_t got = one[0] | one[1] << 8 | one[2] << 16 | static_cast<uint32_t>(one[3]) << 24;
      EXPECT_EQ(got, c.raw);
    }
    for (size_t n = 0; n <= 70; ++n) {
      std::vector<uint32_t> src(n);
      for (uint32_t& p : src) p = static_cast<uint32_t>(random());
      std::vector<uint8_t> fast(n * bytes), plain(n * bytes);
      rows::PackRow(src.data(), fast.data(), n, f, bytes);
      rows::reference::PackRow(src.data(), plain.data(), n, f, bytes);
      ASSERT_EQ(fast, plain) << n << " pixels";
    }
  }
}

TEST(GdiRows, WidenedRowsMatchThePerPixelReading) {
  SKIP_WHERE_THE_LOOPS_ARE_PLAIN();
  const uint8_t one[3] = {0x10, 0x20, 0xF0};  // blue, green, red
  uint32_t got = 0;
  rows::WidenBgr24(one, &got, 1);
  EXPECT_EQ(got, 0x00F02010u);
  std::mt19937 random(7);
  for (size_t n = 0; n <= 80; ++n) {
    std::vector<uint8_t> src(3 * n);
    for (uint8_t& b : src) b = static_cast<uint8_t>(random());
    std::vector<uint32_t> fast(n), plain(n);
    rows::WidenBgr24(src.data(), fast.data(), n);
    rows::reference::WidenBgr24(src.data(), plain.data(), n);
    ASSERT_EQ(fast, plain) << n << " pixels";
  }
}

}  // namespace
