// SPDX-License-Identifier: MIT
// The processor choice: a RALLEX_CPU level caps the features, never adds one
// the processor lacks, and a name that is no level caps nothing.
#include <gtest/gtest.h>

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
      {all, "avx2 ", all, false},
  };
  for (const Case& c : cases) {
    bool known = !c.known;
    EXPECT_EQ(cpu::Capped(c.detected, c.name, &known), c.expected) << (c.name ? c.name : "(none)");
    EXPECT_EQ(known, c.known) << (c.name ? c.name : "(none)");
  }
}

// A program asking IsProcessorFeaturePresent hears the same choice as the
// platform's own loops, under whatever RALLEX_CPU this run has.
TEST(CpuChoice, ProgramsHearTheSameChoice) {
  uint32_t f = cpu::Features();
  EXPECT_EQ(f & ~cpu::Detected(), 0u);
  EXPECT_EQ(IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != FALSE, (f & cpu::kSse2) != 0);
  EXPECT_EQ(IsProcessorFeaturePresent(PF_SSSE3_INSTRUCTIONS_AVAILABLE) != FALSE, (f & cpu::kSsse3) != 0);
  EXPECT_EQ(IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE) != FALSE, (f & cpu::kAvx2) != 0);
  EXPECT_EQ(IsProcessorFeaturePresent(3 /* MMX: not one this layer answers for */), FALSE);
}

}  // namespace
