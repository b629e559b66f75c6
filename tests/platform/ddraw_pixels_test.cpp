// SPDX-License-Identifier: MIT
// The fast pixel loops give exactly what the per-pixel reference loops give, on
// random pictures, odd widths, starts that are not aligned, and key ranges;
// and neither touches a byte outside the rectangle it was given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "cpu_level.h"
#include "ddraw/pixels.h"

namespace px = platform::ddraw::pixels;

namespace {

struct Picture {
  int pitch;
  std::vector<uint8_t> bytes;
};

Picture Random(std::mt19937& rng, int w, int h, int bytes, int pad, uint32_t fewValues) {
  Picture p{w * bytes + pad, {}};
  p.bytes.resize(static_cast<size_t>(p.pitch) * h + 64);
  for (auto& b : p.bytes) b = static_cast<uint8_t>(rng());
  if (fewValues) {
    // Few distinct pixel values, so that keys and ranges hit often.
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t v = rng() % fewValues * 0x01010101u;
        for (int i = 0; i < bytes; ++i) p.bytes[static_cast<size_t>(y * p.pitch + x * bytes + i)] = static_cast<uint8_t>(v >> (8 * i));
      }
  }
  return p;
}

// Parameter: bytes per pixel. The loops taken are those of the processor level
// RALLEX_CPU allows; the build runs these tests at every level.
class PixelLoops : public ::testing::TestWithParam<int> {
 protected:
  int Bytes() const { return GetParam(); }
};

TEST_P(PixelLoops, FillMatchesReference) {
  SKIP_WHERE_THE_LOOPS_ARE_PLAIN();
  int bytes = Bytes();
  std::mt19937 rng(11 + bytes);
  for (int trial = 0; trial < 60; ++trial) {
    int w = 1 + static_cast<int>(rng() % 70), h = 1 + static_cast<int>(rng() % 5);
    int pad = static_cast<int>(rng() % 9);
    int start = static_cast<int>(rng() % 7);  // pixels from the buffer's start
    Picture a = Random(rng, w + start, h, bytes, pad, 0);
    Picture b = a;
    uint32_t value = static_cast<uint32_t>(rng());
    if (trial % 4 == 0) value = 0x01010101u * (rng() & 0xFF);  // bytes all equal
    px::Fill(a.bytes.data() + start * bytes, a.pitch, w, h, bytes, value);
    px::reference::Fill(b.bytes.data() + start * bytes, b.pitch, w, h, bytes, value);
    ASSERT_EQ(a.bytes, b.bytes) << "w=" << w << " h=" << h << " start=" << start << " pad=" << pad;
  }
}

TEST_P(PixelLoops, KeyedCopyMatchesReference) {
  SKIP_WHERE_THE_LOOPS_ARE_PLAIN();
  int bytes = Bytes();
  std::mt19937 rng(23 + bytes);
  for (int trial = 0; trial < 200; ++trial) {
    int w = 1 + static_cast<int>(rng() % 67), h = 1 + static_cast<int>(rng() % 4);
    int sStart = static_cast<int>(rng() % 9), dStart = static_cast<int>(rng() % 9);
    Picture src = Random(rng, w + sStart, h, bytes, static_cast<int>(rng() % 5), 6);
    Picture dst = Random(rng, w + dStart, h, bytes, static_cast<int>(rng() % 5), 0);
    Picture ref = dst;
    px::Key key;
    uint32_t unit = 0x01010101u;
    key.low = (rng() % 6) * unit;
    key.high = key.low + (rng() % 3) * unit;  // a single value or a range
    key.mask = trial % 3 == 0 ? 0x7F7F7F7Fu : 0xFFFFFFFFu;
    if (bytes < 4) {
      uint32_t top = (1u << (8 * bytes)) - 1;
      key.low &= top & key.mask;
      key.high &= top & key.mask;
    }
    if (trial % 17 == 0) key.low = key.high + 1;  // an empty range keys nothing
    px::CopyKeyed(dst.bytes.data() + dStart * bytes, dst.pitch, src.bytes.data() + sStart * bytes, src.pitch, w, h,
                  bytes, key);
    px::reference::CopyKeyed(ref.bytes.data() + dStart * bytes, ref.pitch, src.bytes.data() + sStart * bytes,
                             src.pitch, w, h, bytes, key);
    ASSERT_EQ(dst.bytes, ref.bytes) << "trial " << trial << " w=" << w;
  }
}

