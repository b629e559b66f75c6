// SPDX-License-Identifier: MIT
// GDI's insides shared by its source files: the objects behind the handles, the
// device context, and a canvas that turns colours into a target's pixels.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gdi/bmp.h"
#include "gdi/surface_dc.h"
#include "pixel/codec.h"
#include "platform/wingdi.h"

namespace platform::gdi {

class FontInstance;  // a face at one size, with its glyph cache (font.cpp)

// Pixels owned by a bitmap object: 32 bits a pixel, 0xAARRGGBB (bytes blue,
// green, red, then the alpha of pictures that carry one, else 0), top row
// first, rows packed (pitch = width * 4). Copies use only the colour bytes. Shared so
// that a bitmap deleted while a memory DC still holds it stays valid until the
// DC lets it go.
struct BitmapPixels {
  int32_t width = 0;
  int32_t height = 0;
  PixelVector pixels;  // sized uncleared: see bmp.h
};

enum class ObjectKind { Font, Bitmap, Region, Brush, Pen, Palette };

struct GdiObject {
  explicit GdiObject(ObjectKind k) : kind(k) {}
  virtual ~GdiObject() = default;
  ObjectKind kind;
  bool stock = false;  // stock objects are never freed
};

// The object behind a handle, or null for a handle that is not a live GDI object.
GdiObject* Lookup(HGDIOBJ handle);
// Registers a new object and returns its handle value.
void Register(HGDIOBJ handle, GdiObject* object);

// The colour conversions of one pixel format. Masks come from the target; a
// channel's position is its lowest set bit and its depth the number of bits set.
using Channel = pixel::Channel;
struct Format {
  int bitCount = 32;
  Channel red, green, blue;
  static Format Of(const PixelTarget& target);
  // The raw pixel of an 8-bit-per-channel colour (direct formats only).
  uint32_t Pack(uint32_t r, uint32_t g, uint32_t b) const { return pack[r & 0xFF] | pack[256 + (g & 0xFF)] | pack[512 + (b & 0xFF)]; }
  // Pack of a 0x??RRGGBB colour.
  uint32_t PackRgb(uint32_t rgb) const { return pack[(rgb >> 16) & 0xFF] | pack[256 + ((rgb >> 8) & 0xFF)] | pack[512 + (rgb & 0xFF)]; }
  // The 0x00RRGGBB colour of a raw pixel (direct formats only).
  uint32_t Unpack(uint32_t raw) const;
  // Each channel's 256 values already shifted into place: red, green, blue.
  std::array<uint32_t, 768> pack{};
};

}  // namespace platform::gdi

struct HFONT__ : platform::gdi::GdiObject {
  HFONT__() : GdiObject(platform::gdi::ObjectKind::Font) {}
  LOGFONTA logFont{};
  std::shared_ptr<platform::gdi::FontInstance> instance;  // resolved when first drawn
};

struct HBITMAP__ : platform::gdi::GdiObject {
  HBITMAP__() : GdiObject(platform::gdi::ObjectKind::Bitmap) {}
  std::shared_ptr<platform::gdi::BitmapPixels> data;
  HDC selectedInto = nullptr;  // a bitmap lives in at most one memory DC
};

struct HRGN__ : platform::gdi::GdiObject {
  HRGN__() : GdiObject(platform::gdi::ObjectKind::Region) {}
  RECT rect{};  // normalised; empty when right <= left or bottom <= top
};

struct HBRUSH__ : platform::gdi::GdiObject {
  HBRUSH__() : GdiObject(platform::gdi::ObjectKind::Brush) {}
  COLORREF color = 0;
  bool hollow = false;
};

struct HPEN__ : platform::gdi::GdiObject {
  HPEN__() : GdiObject(platform::gdi::ObjectKind::Pen) {}
  COLORREF color = 0;
  bool hollow = false;
};

struct HPALETTE__ : platform::gdi::GdiObject {
  HPALETTE__() : GdiObject(platform::gdi::ObjectKind::Palette) {}
};

struct HDC__ {
  enum class Kind { Surface, Memory, Desktop };
  Kind kind = Kind::Surface;

  // Where drawing goes. A desktop DC has none (width 0): it answers questions
  // about the desktop but draws nothing.
  platform::gdi::PixelTarget target;
  platform::gdi::Format format;

  HFONT font = nullptr;  // the handle SelectObject hands back
  std::shared_ptr<platform::gdi::FontInstance> fontInstance;
  HBITMAP bitmap = nullptr;  // memory DCs
  std::shared_ptr<platform::gdi::BitmapPixels> bitmapPixels;
  HGDIOBJ brush = nullptr;
  HGDIOBJ pen = nullptr;

  int bkMode = OPAQUE;
  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  UINT textAlign = TA_TOP | TA_LEFT;
  int stretchMode = BLACKONWHITE;
  bool clipped = false;
  RECT clip{};  // device coordinates, valid when clipped

  // 8-bit targets: the palette seen last and a cache of nearest entries.
  std::array<PALETTEENTRY, 256> paletteSeen{};
  bool paletteValid = false;
  std::array<uint32_t, 1024> nearestKey{};  // colour | 0x01000000 when filled
  std::array<uint8_t, 1024> nearestIndex{};
};

namespace platform::gdi {

// The live device context behind a handle, or null.
HDC__* LookupDC(HDC dc);

// Stock objects that device contexts start with.
HGDIOBJ StockFont(int index);
HBITMAP DefaultBitmap();
// Points a memory DC at a bitmap's pixels / lets them go.
void AttachBitmap(HDC__& dc, HBITMAP bitmap);
void DetachBitmap(HDC__& dc);

// Drawing into a DC's target: colour conversion, bounds and clipping.
class Canvas {
 public:
  explicit Canvas(HDC__& dc);
  bool Drawable() const { return drawable_; }
  // The part of the target that may be written: its bounds within the clip region.
  const RECT& Limits() const { return limits_; }
  uint32_t RawOf(COLORREF color);
  COLORREF ColorOf(uint32_t raw) const;
  uint32_t Get(int32_t x, int32_t y) const;
  void Put(int32_t x, int32_t y, uint32_t raw);
  // Fills [x0, x1) of row y, which must lie inside Limits().
  void Span(int32_t x0, int32_t x1, int32_t y, uint32_t raw);
  void FillRect(RECT r, uint32_t raw);  // clipped to Limits()
  uint8_t* Row(int32_t y) const { return dc_.target.bits + static_cast<ptrdiff_t>(y) * dc_.target.pitch; }
  int BytesPerPixel() const { return dc_.target.bitCount / 8; }
  const Format& PixelFormat() const { return dc_.format; }

 private:
  uint8_t Nearest(COLORREF color);
  HDC__& dc_;
  bool drawable_ = false;
  RECT limits_{};
};

// Default 8-bit palette used when an 8-bit target comes without one:
// 3 bits red, 3 bits green, 2 bits blue.
const std::array<PALETTEENTRY, 256>& DefaultPalette();

// Fonts (font.cpp).
std::shared_ptr<FontInstance> ResolveFont(const LOGFONTA& logFont);
std::shared_ptr<FontInstance> DefaultFontInstance(HDC__& dc);

// Icons (user32's LoadIconA): decodes a bitmap image -- a whole .bmp file or a
// packed DIB -- into 0xAARRGGBB pixels, top row first. Pixels of formats without
// alpha get alpha 255.
bool DecodeBitmapArgb(const uint8_t* data, size_t size, int32_t& width, int32_t& height,
                      std::vector<uint32_t>& argb);

}  // namespace platform::gdi
