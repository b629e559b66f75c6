// SPDX-License-Identifier: MIT
// Fonts: face names matched to font files by the backend (fontconfig on the
// desktop, the page's own faces in the browser), glyphs rendered monochrome by
// FreeType, sizes in GDI's convention (a positive height is the cell height,
// ascent plus descent; a negative one is the em height).
#include "gdi/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "backend/backend.h"
#include "gdi/gdi_internal.h"

namespace platform::gdi {
namespace {

// Sizes beyond this many pixels an em are drawn at this size: it keeps a
// mistaken height from asking for glyph bitmaps of gigabytes.
constexpr int kMaxPixelsPerEm = 1024;
// A height of 0 asks for the default size.
constexpr int kDefaultCellHeight = 16;

// Windows code page 1252 from 0x80 to 0x9F; the rest of the byte range is Latin-1.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
    return lib;
  }();
  return library;
}

// One FreeType face per font file, opened once and kept for the whole run.
FT_Face FaceOf(const std::string& file, int index) {
  static std::map<std::pair<std::string, int>, FT_Face> faces;
  auto key = std::make_pair(file, index);
  auto it = faces.find(key);
  if (it != faces.end()) return it->second;
  FT_Face face = nullptr;
  if (!Library() || FT_New_Face(Library(), file.c_str(), index, &face) != 0) face = nullptr;
  if (face && !FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    face = nullptr;
  }
  faces[key] = face;
  return face;
}