TEST_P(PixelLoops, PlainCopyMatchesReference) {
  int bytes = Bytes();
  std::mt19937 rng(5 + bytes);
  for (int trial = 0; trial < 40; ++trial) {
    int w = 1 + static_cast<int>(rng() % 50), h = 1 + static_cast<int>(rng() % 4);
    int pad = trial % 2 ? 0 : 3;  // rows that follow each other, or not
    Picture src = Random(rng, w, h, bytes, pad, 0);
    Picture dst = Random(rng, w, h, bytes, pad, 0), ref = dst;
    px::Copy(dst.bytes.data(), dst.pitch, src.bytes.data(), src.pitch, w, h, bytes);
    px::reference::Copy(ref.bytes.data(), ref.pitch, src.bytes.data(), src.pitch, w, h, bytes);
    ASSERT_EQ(dst.bytes, ref.bytes);
  }
}

TEST_P(PixelLoops, MappedCopyMatchesReference) {
  SKIP_WHERE_THE_LOOPS_ARE_PLAIN();
  int bytes = Bytes();
  std::mt19937 rng(31 + bytes);
  for (int trial = 0; trial < 120; ++trial) {
    int sw = 1 + static_cast<int>(rng() % 40), sh = 1 + static_cast<int>(rng() % 6);
    int w = 1 + static_cast<int>(rng() % 80), h = 1 + static_cast<int>(rng() % 12);
    Picture src = Random(rng, sw, sh, bytes, 2, 5);
    Picture dst = Random(rng, w, h, bytes, 1, 0), ref = dst;
    std::vector<int32_t> cols(static_cast<size_t>(w)), rows(static_cast<size_t>(h));
    int shape = trial % 4;
    for (int x = 0; x < w; ++x)
      cols[static_cast<size_t>(x)] = shape == 0   ? x * sw / w                   // stretch or shrink
                                     : shape == 1 ? (w - 1 - x) * sw / w         // mirrored
                                     : shape == 2 ? std::min(x / 2, sw - 1)      // doubled
                                                  : std::min(x, sw - 1);         // straight
    for (int y = 0; y < h; ++y) rows[static_cast<size_t>(y)] = trial % 2 ? (h - 1 - y) * sh / h : y * sh / h;
    px::Key key{3 * 0x01010101u & ((bytes < 4) ? (1u << (8 * bytes)) - 1 : ~0u),
                3 * 0x01010101u & ((bytes < 4) ? (1u << (8 * bytes)) - 1 : ~0u), 0xFFFFFFFFu};
    const px::Key* k = trial % 3 == 0 ? &key : nullptr;
    px::CopyMapped(dst.bytes.data(), dst.pitch, src.bytes.data(), src.pitch, w, h, bytes, cols.data(), rows.data(), k);
    px::reference::CopyMapped(ref.bytes.data(), ref.pitch, src.bytes.data(), src.pitch, w, h, bytes, cols.data(),
                              rows.data(), k);
    ASSERT_EQ(dst.bytes, ref.bytes) << "trial " << trial;
  }
}

INSTANTIATE_TEST_SUITE_P(BytesPerPixel, PixelLoops, ::testing::Values(1, 2, 3, 4));

TEST(PixelLoopsEdges, KeyBeyondThePixelSizeKeysNothing) {
  // A 16-bit copy with a key above 0xFFFF: no 16-bit pixel can match it.
  std::vector<uint8_t> src(32, 0x00), dst(32, 0xAA);
  px::Key key{0x10000, 0x10000, 0xFFFFFFFFu};
  px::CopyKeyed(dst.data(), 32, src.data(), 32, 16, 1, 2, key);
  EXPECT_EQ(dst, src);
}

