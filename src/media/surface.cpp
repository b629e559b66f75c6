// SPDX-License-Identifier: MIT
// Surface: record, creation, copying, destruction, pixel-format summary, lost
// surfaces, and the copy, fill, lock and clipping operations.
#include "media/surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "media/errors.h"
#include "media/screen.h"

namespace {

// How often Lock and Unlock bring a lost surface back and try again before
// they give up; a surface that stays lost (another program holds the display)
// must not make them spin for ever.
constexpr int kLostSurfaceRetries = 16;
// How often a lock without the wait flag is tried while the surface is busy.
constexpr int kStillDrawingRetries = 100000;

void PrepareDescription(DDSURFACEDESC2& desc) {
  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
}

// The low bitCount bits of the first pixel of a locked surface; only the
// pixel's own bytes are read.
DWORD FirstPixelValue(const DDSURFACEDESC2& desc) {
  DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
  if (!desc.lpSurface || bits == 0) return 0xFFFFFFFF;
  size_t bytes = std::min<size_t>((bits + 7) / 8, 4);
  uint8_t raw[4] = {0, 0, 0, 0};
  memcpy(raw, desc.lpSurface, bytes);
  DWORD value = static_cast<DWORD>(raw[0]) | static_cast<DWORD>(raw[1]) << 8 | static_cast<DWORD>(raw[2]) << 16 |
                static_cast<DWORD>(raw[3]) << 24;
  if (bits < 32) value &= (1u << bits) - 1;
  return value;
}

int32_t ClampToInt32(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

int32_t WrapToInt32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

}  // namespace

// The first pixel of a surface locked without waiting, retried while the
// surface is still busy; CLR_INVALID (all bits set) when it cannot be locked.
DWORD ReadFirstPixel(IDirectDrawSurface4* surface) {
  if (!surface) return 0xFFFFFFFF;
  DDSURFACEDESC2 desc;
  PrepareDescription(desc);
  HRESULT hr = surface->Lock(nullptr, &desc, 0, nullptr);
  for (int tries = 0; hr == DDERR_WASSTILLDRAWING && tries < kStillDrawingRetries; ++tries) {
    PrepareDescription(desc);
    hr = surface->Lock(nullptr, &desc, 0, nullptr);
  }
  if (hr != DD_OK) return 0xFFFFFFFF;
  DWORD value = FirstPixelValue(desc);
  surface->Unlock(nullptr);
  return value;
}

DWORD CapsOfMemoryType(MemoryType memoryType) {
  switch (static_cast<uint8_t>(memoryType)) {
    case VideoMemory:
      return DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    case SystemMemory:
      return DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    default:
      return DDSCAPS_OFFSCREENPLAIN;
  }
}

bool AnalysePixelFormat(IDirectDrawSurface4* surface, PixelFormatInfo* info) {
  if (!surface || !info) return false;
  DDSURFACEDESC2 desc;
  PrepareDescription(desc);
  desc.dwFlags = DDSD_PIXELFORMAT;
  if (surface->GetSurfaceDesc(&desc) != DD_OK) return false;
  const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
  if (format.dwRGBBitCount <= 8) {
    *info = PixelFormatInfo{};
    info->format = static_cast<int32_t>(format.dwRGBBitCount);
    return true;
  }
  auto channel = [](DWORD mask, uint8_t& maskByte, uint8_t& shift) {
    int zeros = 0;
    while (zeros < 32 && !(mask & (1u << zeros))) ++zeros;
    shift = static_cast<uint8_t>(zeros);
    maskByte = zeros >= 32 ? 0 : static_cast<uint8_t>((mask >> zeros) & 0xFF);
  };
  channel(format.dwRBitMask, info->redMask, info->redShift);
  channel(format.dwGBitMask, info->greenMask, info->greenShift);
  channel(format.dwBBitMask, info->blueMask, info->blueShift);
  if (!(format.dwFlags & DDPF_RGB)) {
    info->format = 0;
    return false;
  }
  switch (format.dwRGBBitCount) {
    case 16:
      info->format = info->redMask + info->greenMask + info->blueMask == 93 ? 15 : 16;
      break;
    case 24:
      info->format = 24;
      break;
    case 32:
      info->format = 32;
      break;
    default:
      info->format = 0;
      break;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Life cycle
// ---------------------------------------------------------------------------

Surface::Surface() = default;

Surface::Surface(Screen* owner, int32_t width, int32_t height, MemoryType memoryType) {
  Create(owner, width, height, memoryType);
}

Surface::Surface(Screen* owner, const char* name, MemoryType memoryType) { Load(owner, name, memoryType); }

Surface::Surface(const Surface& source) {
  DestRect = source.DestRect;
  ClipRect = source.ClipRect;
  ColorKey = source.ColorKey;
  SurfaceDesc = source.SurfaceDesc;
  screen = source.screen;
  fileName = source.fileName;
  Width = source.Width;
  Height = source.Height;
  PixelFormatInfo = source.PixelFormatInfo;
  SrcRect = source.SrcRect;
  if (source.AlphaMask && Width > 0 && Height > 0) {
    size_t count = static_cast<size_t>(Width) * static_cast<size_t>(Height);
    AlphaMask = new (std::nothrow) uint8_t[count];
    if (AlphaMask) memcpy(AlphaMask, source.AlphaMask, count);
  }
  if (source.textFont) {
    LOGFONTA font;
    memset(&font, 0, sizeof font);
    if (GetObjectA(source.textFont, sizeof font, &font) != 0) textFont = CreateFontIndirectA(&font);
  }
  if (!screen || !screen->GetDirectDraw()) return;
  // The copied description may come from a lock, which leaves the source's
  // pixel address and pitch in it; the copy gets memory of its own.
  DDSURFACEDESC2 request = SurfaceDesc;
  request.dwSize = sizeof request;
  request.dwFlags &= ~(DDSD_LPSURFACE | DDSD_PITCH | DDSD_LINEARSIZE);
  request.lpSurface = nullptr;
  request.lPitch = 0;
  HRESULT hr = screen->GetDirectDraw()->CreateSurface(&request, &ddSurface, nullptr);
  if (hr != DD_OK) {
    ddSurface = nullptr;
    ReportDirectDrawError(hr, screen->GetWindow(), "surface", 276);
    return;
  }
  const_cast<Surface&>(source).Draw(this);
}

Surface::~Surface() {
  if (textFont) {
    DeleteObject(textFont);
    textFont = nullptr;
  }
  if (deviceContext) ReleaseDC();
  delete[] AlphaMask;
  AlphaMask = nullptr;
  if (ddSurface) {
    ddSurface->Release();
    ddSurface = nullptr;
  }
}

void Surface::ReleaseInterface() {
  if (deviceContext) ReleaseDC();
  if (ddSurface) {
    ddSurface->Release();
    ddSurface = nullptr;
  }
}

void Surface::SetBookkeeping(Screen* owner, int32_t width, int32_t height) {
  deviceContext = nullptr;
  fileName = nullptr;
  screen = owner;
  ColorKey = 0xFFFFFFFF;
  Width = width;
  Height = height;
  DestRect = SrcRect = ClipRect = RECT{0, 0, width, height};
  PixelFormatInfo = ::PixelFormatInfo{};
  AnalysePixelFormat(ddSurface, &PixelFormatInfo);
  delete[] AlphaMask;
  AlphaMask = nullptr;
}

bool Surface::Create(Screen* owner, int32_t width, int32_t height, MemoryType memoryType) {
  PrepareDescription(SurfaceDesc);
  SurfaceDesc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  SurfaceDesc.ddsCaps.dwCaps = CapsOfMemoryType(memoryType);
  SurfaceDesc.dwWidth = static_cast<DWORD>(width);
  SurfaceDesc.dwHeight = static_cast<DWORD>(height);
  ReleaseInterface();
  if (!owner || !owner->GetDirectDraw()) return false;
  if (owner->GetDirectDraw()->CreateSurface(&SurfaceDesc, &ddSurface, nullptr) != DD_OK) {
    ddSurface = nullptr;
    return false;
  }
  // A font of an earlier life would be lost otherwise.
  if (textFont) {
    DeleteObject(textFont);
    textFont = nullptr;
  }
  SetBookkeeping(owner, width, height);
  return true;
}

void Surface::SetColorKeyFromTopLeft() {
  DWORD value = ReadFirstPixel(ddSurface);
  ColorKey = value;
  if (!ddSurface) return;
  DDCOLORKEY key = {value, value};
  ddSurface->SetColorKey(DDCKEY_SRCBLT, &key);
}

void Surface::Restore() {
  if (screen && screen->FullScreen && screen->GetBack() == this) {
    // The back buffer hangs on the front buffer's flipping chain.
    Surface* front = screen->GetFront();
    if (front && front->ddSurface) front->ddSurface->Restore();
    return;
  }
  if (!ddSurface) return;
  ddSurface->Restore();
  if (fileName) ReloadPicture();
}

// ---------------------------------------------------------------------------
// The draw operations
// ---------------------------------------------------------------------------

HRESULT Surface::AfterCopy(HRESULT result) {
  if (result == DDERR_SURFACELOST) Restore();
  return result;
}

HRESULT Surface::Draw(Surface* destination) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  return AfterCopy(destination->ddSurface->Blt(&DestRect, ddSurface, &SrcRect, DDBLT_WAIT, nullptr));
}

HRESULT Surface::DrawFast(int32_t x, int32_t y, Surface* destination) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  return AfterCopy(destination->ddSurface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), ddSurface,
                                                   &SrcRect, DDBLTFAST_WAIT));
}

