// SPDX-License-Identifier: MIT
// The processor features the fast pixel loops may use: one mask for the whole
// platform layer, found once per process. Every loop with a vector form also
// has a plain form, which is what runs on a processor without the feature (and
// on every processor that is not x86-64).
//
// RALLEX_CPU=plain|sse2|ssse3|avx2|avx512 caps the mask at a level, never
// above what the processor has, so that one machine can run every form of a
// loop; the tests use it.
#pragma once

#include <cstdint>

// The vector forms are compiled only where their instructions exist; SSE2 is
// part of every x86-64 processor, the wider sets are chosen at run time.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define RALLEX_X86_64 1
#else
#define RALLEX_X86_64 0
#endif

namespace platform::cpu {

enum Feature : uint32_t {
  kSse2 = 1u << 0,
  kSsse3 = 1u << 1,
  kAvx2 = 1u << 2,
  kAvx512 = 1u << 3,  // AVX-512 BW with VL: 16-bit elements on 256-bit registers
};

// What this processor has.
uint32_t Detected();
// Detected() under the cap of RALLEX_CPU; the same value for the whole run.
uint32_t Features();
inline bool Has(uint32_t features) { return (Features() & features) == features; }

// The features of `detected` left under the level `name` (null: no cap).
// Sets *known to whether the name is one of the levels; an unknown name caps
// nothing.
uint32_t Capped(uint32_t detected, const char* name, bool* known = nullptr);

}  // namespace platform::cpu
