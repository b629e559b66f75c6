// SPDX-License-Identifier: MIT
// Primitives and single pixels on a Surface whose "locked" description points
// at memory owned by the test, in every pixel depth. The memory carries guard
// bytes around every row and above and below the picture, so that any write
// outside the surface shows.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "media/surface.h"
#include "surface_fixture.h"

namespace {

constexpr uint8_t kGuard = 0xCD;
constexpr int kGuardRows = 2;
constexpr int kGuardBytes = 8;

int Bytes(int depth) { return depth == 8 ? 1 : depth == 24 ? 3 : depth == 32 ? 4 : 2; }

// A surface "locked" onto test memory.
struct Canvas {
  int width, height, depth, pitch;
  std::vector<uint8_t> memory;
  Surface surface;

  Canvas(int w, int h, int d) : width(w), height(h), depth(d) {
    pitch = w * Bytes(d) + kGuardBytes;
    memory.assign(static_cast<size_t>(pitch) * (h + 2 * kGuardRows) + kGuardBytes, kGuard);
    for (int y = 0; y < h; ++y) memset(Row(y), 0, static_cast<size_t>(w) * Bytes(d));
    surface.Width = w;
    surface.Height = h;
    surface.ClipRect = RECT{0, 0, w, h};
    surface.SurfaceDesc.dwSize = sizeof(DDSURFACEDESC2);
    surface.SurfaceDesc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT;
    surface.SurfaceDesc.dwWidth = static_cast<DWORD>(w);
    surface.SurfaceDesc.dwHeight = static_cast<DWORD>(h);
    surface.SurfaceDesc.lPitch = pitch;
    surface.SurfaceDesc.lpSurface = Row(0);
    surface.SurfaceDesc.ddpfPixelFormat = surface_test::FormatOfDepth(d);
  }
  uint8_t* Row(int y) { return memory.data() + static_cast<size_t>(pitch) * (y + kGuardRows); }
  uint32_t At(int x, int y) {
    uint8_t* p = Row(y) + x * Bytes(depth);
    uint32_t v = 0;
    memcpy(&v, p, Bytes(depth));
    return v;
  }
  void Set(int x, int y, uint32_t v) { memcpy(Row(y) + x * Bytes(depth), &v, Bytes(depth)); }
  // Guard bytes untouched: rows above and below, and the padding of each row.
  bool GuardsIntact() {
    for (size_t i = 0; i < static_cast<size_t>(pitch) * kGuardRows; ++i)
      if (memory[i] != kGuard) return false;
    for (int y = 0; y < height; ++y)
      for (int i = width * Bytes(depth); i < pitch; ++i)
        if (Row(y)[i] != kGuard) return false;
    for (size_t i = static_cast<size_t>(pitch) * (height + kGuardRows); i < memory.size(); ++i)
      if (memory[i] != kGuard) return false;
    return true;
  }
  int CountSet() {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (At(x, y) != 0) ++n;
    return n;
  }
};

const int kDepths[] = {8, 15, 16, 24, 32};

uint32_t Colour(int depth) { return depth == 8 ? 0xA5 : depth <= 16 ? 0xBEEF : 0x123456; }

}  // namespace

TEST(SurfacePixels, PutPixelClipsAndKeepsTheFourthByte) {
  for (int depth : kDepths) {
    Canvas c(20, 10, depth);
    c.surface.ClipRect = RECT{2, 3, 15, 8};
    uint32_t colour = Colour(depth);
    c.surface.PutPixel(15, 4, colour);  // x == right: nothing
    c.surface.PutPixel(14, 4, colour);  // right - 1: drawn
    c.surface.PutPixel(1, 4, colour);
    c.surface.PutPixel(5, 2, colour);
    c.surface.PutPixel(5, 8, colour);
    c.surface.PutPixel(-1, -1, colour);
    c.surface.PutPixel(INT32_MAX, INT32_MIN, colour);
    EXPECT_EQ(c.CountSet(), 1) << depth;
    EXPECT_EQ(c.At(14, 4), colour) << depth;
    EXPECT_EQ(c.surface.GetPixel(14, 4), colour) << depth;
    EXPECT_TRUE(c.GuardsIntact()) << depth;
  }
  Canvas c32(4, 4, 32);
  c32.Set(1, 1, 0xAB000000);
  c32.surface.PutPixel(1, 1, 0x00FF0000);
  EXPECT_EQ(c32.At(1, 1), 0xABFF0000u);
  EXPECT_EQ(c32.surface.GetPixel(1, 1), 0xABFF0000u);  // the whole 32-bit value

  Canvas c24(4, 4, 24);
  uint8_t* p = c24.Row(2) + 3;
  p[0] = 0x11;
  p[1] = 0x22;
  p[2] = 0x33;
  EXPECT_EQ(c24.surface.GetPixel(1, 2), 0x332211u);
  // GetPixel is not clipped to ClipRect, but nothing outside the surface is read.
  c24.surface.ClipRect = RECT{0, 0, 0, 0};
  EXPECT_EQ(c24.surface.GetPixel(1, 2), 0x332211u);
  EXPECT_EQ(c24.surface.GetPixel(4, 0), 0u);
  EXPECT_EQ(c24.surface.GetPixel(0, -1), 0u);
}

