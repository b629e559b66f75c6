// SPDX-License-Identifier: MIT
// The effect copies as the benchmarks run them, on 800 x 600 surfaces in 16
// bits (5-6-5) and 32 bits (x8r8g8b8): a picture of keyed runs and colours
// with an alpha mask, drawn whole onto a grey surface. Shared by the
// benchmark beside SDL2 and pixman (bench/effects.cpp) and the timing program
// that runs natively and in the browser (tools/effect_timing.cpp).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "media/surface.h"
#include "platform/ddraw.h"
#ifndef __EMSCRIPTEN__
#include "platform/headless.h"
#endif

namespace effect_bench {

constexpr int kW = 800, kH = 600;
constexpr uint32_t kLevel = 100;
constexpr uint32_t kKey16 = 0xF81F, kKey32 = 0x00FF00FF;  // magenta

// Sprites on a keyed background: runs of the key and of colours, about half
// of each; and an alpha mask of the same runs (0 on the key, ramps elsewhere).
struct Picture {
  std::vector<uint32_t> pixels;  // 0x00RRGGBB
  std::vector<uint8_t> alpha;
};

inline Picture MakePicture() {
  std::mt19937 rng(1);
  Picture p;
  size_t n = static_cast<size_t>(kW) * kH;
  p.pixels.resize(n);
  p.alpha.resize(n);
  size_t i = 0;
  bool key = true;
  while (i < n) {
    size_t run = 1 + rng() % 48;
    for (size_t k = 0; k < run && i < n; ++k, ++i) {
      p.pixels[i] = key ? 0xFF00FF : (rng() & 0xF0F0F0);
      p.alpha[i] = key ? 0 : static_cast<uint8_t>(40 + k * 4);
    }
    key = !key;
  }
  return p;
}

inline const Picture& Pic() {
  static Picture p = MakePicture();
  return p;
}

inline uint16_t To565(uint32_t c) {
  return static_cast<uint16_t>(((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F));
}

// ---- ours ----

struct Ours {
  IDirectDraw4* dd = nullptr;
  Surface src[2], dst[2], dark[2];  // [0]: 16 bits, [1]: 32 bits

  void Make(Surface& s, int bits, bool picture) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.dwWidth = kW;
    d.dwHeight = kH;
    d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    d.ddpfPixelFormat.dwFlags = DDPF_RGB;
    d.ddpfPixelFormat.dwRGBBitCount = static_cast<DWORD>(bits);
    d.ddpfPixelFormat.dwRBitMask = bits == 16 ? 0xF800 : 0xFF0000;
    d.ddpfPixelFormat.dwGBitMask = bits == 16 ? 0x07E0 : 0x00FF00;
    d.ddpfPixelFormat.dwBBitMask = bits == 16 ? 0x001F : 0x0000FF;
    if (dd->CreateSurface(&d, &s.ddSurface, nullptr) != DD_OK) abort();
    s.Width = kW;
    s.Height = kH;
    s.SetClipRect(RECT{0, 0, kW, kH});
    AnalysePixelFormat(s.ddSurface, &s.PixelFormatInfo);
    if (s.Lock() != DD_OK) abort();
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint32_t c = picture ? Pic().pixels[static_cast<size_t>(y) * kW + x] : 0x808080;
        auto* row = static_cast<uint8_t*>(s.SurfaceDesc.lpSurface) + y * s.SurfaceDesc.lPitch;
        if (bits == 16) {
          uint16_t v = To565(c);
          memcpy(row + 2 * x, &v, 2);
        } else {
          memcpy(row + 4 * x, &c, 4);
        }
      }
    s.Unlock();
    s.ColorKey = bits == 16 ? kKey16 : kKey32;
    if (picture) {
      s.AlphaMask = new uint8_t[Pic().alpha.size()];
      memcpy(s.AlphaMask, Pic().alpha.data(), Pic().alpha.size());
    }
  }

  Ours() {
#ifndef __EMSCRIPTEN__
    platform::headless::Reset();
#endif
    IDirectDraw* first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK) abort();
    first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd));
    first->Release();
    for (int i = 0; i < 2; ++i) {
      Make(src[i], i ? 32 : 16, true);
      Make(dst[i], i ? 32 : 16, false);
    }
  }
};

inline Ours& O() {
  static Ours ours;
  return ours;
}

constexpr RECT kAll = {0, 0, kW, kH};

enum class Effect {
  Copy,
  DrawHalfBlend,
  DrawHalfBlendKeyed,
  DrawBlend,
  DrawBlendKeyed,
  DrawAlphaMasked,
  DrawDarken,
  DrawShadow,
  DrawDarkenHalf,
  DrawShadowHalf,
  DrawFaded,
  Invert
};

const char* const kNames[] = {"Copy",           "DrawHalfBlend", "DrawHalfBlendKeyed", "DrawBlend",
                              "DrawBlendKeyed", "DrawAlphaMasked", "DrawDarken",       "DrawShadow",
                              "DrawDarkenHalf", "DrawShadowHalf", "DrawFaded",         "Invert"};

// One effect copy of the whole picture onto the grey surface of its depth.
inline void RunEffect(Effect e, int depth) {
  Surface& s = O().src[depth == 32];
  Surface* d = &O().dst[depth == 32];
  {
    switch (e) {
      case Effect::Copy: s.DrawFastClipped(d, 0, 0, kAll); break;
      case Effect::DrawHalfBlend: s.DrawHalfBlend(d, 0, 0, kAll); break;
      case Effect::DrawHalfBlendKeyed: s.DrawHalfBlendKeyed(d, 0, 0, kAll); break;
      case Effect::DrawBlend: s.DrawBlend(d, 0, 0, kAll, kLevel); break;
      case Effect::DrawBlendKeyed: s.DrawBlendKeyed(d, 0, 0, kAll, kLevel); break;
      case Effect::DrawAlphaMasked: s.DrawAlphaMasked(d, 0, 0, kAll); break;
      case Effect::DrawDarken: s.DrawDarken(d, 0, 0, kAll, kLevel); break;
      case Effect::DrawShadow: s.DrawShadow(d, 0, 0, kAll, kLevel); break;
      case Effect::DrawDarkenHalf: s.DrawDarkenHalf(d, 0, 0, kAll); break;
      case Effect::DrawShadowHalf: s.DrawShadowHalf(d, 0, 0, kAll); break;
      case Effect::DrawFaded: s.DrawFaded(d, 0, 0, kAll, static_cast<int32_t>(kLevel)); break;
      case Effect::Invert: d->Invert(0, 0, kW, kH); break;
    }
  }
}

}  // namespace effect_bench
