// SPDX-License-Identifier: MIT
// The two paddles: the player's at the bottom, which follows the mouse, and the
// computer's at the top, which follows the ball's centre at a limited speed.
#pragma once

#include <cstdint>

class Surface;

class PlayerPaddle {
 public:
  // Loads "paddle.bmp" and keys its top-left colour.
  PlayerPaddle();
  ~PlayerPaddle();
  PlayerPaddle(const PlayerPaddle&) = delete;
  PlayerPaddle& operator=(const PlayerPaddle&) = delete;

  // Polls the input, takes the mouse position as the paddle's x and draws it.
  void Update();
  void Draw();

  Surface* image = nullptr;
  int32_t x = 0;
  int32_t pointerY = 0;  // the mouse's y, kept but not used
  int32_t y = 530;
  int32_t width = 80;
  int32_t height = 15;
};

class ComputerPaddle {
 public:
  // Loads its own copy of "paddle.bmp" and keys its top-left colour.
  ComputerPaddle();
  ~ComputerPaddle();
  ComputerPaddle(const ComputerPaddle&) = delete;
  ComputerPaddle& operator=(const ComputerPaddle&) = delete;

  void ResetSpeed();  // back to 3 pixels per frame
  void Draw();

  Surface* image = nullptr;
  int32_t x = 0;
  int32_t y = 50;
  int32_t speed = 3;  // the most it moves in a frame
  int32_t width = 80;
  int32_t height = 15;
};

// Moves the computer's paddle towards the ball's centre by at most its speed and
// keeps it on the field (0 .. 720).
void MoveComputerPaddle();
