// SPDX-License-Identifier: MIT
// Fuzzes the bitmap reader on an in-memory buffer, as a program resource gives
// it (a packed DIB or a whole file), and StretchDIBits with a header taken from
// the input and bits of the size that header describes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "gdi/bmp.h"
#include "gdi/surface_dc.h"
#include "platform/windows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::gdi::DecodedImage img;
  if (platform::gdi::DecodeBmp(data, size, img)) {
    if (img.width <= 0 || img.height <= 0 ||
        img.pixels.size() != static_cast<size_t>(img.width) * static_cast<size_t>(img.height))
      __builtin_trap();
  }
  // Scaled on load, as LoadImageA with a size does.
  if (HBITMAP bmp = platform::gdi::CreateBitmapFromImage(data, size, 13, 7)) DeleteObject(bmp);

  // StretchDIBits trusts its caller for the lengths of the colour table and the
  // bits; give it exactly what the header asks for.
  // The last two bytes choose the destination rectangle and the colour usage.
  if (size < sizeof(BITMAPINFOHEADER) + 2) return 0;
  int8_t dx = static_cast<int8_t>(data[size - 1]);
  bool palColors = (data[size - 2] & 0x81) == 0x81;
  size -= 2;
  BITMAPINFOHEADER header;
  std::memcpy(&header, data, sizeof header);
  size_t infoSize = 0, bitsSize = 0;
  if (!platform::gdi::DibSizes(header, palColors, infoSize, bitsSize)) return 0;
  if (bitsSize > (4u << 20) || infoSize > (1u << 20)) return 0;
  std::vector<uint8_t> info(std::max(infoSize, sizeof(BITMAPINFO)), 0);
  std::memcpy(info.data(), data, std::min(size, infoSize));
  std::vector<uint8_t> bits(bitsSize ? bitsSize : 1, 0);
  if (size > infoSize) std::memcpy(bits.data(), data + infoSize, std::min(size - infoSize, bitsSize));

  static uint8_t pixels[24 * 16];
  static PALETTEENTRY palette[256];
  platform::gdi::PixelTarget target;
  target.bits = pixels;
  target.width = 24;
  target.height = 16;
  target.pitch = 24;
  target.bitCount = 8;
  target.palette = palette;
  HDC dc = platform::gdi::CreateSurfaceDC(target);
  StretchDIBits(dc, dx, dx / 3, 20 - dx, 12 + dx / 5, dx / 7, 0, header.biWidth, header.biHeight, bits.data(),
                reinterpret_cast<const BITMAPINFO*>(info.data()), palColors ? DIB_PAL_COLORS : DIB_RGB_COLORS,
                SRCCOPY);
  platform::gdi::ReleaseSurfaceDC(dc);
  return 0;
}
