// SPDX-License-Identifier: MIT
// IsProcessorFeaturePresent answers from the platform layer's one processor
// choice, so that a program's own vector loops follow the same cap.
#include <hwy/highway.h>

#include "cpu/cpu.h"
#include "platform/winbase.h"

BOOL IsProcessorFeaturePresent(DWORD feature) {
  using platform::cpu::AtLeast;
  switch (feature) {
    // Every vector level of x86-64 has SSE2 and SSSE3.
    case PF_XMMI64_INSTRUCTIONS_AVAILABLE:
    case PF_SSSE3_INSTRUCTIONS_AVAILABLE: return AtLeast(HWY_SSSE3) ? TRUE : FALSE;
    case PF_SSE4_1_INSTRUCTIONS_AVAILABLE:
    case PF_SSE4_2_INSTRUCTIONS_AVAILABLE: return AtLeast(HWY_SSE4) ? TRUE : FALSE;
    case PF_AVX_INSTRUCTIONS_AVAILABLE:
    case PF_AVX2_INSTRUCTIONS_AVAILABLE: return AtLeast(HWY_AVX2) ? TRUE : FALSE;
    case PF_AVX512F_INSTRUCTIONS_AVAILABLE: return AtLeast(HWY_AVX3) ? TRUE : FALSE;
    case PF_ARM_NEON_INSTRUCTIONS_AVAILABLE: return AtLeast(HWY_NEON) ? TRUE : FALSE;
    default: return FALSE;
  }
}
