// SPDX-License-Identifier: MIT
// The processor choice: a RALLEX_CPU level caps the features, never adds one
// the processor lacks, and a name that is no level caps nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cpu/cpu.h"
#include "platform/windows.h"

namespace cpu = platform::cpu;

namespace {

TEST(CpuChoice, LevelsCapTheDetectedFeatures) {
  const uint32_t all = cpu::kSse2 | cpu::kSsse3 | cpu::kAvx2 | cpu::kAvx512;
  const uint32_t sse2Only = cpu::kSse2;
  const uint32_t noSsse3 = cpu::kSse2 | cpu::kAvx2;  // a mask no real processor has: bits stay independent
  struct Case {
    uint32_t detected;
    const char* name;
    uint32_t expected;
    bool known;
  } cases[] = {
      {all, nullptr, all, true},
      {all, "plain", 0, true},
      {all, "sse2", cpu::kSse2, true},
      {all, "ssse3", cpu::kSse2 | cpu::kSsse3, true},
      {all, "avx2", cpu::kSse2 | cpu::kSsse3 | cpu::kAvx2, true},
      {all, "avx512", all, true},
      {sse2Only, "avx2", cpu::kSse2, true},
      {sse2Only, "avx512", cpu::kSse2, true},
      {noSsse3, "ssse3", cpu::kSse2, true},
      {0, "avx512", 0, true},
      {all, "AVX2", all, false},
      {all, "avx", all, false},
      {all, "avx2 ", all, false},
      {all, "", all, false},
  };
  for (const Case& c : cases) {
    bool known = !c.known;
    EXPECT_EQ(cpu::Capped(c.detected, c.name, &known), c.expected) << (c.name ? c.name : "(none)");
    EXPECT_EQ(known, c.known) << (c.name ? c.name : "(none)");
  }
}

// The level this run was started with holds for the platform's loops and for
// what a program learns through IsProcessorFeaturePresent.
TEST(CpuChoice, TheRunsLevelHoldsEverywhere) {
  const char* level = getenv("RALLEX_CPU");
  uint32_t f = cpu::Features();
  EXPECT_EQ(f & ~cpu::Detected(), 0u);
  std::string name = level ? level : "";
  struct Cap {
    const char* name;
    uint32_t above;  // features the level excludes
  } caps[] = {
      {"plain", cpu::kSse2 | cpu::kSsse3 | cpu::kAvx2 | cpu::kAvx512},
      {"sse2", cpu::kSsse3 | cpu::kAvx2 | cpu::kAvx512},
      {"ssse3", cpu::kAvx2 | cpu::kAvx512},
      {"avx2", cpu::kAvx512},
  };
  for (const Cap& cap : caps)
    if (name == cap.name) {
      EXPECT_EQ(f & cap.above, 0u) << name;
    }
  EXPECT_EQ(IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE, (f & cpu::kSse2) != 0);
  EXPECT_EQ(IsProcessorFeaturePresent(PF_SSSE3_INSTRUCTIONS_AVAILABLE) != FALSE, (f & cpu::kSsse3) != 0);
  EXPECT_EQ(IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE) != FALSE, (f & cpu::kAvx2) != 0);
  EXPECT_EQ(IsProcessorFeaturePresent(3 /* MMX: not one this layer answers for */), FALSE);
}

}  // namespace
