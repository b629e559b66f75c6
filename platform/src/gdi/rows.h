// SPDX-License-Identifier: MIT
// Whole-row pixel conversions on the GDI's load and copy paths: colours packed
// into a device context's direct format (StretchBlt, BitBlt), and 24-bit bitmap
// rows widened to 32 bits (reading .bmp files). Each has a fast form (written
// once with Highway, at the level chosen by cpu/cpu.h) and a plain per-pixel
// reference form, which runs at the level "plain" and which the tests hold the
// fast forms to.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gdi/gdi_internal.h"

namespace platform::gdi::rows {

// n colours 0x??RRGGBB (the top byte ignored) packed into f's raw pixels of
// bytes (2 or 4) each, as Format::PackRgb packs them.
void PackRow(const uint32_t* src, uint8_t* dst, size_t n, const Format& f, int bytes);

// n pixels of a 24-bit bitmap row (blue, green, red bytes) as 0x00RRGGBB.
// Reads exactly 3 * n bytes.
void WidenBgr24(const uint8_t* src, uint32_t* dst, size_t n);

// The level these loops run at: "plain", or the level of the target Highway
// dispatches them to.
const char* LoopLevel();

namespace reference {
void PackRow(const uint32_t* src, uint8_t* dst, size_t n, const Format& f, int bytes);
void WidenBgr24(const uint8_t* src, uint32_t* dst, size_t n);
}  // namespace reference

}  // namespace platform::gdi::rows