HRESULT Surface::DrawFastKeyed(int32_t x, int32_t y, Surface* destination) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  return AfterCopy(destination->ddSurface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), ddSurface,
                                                   &SrcRect, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT));
}

HRESULT Surface::DrawFastKeyedInRect(int32_t x, int32_t y, Surface* destination, const RECT& limit) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  RECT source = SrcRect;
  ClipToRect(x, y, source, limit);
  return AfterCopy(destination->ddSurface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), ddSurface,
                                                   &source, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT));
}

HRESULT Surface::DrawToWindow(Surface* destination) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  HWND window = screen ? screen->GetWindow() : nullptr;
  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  POINT topLeft = {client.left, client.top};
  POINT bottomRight = {client.right, client.bottom};
  ClientToScreen(window, &topLeft);
  ClientToScreen(window, &bottomRight);
  RECT target = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  return AfterCopy(destination->ddSurface->Blt(&target, ddSurface, nullptr, DDBLT_WAIT, nullptr));
}

HRESULT Surface::DrawScaledXY(int32_t x, int32_t y, int32_t factorX, int32_t factorY, Surface* destination) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  DestRect = RECT{x, y, WrapToInt32(static_cast<int64_t>(x) + static_cast<int64_t>(Width) * factorX),
                  WrapToInt32(static_cast<int64_t>(y) + static_cast<int64_t>(Height) * factorY)};
  return AfterCopy(destination->ddSurface->Blt(&DestRect, ddSurface, &SrcRect, DDBLT_KEYSRC | DDBLT_WAIT, nullptr));
}

