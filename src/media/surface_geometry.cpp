// SPDX-License-Identifier: MIT
// Copies that change the picture's geometry: mirrored left-right or up-down
// (clipped against both surfaces, with a pixel-by-pixel path for displays that
// cannot mirror), and copies zoomed by a factor or resized to a given size
// about the centre of the rectangle the unscaled copy would cover.
#include <cmath>
#include <cstring>
#include <vector>

#include "media/surface.h"

namespace {

// A value worked out in real arithmetic that must become a 32-bit coordinate;
// false when it is not a number or does not fit.
bool ToCoordinate(double value, int32_t& out) {
  if (!(value >= -2147483648.0 && value <= 2147483647.0)) return false;
  out = static_cast<int32_t>(value);
  return true;
}

// The source rectangle after trimming to ClipRect: empty or inverted ones
// (which ClipToClipRect lets through) have nothing to copy.
bool HasArea(const RECT& r) { return r.right > r.left && r.bottom > r.top; }

// Inverted rectangles cover nothing and are refused; one of zero width or
// height is a copy of nothing, which succeeds.
bool Inverted(const RECT& r) { return r.right < r.left || r.bottom < r.top; }

// The bits of a pixel that the colour key is compared with: the whole pixel
// up to 24 bits, the low 24 bits of a 32-bit one. The key is taken as it is,
// so a key with bits outside these matches no pixel.
DWORD KeyedBits(DWORD pixel, DWORD bitsPerPixel) { return bitsPerPixel == 32 ? pixel & 0xFFFFFF : pixel; }

DDBLTFX MirrorEffect(bool vertical) {
  DDBLTFX fx;
  memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwDDFX = vertical ? DDBLTFX_MIRRORUPDOWN : DDBLTFX_MIRRORLEFTRIGHT;
  return fx;
}

}  // namespace

// ---------------------------------------------------------------------------
// Mirrored copies
// ---------------------------------------------------------------------------

HRESULT Surface::DrawMirroredHClipped(Surface* destination, int32_t x, int32_t y, RECT source) {
  return DrawMirroredClipped(destination, x, y, source, false, false);
}

HRESULT Surface::DrawMirroredHKeyedClipped(Surface* destination, int32_t x, int32_t y, RECT source) {
  return DrawMirroredClipped(destination, x, y, source, false, true);
}

HRESULT Surface::DrawMirroredVClipped(Surface* destination, int32_t x, int32_t y, RECT source) {
  return DrawMirroredClipped(destination, x, y, source, true, false);
}

HRESULT Surface::DrawMirroredVKeyedClipped(Surface* destination, int32_t x, int32_t y, RECT source) {
  return DrawMirroredClipped(destination, x, y, source, true, true);
}

HRESULT Surface::DrawMirroredClipped(Surface* destination, int32_t x, int32_t y, RECT source, bool vertical,
                                     bool keyed) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  // The source is held to its own ClipRect first. The trimming below moves
  // what the destination cuts off to the opposite side of the source, measured
  // from the far edge as it stands here; a far edge beyond ClipRect would
  // otherwise carry that excess over to the near side and read past ClipRect.
  if (!ClipToClipRect(source) || Inverted(source)) return E_FAIL;
  const int64_t x0 = x, y0 = y;
  const int64_t farEdge = vertical ? source.bottom : source.right;
  // An inverted ClipRect on either side can leave an inverted rectangle.
  if (!ClipForBlit(destination, x, y, source) || Inverted(source)) return E_FAIL;
  // A rectangle of zero width or height inside both surfaces draws nothing,
  // as the effect copies do with it.
  if (!HasArea(source)) return DD_OK;

  // The picture is mirrored, so a cut at the destination's near side takes
  // columns (rows) off the source's far side and the other way round. With the
  // near side trimmed by a and the far side by b, the source [L + a, R - b)
  // becomes [L + b, R - a); its width is unchanged.
  LONG& nearSide = vertical ? source.top : source.left;
  LONG& farSide = vertical ? source.bottom : source.right;
  int64_t nearCut = vertical ? y - y0 : x - x0;
  int64_t farCut = farEdge - farSide;
  nearSide = static_cast<LONG>(nearSide - nearCut + farCut);
  farSide = static_cast<LONG>(farEdge - nearCut);

  int32_t w = source.right - source.left;
  int32_t h = source.bottom - source.top;
  RECT target = {x, y, x + w, y + h};
  DDBLTFX fx = MirrorEffect(vertical);
  DWORD flags = DDBLT_DDFX | DDBLT_WAIT | (keyed ? DDBLT_KEYSRC : 0);
  if (destination->ddSurface->Blt(&target, ddSurface, &source, flags, &fx) == DD_OK) return DD_OK;
  return DrawMirroredByPixels(destination, source, x, y, vertical, keyed);
}

