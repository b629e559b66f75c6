// SPDX-License-Identifier: MIT
// Drawing into a locked surface (single pixels, runs, lines, an antialiased
// line, boxes, circles, discs) and GDI text onto its device context.
//
// Every primitive clips against ClipRect, held to the size the lock reported,
// and takes the pixel layout from the locked format, so no write can leave
// the locked memory. Loops over a line or circle only visit the stretch that
// can reach the clip rectangle: a primitive with far-away coordinates costs no
// more than one across the surface, and draws exactly the same pixels.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "media/surface.h"

namespace {

int BytesPerPixel(int depth) { return depth == 8 ? 1 : depth == 24 ? 3 : depth == 32 ? 4 : 2; }

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// trunc(sqrt(value) + 0.5); -1 for a negative value (no point).
int64_t RoundedRoot(double value) {
  if (value < 0) return -1;
  return static_cast<int64_t>(std::sqrt(value) + 0.5);
}

}  // namespace

bool Surface::GetPixelView(PixelView& view) const {
  if (!SurfaceDesc.lpSurface) return false;
  const DDPIXELFORMAT& format = SurfaceDesc.ddpfPixelFormat;
  switch (format.dwRGBBitCount) {
    case 8:
      view.depth = 8;
      break;
    case 16:
      view.depth = format.dwGBitMask == 0x03E0 ? 15 : 16;
      break;
    case 24:
      view.depth = 24;
      break;
    case 32:
      view.depth = 32;
      break;
    default:
      return false;
  }
  view.bits = static_cast<uint8_t*>(SurfaceDesc.lpSurface);
  view.pitch = SurfaceDesc.lPitch;
  int32_t lockedWidth = static_cast<int32_t>(std::min<DWORD>(SurfaceDesc.dwWidth, INT32_MAX));
  int32_t lockedHeight = static_cast<int32_t>(std::min<DWORD>(SurfaceDesc.dwHeight, INT32_MAX));
  view.clip.left = std::max(ClipRect.left, 0);
  view.clip.top = std::max(ClipRect.top, 0);
  view.clip.right = std::min(ClipRect.right, lockedWidth);
  view.clip.bottom = std::min(ClipRect.bottom, lockedHeight);
  return true;
}

namespace {

struct View {
  uint8_t* bits;
  int32_t pitch;
  int depth;
  RECT clip;

