// SPDX-License-Identifier: MIT
// GDI objects behind handles: the table of live objects, stock objects,
// selection into device contexts, deletion, GetObjectA and regions.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "gdi/gdi_internal.h"

namespace platform::gdi {
namespace {

// Every live object by handle value. A handle that is not here (never made, or
// deleted) is refused by every call instead of being followed.
std::unordered_map<HGDIOBJ, GdiObject*>& Objects() {
  static std::unordered_map<HGDIOBJ, GdiObject*> objects;
  return objects;
}

LOGFONTA StockLogFont(LONG height, LONG weight, BYTE pitch, const char* face) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  lf.lfPitchAndFamily = pitch;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

struct StockTable {
  std::array<HGDIOBJ, 18> objects{};
  HBITMAP defaultBitmap = nullptr;

  template <class T>
  T* Make(int index) {
    T* object = new T;
    object->stock = true;
    Register(object, object);
    if (index >= 0) objects[index] = object;
    return object;
  }

  StockTable() {
    const COLORREF brushColors[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    for (int i = 0; i < 5; ++i) Make<HBRUSH__>(i)->color = brushColors[i];
    Make<HBRUSH__>(NULL_BRUSH)->hollow = true;
    Make<HPEN__>(WHITE_PEN)->color = 0xFFFFFF;
    Make<HPEN__>(BLACK_PEN)->color = 0x000000;
    Make<HPEN__>(NULL_PEN)->hollow = true;
    // The stock fonts are stood in for by the metric-compatible faces that the
    // font matcher finds for these names.
    Make<HFONT__>(OEM_FIXED_FONT)->logFont = StockLogFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier New");
    Make<HFONT__>(ANSI_FIXED_FONT)->logFont = StockLogFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier New");
    Make<HFONT__>(ANSI_VAR_FONT)->logFont = StockLogFont(12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "Arial");
    Make<HFONT__>(SYSTEM_FONT)->logFont = StockLogFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "Arial");
    Make<HFONT__>(DEVICE_DEFAULT_FONT)->logFont = StockLogFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "Arial");
    Make<HPALETTE__>(DEFAULT_PALETTE);
    Make<HFONT__>(SYSTEM_FIXED_FONT)->logFont = StockLogFont(15, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier New");
    Make<HFONT__>(DEFAULT_GUI_FONT)->logFont = StockLogFont(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "Arial");
    // A fresh memory DC holds a 1 x 1 bitmap until the caller selects its own.
    HBITMAP__* bitmap = Make<HBITMAP__>(-1);
    bitmap->data = std::make_shared<BitmapPixels>();
    bitmap->data->width = 1;
    bitmap->data->height = 1;
    bitmap->data->pixels.assign(1, 0);
    defaultBitmap = bitmap;
  }
};

StockTable& Stock() {
  static StockTable* table = new StockTable;  // lives for the whole run
  return *table;
}

void NormaliseRect(RECT& r) {
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
}

int RegionType(const RECT& r) { return r.right <= r.left || r.bottom <= r.top ? NULLREGION : SIMPLEREGION; }

}  // namespace

GdiObject* Lookup(HGDIOBJ handle) {
  if (!handle) return nullptr;
  Stock();  // stock objects exist before anyone asks about a handle
  auto it = Objects().find(handle);
  return it == Objects().end() ? nullptr : it->second;
}

void Register(HGDIOBJ handle, GdiObject* object) { Objects()[handle] = object; }

HGDIOBJ StockFont(int index) { return Stock().objects[static_cast<size_t>(index)]; }
HBITMAP DefaultBitmap() { return Stock().defaultBitmap; }

// Points a memory DC at a bitmap's pixels.
void AttachBitmap(HDC__& dc, HBITMAP bitmap) {
  dc.bitmap = bitmap;
  dc.bitmapPixels = bitmap->data;
  PixelTarget t;
  t.bits = reinterpret_cast<uint8_t*>(bitmap->data->pixels.data());
  t.width = bitmap->data->width;
  t.height = bitmap->data->height;
  t.pitch = t.width * 4;
  t.bitCount = 32;
  t.redMask = 0xFF0000;
  t.greenMask = 0x00FF00;
  t.blueMask = 0x0000FF;
  dc.target = t;
  dc.format = Format::Of(t);
}

void DetachBitmap(HDC__& dc) {
  if (auto* old = static_cast<HBITMAP__*>(Lookup(dc.bitmap)); old && old->kind == ObjectKind::Bitmap && !old->stock)
    old->selectedInto = nullptr;
  dc.bitmap = nullptr;
  dc.bitmapPixels.reset();
  dc.target = PixelTarget{};
}

}  // namespace platform::gdi

