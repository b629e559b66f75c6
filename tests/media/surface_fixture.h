// SPDX-License-Identifier: MIT
// A display for the Surface tests: a window and a full-screen Screen on the
// headless backend in the depth a test asks for, plus raw pixel access through
// a lock.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "media/screen.h"
#include "media/surface.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace surface_test {

namespace headless = platform::headless;

inline HWND MakeWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "SurfaceTest";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "SurfaceTest", "surface test", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                         nullptr, nullptr, nullptr);
}

inline int BytesOf(int depth) { return depth == 8 ? 1 : depth == 24 ? 3 : depth == 32 ? 4 : 2; }

class SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Reset();
    window = MakeWindow();
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    screen.reset();
    if (window) DestroyWindow(window);
  }
  // A full-screen display of 320 x 240 in the given depth; null (and a
  // failure) when it cannot be made.
  Screen* Display(int depth) {
    screen.reset();
    screen = std::make_unique<Screen>(window, 320, 240, depth, 0);
    EXPECT_NE(screen->GetBack(), nullptr) << "no display of depth " << depth;
    return screen->GetBack() ? screen.get() : nullptr;
  }

  HWND window = nullptr;
  std::unique_ptr<Screen> screen;
};

// A Surface of an explicit pixel format (the display offers none of 15 bits),
// set up the way the Screen sets up its buffers. Null format: the display's.
inline bool MakeWithFormat(Surface& s, Screen* owner, int w, int h, const DDPIXELFORMAT* format) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  desc.dwWidth = static_cast<DWORD>(w);
  desc.dwHeight = static_cast<DWORD>(h);
  if (format) desc.ddpfPixelFormat = *format;
  if (owner->GetDirectDraw()->CreateSurface(&desc, &s.ddSurface, nullptr) != DD_OK) return false;
  s.Width = w;
  s.Height = h;
  s.SrcRect = s.DestRect = RECT{0, 0, w, h};
  s.screen = owner;
  s.SetClipRect(s.SrcRect);
  return AnalysePixelFormat(s.ddSurface, &s.PixelFormatInfo);
}

// The RGB pixel format of a format code: 8 (palette), 15 (5-5-5), 16 (5-6-5),
// 24 or 32 (8-8-8).
inline DDPIXELFORMAT FormatOfDepth(int depth) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = depth == 8 ? DDPF_PALETTEINDEXED8 | DDPF_RGB : DDPF_RGB;
  switch (depth) {
    case 8:
      f.dwRGBBitCount = 8;
      break;
    case 15:
      f.dwRGBBitCount = 16;
      f.dwRBitMask = 0x7C00;
      f.dwGBitMask = 0x03E0;
      f.dwBBitMask = 0x001F;
      break;
    case 16:
      f.dwRGBBitCount = 16;
      f.dwRBitMask = 0xF800;
      f.dwGBitMask = 0x07E0;
      f.dwBBitMask = 0x001F;
      break;
    default:
      f.dwRGBBitCount = static_cast<DWORD>(depth);
      f.dwRBitMask = 0xFF0000;
      f.dwGBitMask = 0x00FF00;
      f.dwBBitMask = 0x0000FF;
      break;
  }
  return f;
}

inline DDPIXELFORMAT Rgb555() { return FormatOfDepth(15); }

// Raw pixel values of a whole surface, row by row (locks and unlocks it).
inline std::vector<uint32_t> ReadPixels(Surface& s, int depth) {
  std::vector<uint32_t> out;
  if (s.Lock() != DD_OK) return out;
  const auto* bits = static_cast<const uint8_t*>(s.SurfaceDesc.lpSurface);
  int bytes = BytesOf(depth);
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x) {
      uint32_t v = 0;
      memcpy(&v, bits + static_cast<ptrdiff_t>(y) * s.SurfaceDesc.lPitch + x * bytes, bytes);
      out.push_back(v);
    }
  s.Unlock();
  return out;
}

// Writes value(x, y) into every pixel (locks and unlocks it).
template <typename Value>
inline bool WritePixels(Surface& s, int depth, Value value) {
  if (s.Lock() != DD_OK) return false;
  auto* bits = static_cast<uint8_t*>(s.SurfaceDesc.lpSurface);
  int bytes = BytesOf(depth);
  for (int y = 0; y < s.Height; ++y)
    for (int x = 0; x < s.Width; ++x) {
      uint32_t v = value(x, y);
      memcpy(bits + static_cast<ptrdiff_t>(y) * s.SurfaceDesc.lPitch + x * bytes, &v, bytes);
    }
  s.Unlock();
  return true;
}

}  // namespace surface_test
