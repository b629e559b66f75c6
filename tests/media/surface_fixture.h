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
#include "test_support.h"

namespace surface_test {

namespace headless = platform::headless;

inline HWND MakeWindow() {
  return test_support::MakeWindow("SurfaceTest", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 320, 240);
}

using test_support::BytesOf;

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

using test_support::FormatOfDepth;

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
