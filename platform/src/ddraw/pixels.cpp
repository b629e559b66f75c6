// SPDX-License-Identifier: MIT
#include "ddraw/pixels.h"

#include <hwy/detect_targets.h>

#include "cpu/cpu.h"

#if RALLEX_X86_64
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstring>
#include <vector>

#include "ddraw/format.h"

namespace platform::ddraw::pixels {
namespace {

#if RALLEX_X86_64

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

bool Avx2() { return cpu::AtLeast(HWY_AVX2); }

#define RX_AVX2 __attribute__((target("avx2")))

// The register types the row loops of pixel_rows.inc are written for.
struct V128 {
  using T = __m128i;
  static constexpr int kBytes = 16;
  static T Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static void Store(uint8_t* p, T v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
  template <typename P>
  static T Splat(P v) {
    if constexpr (sizeof(P) == 1) return _mm_set1_epi8(static_cast<char>(v));
    if constexpr (sizeof(P) == 2) return _mm_set1_epi16(static_cast<short>(v));
    if constexpr (sizeof(P) == 4) return _mm_set1_epi32(static_cast<int>(v));
  }
  static T And(T a, T b) { return _mm_and_si128(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
  template <typename P>
  static T Greater(T a, T b) {  // signed, per pixel
    if constexpr (sizeof(P) == 1) return _mm_cmpgt_epi8(a, b);
    if constexpr (sizeof(P) == 2) return _mm_cmpgt_epi16(a, b);
    if constexpr (sizeof(P) == 4) return _mm_cmpgt_epi32(a, b);
  }
  static T Select(T keep, T a, T b) { return _mm_or_si128(_mm_and_si128(keep, a), _mm_andnot_si128(keep, b)); }
  static T Reverse16(T v) {
    return _mm_shuffle_epi32(_mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0x1B), 0x1B), 0x4E);
  }
};

struct V256 {
  using T = __m256i;
  static constexpr int kBytes = 32;
  RX_AVX2 static T Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  RX_AVX2 static void Store(uint8_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  template <typename P>
  RX_AVX2 static T Splat(P v) {
    if constexpr (sizeof(P) == 1) return _mm256_set1_epi8(static_cast<char>(v));
    if constexpr (sizeof(P) == 2) return _mm256_set1_epi16(static_cast<short>(v));
    if constexpr (sizeof(P) == 4) return _mm256_set1_epi32(static_cast<int>(v));
  }
  RX_AVX2 static T And(T a, T b) { return _mm256_and_si256(a, b); }
  RX_AVX2 static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  RX_AVX2 static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
  template <typename P>
  RX_AVX2 static T Greater(T a, T b) {
    if constexpr (sizeof(P) == 1) return _mm256_cmpgt_epi8(a, b);
    if constexpr (sizeof(P) == 2) return _mm256_cmpgt_epi16(a, b);
    if constexpr (sizeof(P) == 4) return _mm256_cmpgt_epi32(a, b);
  }
  RX_AVX2 static T Select(T keep, T a, T b) { return _mm256_blendv_epi8(b, a, keep); }
  RX_AVX2 static T Reverse16(T v) {
    const __m256i reverse = _mm256_setr_epi8(14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1, 14, 15, 12, 13,
                                             10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1);
    return _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, reverse), 0x4E);
  }
};

namespace sse2 {
using V = V128;
#define RX_FN
#include "ddraw/pixel_rows.inc"
#undef RX_FN
}  // namespace sse2

namespace avx2 {
using V = V256;
#define RX_FN RX_AVX2
#include "ddraw/pixel_rows.inc"
#undef RX_FN
}  // namespace avx2

// ---- fills ----

void FillRow24(uint8_t* p, size_t n, uint32_t v) {
  // 16 pixels make 48 bytes, a whole number of 16-byte blocks.
  uint8_t pattern[48];
  for (int i = 0; i < 16; ++i) WritePixel(pattern + 3 * i, 3, v);
  size_t bytes = 3 * n, i = 0;
  for (; i + 48 <= bytes; i += 48) memcpy(p + i, pattern, 48);
  memcpy(p + i, pattern, bytes - i);
}

// ---- keyed copies ----

void KeyedRow24(uint8_t* d, const uint8_t* s, size_t n, const Key& k) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t v = ReadPixel(s + 3 * i, 3);
    if (!k.Transparent(v)) memcpy(d + 3 * i, s + 3 * i, 3);
  }
}

