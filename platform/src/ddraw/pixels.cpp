#include "ddraw/pixels.h"

#include <emmintrin.h>
#include <immintrin.h>

#include <cstring>

#include "ddraw/format.h"

namespace platform::ddraw::pixels {
namespace {

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

// 256-bit forms for processors that have them; chosen once at start-up.
bool& Avx2() {
  static bool on = __builtin_cpu_supports("avx2");
  return on;
}

#define RX_AVX2 __attribute__((target("avx2")))

RX_AVX2 void FillRow16Avx2(uint8_t* p, size_t n, uint16_t v) {
  const __m256i vv = _mm256_set1_epi16(static_cast<short>(v));
  size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 2 * i), vv);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 2 * i + 32), vv);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 2 * i + 64), vv);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 2 * i + 96), vv);
  }
  for (; i + 16 <= n; i += 16) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 2 * i), vv);
  for (; i < n; ++i) memcpy(p + 2 * i, &v, 2);
}

RX_AVX2 void FillRow32Avx2(uint8_t* p, size_t n, uint32_t v) {
  const __m256i vv = _mm256_set1_epi32(static_cast<int>(v));
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 4 * i), vv);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 4 * i + 32), vv);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 4 * i + 64), vv);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 4 * i + 96), vv);
  }
  for (; i + 8 <= n; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 4 * i), vv);
  for (; i < n; ++i) memcpy(p + 4 * i, &v, 4);
}

RX_AVX2 void KeyedRow16Avx2(uint8_t* d, const uint8_t* s, size_t n, const Key& k) {
  const __m256i bias = _mm256_set1_epi16(static_cast<short>(0x8000));
  const __m256i m = _mm256_set1_epi16(static_cast<short>(k.mask));
  const __m256i lo = _mm256_set1_epi16(static_cast<short>((k.low ^ 0x8000) & 0xFFFF));
  const __m256i hi = _mm256_set1_epi16(static_cast<short>((k.high ^ 0x8000) & 0xFFFF));
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 2 * i));
    __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 2 * i));
    __m256i b = _mm256_xor_si256(_mm256_and_si256(v, m), bias);
    __m256i keep = _mm256_or_si256(_mm256_cmpgt_epi16(lo, b), _mm256_cmpgt_epi16(b, hi));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 2 * i), _mm256_blendv_epi8(old, v, keep));
  }
  for (; i < n; ++i) {
    uint16_t v;
    memcpy(&v, s + 2 * i, 2);
    if (!k.Transparent(v)) memcpy(d + 2 * i, &v, 2);
  }
}

RX_AVX2 void KeyedRow32Avx2(uint8_t* d, const uint8_t* s, size_t n, const Key& k) {
  const __m256i bias = _mm256_set1_epi32(static_cast<int>(0x80000000u));
  const __m256i m = _mm256_set1_epi32(static_cast<int>(k.mask));
  const __m256i lo = _mm256_set1_epi32(static_cast<int>(k.low ^ 0x80000000u));
  const __m256i hi = _mm256_set1_epi32(static_cast<int>(k.high ^ 0x80000000u));
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * i));
    __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 4 * i));
    __m256i b = _mm256_xor_si256(_mm256_and_si256(v, m), bias);
    __m256i keep = _mm256_or_si256(_mm256_cmpgt_epi32(lo, b), _mm256_cmpgt_epi32(b, hi));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * i), _mm256_blendv_epi8(old, v, keep));
  }
  for (; i < n; ++i) {
    uint32_t v;
    memcpy(&v, s + 4 * i, 4);
    if (!k.Transparent(v)) memcpy(d + 4 * i, &v, 4);
  }
}

// ---- fills ----

void FillRow16(uint8_t* p, size_t n, uint16_t v) {
  const __m128i vv = _mm_set1_epi16(static_cast<short>(v));
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i), vv);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i + 16), vv);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i + 32), vv);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i + 48), vv);
  }
  for (; i + 8 <= n; i += 8) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i), vv);
  for (; i < n; ++i) memcpy(p + 2 * i, &v, 2);
}

void FillRow32(uint8_t* p, size_t n, uint32_t v) {
  const __m128i vv = _mm_set1_epi32(static_cast<int>(v));
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4 * i), vv);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4 * i + 16), vv);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4 * i + 32), vv);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4 * i + 48), vv);
  }
  for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 4 * i), vv);
  for (; i < n; ++i) memcpy(p + 4 * i, &v, 4);
}

void FillRow24(uint8_t* p, size_t n, uint32_t v) {
  // 16 pixels make 48 bytes, a whole number of 16-byte blocks.
  uint8_t pattern[48];
  for (int i = 0; i < 16; ++i) WritePixel(pattern + 3 * i, 3, v);
  size_t bytes = 3 * n, i = 0;
  for (; i + 48 <= bytes; i += 48) memcpy(p + i, pattern, 48);
  memcpy(p + i, pattern, bytes - i);
}

// ---- keyed copies ----

// Writes s where keep is set and leaves d elsewhere. Without branches: sprite
// edges make the kept and dropped blocks alternate too irregularly to predict.
inline void Blend(uint8_t* d, __m128i s, __m128i keep) {
  __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(_mm_and_si128(keep, s), _mm_andnot_si128(keep, old)));
}