HRESULT Surface::DrawScaled(int32_t x, int32_t y, float factor, Surface* destination) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  // The product is taken in single precision, as the factor is given.
  int32_t width = ClampToInt32(std::trunc(static_cast<double>(static_cast<float>(Width) * factor)));
  int32_t height = ClampToInt32(std::trunc(static_cast<double>(static_cast<float>(Height) * factor)));
  DestRect = RECT{x, y, WrapToInt32(static_cast<int64_t>(x) + width), WrapToInt32(static_cast<int64_t>(y) + height)};
  return AfterCopy(destination->ddSurface->Blt(&DestRect, ddSurface, &SrcRect, DDBLT_KEYSRC | DDBLT_WAIT, nullptr));
}

// The two leading values are not used: the mirrored picture lands on the
// destination's rectangle equal to SrcRect.
HRESULT Surface::DrawMirroredH(int32_t, int32_t, Surface* destination) {
  return DrawMirrored(destination, DDBLTFX_MIRRORLEFTRIGHT);
}

HRESULT Surface::DrawMirroredV(int32_t, int32_t, Surface* destination) {
  return DrawMirrored(destination, DDBLTFX_MIRRORUPDOWN);
}

HRESULT Surface::DrawMirrored(Surface* destination, DWORD mirror) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  DDBLTFX fx;
  memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwDDFX = mirror;
  RECT target = SrcRect;
  return destination->ddSurface->Blt(&target, ddSurface, &SrcRect, DDBLT_DDFX | DDBLT_WAIT, &fx);
}