void KeyedRow(uint8_t* d, const uint8_t* s, size_t n, int bytes, const Key& k) {
  const bool wide = Avx2();
  switch (bytes) {
    case 1: wide ? avx2::KeyedRow<uint8_t>(d, s, n, k) : sse2::KeyedRow<uint8_t>(d, s, n, k); break;
    case 2: wide ? avx2::KeyedRow<uint16_t>(d, s, n, k) : sse2::KeyedRow<uint16_t>(d, s, n, k); break;
    case 3: KeyedRow24(d, s, n, k); break;
    default: wide ? avx2::KeyedRow<uint32_t>(d, s, n, k) : sse2::KeyedRow<uint32_t>(d, s, n, k); break;
  }
}

// ---- mapped copies ----

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

// Every destination pixel of a 16-bit row doubled from consecutive source pixels.
void DoubleRow16(uint8_t* d, const uint8_t* s, int w) {
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + x));  // 4 pixels
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * x), _mm_unpacklo_epi16(v, v));
  }
  for (; x < w; ++x) memcpy(d + 2 * x, s + 2 * (x / 2), 2);
}

// 16-bit rows through any column map, sixteen destination pixels at a time:
// each half of 8 pixels takes its pixels from one or two 8-pixel windows of the
// source row by a byte shuffle (which also reverses, for mirrored rows). The
// windows are placed once per copy, always inside the columns the map reads,
// so that no load reaches past them. Halves that draw from more than 16 source
// pixels (shrinking below one half) make their group drawn pixel by pixel, as
// does the row's end after the last whole group.
bool Ssse3() { return cpu::AtLeast(HWY_SSSE3); }

#define RX_SSSE3 __attribute__((target("ssse3")))

struct alignas(32) ShuffleGroup {
  uint8_t maskA[32];  // per half: the bytes from window A (0x80: none)
  uint8_t maskB[32];  // and from window B
  int32_t windowA[2];
  int32_t windowB[2];
  bool two;     // some pixel comes from a window B
  bool direct;  // false: too wide, drawn pixel by pixel
};

// Places the windows of every whole group of the map; false when the map
// reads fewer than 8 source columns (no window fits).
bool PlanShuffles16(const int32_t* cols, int w, std::vector<ShuffleGroup>& plan) {
  if (w < 16) return false;
  int32_t minCol = cols[0], maxCol = cols[0];
  for (int x = 1; x < w; ++x) {
    minCol = std::min(minCol, cols[x]);
    maxCol = std::max(maxCol, cols[x]);
  }
  if (static_cast<int64_t>(maxCol) - minCol < 7) return false;
  plan.resize(static_cast<size_t>(w / 16));
  for (size_t g = 0; g < plan.size(); ++g) {
    ShuffleGroup& group = plan[g];
    group.direct = true;
    group.two = false;
    for (int half = 0; half < 2; ++half) {
      const int32_t* c = cols + 16 * g + 8 * half;
      int32_t lo = *std::min_element(c, c + 8), hi = *std::max_element(c, c + 8);
      if (static_cast<int64_t>(hi) - lo >= 16) {
        group.direct = false;
        break;
      }
      int32_t a = std::min(lo, maxCol - 7);
      int32_t b = std::min(a + 8, maxCol - 7);
      group.windowA[half] = a;
      group.windowB[half] = b;
      group.two = group.two || hi >= a + 8;
      for (int k = 0; k < 8; ++k) {
        bool fromA = c[k] < a + 8;
        uint8_t offsetA = static_cast<uint8_t>(2 * (c[k] - a));
        uint8_t offsetB = static_cast<uint8_t>(2 * (c[k] - b));
        uint8_t* ma = group.maskA + 16 * half + 2 * k;
        uint8_t* mb = group.maskB + 16 * half + 2 * k;
        ma[0] = fromA ? offsetA : 0x80;
        ma[1] = fromA ? static_cast<uint8_t>(offsetA + 1) : 0x80;
        mb[0] = fromA ? 0x80 : offsetB;
        mb[1] = fromA ? 0x80 : static_cast<uint8_t>(offsetB + 1);
      }
    }
  }
  return true;
}

