// SPDX-License-Identifier: MIT
// Copies and fills between surfaces: Blt and BltFast. Every rectangle is
// clipped to the destination (and to its clipper's window), and every source
// pixel read lies inside the source surface, whatever the caller passes.
#include <algorithm>
#include <cstring>
#include <vector>

#include "ddraw/objects.h"

namespace platform::ddraw {
namespace {

constexpr DWORD kBltFlags = DDBLT_WAIT | DDBLT_ASYNC | DDBLT_KEYSRC | DDBLT_KEYSRCOVERRIDE | DDBLT_DDFX |
                            DDBLT_COLORFILL | DDBLT_ROP;
constexpr DWORD kSrcCopy = 0x00CC0020;

// A source colour key for a copy from a surface of the given format. It is
// compared with the whole pixel in 8, 15 and 16 bits (bit 15 of a 5-5-5
// pixel included) and with the colour bits, the low 24 for the usual
// layouts, in 24 and 32. The key's values are taken as they are, so a key
// with bits outside the compared ones matches no pixel.
pixels::Key SourceKey(const DDCOLORKEY& key, const PixelFormat& format) {
  int bytes = format.BytesPerPixel();
  uint32_t mask = bytes == 1 ? 0xFFu : bytes == 2 ? 0xFFFFu : format.ColorBits();
  return {key.dwColorSpaceLowValue, std::max(key.dwColorSpaceLowValue, key.dwColorSpaceHighValue), mask};
}

// Fills map with the source positions of destination positions [from, to) of
// the run d0..d0+dw, mirrored when asked, and trims both ends to positions
// whose source lies in [0, limit). Returns the first kept destination position
// and leaves the kept count in map.size(); false when none is kept.
//
// Destination offset i of a run of dw pixels drawn from sw source pixels
// starting at s0 shows the source pixel under its centre:
// s0 + floor((2i + 1) sw / 2 dw). That is worked out once, for the first
// position; the next ones follow by adding the step's quotient and carrying
// its remainder, without a division per position.
bool BuildMap(std::vector<int32_t>& map, int64_t from, int64_t to, int64_t d0, int64_t dw, int64_t s0, int64_t sw,
              bool mirror, int64_t limit, int64_t* first) {
  map.clear();
  if (from >= to) return false;
  int64_t i = mirror ? dw - 1 - (from - d0) : from - d0;
  // s = s0 + q with q = floor(num / den), num = (2i + 1) sw, den = 2 dw.
  const __int128 den = 2 * static_cast<__int128>(dw);
  const __int128 num = static_cast<__int128>(2 * i + 1) * sw;
  int64_t q = static_cast<int64_t>(num / den);
  __int128 r = num % den;
  if (r < 0) {  // floor for a negative numerator
    r += den;
    --q;
  }
  // One position on changes num by 2 sw, downwards when mirrored.
  const int64_t stepQ = static_cast<int64_t>(2 * static_cast<__int128>(sw) / den);
  const __int128 stepR = 2 * static_cast<__int128>(sw) % den;
  int64_t start = -1;
  for (int64_t p = from; p < to; ++p) {
    int64_t s = s0 + q;
    if (s < 0 || s >= limit) {
      if (start >= 0) break;  // the kept positions are one run
    } else {
      if (start < 0) start = p;
      map.push_back(static_cast<int32_t>(s));
    }
    if (mirror) {
      q -= stepQ;
      r -= stepR;
      if (r < 0) {
        r += den;
        --q;
      }
    } else {
      q += stepQ;
      r += stepR;
      if (r >= den) {
        r -= den;
        ++q;
      }
    }
  }
  *first = start;
  return start >= 0;
}

}  // namespace

Rect64 Surface::ClipArea() const {
  Rect64 area = Bounds();
  Rect64 window;
  if (clipper_ && clipper_->ClientArea(&window)) area = area.Intersect(window);
  return area;
}

HRESULT Surface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE4 source, LPRECT sourceRect, DWORD flags, LPDDBLTFX fx) {
  if (flags & ~kBltFlags) return DDERR_UNSUPPORTED;
  if ((flags & (DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_KEYSRCOVERRIDE | DDBLT_ROP)) &&
      (!fx || fx->dwSize != sizeof(DDBLTFX)))
    return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  Rect64 dest = destRect ? Rect64::From(*destRect) : Bounds();
  if (dest.Empty()) return DDERR_INVALIDRECT;

  if (flags & DDBLT_COLORFILL) {
    if (Busy()) return DDERR_SURFACEBUSY;
    Rect64 area = dest.Intersect(ClipArea());
    if (!area.Empty()) {
      int bytes = format_.BytesPerPixel();
      pixels::Fill(Bits() + area.top * pitch_ + area.left * bytes, pitch_, static_cast<int>(area.Width()),
                   static_cast<int>(area.Height()), bytes, fx->dwFillColor);
      Changed();
    }
    return DD_OK;
  }

  if (!source) return DDERR_INVALIDPARAMS;
  auto* src = static_cast<Surface*>(source);
  if (src->lost_) return DDERR_SURFACELOST;
  if (Busy() || src->Busy()) return DDERR_SURFACEBUSY;
  if ((flags & DDBLT_ROP) && fx->dwROP != kSrcCopy) return DDERR_NORASTEROPHW;
  bool mirrorX = false, mirrorY = false;
  if (flags & DDBLT_DDFX) {
    if (fx->dwDDFX & (DDBLTFX_ROTATE90 | DDBLTFX_ROTATE180 | DDBLTFX_ROTATE270)) return DDERR_NOROTATIONHW;
    mirrorX = (fx->dwDDFX & DDBLTFX_MIRRORLEFTRIGHT) != 0;
    mirrorY = (fx->dwDDFX & DDBLTFX_MIRRORUPDOWN) != 0;
    if ((mirrorX || mirrorY) && Display::Get().refuseMirroring) return DDERR_NOMIRRORHW;
  }
  Rect64 from = sourceRect ? Rect64::From(*sourceRect) : src->Bounds();
  if (from.Empty()) return DDERR_INVALIDRECT;

  pixels::Key key;
  const pixels::Key* keyed = nullptr;
  if (flags & DDBLT_KEYSRCOVERRIDE) {
    key = SourceKey(fx->ddckSrcColorkey, src->format_);
    keyed = &key;
  } else if ((flags & DDBLT_KEYSRC) && src->hasKey_) {
    // A source without a colour key is copied whole.
    key = SourceKey(src->key_, src->format_);
    keyed = &key;
  }
  return CopyFrom(dest, src, from, mirrorX, mirrorY, keyed);
}

