// SPDX-License-Identifier: MIT
#include "ddraw/pixels.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "cpu/cpu.h"
#include "ddraw/format.h"

namespace platform::ddraw::pixels {
namespace {

// ---- what the vector forms share with the plain ones ----

uint32_t MaxValue(int bytes) { return bytes >= 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1; }

// Narrows a key to the pixel size. Returns false when no pixel of that size can
// be transparent.
bool Normalize(const Key& in, int bytes, Key* out) {
  uint32_t top = MaxValue(bytes);
  *out = in;
  out->mask &= top;
  if (out->low > out->high || out->low > out->mask) return false;
  if (out->high > top) out->high = top;
  return true;
}

// The plain forms of a run of pixels: the rows' ends after the last whole
// vector, and what runs where a vector form does not.
void PlainFillRun(uint8_t* p, size_t n, int bytes, uint32_t v) {
  for (size_t i = 0; i < n; ++i) memcpy(p + static_cast<size_t>(bytes) * i, &v, static_cast<size_t>(bytes));
}

void PlainKeyedRun(uint8_t* d, const uint8_t* s, size_t n, int bytes, const Key& k) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t v = ReadPixel(s + static_cast<size_t>(bytes) * i, bytes);
    if (!k.Transparent(v)) memcpy(d + static_cast<size_t>(bytes) * i, s + static_cast<size_t>(bytes) * i, bytes);
  }
}

template <typename T>
void GatherRow(uint8_t* d, const uint8_t* s, const int32_t* cols, int w) {
  for (int x = 0; x < w; ++x) memcpy(d + sizeof(T) * x, s + sizeof(T) * static_cast<ptrdiff_t>(cols[x]), sizeof(T));
}

template <typename T>
void GatherRowKeyed(uint8_t* d, const uint8_t* s, const int32_t* cols, int w, const Key& k) {
  for (int x = 0; x < w; ++x) {
    T v;
    memcpy(&v, s + sizeof(T) * static_cast<ptrdiff_t>(cols[x]), sizeof(T));
    if (!k.Transparent(v)) memcpy(d + sizeof(T) * x, &v, sizeof(T));
  }
}

void GatherRow24(uint8_t* d, const uint8_t* s, const int32_t* cols, int w, const Key* k) {
  for (int x = 0; x < w; ++x) {
    const uint8_t* p = s + 3 * static_cast<ptrdiff_t>(cols[x]);
    if (k && k->Transparent(ReadPixel(p, 3))) continue;
    memcpy(d + 3 * x, p, 3);
  }
}

void GatherRun16(uint8_t* d, const uint8_t* s, const int32_t* cols, int count, const Key* k) {
  if (k)
    GatherRowKeyed<uint16_t>(d, s, cols, count, *k);
  else
    GatherRow<uint16_t>(d, s, cols, count);
}

void PlainReversedRow16(uint8_t* d, const uint8_t* s, int32_t last, int w, const Key* k) {
  for (int x = 0; x < w; ++x) {
    uint16_t v;
    memcpy(&v, s + 2 * (static_cast<ptrdiff_t>(last) - x), 2);
    if (!k || !k->Transparent(v)) memcpy(d + 2 * x, &v, 2);
  }
}

void PlainDoubleRow16(uint8_t* d, const uint8_t* s, int w) {
  for (int x = 0; x < w; ++x) memcpy(d + 2 * x, s + 2 * (x / 2), 2);
}

// A group of 8 destination pixels of a 16-bit row through a column map, taken
// from one or two 8-pixel windows of the source row by byte lookups. The
// windows are placed once per copy, always inside the columns the map reads,
// so that no load reaches past them. Groups that draw from more than 16
// source pixels (shrinking below one half) are drawn pixel by pixel, as is
// the row's end after the last whole group.
struct alignas(16) ShuffleGroup {
  static constexpr int kPixels = 8;
  uint8_t maskA[16];  // the bytes from window A (0x80: none)
  uint8_t maskB[16];  // and from window B
  int32_t windowA;
  int32_t windowB;
  bool two;     // some pixel comes from window B
  bool direct;  // false: too wide, drawn pixel by pixel
};

