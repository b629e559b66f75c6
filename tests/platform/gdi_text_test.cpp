// SPDX-License-Identifier: MIT
// Fonts and text on device contexts: face matching, GDI's cell layout, opaque
// and transparent backgrounds, clip regions, measuring, word wrapping.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "gdi/surface_dc.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace {

constexpr uint32_t kPaper = 0x00102030;

// A 32-bit canvas (0x00RRGGBB) with a DC on it.
struct Canvas32 {
  int w, h;
  std::vector<uint32_t> px;
  HDC dc = nullptr;
  Canvas32(int width, int height) : w(width), h(height), px(static_cast<size_t>(width) * height, kPaper) {
    platform::gdi::PixelTarget t;
    t.bits = reinterpret_cast<uint8_t*>(px.data());
    t.width = w;
    t.height = h;
    t.pitch = w * 4;
    t.bitCount = 32;
    t.redMask = 0xFF0000;
    t.greenMask = 0xFF00;
    t.blueMask = 0xFF;
    dc = platform::gdi::CreateSurfaceDC(t);
  }
  ~Canvas32() { platform::gdi::ReleaseSurfaceDC(dc); }
  uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  // Bounding box of pixels equal to v; empty (right <= left) when none.
  RECT BoxOf(uint32_t v) const {
    RECT r{w, h, 0, 0};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (At(x, y) == v) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return r;
  }
  int Count(uint32_t v) const {
    int n = 0;
    for (uint32_t p : px) n += p == v;
    return n;
  }
  std::set<uint32_t> Colours() const { return {px.begin(), px.end()}; }
};

HFONT Arial(int height, int weight = FW_NORMAL) {
  return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     NONANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
}

class GdiText : public ::testing::Test {
 protected:
  void SetUp() override { platform::headless::Reset(); }
};

TEST_F(GdiText, FaceNamesFindMetricCompatibleFaces) {
  Canvas32 c(8, 8);
  struct {
    const char* asked;
    const char* found;
  } cases[] = {{"Arial", "Liberation Sans"}, {"Courier", "Liberation Mono"}, {"Courier New", "Liberation Mono"},
               {"Times New Roman", "Liberation Serif"}};
  for (auto& k : cases) {
    HFONT f = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, k.asked);
    ASSERT_NE(f, nullptr);
    SelectObject(c.dc, f);
    char face[64] = {};
    GetTextFaceA(c.dc, sizeof face, face);
    EXPECT_STREQ(face, k.found) << k.asked;
    DeleteObject(f);
  }
}

TEST_F(GdiText, PositiveHeightIsTheCellNegativeTheEm) {
  Canvas32 c(8, 8);
  for (int height : {8, 12, 14, 16, 20, 33}) {
    HFONT f = Arial(height);
    HGDIOBJ old = SelectObject(c.dc, f);
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32A(c.dc, "W", 1, &size));
    EXPECT_EQ(size.cy, height);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(c.dc, &tm));
    EXPECT_EQ(tm.tmHeight, height);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, height);
    SelectObject(c.dc, old);
    DeleteObject(f);
  }
  // An em of 20 pixels makes a cell taller than 20 (Arial's cell is 1.117 em).
  HFONT em = Arial(-20);
  SelectObject(c.dc, em);
  TEXTMETRICA tm{};
  GetTextMetricsA(c.dc, &tm);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);
  EXPECT_GE(tm.tmHeight, 22);
  EXPECT_LE(tm.tmHeight, 23);
  DeleteObject(em);
}