HRESULT Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE4 source, LPRECT sourceRect, DWORD trans) {
  if (trans & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT)) return DDERR_INVALIDPARAMS;
  if (trans & DDBLTFAST_DESTCOLORKEY) return DDERR_UNSUPPORTED;
  if (lost_) return DDERR_SURFACELOST;
  if (!source) return DDERR_INVALIDPARAMS;
  auto* src = static_cast<Surface*>(source);
  if (src->lost_) return DDERR_SURFACELOST;
  if (Busy() || src->Busy()) return DDERR_SURFACEBUSY;
  Rect64 from = sourceRect ? Rect64::From(*sourceRect) : src->Bounds();
  if (from.Empty()) return DDERR_INVALIDRECT;
  // The point is taken as signed, so that a copy may start left of or above the
  // destination and be clipped like any other.
  int64_t dx = static_cast<LONG>(x), dy = static_cast<LONG>(y);
  Rect64 dest{dx, dy, dx + from.Width(), dy + from.Height()};
  pixels::Key key;
  const pixels::Key* keyed = nullptr;
  if ((trans & DDBLTFAST_SRCCOLORKEY) && src->hasKey_) {
    key = SourceKey(src->key_, src->format_);
    keyed = &key;
  }
  return CopyFrom(dest, src, from, false, false, keyed);
}

