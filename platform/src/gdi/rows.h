// SPDX-License-Identifier: MIT
// Whole-row pixel conversions on the GDI's load and copy paths: colours packed
// into a device context's direct format (StretchBlt, BitBlt), and 24-bit bitmap
// rows widened to 32 bits (reading .bmp files). Each has a fast form (SSE2 or
// SSSE3, and AVX2, as the processor choice of cpu/cpu.h allows) and a plain
// per-pixel reference form, which runs where no vector form may and which the
// tests hold the fast forms to.
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

namespace reference {
void PackRow(const uint32_t* src, uint8_t* dst, size_t n, const Format& f, int bytes);
void WidenBgr24(const uint8_t* src, uint32_t* dst, size_t n);
}  // namespace reference

}  // namespace platform::gdi::rows
