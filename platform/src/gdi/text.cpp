// SPDX-License-Identifier: MIT
// Text into device contexts: TextOutA, DrawTextA, measuring and metrics.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "gdi/font.h"
#include "gdi/gdi_internal.h"

namespace platform::gdi {
namespace {

FontInstance* FontOf(HDC__& dc) {
  if (dc.fontInstance) return dc.fontInstance.get();
  return DefaultFontInstance(dc).get();
}

size_t LengthOf(LPCSTR text, int length) {
  if (!text) return 0;
  if (length < 0) return std::strlen(text);
  return static_cast<size_t>(length);
}

RECT Intersect(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// Draws one line of text whose cell's top-left corner is (x, y), inside the
// canvas limits and the extra bound `within`: the cell in the background colour
// in opaque mode, then the ink of each glyph.
void DrawLine(HDC__& dc, Canvas& canvas, FontInstance& font, int32_t x, int32_t y, const char* text, size_t length,
              const RECT& within) {
  const FontMetrics& m = font.Metrics();
  RECT lim = Intersect(canvas.Limits(), within);
  if (lim.right <= lim.left || lim.bottom <= lim.top) return;
  int32_t width = font.Width(text, length);
  if (dc.bkMode == OPAQUE) {
    RECT cell = Intersect({x, y, x + width, y + m.height}, lim);
    uint32_t bk = canvas.RawOf(dc.bkColor);
    for (int32_t row = cell.top; row < cell.bottom; ++row) canvas.Span(cell.left, cell.right, row, bk);
  }
  uint32_t ink = canvas.RawOf(dc.textColor);
  int32_t baseline = y + m.ascent;
  int32_t pen = x;
  for (size_t i = 0; i < length; ++i) {
    const Glyph& g = font.GlyphOf(static_cast<unsigned char>(text[i]));
    for (const Glyph::Run& run : g.runs) {
      int32_t row = baseline + run.y;
      if (row < lim.top || row >= lim.bottom) continue;
      int32_t x0 = std::max(pen + run.x0, lim.left);
      int32_t x1 = std::min(pen + run.x1, lim.right);
      canvas.Span(x0, x1, row, ink);
    }
    pen += g.advance;
  }
  auto line = [&](int32_t row, int32_t thickness) {
    for (int32_t r = row; r < row + thickness; ++r) {
      if (r < lim.top || r >= lim.bottom) continue;
      canvas.Span(std::max(x, lim.left), std::min(x + width, lim.right), r, ink);
    }
  };
  if (m.underline) line(baseline + m.underlinePosition, m.underlineThickness);
  if (m.strikeOut) line(baseline - m.strikeOutPosition, m.underlineThickness);
}

constexpr RECT kEverywhere{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};

// One line of DrawTextA's layout: text with prefixes and tabs already resolved.
struct LaidLine {
  std::string text;
  int32_t width = 0;
};

// Turns "&x" into "x" and "&&" into "&", as menus and labels write access keys.
std::string StripPrefixes(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      if (i + 1 < s.size()) out += s[++i];
      continue;
    }
    out += s[i];
  }
  return out;
}

std::string ExpandTabs(const std::string& s, FontInstance& font, int tabChars) {
  if (s.find('\t') == std::string::npos) return s;
  // Tab stops every tabChars spaces.
  std::string out;
  int32_t space = std::max<int32_t>(1, font.GlyphOf(' ').advance);
  int32_t stop = space * tabChars;
  int32_t x = 0;
  for (char c : s) {
    if (c == '\t') {
      int32_t next = (x / stop + 1) * stop;
      while (x < next) {
        out += ' ';
        x += space;
      }
      continue;
    }
    out += c;
    x += font.GlyphOf(static_cast<unsigned char>(c)).advance;
  }
  return out;
}

// Breaks a paragraph into lines no wider than maxWidth where spaces allow. A
// word wider than the whole line stays alone on its line.
void WrapParagraph(const std::string& para, FontInstance& font, int32_t maxWidth, std::vector<LaidLine>& lines) {
  size_t pos = 0;
  bool any = false;
  while (pos < para.size() || !any) {
    any = true;
    // Take words while they fit.
    size_t lineStart = pos;
    size_t lineEnd = pos;  // end of the last word that fits
    size_t scan = pos;
    while (scan < para.size()) {
      size_t wordStart = scan;
      while (wordStart < para.size() && para[wordStart] == ' ') ++wordStart;
      size_t wordEnd = wordStart;
      while (wordEnd < para.size() && para[wordEnd] != ' ') ++wordEnd;
      if (wordEnd == wordStart) break;  // only spaces remain
      int32_t w = font.Width(para.data() + lineStart, wordEnd - lineStart);
      if (w > maxWidth && lineEnd > lineStart) break;
      lineEnd = wordEnd;
      scan = wordEnd;
      if (w > maxWidth) break;  // a lone word too wide for the line
    }
    if (lineEnd == lineStart) lineEnd = para.size();  // nothing but spaces
    std::string text = para.substr(lineStart, lineEnd - lineStart);
    lines.push_back({text, font.Width(text.data(), text.size())});
    pos = lineEnd;
    while (pos < para.size() && para[pos] == ' ') ++pos;  // spaces at a break vanish
  }
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  HDC__* d = LookupDC(dc);
  if (!d || (!text && length > 0) || length < 0) return FALSE;
  Canvas canvas(*d);
  FontInstance* font = FontOf(*d);
  if (!canvas.Drawable() || !font) return FALSE;
  size_t n = static_cast<size_t>(length);
  const FontMetrics& m = font->Metrics();
  UINT align = d->textAlign;
  if ((align & TA_CENTER) == TA_CENTER) {
    x -= font->Width(text, n) / 2;
  } else if (align & TA_RIGHT) {
    x -= font->Width(text, n);
  }
  if ((align & TA_BASELINE) == TA_BASELINE) {
    y -= m.ascent;
  } else if (align & TA_BOTTOM) {
    y -= m.height;
  }
  DrawLine(*d, canvas, *font, x, y, text, n, kEverywhere);
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size) {
  HDC__* d = LookupDC(dc);
  if (!d || !size || length < 0 || (!text && length > 0)) return FALSE;
  FontInstance* font = FontOf(*d);
  if (!font) return FALSE;
  size->cx = font->Width(text, static_cast<size_t>(length));
  size->cy = font->Metrics().height;
  return TRUE;
}

BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA tm) {
  HDC__* d = LookupDC(dc);
  if (!d || !tm) return FALSE;
  FontInstance* font = FontOf(*d);
  if (!font) return FALSE;
  const FontMetrics& m = font->Metrics();
  *tm = TEXTMETRICA{};
  tm->tmHeight = m.height;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = m.internalLeading;
  tm->tmExternalLeading = 0;
  tm->tmAveCharWidth = m.aveCharWidth;
  tm->tmMaxCharWidth = m.maxCharWidth;
  tm->tmWeight = m.weight;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = m.italic ? 1 : 0;
  tm->tmUnderlined = m.underline ? 1 : 0;
  tm->tmStruckOut = m.strikeOut ? 1 : 0;
  // Bit 0 set means variable pitch, bit 2 a vector (TrueType) font.
  tm->tmPitchAndFamily = static_cast<BYTE>((m.pitchAndFamily & 0xF0) | ((m.pitchAndFamily & 1) ? 1 : 0) | 0x06);
  tm->tmCharSet = m.charSet;
  return TRUE;
}

