// SPDX-License-Identifier: MIT
// Effect copies: half and level blends, alpha-mask blends, darkening and
// shadows, faded copies (the Screen's fades) and inversion, all on locked
// pixel memory. The pixel loops are in effect_pixels.*; this file clips, locks
// and checks that the loops are given only memory the locks handed out.
//
// Every copy clips like DrawFastClipped, then locks the source and the
// destination (in that order) and unlocks them in the same order. The checks
// after the locks go by what the locks report, not by the Surface's own
// fields: a destination whose format code does not match its memory, or a
// source whose pixels are of another size than the destination's, is left
// alone rather than read with the wrong pixel size.
#include <algorithm>

#include "media/internal/effect_pixels.h"
#include "media/surface.h"

namespace {

using effects::Op;

// A level read as an unsigned 16-bit number, 257 and above counting as 256.
uint32_t LimitLevel(uint32_t level) { return std::min<uint32_t>(level & 0xFFFF, 256); }

// Whether (left, top, right, bottom) lies within width x height.
bool Inside(int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t width, int64_t height) {
  return left >= 0 && top >= 0 && left <= right && top <= bottom && right <= width && bottom <= height;
}

int LockedBits(const Surface& s) { return static_cast<int>(s.SurfaceDesc.ddpfPixelFormat.dwRGBBitCount); }

struct Effect {
  Op op;
  bool keyed;
  uint32_t level;  // already limited
};

HRESULT Apply(Surface& self, Surface* destination, int32_t x, int32_t y, RECT source, const Effect& effect) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  if (!self.ClipForBlit(destination, x, y, source)) return E_FAIL;
  int64_t w = static_cast<int64_t>(source.right) - source.left;
  int64_t h = static_cast<int64_t>(source.bottom) - source.top;
  // An inverted rectangle passes the clip tests but covers nothing.
  if (w < 0 || h < 0) return E_FAIL;

  HRESULT hr = self.Lock();
  if (hr != DD_OK) return hr;
  hr = destination->Lock();
  if (hr != DD_OK) {
    self.Unlock();
    return hr;
  }

  HRESULT result = DD_OK;
  int format = destination->PixelFormatInfo.format;
  int bytes = effects::BytesOfFormat(format);
  bool readsSource = effect.keyed || (effect.op != Op::Darken && effect.op != Op::DarkenHalf);
  const DDSURFACEDESC2& sd = self.SurfaceDesc;
  const DDSURFACEDESC2& dd = destination->SurfaceDesc;
  if (bytes == 0) {
    // Formats without a pixel path (palettes in particular) change nothing.
  } else if (LockedBits(*destination) != 8 * bytes || (readsSource && LockedBits(self) != 8 * bytes)) {
    result = DDERR_INVALIDPIXELFORMAT;
  } else if (!Inside(source.left, source.top, source.right, source.bottom, sd.dwWidth, sd.dwHeight) ||
             !Inside(x, y, x + w, y + h, dd.dwWidth, dd.dwHeight) ||
             (effect.op == Op::AlphaMasked &&
              !Inside(source.left, source.top, source.right, source.bottom, self.Width, self.Height))) {
    // ClipRect reaching past the memory the lock gave (its fields are public).
    result = DDERR_INVALIDRECT;
  } else if (sd.lpSurface && dd.lpSurface && w > 0 && h > 0) {
    int srcBytes = LockedBits(self) / 8;
    effects::Job job;
    job.op = effect.op;
    job.format = format;
    job.dst = static_cast<uint8_t*>(dd.lpSurface) + static_cast<ptrdiff_t>(y) * dd.lPitch +
              static_cast<ptrdiff_t>(x) * bytes;
    job.dstPitch = dd.lPitch;
    job.src = static_cast<const uint8_t*>(sd.lpSurface) + static_cast<ptrdiff_t>(source.top) * sd.lPitch +
              static_cast<ptrdiff_t>(source.left) * srcBytes;
    job.srcPitch = sd.lPitch;
    if (effect.op == Op::AlphaMasked) {
      job.mask = self.AlphaMask + static_cast<ptrdiff_t>(source.top) * self.Width + source.left;
      job.maskPitch = self.Width;
    }
    job.w = static_cast<int>(w);
    job.h = static_cast<int>(h);
    job.keyed = effect.keyed;
    job.key = self.ColorKey;
    job.level = effect.level;
    effects::Run(job);
  }
  self.Unlock();
  destination->Unlock();
  return result;
}

}  // namespace

