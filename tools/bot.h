// SPDX-License-Identifier: MIT
// A simple player for the tools that play the game on their own: it follows
// the ball at a limited mouse speed while the ball comes down, drifts back to
// the middle otherwise, and aims a different part of the paddle at the ball
// after each of its hits and after each point.
#pragma once

#include <cstdint>

#include "game/ball.h"
#include "game/main.h"
#include "game/paddles.h"

struct Bot {
  int hits = 0;

  int32_t Motion() const {
    static const int kAims[] = {-50, 30, 64, 48, 64, -45, 5, 64, 50};
    int aim = kAims[hits % 9];
    int32_t target = 360;
    bool coming = ball->angle > 0 && ball->angle < 180;
    if (coming) target = ball->x + ball->width / 2 - playerPaddle->width / 2 + aim;
    int32_t step = target - playerPaddle->x;
    const int32_t kMaxStep = coming ? 9 : 3;
    if (step > kMaxStep) step = kMaxStep;
    if (step < -kMaxStep) step = -kMaxStep;
    return step;
  }

  void Heard(GameSound s) {
    if ((s == GameSound::Paddle && ball->y > 300) || s == GameSound::Woohoo || s == GameSound::Doh) hits++;
  }
};