TEST(SurfacePixels, NothingWithoutLockedMemory) {
  Surface s;
  s.Width = s.Height = 10;
  s.ClipRect = RECT{0, 0, 10, 10};
  s.PutPixel(1, 1, 5);
  s.DrawHLine(0, 9, 1, 5);
  s.DrawLineAA(0, 0, 9, 3, 5);
  s.FillCircle(5, 5, 3, 5);
  EXPECT_EQ(s.GetPixel(1, 1), 0u);
  // A ClipRect larger than the locked memory is held to it.
  Canvas c(6, 4, 16);
  c.surface.ClipRect = RECT{-10, -10, 100, 100};
  c.surface.DrawHLine(-50, 50, 3, 0xFFFF);
  c.surface.DrawVLine(-50, 50, 5, 0xFFFF);
  c.surface.FillCircle(3, 2, 40, 0x1234);
  EXPECT_EQ(c.CountSet(), 24);
  EXPECT_TRUE(c.GuardsIntact());
}

TEST(SurfaceRuns, ClippedOnEverySide) {
  for (int depth : kDepths) {
    uint32_t colour = Colour(depth);
    Canvas c(40, 30, depth);
    c.surface.DrawHLine(10, 5, 2, colour);  // reversed ends: columns 5..10
    for (int x = 0; x < 40; ++x) EXPECT_EQ(c.At(x, 2) == colour, x >= 5 && x <= 10) << depth << " x " << x;
    c.surface.DrawHLine(30, 900, 4, colour);  // columns 30..39
    int n = 0;
    for (int x = 0; x < 40; ++x) n += c.At(x, 4) == colour;
    EXPECT_EQ(n, 10) << depth;
    c.surface.DrawVLine(25, 700, 20, colour);  // rows 25..29
    n = 0;
    for (int y = 0; y < 30; ++y) n += c.At(20, y) == colour;
    EXPECT_EQ(n, 5) << depth;
    int before = c.CountSet();
    c.surface.DrawHLine(-20, -1, 5, colour);      // left of the clip
    c.surface.DrawHLine(40, 60, 5, colour);       // right of it
    c.surface.DrawHLine(0, 39, -1, colour);       // above
    c.surface.DrawHLine(0, 39, 30, colour);       // below
    c.surface.DrawVLine(0, 29, -1, colour);
    c.surface.DrawVLine(0, 29, 40, colour);
    c.surface.DrawVLine(-9, -1, 3, colour);
    c.surface.DrawVLine(30, 99, 3, colour);
    c.surface.DrawHLine(INT32_MIN, INT32_MAX, 6, colour);  // the whole row
    EXPECT_EQ(c.CountSet(), before + 40) << depth;
    EXPECT_TRUE(c.GuardsIntact()) << depth;
  }
  // Word-sized writes in 15/16 bits: every start parity and length.
  for (int start = 0; start < 4; ++start)
    for (int len = 1; len < 8; ++len) {
      Canvas c(12, 1, 16);
      c.surface.DrawHLine(start, start + len - 1, 0, 0x8001);
      for (int x = 0; x < 12; ++x)
        ASSERT_EQ(c.At(x, 0), (x >= start && x < start + len) ? 0x8001u : 0u) << start << " " << len;
      ASSERT_TRUE(c.GuardsIntact());
    }
}

