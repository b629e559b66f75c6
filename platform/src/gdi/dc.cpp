// SPDX-License-Identifier: MIT
// Device contexts: on a surface's pixel memory (for DirectDraw's GetDC), memory
// contexts holding one bitmap, and the desktop's. Their drawing attributes,
// device facts and single pixels.
#include <memory>
#include <unordered_map>

#include "backend/backend.h"
#include "gdi/gdi_internal.h"

namespace platform::gdi {
namespace {

std::unordered_map<HDC, std::unique_ptr<HDC__>>& DCs() {
  static std::unordered_map<HDC, std::unique_ptr<HDC__>> dcs;
  return dcs;
}

HDC NewDC(HDC__::Kind kind) {
  auto dc = std::make_unique<HDC__>();
  dc->kind = kind;
  dc->font = static_cast<HFONT>(StockFont(SYSTEM_FONT));
  dc->brush = GetStockObject(WHITE_BRUSH);
  dc->pen = GetStockObject(BLACK_PEN);
  HDC handle = dc.get();
  DCs()[handle] = std::move(dc);
  return handle;
}

bool ValidTarget(const PixelTarget& t) {
  if (!t.bits || t.width <= 0 || t.height <= 0) return false;
  if (t.bitCount != 8 && t.bitCount != 16 && t.bitCount != 24 && t.bitCount != 32) return false;
  return static_cast<int64_t>(t.pitch) >= static_cast<int64_t>(t.width) * (t.bitCount / 8);
}

void Destroy(HDC dc) {
  HDC__* d = LookupDC(dc);
  if (!d) return;
  if (d->kind == HDC__::Kind::Memory) DetachBitmap(*d);
  DCs().erase(dc);
}

// The desktop's device context is one shared object, as GetDC(NULL) hands out
// the same screen context every time; releasing it does nothing.
HDC DesktopDC() {
  static HDC desktop = NewDC(HDC__::Kind::Desktop);
  return desktop;
}

}  // namespace

HDC__* LookupDC(HDC dc) {
  if (!dc) return nullptr;
  auto it = DCs().find(dc);
  return it == DCs().end() ? nullptr : it->second.get();
}

HDC CreateSurfaceDC(const PixelTarget& target) {
  if (!ValidTarget(target)) return nullptr;
  HDC dc = NewDC(HDC__::Kind::Surface);
  dc->target = target;
  dc->format = Format::Of(target);
  return dc;
}

void ReleaseSurfaceDC(HDC dc) {
  HDC__* d = LookupDC(dc);
  if (d && d->kind == HDC__::Kind::Surface) Destroy(dc);
}

}  // namespace platform::gdi

using namespace platform::gdi;

HDC GetDC(HWND) {
  // Every window's context is the desktop's here: the program draws through
  // DirectDraw surfaces, and a window DC is only asked for device facts.
  return DesktopDC();
}

int ReleaseDC(HWND, HDC dc) { return LookupDC(dc) ? 1 : 0; }

HDC CreateCompatibleDC(HDC dc) {
  if (dc && !LookupDC(dc)) return nullptr;
  HDC memory = NewDC(HDC__::Kind::Memory);
  AttachBitmap(*memory, DefaultBitmap());
  return memory;
}

BOOL DeleteDC(HDC dc) {
  HDC__* d = LookupDC(dc);
  if (!d || d->kind == HDC__::Kind::Desktop) return FALSE;
  Destroy(dc);
  return TRUE;
}

int SetBkMode(HDC dc, int mode) {
  HDC__* d = LookupDC(dc);
  if (!d || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
  int previous = d->bkMode;
  d->bkMode = mode;
  return previous;
}

int GetBkMode(HDC dc) {
  HDC__* d = LookupDC(dc);
  return d ? d->bkMode : 0;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  HDC__* d = LookupDC(dc);
  if (!d) return CLR_INVALID;
  COLORREF previous = d->textColor;
  d->textColor = color & 0xFFFFFF;
  return previous;
}

COLORREF GetTextColor(HDC dc) {
  HDC__* d = LookupDC(dc);
  return d ? d->textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  HDC__* d = LookupDC(dc);
  if (!d) return CLR_INVALID;
  COLORREF previous = d->bkColor;
  d->bkColor = color & 0xFFFFFF;
  return previous;
}

COLORREF GetBkColor(HDC dc) {
  HDC__* d = LookupDC(dc);
  return d ? d->bkColor : CLR_INVALID;
}

UINT SetTextAlign(HDC dc, UINT align) {
  HDC__* d = LookupDC(dc);
  if (!d) return static_cast<UINT>(GDI_ERROR);
  UINT previous = d->textAlign;
  d->textAlign = align;
  return previous;
}

UINT GetTextAlign(HDC dc) {
  HDC__* d = LookupDC(dc);
  return d ? d->textAlign : static_cast<UINT>(GDI_ERROR);
}

int SetStretchBltMode(HDC dc, int mode) {
  HDC__* d = LookupDC(dc);
  if (!d || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int previous = d->stretchMode;
  d->stretchMode = mode;
  return previous;
}

int GetStretchBltMode(HDC dc) {
  HDC__* d = LookupDC(dc);
  return d ? d->stretchMode : 0;
}

int GetDeviceCaps(HDC dc, int index) {
  HDC__* d = LookupDC(dc);
  if (!d) return 0;
  int width = d->target.width, height = d->target.height, bits = d->target.bitCount;
  if (d->kind == HDC__::Kind::Desktop) {
    // The desktop is a true-colour display of the backend's size.
    platform::backend::Instance().DesktopSize(width, height);
    bits = 32;
  }
  switch (index) {
    case DRIVERVERSION:
      return 0x400;
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZRES:
    case DESKTOPHORZRES:
      return width;
    case VERTRES:
    case DESKTOPVERTRES:
      return height;
    case HORZSIZE:
      return width * 254 / 960;  // millimetres at 96 pixels an inch
    case VERTSIZE:
      return height * 254 / 960;
    case BITSPIXEL:
      return bits;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return bits == 8 ? 20 : -1;
    case RASTERCAPS:
      return RC_BITBLT | RC_STRETCHBLT | RC_DI_BITMAP | RC_STRETCHDIB | (bits == 8 ? RC_PALETTE : 0);
    case LOGPIXELSX:
    case LOGPIXELSY:
      return 96;
    case SIZEPALETTE:
      return bits == 8 ? 256 : 0;
    case NUMRESERVED:
      return bits == 8 ? 20 : 0;
    case COLORRES:
      return bits == 8 ? 18 : 24;
    case VREFRESH:
      return 60;
    default:
      return 0;
  }
}

COLORREF GetPixel(HDC dc, int x, int y) {
  HDC__* d = LookupDC(dc);
  if (!d) return CLR_INVALID;
  Canvas canvas(*d);
  const RECT& lim = canvas.Limits();
  if (!canvas.Drawable() || x < lim.left || x >= lim.right || y < lim.top || y >= lim.bottom) return CLR_INVALID;
  return canvas.ColorOf(canvas.Get(x, y));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  HDC__* d = LookupDC(dc);
  if (!d) return CLR_INVALID;
  Canvas canvas(*d);
  const RECT& lim = canvas.Limits();
  if (!canvas.Drawable() || x < lim.left || x >= lim.right || y < lim.top || y >= lim.bottom) return CLR_INVALID;
  uint32_t raw = canvas.RawOf(color);
  canvas.Put(x, y, raw);
  return canvas.ColorOf(raw);
}
