// SPDX-License-Identifier: MIT
// Included by the sources of the test programs that run at every processor
// level: a run whose RALLEX_CPU level this processor (or build) lacks skips
// every test and says why, rather than testing the level below it again.
#pragma once

#include <gtest/gtest.h>

#include "cpu/cpu.h"

namespace test_support {

class SkipAbsentCpuLevel : public ::testing::Environment {
 public:
  void SetUp() override {
    const std::string& why = platform::cpu::Chosen().shortfall;
    if (!why.empty()) GTEST_SKIP() << why;
  }
};

inline ::testing::Environment* const kSkipAbsentCpuLevel =
    ::testing::AddGlobalTestEnvironment(new SkipAbsentCpuLevel);

}  // namespace test_support

// The differential tests hold the vector forms to the plain ones; at the level
// "plain" both sides are the plain forms, and there is nothing to compare.
#define SKIP_WHERE_THE_LOOPS_ARE_PLAIN()                                            \
  do {                                                                              \
    if (!platform::cpu::Vectors())                                                  \
      GTEST_SKIP() << "at the level plain the loops are the reference forms";       \
  } while (false)
