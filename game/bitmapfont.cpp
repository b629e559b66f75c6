// SPDX-License-Identifier: MIT
#include "game/bitmapfont.h"

#include <algorithm>
#include <cstring>

#include "media/screen.h"

namespace {

constexpr DWORD kOpaque = DDBLTFAST_WAIT;
constexpr DWORD kKeyed = DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY;

constexpr int32_t kAlignCentre = 1;
constexpr int32_t kAlignRight = 3;

// Copies a face name into the font's own buffer, cut to fit. The source may be
// the buffer itself (a repaint with the current name).
void CopyFaceName(char (&field)[BitmapFont::kFaceNameSize], const char* name) {
  if (!name) name = "";
  if (name == field) return;
  size_t length = strnlen(name, BitmapFont::kFaceNameSize - 1);
  memmove(field, name, length);
  field[length] = 0;
}

}  // namespace

BitmapFont::BitmapFont(Screen* screen, const char* faceName, int32_t height, COLORREF textColor, DWORD colorKey,
                       COLORREF backgroundColor, int32_t weight) {
  BuildAtlas(screen, faceName, height, textColor, colorKey, backgroundColor, weight, DriverChoice);
}

BitmapFont::BitmapFont(Screen* screen) : BitmapFont(screen, "Courier", 12, 0xFFFFFF, 0, 0, 400) {}

BitmapFont::~BitmapFont() {
  delete atlas;
  atlas = nullptr;
}

void BitmapFont::BuildAtlas(Screen* screen, const char* faceName, int32_t height, COLORREF textColor,
                            DWORD colorKey, COLORREF backgroundColor, int32_t weight,
                            MemoryType memoryPlacement) {
  this->screen = screen;
  CopyFaceName(this->faceName, faceName);
  fontHeight = height;
  this->textColor = textColor;
  this->colorKey = colorKey;
  this->backgroundColor = backgroundColor;
  fontWeight = weight;
  this->memoryPlacement = memoryPlacement;

  delete atlas;
  atlas = nullptr;
  for (Glyph& glyph : glyphs) glyph = Glyph{};
  if (!screen) return;

  // Measure every character on a small scratch surface.
  Surface scratch(screen, 100, 100, SystemMemory);
  scratch.MakeFont(this->faceName, 0, fontHeight, fontWeight);
  int32_t x = 0;
  int32_t y = 0;
  int32_t tallest = 0;
  for (int code = 0; code < kGlyphCount; ++code) {
    char character = static_cast<char>(code);
    SIZE size{0, 0};
    HDC dc = scratch.GetDC();
    scratch.SelectFont();
    GetTextExtentPoint32A(dc, &character, 1, &size);
    scratch.ReleaseDC();
    int32_t w = size.cx;
    int32_t h = size.cy;
    if (x + w > kRowLimit) {
      x = 0;
      y += h;
    }
    glyphs[code] = Glyph{x, y, x + w, y + h, w, h};
    x += w;
    tallest = std::max(tallest, h);
  }

  // The top of the last row, the requested height and five spare rows. A face
  // that measures taller than the requested height (a negative height asks for
  // the character height, which is smaller than the cell) gets the room its
  // cells need.
  int32_t atlasHeight = y + std::max(fontHeight, tallest) + 5;
  atlas = new Surface(screen, kAtlasWidth, atlasHeight, memoryPlacement);
  PaintAtlas();
}

HRESULT BitmapFont::PaintAtlas() {
  if (!atlas || !atlas->ddSurface) return DDERR_INVALIDOBJECT;
  atlas->MakeFont(faceName, 0, fontHeight, fontWeight);
  atlas->SetColorKey(colorKey);

  HDC dc = atlas->GetDC();
  atlas->SelectFont();
  SetBkMode(dc, OPAQUE);
  SetTextColor(dc, textColor);
  SetBkColor(dc, backgroundColor);
  for (int code = 0; code < kGlyphCount; ++code) {
    const Glyph& glyph = glyphs[code];
    char character = static_cast<char>(code);
    // Each glyph paints its own cell, background and ink, and nothing outside.
    HRGN cell = CreateRectRgn(glyph.left, glyph.top, glyph.right, glyph.bottom);
    SelectClipRgn(dc, cell);
    TextOutA(dc, glyph.left, glyph.top, &character, 1);
    DeleteObject(cell);
  }
  atlas->ReleaseDC();
  return atlas->SetColorKey(colorKey);
}

const Glyph& BitmapFont::GlyphOf(char character) const {
  auto code = static_cast<unsigned char>(character);
  // There are no glyphs above 127; such characters stand as a space.
  if (code >= kGlyphCount) code = ' ';
  return glyphs[code];
}

HRESULT BitmapFont::CopyGlyph(Surface* dest, int32_t x, int32_t y, const RECT& source, DWORD flags) {
  if (!atlas || !atlas->ddSurface || !dest || !dest->ddSurface) return DDERR_INVALIDOBJECT;
  RECT rect = source;
  HRESULT result = dest->ddSurface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), atlas->ddSurface,
                                            &rect, flags);
  // A lost atlas is brought back and repainted; this glyph is not copied again.
  if (result == DDERR_SURFACELOST) Restore();
  return result;
}