void GatherTail16(uint8_t* d, const uint8_t* s, const int32_t* cols, int count, const Key* k) {
  if (k)
    GatherRowKeyed<uint16_t>(d, s, cols, count, *k);
  else
    GatherRow<uint16_t>(d, s, cols, count);
}

RX_SSSE3 inline __m128i ShuffleHalf(const uint8_t* s, const ShuffleGroup& group, int half) {
  __m128i v = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * group.windowA[half])),
                               _mm_load_si128(reinterpret_cast<const __m128i*>(group.maskA + 16 * half)));
  if (group.two)
    v = _mm_or_si128(v, _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * group.windowB[half])),
                                         _mm_load_si128(reinterpret_cast<const __m128i*>(group.maskB + 16 * half))));
  return v;
}

RX_SSSE3 void ShuffleRow16(uint8_t* d, const uint8_t* s, const std::vector<ShuffleGroup>& plan, const int32_t* cols,
                           int w, const Key* k) {
  const sse2::KeyLanes<uint16_t> lanes = sse2::LanesOf<uint16_t>(k);
  int x = 0;
  for (const ShuffleGroup& group : plan) {
    if (!group.direct) {
      GatherTail16(d + 2 * x, s, cols + x, 16, k);
    } else {
      for (int half = 0; half < 2; ++half)
        sse2::StoreKeyed<uint16_t>(d + 2 * x + 16 * half, ShuffleHalf(s, group, half), lanes, k != nullptr);
    }
    x += 16;
  }
  GatherTail16(d + 2 * x, s, cols + x, w - x, k);
}

// The two 8-pixel windows of a group's halves, one in each 128-bit lane.
RX_AVX2 inline __m256i Windows(const uint8_t* s, const int32_t* at) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * at[0]))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * at[1])), 1);
}

RX_AVX2 void ShuffleRow16Avx2(uint8_t* d, const uint8_t* s, const std::vector<ShuffleGroup>& plan,
                              const int32_t* cols, int w, const Key* k) {
  const avx2::KeyLanes<uint16_t> lanes = avx2::LanesOf<uint16_t>(k);
  int x = 0;
  for (const ShuffleGroup& group : plan) {
    if (!group.direct) {
      GatherTail16(d + 2 * x, s, cols + x, 16, k);
      x += 16;
      continue;
    }
    __m256i v = _mm256_shuffle_epi8(Windows(s, group.windowA),
                                    _mm256_load_si256(reinterpret_cast<const __m256i*>(group.maskA)));
    if (group.two)
      v = _mm256_or_si256(v, _mm256_shuffle_epi8(Windows(s, group.windowB),
                                                 _mm256_load_si256(reinterpret_cast<const __m256i*>(group.maskB))));
    avx2::StoreKeyed<uint16_t>(d + 2 * x, v, lanes, k != nullptr);
    x += 16;
  }
  GatherTail16(d + 2 * x, s, cols + x, w - x, k);
}

// Where the processor can permute 16-bit elements across a whole register
// pair (AVX-512BW/VL), a group of 16 destination pixels takes them from one
// 32-pixel window of the source row: two loads and one permute, whatever the
// factor down to one half. The window lies inside the columns the map reads.
bool Avx512() { return cpu::AtLeast(HWY_AVX3); }

