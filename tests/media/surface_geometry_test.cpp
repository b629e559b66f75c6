// SPDX-License-Identifier: MIT
// Mirrored, zoomed and resized copies, checked on the pixels they leave: the
// mirrored ones against a plain per-pixel picture of the mirrored rectangle,
// on both the display's mirroring and the pixel-by-pixel path; the zoomed and
// resized ones against rectangles and samples worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "media/screen.h"
#include "media/surface.h"
#include "surface_fixture.h"

namespace {

using surface_test::ReadPixels;
using surface_test::SurfaceTest;
using surface_test::WritePixels;
namespace headless = platform::headless;

constexpr uint32_t kKey = 0x0001;
constexpr uint32_t kBackground = 0xF00D;
constexpr int kDstW = 200, kDstH = 150;

// Source pixel (x, y): its own value, or the key on column 2 and row 7.
uint32_t SourceValue(int x, int y) { return (x == 2 || y == 7) ? kKey : 0x100u + x + 16u * y; }

class GeometryTest : public SurfaceTest {
 protected:
  void SetUp() override {
    SurfaceTest::SetUp();
    display = Display(16);
    ASSERT_NE(display, nullptr);
    source = std::make_unique<Surface>(display, 12, 12, SystemMemory);
    destination = std::make_unique<Surface>(display, kDstW, kDstH, SystemMemory);
    ASSERT_TRUE(WritePixels(*source, 16, SourceValue));
    ASSERT_EQ(source->SetColorKey(kKey), DD_OK);
  }
  void Clear() { ASSERT_TRUE(WritePixels(*destination, 16, [](int, int) { return kBackground; })); }
  uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) {
    return pixels[static_cast<size_t>(y) * kDstW + static_cast<size_t>(x)];
  }

  Screen* display = nullptr;
  std::unique_ptr<Surface> source, destination;
};

// ---------------------------------------------------------------------------
// Mirrored copies
// ---------------------------------------------------------------------------

struct MirrorCase {
  const char* name;
  bool vertical, keyed;
  int32_t x, y;
  RECT source;
  RECT sourceClip, destClip;
  // What the copy may show: the source rectangle trimmed to its ClipRect.
  RECT shown;
  // Points checked by hand: destination (x, y) shows source (sx, sy); sx < 0
  // means left unchanged.
  struct Point {
    int x, y, sx, sy;
  } points[3];
};

// The picture of `shown` mirrored at (x, y), restricted to the destination's
// ClipRect, one pixel at a time.
std::vector<uint32_t> MirroredPicture(const MirrorCase& c) {
  std::vector<uint32_t> out(static_cast<size_t>(kDstW) * kDstH, kBackground);
  int w = c.shown.right - c.shown.left, h = c.shown.bottom - c.shown.top;
  for (int dy = c.destClip.top; dy < c.destClip.bottom; ++dy)
    for (int dx = c.destClip.left; dx < c.destClip.right; ++dx) {
      int64_t i = static_cast<int64_t>(dx) - c.x, j = static_cast<int64_t>(dy) - c.y;
      if (i < 0 || i >= w || j < 0 || j >= h) continue;
      int sx = c.shown.left + static_cast<int>(c.vertical ? i : w - 1 - i);
      int sy = c.shown.top + static_cast<int>(c.vertical ? h - 1 - j : j);
      uint32_t v = SourceValue(sx, sy);
      if (c.keyed && v == kKey) continue;
      out[static_cast<size_t>(dy) * kDstW + static_cast<size_t>(dx)] = v;
    }
  return out;
}