struct Match {
  std::string file;
  int index = 0;
  std::string family;
  bool found = false;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The family asked for when the face name is empty, by pitch and family.
const char* GenericFamily(BYTE pitchAndFamily) {
  if ((pitchAndFamily & 0x03) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN) return "Courier New";
  if ((pitchAndFamily & 0xF0) == FF_ROMAN) return "Times New Roman";
  return "Arial";
}

// The metric-compatible faces the project depends on, asked for first for the
// platform's core face names, so that the match does not change with other
// clones installed beside them (URW's, for one, also claims Courier).
const char* MetricCompatibleFace(const std::string& lowerName) {
  static const std::map<std::string, const char*> faces = {
      {"arial", "Liberation Sans"},          {"helvetica", "Liberation Sans"},
      {"courier", "Liberation Mono"},        {"courier new", "Liberation Mono"},
      {"times", "Liberation Serif"},         {"times new roman", "Liberation Serif"},
  };
  auto it = faces.find(lowerName);
  return it == faces.end() ? nullptr : it->second;
}

// The generic family a request falls back on, by pitch and family.
const char* GenericName(BYTE pitchAndFamily) {
  if ((pitchAndFamily & 0x03) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN) return "monospace";
  if ((pitchAndFamily & 0xF0) == FF_ROMAN) return "serif";
  return "sans";
}

Match FindFace(const std::string& name, int weight, bool italic, BYTE pitchAndFamily) {
  static std::map<std::tuple<std::string, int, bool, BYTE>, Match> cache;
  auto key = std::make_tuple(Lower(name), weight, italic, pitchAndFamily);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;

  backend::FontQuery query;
  query.family = name.empty() ? GenericFamily(pitchAndFamily) : name;
  if (const char* face = MetricCompatibleFace(Lower(query.family))) query.preferred = face;
  query.generic = GenericName(pitchAndFamily);
  query.weight = weight;
  query.italic = italic;
  backend::FontFile file = backend::FindFont(query);
  Match match;
  match.found = !file.path.empty();
  match.file = file.path;
  match.index = file.index;
  match.family = file.family;
  cache[key] = match;
  return match;
}

int RoundDiv(int64_t a, int64_t b) { return static_cast<int>((a * 2 + b) / (b * 2)); }

class FreeTypeFont : public FontInstance {
 public:
  FreeTypeFont(FT_Face face, const Match& match, const LOGFONTA& lf) : face_(face) {
    FontMetrics& m = metrics_;
    int weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : static_cast<int>(lf.lfWeight);
    // Whether the face itself is bold or italic is read from the font file:
    // fontconfig reports the weight and slant it was asked for when it plans
    // to synthesise them, which it leaves to the renderer.
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    bool faceBold = (face->style_flags & FT_STYLE_FLAG_BOLD) || (os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600);
    bool faceItalic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    embolden_ = weight >= FW_SEMIBOLD && !faceBold;
    oblique_ = lf.lfItalic && !faceItalic;

    // The cell is built from the OS/2 table's Windows ascent and descent, as GDI
    // does; fonts without one fall back to the horizontal header.
    int upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    int winAscent = face->ascender, winDescent = -face->descender;
    int avgWidth = upem / 2;
    int underlinePos = face->underline_position, underlineThick = face->underline_thickness;
    int strikePos = upem * 26 / 100;
    if (os2 && os2->version != 0xFFFF) {
      if (os2->usWinAscent + os2->usWinDescent > 0) {
        winAscent = os2->usWinAscent;
        winDescent = os2->usWinDescent;
      }
      if (os2->xAvgCharWidth > 0) avgWidth = os2->xAvgCharWidth;
      if (os2->yStrikeoutPosition > 0) strikePos = os2->yStrikeoutPosition;
    }
    if (winAscent <= 0) winAscent = upem * 4 / 5;
    if (winDescent < 0) winDescent = 0;
    int total = winAscent + winDescent;

    int height = lf.lfHeight == 0 ? kDefaultCellHeight : lf.lfHeight;
    if (height > 0) {
      height = std::min(height, kMaxPixelsPerEm * 2);
      ppemY_ = std::clamp(RoundDiv(static_cast<int64_t>(height) * upem, total), 1, kMaxPixelsPerEm);
      m.height = height;
      m.ascent = RoundDiv(static_cast<int64_t>(height) * winAscent, total);
      m.descent = height - m.ascent;
    } else {
      ppemY_ = std::clamp(-height, 1, kMaxPixelsPerEm);
      // The ascent rounds up so that accents at the top of the em stay in the cell.
      m.ascent = static_cast<int>((static_cast<int64_t>(ppemY_) * winAscent + upem - 1) / upem);
      m.descent = RoundDiv(static_cast<int64_t>(ppemY_) * winDescent, upem);
      m.height = m.ascent + m.descent;
    }
    ppemX_ = ppemY_;
    if (lf.lfWidth != 0) {
      int64_t w = std::min<int64_t>(std::llabs(static_cast<int64_t>(lf.lfWidth)), kMaxPixelsPerEm);
      ppemX_ = std::clamp(RoundDiv(w * upem, avgWidth), 1, kMaxPixelsPerEm);
    }
    m.internalLeading = std::max(0, m.height - ppemY_);
    m.weight = weight;
    m.italic = lf.lfItalic != 0;
    m.underline = lf.lfUnderline != 0;
    m.strikeOut = lf.lfStrikeOut != 0;
    m.charSet = lf.lfCharSet;
    m.family = match.family;
    m.pitchAndFamily = FT_IS_FIXED_WIDTH(face) ? static_cast<BYTE>(FF_MODERN) : static_cast<BYTE>(FF_SWISS | 1);
    m.underlineThickness = std::max(1, RoundDiv(static_cast<int64_t>(underlineThick) * ppemY_, upem));
    m.underlinePosition = std::max(1, RoundDiv(static_cast<int64_t>(-underlinePos) * ppemY_, upem));
    m.strikeOutPosition = std::max(1, RoundDiv(static_cast<int64_t>(strikePos) * ppemY_, upem));
    m.aveCharWidth = std::max(1, RoundDiv(static_cast<int64_t>(avgWidth) * ppemX_, upem));
    m.maxCharWidth = std::max(1, RoundDiv(static_cast<int64_t>(face->max_advance_width) * ppemX_, upem)) +
                     (embolden_ ? 1 : 0);
  }

  const Glyph& GlyphOf(unsigned char code) override {
    std::unique_ptr<Glyph>& slot = glyphs_[code];
    if (!slot) slot = Render(code);
    return *slot;
  }

 private:
  uint32_t CodePoint(unsigned char code) const {
    if (metrics_.charSet == SYMBOL_CHARSET) {
      // Symbol fonts put their glyphs at U+F000 + code.
      if (FT_Get_Char_Index(face_, 0xF000u + code) != 0) return 0xF000u + code;
      return code;
    }
    if (code >= 0x80 && code < 0xA0) return kCp1252High[code - 0x80];
    return code;
  }

