// SPDX-License-Identifier: MIT
// The rules of play on their own: ball steps, walls, points, paddle hits and the
// opponent, without a display (the records are made with no screen, so their
// sprites stay empty and nothing is drawn).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ball.h"
#include "game/main.h"
#include "game/paddles.h"
#include "platform/headless.h"

namespace {

std::vector<GameSound> played;

class Rules : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    played.clear();
    gameObservers = {};
    gameObservers.soundRequested = [](GameSound s) { played.push_back(s); };
    ball = new Ball(400, 300, 5, 90);
    playerPaddle = new PlayerPaddle();
    computerPaddle = new ComputerPaddle();
    playerScore = 0;
    computerScore = 0;
    frameCount = 0;
  }
  void TearDown() override {
    delete ball;
    delete playerPaddle;
    delete computerPaddle;
    ball = nullptr;
    playerPaddle = nullptr;
    computerPaddle = nullptr;
    gameObservers = {};
  }

  // Puts the ball somewhere and runs one MoveBall.
  void MoveFrom(int32_t x, int32_t y, double angle, int32_t speed = 5) {
    ball->x = x;
    ball->y = y;
    ball->angle = angle;
    ball->speed = speed;
    MoveBall();
  }
};

TEST(BallStepTable, StepsAreTruncatedAndOftenOnePixelShort) {
  struct Row {
    double angle;
    int32_t dx5, dy5, dx6, dy6;
  };
  const Row rows[] = {
      {0, 5, 0, 6, 0},      {90, 0, 4, 0, 5},     {180, -4, 0, -5, 0},  {270, 0, -4, 0, -5},
      {-90, 0, -4, 0, -5},  {360, 4, 0, 5, 0},    {45, 3, 3, 4, 4},     {135, -3, 3, -4, 4},
      {-19, 4, -1, 5, -1},  {-162, -4, -1, -5, -1}, {19, 4, 1, 5, 1},   {162, -4, 1, -5, 1},
  };
  for (const Row& r : rows) {
    int32_t dx = 99, dy = 99;
    BallStep(r.angle, 5, dx, dy);
    EXPECT_EQ(dx, r.dx5) << "angle " << r.angle << " speed 5";
    EXPECT_EQ(dy, r.dy5) << "angle " << r.angle << " speed 5";
    BallStep(r.angle, 6, dx, dy);
    EXPECT_EQ(dx, r.dx6) << "angle " << r.angle << " speed 6";
    EXPECT_EQ(dy, r.dy6) << "angle " << r.angle << " speed 6";
  }
}

TEST_F(Rules, ServeMovesStraightDownOnePixelShortOfTheSpeed) {
  MoveFrom(400, 300, 90, 5);
  EXPECT_EQ(ball->x, 400);
  EXPECT_EQ(ball->y, 304);
  EXPECT_EQ(ball->dx, 0);
  EXPECT_EQ(ball->dy, 4);
  MoveFrom(400, 300, 90, 6);
  EXPECT_EQ(ball->y, 305);
  EXPECT_TRUE(played.empty());
}

TEST_F(Rules, AnglesAreBroughtIntoRangeOnceButExactly360Stays) {
  MoveFrom(400, 300, 360);
  EXPECT_EQ(ball->angle, 360.0);
  EXPECT_EQ(ball->dx, 4);
  EXPECT_EQ(ball->dy, 0);
  MoveFrom(400, 300, 0);
  EXPECT_EQ(ball->dx, 5);
  MoveFrom(400, 300, 360.5);
  EXPECT_EQ(ball->angle, 0.5);
  MoveFrom(400, 300, -90);
  EXPECT_EQ(ball->angle, 270.0);
  MoveFrom(400, 300, 800);  // only one subtraction per call
  EXPECT_EQ(ball->angle, 440.0);
  MoveFrom(400, 300, -400);
  EXPECT_EQ(ball->angle, -40.0);
}

