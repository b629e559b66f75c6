// SPDX-License-Identifier: MIT
// The virtual clock the headless and browser backends share: how it steps
// (the headless backend mixes audio after each step, the browser counts the
// time until it gives the page its turn) and when a program polling it sees
// it move.
#include "backend/virtual_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::backend::VirtualClock;

TEST(VirtualClock, AdvancesInStepsNoLongerThanItsLongest) {
  struct Case {
    uint32_t maxStep;
    std::vector<uint32_t> advances;
    std::vector<uint32_t> steps;  // worked by hand
    uint32_t end;
  };
  const Case cases[] = {
      {10, {25}, {10, 10, 5}, 25},
      {10, {10}, {10}, 10},
      {10, {0}, {}, 0},
      {10, {3, 9}, {3, 9}, 12},
      {16, {33}, {16, 16, 1}, 33},
      {0xFFFFFFFFu, {1000, 1}, {1000, 1}, 1001},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> steps, times;
    VirtualClock clock(c.maxStep, [&](uint32_t now, uint32_t step) {
      times.push_back(now);
      steps.push_back(step);
    });
    for (uint32_t ms : c.advances) clock.Advance(ms);
    EXPECT_EQ(steps, c.steps) << "longest step " << c.maxStep;
    EXPECT_EQ(clock.Now(), c.end);
    // Each step is reported with the time it reached.
    uint32_t sum = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
      sum += steps[i];
      EXPECT_EQ(times[i], sum);
    }
  }
}

TEST(VirtualClock, SetMovesWithoutStepsAndTimeWrapsLikeTheMillisecondCounter) {
  int calls = 0;
  VirtualClock clock(10, [&](uint32_t, uint32_t) { ++calls; });
  clock.Set(0xFFFFFFFAu);
  EXPECT_EQ(calls, 0);
  clock.Advance(10);  // 2^32 - 6 + 10 wraps to 4, as timeGetTime does after 49.7 days
  EXPECT_EQ(clock.Now(), 4u);
  EXPECT_EQ(calls, 1);
}

TEST(VirtualClock, MovesOneMillisecondOnlyAfterAThousandReadsInARow) {
  const struct {
    uint32_t repeats;
    uint32_t moved;
  } cases[] = {{0, 0}, {1, 0}, {999, 0}, {1000, 1}, {1001, 1}, {0xFFFFFFFFu, 1}};
  for (const auto& c : cases) {
    VirtualClock clock(10, nullptr);
    clock.Set(500);
    clock.Polled(c.repeats);
    EXPECT_EQ(clock.Now(), 500 + c.moved) << c.repeats << " reads";
  }
}

}  // namespace
