// SPDX-License-Identifier: MIT
// The one reader of Windows bitmaps in the platform layer: .bmp files, packed
// DIBs (a bitmap resource: the file without its 14-byte file header) and DIBs
// handed to StretchDIBits as a header and separate bits.
//
// Reads 1, 4 and 8 bits with colour tables (short tables and biClrUsed), RLE4
// and RLE8 (with end-of-line, delta and end-of-bitmap escapes), 16 bits (5-5-5
// by default, or BI_BITFIELDS masks), 24 bits, 32 bits (BI_RGB or
// BI_BITFIELDS), rows bottom-up or top-down, and information headers of 12
// (OS/2 core), 40, 52, 56, 108 and 124 bytes.
//
// Every read is checked against the buffer; sizes are bounded (kMaxSide on each
// side, kMaxPixels in all) and every product that sizes a buffer is computed in
// 64 bits and checked; uncompressed data must be present in full, and run-length
// data must be large enough to be plausible for the picture it claims. A decode
// that fails leaves nothing allocated behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/wingdi.h"

namespace platform::gdi {

constexpr int32_t kMaxSide = 32768;
constexpr uint64_t kMaxPixels = 64ull * 1024 * 1024;  // 256 MiB at 4 bytes a pixel

// Pixel memory that sizing leaves as it comes from the allocator: the decoders
// and scalers write every pixel they size, so clearing it first would only be
// a second pass over the whole picture. assign(n, value) still fills.
template <typename T>
struct UnclearedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UnclearedAllocator<U>;
  };
  UnclearedAllocator() = default;
  template <typename U>
  UnclearedAllocator(const UnclearedAllocator<U>&) noexcept {}
  // Cache-line aligned, so that whole-row vector loops never split a store.
  static constexpr std::align_val_t kAlign{64};
  T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), kAlign)); }
  void deallocate(T* p, size_t) noexcept { ::operator delete(p, kAlign); }
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
using PixelVector = std::vector<uint32_t, UnclearedAllocator<uint32_t>>;

// A decoded picture: 0xAARRGGBB, top row first. Pixels of formats without an
// alpha channel have alpha 0 and hasAlpha false.
struct DecodedImage {
  int32_t width = 0;
  int32_t height = 0;
  bool hasAlpha = false;
  PixelVector pixels;
};

// A .bmp file image (starting "BM") or a packed DIB, told apart by the first
// two bytes.
bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage& out);

// A DIB given as its BITMAPINFO (header, masks and colour table, infoSize bytes
// of it readable) and its bits (bitsSize bytes readable). With DIB_PAL_COLORS
// the colour table holds 16-bit indices into `palette`.
bool DecodeDib(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize, DecodedImage& out,
               bool palColors = false, const PALETTEENTRY* palette = nullptr);

// How many bytes of BITMAPINFO (header, masks, colour table) a DIB header
// describes, and how many bytes its bits take (for compressed bits: biSizeImage).
// False for a header that cannot be read.
bool DibSizes(const BITMAPINFOHEADER& header, bool palColors, size_t& infoSize, size_t& bitsSize);

// A bitmap object made from a bitmap image in memory (a file image or a packed
// DIB), scaled by nearest pixel to width x height when they are not 0. Null
// when the image cannot be read.
HBITMAP CreateBitmapFromImage(const uint8_t* data, size_t size, int width = 0, int height = 0);

}  // namespace platform::gdi