// Places the windows of every whole group of the map; false when the map
// reads fewer than 8 source columns (no window fits).
bool PlanShuffles16(const int32_t* cols, int w, std::vector<ShuffleGroup>& plan) {
  if (w < ShuffleGroup::kPixels) return false;
  int32_t minCol = cols[0], maxCol = cols[0];
  for (int x = 1; x < w; ++x) {
    minCol = std::min(minCol, cols[x]);
    maxCol = std::max(maxCol, cols[x]);
  }
  if (static_cast<int64_t>(maxCol) - minCol < 7) return false;
  plan.resize(static_cast<size_t>(w / ShuffleGroup::kPixels));
  for (size_t g = 0; g < plan.size(); ++g) {
    ShuffleGroup& group = plan[g];
    const int32_t* c = cols + ShuffleGroup::kPixels * g;
    int32_t lo = *std::min_element(c, c + 8), hi = *std::max_element(c, c + 8);
    group.direct = static_cast<int64_t>(hi) - lo < 16;
    if (!group.direct) continue;
    int32_t a = std::min(lo, maxCol - 7);
    int32_t b = std::min(a + 8, maxCol - 7);
    group.windowA = a;
    group.windowB = b;
    group.two = hi >= a + 8;
    for (int k = 0; k < 8; ++k) {
      bool fromA = c[k] < a + 8;
      uint8_t offsetA = static_cast<uint8_t>(2 * (c[k] - a));
      uint8_t offsetB = static_cast<uint8_t>(2 * (c[k] - b));
      group.maskA[2 * k] = fromA ? offsetA : 0x80;
      group.maskA[2 * k + 1] = fromA ? static_cast<uint8_t>(offsetA + 1) : 0x80;
      group.maskB[2 * k] = fromA ? 0x80 : offsetB;
      group.maskB[2 * k + 1] = fromA ? 0x80 : static_cast<uint8_t>(offsetB + 1);
    }
  }
  return true;
}

}  // namespace
}  // namespace platform::ddraw::pixels

// The vector forms, once per target of Highway's.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "ddraw/pixel_rows.inc"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>
#include "ddraw/pixel_rows.inc"  // and for the static target