TEST(SurfaceLines, FollowTheirSlopes) {
  Canvas c(10, 10, 8);
  c.surface.DrawLine(0, 0, 3, 1, 1);
  EXPECT_EQ(c.At(0, 0), 1u);
  EXPECT_EQ(c.At(1, 0), 1u);
  EXPECT_EQ(c.At(2, 0), 1u);
  EXPECT_EQ(c.At(3, 1), 1u);
  EXPECT_EQ(c.CountSet(), 4);
  Canvas d(10, 10, 8);
  d.surface.DrawLine(2, 2, 0, 0, 1);  // the diagonal takes the steep branch
  EXPECT_EQ(d.At(0, 0) + d.At(1, 1) + d.At(2, 2), 3u);
  EXPECT_EQ(d.CountSet(), 3);
  Canvas e(10, 10, 8);
  e.surface.DrawLine(4, 1, 4, 1, 1);  // a single point
  EXPECT_EQ(e.At(4, 1), 1u);
  EXPECT_EQ(e.CountSet(), 1);
}

TEST(SurfaceLines, FarAwayEndsCostNothingAndStayInside) {
  for (int depth : kDepths) {
    Canvas c(50, 40, depth);
    auto start = std::chrono::steady_clock::now();
    c.surface.DrawLine(INT32_MIN, -7, INT32_MAX, 60, Colour(depth));
    c.surface.DrawLine(-3, INT32_MIN, 20, INT32_MAX, Colour(depth));
    c.surface.DrawLineAA(INT32_MIN, 0, INT32_MAX, 30, Colour(depth));
    c.surface.DrawLineAA(10, INT32_MIN, 11, INT32_MAX, Colour(depth));
    c.surface.DrawLineAA(INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, Colour(depth));
    c.surface.DrawCircle(25, 20, INT32_MAX, Colour(depth));
    c.surface.DrawRoundedBox(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1000000, Colour(depth));
    c.surface.FillCircle(INT32_MAX, INT32_MAX, INT32_MAX, Colour(depth));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 1.0) << depth;
    EXPECT_TRUE(c.GuardsIntact()) << depth;
  }
  // A shallow line across the whole surface sets one pixel a column.
  Canvas c(64, 64, 8);
  c.surface.DrawLine(-1000000, 10, 1000000, 40, 1);
  EXPECT_EQ(c.CountSet(), 64);
}

// A line starting far outside the surface sets the pixels that walking it from
// its start, one slope step at a time, sets: the skip over the far part may not
// move a pixel by a row. Both branches, both directions, starts 2^17 to 2^24
// away (the walk in the test stays affordable).
TEST(SurfaceLines, FarStartsDrawWhatThePlainWalkDraws) {
  std::mt19937 random(20261208);
  auto uniform = [&](int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(random); };
  constexpr int kSize = 48;
  for (int line = 0; line < 80; ++line) {
    const int64_t distance = int64_t{1} << uniform(17, 23);
    const int64_t far = -uniform(distance, 2 * distance);
    // The major axis runs from far to the surface; the minor drifts by up to
    // the major length (shallow or steep), from any side.
    const int64_t majorEnd = uniform(0, kSize + 8);
    const int64_t length = majorEnd - far;
    const int64_t minorEnd = uniform(0, kSize - 1);
    const int64_t minorStart = minorEnd - uniform(-length + 1, length - 1);
    const bool steep = line % 2 == 1;
    const bool reversed = line % 4 >= 2;  // given end to start
    int32_t x1 = static_cast<int32_t>(steep ? minorStart : far), y1 = static_cast<int32_t>(steep ? far : minorStart);
    int32_t x2 = static_cast<int32_t>(steep ? minorEnd : majorEnd), y2 = static_cast<int32_t>(steep ? majorEnd : minorEnd);

    // The plain walk, from the start of the major axis to its end.
    std::vector<uint8_t> expected(kSize * kSize, 0);
    const double slope = static_cast<double>(minorEnd - minorStart) / static_cast<double>(length);
    double v = static_cast<double>(minorStart);
    for (int64_t m = far; m <= majorEnd; ++m, v += slope) {
      if (m < 0 || m >= kSize) continue;
      const int64_t n = static_cast<int64_t>(std::trunc(v));
      if (n < 0 || n >= kSize) continue;
      expected[steep ? m * kSize + n : n * kSize + m] = 1;
    }

    Canvas c(kSize, kSize, 8);
    if (reversed)
      c.surface.DrawLine(x2, y2, x1, y1, 1);
    else
      c.surface.DrawLine(x1, y1, x2, y2, 1);
    bool same = true;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) same = same && c.At(x, y) == expected[y * kSize + x];
    EXPECT_TRUE(same) << "line " << x1 << "," << y1 << " to " << x2 << "," << y2;
    EXPECT_TRUE(c.GuardsIntact());
  }
}

