// SPDX-License-Identifier: MIT
// Bitmap objects and copies between pixel memories: LoadImageA, memory DCs'
// bitmaps, StretchBlt/BitBlt and StretchDIBits, all with format conversion
// into the destination and nearest-pixel scaling.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gdi/bmp.h"
#include "gdi/gdi_internal.h"
#include "gdi/rows.h"
#include "platform/winbase.h"
#include "platform/winuser.h"

namespace platform::gdi {
namespace {

// Files larger than this are not bitmaps anyone here loads.
constexpr long kMaxFileBytes = 512L * 1024 * 1024;

// Source pixels, 0x??RRGGBB (the top byte is ignored), rows `stride` apart.
struct RgbView {
  const uint32_t* px = nullptr;
  int64_t width = 0;
  int64_t height = 0;
  int64_t stride = 0;
};

HBITMAP NewBitmap(int32_t width, int32_t height, PixelVector pixels) {
  auto* bitmap = new HBITMAP__;
  bitmap->data = std::make_shared<BitmapPixels>();
  bitmap->data->width = width;
  bitmap->data->height = height;
  bitmap->data->pixels = std::move(pixels);
  Register(bitmap, bitmap);
  return bitmap;
}

bool RopUsesSource(DWORD rop) { return rop != BLACKNESS && rop != WHITENESS; }

bool KnownRop(DWORD rop) {
  return rop == SRCCOPY || rop == NOTSRCCOPY || rop == SRCAND || rop == SRCPAINT || rop == SRCINVERT ||
         rop == BLACKNESS || rop == WHITENESS;
}

// Steps through floor((2k + 1) * m / (2n)) for k = first, first + 1, ... (the
// nearest-pixel source index of destination index k, m source pixels over n)
// with one division at the start instead of one a step. first >= 0, m, n > 0.
class NearestSteps {
 public:
  NearestSteps(int64_t first, int64_t m, int64_t n) : den_(2 * n), stepQ_(2 * m / den_), stepR_(2 * m % den_) {
    const int64_t num = (2 * first + 1) * m;
    q_ = num / den_;
    r_ = num % den_;
  }
  int64_t Value() const { return q_; }
  void Next() {
    q_ += stepQ_;
    r_ += stepR_;
    if (r_ >= den_) {
      r_ -= den_;
      ++q_;
    }
  }

