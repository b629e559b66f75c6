// SPDX-License-Identifier: MIT
// The court picture agrees with the rules: the walls it shows stand where the
// ball turns and the opponent's paddle stops, so no sprite is ever drawn over a
// wall. The limits are found by running the rules, the walls by reading the
// committed picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/ball.h"
#include "game/main.h"
#include "game/paddles.h"
#include "platform/headless.h"

namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;  // 0xRRGGBB, top row first
  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// An uncompressed bottom-up 24-bit BMP, as the asset generator writes it.
Picture ReadBmp24(const std::string& path) {
  Picture p;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return p;
  std::vector<uint8_t> v;
  uint8_t chunk[65536];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;) v.insert(v.end(), chunk, chunk + n);
  fclose(f);
  auto le32 = [&](size_t at) { return v[at] | v[at + 1] << 8 | v[at + 2] << 16 | static_cast<uint32_t>(v[at + 3]) << 24; };
  if (v.size() < 54 || v[0] != 'B' || v[1] != 'M' || (v[28] | v[29] << 8) != 24 || le32(30) != 0) return p;
  const int w = static_cast<int>(le32(18)), h = static_cast<int>(le32(22));
  const size_t offset = le32(10), pitch = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
  if (w <= 0 || h <= 0 || offset + pitch * h > v.size()) return p;
  p.width = w;
  p.height = h;
  p.rgb.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* px = &v[offset + pitch * (h - 1 - y) + 3 * static_cast<size_t>(x)];
      p.rgb[static_cast<size_t>(y) * w + x] = static_cast<uint32_t>(px[2]) << 16 | px[1] << 8 | px[0];
    }
  return p;
}

// The court's surface is blue; walls, rails and lines are grey or white.
bool IsCourt(uint32_t c) {
  const int r = c >> 16 & 0xFF, b = c & 0xFF;
  return b - r >= 55;
}

class Court : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    gameObservers = {};
    gameObservers.soundRequested = [](GameSound) {};
    ball = new Ball(400, 300, 5, 90);
    playerPaddle = new PlayerPaddle();
    computerPaddle = new ComputerPaddle();
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
  // Whether a ball at x moving along angle is turned by a wall this frame.
  bool Turns(int32_t x, double angle) {
    ball->x = x;
    ball->y = 300;
    ball->angle = angle;
    ball->speed = 5;
    MoveBall();
    return ball->angle != angle;
  }
};

TEST_F(Court, ThePictureShowsItsWallsWhereTheRulesTurnTheBallAndStopThePaddles) {
  // The first column that a free ball covers at the left, and the first column
  // past its right edge when the right wall turns it.
  int32_t left = -100;
  while (left < 400 && Turns(left, 180)) ++left;
  int32_t right = 700;
  while (right < 1000 && !Turns(right, 0)) ++right;
  const int32_t courtLeft = left - 1, courtRight = right + ball->width;
  // The opponent's paddle is clamped to the same span.
  computerPaddle->speed = 10000;
  ball->x = -5000;
  MoveComputerPaddle();
  EXPECT_EQ(computerPaddle->x, courtLeft);
  ball->x = 5000;
  MoveComputerPaddle();
  EXPECT_EQ(computerPaddle->x + computerPaddle->width, courtRight);

  const Picture p = ReadBmp24(std::string(RALLEX_SOURCE_DIR) + "/assets/background.bmp");
  ASSERT_EQ(p.width, kFieldWidth);
  ASSERT_EQ(p.height, kFieldHeight);
  // A wall column is one that is mostly not court over the rows the paddles
  // span, from the top of the opponent's to the bottom of the player's.
  const int top = computerPaddle->y, bottom = playerPaddle->y + playerPaddle->height;
  auto isWall = [&](int x) {
    int court = 0;
    for (int y = top; y < bottom; ++y) court += IsCourt(p.At(x, y));
    return court * 2 < bottom - top;
  };
  int firstCourt = 0;
  while (firstCourt < p.width && isWall(firstCourt)) ++firstCourt;
  int endCourt = p.width;
  while (endCourt > 0 && isWall(endCourt - 1)) --endCourt;
  EXPECT_EQ(firstCourt, std::max(courtLeft, 0)) << "left wall";
  EXPECT_EQ(endCourt, std::min(courtRight, p.width)) << "right wall";
  for (int x = firstCourt; x < endCourt; ++x) EXPECT_FALSE(isWall(x)) << "a wall inside the court at column " << x;
}

}  // namespace
