// SPDX-License-Identifier: MIT
#include "cpu/cpu.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::cpu {

uint32_t Detected() {
  uint32_t f = 0;
#if RALLEX_X86_64
  __builtin_cpu_init();
  f |= kSse2;
  if (__builtin_cpu_supports("ssse3")) f |= kSsse3;
  if (__builtin_cpu_supports("avx2")) f |= kAvx2;
  if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl")) f |= kAvx512;
#endif
  return f;
}

uint32_t Capped(uint32_t detected, const char* name, bool* known) {
  struct Level {
    const char* name;
    uint32_t allows;
  };
  // Each level allows the ones below it.
  static const Level kLevels[] = {
      {"plain", 0},
      {"sse2", kSse2},
      {"ssse3", kSse2 | kSsse3},
      {"avx2", kSse2 | kSsse3 | kAvx2},
      {"avx512", kSse2 | kSsse3 | kAvx2 | kAvx512},
  };
  if (known) *known = name == nullptr;
  if (!name) return detected;
  for (const Level& level : kLevels)
    if (strcmp(name, level.name) == 0) {
      if (known) *known = true;
      return detected & level.allows;
    }
  return detected;
}

uint32_t Features() {
  static const uint32_t features = [] {
    const char* name = getenv("RALLEX_CPU");
    if (name && !*name) name = nullptr;
    bool known = true;
    uint32_t f = Capped(Detected(), name, &known);
    if (!known)
      fprintf(stderr, "RALLEX_CPU=%s is not a level (plain, sse2, ssse3, avx2, avx512); using every feature\n",
              name);
    return f;
  }();
  return features;
}

}  // namespace platform::cpu