#define RX_AVX512 __attribute__((target("avx2,avx512bw,avx512vl")))

struct alignas(32) PermuteGroup {
  uint16_t index[16];  // 0..31 within the window
  int32_t window;
  bool direct;  // false: wider than 32 pixels, drawn pixel by pixel
};

bool PlanPermutes16(const int32_t* cols, int w, std::vector<PermuteGroup>& plan) {
  if (w < 16) return false;
  int32_t minCol = cols[0], maxCol = cols[0];
  for (int x = 1; x < w; ++x) {
    minCol = std::min(minCol, cols[x]);
    maxCol = std::max(maxCol, cols[x]);
  }
  if (static_cast<int64_t>(maxCol) - minCol < 31) return false;
  plan.resize(static_cast<size_t>(w / 16));
  for (size_t g = 0; g < plan.size(); ++g) {
    PermuteGroup& group = plan[g];
    const int32_t* c = cols + 16 * g;
    int32_t lo = *std::min_element(c, c + 16), hi = *std::max_element(c, c + 16);
    group.direct = static_cast<int64_t>(hi) - lo < 32;
    if (!group.direct) continue;
    group.window = std::min(lo, maxCol - 31);
    for (int k = 0; k < 16; ++k) group.index[k] = static_cast<uint16_t>(c[k] - group.window);
  }
  return true;
}

RX_AVX512 void PermuteRow16(uint8_t* d, const uint8_t* s, const std::vector<PermuteGroup>& plan, const int32_t* cols,
                            int w, const Key* k) {
  const avx2::KeyLanes<uint16_t> lanes = avx2::LanesOf<uint16_t>(k);
  int x = 0;
  for (const PermuteGroup& group : plan) {
    if (!group.direct) {
      if (k)
        GatherRowKeyed<uint16_t>(d + 2 * x, s, cols + x, 16, *k);
      else
        GatherRow<uint16_t>(d + 2 * x, s, cols + x, 16);
      x += 16;
      continue;
    }
    const uint8_t* at = s + 2 * static_cast<ptrdiff_t>(group.window);
    __m256i v = _mm256_permutex2var_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)),
                                          _mm256_load_si256(reinterpret_cast<const __m256i*>(group.index)),
                                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32)));
    avx2::StoreKeyed<uint16_t>(d + 2 * x, v, lanes, k != nullptr);
    x += 16;
  }
  if (k)
    GatherRowKeyed<uint16_t>(d + 2 * x, s, cols + x, w - x, *k);
  else
    GatherRow<uint16_t>(d + 2 * x, s, cols + x, w - x);
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
    if (uniform) {
      memset(p, b0, rowBytes);
      continue;
    }
    switch (bytes) {
      case 2:
        Avx2() ? avx2::FillRow<uint16_t>(p, perRow, static_cast<uint16_t>(value))
               : sse2::FillRow<uint16_t>(p, perRow, static_cast<uint16_t>(value));
        break;
      case 3: FillRow24(p, perRow, value); break;
      default: Avx2() ? avx2::FillRow<uint32_t>(p, perRow, value) : sse2::FillRow<uint32_t>(p, perRow, value); break;
    }
  }
}

void FastCopyKeyed(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
                   const Key& key) {
  Key k;
  if (!Normalize(key, bytes, &k)) {
    Copy(dst, dstPitch, src, srcPitch, w, h, bytes);
    return;
  }
  size_t n = static_cast<size_t>(w);
  for (int y = 0; y < h; ++y) {
    uint8_t* d = dst + y * dstPitch;
    const uint8_t* s = src + y * srcPitch;
    KeyedRow(d, s, n, bytes, k);
  }
}

