// SPDX-License-Identifier: MIT
// Windows bitmap decoding; see bmp.h for what is read and the bounds kept.
#include "gdi/bmp.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "gdi/gdi_internal.h"
#include "gdi/rows.h"

namespace platform::gdi {
namespace {

constexpr uint32_t kAlphaBitfields = 6;  // BI_ALPHABITFIELDS: four masks after a 40-byte header

// Run-length data must be at least this plausible: the picture may have no
// more than a million pixels plus 4096 for every byte of compressed data.
constexpr uint64_t kRleFreePixels = 1u << 20;
constexpr uint64_t kRlePixelsPerByte = 4096;

uint32_t U16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

struct Mask {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  bool contiguous = true;
  void Set(uint32_t m) {
    mask = m;
    if (!m) return;
    shift = std::countr_zero(m);
    bits = std::popcount(m);
    contiguous = ((m >> shift) & ((m >> shift) + 1)) == 0;
  }
  uint32_t Extract(uint32_t px) const {
    if (!mask) return 0;
    uint32_t v = (px & mask) >> shift;
    if (contiguous) return pixel::WidenBits(v, bits);
    return static_cast<uint32_t>(static_cast<uint64_t>(v) * 255 / (mask >> shift));
  }
};

// Everything about a DIB before its bits are read.
struct Layout {
  uint32_t headerSize = 0;
  int32_t width = 0;
  int32_t height = 0;  // always positive
  bool topDown = false;
  uint32_t bitCount = 0;
  uint32_t compression = BI_RGB;
  uint32_t sizeImage = 0;
  Mask red, green, blue, alpha;
  bool hasAlpha = false;
  std::vector<uint32_t> colours;  // 0x00RRGGBB
  size_t masksEnd = 0;  // offset just past the header and any masks after it
  size_t tableEnd = 0;  // offset just past the colour table: where packed bits begin
};

// Reads the information header, masks and colour table from `p` (avail bytes
// readable). `tableLimit` caps the colour table (a file's bits offset).
bool ReadLayout(const uint8_t* p, size_t avail, size_t tableLimit, Layout& L, bool palColors,
                const PALETTEENTRY* palette) {
  if (avail < 4) return false;
  L.headerSize = U32(p);
  uint32_t clrUsed = 0;
  size_t entrySize = 4;
  if (L.headerSize == 12) {
    if (avail < 12) return false;
    L.width = static_cast<int32_t>(U16(p + 4));
    L.height = static_cast<int32_t>(U16(p + 6));
    L.bitCount = U16(p + 10);
    entrySize = 3;
    if (L.bitCount != 1 && L.bitCount != 4 && L.bitCount != 8 && L.bitCount != 24) return false;
  } else if (L.headerSize == 40 || L.headerSize == 52 || L.headerSize == 56 || L.headerSize == 108 ||
             L.headerSize == 124) {
    if (avail < L.headerSize) return false;
    int32_t w = static_cast<int32_t>(U32(p + 4));
    int32_t h = static_cast<int32_t>(U32(p + 8));
    L.bitCount = U16(p + 14);
    L.compression = U32(p + 16);
    L.sizeImage = U32(p + 20);
    clrUsed = U32(p + 32);
    if (h == INT32_MIN) return false;
    L.width = w;
    L.topDown = h < 0;
    L.height = h < 0 ? -h : h;
  } else {
    return false;
  }
  if (L.width <= 0 || L.height <= 0 || L.width > kMaxSide || L.height > kMaxSide) return false;
  if (static_cast<uint64_t>(L.width) * static_cast<uint64_t>(L.height) > kMaxPixels) return false;

  switch (L.compression) {
    case BI_RGB:
      if (L.bitCount != 1 && L.bitCount != 4 && L.bitCount != 8 && L.bitCount != 16 && L.bitCount != 24 &&
          L.bitCount != 32)
        return false;
      break;
    case BI_RLE8:
      if (L.bitCount != 8 || L.topDown) return false;  // compressed pictures are stored bottom-up
      break;
    case BI_RLE4:
      if (L.bitCount != 4 || L.topDown) return false;
      break;
    case BI_BITFIELDS:
    case kAlphaBitfields:
      if (L.bitCount != 16 && L.bitCount != 32) return false;
      break;
    default:
      return false;  // JPEG and PNG inside bitmaps are for printers
  }

  // Channel masks: from the header when it holds them, else right after a
  // 40-byte header, else the defaults of the bit count.
  size_t at = L.headerSize;
  if (L.compression == BI_BITFIELDS || L.compression == kAlphaBitfields) {
    uint32_t masks[4] = {0, 0, 0, 0};
    if (L.headerSize >= 52) {
      for (int i = 0; i < 3; ++i) masks[i] = U32(p + 40 + 4 * i);
      if (L.headerSize >= 56) masks[3] = U32(p + 52);
    } else {
      size_t count = L.compression == kAlphaBitfields ? 4 : 3;
      if (avail < at + 4 * count) return false;
      for (size_t i = 0; i < count; ++i) masks[i] = U32(p + at + 4 * i);
      at += 4 * count;
    }
    L.red.Set(masks[0]);
    L.green.Set(masks[1]);
    L.blue.Set(masks[2]);
    L.alpha.Set(masks[3]);
    L.hasAlpha = masks[3] != 0;
  } else if (L.bitCount == 16) {
    L.red.Set(0x7C00);
    L.green.Set(0x03E0);
    L.blue.Set(0x001F);
  } else if (L.bitCount == 24 || L.bitCount == 32) {
    L.red.Set(0xFF0000);
    L.green.Set(0x00FF00);
    L.blue.Set(0x0000FF);
  }

  // The colour table: 2^bits entries unless biClrUsed says fewer (or, above 8
  // bits, lists an optional table that is skipped). Entries that the data does
  // not hold read as black.
  uint64_t declared = 0;
  if (L.headerSize == 12) {
    declared = L.bitCount <= 8 ? (1u << L.bitCount) : 0;
  } else if (L.bitCount <= 8) {
    declared = clrUsed == 0 ? (1u << L.bitCount) : clrUsed;
  } else {
    declared = clrUsed;
  }
  L.masksEnd = at;
  if (palColors) entrySize = 2;
  if (declared > (1u << 16)) return false;  // no table is that long
  size_t tableBytes = static_cast<size_t>(declared) * entrySize;
  L.tableEnd = at + tableBytes;
  if (L.bitCount <= 8) {
    size_t used = std::min<size_t>(static_cast<size_t>(declared), size_t{1} << L.bitCount);
    size_t limit = std::min(avail, tableLimit);
    size_t readable = limit > at ? (limit - at) / entrySize : 0;
    L.colours.assign(size_t{1} << L.bitCount, 0);
    for (size_t i = 0; i < std::min(used, readable); ++i) {
      const uint8_t* e = p + at + i * entrySize;
      if (palColors) {
        const PALETTEENTRY* pal = palette ? palette : DefaultPalette().data();
        const PALETTEENTRY& pe = pal[U16(e) & 0xFF];
        L.colours[i] = static_cast<uint32_t>(pe.peRed) << 16 | static_cast<uint32_t>(pe.peGreen) << 8 | pe.peBlue;
      } else {
        L.colours[i] = static_cast<uint32_t>(e[2]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[0];
      }
    }
  }
  return true;
}

uint64_t StrideOf(const Layout& L) {
  return (static_cast<uint64_t>(L.width) * L.bitCount + 31) / 32 * 4;
}

// Uncompressed rows. All of the data must be there; the last row may lack its
// padding.
bool DecodeRows(const Layout& L, const uint8_t* bits, size_t size, DecodedImage& out) {
  uint64_t stride = StrideOf(L);
  uint64_t lastRow = (static_cast<uint64_t>(L.width) * L.bitCount + 7) / 8;
  uint64_t needed = stride * static_cast<uint64_t>(L.height - 1) + lastRow;
  if (needed > size) return false;
  // Every row below writes all of its pixels.
  out.pixels.resize(static_cast<size_t>(L.width) * static_cast<size_t>(L.height));
  // Written top row first, so that the picture's memory fills in order.
  for (int32_t y = 0; y < L.height; ++y) {
    int32_t row = L.topDown ? y : L.height - 1 - y;
    const uint8_t* src = bits + stride * static_cast<uint64_t>(row);
    uint32_t* dst = out.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(L.width);
    switch (L.bitCount) {
      case 1:
      case 4:
      case 8: {
        uint32_t per = 8 / L.bitCount, maskBits = (1u << L.bitCount) - 1;
        for (int32_t x = 0; x < L.width; ++x) {
          uint32_t byte = src[static_cast<uint32_t>(x) / per];
          uint32_t shift = 8 - L.bitCount * (static_cast<uint32_t>(x) % per + 1);
          dst[x] = L.colours[(byte >> shift) & maskBits];
        }
        break;
      }
      case 24:
        rows::WidenBgr24(src, dst, static_cast<size_t>(L.width));
        break;
      case 16:
      case 32:
        for (int32_t x = 0; x < L.width; ++x) {
          uint32_t px = L.bitCount == 16 ? U16(src + 2 * static_cast<size_t>(x)) : U32(src + 4 * static_cast<size_t>(x));
          uint32_t c = L.red.Extract(px) << 16 | L.green.Extract(px) << 8 | L.blue.Extract(px);
          if (L.hasAlpha) c |= L.alpha.Extract(px) << 24;
          dst[x] = c;
        }
        break;
      default:  // not reached: the layout admits only the sizes above
        std::fill(dst, dst + L.width, 0u);
        break;
    }
  }
  return true;
}

// Run-length compressed rows (RLE8 and RLE4), stored bottom-up. Pixels the
// data never reaches keep colour 0 of the table; runs past the end of a row are
// dropped. Every step consumes input, so the loop ends.
bool DecodeRle(const Layout& L, const uint8_t* data, size_t size, DecodedImage& out) {
  uint64_t pixels = static_cast<uint64_t>(L.width) * static_cast<uint64_t>(L.height);
  if (pixels > kRleFreePixels + static_cast<uint64_t>(size) * kRlePixelsPerByte) return false;
  out.pixels.assign(static_cast<size_t>(pixels), L.colours.empty() ? 0 : L.colours[0]);
  const bool four = L.compression == BI_RLE4;
  int64_t x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](uint32_t index) {
    if (x < L.width && y < L.height) {
      size_t row = static_cast<size_t>(L.height - 1 - y);
      out.pixels[row * static_cast<size_t>(L.width) + static_cast<size_t>(x)] = L.colours[index];
    }
    if (x < L.width) ++x;
  };
  size_t pos = 0;
  while (pos + 1 < size && y < L.height) {
    uint32_t count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count && x < L.width; ++i) put(four ? ((i & 1) ? value & 0xF : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta: move right and up
      if (pos + 1 >= size) break;
      x = std::min<int64_t>(x + data[pos], L.width);
      y += data[pos + 1];
      pos += 2;
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      size_t bytes = four ? (value + 1) / 2 : value;
      size_t padded = (bytes + 1) & ~size_t{1};
      size_t have = std::min(bytes, size - pos);
      for (uint32_t i = 0; i < value && x < L.width; ++i) {
        size_t at = four ? i / 2 : i;
        if (at >= have) break;
        uint32_t b = data[pos + at];
        put(four ? ((i & 1) ? b & 0xF : b >> 4) : b);
      }
      pos = std::min(size, pos + padded);
    }
  }
  return true;
}

bool DecodeBits(const Layout& L, const uint8_t* bits, size_t size, DecodedImage& out) {
  out.width = L.width;
  out.height = L.height;
  out.hasAlpha = L.hasAlpha;
  bool ok = (L.compression == BI_RLE8 || L.compression == BI_RLE4) ? DecodeRle(L, bits, size, out)
                                                                     : DecodeRows(L, bits, size, out);
  if (!ok) out = DecodedImage{};
  return ok;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, DecodedImage& out) {
  out = DecodedImage{};
  if (!data || size < 4) return false;
  Layout L;
  if (data[0] == 'B' && data[1] == 'M') {
    // A file: 14-byte file header, then the DIB. The bits begin at the header's
    // offset when that offset lies past the information header and inside the
    // file; otherwise right after the colour table.
    if (size < 14 + 4) return false;
    const uint8_t* dib = data + 14;
    size_t avail = size - 14;
    uint32_t offBits = U32(data + 10);
    size_t tableLimit = avail;
    bool offsetUsable = offBits >= 14 + 4 && offBits <= size;
    if (offsetUsable) tableLimit = offBits - 14;
    if (!ReadLayout(dib, avail, tableLimit, L, false, nullptr)) return false;
    size_t start = offsetUsable && offBits - 14 >= L.masksEnd ? offBits - 14 : L.tableEnd;
    if (start > avail) return false;
    return DecodeBits(L, dib + start, avail - start, out);
  }
  // A packed DIB: header, masks, colour table, bits.
  if (!ReadLayout(data, size, size, L, false, nullptr)) return false;
  if (L.tableEnd > size) return false;
  return DecodeBits(L, data + L.tableEnd, size - L.tableEnd, out);
}

bool DecodeDib(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize, DecodedImage& out,
               bool palColors, const PALETTEENTRY* palette) {
  out = DecodedImage{};
  if (!info || !bits) return false;
  Layout L;
  if (!ReadLayout(info, infoSize, infoSize, L, palColors, palette)) return false;
  return DecodeBits(L, bits, bitsSize, out);
}

bool DibSizes(const BITMAPINFOHEADER& h, bool palColors, size_t& infoSize, size_t& bitsSize) {
  // Reads only the fixed header (the caller vouches for it), so it can tell how
  // much more of the BITMAPINFO there is to read.
  if (h.biSize != 40 && h.biSize != 52 && h.biSize != 56 && h.biSize != 108 && h.biSize != 124) return false;
  size_t masks = 0;
  if (h.biSize == 40 && h.biCompression == BI_BITFIELDS) masks = 12;
  if (h.biSize == 40 && h.biCompression == kAlphaBitfields) masks = 16;
  uint64_t colours = h.biBitCount <= 8 ? (h.biClrUsed ? std::min<uint64_t>(h.biClrUsed, 1u << h.biBitCount)
                                                       : (1u << h.biBitCount))
                                       : 0;
  infoSize = h.biSize + masks + static_cast<size_t>(colours) * (palColors ? 2 : 4);
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN || h.biWidth > kMaxSide) return false;
  uint64_t height = static_cast<uint64_t>(h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight);
  if (height > static_cast<uint64_t>(kMaxSide)) return false;
  if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
    bitsSize = h.biSizeImage;
  } else {
    uint64_t stride = (static_cast<uint64_t>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
    bitsSize = static_cast<size_t>(stride * height);
  }
  return true;
}

bool DecodeBitmapArgb(const uint8_t* data, size_t size, int32_t& width, int32_t& height, std::vector<uint32_t>& argb) {
  DecodedImage image;
  if (!DecodeBmp(data, size, image)) return false;
  width = image.width;
  height = image.height;
  argb.assign(image.pixels.begin(), image.pixels.end());
  if (!image.hasAlpha)
    for (uint32_t& p : argb) p |= 0xFF000000u;
  return true;
}

}  // namespace platform::gdi