TEST_F(GeometryTest, MirroredCopiesTrimTheOppositeSideAndDrawTheSameOnBothPaths) {
  const RECT whole = {0, 0, 12, 12}, everywhere = {0, 0, kDstW, kDstH};
  const MirrorCase cases[] = {
      // 10 columns at x = -3: the 3 rightmost go, column 6 lands at 0.
      {"left-right at x -3", false, false, -3, 20, {0, 0, 10, 10}, whole, everywhere, {0, 0, 10, 10},
       {{0, 20, 6, 0}, {6, 25, 0, 5}, {7, 20, -1, 0}}},
      // The destination's ClipRect ends 6 rows below y: the 4 top rows go.
      {"up-down cut at the bottom", true, false, 30, 44, {0, 0, 10, 10}, whole, {0, 0, kDstW, 50}, {0, 0, 10, 10},
       {{30, 44, 0, 9}, {30, 49, 0, 4}, {30, 50, -1, 0}}},
      {"left-right cut on both sides", false, false, 47, 0, {1, 1, 11, 11}, whole, {50, 0, 55, kDstH},
       {1, 1, 11, 11}, {{50, 0, 7, 1}, {54, 0, 3, 1}, {49, 0, -1, 0}}},
      {"up-down cut at the top", true, false, 0, -2, {0, 0, 10, 10}, whole, everywhere, {0, 0, 10, 10},
       {{0, 0, 0, 7}, {0, 7, 0, 0}, {0, 8, -1, 0}}},
      {"keyed left-right", false, true, 100, 100, {0, 0, 12, 12}, whole, everywhere, {0, 0, 12, 12},
       {{109, 100, -1, 0}, {100, 107, -1, 0}, {111, 100, 0, 0}}},
      {"keyed up-down, clipped", true, true, 190, 140, {0, 0, 12, 12}, whole, everywhere, {0, 0, 12, 12},
       {{190, 144, -1, 0}, {192, 149, -1, 0}, {191, 149, 1, 2}}},
      // Past the source's ClipRect on the far side: trimmed to it first, so
      // nothing from column 8 on or row 8 on is ever read.
      {"left-right past the source's ClipRect", false, false, 60, 60, {2, 0, 12, 12}, {0, 0, 8, 8}, everywhere,
       {2, 0, 8, 8}, {{60, 60, 7, 0}, {65, 60, 2, 0}, {66, 60, -1, 0}}},
      {"up-down past the source's ClipRect", true, false, 60, 60, {0, 3, 5, 12}, {0, 0, 8, 8}, everywhere,
       {0, 3, 5, 8}, {{60, 60, 0, 7}, {60, 64, 0, 3}, {60, 65, -1, 0}}},
  };
  for (const MirrorCase& c : cases) {
    std::vector<uint32_t> expected = MirroredPicture(c);
    source->SetClipRect(c.sourceClip);
    destination->SetClipRect(c.destClip);
    std::vector<uint32_t> shown[2];
    for (bool refuse : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (refuse ? ", drawn by pixels" : ", mirrored by the display"));
      headless::RefuseMirroring(refuse);
      Clear();
      HRESULT hr = c.vertical ? (c.keyed ? source->DrawMirroredVKeyedClipped(destination.get(), c.x, c.y, c.source)
                                         : source->DrawMirroredVClipped(destination.get(), c.x, c.y, c.source))
                              : (c.keyed ? source->DrawMirroredHKeyedClipped(destination.get(), c.x, c.y, c.source)
                                         : source->DrawMirroredHClipped(destination.get(), c.x, c.y, c.source));
      EXPECT_EQ(hr, DD_OK);
      shown[refuse] = ReadPixels(*destination, 16);
      EXPECT_TRUE(shown[refuse] == expected);
      for (const auto& p : c.points)
        EXPECT_EQ(At(shown[refuse], p.x, p.y), p.sx < 0 ? kBackground : SourceValue(p.sx, p.sy))
            << "at " << p.x << ", " << p.y;
    }
    EXPECT_TRUE(shown[0] == shown[1]) << c.name;
  }
}

