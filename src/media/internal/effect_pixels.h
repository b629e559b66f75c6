// SPDX-License-Identifier: MIT
// The pixel loops of the effect copies: half blends, level blends, alpha-mask
// blends, darkening, fading and inversion, in the fixed channel layouts of the
// 15-, 16-, 24- and 32-bit format codes.
//
// Each loop has a fast form for 15, 16 and 32 bits (vectors, written once with
// Highway, at the level of the platform's one processor choice,
// platform/cpu.h) and a plain per-pixel form written straight from the
// per-channel rules, which runs at the level "plain" and for 24 bits; the
// tests hold the fast form to the plain one. Callers clip first: a loop touches exactly
// the w x h pixels it is given, and never byte 3 of a 32-bit destination pixel.
#pragma once

#include <cstddef>
#include <cstdint>

namespace effects {

// What each destination pixel d becomes under source pixel s (channel by
// channel, a the level, m the mask byte):
enum class Op {
  HalfBlend,    // half(s) + half(d)
  Blend,        // s + floor((d - s) * a / 256)
  AlphaMasked,  // d + floor((s - d) * m / 256)
  Darken,       // floor(d * a / 256); s is read only for the key test
  DarkenHalf,   // half(d); s is read only for the key test
  Faded,        // floor(s * a / 256)
};

struct Job {
  Op op = Op::HalfBlend;
  int format = 16;  // 15, 16, 24 or 32; other codes change nothing
  uint8_t* dst = nullptr;
  ptrdiff_t dstPitch = 0;
  const uint8_t* src = nullptr;  // may be null for Darken and DarkenHalf without key
  ptrdiff_t srcPitch = 0;
  const uint8_t* mask = nullptr;  // AlphaMasked: one byte per source pixel
  ptrdiff_t maskPitch = 0;
  int w = 0;
  int h = 0;
  // With keyed set, destination pixels under source pixels equal to key (the
  // whole 16-bit pixel in 15 and 16 bits, the low 24 bits in 24 and 32) are
  // left alone. A key with bits above the pixel's never matches.
  bool keyed = false;
  uint32_t key = 0;
  uint32_t level = 0;  // 0..256; larger values count as 256
};

// Bytes per pixel of a format code (0 for codes the loops do not handle).
int BytesOfFormat(int format);

void Run(const Job& job);
// Inverts every byte of w x h pixels of `bytes` bytes each.
void Invert(uint8_t* bits, ptrdiff_t pitch, int w, int h, int bytes);

// Highway's target bit of the vector rows these loops run (0: the plain ones).
int64_t LoopTarget();

namespace reference {
void Run(const Job& job);
void Invert(uint8_t* bits, ptrdiff_t pitch, int w, int h, int bytes);
}  // namespace reference

}  // namespace effects