// Source pixel (left + j, top + i) goes to (x + w - 1 - j, y + i), or to
// (x + j, y + h - 1 - i) up-down: the rectangle the platform's copy would
// have filled.
HRESULT Surface::DrawMirroredByPixels(Surface* destination, const RECT& from, int32_t x, int32_t y, bool vertical,
                                      bool keyed) {
  const int32_t w = from.right - from.left;
  const int32_t h = from.bottom - from.top;
  HRESULT hr = Lock();
  if (hr != DD_OK) return hr;
  const DWORD sourceBits = SurfaceDesc.ddpfPixelFormat.dwRGBBitCount;
  // A copy within one surface reads the whole source before writing, as the
  // platform's copy does; the surface is locked only once.
  std::vector<DWORD> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int32_t i = 0; i < h; ++i)
    for (int32_t j = 0; j < w; ++j)
      pixels[static_cast<size_t>(i) * static_cast<size_t>(w) + static_cast<size_t>(j)] =
          GetPixel(from.left + j, from.top + i);
  if (destination != this) {
    Unlock();
    hr = destination->Lock();
    if (hr != DD_OK) return hr;
  }
  for (int32_t i = 0; i < h; ++i) {
    for (int32_t j = 0; j < w; ++j) {
      DWORD pixel = pixels[static_cast<size_t>(i) * static_cast<size_t>(w) + static_cast<size_t>(j)];
      if (keyed && KeyedBits(pixel, sourceBits) == ColorKey) continue;
      if (vertical)
        destination->PutPixel(x + j, y + h - 1 - i, pixel);
      else
        destination->PutPixel(x + w - 1 - j, y + i, pixel);
    }
  }
  destination->Unlock();
  return DD_OK;
}

// ---------------------------------------------------------------------------
// Zoomed and resized copies
// ---------------------------------------------------------------------------

HRESULT Surface::DrawZoomed(Surface* destination, int32_t x, int32_t y, RECT source, float factor) {
  return DrawZoomedAbout(destination, x, y, source, factor, false);
}

HRESULT Surface::DrawZoomedKeyed(Surface* destination, int32_t x, int32_t y, RECT source, float factor) {
  return DrawZoomedAbout(destination, x, y, source, factor, true);
}

HRESULT Surface::DrawResized(Surface* destination, int32_t x, int32_t y, RECT source, int32_t width,
                             int32_t height) {
  return DrawResizedAbout(destination, x, y, source, width, height, false);
}

HRESULT Surface::DrawResizedKeyed(Surface* destination, int32_t x, int32_t y, RECT source, int32_t width,
                                  int32_t height) {
  return DrawResizedAbout(destination, x, y, source, width, height, true);
}