TEST_F(GeometryTest, MirroredCopiesWithNothingLeftFailAndDrawNothing) {
  struct Case {
    const char* name;
    int32_t x, y;
    RECT source, destClip;
  } cases[] = {
      {"right of the destination", kDstW, 0, {0, 0, 10, 10}, {0, 0, kDstW, kDstH}},
      {"above it", 0, -10, {0, 0, 10, 10}, {0, 0, kDstW, kDstH}},
      {"inverted source", 5, 5, {0, 9, 10, 2}, {0, 0, kDstW, kDstH}},
      {"source off its surface", 5, 5, {20, 20, 30, 30}, {0, 0, kDstW, kDstH}},
      {"inverted destination ClipRect", 5, 5, {0, 0, 10, 10}, {60, 0, 40, kDstH}},
      {"far left, near the 32-bit limit", INT32_MIN, 0, {0, 0, 10, 10}, {0, 0, kDstW, kDstH}},
      {"far right, near the 32-bit limit", INT32_MAX - 3, 0, {0, 0, 10, 10}, {0, 0, kDstW, kDstH}},
  };
  for (const Case& c : cases) {
    for (bool refuse : {false, true}) {
      headless::RefuseMirroring(refuse);
      destination->ClipRect = c.destClip;
      Clear();
      EXPECT_EQ(source->DrawMirroredHClipped(destination.get(), c.x, c.y, c.source), E_FAIL) << c.name;
      EXPECT_EQ(source->DrawMirroredVKeyedClipped(destination.get(), c.x, c.y, c.source), E_FAIL) << c.name;
      std::vector<uint32_t> after = ReadPixels(*destination, 16);
      EXPECT_EQ(std::count(after.begin(), after.end(), kBackground), kDstW * kDstH) << c.name;
    }
  }
}

// ---------------------------------------------------------------------------
// The colour key in every pixel format
// ---------------------------------------------------------------------------

// Which pixels a key hides, worked out by hand from the rule: the whole pixel
// is compared with the key in 8, 15 and 16 bits, the low 24 bits in 24 and 32,
// and the key is taken as it is.
struct KeyCase {
  const char* name;
  int format;
  uint32_t key;
  uint32_t pixels[4];
  bool hidden[4];
  uint32_t background;
};

const KeyCase kKeyCases[] = {
    {"8 bits", 8, 0xAB, {0xAB, 0xAC, 0x2B, 0x01}, {true, false, false, false}, 0x55},
    {"8 bits, key above a byte", 8, 0x1AB, {0xAB, 0xAC, 0x2B, 0x01}, {false, false, false, false}, 0x55},
    {"5-5-5, bit 15 set on a pixel", 15, 0x00AB, {0x00AB, 0x80AB, 0x00AC, 0x7C00}, {true, false, false, false},
     0x7FFF},
    {"5-5-5, bit 15 set on the key", 15, 0x80AB, {0x80AB, 0x00AB, 0x00AC, 0x7C00}, {true, false, false, false},
     0x7FFF},
    {"5-6-5", 16, 0xF81F, {0xF81F, 0x781F, 0xF81E, 0x0000}, {true, false, false, false}, 0xFFFF},
    {"5-6-5, key above 16 bits", 16, 0x1F81F, {0xF81F, 0x781F, 0xF81E, 0x0000}, {false, false, false, false},
     0xFFFF},
    {"24 bits", 24, 0x123456, {0x123456, 0x123457, 0x923456, 0x000000}, {true, false, false, false}, 0xFFFFFF},
    {"24 bits, key with byte 3", 24, 0xFF123456, {0x123456, 0x123457, 0x923456, 0x000000},
     {false, false, false, false}, 0xFFFFFF},
    {"32 bits, byte 3 of the pixel does not count", 32, 0x00123456,
     {0x00123456, 0xFF123456, 0x00123457, 0x80000000}, {true, true, false, false}, 0x00FFFFFF},
    {"32 bits, key with byte 3", 32, 0xFF123456, {0xFF123456, 0x00123456, 0x00123457, 0x80000000},
     {false, false, false, false}, 0x00FFFFFF},
};

// A 37 x 3 source: rows that reach every step of the vector loops (16 and 8
// pixels) and a tail. Its pixel (x, y) is one of the case's four values.
constexpr int kKeyW = 37, kKeyH = 3;
int KeyPixelIndex(int x, int y) { return (x + 2 * y + x / 5) % 4; }