TEST_F(GdiText, SelectObjectHandsBackThePreviousFont) {
  Canvas32 c(8, 8);
  HFONT a = Arial(12), b = Arial(20);
  HGDIOBJ original = SelectObject(c.dc, a);
  EXPECT_NE(original, nullptr);
  EXPECT_EQ(SelectObject(c.dc, b), a);
  EXPECT_EQ(SelectObject(c.dc, original), b);
  LOGFONTA lf{};
  EXPECT_EQ(GetObjectA(b, sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfHeight, 20);
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  EXPECT_EQ(lf.lfQuality, NONANTIALIASED_QUALITY);
  // A copy through the LOGFONT measures like the original.
  HFONT copy = CreateFontIndirectA(&lf);
  SIZE s1{}, s2{};
  SelectObject(c.dc, b);
  GetTextExtentPoint32A(c.dc, "Hello", 5, &s1);
  SelectObject(c.dc, copy);
  GetTextExtentPoint32A(c.dc, "Hello", 5, &s2);
  EXPECT_EQ(s1.cx, s2.cx);
  EXPECT_EQ(s1.cy, s2.cy);
  SelectObject(c.dc, original);
  EXPECT_TRUE(DeleteObject(a));
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_TRUE(DeleteObject(copy));
  EXPECT_FALSE(DeleteObject(copy));
}

TEST_F(GdiText, OpaqueFillsTheCellTransparentDrawsOnlyInk) {
  const uint32_t ink = 0x00FFFF00, back = 0x000000FF;  // as 0x00RRGGBB
  Canvas32 c(120, 40);
  HFONT f = Arial(14);
  SelectObject(c.dc, f);
  SetTextColor(c.dc, RGB(0xFF, 0xFF, 0x00));
  SetBkColor(c.dc, RGB(0x00, 0x00, 0xFF));
  SIZE ext{};
  GetTextExtentPoint32A(c.dc, "Hag", 3, &ext);

  SetBkMode(c.dc, OPAQUE);
  ASSERT_TRUE(TextOutA(c.dc, 10, 5, "Hag", 3));
  // The cell is exactly (10, 5) + extent, in ink and background only.
  RECT all = c.BoxOf(back);
  EXPECT_EQ(all.left, 10);
  EXPECT_EQ(all.top, 5);
  EXPECT_EQ(all.right, 10 + ext.cx);
  EXPECT_EQ(all.bottom, 5 + ext.cy);
  int inkCount = c.Count(ink);
  EXPECT_GT(inkCount, 20);
  EXPECT_EQ(inkCount + c.Count(back) + c.Count(kPaper), c.w * c.h);  // no third colour: no antialiasing
  // Ink sits inside the cell: capital H from the ascent down, g's descender below the baseline.
  RECT inkBox = c.BoxOf(ink);
  EXPECT_GE(inkBox.top, 5);
  EXPECT_LE(inkBox.bottom, 5 + ext.cy);
  EXPECT_GE(inkBox.bottom, 5 + 12);  // the descender of g reaches below the baseline (ascent 11)

  Canvas32 t(120, 40);
  SelectObject(t.dc, f);
  SetTextColor(t.dc, RGB(0xFF, 0xFF, 0x00));
  SetBkMode(t.dc, TRANSPARENT);
  TextOutA(t.dc, 10, 5, "Hag", 3);
  EXPECT_EQ(t.Count(ink), inkCount);
  EXPECT_EQ(t.Count(ink) + t.Count(kPaper), t.w * t.h);
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) ASSERT_EQ(c.At(x, y) == ink, t.At(x, y) == ink) << x << "," << y;
  DeleteObject(f);
}

TEST_F(GdiText, ClipRegionKeepsTextInside) {
  Canvas32 c(100, 30);
  HFONT f = Arial(20);
  SelectObject(c.dc, f);
  SetBkColor(c.dc, RGB(0, 0, 255));
  SetTextColor(c.dc, RGB(255, 255, 255));
  HRGN r = CreateRectRgn(12, 4, 30, 18);
  SelectClipRgn(c.dc, r);
  DeleteObject(r);
  TextOutA(c.dc, 5, 0, "WWWW", 4);
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      bool inside = x >= 12 && x < 30 && y >= 4 && y < 18;
      if (!inside) {
        ASSERT_EQ(c.At(x, y), kPaper) << x << "," << y;
      } else {
        ASSERT_NE(c.At(x, y), kPaper) << x << "," << y;  // the opaque cell covers the region
      }
    }
  // Removing the clip region lets text out again.
  SelectClipRgn(c.dc, nullptr);
  TextOutA(c.dc, 60, 0, "W", 1);
  EXPECT_NE(c.BoxOf(0x0000FF).right, 30);
  DeleteObject(f);
}

