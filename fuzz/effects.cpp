// SPDX-License-Identifier: MIT
// Every effect copy driven with arbitrary surfaces and arguments: pixel formats
// (source and destination chosen apart, so mismatched pairs come up), sizes,
// clip rectangles (also ones set straight into the public field, past the
// surface), size fields that disagree with the memory, alpha masks, keys,
// levels, points and source rectangles over the whole 32-bit range. The
// sanitizers catch any access outside the surfaces and the mask; afterwards
// both surfaces must be unlocked.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "media/surface.h"
#include "platform/ddraw.h"
#include "platform/headless.h"

namespace {

// Reads the input front to back; zeros once it runs out.
struct Reader {
  const uint8_t* data;
  size_t size;
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  uint32_t Word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return v;
  }
  // Mostly small values near the surfaces, sometimes anything.
  int32_t Coordinate() {
    uint8_t how = Byte();
    if (how < 200) return static_cast<int32_t>(Byte() % 48) - 8;
    return static_cast<int32_t>(Word());
  }
};

IDirectDraw4* Device() {
  static IDirectDraw4* dd = [] {
    platform::headless::Reset();
    IDirectDraw* first = nullptr;
    IDirectDraw4* four = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK) abort();
    first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&four));
    first->Release();
    return four;
  }();
  return dd;
}

DDPIXELFORMAT FormatOf(uint8_t choice) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB;
  switch (choice % 5) {
    case 0:
      f.dwFlags |= DDPF_PALETTEINDEXED8;
      f.dwRGBBitCount = 8;
      break;
    case 1:
      f.dwRGBBitCount = 16;
      f.dwRBitMask = 0x7C00;
      f.dwGBitMask = 0x03E0;
      f.dwBBitMask = 0x001F;
      break;
    case 2:
      f.dwRGBBitCount = 16;
      f.dwRBitMask = 0xF800;
      f.dwGBitMask = 0x07E0;
      f.dwBBitMask = 0x001F;
      break;
    default:
      f.dwRGBBitCount = choice % 5 == 3 ? 24 : 32;
      f.dwRBitMask = 0xFF0000;
      f.dwGBitMask = 0x00FF00;
      f.dwBBitMask = 0x0000FF;
      break;
  }
  return f;
}

bool Make(Surface& s, Reader& in) {
  DDPIXELFORMAT f = FormatOf(in.Byte());
  int w = 1 + in.Byte() % 40, h = 1 + in.Byte() % 12;
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  desc.dwWidth = static_cast<DWORD>(w);
  desc.dwHeight = static_cast<DWORD>(h);
  desc.ddpfPixelFormat = f;
  if (Device()->CreateSurface(&desc, &s.ddSurface, nullptr) != DD_OK) return false;
  s.Width = w;
  s.Height = h;
  s.SrcRect = s.DestRect = RECT{0, 0, w, h};
  AnalysePixelFormat(s.ddSurface, &s.PixelFormatInfo);
  uint8_t flags = in.Byte();
  if (flags & 1) {
    s.SetClipRect(RECT{in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate()});
  } else if (flags & 2) {
    s.ClipRect = RECT{in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate()};  // unchecked
  } else {
    s.SetClipRect(RECT{0, 0, w, h});
  }
  if (flags & 4) s.PixelFormatInfo.format = FormatOf(in.Byte()).dwRGBBitCount;  // a code that may not fit
  if (flags & 8) {
    // Size fields that disagree with the memory; the mask follows the fields.
    s.Width = in.Byte() % 48;
    s.Height = in.Byte() % 16;
  }
  if ((flags & 16) && s.Width > 0 && s.Height > 0) {
    size_t n = static_cast<size_t>(s.Width) * static_cast<size_t>(s.Height);
    s.AlphaMask = new uint8_t[n];
    for (size_t i = 0; i < n; ++i) s.AlphaMask[i] = in.Byte();
  }
  s.ColorKey = (flags & 32) ? in.Word() : (flags & 64 ? 0 : 0xFFFFFFFFu);
  DDSURFACEDESC2 lock{};
  lock.dwSize = sizeof lock;
  if (s.ddSurface->Lock(nullptr, &lock, DDLOCK_WAIT, nullptr) == DD_OK) {
    auto* bits = static_cast<uint8_t*>(lock.lpSurface);
    for (DWORD y = 0; y < lock.dwHeight; ++y)
      for (DWORD x = 0; x < lock.dwWidth * (lock.ddpfPixelFormat.dwRGBBitCount / 8); ++x)
        bits[y * static_cast<DWORD>(lock.lPitch) + x] = in.Byte();
    s.ddSurface->Unlock(nullptr);
  }
  return true;
}

bool Unlocked(Surface& s) {
  DDSURFACEDESC2 lock{};
  lock.dwSize = sizeof lock;
  if (s.ddSurface->Lock(nullptr, &lock, DDLOCK_WAIT, nullptr) != DD_OK) return false;
  s.ddSurface->Unlock(nullptr);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  Surface source, dest;
  if (!Make(source, in) || !Make(dest, in)) return 0;
  for (int call = 0; call < 4 && in.size > 0; ++call) {
    uint8_t member = in.Byte();
    int32_t x = in.Coordinate(), y = in.Coordinate();
    RECT r = {in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate()};
    uint32_t level = (in.Byte() & 1) ? in.Word() : in.Byte() * 2u;
    Surface* to = (member & 0x80) ? &source : &dest;  // sometimes a surface onto itself
    switch (member % 11) {
      case 0: source.DrawHalfBlend(to, x, y, r); break;
      case 1: source.DrawHalfBlendKeyed(to, x, y, r); break;
      case 2: source.DrawBlend(to, x, y, r, level); break;
      case 3: source.DrawBlendKeyed(to, x, y, r, level); break;
      case 4: source.DrawAlphaMasked(to, x, y, r); break;
      case 5: source.DrawDarken(to, x, y, r, level); break;
      case 6: source.DrawShadow(to, x, y, r, level); break;
      case 7: source.DrawDarkenHalf(to, x, y, r); break;
      case 8: source.DrawShadowHalf(to, x, y, r); break;
      case 9: source.DrawFaded(to, x, y, r, static_cast<int32_t>(level)); break;
      default: to->Invert(r.left, r.top, r.right, r.bottom); break;
    }
    if (!Unlocked(source) || !Unlocked(dest)) abort();
  }
  return 0;
}