class KeyFormatsTest : public surface_test::SurfaceTest {
 protected:
  bool Make(const KeyCase& c) {
    if (!screen && !Display(16)) return false;
    DDPIXELFORMAT f = surface_test::FormatOfDepth(c.format);
    source = std::make_unique<Surface>();
    destination = std::make_unique<Surface>();
    if (!surface_test::MakeWithFormat(*source, screen.get(), kKeyW, kKeyH, &f) ||
        !surface_test::MakeWithFormat(*destination, screen.get(), kKeyW + 3, kKeyH + 1, &f))
      return false;
    if (source->SetColorKey(c.key) != DD_OK) return false;
    return WritePixels(*source, Depth(c), [&](int x, int y) { return c.pixels[KeyPixelIndex(x, y)]; }) && Clear(c);
  }
  bool Clear(const KeyCase& c) {
    return WritePixels(*destination, Depth(c), [&](int, int) { return c.background; });
  }
  static int Depth(const KeyCase& c) { return c.format == 15 ? 16 : c.format; }
  // The visible bits: byte 3 of a 32-bit pixel is not colour.
  static uint32_t Visible(const KeyCase& c, uint32_t v) { return c.format == 32 ? v & 0xFFFFFF : v; }

  std::unique_ptr<Surface> source, destination;
};

// Every copy that tests the key, through the platform or on locked pixels,
// leaves the same destination pixels alone. The copies must show the source
// pixel itself (the mirrored ones, on the display's mirroring and on the
// pixel-by-pixel path, the mirrored pixel); the pixel-level effects, which
// have no path in 8 bits, must change each pixel they draw on (a background of
// all channels full cannot be a half blend, a copy, black, or a half of
// anything).
TEST_F(KeyFormatsTest, EveryKeyedCopyHidesThePixelsTheRuleHides) {
  const RECT all = {0, 0, kKeyW, kKeyH};
  enum Mirror { kNone, kLeftRight, kUpDown };
  struct Path {
    const char* name;
    bool effect;
    Mirror mirror;
    bool byPixels;  // the display refuses to mirror
    HRESULT expected;
    std::function<HRESULT(Surface&, Surface*)> draw;
  } paths[] = {
      {"DrawFastKeyedClipped", false, kNone, false, DD_OK,
       [&](Surface& s, Surface* d) { return s.DrawFastKeyedClipped(d, 1, 0, all); }},
      {"DrawAlphaMasked without a mask (a keyed copy)", false, kNone, false, E_FAIL,
       [&](Surface& s, Surface* d) { return s.DrawAlphaMasked(d, 1, 0, all); }},
      {"DrawZoomedKeyed 1", false, kNone, false, DD_OK,
       [&](Surface& s, Surface* d) { return s.DrawZoomedKeyed(d, 1, 0, all, 1.0f); }},
      {"DrawResizedKeyed to its size", false, kNone, false, DD_OK,
       [&](Surface& s, Surface* d) { return s.DrawResizedKeyed(d, 1, 0, all, kKeyW, kKeyH); }},
      {"DrawMirroredHKeyedClipped", false, kLeftRight, false, DD_OK,
       [&](Surface& s, Surface* d) { return s.DrawMirroredHKeyedClipped(d, 1, 0, all); }},
      {"DrawMirroredHKeyedClipped by pixels", false, kLeftRight, true, DD_OK,
       [&](Surface& s, Surface* d) { return s.DrawMirroredHKeyedClipped(d, 1, 0, all); }},
      {"DrawMirroredVKeyedClipped", false, kUpDown, false, DD_OK,
       [&](Surface& s, Surface* d) { return s.DrawMirroredVKeyedClipped(d, 1, 0, all); }},
      {"DrawMirroredVKeyedClipped by pixels", false, kUpDown, true, DD_OK,
       [&](Surface& s, Surface* d) { return s.DrawMirroredVKeyedClipped(d, 1, 0, all); }},
      {"DrawBlendKeyed 0", true, kNone, false, DD_OK,
       [&](Surface& s, Surface* d) { return s.DrawBlendKeyed(d, 1, 0, all, 0); }},
      {"DrawHalfBlendKeyed", true, kNone, false, DD_OK,
       [&](Surface& s, Surface* d) { return s.DrawHalfBlendKeyed(d, 1, 0, all); }},
      {"DrawShadow 0", true, kNone, false, DD_OK, [&](Surface& s, Surface* d) { return s.DrawShadow(d, 1, 0, all, 0); }},
      {"DrawShadowHalf", true, kNone, false, DD_OK,
       [&](Surface& s, Surface* d) { return s.DrawShadowHalf(d, 1, 0, all); }},
  };
  for (const KeyCase& c : kKeyCases) {
    ASSERT_TRUE(Make(c)) << c.name;
    for (const Path& p : paths) {
      if (p.effect && c.format == 8) continue;
      SCOPED_TRACE(std::string(c.name) + ", " + p.name);
      headless::RefuseMirroring(p.byPixels);
      ASSERT_TRUE(Clear(c));
      ASSERT_EQ(p.draw(*source, destination.get()), p.expected);
      std::vector<uint32_t> shown = ReadPixels(*destination, Depth(c));
      const int w = kKeyW + 3;
      for (int y = 0; y < kKeyH + 1; ++y)
        for (int x = 0; x < w; ++x) {
          uint32_t v = Visible(c, shown[static_cast<size_t>(y) * w + x]);
          bool under = x >= 1 && x < 1 + kKeyW && y < kKeyH;
          int sx = p.mirror == kLeftRight ? kKeyW - x : x - 1;
          int sy = p.mirror == kUpDown ? kKeyH - 1 - y : y;
          int i = under ? KeyPixelIndex(sx, sy) : 0;
          bool drawn = under && !c.hidden[i];
          if (p.effect)
            ASSERT_EQ(v != Visible(c, c.background), drawn) << "at " << x << ", " << y;
          else
            ASSERT_EQ(v, Visible(c, drawn ? c.pixels[i] : c.background)) << "at " << x << ", " << y;
        }
    }
  }
  headless::RefuseMirroring(false);
}

