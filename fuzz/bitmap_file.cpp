// SPDX-License-Identifier: MIT
// Fuzzes loading a bitmap file: LoadImageA with LR_LOADFROMFILE on the input
// written to a temporary file, then a copy of the loaded bitmap onto a 16-bit
// surface through a memory DC.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "gdi/surface_dc.h"
#include "platform/windows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/rallex_fuzz_bitmap_" + std::to_string(getpid()) + ".bmp";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  HBITMAP bmp = static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
  if (!bmp) return 0;
  BITMAP info{};
  if (GetObjectA(bmp, sizeof info, &info) != static_cast<int>(sizeof info)) __builtin_trap();
  if (info.bmWidth <= 0 || info.bmHeight <= 0 || !info.bmBits) __builtin_trap();

  std::vector<uint16_t> pixels(40 * 30);
  platform::gdi::PixelTarget target;
  target.bits = reinterpret_cast<uint8_t*>(pixels.data());
  target.width = 40;
  target.height = 30;
  target.pitch = 80;
  target.bitCount = 16;
  target.redMask = 0xF800;
  target.greenMask = 0x07E0;
  target.blueMask = 0x001F;
  HDC surface = platform::gdi::CreateSurfaceDC(target);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, bmp);
  StretchBlt(surface, 0, 0, 40, 30, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  platform::gdi::ReleaseSurfaceDC(surface);
  DeleteObject(bmp);
  return 0;
}