 private:
  int64_t den_, stepQ_, stepR_, q_ = 0, r_ = 0;
};

// The plain copy into a direct-colour target, one loop per pixel size. Rows
// are packed whole where every destination column has a source column: a
// straight run of columns straight into the target, any other map by packing
// the source span once and picking from it. A destination row that takes the
// same source row as the one before it (scaling up) is a copy of that row.
template <int Bytes>
uint64_t CopyRows(Canvas& canvas, int64_t x0, int64_t x1, int64_t y0, int64_t y1, int64_t dy, int64_t dh,
                  const std::vector<int64_t>& column, const RgbView& src, int64_t sy, int64_t sh, bool flipY) {
  const Format& f = canvas.PixelFormat();
  const int64_t n = x1 - x0;
  const int64_t* col = column.data();
  bool whole = Bytes != 3 && src.px, straight = true;
  int64_t lo = INT64_MAX, hi = -1;
  for (int64_t i = 0; i < n && whole; ++i) {
    whole = col[i] >= 0;
    lo = std::min(lo, col[i]);
    hi = std::max(hi, col[i]);
    straight = straight && col[i] == col[0] + i;
  }
  std::vector<uint8_t> span;
  if (whole && !straight) span.resize(static_cast<size_t>(hi - lo + 1) * Bytes);

  uint64_t written = 0;
  int64_t lastSource = -1;
  const uint8_t* lastOut = nullptr;
  NearestSteps rowOf(y0 - dy, sh, dh);
  for (int64_t y = y0; y < y1; ++y, rowOf.Next()) {
    int64_t s = rowOf.Value();
    if (flipY) s = sh - 1 - s;
    int64_t r = sy + s;
    if (!src.px || r < 0 || r >= src.height) continue;
    const uint32_t* srcRow = src.px + r * src.stride;
    uint8_t* out = canvas.Row(static_cast<int32_t>(y)) + x0 * Bytes;
    if (whole) {
      if (r == lastSource) {
        std::memcpy(out, lastOut, static_cast<size_t>(n) * Bytes);
      } else if (straight) {
        rows::PackRow(srcRow + col[0], out, static_cast<size_t>(n), f, Bytes);
      } else {
        rows::PackRow(srcRow + lo, span.data(), static_cast<size_t>(hi - lo + 1), f, Bytes);
        const uint8_t* from = span.data() - lo * Bytes;
        for (int64_t i = 0; i < n; ++i) std::memcpy(out + i * Bytes, from + col[i] * Bytes, Bytes);
      }
      lastSource = r;
      lastOut = out;
      written += static_cast<uint64_t>(n);
      continue;
    }
    uint8_t* px = out;
    for (int64_t i = 0; i < n; ++i, px += Bytes) {
      if (col[i] < 0) continue;
      uint32_t raw = f.PackRgb(srcRow[col[i]]);
      if constexpr (Bytes == 4) {
        std::memcpy(px, &raw, 4);
      } else {
        px[0] = static_cast<uint8_t>(raw);
        px[1] = static_cast<uint8_t>(raw >> 8);
        if constexpr (Bytes == 3) px[2] = static_cast<uint8_t>(raw >> 16);
      }
      ++written;
    }
  }
  return written;
}

// Copies the source rectangle (sx, sy, sw, sh) onto the destination rectangle
// (dx, dy, dw, dh), scaling by nearest pixel: destination pixel k of a run of n
// takes source pixel floor((2k + 1) * m / 2n) of the matching run of m. A
// negative width or height on one side mirrors. Destination pixels outside the
// canvas limits, or whose source pixel lies outside the source, are left
// alone. Returns the number of pixels written.
uint64_t Stretch(Canvas& canvas, int64_t dx, int64_t dy, int64_t dw, int64_t dh, const RgbView& src, int64_t sx,
                 int64_t sy, int64_t sw, int64_t sh, DWORD rop) {
  if (!canvas.Drawable() || dw == 0 || dh == 0 || sw == 0 || sh == 0) return 0;
  bool flipX = (dw < 0) != (sw < 0);
  bool flipY = (dh < 0) != (sh < 0);
  if (dw < 0) dx += dw, dw = -dw;
  if (dh < 0) dy += dh, dh = -dh;
  if (sw < 0) sx += sw, sw = -sw;
  if (sh < 0) sy += sh, sh = -sh;
  const RECT& lim = canvas.Limits();
  int64_t x0 = std::max<int64_t>(dx, lim.left), x1 = std::min<int64_t>(dx + dw, lim.right);
  int64_t y0 = std::max<int64_t>(dy, lim.top), y1 = std::min<int64_t>(dy + dh, lim.bottom);
  if (x1 <= x0 || y1 <= y0) return 0;

  // Source column of every visible destination column (-1: none).
  std::vector<int64_t> column(static_cast<size_t>(x1 - x0));
  NearestSteps columnOf(x0 - dx, sw, dw);
  for (int64_t x = x0; x < x1; ++x, columnOf.Next()) {
    int64_t s = columnOf.Value();
    if (flipX) s = sw - 1 - s;
    int64_t c = sx + s;
    column[static_cast<size_t>(x - x0)] = src.px && c >= 0 && c < src.width ? c : -1;
  }

  if (rop == SRCCOPY && canvas.BytesPerPixel() > 1) {
    switch (canvas.BytesPerPixel()) {
      case 2:
        return CopyRows<2>(canvas, x0, x1, y0, y1, dy, dh, column, src, sy, sh, flipY);
      case 3:
        return CopyRows<3>(canvas, x0, x1, y0, y1, dy, dh, column, src, sy, sh, flipY);
      default:
        return CopyRows<4>(canvas, x0, x1, y0, y1, dy, dh, column, src, sy, sh, flipY);
    }
  }

  const bool useSource = RopUsesSource(rop);
  uint32_t constant = rop == WHITENESS ? canvas.RawOf(0xFFFFFF) : canvas.RawOf(0);
  uint32_t lastRgb = 0xFFFFFFFFu, lastRaw = 0;
  uint64_t written = 0;
  NearestSteps rowOf(y0 - dy, sh, dh);
  for (int64_t y = y0; y < y1; ++y, rowOf.Next()) {
    int64_t s = rowOf.Value();
    if (flipY) s = sh - 1 - s;
    int64_t r = sy + s;
    if (useSource && (!src.px || r < 0 || r >= src.height)) continue;
    const uint32_t* srcRow = useSource ? src.px + r * src.stride : nullptr;
    for (int64_t x = x0; x < x1; ++x) {
      uint32_t raw = constant;
      if (useSource) {
        int64_t c = column[static_cast<size_t>(x - x0)];
        if (c < 0) continue;
        uint32_t rgb = srcRow[c] & 0xFFFFFF;
        if (rop == NOTSRCCOPY) rgb = ~rgb & 0xFFFFFF;
        if (rgb != lastRgb) {
          lastRgb = rgb;
          lastRaw = canvas.RawOf(RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
        }
        raw = lastRaw;
        if (rop == SRCAND) raw &= canvas.Get(static_cast<int32_t>(x), static_cast<int32_t>(y));
        if (rop == SRCPAINT) raw |= canvas.Get(static_cast<int32_t>(x), static_cast<int32_t>(y));
        if (rop == SRCINVERT) raw ^= canvas.Get(static_cast<int32_t>(x), static_cast<int32_t>(y));
      }
      canvas.Put(static_cast<int32_t>(x), static_cast<int32_t>(y), raw);
      ++written;
    }
  }
  return written;
}

PixelVector ScaleNearest(const DecodedImage& img, int32_t width, int32_t height) {
  PixelVector out(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int64_t y = 0; y < height; ++y) {
    int64_t sy = (2 * y + 1) * img.height / (2 * static_cast<int64_t>(height));
    for (int64_t x = 0; x < width; ++x) {
      int64_t sx = (2 * x + 1) * img.width / (2 * static_cast<int64_t>(width));
      out[static_cast<size_t>(y * width + x)] = img.pixels[static_cast<size_t>(sy * img.width + sx)];
    }
  }
  return out;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  long size = ok ? std::ftell(f) : -1;
  ok = ok && size >= 0 && size <= kMaxFileBytes && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(size));
    ok = std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  }
  std::fclose(f);
  return ok;
}

}  // namespace