// ---------------------------------------------------------------------------
// Zoomed and resized copies
// ---------------------------------------------------------------------------

TEST_F(GeometryTest, ZoomedAndResizedCopiesGrowAboutTheCentre) {
  // A 10 x 10 rectangle at (100, 100), twice its size, covers 95..115 both
  // ways; nearest sampling shows source (i / 2, j / 2) at (95 + i, 95 + j).
  // With the destination's ClipRect starting at 105, 10 columns are cut and
  // the source's left edge moves right by 5.
  struct Case {
    const char* name;
    bool resized, keyed;
    RECT destClip;
    int sourceLeft;  // the source column shown at the ClipRect's left edge
  } cases[] = {
      {"zoomed", false, false, {0, 0, kDstW, kDstH}, 0},
      {"resized", true, false, {0, 0, kDstW, kDstH}, 0},
      {"zoomed, keyed", false, true, {0, 0, kDstW, kDstH}, 0},
      {"resized, keyed", true, true, {0, 0, kDstW, kDstH}, 0},
      {"zoomed, 10 columns cut", false, false, {105, 0, kDstW, kDstH}, 5},
      {"resized, 10 columns cut", true, false, {105, 0, kDstW, kDstH}, 5},
  };
  const RECT tenByTen = {0, 0, 10, 10};
  for (const Case& c : cases) {
    destination->SetClipRect(c.destClip);
    Clear();
    HRESULT hr = c.resized ? (c.keyed ? source->DrawResizedKeyed(destination.get(), 100, 100, tenByTen, 20, 20)
                                      : source->DrawResized(destination.get(), 100, 100, tenByTen, 20, 20))
                           : (c.keyed ? source->DrawZoomedKeyed(destination.get(), 100, 100, tenByTen, 2.0f)
                                      : source->DrawZoomed(destination.get(), 100, 100, tenByTen, 2.0f));
    EXPECT_EQ(hr, DD_OK) << c.name;
    std::vector<uint32_t> shown = ReadPixels(*destination, 16);
    int left = c.destClip.left > 95 ? c.destClip.left : 95;
    for (int y = 90; y < 120; ++y)
      for (int x = 90; x < 120; ++x) {
        uint32_t want = kBackground;
        if (x >= left && x < 115 && y >= 95 && y < 115) {
          uint32_t v = SourceValue(c.sourceLeft + (x - left) / 2, (y - 95) / 2);
          if (!(c.keyed && v == kKey)) want = v;
        }
        ASSERT_EQ(At(shown, x, y), want) << c.name << " at " << x << ", " << y;
      }
  }
}