using namespace platform::gdi;

HGDIOBJ GetStockObject(int object) {
  if (object < 0 || object >= static_cast<int>(Stock().objects.size())) return nullptr;
  return Stock().objects[static_cast<size_t>(object)];
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  HDC__* d = LookupDC(dc);
  GdiObject* o = Lookup(object);
  if (!d || !o) return nullptr;
  switch (o->kind) {
    case ObjectKind::Font: {
      HGDIOBJ previous = d->font;
      auto* font = static_cast<HFONT__*>(o);
      if (!font->instance) font->instance = ResolveFont(font->logFont);
      if (!font->instance) return nullptr;
      d->font = static_cast<HFONT>(object);
      d->fontInstance = font->instance;
      return previous;
    }
    case ObjectKind::Bitmap: {
      if (d->kind != HDC__::Kind::Memory) return nullptr;
      auto* bitmap = static_cast<HBITMAP__*>(o);
      if (!bitmap->stock && bitmap->selectedInto && bitmap->selectedInto != dc) return nullptr;
      HGDIOBJ previous = d->bitmap;
      DetachBitmap(*d);
      AttachBitmap(*d, static_cast<HBITMAP>(object));
      if (!bitmap->stock) bitmap->selectedInto = dc;
      return previous;
    }
    case ObjectKind::Region: {
      // Selecting a region sets the clip region and answers its type.
      int type = SelectClipRgn(dc, static_cast<HRGN>(object));
      return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(type));
    }
    case ObjectKind::Brush: {
      HGDIOBJ previous = d->brush;
      d->brush = object;
      return previous;
    }
    case ObjectKind::Pen: {
      HGDIOBJ previous = d->pen;
      d->pen = object;
      return previous;
    }
    case ObjectKind::Palette:
      return nullptr;  // palettes are selected with SelectPalette, which nobody here needs
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
  GdiObject* o = Lookup(object);
  if (!o) return FALSE;
  if (o->stock) return TRUE;  // stock objects stay
  if (o->kind == ObjectKind::Bitmap) {
    // A memory DC that still holds the bitmap keeps drawing into its pixels until
    // it lets them go.
    auto* bitmap = static_cast<HBITMAP__*>(o);
    if (HDC__* d = LookupDC(bitmap->selectedInto); d && d->bitmap == object) d->bitmap = nullptr;
  }
  Objects().erase(object);
  delete o;
  return TRUE;
}

DWORD GetObjectType(HGDIOBJ object) {
  if (LookupDC(static_cast<HDC>(object))) {
    return static_cast<HDC__*>(object)->kind == HDC__::Kind::Memory ? OBJ_MEMDC : OBJ_DC;
  }
  GdiObject* o = Lookup(object);
  if (!o) return 0;
  switch (o->kind) {
    case ObjectKind::Font:
      return OBJ_FONT;
    case ObjectKind::Bitmap:
      return OBJ_BITMAP;
    case ObjectKind::Region:
      return OBJ_REGION;
    case ObjectKind::Brush:
      return OBJ_BRUSH;
    case ObjectKind::Pen:
      return OBJ_PEN;
    case ObjectKind::Palette:
      return OBJ_PAL;
  }
  return 0;
}