TEST_F(Rules, TopPointNeedsTheWholeBallOutBottomPointOnlyTheLowerEdge) {
  computerPaddle->speed = 7;
  uint32_t start = platform::headless::Now();

  MoveFrom(100, -24, 270);
  EXPECT_EQ(playerScore, 0u);
  EXPECT_EQ(ball->y, -28);  // moved on, no reset
  EXPECT_TRUE(played.empty());

  frameCount = 321;
  MoveFrom(100, -25, 270, 8);
  EXPECT_EQ(playerScore, 1u);
  EXPECT_EQ(computerScore, 0u);
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0], GameSound::Woohoo);
  EXPECT_EQ(platform::headless::Now() - start, 1000u);  // the pause after a point
  EXPECT_EQ(frameCount, 0);
  EXPECT_EQ(computerPaddle->speed, 3);
  // Served again, and the same call steps the served ball: (400, 300) + (0, 4).
  EXPECT_EQ(ball->speed, 5);
  EXPECT_EQ(ball->angle, 90.0);
  EXPECT_EQ(ball->x, 400);
  EXPECT_EQ(ball->y, 304);

  played.clear();
  MoveFrom(100, 574, 90);
  EXPECT_EQ(computerScore, 0u);
  MoveFrom(100, 575, 90);
  EXPECT_EQ(computerScore, 1u);
  EXPECT_EQ(playerScore, 1u);
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0], GameSound::Doh);
  EXPECT_EQ(ball->y, 304);
}

// Both paddles at x = 360: the ball leaves the centre straight back and the
// ends 72 degrees off it; past either end, or outside the band between the
// paddle's face and one step of the ball beyond it, it is not hit. The
// computer's paddle is the player's seen in a mirror.
TEST_F(Rules, PaddleHitAnglesAtCentreAndEnds) {
  struct Case {
    int32_t x, y;
    double heading;
    bool hit;
    double angle;  // when hit
    const char* what;
  };
  const Case cases[] = {
      // The player's paddle: the ball's lower edge (y + 25) on its top at 530.
      {388, 505, 90, true, -90, "centre: straight up (270 after the next range step)"},
      {335, 505, 90, true, -162, "right edge touching the left end: offset -53"},
      {440, 505, 90, true, -19, "left edge at the right end: offset 52"},
      {334, 505, 90, false, 0, "just past the left end"},
      {441, 505, 90, false, 0, "just past the right end"},
      {388, 504, 90, false, 0, "lower edge one pixel above the paddle"},
      {388, 505 + 6, 90, false, 0, "lower edge beyond the paddle's top + speed"},
      {388, 505 + 5, 90, true, -90, "still inside the band at speed 5"},
      // The computer's paddle: the top of the ball within 65 - speed <= y <= 65.
      {388, 62, 270, true, 90, "centre: straight down"},
      {335, 65, 270, true, 162, "left end"},
      {440, 60, 270, true, 19, "right end"},
      {388, 66, 270, false, 0, "below the band"},
      {388, 59, 270, false, 0, "above the band"},
  };
  for (const Case& c : cases) {
    playerPaddle->x = computerPaddle->x = 360;
    played.clear();
    MoveFrom(c.x, c.y, c.heading);
    if (!c.hit) {
      EXPECT_TRUE(played.empty()) << c.what;
      continue;
    }
    EXPECT_EQ(ball->angle, c.angle) << c.what;
    ASSERT_EQ(played.size(), 1u) << c.what;
    EXPECT_EQ(played[0], GameSound::Paddle) << c.what;
  }
  MoveFrom(388, 505, 90);
  EXPECT_EQ(ball->dy, -4);  // the step after the hit goes up
}

TEST_F(Rules, BallStillInsideTheBandIsHitAgainFromItsNewPlace) {
  playerPaddle->x = 360;
  MoveFrom(430, 509, 90);  // lower edge 534, centre 42 right of the paddle's
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(ball->angle, -33.0);  // 42 * 55 / 40 = 57
  EXPECT_EQ(ball->x, 434);
  EXPECT_EQ(ball->y, 507);
  MoveBall();  // lower edge 532: still in the band, so hit again from x 434
  ASSERT_EQ(played.size(), 2u);
  EXPECT_EQ(played[1], GameSound::Paddle);
  EXPECT_EQ(ball->angle, -27.0);  // 46 * 55 / 40 = 63
}