TEST(SurfaceLines, AntialiasedWeights) {
  Canvas c(16, 16, 32);
  c.surface.DrawLineAA(0, 0, 10, 10, 0xFFFFFF);
  for (int i = 0; i <= 10; ++i) EXPECT_EQ(c.At(i, i), 0xFFFFFFu);
  EXPECT_EQ(c.CountSet(), 11);

  // Steep, dx 1, dy 4: rows 1..3 get column 0 with weights 191, 127, 63 and
  // column 1 with 64, 128, 192, blended into black: 255 * w / 256.
  Canvas s(4, 6, 32);
  s.surface.DrawLineAA(0, 0, 1, 4, 0xFFFFFF);
  EXPECT_EQ(s.At(0, 0), 0xFFFFFFu);
  EXPECT_EQ(s.At(1, 4), 0xFFFFFFu);
  const int left[] = {191, 127, 63}, right[] = {64, 128, 192};
  for (int row = 1; row <= 3; ++row) {
    uint32_t l = static_cast<uint32_t>(255 * left[row - 1] / 256);
    uint32_t r = static_cast<uint32_t>(255 * right[row - 1] / 256);
    EXPECT_EQ(s.At(0, row), l * 0x010101u) << row;
    EXPECT_EQ(s.At(1, row), r * 0x010101u) << row;
  }
  EXPECT_EQ(s.CountSet(), 8);

  // Drawn upwards the line is the same.
  Canvas u(4, 6, 32);
  u.surface.DrawLineAA(1, 4, 0, 0, 0xFFFFFF);
  EXPECT_EQ(u.memory, s.memory);
}

TEST(SurfaceBlend, ChannelsInEveryDepth) {
  Canvas c16(4, 1, 16);
  c16.Set(0, 0, 0x1234);
  c16.surface.BlendPixel(0, 0, 0xFFFF, 0);  // weight 0: unchanged
  EXPECT_EQ(c16.At(0, 0), 0x1234u);
  c16.Set(1, 0, 0x0000);
  c16.surface.BlendPixel(1, 0, 0xFFFF, 128);  // half of 31/63/31: 15/31/15
  EXPECT_EQ(c16.At(1, 0), (15u << 11) | (31u << 5) | 15u);
  // Weights above 255 are not limited, but channels never spill into others.
  c16.surface.BlendPixel(2, 0, 0x0821, 0x10000 + 256);  // low 16 bits: 256 -> the colour
  EXPECT_EQ(c16.At(2, 0), 0x0821u);

  Canvas c15(2, 1, 15);
  c15.Set(0, 0, 0x7FFF);
  c15.surface.BlendPixel(0, 0, 0x0000, 128);  // 31 + floor(-31 * 128 / 256) = 15
  EXPECT_EQ(c15.At(0, 0), (15u << 10) | (15u << 5) | 15u);

  Canvas c8(2, 1, 8);
  c8.surface.BlendPixel(0, 0, 0x42, 0);  // 8 bits: the colour, whatever the weight
  EXPECT_EQ(c8.At(0, 0), 0x42u);

  Canvas c24(2, 1, 24);
  c24.Set(0, 0, 0x102030);
  c24.surface.BlendPixel(0, 0, 0x305070, 128);
  EXPECT_EQ(c24.At(0, 0), 0x203850u);

  Canvas c32(2, 1, 32);
  c32.Set(0, 0, 0x7F000000);
  c32.surface.BlendPixel(0, 0, 0xFFFFFF, 255);
  EXPECT_EQ(c32.At(0, 0), 0x7FFEFEFEu);
  c32.surface.ClipRect = RECT{1, 0, 2, 1};
  c32.surface.BlendPixel(0, 0, 0, 255);  // outside the clip
  EXPECT_EQ(c32.At(0, 0), 0x7FFEFEFEu);
}

TEST(SurfaceShapes, CirclesAndDiscs) {
  Canvas c(9, 9, 8);
  c.surface.DrawCircle(4, 4, 0, 1);
  EXPECT_EQ(c.At(4, 4), 1u);
  EXPECT_EQ(c.CountSet(), 1);
  Canvas d(9, 9, 8);
  d.surface.DrawCircle(4, 4, 1, 1);
  EXPECT_EQ(d.At(3, 4) + d.At(5, 4) + d.At(4, 3) + d.At(4, 5), 4u);
  EXPECT_EQ(d.CountSet(), 4);

  Canvas f(9, 9, 16);
  f.surface.FillCircle(4, 4, 2, 7);
  auto rowCount = [&](int y) {
    int n = 0;
    for (int x = 0; x < 9; ++x) n += f.At(x, y) == 7;
    return n;
  };
  EXPECT_EQ(rowCount(2), 1);
  EXPECT_EQ(f.At(4, 2), 7u);
  EXPECT_EQ(rowCount(3), 5);
  EXPECT_EQ(rowCount(4), 5);
  EXPECT_EQ(rowCount(5), 5);
  EXPECT_EQ(rowCount(6), 0);
  EXPECT_EQ(f.CountSet(), 16);
}

