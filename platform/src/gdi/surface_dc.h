// SPDX-License-Identifier: MIT
// The contract between DirectDraw surfaces and GDI: a device context that draws
// straight into a surface's pixel memory. IDirectDrawSurface4::GetDC makes one
// from the locked surface's memory and ReleaseDC gives it back.
#pragma once

#include <cstdint>

#include "platform/wingdi.h"

namespace platform::gdi {

// Pixel memory that a device context draws into. bitCount is 8, 16, 24 or 32;
// for 16, 24 and 32 bits the masks say where red, green and blue lie (5-5-5 is
// 0x7C00/0x03E0/0x001F); for 8 bits palette points at 256 entries.
struct PixelTarget {
  uint8_t* bits = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;  // bytes from one row to the next
  int32_t bitCount = 0;
  uint32_t redMask = 0;
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
  const PALETTEENTRY* palette = nullptr;
};

// A device context on the target's memory; null on failure. The memory must stay
// valid until ReleaseSurfaceDC.
HDC CreateSurfaceDC(const PixelTarget& target);
void ReleaseSurfaceDC(HDC dc);

}  // namespace platform::gdi
