// SPDX-License-Identifier: MIT
// The processor choice: RALLEX_CPU caps the level, never grants one the
// processor lacks, says in one line when it cannot have what it asked for, and
// programs asking IsProcessorFeaturePresent hear the same level.
#include <gtest/gtest.h>
#include <hwy/detect_targets.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(__aarch64__)
#include <sys/prctl.h>
#endif

#include "cpu/cpu.h"
#include "cpu_level.h"
#include "ddraw/pixels.h"
#include "gdi/rows.h"
#include "platform/windows.h"

namespace cpu = platform::cpu;

namespace {

const int64_t kEverything = ~int64_t{0};

// The target bit of a level of this build, as the choice reports it on a
// processor that has everything.
int64_t TargetOf(const char* level) { return cpu::Choose(kEverything, level).target; }

TEST(CpuChoice, ALevelCapsTheChoiceAndNeverRaisesIt) {
  const std::vector<const char*> levels = cpu::Levels();  // best first, plain last
  ASSERT_STREQ(levels.back(), "plain");
  if (levels.size() < 2) GTEST_SKIP() << "this build has no vector level, only plain";
  for (size_t have = 0; have + 1 < levels.size(); ++have) {
    // A processor whose best level is levels[have].
    const int64_t processor = kEverything & ~(TargetOf(levels[have]) - 1);
    SCOPED_TRACE(std::string("processor up to ") + levels[have]);
    EXPECT_STREQ(cpu::Choose(processor, nullptr).name, levels[have]);
    EXPECT_STREQ(cpu::Choose(processor, "").name, levels[have]);
    for (size_t asked = 0; asked < levels.size(); ++asked) {
      const cpu::Choice c = cpu::Choose(processor, levels[asked]);
      if (asked >= have) {
        EXPECT_STREQ(c.name, levels[asked]) << "asked " << levels[asked];
        EXPECT_EQ(c.shortfall, "") << "asked " << levels[asked];
      } else {
        EXPECT_STREQ(c.name, levels[have]) << "asked " << levels[asked];
        EXPECT_EQ(c.shortfall, std::string("RALLEX_CPU=") + levels[asked] + ": this processor lacks it; using " +
                                   levels[have]);
      }
    }
  }
  // A processor with no vector level of this build gets plain, whatever it asks.
  for (const char* asked : levels) {
    const cpu::Choice c = cpu::Choose(HWY_SCALAR | HWY_EMU128, asked);
    EXPECT_STREQ(c.name, "plain") << asked;
    EXPECT_EQ(c.target, 0) << asked;
  }
}

TEST(CpuChoice, ANameThatIsNoLevelCapsNothingAndSaysSo) {
  const char* best = cpu::Levels().front();
  for (const char* name : {"sse2", "AVX2", "avx2 ", "plain2", "emu128", "scalar"}) {
    const cpu::Choice c = cpu::Choose(kEverything, name);
    EXPECT_STREQ(c.name, best) << name;
    EXPECT_NE(c.shortfall.find(std::string("RALLEX_CPU=") + name + " is not a level of this build ("),
              std::string::npos)
        << c.shortfall;
    EXPECT_EQ(c.shortfall.find('\n'), std::string::npos) << "one line: " << c.shortfall;
  }
}

// This run has the level RALLEX_CPU asked for (the runs of a level the
// processor lacks are skipped), and never one the processor lacks.
TEST(CpuChoice, ThisRunHasTheLevelItAskedFor) {
  const char* asked = getenv("RALLEX_CPU");
  if (asked && *asked) {
    EXPECT_STREQ(cpu::LevelName(), asked);
  }
  EXPECT_STREQ(cpu::LevelName(), cpu::Chosen().name);
#if defined(__x86_64__)
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("ssse3")) {
    EXPECT_STREQ(cpu::LevelName(), "plain");
  }
  if (!__builtin_cpu_supports("avx2")) {
    EXPECT_FALSE(cpu::AtLeast(HWY_AVX2));
  }
  if (!__builtin_cpu_supports("avx512bw")) {
    EXPECT_FALSE(cpu::AtLeast(HWY_AVX3));
  }
#elif defined(__aarch64__)
  // The kernel tells the SVE vector length of a processor with SVE, and
  // refuses without (the choice reads its feature bits instead).
  const bool sve = prctl(PR_SVE_GET_VL) >= 0;
  if (!sve) {
    EXPECT_FALSE(cpu::AtLeast(HWY_SVE));
  }
  if (sve && !(asked && *asked)) {
    EXPECT_TRUE(cpu::AtLeast(HWY_SVE)) << "uncapped, a processor with SVE runs it";
  }
#endif
}

// The loops run are those of the level the run asked for: the plain ones at
// "plain", else those Highway dispatches to at exactly that target, in the
// DirectDraw and the GDI loops alike (the media layer's test checks its own).
TEST(CpuChoice, TheLoopsRunAtTheChosenLevel) {
  const char* asked = getenv("RALLEX_CPU");
  if (asked && *asked) {
    EXPECT_STREQ(cpu::LevelName(), asked);
  }
  EXPECT_STREQ(platform::ddraw::pixels::LoopLevel(), cpu::LevelName());
  EXPECT_STREQ(platform::gdi::rows::LoopLevel(), cpu::LevelName());
}

// A program asking IsProcessorFeaturePresent hears the level of the
// platform's own loops.
TEST(CpuChoice, ProgramsHearTheSameChoice) {
  struct Case {
    DWORD feature;
    std::vector<std::string> levelsWithIt;
  } cases[] = {
      {PF_XMMI64_INSTRUCTIONS_AVAILABLE, {"ssse3", "sse4", "avx2", "avx3"}},
      {PF_SSSE3_INSTRUCTIONS_AVAILABLE, {"ssse3", "sse4", "avx2", "avx3"}},
      {PF_SSE4_1_INSTRUCTIONS_AVAILABLE, {"sse4", "avx2", "avx3"}},
      {PF_SSE4_2_INSTRUCTIONS_AVAILABLE, {"sse4", "avx2", "avx3"}},
      {PF_AVX_INSTRUCTIONS_AVAILABLE, {"avx2", "avx3"}},
      {PF_AVX2_INSTRUCTIONS_AVAILABLE, {"avx2", "avx3"}},
      {PF_AVX512F_INSTRUCTIONS_AVAILABLE, {"avx3"}},
      {PF_ARM_NEON_INSTRUCTIONS_AVAILABLE, {"neon", "sve", "sve2"}},
      {3 /* MMX: not one this layer answers for */, {}},
  };
  const std::string level = cpu::LevelName();
  for (const Case& c : cases) {
    bool expected = false;
    for (const std::string& l : c.levelsWithIt) expected = expected || l == level;
    EXPECT_EQ(IsProcessorFeaturePresent(c.feature) != FALSE, expected) << "feature " << c.feature << " at " << level;
  }
}

}  // namespace
