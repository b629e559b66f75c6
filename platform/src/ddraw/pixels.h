// SPDX-License-Identifier: MIT
// The pixel loops of copies and fills: plain and colour-keyed copies, fills, and
// copies through column and row maps (stretching and mirroring). Each has a fast
// form (whole rows, SSE2) and a plain per-pixel reference form that the tests
// hold the fast form to. Callers clip first: every loop touches exactly the
// w x h pixels it is given.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::ddraw::pixels {

// Source pixels p with low <= (p & mask) <= high are transparent.
struct Key {
  uint32_t low = 0;
  uint32_t high = 0;
  uint32_t mask = 0xFFFFFFFFu;
  bool Transparent(uint32_t p) const {
    uint32_t v = p & mask;
    return v >= low && v <= high;
  }
};

// bytes: bytes per pixel, 1 to 4. Pitches in bytes.
void Fill(uint8_t* dst, ptrdiff_t pitch, int w, int h, int bytes, uint32_t value);
// The two rectangles must not overlap.
void Copy(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes);
void CopyKeyed(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
               const Key& key);
// Destination pixel (x, y) takes source pixel (cols[x], rows[y]), both relative to
// src. With key, transparent source pixels leave the destination as it was.
void CopyMapped(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
                const int32_t* cols, const int32_t* rows, const Key* key);

// The fast loops use 256-bit vectors where the processor has them. Tests turn
// them off to check the 128-bit forms as well; returns the previous setting.
bool UseAvx2(bool allow);
// 16-bit copies through a column map also use 512-bit-family permutes (on
// 256-bit registers) where the processor has them, with the 256-bit loops on.
bool UseAvx512(bool allow);

namespace reference {
void Fill(uint8_t* dst, ptrdiff_t pitch, int w, int h, int bytes, uint32_t value);
void Copy(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes);
void CopyKeyed(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
               const Key& key);
void CopyMapped(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
                const int32_t* cols, const int32_t* rows, const Key* key);
}  // namespace reference

}  // namespace platform::ddraw::pixels