TEST(SurfaceShapes, Boxes) {
  Canvas c(10, 8, 24);
  c.surface.DrawBox(7, 5, 2, 1, 0xFFFFFF);  // any corner order
  EXPECT_EQ(c.CountSet(), 2 * 6 + 2 * 3);
  EXPECT_EQ(c.At(2, 1), 0xFFFFFFu);
  EXPECT_EQ(c.At(7, 5), 0xFFFFFFu);
  EXPECT_EQ(c.At(4, 3), 0u);

  // Rounded corners of radius 2: the corner pixels are left out.
  Canvas r(12, 12, 8);
  r.surface.DrawRoundedBox(1, 1, 10, 10, 2, 1);
  EXPECT_EQ(r.At(1, 1), 0u);
  EXPECT_EQ(r.At(10, 10), 0u);
  EXPECT_EQ(r.At(5, 1), 1u);
  EXPECT_EQ(r.At(1, 5), 1u);
  EXPECT_EQ(r.At(2, 1), 1u);  // the arc of the corner
  EXPECT_EQ(r.At(1, 2), 1u);
  EXPECT_EQ(r.At(2, 2), 0u);
  EXPECT_EQ(r.At(9, 10), 1u);
  for (int y = 0; y < 12; ++y)  // symmetric about both axes
    for (int x = 0; x < 12; ++x) {
      EXPECT_EQ(r.At(x, y), r.At(11 - x, y)) << x << "," << y;
      EXPECT_EQ(r.At(x, y), r.At(x, 11 - y)) << x << "," << y;
    }
}

// Drawing with a narrow ClipRect sets exactly the pixels that the same drawing
// on an unclipped surface sets inside that rectangle: the loops that skip the
// far stretches of a line or circle must not change a single pixel.
TEST(SurfaceShapes, ClippingNeverChangesWhatIsDrawnInside) {
  const RECT clips[] = {{0, 0, 1, 1}, {37, 11, 52, 90}, {5, 60, 95, 64}, {90, 0, 100, 100}, {48, 48, 52, 52}};
  for (int depth : {15, 32}) {
    uint32_t colour = Colour(depth);
    auto draw = [&](Surface& s, int shape) {
      switch (shape) {
        case 0: s.DrawLineAA(3, 97, 95, 4, colour); break;
        case 1: s.DrawLineAA(90, 2, 12, 93, colour); break;
        case 2: s.DrawLineAA(1, 10, 98, 17, colour); break;
        case 3: s.DrawLineAA(60, 99, 0, 0, colour); break;
        case 4: s.DrawCircle(50, 50, 45, colour); break;
        case 5: s.DrawCircle(-20, 110, 80, colour); break;
        case 6: s.DrawRoundedBox(4, 6, 93, 91, 17, colour); break;
        case 7: s.FillCircle(30, 70, 33, colour); break;
        case 8: s.DrawLine(0, 3, 99, 60, colour); break;
        case 9: s.DrawLineAA(20, 0, 20, 99, colour); break;
        case 10: s.DrawLineAA(99, 0, 0, 99, colour); break;
      }
    };
    for (int shape = 0; shape <= 10; ++shape) {
      Canvas whole(100, 100, depth);
      draw(whole.surface, shape);
      ASSERT_GT(whole.CountSet(), 0);
      for (const RECT& clip : clips) {
        Canvas part(100, 100, depth);
        part.surface.ClipRect = clip;
        draw(part.surface, shape);
        for (int y = 0; y < 100; ++y)
          for (int x = 0; x < 100; ++x) {
            bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
            ASSERT_EQ(part.At(x, y), inside ? whole.At(x, y) : 0u)
                << "depth " << depth << " shape " << shape << " at " << x << "," << y << " clip " << clip.left
                << "," << clip.top;
          }
        ASSERT_TRUE(part.GuardsIntact());
      }
    }
  }
}
