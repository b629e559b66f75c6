// SPDX-License-Identifier: MIT
#include "gdi/rows.h"

#include <hwy/detect_targets.h>

#include "cpu/cpu.h"

#if RALLEX_X86_64
#include <immintrin.h>
#endif

#include <cstring>

namespace platform::gdi::rows {
namespace {

#if RALLEX_X86_64

bool Avx2() { return cpu::AtLeast(HWY_AVX2); }
bool Sse2() { return cpu::AtLeast(HWY_SSSE3); }
bool Ssse3() { return cpu::AtLeast(HWY_SSSE3); }

#define RX_AVX2 __attribute__((target("avx2")))
#define RX_SSSE3 __attribute__((target("ssse3")))

// One channel of a colour moved into place: ((rgb >> down) & low) << up. That
// is what packing does for a contiguous channel of at most 8 bits: the top
// `bits` of the 8-bit value, shifted to the channel's place.
struct Lane {
  int down = 0;
  uint32_t low = 0;
  int up = 0;
};
struct Lanes {
  Lane c[3];
};

// False for formats the vector forms do not cover (channels wider than 8 bits
// or with holes in their masks); those are packed pixel by pixel.
bool LanesOf(const Format& f, Lanes* out) {
  const Channel* channels[3] = {&f.red, &f.green, &f.blue};
  for (int i = 0; i < 3; ++i) {
    const Channel& ch = *channels[i];
    if (ch.bits == 0) {
      out->c[i] = Lane{0, 0, 0};
      continue;
    }
    if (ch.bits > 8 || ch.shift + ch.bits > 32) return false;
    const uint32_t low = (1u << ch.bits) - 1;
    if (ch.mask != low << ch.shift) return false;
    out->c[i] = Lane{16 - 8 * i + 8 - ch.bits, low, ch.shift};
  }
  return true;
}

// A format's lanes as vector operands, made once per row so that the loops
// keep them in registers.
struct LaneVectors {
  __m128i down[3], low[3], up[3];
  explicit LaneVectors(const Lanes& l) {
    for (int i = 0; i < 3; ++i) {
      down[i] = _mm_cvtsi32_si128(l.c[i].down);
      low[i] = _mm_set1_epi32(static_cast<int>(l.c[i].low));
      up[i] = _mm_cvtsi32_si128(l.c[i].up);
    }
  }
};

inline __m128i PackLanes(__m128i v, const LaneVectors& l) {
  __m128i out = _mm_setzero_si128();
  for (int i = 0; i < 3; ++i)
    out = _mm_or_si128(out, _mm_sll_epi32(_mm_and_si128(_mm_srl_epi32(v, l.down[i]), l.low[i]), l.up[i]));
  return out;
}

// Four 32-bit values below 65536 each, two registers of them, as eight 16-bit
// values in order (the signed pack saturates, so the values are first made
// signed 16-bit ones).
inline __m128i Narrow(__m128i a, __m128i b) {
  a = _mm_srai_epi32(_mm_slli_epi32(a, 16), 16);
  b = _mm_srai_epi32(_mm_slli_epi32(b, 16), 16);
  return _mm_packs_epi32(a, b);
}

void PackRowSse2(const uint32_t* src, uint8_t* dst, size_t n, const Lanes& lanes, int bytes) {
  const LaneVectors l(lanes);
  size_t i = 0;
  if (bytes == 2) {
    for (; i + 8 <= n; i += 8) {
      __m128i a = PackLanes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), l);
      __m128i b = PackLanes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 4)), l);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * i), Narrow(a, b));
    }
  } else {
    for (; i + 4 <= n; i += 4)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * i),
                       PackLanes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), l));
  }
  for (; i < n; ++i) {
    uint32_t raw = 0;
    for (const Lane& lane : lanes.c) raw |= ((src[i] >> lane.down) & lane.low) << lane.up;
    memcpy(dst + bytes * i, &raw, static_cast<size_t>(bytes));
  }
}

struct LaneVectorsAvx2 {
  __m128i down[3], up[3];
  __m256i low[3];
  RX_AVX2 explicit LaneVectorsAvx2(const Lanes& l) {
    for (int i = 0; i < 3; ++i) {
      down[i] = _mm_cvtsi32_si128(l.c[i].down);
      low[i] = _mm256_set1_epi32(static_cast<int>(l.c[i].low));
      up[i] = _mm_cvtsi32_si128(l.c[i].up);
    }
  }
};

RX_AVX2 inline __m256i PackLanesAvx2(__m256i v, const LaneVectorsAvx2& l) {
  __m256i out = _mm256_setzero_si256();
  for (int i = 0; i < 3; ++i)
    out = _mm256_or_si256(out,
                          _mm256_sll_epi32(_mm256_and_si256(_mm256_srl_epi32(v, l.down[i]), l.low[i]), l.up[i]));
  return out;
}

