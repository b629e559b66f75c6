// SPDX-License-Identifier: MIT
// The pixel loops of copies and fills: plain and colour-keyed copies, fills, and
// copies through column and row maps (stretching and mirroring). Each has a fast
// form (whole rows in vectors, written once with Highway, at the level chosen
// by cpu/cpu.h) and a plain per-pixel reference form, which is what runs at
// the level "plain" and what the tests hold the fast forms to. Callers clip
// first: every loop touches exactly the w x h pixels it is given.
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

// A colour 0x00RRGGBB as the bytes R, G, B, 255 of a canvas.
inline uint32_t CanvasOrder(uint32_t rgb) { return 0xFF000000u | (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF); }

// w pixels of a 16-bit row (5-6-5 or 5-5-5, red highest) as 0x00RRGGBB, each
// channel widened to 8 bits by repeating its top bits; with canvas, as the
// bytes R, G, B, 255 instead (0xFFBBGGRR).
void Row16ToRgb(const uint8_t* src, uint32_t* dst, int w, bool rgb565, bool canvas = false);

// The level these loops run at: "plain", or the level of the target Highway
// dispatches them to (what the tests check the choice by).
const char* LoopLevel();

namespace reference {
void Fill(uint8_t* dst, ptrdiff_t pitch, int w, int h, int bytes, uint32_t value);
void Copy(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes);
void CopyKeyed(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
               const Key& key);
void CopyMapped(uint8_t* dst, ptrdiff_t dstPitch, const uint8_t* src, ptrdiff_t srcPitch, int w, int h, int bytes,
                const int32_t* cols, const int32_t* rows, const Key* key);
void Row16ToRgb(const uint8_t* src, uint32_t* dst, int w, bool rgb565, bool canvas = false);
}  // namespace reference

}  // namespace platform::ddraw::pixels