void KeyedRow8(uint8_t* d, const uint8_t* s, size_t n, const Key& k) {
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i m = _mm_set1_epi8(static_cast<char>(k.mask));
  const __m128i lo = _mm_set1_epi8(static_cast<char>((k.low ^ 0x80) & 0xFF));
  const __m128i hi = _mm_set1_epi8(static_cast<char>((k.high ^ 0x80) & 0xFF));
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    __m128i b = _mm_xor_si128(_mm_and_si128(v, m), bias);
    __m128i keep = _mm_or_si128(_mm_cmplt_epi8(b, lo), _mm_cmpgt_epi8(b, hi));
    Blend(d + i, v, keep);
  }
  for (; i < n; ++i)
    if (!k.Transparent(s[i])) d[i] = s[i];
}

void KeyedRow16(uint8_t* d, const uint8_t* s, size_t n, const Key& k) {
  const __m128i bias = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i m = _mm_set1_epi16(static_cast<short>(k.mask));
  const __m128i lo = _mm_set1_epi16(static_cast<short>((k.low ^ 0x8000) & 0xFFFF));
  const __m128i hi = _mm_set1_epi16(static_cast<short>((k.high ^ 0x8000) & 0xFFFF));
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * i));
    __m128i b = _mm_xor_si128(_mm_and_si128(v, m), bias);
    __m128i keep = _mm_or_si128(_mm_cmplt_epi16(b, lo), _mm_cmpgt_epi16(b, hi));
    Blend(d + 2 * i, v, keep);
  }
  for (; i < n; ++i) {
    uint16_t v;
    memcpy(&v, s + 2 * i, 2);
    if (!k.Transparent(v)) memcpy(d + 2 * i, &v, 2);
  }
}

void KeyedRow32(uint8_t* d, const uint8_t* s, size_t n, const Key& k) {
  const __m128i bias = _mm_set1_epi32(static_cast<int>(0x80000000u));
  const __m128i m = _mm_set1_epi32(static_cast<int>(k.mask));
  const __m128i lo = _mm_set1_epi32(static_cast<int>(k.low ^ 0x80000000u));
  const __m128i hi = _mm_set1_epi32(static_cast<int>(k.high ^ 0x80000000u));
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * i));
    __m128i b = _mm_xor_si128(_mm_and_si128(v, m), bias);
    __m128i keep = _mm_or_si128(_mm_cmplt_epi32(b, lo), _mm_cmpgt_epi32(b, hi));
    Blend(d + 4 * i, v, keep);
  }
  for (; i < n; ++i) {
    uint32_t v;
    memcpy(&v, s + 4 * i, 4);
    if (!k.Transparent(v)) memcpy(d + 4 * i, &v, 4);
  }
}

void KeyedRow24(uint8_t* d, const uint8_t* s, size_t n, const Key& k) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t v = ReadPixel(s + 3 * i, 3);
    if (!k.Transparent(v)) memcpy(d + 3 * i, s + 3 * i, 3);
  }
}

void KeyedRow(uint8_t* d, const uint8_t* s, size_t n, int bytes, const Key& k) {
  switch (bytes) {
    case 1: KeyedRow8(d, s, n, k); break;
    case 2: Avx2() ? KeyedRow16Avx2(d, s, n, k) : KeyedRow16(d, s, n, k); break;
    case 3: KeyedRow24(d, s, n, k); break;
    default: Avx2() ? KeyedRow32Avx2(d, s, n, k) : KeyedRow32(d, s, n, k); break;
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

enum class ColumnShape { Any, Straight, Doubled };

ColumnShape ShapeOf(const int32_t* cols, int w) {
  bool straight = true, doubled = true;
  for (int x = 0; x < w && (straight || doubled); ++x) {
    if (cols[x] != cols[0] + x) straight = false;
    if (cols[x] != cols[0] + x / 2) doubled = false;
  }
  return straight ? ColumnShape::Straight : doubled ? ColumnShape::Doubled : ColumnShape::Any;
}

}  // namespace

bool UseAvx2(bool allow) {
  static const bool supported = __builtin_cpu_supports("avx2");
  bool was = Avx2();
  Avx2() = allow && supported;
  return was;
}

void Fill(uint8_t* dst, ptrdiff_t pitch, int w, int h, int bytes, uint32_t value) {
  if (w <= 0 || h <= 0) return;
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
        Avx2() ? FillRow16Avx2(p, perRow, static_cast<uint16_t>(value))
               : FillRow16(p, perRow, static_cast<uint16_t>(value));
        break;
      case 3: FillRow24(p, perRow, value); break;
      default: Avx2() ? FillRow32Avx2(p, perRow, value) : FillRow32(p, perRow, value); break;
    }
  }
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

void CopyMapped(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
                const int32_t* cols, const int32_t* rows, const Key* key) {
  if (w <= 0 || h <= 0) return;
  Key k;
  if (key && !Normalize(*key, bytes, &k)) key = nullptr;
  const Key* kp = key ? &k : nullptr;
  ColumnShape shape = ShapeOf(cols, w);
  size_t rowBytes = static_cast<size_t>(w) * bytes;
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
    switch (bytes) {
      case 1: kp ? GatherRowKeyed<uint8_t>(d, s, cols, w, k) : GatherRow<uint8_t>(d, s, cols, w); break;
      case 2: kp ? GatherRowKeyed<uint16_t>(d, s, cols, w, k) : GatherRow<uint16_t>(d, s, cols, w); break;
      case 3: GatherRow24(d, s, cols, w, kp); break;
      default: kp ? GatherRowKeyed<uint32_t>(d, s, cols, w, k) : GatherRow<uint32_t>(d, s, cols, w); break;
    }
  }
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

}  // namespace reference
}  // namespace platform::ddraw::pixels
