// SPDX-License-Identifier: MIT
// IsProcessorFeaturePresent answers from the platform layer's one processor
// choice, so that a program's own vector loops follow the same cap.
#include "cpu/cpu.h"
#include "platform/winbase.h"

BOOL IsProcessorFeaturePresent(DWORD feature) {
  using namespace platform::cpu;
  switch (feature) {
    case PF_XMMI64_INSTRUCTIONS_AVAILABLE: return Has(kSse2) ? TRUE : FALSE;
    case PF_SSSE3_INSTRUCTIONS_AVAILABLE: return Has(kSsse3) ? TRUE : FALSE;
    case PF_AVX2_INSTRUCTIONS_AVAILABLE: return Has(kAvx2) ? TRUE : FALSE;
    default: return FALSE;
  }
}
