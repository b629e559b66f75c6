// SPDX-License-Identifier: MIT
// The bitmap font: atlas layout, string drawing with limits, clipping and
// alignment, colour changes, and recovery of a lost atlas, on the headless
// backend in 32 bits per pixel (so pixels compare as plain colours).
#include "game/bitmapfont.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "media/screen.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace {

namespace headless = platform::headless;

constexpr DWORD kPaper = 0x203040;  // raw 32-bit pixel of the destinations

class BitmapFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Reset();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "FontTest";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "FontTest", "font test", WS_VISIBLE | WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                             nullptr, nullptr);
    screen = new Screen(window, 640, 480, 32, 0);
    ASSERT_NE(screen->GetBack(), nullptr);
  }
  void TearDown() override { delete screen; }

  // A fresh destination filled with kPaper.
  Surface* Paper(int width = 400, int height = 40) {
    papers.emplace_back(new Surface(screen, width, height, SystemMemory));
    papers.back()->Fill(kPaper);
    return papers.back().get();
  }

  static std::vector<uint32_t> Pixels(Surface* s) {
    std::vector<uint32_t> out;
    if (s->Lock() != DD_OK) return out;
    for (int y = 0; y < s->Height; ++y)
      for (int x = 0; x < s->Width; ++x)
        out.push_back(*reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->SurfaceDesc.lpSurface) +
                                                   y * s->SurfaceDesc.lPitch + x * 4) &
                      0xFFFFFF);
    s->Unlock();
    return out;
  }
  static int Changed(Surface* s) {
    int n = 0;
    for (uint32_t p : Pixels(s)) n += p != kPaper;
    return n;
  }

  HWND window = nullptr;
  Screen* screen = nullptr;
  std::vector<std::unique_ptr<Surface>> papers;
};

TEST_F(BitmapFontTest, AtlasLayoutWrapsRowsBefore310) {
  BitmapFont font(screen, "Arial", 14, RGB(255, 255, 255), 0, 0, 400);
  ASSERT_NE(font.atlas, nullptr);
  EXPECT_EQ(font.atlas->Width, 320);

  // Measure independently with GDI and replay the layout rule.
  Surface scratch(screen, 100, 100, SystemMemory);
  scratch.MakeFont("Arial", 0, 14, 400);
  int32_t x = 0, y = 0, wraps = 0;
  for (int c = 0; c < 128; ++c) {
    char ch = static_cast<char>(c);
    SIZE size{};
    HDC dc = scratch.GetDC();
    scratch.SelectFont();
    GetTextExtentPoint32A(dc, &ch, 1, &size);
    scratch.ReleaseDC();
    if (x + size.cx > 309) {
      EXPECT_GT(x + size.cx, 309);
      x = 0;
      y += size.cy;
      ++wraps;
    }
    const Glyph& g = font.glyphs[c];
    ASSERT_EQ(g.left, x) << c;
    ASSERT_EQ(g.top, y) << c;
    ASSERT_EQ(g.width, size.cx) << c;
    ASSERT_EQ(g.height, size.cy) << c;
    ASSERT_EQ(g.right, x + size.cx) << c;
    ASSERT_EQ(g.bottom, y + size.cy) << c;
    ASSERT_LT(g.right, 310) << "no cell reaches pixel 310";
    x += size.cx;
  }
  EXPECT_GE(wraps, 2) << "128 glyphs of Arial 14 take several rows";
  EXPECT_EQ(font.atlas->Height, y + 14 + 5);
  EXPECT_GT(font.GlyphWidth('W'), font.GlyphWidth('i'));
  EXPECT_EQ(font.GlyphHeight('A'), font.glyphs[size_t{'A'}].height);
}

