// SPDX-License-Identifier: MIT
#include "media/internal/effect_pixels.h"

// The vector forms exist for x86-64 only (SSE2 is part of every such
// processor; AVX2 is asked for). Elsewhere the plain forms are the loops.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define RX_VECTORS 1
#include <immintrin.h>
#else
#define RX_VECTORS 0
#endif

#include <cstring>

#include "platform/windows.h"

namespace effects {
namespace {

// ---- one pixel at a time, straight from the per-channel rules ----

// Where the three channels sit: blue, green, red (shift and width).
struct Layout {
  int shift[3];
  int bits[3];
};

Layout LayoutOf(int format) {
  switch (format) {
    case 15: return {{0, 5, 10}, {5, 5, 5}};
    case 16: return {{0, 5, 11}, {5, 6, 5}};
    default: return {{0, 8, 16}, {8, 8, 8}};
  }
}

uint32_t Read(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  memcpy(&v, p, static_cast<size_t>(bytes));
  return v;
}

// 15 and 16 bits: the 16-bit word; 24 and 32 bits: the three low bytes only.
void Write(uint8_t* p, int bytes, uint32_t v) { memcpy(p, &v, bytes == 2 ? 2 : 3); }

bool IsKey(uint32_t s, int bytes, uint32_t key) { return (bytes == 2 ? s & 0xFFFF : s & 0xFFFFFF) == key; }

// Every channel halved, the remainder dropped.
uint32_t Half(uint32_t p, int format) {
  switch (format) {
    case 15: return (p >> 1) & 0x3DEF;
    case 16: return (p >> 1) & 0x7BEF;
    default: return (p >> 1) & 0x7F7F7F;
  }
}

uint32_t Pixel(Op op, int format, uint32_t s, uint32_t d, uint32_t m, int32_t a) {
  if (op == Op::HalfBlend) return Half(s, format) + Half(d, format);
  if (op == Op::DarkenHalf) return Half(d, format);
  Layout l = LayoutOf(format);
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) {
    int32_t max = (1 << l.bits[c]) - 1;
    int32_t sc = static_cast<int32_t>(s >> l.shift[c]) & max;
    int32_t dc = static_cast<int32_t>(d >> l.shift[c]) & max;
    int32_t v = 0;
    switch (op) {
      case Op::Blend: v = sc + (((dc - sc) * a) >> 8); break;
      case Op::AlphaMasked: v = dc + (((sc - dc) * static_cast<int32_t>(m)) >> 8); break;
      case Op::Darken: v = (dc * a) >> 8; break;
      case Op::Faded: v = (sc * a) >> 8; break;
      default: break;
    }
    out |= static_cast<uint32_t>(v) << l.shift[c];
  }
  return out;
}

// n pixels of one row, for one operation and format known when compiled, so
// that the per-pixel rules above become straight code (these loops are what
// processors without the vector forms run, the browser's included).
template <Op op, int format, bool keyed>
void PlainRowOf(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, uint32_t key, uint32_t level) {
  constexpr int bytes = format == 15 || format == 16 ? 2 : format == 24 ? 3 : 4;
  constexpr bool readsSource = keyed || (op != Op::Darken && op != Op::DarkenHalf);
  for (int i = 0; i < n; ++i) {
    uint32_t sv = readsSource ? Read(s + i * bytes, bytes) : 0;
    if (keyed && IsKey(sv, bytes, key)) continue;
    uint32_t dv = Read(d + i * bytes, bytes);
    Write(d + i * bytes, bytes, Pixel(op, format, sv, dv, m ? m[i] : 0, static_cast<int32_t>(level)));
  }
}

template <Op op, int format>
void PlainRowFor(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, bool keyed, uint32_t key, uint32_t level) {
  if (keyed)
    PlainRowOf<op, format, true>(d, s, m, n, key, level);
  else
    PlainRowOf<op, format, false>(d, s, m, n, key, level);
}

template <int format>
void PlainRowIn(Op op, uint8_t* d, const uint8_t* s, const uint8_t* m, int n, bool keyed, uint32_t key,
                uint32_t level) {
  switch (op) {
    case Op::HalfBlend: return PlainRowFor<Op::HalfBlend, format>(d, s, m, n, keyed, key, level);
    case Op::Blend: return PlainRowFor<Op::Blend, format>(d, s, m, n, keyed, key, level);
    case Op::AlphaMasked: return PlainRowFor<Op::AlphaMasked, format>(d, s, m, n, keyed, key, level);
    case Op::Darken: return PlainRowFor<Op::Darken, format>(d, s, m, n, keyed, key, level);
    case Op::DarkenHalf: return PlainRowFor<Op::DarkenHalf, format>(d, s, m, n, keyed, key, level);
    case Op::Faded: return PlainRowFor<Op::Faded, format>(d, s, m, n, keyed, key, level);
  }
}

void PlainRow(Op op, int format, uint8_t* d, const uint8_t* s, const uint8_t* m, int n, bool keyed, uint32_t key,
              uint32_t level) {
  switch (format) {
    case 15: return PlainRowIn<15>(op, d, s, m, n, keyed, key, level);
    case 16: return PlainRowIn<16>(op, d, s, m, n, keyed, key, level);
    case 24: return PlainRowIn<24>(op, d, s, m, n, keyed, key, level);
    case 32: return PlainRowIn<32>(op, d, s, m, n, keyed, key, level);
    default: return;
  }
}

// ---- vectors ----

#if RX_VECTORS

struct V128 {
  using T = __m128i;
  static constexpr int kBytes = 16;
  static T Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
  static void Store(uint8_t* p, T v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
  static T Zero() { return _mm_setzero_si128(); }
  static T Set16(uint16_t v) { return _mm_set1_epi16(static_cast<short>(v)); }
  static T Set32(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }
  static T Add16(T a, T b) { return _mm_add_epi16(a, b); }
  static T Sub16(T a, T b) { return _mm_sub_epi16(a, b); }
  static T Mul16(T a, T b) { return _mm_mullo_epi16(a, b); }
  static T MulHi16(T a, T b) { return _mm_mulhi_epu16(a, b); }
  static T And(T a, T b) { return _mm_and_si128(a, b); }
  static T AndNot(T a, T b) { return _mm_andnot_si128(a, b); }
  static T Or(T a, T b) { return _mm_or_si128(a, b); }
  static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
  template <int n>
  static T Srl16(T a) { return _mm_srli_epi16(a, n); }
  template <int n>
  static T Sll16(T a) { return _mm_slli_epi16(a, n); }
  template <int n>
  static T Srl32(T a) { return _mm_srli_epi32(a, n); }
  template <int n>
  static T Sll32(T a) { return _mm_slli_epi32(a, n); }
  static T CmpEq16(T a, T b) { return _mm_cmpeq_epi16(a, b); }
  static T CmpEq32(T a, T b) { return _mm_cmpeq_epi32(a, b); }
  static T UnpackLo8(T a, T b) { return _mm_unpacklo_epi8(a, b); }
  static T UnpackHi8(T a, T b) { return _mm_unpackhi_epi8(a, b); }
  static T UnpackLo32(T a, T b) { return _mm_unpacklo_epi32(a, b); }
  static T UnpackHi32(T a, T b) { return _mm_unpackhi_epi32(a, b); }
  static T PackUs16(T a, T b) { return _mm_packus_epi16(a, b); }
  // 8 mask bytes in 16-bit lanes; 4 mask bytes in 32-bit lanes.
  static T Mask16(const uint8_t* m) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(m)), _mm_setzero_si128());
  }
  static T Mask32(const uint8_t* m) {
    int32_t four;
    memcpy(&four, m, 4);
    T v = _mm_unpacklo_epi8(_mm_cvtsi32_si128(four), _mm_setzero_si128());
    return _mm_unpacklo_epi16(v, _mm_setzero_si128());
  }
};

