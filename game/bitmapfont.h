// SPDX-License-Identifier: MIT
// A bitmap font: a GDI typeface painted once into a glyph atlas (an off-screen
// Surface 320 pixels wide holding the character codes 0 to 127, each in its own
// cell), and text drawn by copying glyph rectangles from the atlas with the
// DirectDraw fast copy -- one copy per character, no GDI while drawing.
#pragma once

#include <cstdint>

#include "media/surface.h"
#include "platform/windows.h"

class Screen;

// One glyph's cell in the atlas. left, top, right, bottom form the source
// rectangle of its copy; width is also the advance.
struct Glyph {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t width = 0;
  int32_t height = 0;
};

class BitmapFont {
 public:
  static constexpr int kGlyphCount = 128;
  static constexpr int32_t kAtlasWidth = 320;
  // A glyph whose right edge would pass this x starts a new atlas row.
  static constexpr int32_t kRowLimit = 309;
  static constexpr int kFaceNameSize = 256;

  // Measures the glyphs of the typeface, makes the atlas and paints it.
  // textColor and backgroundColor are GDI colours (0x00BBGGRR); colorKey is a raw
  // pixel value of the atlas, transparent for the keyed draws.
  BitmapFont(Screen* screen, const char* faceName, int32_t height, COLORREF textColor, DWORD colorKey,
             COLORREF backgroundColor, int32_t weight);
  // "Courier" 12, white ink on black, colour key 0, normal weight.
  explicit BitmapFont(Screen* screen);
  ~BitmapFont();

  BitmapFont(const BitmapFont&) = delete;
  BitmapFont& operator=(const BitmapFont&) = delete;

  // Text drawing onto dest at (x, y); each returns the result of the last glyph
  // copy (DD_OK when no glyph was copied). limit: at most that many characters,
  // -1 for the whole text. Characters 128 to 255 draw as a space.
  HRESULT DrawString(int32_t x, int32_t y, const char* text, Surface* dest, int32_t limit);
  HRESULT DrawStringKeyed(int32_t x, int32_t y, const char* text, Surface* dest, int32_t limit);
  // As above with every glyph trimmed to clip.
  HRESULT DrawStringClipped(int32_t x, int32_t y, const char* text, Surface* dest, const RECT& clip,
                            int32_t limit);
  HRESULT DrawStringKeyedClipped(int32_t x, int32_t y, const char* text, Surface* dest, const RECT& clip,
                                 int32_t limit);
  // Centred (alignment 1) or right-aligned (3) in a box of boxWidth starting at
  // x; a text as wide as the box or wider starts at x and is cut at the right.
  // Any other alignment draws nothing and returns DDERR_INVALIDPARAMS.
  HRESULT DrawStringAligned(int32_t x, int32_t y, int32_t boxWidth, const char* text, Surface* dest,
                            int32_t alignment);
  HRESULT DrawStringKeyedAligned(int32_t x, int32_t y, int32_t boxWidth, const char* text, Surface* dest,
                                 int32_t alignment);

  // Measurement from the glyph table.
  int32_t StringWidth(const char* text) const;
  int32_t GlyphWidth(char character) const;
  int32_t GlyphHeight(char character) const;

  // Measures again and replaces the atlas (colour key and background kept).
  void ChangeFont(const char* faceName, int32_t height, COLORREF textColor, int32_t weight);
  // Repaint the atlas in place; the layout stays.
  HRESULT ChangeTextColor(COLORREF color);
  HRESULT ChangeBackgroundColor(COLORREF color);
  // Sets the atlas's colour key; no repaint.
  HRESULT ChangeColorKey(DWORD value);
  // Brings a lost atlas back and repaints it.
  HRESULT Restore();

  // The fields, in their order.
  Glyph glyphs[kGlyphCount];
  COLORREF textColor = 0;
  COLORREF backgroundColor = 0;
  DWORD colorKey = 0;
  int32_t fontHeight = 0;
  int32_t fontWeight = 0;
  char faceName[kFaceNameSize] = {};  // a private copy of the caller's name
  MemoryType memoryPlacement = DriverChoice;
  Surface* atlas = nullptr;  // owned
  Screen* screen = nullptr;  // not owned

 private:
  void BuildAtlas(Screen* screen, const char* faceName, int32_t height, COLORREF textColor, DWORD colorKey,
                  COLORREF backgroundColor, int32_t weight, MemoryType memoryPlacement);
  HRESULT PaintAtlas();
  const Glyph& GlyphOf(char character) const;
  HRESULT CopyGlyph(Surface* dest, int32_t x, int32_t y, const RECT& source, DWORD flags);
  HRESULT DrawPlain(int32_t x, int32_t y, const char* text, Surface* dest, int32_t limit, DWORD flags);
  HRESULT DrawClipped(int32_t x, int32_t y, const char* text, Surface* dest, const RECT& clip, int32_t limit,
                      DWORD flags);
  HRESULT DrawAligned(int32_t x, int32_t y, int32_t boxWidth, const char* text, Surface* dest,
                      int32_t alignment, DWORD flags);
};