TEST_F(BitmapFontTest, CharacterLimits) {
  BitmapFont font(screen, "Arial", 14, RGB(255, 255, 255), 0, 0, 400);
  char text[32];
  snprintf(text, sizeof text, "Your Score: %d", 7);

  Surface* none = Paper();
  EXPECT_EQ(font.DrawString(5, 5, text, none, 0), DD_OK);
  EXPECT_EQ(Changed(none), 0) << "limit 0 draws nothing";

  Surface* three = Paper();
  Surface* you = Paper();
  EXPECT_EQ(font.DrawString(5, 5, text, three, 3), DD_OK);
  EXPECT_EQ(font.DrawString(5, 5, "You", you, -1), DD_OK);
  EXPECT_GT(Changed(three), 0);
  EXPECT_EQ(Pixels(three), Pixels(you)) << "limit 3 draws the first three characters";

  Surface* whole = Paper();
  Surface* longLimit = Paper();
  font.DrawString(5, 5, text, whole, -1);
  font.DrawString(5, 5, text, longLimit, 1000);
  EXPECT_EQ(Pixels(whole), Pixels(longLimit));
  EXPECT_NE(Pixels(whole), Pixels(three));
}

TEST_F(BitmapFontTest, OpaqueDrawsCellsKeyedDrawsOnlyInk) {
  BitmapFont font(screen, "Arial", 14, RGB(255, 255, 0), 0, 0, 400);
  Surface* opaque = Paper();
  Surface* keyed = Paper();
  font.DrawString(0, 0, "Hi", opaque, -1);
  font.DrawStringKeyed(0, 0, "Hi", keyed, -1);
  int width = font.StringWidth("Hi");
  int height = font.GlyphHeight('H');
  auto o = Pixels(opaque);
  auto k = Pixels(keyed);
  int ink = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t op = o[y * 400 + x], kp = k[y * 400 + x];
      ASSERT_TRUE(op == 0 || op == 0xFFFF00) << "opaque cell is background or ink";
      ASSERT_EQ(kp, op == 0 ? kPaper : 0xFFFF00u) << "keyed shows the paper through the background";
      ink += op == 0xFFFF00;
    }
  }
  EXPECT_GT(ink, 10);
  EXPECT_EQ(o[0 * 400 + width], kPaper) << "nothing right of the text";
}

TEST_F(BitmapFontTest, AlignmentsCentreAndRight) {
  BitmapFont font(screen, "Arial", 14, RGB(255, 255, 255), 0, 0, 400);
  const char* text = "Score";
  int w = font.StringWidth(text);
  ASSERT_GT(w, 0);

  auto same = [&](int32_t boxWidth, int32_t alignment, int32_t expectX, const char* expectText) {
    Surface* got = Paper();
    Surface* want = Paper();
    font.DrawStringAligned(10, 5, boxWidth, text, got, alignment);
    font.DrawString(expectX, 5, expectText, want, -1);
    return Pixels(got) == Pixels(want);
  };
  // Narrower than the box.
  EXPECT_TRUE(same(w + 41, 1, 10 + 20, text)) << "odd spare width: (41) / 2 = 20";
  EXPECT_TRUE(same(w + 40, 1, 10 + 20, text));
  EXPECT_TRUE(same(w + 41, 3, 10 + 41, text));
  // As wide as the box: drawn whole from x under both alignments.
  EXPECT_TRUE(same(w, 1, 10, text));
  EXPECT_TRUE(same(w, 3, 10, text));
  // Wider: cut after the last character that still fits.
  int fits = font.StringWidth("Sco");
  EXPECT_TRUE(same(fits, 1, 10, "Sco"));
  EXPECT_TRUE(same(fits + font.GlyphWidth('r') - 1, 3, 10, "Sco"));
  EXPECT_TRUE(same(0, 1, 10, ""));

  Surface* other = Paper();
  EXPECT_EQ(font.DrawStringAligned(10, 5, 300, text, other, 2), DDERR_INVALIDPARAMS);
  EXPECT_EQ(font.DrawStringKeyedAligned(10, 5, 300, text, other, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(Changed(other), 0);
}

TEST_F(BitmapFontTest, ClippedDrawingTrimsEveryGlyph) {
  BitmapFont font(screen, "Arial", 14, RGB(255, 255, 255), 0, 0, 400);
  Surface* full = Paper();
  Surface* clipped = Paper();
  font.DrawString(10, 5, "WWWW", full, -1);
  RECT clip{20, 8, 40, 15};
  font.DrawStringClipped(10, 5, "WWWW", clipped, clip, -1);
  auto f = Pixels(full);
  auto c = Pixels(clipped);
  int inside = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 400; ++x) {
      bool in = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
      if (in) {
        ASSERT_EQ(c[y * 400 + x], f[y * 400 + x]) << x << "," << y;
        inside += f[y * 400 + x] != kPaper;
      } else {
        ASSERT_EQ(c[y * 400 + x], kPaper) << x << "," << y;
      }
    }
  }
  EXPECT_GT(inside, 0);
}

