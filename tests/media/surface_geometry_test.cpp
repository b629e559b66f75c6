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
      {"empty source", 5, 5, {4, 0, 4, 10}, {0, 0, kDstW, kDstH}},
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

TEST_F(GeometryTest, ZoomedCopiesShrinkAboutTheCentreWithSinglePrecisionWidths) {
  // Factor 0.5 of 10 x 10 at (100, 100): (102, 102) to (107, 107), every
  // second source pixel. Factor 0.3 of 10 x 12 at (20, 30): width
  // trunc(10 * 0.3f) = 3, left trunc(25 - 1.5) = 23;
  // height trunc(12 * 0.3) = 3, top trunc(36 - 1.8) = 34.
  struct Case {
    float factor;
    int32_t x, y;
    RECT source;
    RECT filled;
  } cases[] = {
      {0.5f, 100, 100, {0, 0, 10, 10}, {102, 102, 107, 107}},
      {0.3f, 20, 30, {0, 0, 10, 12}, {23, 34, 26, 37}},
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