#define RX_AVX2 __attribute__((target("avx2")))

struct V256 {
  using T = __m256i;
  static constexpr int kBytes = 32;
  RX_AVX2 static T Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  RX_AVX2 static void Store(uint8_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  RX_AVX2 static T Zero() { return _mm256_setzero_si256(); }
  RX_AVX2 static T Set16(uint16_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }
  RX_AVX2 static T Set32(uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }
  RX_AVX2 static T Add16(T a, T b) { return _mm256_add_epi16(a, b); }
  RX_AVX2 static T Sub16(T a, T b) { return _mm256_sub_epi16(a, b); }
  RX_AVX2 static T Mul16(T a, T b) { return _mm256_mullo_epi16(a, b); }
  RX_AVX2 static T MulHi16(T a, T b) { return _mm256_mulhi_epu16(a, b); }
  RX_AVX2 static T And(T a, T b) { return _mm256_and_si256(a, b); }
  RX_AVX2 static T AndNot(T a, T b) { return _mm256_andnot_si256(a, b); }
  RX_AVX2 static T Or(T a, T b) { return _mm256_or_si256(a, b); }
  RX_AVX2 static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
  template <int n>
  RX_AVX2 static T Srl16(T a) { return _mm256_srli_epi16(a, n); }
  template <int n>
  RX_AVX2 static T Sll16(T a) { return _mm256_slli_epi16(a, n); }
  template <int n>
  RX_AVX2 static T Srl32(T a) { return _mm256_srli_epi32(a, n); }
  template <int n>
  RX_AVX2 static T Sll32(T a) { return _mm256_slli_epi32(a, n); }
  RX_AVX2 static T CmpEq16(T a, T b) { return _mm256_cmpeq_epi16(a, b); }
  RX_AVX2 static T CmpEq32(T a, T b) { return _mm256_cmpeq_epi32(a, b); }
  // The unpacks and the pack work within each 128-bit half; the pack undoes
  // the unpacks, so the pixels come back in their order.
  RX_AVX2 static T UnpackLo8(T a, T b) { return _mm256_unpacklo_epi8(a, b); }
  RX_AVX2 static T UnpackHi8(T a, T b) { return _mm256_unpackhi_epi8(a, b); }
  RX_AVX2 static T UnpackLo32(T a, T b) { return _mm256_unpacklo_epi32(a, b); }
  RX_AVX2 static T UnpackHi32(T a, T b) { return _mm256_unpackhi_epi32(a, b); }
  RX_AVX2 static T PackUs16(T a, T b) { return _mm256_packus_epi16(a, b); }
  // 16 mask bytes in 16-bit lanes; 8 mask bytes in 32-bit lanes.
  RX_AVX2 static T Mask16(const uint8_t* m) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m)));
  }
  RX_AVX2 static T Mask32(const uint8_t* m) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(m)));
  }
};

