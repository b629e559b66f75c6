// SPDX-License-Identifier: MIT
// What the platform, media and sound tests share: the pixel formats of the
// depths they run in and a window on the headless backend.
#pragma once

#include "platform/ddraw.h"
#include "platform/windows.h"

namespace test_support {

// The RGB pixel format of a depth: 8 (palette), 15 (5-5-5), 16 (5-6-5), 24 or
// 32 (8-8-8).
inline DDPIXELFORMAT FormatOfDepth(int depth) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = depth == 8 ? DDPF_PALETTEINDEXED8 | DDPF_RGB : DDPF_RGB;
  switch (depth) {
    case 8: f.dwRGBBitCount = 8; break;
    case 15:
      f.dwRGBBitCount = 16;
      f.dwRBitMask = 0x7C00, f.dwGBitMask = 0x03E0, f.dwBBitMask = 0x001F;
      break;
    case 16:
      f.dwRGBBitCount = 16;
      f.dwRBitMask = 0xF800, f.dwGBitMask = 0x07E0, f.dwBBitMask = 0x001F;
      break;
    default:
      f.dwRGBBitCount = static_cast<DWORD>(depth);
      f.dwRBitMask = 0xFF0000, f.dwGBitMask = 0x00FF00, f.dwBBitMask = 0x0000FF;
      break;
  }
  return f;
}

// Bytes per pixel of a depth.
inline int BytesOf(int depth) { return depth == 15 ? 2 : depth / 8; }

// A window of its own class, for the device under test to cooperate with.
inline HWND MakeWindow(const char* className, DWORD style, int width, int height, WNDPROC proc = DefWindowProcA) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = className;
  RegisterClassA(&wc);
  return CreateWindowExA(0, className, className, style, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace test_support
