// SPDX-License-Identifier: MIT
// The mouse pointer: limits, sensitivity, placing and its free position.
#include "input_fixture.h"

namespace {

struct Pos {
  LONG x, y;
  bool operator==(const Pos&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Pos& p) { return o << "(" << p.x << ", " << p.y << ")"; }

Pos Mouse(const Input& in) {
  Pos p{};
  in.GetMousePosition(&p.x, &p.y);
  return p;
}
Pos Free(const Input& in) {
  Pos p{};
  in.GetMouseFreePosition(&p.x, &p.y);
  return p;
}
Pos Delta(const Input& in) {
  Pos p{};
  in.GetMouseDelta(&p.x, &p.y);
  return p;
}

TEST_F(InputTest, UpperLimitIsExclusiveAndTheFreePositionRunsOn) {
  ASSERT_TRUE(Make());
  input->SetMouseLimits(0, 0, 700, 600);
  input->SetMousePosition(350, 600);
  EXPECT_EQ(Mouse(*input), (Pos{350, 599}));
  input->Update();
  EXPECT_EQ(Mouse(*input), (Pos{350, 599}));
  hl::MouseMove(400, 0);
  input->Update();
  EXPECT_EQ(Mouse(*input), (Pos{699, 599}));
  EXPECT_EQ(Free(*input), (Pos{400, 0}));
  EXPECT_EQ(Delta(*input), (Pos{400, 0}));
  hl::MouseMove(-10, -1000);
  input->Update();
  EXPECT_EQ(Mouse(*input), (Pos{689, 0})) << "moving back leaves the edge at once; the lower limit is inclusive";
  EXPECT_EQ(Free(*input), (Pos{390, -1000}));
}

TEST_F(InputTest, PlacingUsesMinPlusOneAndZeroesTheDelta) {
  ASSERT_TRUE(Make());
  input->SetMouseLimits(0, 0, 700, 600);
  hl::MouseMove(5, 5);
  input->Update();
  input->SetMousePosition(0, -20);
  EXPECT_EQ(Mouse(*input), (Pos{1, 1}));
  EXPECT_EQ(Delta(*input), (Pos{0, 0}));
  EXPECT_EQ(Free(*input), (Pos{5, 5})) << "placing leaves the free position";
  hl::MouseMove(-5, 0);
  input->Update();
  EXPECT_EQ(Mouse(*input), (Pos{0, 1})) << "motion clamps to the minimum itself";
  input->SetMouseFreePosition(-7, 8);
  EXPECT_EQ(Free(*input), (Pos{-7, 8}));
  EXPECT_EQ(Delta(*input), (Pos{0, 0}));
}

TEST_F(InputTest, CrossedLimitsLetTheLowerOneWin) {
  ASSERT_TRUE(Make());
  input->SetMouseLimits(100, 100, 50, 50);
  hl::MouseMove(1, -1);
  input->Update();
  EXPECT_EQ(Mouse(*input), (Pos{100, 100}));
  input->SetMousePosition(75, 75);
  EXPECT_EQ(Mouse(*input), (Pos{101, 101}));
}

TEST_F(InputTest, SensitivityTruncatesTowardZero) {
  ASSERT_TRUE(Make());
  input->SetMouseSensitivity(0.5f);
  EXPECT_EQ(input->GetMouseSensitivity(), 0.5f);
  hl::MouseMove(3, -3);
  input->Update();
  EXPECT_EQ(Delta(*input), (Pos{1, -1}));
  EXPECT_EQ(Free(*input), (Pos{1, -1}));
  input->SetMouseSensitivity(2.5f);
  hl::MouseMove(-1, 1);
  input->Update();
  EXPECT_EQ(Delta(*input), (Pos{-2, 2}));
}

TEST_F(InputTest, HugeMotionSaturatesInsteadOfWrapping) {
  ASSERT_TRUE(Make());
  input->SetMouseSensitivity(1e9f);
  for (int i = 0; i < 2; ++i) {
    hl::MouseMove(1000, -1000);
    input->Update();
  }
  EXPECT_EQ(Free(*input), (Pos{INT32_MAX, INT32_MIN}));
  EXPECT_EQ(Mouse(*input), (Pos{INT32_MAX - 1, INT32_MIN}));
  input->SetMouseLimits(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
  input->SetMousePosition(0, 0);
  EXPECT_EQ(Mouse(*input), (Pos{INT32_MAX, INT32_MAX}));
}

}  // namespace
