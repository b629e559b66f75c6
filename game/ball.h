// SPDX-License-Identifier: MIT
// The ball: its place, its direction and speed, its sprite, and the rules that
// move it each frame (walls, points, paddle hits, the step).
#pragma once

#include <cstdint>

class Surface;

// Field size in pixels; the window, the display mode, the mouse limits and the
// rules all use it.
constexpr int32_t kFieldWidth = 800;
constexpr int32_t kFieldHeight = 600;

// Degrees to radians with pi taken as 3.1416. The steps depend on it: with the
// exact value an angle of 360 would step (5, 0) at speed 5 instead of (4, 0).
constexpr double kDegreeToRadian = 0.017453333333333335;

class Ball {
 public:
  // Loads "ball.bmp" through the game's screen and keys its top-left colour.
  Ball(int32_t x, int32_t y, int32_t speed, int32_t angle);
  ~Ball();
  Ball(const Ball&) = delete;
  Ball& operator=(const Ball&) = delete;

  // Back to the serve: (400, 300), straight down, speed 5.
  void Reset();
  // Copies the sprite colour-keyed onto the back buffer at (x, y).
  void Draw();

  Surface* image = nullptr;
  int32_t x = 0;
  int32_t y = 0;
  int32_t dx = 0;  // the step of the current frame
  int32_t dy = 0;
  int32_t speed = 0;  // pixels per frame
  double angle = 0;   // degrees; 0 right, 90 down, 270 up
  int32_t width = 25;
  int32_t height = 25;
};

// One frame of the ball: side walls, points (with the one-second pause and the
// serve), the two paddle hit tests, then the step. Works on the game's state.
void MoveBall();

// The step for an angle and a speed: each component truncated toward zero, so it
// is often a pixel shorter than the speed.
void BallStep(double angle, int32_t speed, int32_t& dx, int32_t& dy);

// Makes a sprite's Surface and loads the image into it through the game's
// screen, with its top-left pixel as the transparent colour. Without a screen
// (the rules run on their own) the Surface stays empty.
Surface* LoadGameSprite(const char* fileName);

// Draws a sprite at (x, y) on the back buffer: source (0, 0)-(width, height),
// colour-keyed. Shared by the ball and both paddles.
void DrawSprite(Surface* image, int32_t x, int32_t y, int32_t width, int32_t height);