  std::unique_ptr<Glyph> Render(unsigned char code) {
    auto glyph = std::make_unique<Glyph>();
    if (FT_Set_Pixel_Sizes(face_, static_cast<FT_UInt>(ppemX_), static_cast<FT_UInt>(ppemY_)) != 0) return glyph;
    FT_UInt index = FT_Get_Char_Index(face_, CodePoint(code));
    if (FT_Load_Glyph(face_, index, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0) return glyph;
    FT_GlyphSlot slot = face_->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return glyph;
    FT_Pos advance = slot->advance.x;
    if (oblique_) {
      FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
      FT_Outline_Transform(&slot->outline, &shear);
    }
    if (embolden_) {
      // Synthetic bold: one more pixel of ink in every stem and of advance.
      FT_Outline_EmboldenXY(&slot->outline, 64, 0);
      advance += 64;
    }
    glyph->advance = static_cast<int32_t>((advance + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_MONO) return glyph;
    for (unsigned row = 0; row < bm.rows; ++row) {
      const unsigned char* bits = bm.buffer + static_cast<ptrdiff_t>(row) * bm.pitch;
      int y = static_cast<int>(row) - slot->bitmap_top;
      int start = -1;
      for (unsigned col = 0; col <= bm.width; ++col) {
        bool on = col < bm.width && (bits[col >> 3] & (0x80 >> (col & 7)));
        if (on && start < 0) start = static_cast<int>(col);
        if (!on && start >= 0) {
          glyph->runs.push_back({static_cast<int16_t>(y), static_cast<int16_t>(slot->bitmap_left + start),
                                 static_cast<int16_t>(slot->bitmap_left + static_cast<int>(col))});
          start = -1;
        }
      }
    }
    return glyph;
  }

  FT_Face face_;
  int ppemX_ = 0;
  int ppemY_ = 0;
  bool embolden_ = false;
  bool oblique_ = false;
  std::array<std::unique_ptr<Glyph>, 256> glyphs_;
};

using FontKey = std::tuple<std::string, LONG, LONG, LONG, BYTE, BYTE, BYTE, BYTE, BYTE>;

}  // namespace

int32_t FontInstance::Width(const char* text, size_t length) {
  int32_t width = 0;
  for (size_t i = 0; i < length; ++i) width += GlyphOf(static_cast<unsigned char>(text[i])).advance;
  return width;
}

std::shared_ptr<FontInstance> ResolveFont(const LOGFONTA& lf) {
  // Fonts are kept by what shapes them, so that making the same font again (as
  // callers do each time they repaint) finds its rendered glyphs.
  static std::map<FontKey, std::shared_ptr<FontInstance>> cache;
  char face[LF_FACESIZE + 1] = {};
  std::memcpy(face, lf.lfFaceName, LF_FACESIZE);
  LONG weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<LONG>(lf.lfWeight, 1, 1000);
  FontKey key{Lower(face),      lf.lfHeight,  lf.lfWidth,       weight,           lf.lfItalic != 0,
              lf.lfUnderline != 0, lf.lfStrikeOut != 0, lf.lfCharSet, lf.lfPitchAndFamily};
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;

  Match match = FindFace(face, weight, lf.lfItalic != 0, lf.lfPitchAndFamily);
  if (!match.found) return nullptr;
  FT_Face ftFace = FaceOf(match.file, match.index);
  if (!ftFace) return nullptr;
  LOGFONTA normalised = lf;
  normalised.lfWeight = weight;
  auto font = std::make_shared<FreeTypeFont>(ftFace, match, normalised);
  if (cache.size() >= 128) {
    // Forget fonts that nobody holds any more.
    for (auto i = cache.begin(); i != cache.end();) i = i->second.use_count() == 1 ? cache.erase(i) : std::next(i);
  }
  cache[key] = font;
  return font;
}

std::shared_ptr<FontInstance> DefaultFontInstance(HDC__& dc) {
  if (!dc.fontInstance) {
    auto* font = static_cast<HFONT__*>(Lookup(StockFont(SYSTEM_FONT)));
    if (!font->instance) font->instance = ResolveFont(font->logFont);
    dc.fontInstance = font->instance;
  }
  return dc.fontInstance;
}

}  // namespace platform::gdi

using namespace platform::gdi;

HFONT CreateFontIndirectA(const LOGFONTA* logFont) {
  if (!logFont) return nullptr;
  auto* font = new HFONT__;
  font->logFont = *logFont;
  font->logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
  Register(font, font);
  return font;
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic ? 1 : 0);
  lf.lfUnderline = static_cast<BYTE>(underline ? 1 : 0);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut ? 1 : 0);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}