TEST_F(GeometryTest, ZoomedCopiesCentreOnTheUntruncatedSinglePrecisionWidth) {
  // left = trunc(x + w / 2 - (w * f as a float) / 2), right = left +
  // trunc(w * f as a float); top and bottom the same in double precision.
  // Factor 0.5 of 10 x 10 at (100, 100): (102, 102) to (107, 107), every
  // second source pixel. Where w * f is not whole the left edge differs from
  // one centred on the truncated width:
  // - 1.25 at (100, 100): 105 - 6.25 = 98.75, width 12: (98, 98, 110, 110);
  // - 0.25 at (50, 40): 55 - 1.25 = 53.75, width 2: (53, 43, 55, 45);
  // - 1.5 of 5 x 2 at (7, 9): 9.5 - 3.75 = 5.75, width 7; 10 - 1.5 = 8.5,
  //   height 3: (5, 8, 12, 11);
  // - 0.7f (0.699999988) at (100, 100): as a float 10 * 0.7f rounds to 7.0,
  //   left 105 - 3.5 = 101.5, right 108; in double 6.99999988, top
  //   trunc(101.50000006) = 101, height 6: (101, 101, 108, 107).
  struct Case {
    float factor;
    int32_t x, y;
    RECT source;
    RECT filled;
  } cases[] = {
      {0.5f, 100, 100, {0, 0, 10, 10}, {102, 102, 107, 107}},
      {1.25f, 100, 100, {0, 0, 10, 10}, {98, 98, 110, 110}},
      {0.25f, 50, 40, {0, 0, 10, 10}, {53, 43, 55, 45}},
      {1.5f, 7, 9, {3, 4, 8, 6}, {5, 8, 12, 11}},
      {0.7f, 100, 100, {0, 0, 10, 10}, {101, 101, 108, 107}},
      {1.0f, 7, 9, {3, 4, 8, 6}, {7, 9, 12, 11}},
  };
  for (const Case& c : cases) {
    Clear();
    EXPECT_EQ(source->DrawZoomed(destination.get(), c.x, c.y, c.source, c.factor), DD_OK) << c.factor;
    std::vector<uint32_t> shown = ReadPixels(*destination, 16);
    for (int y = 0; y < kDstH; ++y)
      for (int x = 0; x < kDstW; ++x) {
        bool inside = x >= c.filled.left && x < c.filled.right && y >= c.filled.top && y < c.filled.bottom;
        ASSERT_EQ(At(shown, x, y) != kBackground, inside) << c.factor << " at " << x << ", " << y;
      }
    if (c.factor == 0.5f) {
      EXPECT_EQ(At(shown, 102, 102), SourceValue(1, 1));
      EXPECT_EQ(At(shown, 106, 106), SourceValue(9, 9));
    }
    if (c.factor == 1.0f) {
      EXPECT_EQ(At(shown, 7, 9), SourceValue(3, 4));
    }
    if (c.factor == 1.25f) {
      // 12 columns from 10, nearest centres: i = 0 shows floor(10 / 24) = 0,
      // i = 11 shows floor(230 / 24) = 9.
      EXPECT_EQ(At(shown, 98, 98), SourceValue(0, 0));
      EXPECT_EQ(At(shown, 109, 109), SourceValue(9, 9));
    }
  }
}

