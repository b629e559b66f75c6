// SPDX-License-Identifier: MIT
// The rectangle setters and the three clipping algorithms, on bare Surface
// records (they touch no DirectDraw surface).
#include <gtest/gtest.h>

#include "media/surface.h"

namespace {

Surface Sized(int32_t w, int32_t h) {
  Surface s;
  s.Width = w;
  s.Height = h;
  s.ClipRect = RECT{0, 0, w, h};
  return s;
}

::testing::AssertionResult Same(const RECT& a, const RECT& b) {
  if (a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.left << "," << a.top << "," << a.right << "," << a.bottom
                                       << ") vs (" << b.left << "," << b.top << "," << b.right << "," << b.bottom
                                       << ")";
}

}  // namespace

TEST(SurfaceRects, SettersTakeTopLeftBottomRight) {
  Surface s = Sized(800, 600);
  s.SetSrcRect(0, 0, 15, 80);
  EXPECT_TRUE(Same(s.SrcRect, RECT{0, 0, 80, 15}));
  s.SetDestRect(10, 20, 25, 100);
  EXPECT_TRUE(Same(s.DestRect, RECT{20, 10, 100, 25}));
  s.SetClipRect(RECT{-5, -5, 900, 700});
  EXPECT_TRUE(Same(s.ClipRect, RECT{0, 0, 800, 600}));
  s.SetClipRect(RECT{10, 20, 30, 40});
  EXPECT_TRUE(Same(s.GetClipRect(), RECT{10, 20, 30, 40}));
}

TEST(SurfaceClip, ToClipRect) {
  Surface s = Sized(100, 50);
  s.ClipRect = RECT{10, 10, 90, 40};
  RECT r = {0, 0, 200, 200};
  EXPECT_TRUE(s.ClipToClipRect(r));
  EXPECT_TRUE(Same(r, RECT{10, 10, 90, 40}));
  // Touching an edge from outside is outside; the rectangle stays as it was.
  for (RECT out : {RECT{90, 0, 95, 50}, RECT{0, 40, 50, 45}, RECT{0, 0, 10, 50}, RECT{0, 0, 50, 10}}) {
    RECT copy = out;
    EXPECT_FALSE(s.ClipToClipRect(copy));
    EXPECT_TRUE(Same(copy, out));
  }
  // A rectangle of zero width inside passes.
  RECT thin = {20, 20, 20, 30};
  EXPECT_TRUE(s.ClipToClipRect(thin));
  EXPECT_TRUE(Same(thin, RECT{20, 20, 20, 30}));
}

TEST(SurfaceClip, ForBlitMovesPointAndSource) {
  Surface source = Sized(100, 100);
  Surface dest = Sized(800, 600);
  int32_t x = -30, y = 5;
  RECT r = {0, 0, 100, 100};
  ASSERT_TRUE(source.ClipForBlit(&dest, x, y, r));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 5);
  EXPECT_TRUE(Same(r, RECT{30, 0, 100, 100}));

  x = 750;
  y = 550;
  r = RECT{0, 0, 100, 100};
  ASSERT_TRUE(source.ClipForBlit(&dest, x, y, r));
  EXPECT_EQ(x, 750);
  EXPECT_EQ(y, 550);
  EXPECT_TRUE(Same(r, RECT{0, 0, 50, 50}));

  // The source is first trimmed to its own ClipRect, and the point follows.
  source.ClipRect = RECT{10, 20, 60, 70};
  x = 100;
  y = 100;
  r = RECT{0, 0, 100, 100};
  ASSERT_TRUE(source.ClipForBlit(&dest, x, y, r));
  EXPECT_TRUE(Same(r, RECT{10, 20, 60, 70}));
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 100);

  // Nothing left: completely outside either ClipRect.
  r = RECT{70, 80, 100, 100};
  EXPECT_FALSE(source.ClipForBlit(&dest, x, y, r));
  source.ClipRect = RECT{0, 0, 100, 100};
  x = 800;
  y = 0;
  r = RECT{0, 0, 10, 10};
  EXPECT_FALSE(source.ClipForBlit(&dest, x, y, r));
  x = -10;
  r = RECT{0, 0, 10, 10};
  EXPECT_FALSE(source.ClipForBlit(&dest, x, y, r));

  // Points at the ends of the 32-bit range do not wrap around.
  x = INT32_MAX;
  y = 0;
  r = RECT{0, 0, 100, 100};
  EXPECT_FALSE(source.ClipForBlit(&dest, x, y, r));
  x = INT32_MIN;
  y = INT32_MIN;
  r = RECT{0, 0, 100, 100};
  EXPECT_FALSE(source.ClipForBlit(&dest, x, y, r));
  EXPECT_FALSE(source.ClipForBlit(nullptr, x, y, r));
}

TEST(SurfaceClip, ToRectTrimsWithoutEmptinessTest) {
  Surface s = Sized(64, 64);
  RECT limit = {10, 20, 110, 70};
  int32_t x = 5, y = 15;
  RECT r = {0, 0, 16, 16};
  s.ClipToRect(x, y, r, limit);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  EXPECT_TRUE(Same(r, RECT{5, 5, 16, 16}));

  x = 100;
  y = 60;
  r = RECT{0, 0, 16, 16};
  s.ClipToRect(x, y, r, limit);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 60);
  EXPECT_TRUE(Same(r, RECT{0, 0, 10, 10}));

  // A point entirely outside leaves an empty or inverted rectangle, which the
  // platform's copy refuses.
  x = 200;
  y = 0;
  r = RECT{0, 0, 16, 16};
  s.ClipToRect(x, y, r, limit);
  EXPECT_LE(r.right, r.left);
}