HRESULT BitmapFont::DrawPlain(int32_t x, int32_t y, const char* text, Surface* dest, int32_t limit,
                              DWORD flags) {
  HRESULT result = DD_OK;
  if (!text) return result;
  for (const char* p = text; *p; ++p) {
    if (limit-- == 0) break;
    const Glyph& glyph = GlyphOf(*p);
    result = CopyGlyph(dest, x, y, RECT{glyph.left, glyph.top, glyph.right, glyph.bottom}, flags);
    x += glyph.width;
  }
  return result;
}

HRESULT BitmapFont::DrawClipped(int32_t x, int32_t y, const char* text, Surface* dest, const RECT& clip,
                                int32_t limit, DWORD flags) {
  HRESULT result = DD_OK;
  if (!text || !dest) return result;
  for (const char* p = text; *p; ++p) {
    if (limit-- == 0) break;
    const Glyph& glyph = GlyphOf(*p);
    RECT source{glyph.left, glyph.top, glyph.right, glyph.bottom};
    int32_t cx = x;
    int32_t cy = y;
    dest->ClipToRect(cx, cy, source, clip);
    result = CopyGlyph(dest, cx, cy, source, flags);
    x += glyph.width;
  }
  return result;
}

HRESULT BitmapFont::DrawAligned(int32_t x, int32_t y, int32_t boxWidth, const char* text, Surface* dest,
                                int32_t alignment, DWORD flags) {
  if (alignment != kAlignCentre && alignment != kAlignRight) return DDERR_INVALIDPARAMS;
  if (!text) return DD_OK;
  int32_t textWidth = StringWidth(text);
  if (textWidth < boxWidth) {
    x += alignment == kAlignCentre ? (boxWidth - textWidth) / 2 : boxWidth - textWidth;
    return DrawPlain(x, y, text, dest, -1, flags);
  }
  // Too wide: drawn from x and cut after the last character that still fits.
  HRESULT result = DD_OK;
  int32_t used = 0;
  for (const char* p = text; *p; ++p) {
    const Glyph& glyph = GlyphOf(*p);
    used += glyph.width;
    if (used > boxWidth) break;
    result = CopyGlyph(dest, x, y, RECT{glyph.left, glyph.top, glyph.right, glyph.bottom}, flags);
    x += glyph.width;
  }
  return result;
}

HRESULT BitmapFont::DrawString(int32_t x, int32_t y, const char* text, Surface* dest, int32_t limit) {
  return DrawPlain(x, y, text, dest, limit, kOpaque);
}

HRESULT BitmapFont::DrawStringKeyed(int32_t x, int32_t y, const char* text, Surface* dest, int32_t limit) {
  return DrawPlain(x, y, text, dest, limit, kKeyed);
}

HRESULT BitmapFont::DrawStringClipped(int32_t x, int32_t y, const char* text, Surface* dest, const RECT& clip,
                                      int32_t limit) {
  return DrawClipped(x, y, text, dest, clip, limit, kOpaque);
}

HRESULT BitmapFont::DrawStringKeyedClipped(int32_t x, int32_t y, const char* text, Surface* dest,
                                           const RECT& clip, int32_t limit) {
  return DrawClipped(x, y, text, dest, clip, limit, kKeyed);
}

HRESULT BitmapFont::DrawStringAligned(int32_t x, int32_t y, int32_t boxWidth, const char* text, Surface* dest,
                                      int32_t alignment) {
  return DrawAligned(x, y, boxWidth, text, dest, alignment, kOpaque);
}

HRESULT BitmapFont::DrawStringKeyedAligned(int32_t x, int32_t y, int32_t boxWidth, const char* text,
                                           Surface* dest, int32_t alignment) {
  return DrawAligned(x, y, boxWidth, text, dest, alignment, kKeyed);
}

int32_t BitmapFont::StringWidth(const char* text) const {
  int32_t width = 0;
  if (!text) return width;
  for (const char* p = text; *p; ++p) width += GlyphOf(*p).width;
  return width;
}

int32_t BitmapFont::GlyphWidth(char character) const { return GlyphOf(character).width; }

int32_t BitmapFont::GlyphHeight(char character) const { return GlyphOf(character).height; }

void BitmapFont::ChangeFont(const char* faceName, int32_t height, COLORREF textColor, int32_t weight) {
  BuildAtlas(screen, faceName, height, textColor, colorKey, backgroundColor, weight, DriverChoice);
}

HRESULT BitmapFont::ChangeTextColor(COLORREF color) {
  textColor = color;
  return PaintAtlas();
}

HRESULT BitmapFont::ChangeBackgroundColor(COLORREF color) {
  backgroundColor = color;
  return PaintAtlas();
}

HRESULT BitmapFont::ChangeColorKey(DWORD value) {
  colorKey = value;
  if (!atlas) return DDERR_INVALIDOBJECT;
  return atlas->SetColorKey(value);
}

HRESULT BitmapFont::Restore() {
  if (!atlas || !atlas->ddSurface) return DDERR_INVALIDOBJECT;
  atlas->Restore();
  return PaintAtlas();
}