TEST_F(BitmapFontTest, HighCharactersDrawAsSpaces) {
  BitmapFont font(screen, "Arial", 14, RGB(255, 255, 255), 0, 0, 400);
  EXPECT_EQ(font.GlyphWidth(static_cast<char>(0xC9)), font.GlyphWidth(' '));
  EXPECT_EQ(font.StringWidth("a\xC9\xFF"
                             "b"),
            font.StringWidth("a  b"));
  Surface* high = Paper();
  Surface* spaces = Paper();
  font.DrawString(0, 0, "a\x80\xFF"
                        "b",
                  high, -1);
  font.DrawString(0, 0, "a  b", spaces, -1);
  EXPECT_EQ(Pixels(high), Pixels(spaces));
}

TEST_F(BitmapFontTest, ChangesRepaintOrMeasureAgain) {
  char name[16] = "Arial";
  BitmapFont font(screen, name, 14, RGB(255, 255, 255), 0, 0, 400);
  strcpy(name, "garbage");  // the font kept its own copy
  EXPECT_STREQ(font.faceName, "Arial");

  Glyph before[128];
  memcpy(before, font.glyphs, sizeof before);
  Surface* white = Paper();
  font.DrawString(0, 0, "Ab", white, -1);

  EXPECT_EQ(font.ChangeTextColor(RGB(255, 0, 0)), DD_OK);
  EXPECT_EQ(font.ChangeBackgroundColor(RGB(0, 0, 255)), DD_OK);
  EXPECT_EQ(memcmp(before, font.glyphs, sizeof before), 0) << "the layout stays";
  Surface* red = Paper();
  font.DrawString(0, 0, "Ab", red, -1);
  auto w = Pixels(white);
  auto r = Pixels(red);
  for (size_t i = 0; i < w.size(); ++i) {
    if (w[i] == 0xFFFFFF) {
      ASSERT_EQ(r[i], 0xFF0000u) << "same ink, new colour";
    }
    if (w[i] == 0) {
      ASSERT_EQ(r[i], 0x0000FFu) << "same cell, new background";
    }
  }

  EXPECT_EQ(font.ChangeColorKey(0x0000FF), DD_OK);
  Surface* keyed = Paper();
  font.DrawStringKeyed(0, 0, "Ab", keyed, -1);
  for (uint32_t p : Pixels(keyed)) ASSERT_TRUE(p == kPaper || p == 0xFF0000) << std::hex << p;

  font.ChangeFont("Arial", 24, RGB(255, 255, 255), 700);
  EXPECT_GT(font.GlyphHeight('A'), before[size_t{'A'}].height) << "measured again";
  EXPECT_EQ(font.colorKey, 0x0000FFu) << "the colour key is kept";
  EXPECT_EQ(font.backgroundColor, RGB(0, 0, 255));
  EXPECT_EQ(font.atlas->Width, 320);

  font.ChangeFont(font.faceName, 12, RGB(255, 255, 255), 400);  // its own name
  EXPECT_STREQ(font.faceName, "Arial");
}

TEST_F(BitmapFontTest, LostAtlasIsRestoredAndRepainted) {
  BitmapFont font(screen, "Arial", 14, RGB(255, 255, 255), 0, 0, 400);
  Surface* before = Paper();
  font.DrawString(3, 3, "Lost?", before, -1);

  Surface* dest = Paper();
  headless::LoseAllSurfaces();
  dest->Restore();
  dest->Fill(kPaper);
  // The first glyph meets the lost atlas: restored and repainted, not copied.
  EXPECT_EQ(font.DrawString(3, 3, "X", dest, -1), DDERR_SURFACELOST);
  EXPECT_EQ(Changed(dest), 0);
  EXPECT_EQ(font.atlas->ddSurface->IsLost(), DD_OK);
  EXPECT_EQ(font.DrawString(3, 3, "Lost?", dest, -1), DD_OK);
  EXPECT_EQ(Pixels(dest), Pixels(before));
}

}  // namespace