HRESULT Surface::ReservedDraw(int32_t, int32_t, int32_t, int32_t, int32_t) { return DD_OK; }

// ---------------------------------------------------------------------------
// Setters, clipped copies and fills
// ---------------------------------------------------------------------------

void Surface::SetSrcRect(int32_t top, int32_t left, int32_t bottom, int32_t right) {
  SrcRect = RECT{left, top, right, bottom};
}

void Surface::SetDestRect(int32_t top, int32_t left, int32_t bottom, int32_t right) {
  DestRect = RECT{left, top, right, bottom};
}

void Surface::SetClipRect(const RECT& rect) {
  ClipRect.top = std::max(rect.top, 0);
  ClipRect.left = std::max(rect.left, 0);
  ClipRect.bottom = std::min(rect.bottom, Height);
  ClipRect.right = std::min(rect.right, Width);
}

RECT Surface::GetClipRect() const { return ClipRect; }

HRESULT Surface::SetColorKey(DWORD value) {
  ColorKey = value;
  if (!ddSurface) return DDERR_INVALIDOBJECT;
  DDCOLORKEY key = {value, value};
  return ddSurface->SetColorKey(DDCKEY_SRCBLT, &key);
}

HRESULT Surface::DrawFastClipped(Surface* destination, int32_t x, int32_t y, RECT source) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  if (!ClipForBlit(destination, x, y, source)) return E_FAIL;
  return AfterCopy(destination->ddSurface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), ddSurface, &source,
                                                   DDBLTFAST_WAIT));
}

HRESULT Surface::DrawFastKeyedClipped(Surface* destination, int32_t x, int32_t y, RECT source) {
  if (!destination || !destination->ddSurface) return DDERR_INVALIDPARAMS;
  if (!ClipForBlit(destination, x, y, source)) return E_FAIL;
  return AfterCopy(destination->ddSurface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), ddSurface, &source,
                                                   DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT));
}