TEST_F(Rules, BallBeyondAWallTurnsAndKnocksOnEveryFrame) {
  MoveFrom(-10, 300, 180);
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(played[0], GameSound::Wall);
  EXPECT_EQ(ball->angle, 0.0);
  EXPECT_EQ(ball->x, -5);
  MoveBall();  // still beyond: turned back out again
  EXPECT_EQ(played.size(), 2u);
  EXPECT_EQ(ball->angle, 180.0);
  EXPECT_EQ(ball->x, -9);

  played.clear();
  MoveFrom(774, 300, 0);
  EXPECT_TRUE(played.empty());
  MoveFrom(775, 300, 30);
  ASSERT_EQ(played.size(), 1u);
  EXPECT_EQ(ball->angle, 150.0);
  EXPECT_EQ(ball->x, 775 - 4);
  MoveFrom(0, 300, 200);  // the left wall includes x = 0
  EXPECT_EQ(ball->angle, 340.0);  // -20 brought into range
}

TEST_F(Rules, WallThenPaddleInTheSameCallStepsWithTheLastAngle) {
  playerPaddle->x = 0;
  MoveFrom(0, 505, 100);
  ASSERT_EQ(played.size(), 2u);
  EXPECT_EQ(played[0], GameSound::Wall);
  EXPECT_EQ(played[1], GameSound::Paddle);
  EXPECT_EQ(ball->angle, static_cast<double>((12 - 40) * 55 / 40 - 90));  // -128
  int32_t dx, dy;
  BallStep(ball->angle, 5, dx, dy);
  EXPECT_EQ(ball->x, dx);
  EXPECT_EQ(ball->y, 505 + dy);
}

TEST_F(Rules, OpponentMovesTheGapWhenBelowItsSpeedAndStaysOnTheField) {
  computerPaddle->x = 360;  // centre 400
  computerPaddle->speed = 3;
  ball->x = 400 - 12 + 2;  // ball centre 402
  MoveComputerPaddle();
  EXPECT_EQ(computerPaddle->x, 362);
  MoveComputerPaddle();  // centres equal: no move
  EXPECT_EQ(computerPaddle->x, 362);
  ball->x = 300;
  MoveComputerPaddle();
  EXPECT_EQ(computerPaddle->x, 359);  // gap 90: the speed
  computerPaddle->x = 360;
  ball->x = 400 - 12 - 3;  // a gap of exactly the speed
  MoveComputerPaddle();
  EXPECT_EQ(computerPaddle->x, 357);

  computerPaddle->x = 1;
  ball->x = -200;
  MoveComputerPaddle();
  EXPECT_EQ(computerPaddle->x, 0);
  computerPaddle->x = 719;
  ball->x = 2000;
  MoveComputerPaddle();
  EXPECT_EQ(computerPaddle->x, 720);
  computerPaddle->speed = 50;
  computerPaddle->x = 20;
  ball->x = 0;  // centre 12, paddle centre 60: gap 48 < 50
  MoveComputerPaddle();
  EXPECT_EQ(computerPaddle->x, 0);  // 20 - 48 clamped
}

TEST_F(Rules, RecordsStartAsTheGameServes) {
  EXPECT_EQ(playerPaddle->x, 360);
  EXPECT_EQ(playerPaddle->y, 530);
  EXPECT_EQ(computerPaddle->x, 360);
  EXPECT_EQ(computerPaddle->y, 50);
  EXPECT_EQ(computerPaddle->speed, 3);
  ball->x = 1;
  ball->speed = 9;
  ball->angle = 3;
  ball->Reset();
  EXPECT_EQ(ball->x, 400);
  EXPECT_EQ(ball->y, 300);
  EXPECT_EQ(ball->speed, 5);
  EXPECT_EQ(ball->angle, 90.0);
  EXPECT_EQ(ball->width, 25);
  EXPECT_EQ(ball->height, 25);
}

}  // namespace
