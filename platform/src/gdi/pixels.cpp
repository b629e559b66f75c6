// SPDX-License-Identifier: MIT
// Colour conversion into a device context's pixel memory.
#include <algorithm>
#include <bit>
#include <cstring>

#include "gdi/gdi_internal.h"

namespace platform::gdi {
Format Format::Of(const PixelTarget& target) {
  Format f;
  f.bitCount = target.bitCount;
  uint32_t r = target.redMask, g = target.greenMask, b = target.blueMask;
  if (r == 0 && g == 0 && b == 0) {
    if (target.bitCount == 16) {
      r = 0x7C00, g = 0x03E0, b = 0x001F;  // 5-5-5, the platform's 16-bit default
    } else {
      r = 0xFF0000, g = 0x00FF00, b = 0x0000FF;
    }
  }
  f.red = Channel::Of(r);
  f.green = Channel::Of(g);
  f.blue = Channel::Of(b);
  for (uint32_t v = 0; v < 256; ++v) {
    f.pack[v] = f.red.Narrow(v);
    f.pack[256 + v] = f.green.Narrow(v);
    f.pack[512 + v] = f.blue.Narrow(v);
  }
  return f;
}

uint32_t Format::Unpack(uint32_t raw) const {
  return red.Widen(raw) << 16 | green.Widen(raw) << 8 | blue.Widen(raw);
}

const std::array<PALETTEENTRY, 256>& DefaultPalette() {
  static const std::array<PALETTEENTRY, 256> palette = [] {
    std::array<PALETTEENTRY, 256> p{};
    const uint32_t* rgb = pixel::DefaultPaletteRgb();
    for (int i = 0; i < 256; ++i) {
      p[i].peRed = static_cast<BYTE>(rgb[i] >> 16);
      p[i].peGreen = static_cast<BYTE>(rgb[i] >> 8);
      p[i].peBlue = static_cast<BYTE>(rgb[i]);
    }
    return p;
  }();
  return palette;
}

Canvas::Canvas(HDC__& dc) : dc_(dc) {
  const PixelTarget& t = dc.target;
  drawable_ = t.bits && t.width > 0 && t.height > 0 &&
              (t.bitCount == 8 || t.bitCount == 16 || t.bitCount == 24 || t.bitCount == 32);
  if (!drawable_) return;
  limits_ = {0, 0, t.width, t.height};
  if (dc.clipped) {
    limits_.left = std::max(limits_.left, dc.clip.left);
    limits_.top = std::max(limits_.top, dc.clip.top);
    limits_.right = std::min(limits_.right, dc.clip.right);
    limits_.bottom = std::min(limits_.bottom, dc.clip.bottom);
  }
  if (t.bitCount == 8) {
    // The palette may have changed since the last call: drop the cache then.
    const PALETTEENTRY* pal = t.palette ? t.palette : DefaultPalette().data();
    if (!dc.paletteValid || std::memcmp(dc.paletteSeen.data(), pal, sizeof(dc.paletteSeen)) != 0) {
      std::memcpy(dc.paletteSeen.data(), pal, sizeof(dc.paletteSeen));
      dc.nearestKey.fill(0);
      dc.paletteValid = true;
    }
  }
}

uint8_t Canvas::Nearest(COLORREF color) {
  color &= 0xFFFFFF;
  uint32_t slot = (color * 2654435761u) >> 22;  // 10-bit hash
  if (dc_.nearestKey[slot] == (color | 0x01000000u)) return dc_.nearestIndex[slot];
  int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  int best = 0;
  int bestDistance = 1 << 30;
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY& e = dc_.paletteSeen[i];
    int dr = e.peRed - r, dg = e.peGreen - g, db = e.peBlue - b;
    int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  dc_.nearestKey[slot] = color | 0x01000000u;
  dc_.nearestIndex[slot] = static_cast<uint8_t>(best);
  return static_cast<uint8_t>(best);
}

uint32_t Canvas::RawOf(COLORREF color) {
  if (dc_.target.bitCount == 8) return Nearest(color);
  return dc_.format.Pack(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF Canvas::ColorOf(uint32_t raw) const {
  if (dc_.target.bitCount == 8) {
    const PALETTEENTRY& e = dc_.paletteSeen[raw & 0xFF];
    return RGB(e.peRed, e.peGreen, e.peBlue);
  }
  uint32_t rgb = dc_.format.Unpack(raw);
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

uint32_t Canvas::Get(int32_t x, int32_t y) const {
  const uint8_t* p = Row(y) + static_cast<ptrdiff_t>(x) * BytesPerPixel();
  switch (dc_.target.bitCount) {
    case 8:
      return p[0];
    case 16:
      return static_cast<uint32_t>(p[0] | p[1] << 8);
    case 24:
      return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
    default:
      return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<uint32_t>(p[3]) << 24;
  }
}

void Canvas::Put(int32_t x, int32_t y, uint32_t raw) {
  uint8_t* p = Row(y) + static_cast<ptrdiff_t>(x) * BytesPerPixel();
  switch (dc_.target.bitCount) {
    case 8:
      p[0] = static_cast<uint8_t>(raw);
      break;
    case 16:
      p[0] = static_cast<uint8_t>(raw);
      p[1] = static_cast<uint8_t>(raw >> 8);
      break;
    case 24:
      p[0] = static_cast<uint8_t>(raw);
      p[1] = static_cast<uint8_t>(raw >> 8);
      p[2] = static_cast<uint8_t>(raw >> 16);
      break;
    default:
      std::memcpy(p, &raw, 4);
      break;
  }
}

void Canvas::Span(int32_t x0, int32_t x1, int32_t y, uint32_t raw) {
  if (x1 <= x0) return;
  uint8_t* row = Row(y);
  switch (dc_.target.bitCount) {
    case 8:
      std::memset(row + x0, static_cast<int>(raw & 0xFF), static_cast<size_t>(x1 - x0));
      break;
    case 16: {
      uint16_t v = static_cast<uint16_t>(raw);
      for (int32_t x = x0; x < x1; ++x) std::memcpy(row + x * 2, &v, 2);
      break;
    }
    case 24:
      for (int32_t x = x0; x < x1; ++x) {
        row[x * 3] = static_cast<uint8_t>(raw);
        row[x * 3 + 1] = static_cast<uint8_t>(raw >> 8);
        row[x * 3 + 2] = static_cast<uint8_t>(raw >> 16);
      }
      break;
    default:
      for (int32_t x = x0; x < x1; ++x) std::memcpy(row + x * 4, &raw, 4);
      break;
  }
}

void Canvas::FillRect(RECT r, uint32_t raw) {
  if (!drawable_) return;
  r.left = std::max(r.left, limits_.left);
  r.top = std::max(r.top, limits_.top);
  r.right = std::min(r.right, limits_.right);
  r.bottom = std::min(r.bottom, limits_.bottom);
  for (int32_t y = r.top; y < r.bottom; ++y) Span(r.left, r.right, y, raw);
}

}  // namespace platform::gdi