HRESULT Surface::Fill(DWORD color) {
  if (!ddSurface) return DDERR_INVALIDOBJECT;
  DDBLTFX fx;
  memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwFillColor = color;
  return ddSurface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

HRESULT Surface::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, DWORD color) {
  if (!ddSurface) return DDERR_INVALIDOBJECT;
  DDBLTFX fx;
  memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwFillColor = color;
  RECT target = {left, top, right, bottom};
  return ddSurface->Blt(&target, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

// ---------------------------------------------------------------------------
// Memory and device context
// ---------------------------------------------------------------------------

HRESULT Surface::Lock() {
  if (!ddSurface) return DDERR_INVALIDOBJECT;
  PrepareDescription(SurfaceDesc);
  HRESULT hr = ddSurface->Lock(nullptr, &SurfaceDesc, DDLOCK_WAIT, nullptr);
  for (int tries = 0; hr == DDERR_SURFACELOST && tries < kLostSurfaceRetries; ++tries) {
    Restore();
    if (ddSurface->IsLost() != DD_OK) break;  // still lost: nothing to gain by trying again
    PrepareDescription(SurfaceDesc);
    hr = ddSurface->Lock(nullptr, &SurfaceDesc, DDLOCK_WAIT, nullptr);
  }
  return hr;
}

void Surface::Unlock() {
  if (!ddSurface) return;
  HRESULT hr = ddSurface->Unlock(nullptr);
  for (int tries = 0; hr == DDERR_SURFACELOST && tries < kLostSurfaceRetries; ++tries) {
    Restore();
    if (ddSurface->IsLost() != DD_OK) break;
    hr = ddSurface->Unlock(nullptr);
  }
}

HDC Surface::GetDC() {
  if (!ddSurface) return nullptr;
  HDC dc = nullptr;
  if (ddSurface->GetDC(&dc) != DD_OK) dc = nullptr;
  deviceContext = dc;
  return deviceContext;
}

HRESULT Surface::ReleaseDC() {
  HRESULT hr = ddSurface ? ddSurface->ReleaseDC(deviceContext) : DDERR_INVALIDOBJECT;
  deviceContext = nullptr;
  return hr;
}

// ---------------------------------------------------------------------------
// Clipping
// ---------------------------------------------------------------------------

bool Surface::ClipToClipRect(RECT& r) const {
  if (r.top >= ClipRect.bottom || r.left >= ClipRect.right || r.bottom <= ClipRect.top || r.right <= ClipRect.left)
    return false;
  if (r.top < ClipRect.top) r.top = ClipRect.top;
  if (r.left < ClipRect.left) r.left = ClipRect.left;
  if (r.bottom > ClipRect.bottom) r.bottom = ClipRect.bottom;
  if (r.right > ClipRect.right) r.right = ClipRect.right;
  return true;
}

bool Surface::ClipForBlit(Surface* destination, int32_t& x, int32_t& y, RECT& source) const {
  if (!destination) return false;
  if (!ClipToClipRect(source)) return false;
  // The destination rectangle is worked out in 64 bits and then held to the
  // 32-bit range, so that a point near the limits cannot wrap around.
  auto clamp = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  int64_t right = static_cast<int64_t>(x) + (static_cast<int64_t>(source.right) - source.left);
  int64_t bottom = static_cast<int64_t>(y) + (static_cast<int64_t>(source.bottom) - source.top);
  RECT d = {x, y, clamp(right), clamp(bottom)};
  if (!destination->ClipToClipRect(d)) return false;
  source.top = clamp(static_cast<int64_t>(source.top) + (static_cast<int64_t>(d.top) - y));
  source.left = clamp(static_cast<int64_t>(source.left) + (static_cast<int64_t>(d.left) - x));
  source.bottom = clamp(static_cast<int64_t>(source.bottom) + (d.bottom - bottom));
  source.right = clamp(static_cast<int64_t>(source.right) + (d.right - right));
  x = d.left;
  y = d.top;
  return true;
}

void Surface::ClipToRect(int32_t& x, int32_t& y, RECT& source, const RECT& limit) const {
  if (static_cast<int64_t>(x) + (static_cast<int64_t>(source.right) - source.left) > limit.right)
    source.right = WrapToInt32(static_cast<int64_t>(limit.right) - x + source.left);
  if (x < limit.left) {
    source.left = WrapToInt32(static_cast<int64_t>(source.left) + limit.left - x);
    x = limit.left;
  }
  if (y < limit.top) {
    source.top = WrapToInt32(static_cast<int64_t>(source.top) + limit.top - y);
    y = limit.top;
  }
  if (static_cast<int64_t>(y) + (static_cast<int64_t>(source.bottom) - source.top) > limit.bottom)
    source.bottom = WrapToInt32(static_cast<int64_t>(limit.bottom) - y + source.top);
}