// The common 16-bit layouts (5-6-5 and 5-5-5, red highest) shift every channel
// right, by counts known here: immediate shifts are the cheap ones.
template <int Red, int Green, int Blue>
RX_AVX2 void Pack16FixedAvx2(const uint32_t* src, uint8_t* dst, size_t n, const Lanes& lanes, size_t& done) {
  const __m256i mr = _mm256_set1_epi32(static_cast<int>(lanes.c[0].low << lanes.c[0].up));
  const __m256i mg = _mm256_set1_epi32(static_cast<int>(lanes.c[1].low << lanes.c[1].up));
  const __m256i mb = _mm256_set1_epi32(static_cast<int>(lanes.c[2].low << lanes.c[2].up));
  auto pack = [&](__m256i v) RX_AVX2 {
    return _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(v, Red), mr),
                                           _mm256_and_si256(_mm256_srli_epi32(v, Green), mg)),
                           _mm256_and_si256(_mm256_srli_epi32(v, Blue), mb));
  };
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m256i a = pack(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)));
    __m256i b = pack(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 8)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 2 * i),
                        _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8));
  }
  done = i;
}

bool Is(const Lanes& l, int downR, int upR, int downG, int upG, int downB, int upB) {
  return l.c[0].down == downR && l.c[0].up == upR && l.c[1].down == downG && l.c[1].up == upG &&
         l.c[2].down == downB && l.c[2].up == upB;
}

RX_AVX2 void PackRowAvx2(const uint32_t* src, uint8_t* dst, size_t n, const Lanes& lanes, int bytes) {
  size_t i = 0;
  if (bytes == 2 && Is(lanes, 19, 11, 10, 5, 3, 0)) {
    Pack16FixedAvx2<8, 5, 3>(src, dst, n, lanes, i);
  } else if (bytes == 2 && Is(lanes, 19, 10, 11, 5, 3, 0)) {
    Pack16FixedAvx2<9, 6, 3>(src, dst, n, lanes, i);
  } else if (bytes == 2) {
    const LaneVectorsAvx2 l(lanes);
    for (; i + 16 <= n; i += 16) {
      __m256i a = PackLanesAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)), l);
      __m256i b = PackLanesAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 8)), l);
      // The values fit 16 bits, so the unsigned pack keeps them; it works
      // within 128-bit halves, and the permute puts the quarters back in order.
      __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(a, b), 0xD8);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 2 * i), packed);
    }
  } else {
    const LaneVectorsAvx2 l(lanes);
    for (; i + 8 <= n; i += 8)
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * i),
                          PackLanesAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)), l));
  }
  PackRowSse2(src + i, dst + bytes * i, n - i, lanes, bytes);
}

// Blue, green, red of four pixels (12 bytes) into four 32-bit words, the top
// byte zero.
RX_SSSE3 inline __m128i WidenMask() {
  return _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
}

RX_SSSE3 void WidenSsse3(const uint8_t* src, uint32_t* dst, size_t n) {
  const __m128i mask = WidenMask();
  size_t i = 0;
  // Each load reads 16 bytes for the 12 it uses: stop while 16 are left.
  for (; i + 6 <= n; i += 4) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_shuffle_epi8(v, mask));
  }
  reference::WidenBgr24(src + 3 * i, dst + i, n - i);
}

RX_AVX2 void WidenAvx2(const uint8_t* src, uint32_t* dst, size_t n) {
  const __m256i mask = _mm256_broadcastsi128_si256(
      _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128));
  // Bytes 0-15 of a 32-byte load to the low half, bytes 12-27 to the high one.
  const __m256i split = _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6);
  size_t i = 0;
  // Sixteen pixels (48 bytes) a round from two 32-byte loads; the second reads
  // up to byte 56: stop while 19 pixels are left.
  for (; i + 19 <= n; i += 16) {
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 3 * i));
    __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 3 * i + 24));
    a = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(a, split), mask);
    b = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(b, split), mask);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), a);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 8), b);
  }
  WidenSsse3(src + 3 * i, dst + i, n - i);
}

#endif  // RALLEX_X86_64

}  // namespace

void PackRow(const uint32_t* src, uint8_t* dst, size_t n, const Format& f, int bytes) {
#if RALLEX_X86_64
  Lanes l;
  if ((bytes == 2 || bytes == 4) && Sse2() && LanesOf(f, &l)) {
    if (Avx2())
      PackRowAvx2(src, dst, n, l, bytes);
    else
      PackRowSse2(src, dst, n, l, bytes);
    return;
  }
#endif
  reference::PackRow(src, dst, n, f, bytes);
}

void WidenBgr24(const uint8_t* src, uint32_t* dst, size_t n) {
#if RALLEX_X86_64
  if (Avx2()) return WidenAvx2(src, dst, n);
  if (Ssse3()) return WidenSsse3(src, dst, n);
#endif
  reference::WidenBgr24(src, dst, n);
}

namespace reference {

void PackRow(const uint32_t* src, uint8_t* dst, size_t n, const Format& f, int bytes) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t raw = f.PackRgb(src[i]);
    for (int b = 0; b < bytes; ++b) dst[bytes * i + b] = static_cast<uint8_t>(raw >> (8 * b));
  }
}

void WidenBgr24(const uint8_t* src, uint32_t* dst, size_t n) {
  for (size_t i = 0; i < n; ++i, src += 3) dst[i] = static_cast<uint32_t>(src[2]) << 16 | src[1] << 8 | src[0];
}

}  // namespace reference

}  // namespace platform::gdi::rows