namespace platform::ddraw::pixels {
namespace {

HWY_EXPORT(CompiledTarget);
HWY_EXPORT(FillRun);
HWY_EXPORT(KeyedRun);
HWY_EXPORT(ReversedRow16);
HWY_EXPORT(DoubleRow16);
HWY_EXPORT(ShuffleRow16);
HWY_EXPORT(Row16ToRgb);

void FillRow24(uint8_t* p, size_t n, uint32_t v) {
  // 16 pixels make 48 bytes, a whole number of 16-byte blocks.
  uint8_t pattern[48];
  for (int i = 0; i < 16; ++i) WritePixel(pattern + 3 * i, 3, v);
  size_t bytes = 3 * n, i = 0;
  for (; i + 48 <= bytes; i += 48) memcpy(p + i, pattern, 48);
  memcpy(p + i, pattern, bytes - i);
}

void KeyedRow(uint8_t* d, const uint8_t* s, size_t n, int bytes, const Key& k) {
  if (bytes == 3)
    PlainKeyedRun(d, s, n, 3, k);
  else
    HWY_DYNAMIC_DISPATCH(KeyedRun)(d, s, n, bytes, k);
}

enum class ColumnShape { Any, Straight, Doubled, Reversed };

ColumnShape ShapeOf(const int32_t* cols, int w) {
  bool straight = true, doubled = true, reversed = true;
  for (int x = 0; x < w && (straight || doubled || reversed); ++x) {
    if (cols[x] != cols[0] + x) straight = false;
    if (cols[x] != cols[0] + x / 2) doubled = false;
    if (cols[x] != cols[0] - x) reversed = false;
  }
  return straight   ? ColumnShape::Straight
         : doubled  ? ColumnShape::Doubled
         : reversed ? ColumnShape::Reversed
                    : ColumnShape::Any;
}

void FastFill(uint8_t* dst, ptrdiff_t pitch, int w, int h, int bytes, uint32_t value) {
  value &= MaxValue(bytes);
  size_t rowBytes = static_cast<size_t>(w) * bytes;
  // Rows that follow each other without a gap are filled as one.
  size_t rows = static_cast<size_t>(h), perRow = static_cast<size_t>(w);
  if (pitch == static_cast<ptrdiff_t>(rowBytes)) {
    perRow *= rows;
    rowBytes *= rows;
    rows = 1;
  }
  uint8_t b0 = static_cast<uint8_t>(value);
  bool uniform = bytes == 1 || (value == b0 * (MaxValue(bytes) / 0xFF));
  for (size_t y = 0; y < rows; ++y) {
    uint8_t* p = dst + static_cast<ptrdiff_t>(y) * pitch;
    if (uniform)
      memset(p, b0, rowBytes);
    else if (bytes == 3)
      FillRow24(p, perRow, value);
    else
      HWY_DYNAMIC_DISPATCH(FillRun)(p, perRow, bytes, value);
  }
}

void FastCopyKeyed(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
                   const Key& key) {
  Key k;
  if (!Normalize(key, bytes, &k)) {
    Copy(dst, dstPitch, src, srcPitch, w, h, bytes);
    return;
  }
  for (int y = 0; y < h; ++y) KeyedRow(dst + y * dstPitch, src + y * srcPitch, static_cast<size_t>(w), bytes, k);
}

void FastCopyMapped(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h,
                    int bytes, const int32_t* cols, const int32_t* rows, const Key* key) {
  Key k;
  if (key && !Normalize(*key, bytes, &k)) key = nullptr;
  const Key* kp = key ? &k : nullptr;
  ColumnShape shape = ShapeOf(cols, w);
  size_t rowBytes = static_cast<size_t>(w) * bytes;
  static thread_local std::vector<ShuffleGroup> plan;
  bool shuffled = bytes == 2 && shape == ColumnShape::Any && PlanShuffles16(cols, w, plan);
  for (int y = 0; y < h; ++y) {
    uint8_t* d = dst + y * dstPitch;
    // A row sampled from the same source row as the one above is the same row.
    if (!kp && y > 0 && rows[y] == rows[y - 1]) {
      memcpy(d, d - dstPitch, rowBytes);
      continue;
    }
    const uint8_t* s = src + static_cast<ptrdiff_t>(rows[y]) * srcPitch;
    if (shape == ColumnShape::Straight) {
      const uint8_t* from = s + static_cast<ptrdiff_t>(cols[0]) * bytes;
      if (!kp)
        memcpy(d, from, rowBytes);
      else
        KeyedRow(d, from, static_cast<size_t>(w), bytes, k);
    } else if (shape == ColumnShape::Doubled && bytes == 2 && !kp) {
      HWY_DYNAMIC_DISPATCH(DoubleRow16)(d, s + static_cast<ptrdiff_t>(cols[0]) * 2, w);
    } else if (shape == ColumnShape::Reversed && bytes == 2) {
      HWY_DYNAMIC_DISPATCH(ReversedRow16)(d, s, cols[0], w, kp);
    } else if (shuffled) {
      HWY_DYNAMIC_DISPATCH(ShuffleRow16)(d, s, plan, cols, w, kp);
    } else {
      switch (bytes) {
        case 1: kp ? GatherRowKeyed<uint8_t>(d, s, cols, w, k) : GatherRow<uint8_t>(d, s, cols, w); break;
        case 2: GatherRun16(d, s, cols, w, kp); break;
        case 3: GatherRow24(d, s, cols, w, kp); break;
        default: kp ? GatherRowKeyed<uint32_t>(d, s, cols, w, k) : GatherRow<uint32_t>(d, s, cols, w); break;
      }
    }
  }
}

}  // namespace

const char* LoopLevel() { return cpu::Vectors() ? cpu::NameOf(HWY_DYNAMIC_DISPATCH(CompiledTarget)()) : "plain"; }

void Row16ToRgb(const uint8_t* src, uint32_t* dst, int w, bool rgb565, bool canvas) {
  if (!cpu::Vectors()) return reference::Row16ToRgb(src, dst, w, rgb565, canvas);
  HWY_DYNAMIC_DISPATCH(Row16ToRgb)(src, dst, w, rgb565, canvas);
}

// Each public loop: the plain form at the level "plain", else the vector forms
// of the chosen target.
void Fill(uint8_t* dst, ptrdiff_t pitch, int w, int h, int bytes, uint32_t value) {
  if (w <= 0 || h <= 0) return;
  if (!cpu::Vectors()) return reference::Fill(dst, pitch, w, h, bytes, value);
  FastFill(dst, pitch, w, h, bytes, value);
}

void Copy(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes) {
  if (w <= 0 || h <= 0) return;
  size_t rowBytes = static_cast<size_t>(w) * bytes;
  if (dstPitch == srcPitch && dstPitch == static_cast<ptrdiff_t>(rowBytes)) {
    memcpy(dst, src, rowBytes * static_cast<size_t>(h));
    return;
  }
  for (int y = 0; y < h; ++y) memcpy(dst + y * dstPitch, src + y * srcPitch, rowBytes);
}

void CopyKeyed(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
               const Key& key) {
  if (w <= 0 || h <= 0) return;
  if (!cpu::Vectors()) return reference::CopyKeyed(dst, dstPitch, src, srcPitch, w, h, bytes, key);
  FastCopyKeyed(dst, dstPitch, src, srcPitch, w, h, bytes, key);
}

void CopyMapped(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
                const int32_t* cols, const int32_t* rows, const Key* key) {
  if (w <= 0 || h <= 0) return;
  if (!cpu::Vectors()) return reference::CopyMapped(dst, dstPitch, src, srcPitch, w, h, bytes, cols, rows, key);
  FastCopyMapped(dst, dstPitch, src, srcPitch, w, h, bytes, cols, rows, key);
}

namespace reference {

void Fill(uint8_t* dst, ptrdiff_t pitch, int w, int h, int bytes, uint32_t value) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) WritePixel(dst + y * pitch + x * bytes, bytes, value);
}