int GetTextFaceA(HDC dc, int size, LPSTR faceName) {
  HDC__* d = LookupDC(dc);
  if (!d) return 0;
  FontInstance* font = FontOf(*d);
  if (!font) return 0;
  const std::string& family = font->Metrics().family;
  if (!faceName) return static_cast<int>(family.size()) + 1;
  if (size <= 0) return 0;
  size_t n = std::min(family.size(), static_cast<size_t>(size - 1));
  std::memcpy(faceName, family.data(), n);
  faceName[n] = '\0';
  return static_cast<int>(n);
}

int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format) {
  HDC__* d = LookupDC(dc);
  if (!d || !rect) return 0;
  FontInstance* font = FontOf(*d);
  if (!font) return 0;
  size_t n = LengthOf(text, length);
  std::string all(text ? text : "", n);
  if (!(format & DT_NOPREFIX)) all = StripPrefixes(all);
  if (format & DT_EXPANDTABS) all = ExpandTabs(all, *font, (format & DT_TABSTOP) ? static_cast<int>((format >> 8) & 0xFF) : 8);

  const int32_t lineHeight = font->Metrics().height;
  const int32_t boxWidth = rect->right - rect->left;
  std::vector<LaidLine> lines;
  if (format & DT_SINGLELINE) {
    std::string one;
    for (char c : all)
      if (c != '\r' && c != '\n') one += c;
    lines.push_back({one, font->Width(one.data(), one.size())});
  } else {
    size_t start = 0;
    while (start <= all.size()) {
      size_t end = all.find_first_of("\r\n", start);
      if (end == std::string::npos) end = all.size();
      std::string para = all.substr(start, end - start);
      if (format & DT_WORDBREAK) {
        WrapParagraph(para, *font, boxWidth, lines);
      } else {
        lines.push_back({para, font->Width(para.data(), para.size())});
      }
      if (end >= all.size()) break;
      start = end + ((all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n') ? 2 : 1);
      if (start >= all.size()) break;  // a final line break opens no new line
    }
  }
  if (all.empty()) lines.clear();

  int32_t textHeight = lineHeight * static_cast<int32_t>(lines.size());
  int32_t top = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) {
      top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
    } else if (format & DT_BOTTOM) {
      top = rect->bottom - lineHeight;
    }
  }

  if (format & DT_CALCRECT) {
    int32_t widest = 0;
    for (const LaidLine& l : lines) widest = std::max(widest, l.width);
    rect->right = rect->left + widest;
    rect->bottom = rect->top + textHeight;
    return textHeight;
  }

  Canvas canvas(*d);
  if (canvas.Drawable()) {
    RECT bound = (format & DT_NOCLIP) ? kEverywhere : *rect;
    int32_t y = top;
    for (const LaidLine& l : lines) {
      int32_t x = rect->left;
      if (format & DT_CENTER) {
        x = rect->left + (boxWidth - l.width) / 2;
      } else if (format & DT_RIGHT) {
        x = rect->right - l.width;
      }
      DrawLine(*d, canvas, *font, x, y, l.text.data(), l.text.size(), bound);
      y += lineHeight;
    }
  }
  if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) return top - rect->top + textHeight;
  return textHeight;
}