namespace sse2 {
using V = V128;
#define RX_FN
#include "media/internal/effect_rows.inc"
#undef RX_FN
}  // namespace sse2

namespace avx2 {
using V = V256;
#define RX_FN RX_AVX2
#include "media/internal/effect_rows.inc"
#undef RX_FN
}  // namespace avx2

// The platform's processor choice, which the platform's own copies follow too.
bool Sse2() {
  static const bool on = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE);
  return on;
}
bool Avx2() {
  static const bool on = IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE);
  return on;
}

// A key that no pixel of the format can equal.
bool KeyCannotMatch(uint32_t key, int bytes) { return key > (bytes == 2 ? 0xFFFFu : 0xFFFFFFu); }

#endif  // RX_VECTORS

bool Usable(const Job& j) {
  if (j.w <= 0 || j.h <= 0 || !j.dst || BytesOfFormat(j.format) == 0) return false;
  bool readsSource = j.keyed || (j.op != Op::Darken && j.op != Op::DarkenHalf);
  if (readsSource && !j.src) return false;
  if (j.op == Op::AlphaMasked && !j.mask) return false;
  return true;
}

Job Limited(const Job& job) {
  Job j = job;
  if (j.level > 256) j.level = 256;
  return j;
}

}  // namespace

int BytesOfFormat(int format) {
  switch (format) {
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
  }
}

void Run(const Job& job) {
  if (!Usable(job)) return;
  Job j = Limited(job);
#if RX_VECTORS
  if (j.format != 24 && Sse2()) {
    bool keyed = j.keyed && !KeyCannotMatch(j.key, BytesOfFormat(j.format));
    if (Avx2())
      avx2::RunRows(j, keyed);
    else
      sse2::RunRows(j, keyed);
    return;
  }
#endif
  reference::Run(j);
}

void Invert(uint8_t* bits, ptrdiff_t pitch, int w, int h, int bytes) {
  if (!bits || w <= 0 || h <= 0 || bytes <= 0) return;
#if RX_VECTORS
  if (Sse2()) {
    if (Avx2())
      avx2::InvertRows(bits, pitch, w, h, bytes);
    else
      sse2::InvertRows(bits, pitch, w, h, bytes);
    return;
  }
#endif
  reference::Invert(bits, pitch, w, h, bytes);
}

namespace reference {

void Run(const Job& job) {
  if (!Usable(job)) return;
  Job j = Limited(job);
  for (int y = 0; y < j.h; ++y)
    PlainRow(j.op, j.format, j.dst + y * j.dstPitch, j.src ? j.src + y * j.srcPitch : nullptr,
             j.mask ? j.mask + y * j.maskPitch : nullptr, j.w, j.keyed, j.key, j.level);
}

void Invert(uint8_t* bits, ptrdiff_t pitch, int w, int h, int bytes) {
  if (!bits || w <= 0 || h <= 0 || bytes <= 0) return;
  // Every byte of the row's pixels, in one run (a loop the compiler vectorises).
  size_t rowBytes = static_cast<size_t>(w) * static_cast<size_t>(bytes);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = bits + y * pitch;
    for (size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<uint8_t>(255 - row[i]);
  }
}

}  // namespace reference
}  // namespace effects