TEST_F(GeometryTest, AZoomedCopyCutToOneColumnAtTheEdgeStillDraws) {
  // Factor 0.25 of 10 x 10 at (50, 40) fills (53, 43, 55, 45); a ClipRect
  // ending at column 54 cuts its right side by 1, which moves the source's
  // right edge by trunc(-1 / 0.25) = -4: source (0, 0, 6, 10) onto
  // (53, 43, 54, 45). One column from 6 shows source column
  // floor(1 * 6 / 2) = 3; two rows from 10 show rows floor(10 / 4) = 2 and
  // floor(30 / 4) = 7, and row 7 is the key.
  for (bool keyed : {false, true}) {
    SCOPED_TRACE(keyed ? "keyed" : "plain");
    destination->SetClipRect(RECT{0, 0, 54, kDstH});
    Clear();
    const RECT tenByTen = {0, 0, 10, 10};
    HRESULT hr = keyed ? source->DrawZoomedKeyed(destination.get(), 50, 40, tenByTen, 0.25f)
                       : source->DrawZoomed(destination.get(), 50, 40, tenByTen, 0.25f);
    ASSERT_EQ(hr, DD_OK);
    std::vector<uint32_t> shown = ReadPixels(*destination, 16);
    EXPECT_EQ(At(shown, 53, 43), SourceValue(3, 2));
    EXPECT_EQ(At(shown, 53, 44), keyed ? kBackground : kKey);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), kBackground), kDstW * kDstH - (keyed ? 1 : 2));
  }
}

// ---------------------------------------------------------------------------
// Empty rectangles
// ---------------------------------------------------------------------------

TEST_F(GeometryTest, EmptyRectanglesInsideBothSurfacesDrawNothing) {
  // A source rectangle of zero width or height inside its ClipRect, at a point
  // inside the destination, passes the clipping: the mirrored copies succeed
  // with nothing to draw; the zoomed and resized ones hand it to the platform,
  // which refuses an empty rectangle with DDERR_INVALIDRECT.
  const RECT empties[] = {{4, 0, 4, 10}, {0, 5, 10, 5}, {3, 3, 3, 3}};
  for (const RECT& r : empties) {
    SCOPED_TRACE(std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                 std::to_string(r.bottom));
    for (bool refuse : {false, true}) {
      headless::RefuseMirroring(refuse);
      Clear();
      EXPECT_EQ(source->DrawMirroredHClipped(destination.get(), 5, 5, r), DD_OK);
      EXPECT_EQ(source->DrawMirroredHKeyedClipped(destination.get(), 5, 5, r), DD_OK);
      EXPECT_EQ(source->DrawMirroredVClipped(destination.get(), 5, 5, r), DD_OK);
      EXPECT_EQ(source->DrawMirroredVKeyedClipped(destination.get(), 5, 5, r), DD_OK);
      EXPECT_EQ(source->DrawZoomed(destination.get(), 5, 5, r, 2.0f), DDERR_INVALIDRECT);
      EXPECT_EQ(source->DrawZoomedKeyed(destination.get(), 5, 5, r, 0.5f), DDERR_INVALIDRECT);
      EXPECT_EQ(source->DrawResized(destination.get(), 5, 5, r, 20, 20), DDERR_INVALIDRECT);
      EXPECT_EQ(source->DrawResizedKeyed(destination.get(), 5, 5, r, 3, 7), DDERR_INVALIDRECT);
      std::vector<uint32_t> after = ReadPixels(*destination, 16);
      EXPECT_EQ(std::count(after.begin(), after.end(), kBackground), kDstW * kDstH);
    }
  }
}