void FastCopyMapped(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h,
                    int bytes, const int32_t* cols, const int32_t* rows, const Key* key) {
  Key k;
  if (key && !Normalize(*key, bytes, &k)) key = nullptr;
  const Key* kp = key ? &k : nullptr;
  ColumnShape shape = ShapeOf(cols, w);
  size_t rowBytes = static_cast<size_t>(w) * bytes;
  static thread_local std::vector<ShuffleGroup> plan;
  static thread_local std::vector<PermuteGroup> permutes;
  bool permuted = bytes == 2 && shape == ColumnShape::Any && Avx2() && Avx512() && PlanPermutes16(cols, w, permutes);
  bool shuffled = bytes == 2 && shape == ColumnShape::Any && !permuted && Ssse3() && PlanShuffles16(cols, w, plan);
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
      if (!kp) {
        memcpy(d, from, rowBytes);
      } else {
        KeyedRow(d, from, static_cast<size_t>(w), bytes, k);
      }
      continue;
    }
    if (shape == ColumnShape::Doubled && bytes == 2 && !kp) {
      DoubleRow16(d, s + static_cast<ptrdiff_t>(cols[0]) * 2, w);
      continue;
    }
    if (shape == ColumnShape::Reversed && bytes == 2) {
      Avx2() ? avx2::ReversedRow16(d, s, cols[0], w, kp) : sse2::ReversedRow16(d, s, cols[0], w, kp);
      continue;
    }
    if (permuted) {
      PermuteRow16(d, s, permutes, cols, w, kp);
      continue;
    }
    if (shuffled) {
      Avx2() ? ShuffleRow16Avx2(d, s, plan, cols, w, kp) : ShuffleRow16(d, s, plan, cols, w, kp);
      continue;
    }
    switch (bytes) {
      case 1: kp ? GatherRowKeyed<uint8_t>(d, s, cols, w, k) : GatherRow<uint8_t>(d, s, cols, w); break;
      case 2: kp ? GatherRowKeyed<uint16_t>(d, s, cols, w, k) : GatherRow<uint16_t>(d, s, cols, w); break;
      case 3: GatherRow24(d, s, cols, w, kp); break;
      default: kp ? GatherRowKeyed<uint32_t>(d, s, cols, w, k) : GatherRow<uint32_t>(d, s, cols, w); break;
    }
  }
}

// 16-bit rows to 0x00RRGGBB, eight pixels at a time: each channel is widened to
// 8 bits by repeating its top bits.
template <bool k565>
__attribute__((target("avx2"))) int Row16ToRgbAvx2(const uint8_t* src, uint32_t* dst, int w) {
  const __m256i five = _mm256_set1_epi16(0x1F), six = _mm256_set1_epi16(0x3F);
  int x = 0;
  for (; x + 16 <= w; x += 16) {
    __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * x));
    __m256i r = _mm256_and_si256(_mm256_srli_epi16(p, k565 ? 11 : 10), five);
    __m256i g, b = _mm256_and_si256(p, five);
    r = _mm256_or_si256(_mm256_slli_epi16(r, 3), _mm256_srli_epi16(r, 2));
    b = _mm256_or_si256(_mm256_slli_epi16(b, 3), _mm256_srli_epi16(b, 2));
    if (k565) {
      g = _mm256_and_si256(_mm256_srli_epi16(p, 5), six);
      g = _mm256_or_si256(_mm256_slli_epi16(g, 2), _mm256_srli_epi16(g, 4));
    } else {
      g = _mm256_and_si256(_mm256_srli_epi16(p, 5), five);
      g = _mm256_or_si256(_mm256_slli_epi16(g, 3), _mm256_srli_epi16(g, 2));
    }
    __m256i gb = _mm256_or_si256(b, _mm256_slli_epi16(g, 8));
    // The unpacks work within each 128-bit half; put the halves back in order.
    __m256i lo = _mm256_unpacklo_epi16(gb, r), hi = _mm256_unpackhi_epi16(gb, r);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + x + 8), _mm256_permute2x128_si256(lo, hi, 0x31));
  }
  return x;
}