HRESULT Surface::DrawHalfBlend(Surface* destination, int32_t x, int32_t y, RECT source) {
  return Apply(*this, destination, x, y, source, {Op::HalfBlend, false, 0});
}

HRESULT Surface::DrawHalfBlendKeyed(Surface* destination, int32_t x, int32_t y, RECT source) {
  return Apply(*this, destination, x, y, source, {Op::HalfBlend, true, 0});
}

HRESULT Surface::DrawBlend(Surface* destination, int32_t x, int32_t y, RECT source, uint32_t level) {
  return Apply(*this, destination, x, y, source, {Op::Blend, false, LimitLevel(level)});
}

HRESULT Surface::DrawBlendKeyed(Surface* destination, int32_t x, int32_t y, RECT source, uint32_t level) {
  return Apply(*this, destination, x, y, source, {Op::Blend, true, LimitLevel(level)});
}

HRESULT Surface::DrawAlphaMasked(Surface* destination, int32_t x, int32_t y, RECT source) {
  if (!AlphaMask) {
    DrawFastKeyedClipped(destination, x, y, source);
    return E_FAIL;
  }
  return Apply(*this, destination, x, y, source, {Op::AlphaMasked, true, 0});
}

HRESULT Surface::DrawDarken(Surface* destination, int32_t x, int32_t y, RECT source, uint32_t level) {
  return Apply(*this, destination, x, y, source, {Op::Darken, false, LimitLevel(level)});
}

HRESULT Surface::DrawShadow(Surface* destination, int32_t x, int32_t y, RECT source, uint32_t level) {
  return Apply(*this, destination, x, y, source, {Op::Darken, true, LimitLevel(level)});
}

HRESULT Surface::DrawDarkenHalf(Surface* destination, int32_t x, int32_t y, RECT source) {
  return Apply(*this, destination, x, y, source, {Op::DarkenHalf, false, 0});
}

HRESULT Surface::DrawShadowHalf(Surface* destination, int32_t x, int32_t y, RECT source) {
  return Apply(*this, destination, x, y, source, {Op::DarkenHalf, true, 0});
}

HRESULT Surface::DrawFaded(Surface* destination, int32_t x, int32_t y, RECT source, int32_t level) {
  // Levels outside 0..256 would carry one channel into the next.
  uint32_t held = static_cast<uint32_t>(std::clamp(level, 0, 256));
  return Apply(*this, destination, x, y, source, {Op::Faded, false, held});
}

HRESULT Surface::Invert(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, Width);
  bottom = std::min(bottom, Height);
  if (left >= right || top >= bottom) return DD_OK;
  HRESULT hr = Lock();
  if (hr != DD_OK) return hr;
  int bytes = (PixelFormatInfo.format + 1) / 8;
  HRESULT result = DD_OK;
  if (bytes > 0) {
    if (LockedBits(*this) != 8 * bytes) {
      result = DDERR_INVALIDPIXELFORMAT;
    } else if (!Inside(left, top, right, bottom, SurfaceDesc.dwWidth, SurfaceDesc.dwHeight)) {
      result = DDERR_INVALIDRECT;
    } else if (SurfaceDesc.lpSurface) {
      auto* bits = static_cast<uint8_t*>(SurfaceDesc.lpSurface) + static_cast<ptrdiff_t>(top) * SurfaceDesc.lPitch +
                   static_cast<ptrdiff_t>(left) * bytes;
      effects::Invert(bits, SurfaceDesc.lPitch, right - left, bottom - top, bytes);
    }
  }
  Unlock();
  return result;
}