HBITMAP CreateBitmapFromImage(const uint8_t* data, size_t size, int width, int height) {
  DecodedImage img;
  if (!DecodeBmp(data, size, img)) return nullptr;
  if (width < 0 || height < 0) return nullptr;
  int32_t w = width ? width : img.width;
  int32_t h = height ? height : img.height;
  if (w > kMaxSide || h > kMaxSide || static_cast<uint64_t>(w) * static_cast<uint64_t>(h) > kMaxPixels) return nullptr;
  if (w == img.width && h == img.height) return NewBitmap(w, h, std::move(img.pixels));
  return NewBitmap(w, h, ScaleNearest(img, w, h));
}

}  // namespace platform::gdi

using namespace platform::gdi;

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags) {
  if (type != IMAGE_BITMAP || !name) return nullptr;
  if (flags & LR_LOADFROMFILE) {
    if (IS_INTRESOURCE(name)) return nullptr;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(name, bytes)) return nullptr;
    return CreateBitmapFromImage(bytes.data(), bytes.size(), width, height);
  }
  // A bitmap resource holds the picture as a packed DIB (the file without its
  // 14-byte header) or, as some resource compilers leave it, the whole file.
  if (!instance) return nullptr;
  HRSRC resource = FindResourceA(instance, name, RT_BITMAP);
  if (!resource) return nullptr;
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(instance, resource)));
  if (!data) return nullptr;
  return CreateBitmapFromImage(data, SizeofResource(instance, resource), width, height);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (!LookupDC(dc) || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxPixels) return nullptr;
  auto* bitmap = new HBITMAP__;
  bitmap->data = std::make_shared<BitmapPixels>();
  bitmap->data->width = width;
  bitmap->data->height = height;
  bitmap->data->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  Register(bitmap, bitmap);
  return bitmap;
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, DWORD rop) {
  HDC__* d = LookupDC(dest);
  if (!d || !KnownRop(rop)) return FALSE;
  Canvas canvas(*d);
  if (!canvas.Drawable()) return FALSE;
  RgbView view;
  std::vector<uint32_t> copy;
  if (RopUsesSource(rop)) {
    HDC__* s = LookupDC(source);
    if (!s) return FALSE;
    Canvas from(*s);
    if (!from.Drawable()) return FALSE;
    const PixelTarget& t = s->target;
    bool plain = t.bitCount == 32 && s->format.red.mask == 0xFF0000 && s->format.green.mask == 0xFF00 &&
                 s->format.blue.mask == 0xFF && t.pitch % 4 == 0;
    if (plain && t.bits != d->target.bits) {
      view = {reinterpret_cast<const uint32_t*>(t.bits), t.width, t.height, t.pitch / 4};
    } else {
      // Other formats, or a copy within one memory: read the source once, as colours.
      copy.resize(static_cast<size_t>(t.width) * static_cast<size_t>(t.height));
      for (int32_t row = 0; row < t.height; ++row)
        for (int32_t col = 0; col < t.width; ++col) {
          COLORREF c = from.ColorOf(from.Get(col, row));
          copy[static_cast<size_t>(row) * t.width + col] = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
        }
      view = {copy.data(), t.width, t.height, t.width};
    }
  }
  Stretch(canvas, x, y, width, height, view, sourceX, sourceY, sourceWidth, sourceHeight, rop);
  return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
  return StretchBlt(dest, x, y, width, height, source, sourceX, sourceY, width, height, rop);
}