// 16-bit copies through column maps of every factor and direction go through
// the loops of the level RALLEX_CPU allows (run at every level, they cover the
// byte-lookup groups, doubled and mirrored rows at each vector width) and give
// what the reference gives. The source is
// exactly as long as its last row, so that a load past the columns a map reads
// leaves the buffer (the sanitizer build reports that).
TEST(PixelLoopsEdges, MappedSixteenBitRowsOfEveryFactorMatchTheReference) {
  SKIP_WHERE_THE_LOOPS_ARE_PLAIN();
  // Destination width over source width (negative: mirrored).
  const double factors[] = {1.0, -1.0, 0.75, -0.75, 0.55, 0.5, 0.45, 0.3, 1.5, -1.5, 2.5, 4.0, -0.6};
  std::mt19937 rng(77);
  for (double factor : factors)
    for (int sw : {5, 8, 9, 16, 31, 32, 33, 47, 64, 100}) {
      int w = std::max(1, static_cast<int>(sw * std::abs(factor))), h = 3, sh = 4;
      int pitch = sw * 2 + 6;
      std::vector<uint8_t> src(static_cast<size_t>(pitch) * (sh - 1) + static_cast<size_t>(sw) * 2);
      for (auto& b : src) b = static_cast<uint8_t>(rng() % 3);  // few values: keys hit often
      std::vector<int32_t> cols(static_cast<size_t>(w)), rows = {3, 0, 2};
      for (int x = 0; x < w; ++x) {
        int i = factor < 0 ? w - 1 - x : x;
        cols[static_cast<size_t>(x)] = static_cast<int32_t>((2 * i + 1) * static_cast<int64_t>(sw) / (2 * w));
      }
      for (bool keyed : {false, true}) {
        px::Key key{0x0101, 0x0102, 0xFFFFFFFFu};
        std::vector<uint8_t> dst(static_cast<size_t>(w) * 2 * h + 8);
        for (auto& b : dst) b = static_cast<uint8_t>(rng());
        std::vector<uint8_t> ref = dst;
        px::CopyMapped(dst.data(), w * 2, src.data(), pitch, w, h, 2, cols.data(), rows.data(),
                       keyed ? &key : nullptr);
        px::reference::CopyMapped(ref.data(), w * 2, src.data(), pitch, w, h, 2, cols.data(), rows.data(),
                                  keyed ? &key : nullptr);
        ASSERT_EQ(dst, ref) << "factor " << factor << " source width " << sw << (keyed ? " keyed" : "");
      }
    }
}

// 16-bit rows widened for presentation: channel values worked by hand (a
// channel of n bits becomes its bits followed by its top 8 - n bits), at every
// position of a row around the vector widths, against the plain form too.
TEST(PixelLoopsEdges, SixteenBitRowsWidenEachChannelByRepeatingItsTopBits) {
  struct Case {
    bool rgb565;
    uint16_t pixel;
    uint32_t rgb;
  } cases[] = {
      {true, 0xF800, 0xFF0000}, {true, 0x07E0, 0x00FF00}, {true, 0x001F, 0x0000FF}, {true, 0xFFFF, 0xFFFFFF},
      {true, 0x0000, 0x000000}, {true, 0x0821, 0x080408}, {true, 0x8410, 0x848284}, {true, 0x7BEF, 0x7B7D7B},
      {false, 0x7C00, 0xFF0000}, {false, 0x03E0, 0x00FF00}, {false, 0x001F, 0x0000FF}, {false, 0x8000, 0x000000},
      {false, 0x0421, 0x080808}, {false, 0x4210, 0x848484}, {false, 0xFFFF, 0xFFFFFF},
  };
  for (const Case& c : cases)
    for (int w : {1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 40}) {
      std::vector<uint8_t> src(static_cast<size_t>(2 * w));
      std::vector<uint16_t> pixels(static_cast<size_t>(w));
      for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(x)] = static_cast<uint16_t>(x * 0x3A5 + 0x111);
      pixels[static_cast<size_t>(w - 1)] = c.pixel;  // the last pixel: in the tail or the last vector
      pixels[0] = c.pixel;
      for (int x = 0; x < w; ++x) {
        src[static_cast<size_t>(2 * x)] = static_cast<uint8_t>(pixels[static_cast<size_t>(x)]);
        src[static_cast<size_t>(2 * x + 1)] = static_cast<uint8_t>(pixels[static_cast<size_t>(x)] >> 8);
      }
      // The canvas's order: the bytes R, G, B, 255, as a little-endian word.
      const uint32_t canvasWord = 0xFF000000u | (c.rgb & 0xFF) << 16 | (c.rgb & 0xFF00) | c.rgb >> 16;
      for (bool canvas : {false, true}) {
        const uint32_t expected = canvas ? canvasWord : c.rgb;
        std::vector<uint32_t> fast(static_cast<size_t>(w) + 1, 0xDEADBEEF), plain = fast;
        px::Row16ToRgb(src.data(), fast.data(), w, c.rgb565, canvas);
        px::reference::Row16ToRgb(src.data(), plain.data(), w, c.rgb565, canvas);
        EXPECT_EQ(fast[0], expected) << std::hex << c.pixel << " w " << std::dec << w << " canvas " << canvas;
        EXPECT_EQ(fast[static_cast<size_t>(w - 1)], expected) << std::hex << c.pixel << " w " << std::dec << w;
        EXPECT_EQ(fast[static_cast<size_t>(w)], 0xDEADBEEFu) << "written past the row, w " << w;
        if (platform::cpu::Vectors()) {
          ASSERT_EQ(fast, plain) << (c.rgb565 ? "5-6-5" : "5-5-5") << " w " << w << " canvas " << canvas;
        }
      }
    }
}

}  // namespace
