// SPDX-License-Identifier: MIT
// font: a bitmap font made from a GDI typeface. Each printable character is
// painted once, at start-up, into its own cell of an off-screen surface (the
// atlas); text is then drawn by copying cells with keyed fast copies, one a
// character, without GDI in the frame loop. That is how a game draws a lot of
// text each frame: the copies are cheap, GDI text is not.
//
// The atlas is 16 cells wide and 6 high (characters 32 to 126); its black
// background is the colour key, so only the ink is copied. A second atlas in
// another typeface and colour shows that a font is just a surface.
#include <cstring>

#include "example.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

class AtlasFont {
 public:
  // Paints the characters 32..126 of the typeface into the atlas.
  bool Make(Screen& screen, const char* face, int height, int weight, COLORREF ink) {
    cellHeight = height + 4;
    cellWidth = height + 4;  // room for the widest glyph
    if (!atlas.Create(&screen, cellWidth * 16, cellHeight * 6, SystemMemory)) return false;
    atlas.Fill(0);
    atlas.MakeFont(face, 0, height, weight);
    if (!atlas.GetDC()) return false;
    atlas.SelectFont();
    for (int c = 32; c < 127; ++c) {
      char text[2] = {static_cast<char>(c), 0};
      SIZE size{};
      GetTextExtentPoint32A(atlas.deviceContext, text, 1, &size);
      advance[c] = static_cast<int>(size.cx);
      atlas.DrawTextAt(CellLeft(c), CellTop(c), ink, text);
    }
    atlas.ReleaseDC();
    atlas.SetColorKey(0);
    return true;
  }

  // Draws text with its top-left corner at x, y; returns the width drawn.
  int Draw(Surface* target, int x, int y, const char* text) {
    int start = x;
    for (const char* p = text; *p; ++p) {
      int c = static_cast<unsigned char>(*p);
      if (c < 32 || c > 126) c = '?';
      RECT cell = {CellLeft(c), CellTop(c), CellLeft(c) + advance[c], CellTop(c) + cellHeight};
      atlas.DrawFastKeyedClipped(target, x, y, cell);
      x += advance[c];
    }
    return x - start;
  }

  int Measure(const char* text) const {
    int width = 0;
    for (const char* p = text; *p; ++p) {
      int c = static_cast<unsigned char>(*p);
      width += advance[c < 32 || c > 126 ? '?' : c];
    }
    return width;
  }

  Surface atlas;

 private:
  int CellLeft(int c) const { return (c - 32) % 16 * cellWidth; }
  int CellTop(int c) const { return (c - 32) / 16 * cellHeight; }
  int cellWidth = 0, cellHeight = 0;
  int advance[128] = {};
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = example::OpenWindow(instance, "Rallex example: bitmap font", kWidth, kHeight, false);
  Screen screen;
  if (!window || !screen.CreateWindowed(window, kWidth, kHeight)) return 1;
  AtlasFont plain, bold;
  if (!plain.Make(screen, "Arial", 18, 400, RGB(255, 255, 255)) ||
      !bold.Make(screen, "Courier", 24, 700, RGB(255, 200, 40))) {
    std::fprintf(stderr, "font: cannot make the atlases\n");
    return 1;
  }
  Surface* back = screen.GetBack();
  const DWORD backdrop = screen.ColorToPixel(RGB(20, 40, 70));
  const char* scroller = "Text drawn by copying glyph cells: one keyed fast copy a character.   ";
  for (int frame = 0; example::PumpMessages(); ++frame) {
    back->Fill(backdrop);
    // The atlas itself, as the program painted it.
    plain.atlas.DrawFastClipped(back, 20, 20, RECT{0, 0, plain.atlas.Width, plain.atlas.Height});
    bold.Draw(back, 20, 200, "Bitmap font");
    plain.Draw(back, 20, 240, "The quick brown fox jumps over the lazy dog.");
    plain.Draw(back, 20, 266, "0123456789 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~");
    // A line that scrolls two pixels a frame, cut by the window's edges.
    int x = kWidth - (frame * 2) % (plain.Measure(scroller) + kWidth);
    plain.Draw(back, x, 420, scroller);
    char counter[32];
    std::snprintf(counter, sizeof counter, "frame %d", frame);
    bold.Draw(back, 460, 360, counter);
    screen.Flip(1, 0, 0);
  }
  return 0;
}