int GetObjectA(HANDLE object, int size, LPVOID buffer) {
  GdiObject* o = Lookup(object);
  if (!o) return 0;
  switch (o->kind) {
    case ObjectKind::Font: {
      const LOGFONTA& lf = static_cast<HFONT__*>(o)->logFont;
      if (!buffer) return static_cast<int>(sizeof(LOGFONTA));
      if (size <= 0) return 0;
      int n = std::min(size, static_cast<int>(sizeof(LOGFONTA)));
      std::memcpy(buffer, &lf, static_cast<size_t>(n));
      return n;
    }
    case ObjectKind::Bitmap: {
      const BitmapPixels& px = *static_cast<HBITMAP__*>(o)->data;
      BITMAP bm{};
      bm.bmType = 0;
      bm.bmWidth = px.width;
      bm.bmHeight = px.height;
      bm.bmWidthBytes = px.width * 4;
      bm.bmPlanes = 1;
      bm.bmBitsPixel = 32;
      bm.bmBits = const_cast<uint32_t*>(px.pixels.data());
      if (!buffer) return static_cast<int>(sizeof(BITMAP));
      if (size >= static_cast<int>(sizeof(DIBSECTION))) {
        // A DIB section: rows are stored top first, hence the negative height.
        DIBSECTION ds{};
        ds.dsBm = bm;
        ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
        ds.dsBmih.biWidth = px.width;
        ds.dsBmih.biHeight = -px.height;
        ds.dsBmih.biPlanes = 1;
        ds.dsBmih.biBitCount = 32;
        ds.dsBmih.biCompression = BI_RGB;
        ds.dsBmih.biSizeImage = static_cast<DWORD>(px.pixels.size() * 4);
        std::memcpy(buffer, &ds, sizeof(ds));
        return static_cast<int>(sizeof(DIBSECTION));
      }
      if (size < static_cast<int>(sizeof(BITMAP))) return 0;
      std::memcpy(buffer, &bm, sizeof(bm));
      return static_cast<int>(sizeof(BITMAP));
    }
    default:
      return 0;
  }
}

// Regions: one rectangle each, which is all that clipping here needs.

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto* region = new HRGN__;
  region->rect = {left, top, right, bottom};
  NormaliseRect(region->rect);
  Register(region, region);
  return region;
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) return nullptr;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
  GdiObject* o = Lookup(region);
  if (!o || o->kind != ObjectKind::Region) return FALSE;
  auto* r = static_cast<HRGN__*>(o);
  r->rect = {left, top, right, bottom};
  NormaliseRect(r->rect);
  return TRUE;
}

int GetRgnBox(HRGN region, LPRECT rect) {
  GdiObject* o = Lookup(region);
  if (!o || o->kind != ObjectKind::Region || !rect) return ERROR;
  const RECT& r = static_cast<HRGN__*>(o)->rect;
  int type = RegionType(r);
  *rect = type == NULLREGION ? RECT{0, 0, 0, 0} : r;
  return type;
}

int SelectClipRgn(HDC dc, HRGN region) {
  HDC__* d = LookupDC(dc);
  if (!d) return ERROR;
  if (!region) {
    d->clipped = false;
    return SIMPLEREGION;
  }
  GdiObject* o = Lookup(region);
  if (!o || o->kind != ObjectKind::Region) return ERROR;
  d->clipped = true;
  d->clip = static_cast<HRGN__*>(o)->rect;
  return RegionType(d->clip);
}

int GetClipBox(HDC dc, LPRECT rect) {
  HDC__* d = LookupDC(dc);
  if (!d || !rect) return ERROR;
  RECT r{0, 0, d->target.width, d->target.height};
  if (d->clipped) {
    r.left = std::max(r.left, d->clip.left);
    r.top = std::max(r.top, d->clip.top);
    r.right = std::min(r.right, d->clip.right);
    r.bottom = std::min(r.bottom, d->clip.bottom);
  }
  int type = RegionType(r);
  *rect = type == NULLREGION ? RECT{0, 0, 0, 0} : r;
  return type;
}