void Copy(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      WritePixel(dst + y * dstPitch + x * bytes, bytes, ReadPixel(src + y * srcPitch + x * bytes, bytes));
}

void CopyKeyed(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
               const Key& key) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t v = ReadPixel(src + y * srcPitch + x * bytes, bytes);
      if (!key.Transparent(v)) WritePixel(dst + y * dstPitch + x * bytes, bytes, v);
    }
}

void CopyMapped(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
                const int32_t* cols, const int32_t* rows, const Key* key) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t v = ReadPixel(src + static_cast<ptrdiff_t>(rows[y]) * srcPitch + static_cast<ptrdiff_t>(cols[x]) * bytes,
                             bytes);
      if (key && key->Transparent(v)) continue;
      WritePixel(dst + y * dstPitch + x * bytes, bytes, v);
    }
}

namespace {
// With the masks known when compiling, each channel's widening is a few shifts.
template <uint32_t kRed, uint32_t kGreen, uint32_t kBlue, bool kCanvas>
void RowWithMasksToRgb(const uint8_t* src, uint32_t* dst, int w) {
  constexpr pixel::Channels channels = pixel::Channels::Of(kRed, kGreen, kBlue);
  for (int x = 0; x < w; ++x) {
    const uint32_t rgb = channels.ToRgb(ReadPixel(src + 2 * x, 2));
    dst[x] = kCanvas ? CanvasOrder(rgb) : rgb;
  }
}
}  // namespace

void Row16ToRgb(const uint8_t* src, uint32_t* dst, int w, bool rgb565, bool canvas) {
  if (rgb565)
    canvas ? RowWithMasksToRgb<0xF800, 0x07E0, 0x001F, true>(src, dst, w)
           : RowWithMasksToRgb<0xF800, 0x07E0, 0x001F, false>(src, dst, w);
  else
    canvas ? RowWithMasksToRgb<0x7C00, 0x03E0, 0x001F, true>(src, dst, w)
           : RowWithMasksToRgb<0x7C00, 0x03E0, 0x001F, false>(src, dst, w);
}

}  // namespace reference
}  // namespace platform::ddraw::pixels