TEST_F(GeometryTest, ScaledCopiesThatCannotDrawFailAndChangeNothing) {
  const RECT tenByTen = {0, 0, 10, 10};
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    bool resized;
    int32_t x, y;
    float factor;
    int32_t w, h;
  } cases[] = {
      {"factor 0: the empty rectangle at (105, 105)", false, 100, 100, 0.0f, 0, 0},
      {"negative factor counts as 0", false, 100, 100, -3.0f, 0, 0},
      {"infinite factor", false, 100, 100, inf, 0, 0},
      {"negative infinite factor", false, 100, 100, -inf, 0, 0},
      {"NaN factor", false, 100, 100, nan, 0, 0},
      {"factor beyond 32-bit widths", false, 100, 100, 1e30f, 0, 0},
      {"factor 2^29: over 2^32 wide", false, 0, 0, 536870912.0f, 0, 0},
      {"zoomed at the far right", false, INT32_MAX - 2, 0, 3.0f, 0, 0},
      {"width 0", true, 100, 100, 0, 0, 20},
      {"height negative", true, 100, 100, 0, 20, -1},
      {"width at the limit, right of 2^31", true, INT32_MAX - 10, 0, 0, INT32_MAX, 5},
      {"height at the limit, below -2^31", true, 0, INT32_MIN + 2, 0, 5, INT32_MAX},
      {"resized off the destination", true, -500, -500, 0, 20, 20},
  };
  for (const Case& c : cases) {
    Clear();
    HRESULT hr = c.resized ? source->DrawResized(destination.get(), c.x, c.y, tenByTen, c.w, c.h)
                           : source->DrawZoomedKeyed(destination.get(), c.x, c.y, tenByTen, c.factor);
    EXPECT_EQ(hr, E_FAIL) << c.name;
    std::vector<uint32_t> after = ReadPixels(*destination, 16);
    EXPECT_EQ(std::count(after.begin(), after.end(), kBackground), kDstW * kDstH) << c.name;
  }
}

TEST_F(GeometryTest, AScaledCopyReadsOnlyInsideTheSourcesClipRect) {
  // The rectangle reaches past the ClipRect (0..6) on the right: trimmed to
  // 6 x 10 first, then doubled about its centre at (50, 50): 47..59.
  source->SetClipRect(RECT{0, 0, 6, 12});
  Clear();
  EXPECT_EQ(source->DrawResized(destination.get(), 50, 50, RECT{0, 0, 12, 10}, 12, 20), DD_OK);
  std::vector<uint32_t> shown = ReadPixels(*destination, 16);
  for (int x = 40; x < 70; ++x) {
    uint32_t want = (x >= 47 && x < 59) ? SourceValue((x - 47) / 2, 0) : kBackground;
    EXPECT_EQ(At(shown, x, 45), want) << x;
    for (int y = 0; y < kDstH; ++y)
      if (At(shown, x, y) != kBackground) {
        ASSERT_LT(At(shown, x, y) & 0xF, 6u) << "read past the ClipRect";
      }
  }
}

TEST_F(GeometryTest, AScaledCopyOfALostSourceRestoresIt) {
  Surface lost(display, 10, 10, VideoMemory);
  ASSERT_NE(lost.ddSurface, nullptr);
  headless::LoseAllSurfaces();
  ASSERT_EQ(lost.ddSurface->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(lost.DrawZoomed(destination.get(), 20, 20, RECT{0, 0, 10, 10}, 1.5f), DDERR_SURFACELOST);
  EXPECT_EQ(lost.ddSurface->IsLost(), DD_OK);
  headless::LoseAllSurfaces();
  EXPECT_EQ(lost.DrawResizedKeyed(destination.get(), 20, 20, RECT{0, 0, 10, 10}, 7, 3), DDERR_SURFACELOST);
  EXPECT_EQ(lost.ddSurface->IsLost(), DD_OK);
  EXPECT_EQ(lost.DrawResized(destination.get(), 20, 20, RECT{0, 0, 10, 10}, 7, 3), DD_OK);
}

}  // namespace