HRESULT Surface::CopyFrom(const Rect64& dest, Surface* src, const Rect64& from, bool mirrorX, bool mirrorY,
                          const pixels::Key* key) {
  Rect64 area = dest.Intersect(ClipArea());
  if (area.Empty()) return DD_OK;
  bool sameFormat = format_ == src->format_;
  if (!sameFormat && format_.Palettized()) return DDERR_INVALIDPIXELFORMAT;
  int bytes = format_.BytesPerPixel();
  int srcBytes = src->format_.BytesPerPixel();
  bool scaled = dest.Width() != from.Width() || dest.Height() != from.Height();

  if (!scaled && !mirrorX && !mirrorY && sameFormat) {
    // Same size: destination (x, y) shows source (x + ox, y + oy).
    int64_t ox = from.left - dest.left, oy = from.top - dest.top;
    area = area.Intersect({-ox, -oy, src->width_ - ox, src->height_ - oy});
    if (area.Empty()) return DD_OK;
    int w = static_cast<int>(area.Width()), h = static_cast<int>(area.Height());
    uint8_t* dp = Bits() + area.top * pitch_ + area.left * bytes;
    const uint8_t* sp = src->Bits() + (area.top + oy) * src->pitch_ + (area.left + ox) * bytes;
    ptrdiff_t sPitch = src->pitch_;
    std::vector<uint8_t> copy;
    if (src == this) {
      // Copying within one surface: take the source out first.
      size_t row = static_cast<size_t>(w) * bytes;
      copy.resize(row * h);
      pixels::Copy(copy.data(), static_cast<ptrdiff_t>(row), sp, sPitch, w, h, bytes);
      sp = copy.data();
      sPitch = static_cast<ptrdiff_t>(row);
    }
    if (key)
      pixels::CopyKeyed(dp, pitch_, sp, sPitch, w, h, bytes, *key);
    else
      pixels::Copy(dp, pitch_, sp, sPitch, w, h, bytes);
    Changed();
    return DD_OK;
  }

  static thread_local std::vector<int32_t> cols, rows;
  int64_t firstX, firstY;
  if (!BuildMap(cols, area.left, area.right, dest.left, dest.Width(), from.left, from.Width(), mirrorX, src->width_,
                &firstX) ||
      !BuildMap(rows, area.top, area.bottom, dest.top, dest.Height(), from.top, from.Height(), mirrorY, src->height_,
                &firstY))
    return DD_OK;
  int w = static_cast<int>(cols.size()), h = static_cast<int>(rows.size());
  uint8_t* dp = Bits() + firstY * pitch_ + firstX * bytes;
  const uint8_t* sp = src->Bits();
  ptrdiff_t sPitch = src->pitch_;
  std::vector<uint8_t> copy;
  if (src == this) {
    // Take the part of the source that is read out first, and aim the maps at it.
    auto [c0, c1] = std::minmax_element(cols.begin(), cols.end());
    auto [r0, r1] = std::minmax_element(rows.begin(), rows.end());
    int32_t left = *c0, top = *r0;
    int cw = *c1 - left + 1, ch = *r1 - top + 1;
    size_t row = static_cast<size_t>(cw) * srcBytes;
    copy.resize(row * ch);
    pixels::Copy(copy.data(), static_cast<ptrdiff_t>(row), sp + top * sPitch + left * srcBytes, sPitch, cw, ch,
                 srcBytes);
    for (int32_t& c : cols) c -= left;
    for (int32_t& r : rows) r -= top;
    sp = copy.data();
    sPitch = static_cast<ptrdiff_t>(row);
  }
  if (sameFormat) {
    pixels::CopyMapped(dp, pitch_, sp, sPitch, w, h, bytes, cols.data(), rows.data(), key);
  } else {
    ColorCodec in(src->format_), out(format_);
    const uint32_t* palette = src->PaletteRgb();
    for (int y = 0; y < h; ++y) {
      const uint8_t* s = sp + static_cast<ptrdiff_t>(rows[y]) * sPitch;
      uint8_t* d = dp + static_cast<ptrdiff_t>(y) * pitch_;
      for (int x = 0; x < w; ++x) {
        uint32_t v = ReadPixel(s + static_cast<ptrdiff_t>(cols[x]) * srcBytes, srcBytes);
        if (key && key->Transparent(v)) continue;
        WritePixel(d + x * bytes, bytes, out.FromRgb(in.ToRgb(v, palette)));
      }
    }
  }
  Changed();
  return DD_OK;
}

}  // namespace platform::ddraw