  bool Inside(int64_t x, int64_t y) const {
    return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
  }
  uint8_t* At(int64_t x, int64_t y) const {
    return bits + static_cast<ptrdiff_t>(y) * pitch + static_cast<ptrdiff_t>(x) * BytesPerPixel(depth);
  }
};

// 8 bits: the low byte; 15 and 16: the low word; 24 and 32: the low three
// bytes (the fourth byte of a 32-bit pixel keeps its value).
inline void Store(uint8_t* p, int depth, DWORD color) {
  switch (depth) {
    case 8:
      p[0] = static_cast<uint8_t>(color);
      break;
    case 15:
    case 16:
      p[0] = static_cast<uint8_t>(color);
      p[1] = static_cast<uint8_t>(color >> 8);
      break;
    default:
      p[0] = static_cast<uint8_t>(color);
      p[1] = static_cast<uint8_t>(color >> 8);
      p[2] = static_cast<uint8_t>(color >> 16);
      break;
  }
}

inline DWORD Fetch(const uint8_t* p, int depth) {
  switch (depth) {
    case 8:
      return p[0];
    case 15:
    case 16:
      return static_cast<DWORD>(p[0] | p[1] << 8);
    case 24:
      return static_cast<DWORD>(p[0] | p[1] << 8 | p[2] << 16);
    default:
      return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
             static_cast<DWORD>(p[3]) << 24;
  }
}

inline void Plot(const View& v, int64_t x, int64_t y, DWORD color) {
  if (v.Inside(x, y)) Store(v.At(x, y), v.depth, color);
}

// d + floor((c - d) * weight / 256) for each channel.
inline void Blend(const View& v, int64_t x, int64_t y, DWORD color, uint32_t weight) {
  if (!v.Inside(x, y)) return;
  uint8_t* p = v.At(x, y);
  if (v.depth == 8) {
    p[0] = static_cast<uint8_t>(color);
    return;
  }
  int32_t w = static_cast<int32_t>(weight & 0xFFFF);
  auto mix = [w](int32_t d, int32_t c) { return d + (((c - d) * w) >> 8); };
  DWORD d = Fetch(p, v.depth);
  if (v.depth == 15 || v.depth == 16) {
    int greenBits = v.depth == 15 ? 5 : 6;
    int redShift = v.depth == 15 ? 10 : 11;
    DWORD greenMask = (1u << greenBits) - 1;
    DWORD r = static_cast<DWORD>(mix((d >> redShift) & 0x1F, (color >> redShift) & 0x1F)) & 0x1F;
    DWORD g = static_cast<DWORD>(mix((d >> 5) & greenMask, (color >> 5) & greenMask)) & greenMask;
    DWORD b = static_cast<DWORD>(mix(d & 0x1F, color & 0x1F)) & 0x1F;
    Store(p, v.depth, r << redShift | g << 5 | b);
    return;
  }
  for (int i = 0; i < 3; ++i)
    p[i] = static_cast<uint8_t>(mix(p[i], static_cast<int32_t>((color >> (8 * i)) & 0xFF)));
}

// The values of i >= from for which base + sign * i lies in [low, high), as an
// inclusive range (empty when first > last).
std::pair<int64_t, int64_t> Window(int64_t base, int sign, int64_t low, int64_t high, int64_t from) {
  int64_t first, last;
  if (sign > 0) {
    first = low - base;
    last = high - 1 - base;
  } else {
    first = base - high + 1;
    last = base - low;
  }
  return {std::max(first, from), last};
}

// Runs the octant loop "i = 0, k = r; plot; i += 1; k = round(sqrt(r^2 - i^2));
// while k >= i" for the values of i in `windows` only (with i = 0 always), in
// increasing order. Skipping an i cannot change where the loop ends, as k only
// falls while i rises.
template <typename PlotRound>
void OctantLoop(int32_t radius, std::vector<std::pair<int64_t, int64_t>> windows, PlotRound plot) {
  plot(int64_t{0}, static_cast<int64_t>(radius));
  double r2 = static_cast<double>(radius) * static_cast<double>(radius);
  {
    int64_t k = RoundedRoot(r2 - 1.0);
    if (k < 1) return;
  }
  std::sort(windows.begin(), windows.end());
  int64_t next = 1;
  for (const auto& [first, last] : windows) {
    for (int64_t i = std::max(first, next); i <= last; ++i) {
      int64_t k = RoundedRoot(r2 - static_cast<double>(i) * static_cast<double>(i));
      if (k < i) return;
      plot(i, k);
    }
    next = std::max(next, last + 1);
  }
}

// Moves a line's major coordinate up to `target`, carrying the minor value
// along exactly as adding the slope once per step would, rounding included, so
// that the pixels after the skip are those that drawing from the start gives.
//
// Within one binade of the value (all magnitudes with the same exponent, hence
// the same spacing of doubles) adding a fixed slope rounds to a fixed
// increment, once the value sits on the grid that ties-to-even keeps it on; so
// a run of steps that stays inside the binade is one exact multiplication.
// Three single steps measure the increment (the first may still be settling a
// tie); the value then jumps to near the binade's edge and single steps carry
// it across. A line crosses few binades, so even a start 2^32 away costs a few
// hundred steps.
void SkipTo(int64_t& major, double& value, double slope, int64_t target) {
  if (major >= target) return;
  int64_t steps = target - major;
  major = target;
  while (steps > 0) {
    if (steps < 8 || !(std::fabs(value) >= 4 * std::fabs(slope))) {
      value += slope;
      --steps;
      continue;
    }
    const double v1 = value + slope;
    const double v2 = v1 + slope;
    const double v3 = v2 + slope;
    value = v3;
    steps -= 3;
    const double d = v3 - v2;  // exact: both lie within a factor of two
    if (d == 0) return;        // the slope no longer moves the value
    const int binade = std::ilogb(v3);
    if (v2 - v1 != d || std::ilogb(v1) != binade || std::ilogb(v2) != binade || (v1 < 0) != (v3 < 0)) continue;
    const double low = std::ldexp(1.0, binade), high = 2 * low;
    const double magnitude = std::fabs(v3);
    const bool growing = (d > 0) == (v3 > 0);
    const double margin = 2 * std::fabs(slope) + 2 * std::fabs(d);
    const double room = growing ? high - margin - magnitude : magnitude - margin - low;
    if (room < std::fabs(d)) continue;
    // k * d is a multiple of the binade's spacing below its top, so both the
    // product and the sum are exact.
    const int64_t k = std::min<int64_t>(steps, static_cast<int64_t>(room / std::fabs(d)));
    value += static_cast<double>(k) * d;
    steps -= k;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Single pixels
// ---------------------------------------------------------------------------

void Surface::PutPixel(int32_t x, int32_t y, DWORD color) {
  PixelView pv;
  if (!GetPixelView(pv)) return;
  Plot(View{pv.bits, pv.pitch, pv.depth, pv.clip}, x, y, color);
}

DWORD Surface::GetPixel(int32_t x, int32_t y) {
  PixelView pv;
  if (!GetPixelView(pv)) return 0;
  // Not clipped to ClipRect, but never read outside the locked surface.
  if (x < 0 || y < 0 || static_cast<DWORD>(x) >= SurfaceDesc.dwWidth || static_cast<DWORD>(y) >= SurfaceDesc.dwHeight)
    return 0;
  View v{pv.bits, pv.pitch, pv.depth, pv.clip};
  return Fetch(v.At(x, y), pv.depth);
}

void Surface::BlendPixel(int32_t x, int32_t y, DWORD color, uint32_t weight) {
  PixelView pv;
  if (!GetPixelView(pv)) return;
  Blend(View{pv.bits, pv.pitch, pv.depth, pv.clip}, x, y, color, weight);
}

// ---------------------------------------------------------------------------
// Runs and lines
// ---------------------------------------------------------------------------

void Surface::DrawHLine(int32_t x1, int32_t x2, int32_t y, DWORD color) {
  PixelView pv;
  if (!GetPixelView(pv)) return;
  if (y < pv.clip.top || y >= pv.clip.bottom) return;
  int64_t start = std::max<int64_t>(std::min(x1, x2), pv.clip.left);
  int64_t end = std::min<int64_t>(static_cast<int64_t>(std::max(x1, x2)) + 1, pv.clip.right);
  if (end <= start) return;
  View v{pv.bits, pv.pitch, pv.depth, pv.clip};
  uint8_t* p = v.At(start, y);
  size_t count = static_cast<size_t>(end - start);
  switch (pv.depth) {
    case 8:
      memset(p, static_cast<uint8_t>(color), count);
      break;
    case 15:
    case 16: {
      // Two pixels a 32-bit word once the run is word-aligned.
      uint16_t pixel = static_cast<uint16_t>(color);
      if ((reinterpret_cast<uintptr_t>(p) & 2) && count > 0) {
        memcpy(p, &pixel, 2);
        p += 2;
        --count;
      }
      uint32_t pair = static_cast<uint32_t>(pixel) | static_cast<uint32_t>(pixel) << 16;
      for (; count >= 2; count -= 2, p += 4) memcpy(p, &pair, 4);
      if (count) memcpy(p, &pixel, 2);
      break;
    }
    default: {
      int step = BytesPerPixel(pv.depth);
      for (size_t i = 0; i < count; ++i, p += step) Store(p, pv.depth, color);
      break;
    }
  }
}

void Surface::DrawVLine(int32_t y1, int32_t y2, int32_t x, DWORD color) {
  PixelView pv;
  if (!GetPixelView(pv)) return;
  if (x < pv.clip.left || x >= pv.clip.right) return;
  int64_t start = std::max<int64_t>(std::min(y1, y2), pv.clip.top);
  int64_t end = std::min<int64_t>(static_cast<int64_t>(std::max(y1, y2)) + 1, pv.clip.bottom);
  View v{pv.bits, pv.pitch, pv.depth, pv.clip};
  for (int64_t y = start; y < end; ++y) Store(v.At(x, y), pv.depth, color);
}

void Surface::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, DWORD color) {
  if (x1 == x2) {
    DrawVLine(y1, y2, x1, color);
    return;
  }
  if (y1 == y2) {
    DrawHLine(x1, x2, y1, color);
    return;
  }
  PixelView pv;
  if (!GetPixelView(pv)) return;
  View v{pv.bits, pv.pitch, pv.depth, pv.clip};
  int64_t dx = std::llabs(static_cast<int64_t>(x2) - x1);
  int64_t dy = std::llabs(static_cast<int64_t>(y2) - y1);
  if (dx > dy) {
    if (x1 > x2) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    double slope = static_cast<double>(static_cast<int64_t>(y2) - y1) / static_cast<double>(static_cast<int64_t>(x2) - x1);
    double value = y1;
    int64_t x = x1;
    SkipTo(x, value, slope, v.clip.left);  // columns left of the clip draw nothing
    int64_t last = std::min<int64_t>(x2, static_cast<int64_t>(v.clip.right) - 1);
    for (; x <= last; ++x) {
      Plot(v, x, static_cast<int64_t>(std::trunc(value)), color);
      value += slope;
    }
  } else {
    if (y1 > y2) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    double slope = static_cast<double>(static_cast<int64_t>(x2) - x1) / static_cast<double>(static_cast<int64_t>(y2) - y1);
    double value = x1;
    int64_t y = y1;
    SkipTo(y, value, slope, v.clip.top);
    int64_t last = std::min<int64_t>(y2, static_cast<int64_t>(v.clip.bottom) - 1);
    for (; y <= last; ++y) {
      Plot(v, static_cast<int64_t>(std::trunc(value)), y, color);
      value += slope;
    }
  }
}

// Wu's antialiased line with a 16-bit fixed-point error accumulator.
void Surface::DrawLineAA(int32_t x1, int32_t y1, int32_t x2, int32_t y2, DWORD color) {
  PixelView pv;
  if (!GetPixelView(pv)) return;
  View v{pv.bits, pv.pitch, pv.depth, pv.clip};
  if (y1 > y2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  int64_t x0 = x1, y0 = y1, xe = x2, ye = y2;
  Plot(v, x0, y0, color);
  int64_t dx = xe - x0;
  int step = 1;
  if (dx < 0) {
    step = -1;
    dx = -dx;
  }
  int64_t dy = ye - y0;

  // Straight and diagonal lines: the k-th point (k = 1 .. n) lies at
  // x0 + k * xs, y0 + k * ys; only the k that reach the clip are visited.
  auto straight = [&](int64_t n, int xs, int ys) {
    int64_t first = 1, last = n;
    auto limit = [&](int64_t base, int s, int64_t low, int64_t high) {
      if (s == 0) {
        if (base < low || base >= high) last = 0;
        return;
      }
      auto [f, l] = Window(base, s, low, high, 1);
      first = std::max(first, f);
      last = std::min(last, l);
    };
    limit(x0, xs, v.clip.left, v.clip.right);
    limit(y0, ys, v.clip.top, v.clip.bottom);
    for (int64_t k = first; k <= last; ++k) Plot(v, x0 + k * xs, y0 + k * ys, color);
  };
  if (dy == 0) {
    straight(dx, step, 0);
    return;
  }
  if (dx == 0) {
    straight(dy, 0, 1);
    return;
  }
  if (dx == dy) {
    straight(dy, step, 1);
    return;
  }

  // After k steps the accumulator holds (k * adj) mod 65536 and the minor
  // coordinate has moved once per wrap: floor(k * adj / 65536) times, or k
  // times when adj is 0 (then "new <= old" holds at every step).
  auto advance = [](int64_t k, int64_t adj, uint32_t& acc, int64_t& moves) {
    if (adj == 0) {
      moves = k;
      acc = 0;
    } else {
      __int128 total = static_cast<__int128>(k) * adj;
      moves = static_cast<int64_t>(total >> 16);
      acc = static_cast<uint32_t>(total & 0xFFFF);
    }
  };
  if (dy > dx) {  // steep: one row a step
    int64_t adj = (dx << 16) / dy;
    auto [first, last] = Window(y0, 1, v.clip.top, v.clip.bottom, 1);
    last = std::min(last, dy - 1);
    if (first <= last) {
      uint32_t acc;
      int64_t moves;
      advance(first - 1, adj, acc, moves);
      int64_t x = x0 + moves * step;
      for (int64_t k = first; k <= last; ++k) {
        uint32_t next = (acc + static_cast<uint32_t>(adj)) & 0xFFFF;
        if (next <= acc) x += step;
        acc = next;
        uint32_t w = acc >> 8;
        Blend(v, x, y0 + k, color, 255 - w);
        Blend(v, x + step, y0 + k, color, w);
      }
    }
  } else {  // shallow: one column a step
    int64_t adj = (dy << 16) / dx;
    auto [first, last] = Window(x0, step, v.clip.left, v.clip.right, 1);
    last = std::min(last, dx - 1);
    if (first <= last) {
      uint32_t acc;
      int64_t moves;
      advance(first - 1, adj, acc, moves);
      int64_t y = y0 + moves;
      for (int64_t k = first; k <= last; ++k) {
        uint32_t next = (acc + static_cast<uint32_t>(adj)) & 0xFFFF;
        if (next <= acc) ++y;
        acc = next;
        uint32_t w = acc >> 8;
        Blend(v, x0 + k * step, y, color, 255 - w);
        Blend(v, x0 + k * step, y + 1, color, w);
      }
    }
  }
  Plot(v, xe, ye, color);
}

// ---------------------------------------------------------------------------
// Boxes, circles, discs
// ---------------------------------------------------------------------------

void Surface::DrawBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, DWORD color) {
  DrawHLine(x1, x2, y1, color);
  DrawHLine(x1, x2, y2, color);
  DrawVLine(y1, y2, x1, color);
  DrawVLine(y1, y2, x2, color);
}

void Surface::DrawRoundedBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t radius, DWORD color) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  int64_t r = radius;
  DrawHLine(Clamp32(x1 + r), Clamp32(x2 - r), y1, color);
  DrawHLine(Clamp32(x1 + r), Clamp32(x2 - r), y2, color);
  DrawVLine(Clamp32(y1 + r), Clamp32(y2 - r), x1, color);
  DrawVLine(Clamp32(y1 + r), Clamp32(y2 - r), x2, color);
  PixelView pv;
  if (!GetPixelView(pv)) return;
  View v{pv.bits, pv.pitch, pv.depth, pv.clip};
  int64_t cl = x1 + r, cr = x2 - r, ct = y1 + r, cb = y2 - r;
  std::vector<std::pair<int64_t, int64_t>> windows = {
      Window(cr, 1, v.clip.left, v.clip.right, 1), Window(cl, -1, v.clip.left, v.clip.right, 1),
      Window(ct, -1, v.clip.top, v.clip.bottom, 1), Window(cb, 1, v.clip.top, v.clip.bottom, 1)};
  OctantLoop(radius, windows, [&](int64_t i, int64_t k) {
    Plot(v, cr + i, ct - k, color);
    Plot(v, cr + k, ct - i, color);
    Plot(v, cl - k, ct - i, color);
    Plot(v, cl - i, ct - k, color);
    Plot(v, cr + i, cb + k, color);
    Plot(v, cr + k, cb + i, color);
    Plot(v, cl - i, cb + k, color);
    Plot(v, cl - k, cb + i, color);
  });
}

