// SPDX-License-Identifier: MIT
// Included by one source of each test program that runs at every processor
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