TEST_F(GdiText, TextPastTheEdgesIsCutNotWrittenOutside) {
  // Guard bytes around the target catch any write outside it.
  std::vector<uint32_t> mem(40 * 22, kPaper);
  platform::gdi::PixelTarget t;
  t.bits = reinterpret_cast<uint8_t*>(mem.data() + 40);
  t.width = 30;
  t.height = 20;
  t.pitch = 40 * 4;
  t.bitCount = 32;
  HDC dc = platform::gdi::CreateSurfaceDC(t);
  HFONT f = Arial(30);
  SelectObject(dc, f);
  SetBkColor(dc, RGB(0, 0, 255));
  for (int x : {-25, -5, 10, 25, 29})
    for (int y : {-25, -10, 5, 15}) TextOutA(dc, x, y, "Wg", 2);
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 40; ++x) {
      bool target = y >= 1 && y < 21 && x < 30;
      if (!target) {
        ASSERT_EQ(mem[static_cast<size_t>(y) * 40 + x], kPaper) << x << "," << y;
      }
    }
  platform::gdi::ReleaseSurfaceDC(dc);
  DeleteObject(f);
}

TEST_F(GdiText, BoldIsWiderThanRegular) {
  Canvas32 c(8, 8);
  HFONT regular = Arial(16), bold = Arial(16, FW_BOLD);
  SIZE r{}, b{};
  SelectObject(c.dc, regular);
  GetTextExtentPoint32A(c.dc, "Rallex", 6, &r);
  SelectObject(c.dc, bold);
  GetTextExtentPoint32A(c.dc, "Rallex", 6, &b);
  EXPECT_GT(b.cx, r.cx);
  EXPECT_EQ(b.cy, r.cy);
  DeleteObject(regular);
  DeleteObject(bold);
}

TEST_F(GdiText, FacesWithoutABoldAreEmboldened) {
  // A family with a regular face only (a maths face: its cell is much taller
  // than its em, hence the em height); where it is not installed, the matcher
  // finds another family and there is nothing to check.
  const char* face = "DejaVu Math TeX Gyre";
  Canvas32 c(200, 120);
  auto font = [&](int weight) {
    return CreateFontA(-16, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, face);
  };
  HFONT regular = font(FW_NORMAL), bold = font(FW_BOLD);
  SelectObject(c.dc, regular);
  char found[64] = {};
  GetTextFaceA(c.dc, sizeof found, found);
  if (std::string(found) != face) GTEST_SKIP() << face << " is not installed";
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, RGB(255, 255, 255));
  SIZE r{}, b{};
  GetTextExtentPoint32A(c.dc, "MHMH", 4, &r);
  TextOutA(c.dc, 0, 0, "MHMH", 4);
  int regularInk = c.Count(0xFFFFFF);
  SelectObject(c.dc, bold);
  GetTextExtentPoint32A(c.dc, "MHMH", 4, &b);
  TextOutA(c.dc, 0, 60, "MHMH", 4);
  int boldInk = c.Count(0xFFFFFF) - regularInk;
  EXPECT_EQ(b.cx, r.cx + 4);  // one more pixel of advance a character
  EXPECT_GT(boldInk, regularInk + 20);  // every stem one pixel wider
  DeleteObject(regular);
  DeleteObject(bold);
}

TEST_F(GdiText, ExtentIsTheSumOfAdvances) {
  Canvas32 c(8, 8);
  HFONT f = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, NONANTIALIASED_QUALITY, 0, "Courier");
  SelectObject(c.dc, f);
  SIZE one{}, five{}, none{};
  GetTextExtentPoint32A(c.dc, "i", 1, &one);
  GetTextExtentPoint32A(c.dc, "iMiWi", 5, &five);
  GetTextExtentPoint32A(c.dc, "", 0, &none);
  EXPECT_EQ(five.cx, 5 * one.cx);  // a fixed-pitch face
  EXPECT_EQ(none.cx, 0);
  EXPECT_EQ(none.cy, 12);
  DeleteObject(f);
}