void Surface::DrawCircle(int32_t cx, int32_t cy, int32_t radius, DWORD color) {
  PixelView pv;
  if (!GetPixelView(pv)) return;
  View v{pv.bits, pv.pitch, pv.depth, pv.clip};
  int64_t x = cx, y = cy;
  std::vector<std::pair<int64_t, int64_t>> windows = {
      Window(x, 1, v.clip.left, v.clip.right, 1), Window(x, -1, v.clip.left, v.clip.right, 1),
      Window(y, 1, v.clip.top, v.clip.bottom, 1), Window(y, -1, v.clip.top, v.clip.bottom, 1)};
  OctantLoop(radius, windows, [&](int64_t i, int64_t k) {
    Plot(v, x + i, y - k, color);
    Plot(v, x - i, y - k, color);
    Plot(v, x + i, y + k, color);
    Plot(v, x - i, y + k, color);
    Plot(v, x + k, y - i, color);
    Plot(v, x - k, y - i, color);
    Plot(v, x + k, y + i, color);
    Plot(v, x - k, y + i, color);
  });
}

void Surface::FillCircle(int32_t cx, int32_t cy, int32_t radius, DWORD color) {
  PixelView pv;
  if (!GetPixelView(pv)) return;
  int64_t first = static_cast<int64_t>(cy) - radius;
  if (first < pv.clip.top)
    first = pv.clip.top;
  else if (first > pv.clip.bottom)
    return;
  int64_t end = static_cast<int64_t>(cy) + radius;
  if (end > pv.clip.bottom)
    end = pv.clip.bottom;
  else if (end < pv.clip.top)
    return;
  if (first >= end) return;
  double r2 = static_cast<double>(radius) * static_cast<double>(radius);
  for (int64_t y = first; y < end; ++y) {
    double d = static_cast<double>(cy - y);
    int64_t h = RoundedRoot(r2 - d * d);
    if (h < 0) continue;
    DrawHLine(Clamp32(cx - h), Clamp32(cx + h), static_cast<int32_t>(y), color);
  }
}

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

void Surface::MakeFont(const char* faceName, int32_t width, int32_t height, int32_t weight) {
  if (textFont) DeleteObject(textFont);
  textFont = CreateFontA(height, width, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, VARIABLE_PITCH, faceName);
}

HGDIOBJ Surface::SelectFont() { return SelectObject(deviceContext, textFont); }

void Surface::DrawTextAt(int32_t x, int32_t y, COLORREF color, const char* text) {
  if (!text) return;
  SetBkMode(deviceContext, TRANSPARENT);
  SetTextColor(deviceContext, color);
  TextOutA(deviceContext, x, y, text, static_cast<int>(strlen(text)));
}

int32_t Surface::DrawTextInRect(const char* text, COLORREF color, RECT* rect) {
  if (!text || !rect) return 0;
  SetBkMode(deviceContext, TRANSPARENT);
  SetTextColor(deviceContext, color);
  return DrawTextA(deviceContext, text, static_cast<int>(strlen(text)), rect, DT_WORDBREAK);
}