int StretchDIBits(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                  int sourceHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  HDC__* d = LookupDC(dc);
  if (!d || !bits || !info || !KnownRop(rop) || (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)) return GDI_ERROR;
  size_t infoSize = 0, bitsSize = 0;
  bool palColors = usage == DIB_PAL_COLORS;
  if (!DibSizes(info->bmiHeader, palColors, infoSize, bitsSize)) return GDI_ERROR;
  Canvas canvas(*d);
  if (!canvas.Drawable()) return GDI_ERROR;
  DecodedImage img;
  const PALETTEENTRY* palette = d->target.bitCount == 8 ? d->paletteSeen.data() : nullptr;
  if (!DecodeDib(reinterpret_cast<const uint8_t*>(info), infoSize, static_cast<const uint8_t*>(bits), bitsSize, img,
                 palColors, palette))
    return GDI_ERROR;
  // The source rectangle of a bottom-up DIB is measured from its bottom row.
  int64_t top = sourceY;
  if (info->bmiHeader.biHeight > 0)
    top = static_cast<int64_t>(img.height) - sourceY - (sourceHeight >= 0 ? sourceHeight : 0);
  RgbView view{img.pixels.data(), img.width, img.height, img.width};
  uint64_t written = Stretch(canvas, x, y, width, height, view, sourceX, top, sourceWidth, sourceHeight, rop);
  if (written == 0) return GDI_ERROR;
  return sourceHeight < 0 ? -sourceHeight : sourceHeight;
}