TEST_F(GdiText, DrawTextWrapsAtSpacesAndReportsTheHeight) {
  Canvas32 c(200, 200);
  HFONT f = Arial(14);
  SelectObject(c.dc, f);
  SIZE word{};
  GetTextExtentPoint32A(c.dc, "alpha beta", 10, &word);
  // A box that holds "alpha beta" but not one more word.
  RECT box{10, 10, 10 + word.cx + 2, 190};
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, RGB(255, 255, 255));
  int h = DrawTextA(c.dc, "alpha beta alpha beta", -1, &box, DT_WORDBREAK);
  EXPECT_EQ(h, 2 * 14);
  RECT ink = c.BoxOf(0xFFFFFF);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, box.right);
  EXPECT_GT(ink.bottom, 10 + 14);  // a second line
  EXPECT_LE(ink.bottom, 10 + 28);

  RECT calc{0, 0, word.cx + 2, 0};
  EXPECT_EQ(DrawTextA(c.dc, "alpha beta alpha beta", -1, &calc, DT_WORDBREAK | DT_CALCRECT), 28);
  EXPECT_EQ(calc.bottom, 28);
  EXPECT_LE(calc.right, word.cx + 2);
  // A word wider than the box keeps its own line; line breaks start new lines.
  RECT narrow{0, 0, 5, 0};
  EXPECT_EQ(DrawTextA(c.dc, "wide words\nhere", -1, &narrow, DT_WORDBREAK | DT_CALCRECT), 3 * 14);
  RECT single{0, 0, 5, 0};
  EXPECT_EQ(DrawTextA(c.dc, "wide words\nhere", -1, &single, DT_SINGLELINE | DT_CALCRECT), 14);
  DeleteObject(f);
}

TEST_F(GdiText, DrawTextCentresAndClipsToItsRectangle) {
  Canvas32 c(100, 30);
  HFONT f = Arial(14);
  SelectObject(c.dc, f);
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, RGB(255, 255, 255));
  SIZE ext{};
  GetTextExtentPoint32A(c.dc, "mid", 3, &ext);
  RECT box{0, 0, 100, 30};
  DrawTextA(c.dc, "mid", 3, &box, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  RECT ink = c.BoxOf(0xFFFFFF);
  int centre = (ink.left + ink.right) / 2;
  EXPECT_NEAR(centre, 50, 2);
  // Text longer than its rectangle stays inside it.
  Canvas32 d(100, 30);
  SelectObject(d.dc, f);
  SetTextColor(d.dc, RGB(255, 255, 255));
  RECT small{20, 5, 40, 12};
  DrawTextA(d.dc, "MMMMMMMM", -1, &small, DT_LEFT);
  RECT box2 = d.BoxOf(0xFFFFFF);
  EXPECT_GE(box2.left, 20);
  EXPECT_LE(box2.right, 40);
  EXPECT_GE(box2.top, 5);
  EXPECT_LE(box2.bottom, 12);
  DeleteObject(f);
}

TEST_F(GdiText, TextInEveryPixelFormatUsesOnlyTheTwoColours) {
  for (int bits : {8, 16, 24, 32}) {
    std::vector<uint8_t> mem(60 * 20 * 4, 0);
    platform::gdi::PixelTarget t;
    t.bits = mem.data();
    t.width = 60;
    t.height = 20;
    t.pitch = 60 * bits / 8;
    t.bitCount = bits;
    if (bits == 16) t.redMask = 0xF800, t.greenMask = 0x07E0, t.blueMask = 0x001F;
    HDC dc = platform::gdi::CreateSurfaceDC(t);
    HFONT f = Arial(14);
    SelectObject(dc, f);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(255, 0, 0));
    TextOutA(dc, 2, 2, "Ok", 2);
    std::set<uint32_t> seen;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 60; ++x) {
        uint32_t v = 0;
        std::memcpy(&v, mem.data() + y * t.pitch + x * bits / 8, bits / 8);
        seen.insert(v);
      }
    std::set<uint32_t> expected;
    switch (bits) {
      case 8: expected = {0u, 255u, 0xE0u}; break;  // default palette: white, red
      case 16: expected = {0u, 0xFFFFu, 0xF800u}; break;
      default: expected = {0u, 0xFFFFFFu, 0xFF0000u}; break;
    }
    EXPECT_EQ(seen, expected) << bits;
    platform::gdi::ReleaseSurfaceDC(dc);
    DeleteObject(f);
  }
}

}  // namespace