// The scaled rectangle keeps the centre of (x, y, x + w, y + h). Its width
// and its left edge come from the single-precision product w * factor, as the
// factor is given; the height and top from the product in double precision.
// A negative factor counts as 0; a factor that is not a number, or a
// rectangle beyond 32-bit coordinates, draws nothing.
HRESULT Surface::DrawZoomedAbout(Surface* destination, int32_t x, int32_t y, RECT source, float factor,
                                 bool keyed) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  if (!ClipToClipRect(source) || Inverted(source)) return E_FAIL;
  if (std::isnan(factor)) return E_FAIL;
  if (factor < 0) factor = 0;
  const double w = static_cast<double>(source.right) - source.left;
  const double h = static_cast<double>(source.bottom) - source.top;
  const double f = factor;
  const float product = static_cast<float>(w) * factor;
  const double width = std::trunc(static_cast<double>(product));
  const double top = std::trunc(y + h * 0.5 - h * f * 0.5);
  const double left = std::trunc(x + w * 0.5 - static_cast<double>(product) * 0.5);
  return DrawScaledRect(destination, source, left, top, left + width, top + std::trunc(h * f), f, f, keyed);
}

HRESULT Surface::DrawResizedAbout(Surface* destination, int32_t x, int32_t y, RECT source, int32_t width,
                                  int32_t height, bool keyed) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  if (!ClipToClipRect(source) || Inverted(source)) return E_FAIL;
  if (width <= 0 || height <= 0) return E_FAIL;
  const double w = static_cast<double>(source.right) - source.left;
  const double h = static_cast<double>(source.bottom) - source.top;
  const double top = std::trunc(y + h * 0.5 - height * 0.5);
  const double left = std::trunc(x + w * 0.5 - width * 0.5);
  return DrawScaledRect(destination, source, left, top, left + width, top + height, width / w, height / h, keyed);
}

// A source rectangle of zero width or height that lies inside its ClipRect
// goes to the platform as it is, and its answer is the result: there is no
// picture to scale, but the copy did not clip away. Otherwise an empty
// rectangle on either side draws nothing and fails.
HRESULT Surface::DrawScaledRect(Surface* destination, RECT source, double left, double top, double right,
                                double bottom, double scaleX, double scaleY, bool keyed) {
  const bool emptySource = !HasArea(source);
  RECT target;
  if (!ToCoordinate(left, target.left) || !ToCoordinate(top, target.top) || !ToCoordinate(right, target.right) ||
      !ToCoordinate(bottom, target.bottom))
    return E_FAIL;
  // An empty rectangle (factor 0) draws nothing.
  if (!emptySource && (target.right <= target.left || target.bottom <= target.top)) return E_FAIL;
  const RECT unclipped = target;
  if (!destination->ClipToClipRect(target) || (!emptySource && !HasArea(target))) return E_FAIL;

  // Each destination side moved by t moves the same source side by t over the
  // scale of its axis. The moves only ever shrink the source. An empty source
  // is passed on as it is: the platform judges it.
  if (!emptySource) {
    auto moved = [](LONG clipped, LONG original, double scale) {
      return static_cast<int64_t>(std::trunc((static_cast<double>(clipped) - original) / scale));
    };
    int64_t sourceLeft = source.left + moved(target.left, unclipped.left, scaleX);
    int64_t sourceTop = source.top + moved(target.top, unclipped.top, scaleY);
    int64_t sourceRight = source.right + moved(target.right, unclipped.right, scaleX);
    int64_t sourceBottom = source.bottom + moved(target.bottom, unclipped.bottom, scaleY);
    // Rounding of a single-precision width can make the trimmed amounts,
    // scaled back, meet or cross; nothing is left to draw then.
    if (sourceRight <= sourceLeft || sourceBottom <= sourceTop) return E_FAIL;
    source = RECT{static_cast<LONG>(sourceLeft), static_cast<LONG>(sourceTop), static_cast<LONG>(sourceRight),
                  static_cast<LONG>(sourceBottom)};
  }
  DWORD flags = DDBLT_WAIT | (keyed ? DDBLT_KEYSRC : 0);
  return AfterCopy(destination->ddSurface->Blt(&target, ddSurface, &source, flags, nullptr));
}