template <bool k565>
void FastRow16ToRgb(const uint8_t* src, uint32_t* dst, int w) {
  const bool avx2 = Avx2();
  const __m128i five = _mm_set1_epi16(0x1F), six = _mm_set1_epi16(0x3F);
  int x = avx2 ? Row16ToRgbAvx2<k565>(src, dst, w) : 0;
  for (; x + 8 <= w; x += 8) {
    __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * x));
    __m128i r = _mm_and_si128(_mm_srli_epi16(p, k565 ? 11 : 10), five);
    __m128i g, b = _mm_and_si128(p, five);
    r = _mm_or_si128(_mm_slli_epi16(r, 3), _mm_srli_epi16(r, 2));
    b = _mm_or_si128(_mm_slli_epi16(b, 3), _mm_srli_epi16(b, 2));
    if (k565) {
      g = _mm_and_si128(_mm_srli_epi16(p, 5), six);
      g = _mm_or_si128(_mm_slli_epi16(g, 2), _mm_srli_epi16(g, 4));
    } else {
      g = _mm_and_si128(_mm_srli_epi16(p, 5), five);
      g = _mm_or_si128(_mm_slli_epi16(g, 3), _mm_srli_epi16(g, 2));
    }
    __m128i gb = _mm_or_si128(b, _mm_slli_epi16(g, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_unpacklo_epi16(gb, r));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x + 4), _mm_unpackhi_epi16(gb, r));
  }
  reference::Row16ToRgb(src + 2 * x, dst + x, w - x, k565);
}

#endif  // RALLEX_X86_64

}  // namespace

void Row16ToRgb(const uint8_t* src, uint32_t* dst, int w, bool rgb565) {
#if RALLEX_X86_64
  if (cpu::AtLeast(HWY_SSSE3)) return rgb565 ? FastRow16ToRgb<true>(src, dst, w) : FastRow16ToRgb<false>(src, dst, w);
#endif
  reference::Row16ToRgb(src, dst, w, rgb565);
}

// The vector forms need SSE2 at least; everything else takes the reference forms.
void Fill(uint8_t* dst, ptrdiff_t pitch, int w, int h, int bytes, uint32_t value) {
  if (w <= 0 || h <= 0) return;
#if RALLEX_X86_64
  if (cpu::AtLeast(HWY_SSSE3)) return FastFill(dst, pitch, w, h, bytes, value);
#endif
  reference::Fill(dst, pitch, w, h, bytes, value);
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
#if RALLEX_X86_64
  if (cpu::AtLeast(HWY_SSSE3)) return FastCopyKeyed(dst, dstPitch, src, srcPitch, w, h, bytes, key);
#endif
  reference::CopyKeyed(dst, dstPitch, src, srcPitch, w, h, bytes, key);
}

void CopyMapped(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
                const int32_t* cols, const int32_t* rows, const Key* key) {
  if (w <= 0 || h <= 0) return;
#if RALLEX_X86_64
  if (cpu::AtLeast(HWY_SSSE3)) return FastCopyMapped(dst, dstPitch, src, srcPitch, w, h, bytes, cols, rows, key);
#endif
  reference::CopyMapped(dst, dstPitch, src, srcPitch, w, h, bytes, cols, rows, key);
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
template <uint32_t kRed, uint32_t kGreen, uint32_t kBlue>
void RowWithMasksToRgb(const uint8_t* src, uint32_t* dst, int w) {
  constexpr pixel::Channels channels = pixel::Channels::Of(kRed, kGreen, kBlue);
  for (int x = 0; x < w; ++x) dst[x] = channels.ToRgb(ReadPixel(src + 2 * x, 2));
}
}  // namespace

void Row16ToRgb(const uint8_t* src, uint32_t* dst, int w, bool rgb565) {
  if (rgb565)
    RowWithMasksToRgb<0xF800, 0x07E0, 0x001F>(src, dst, w);
  else
    RowWithMasksToRgb<0x7C00, 0x03E0, 0x001F>(src, dst, w);
}

}  // namespace reference
}  // namespace platform::ddraw::pixels
