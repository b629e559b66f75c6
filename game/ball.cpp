// SPDX-License-Identifier: MIT
// The ball and the rules of play that move it.
#include "game/ball.h"

#include <cmath>

#include "game/main.h"
#include "game/paddles.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

// The serve after a point.
constexpr int32_t kServeX = 400;
constexpr int32_t kServeY = 300;
constexpr double kServeAngle = 90.0;
constexpr int32_t kServeSpeed = 5;
// How far a hit at a paddle's end turns the ball, in degrees, before the
// division by half the paddle width.
constexpr int32_t kBounceFactor = 55;
constexpr DWORD kPointPauseMs = 1000;

// After a point: the one-second pause, the serve, the opponent's speed back to
// its start, and the count towards the next speed-up starts again.
void AfterPoint() {
  Sleep(kPointPauseMs);
  ball->Reset();
  computerPaddle->ResetSpeed();
  frameCount = 0;
}

}  // namespace

Surface* LoadGameSprite(const char* fileName) {
  Surface* image = new Surface();
  if (screen) {
    if (!image->Load(screen, fileName, DriverChoice)) ReportLoadFailure(fileName);
    image->SetColorKeyFromTopLeft();
  }
  return image;
}

Ball::Ball(int32_t startX, int32_t startY, int32_t startSpeed, int32_t startAngle)
    : x(startX), y(startY), speed(startSpeed), angle(static_cast<double>(startAngle)) {
  image = LoadGameSprite("ball.bmp");
  width = 25;
  height = 25;
}

Ball::~Ball() { delete image; }

void Ball::Reset() {
  x = kServeX;
  y = kServeY;
  angle = kServeAngle;
  speed = kServeSpeed;
}

void Ball::Draw() { DrawSprite(image, x, y, width, height); }

void DrawSprite(Surface* image, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!image || !screen) return;
  image->SetSrcRect(0, 0, height, width);
  image->SetDestRect(y, x, y + height, x + width);
  image->DrawFastKeyed(x, y, screen->GetBack());
}

void BallStep(double angle, int32_t speed, int32_t& dx, int32_t& dy) {
  // The conversions truncate toward zero.
  dx = static_cast<int32_t>(std::cos(angle * kDegreeToRadian) * speed);
  dy = static_cast<int32_t>(std::sin(angle * kDegreeToRadian) * speed);
}

void MoveBall() {
  Ball& b = *ball;

  // Side walls. The ball is not put back inside, so while it is still beyond a
  // wall it turns (and knocks) again on the next frame.
  if (b.x <= 0 || b.x >= kFieldWidth - b.width) {
    PlayGameSound(GameSound::Wall);
    b.angle = 180.0 - b.angle;
  }

  // Points: the whole ball out at the top, or its lower edge at the bottom.
  if (b.y + b.height <= 0) {
    playerScore++;
    PlayGameSound(GameSound::Woohoo);
    AfterPoint();
  } else if (b.y + b.height >= kFieldHeight) {
    computerScore++;
    PlayGameSound(GameSound::Doh);
    AfterPoint();
  }

  // Keep the angle in 0 .. 360 (360 itself stays).
  if (b.angle > 360.0) b.angle -= 360.0;
  if (b.angle < 0.0) b.angle += 360.0;

  // The player's paddle, where the last frame's mouse put it. The angle turns
  // with the offset of the ball's centre from the paddle's centre: -90 (straight
  // up) at the centre, towards -162 and -19 at the ends.
  const PlayerPaddle& p = *playerPaddle;
  if (b.y + b.height >= p.y && b.y + b.height <= p.y + b.speed && b.x + b.width >= p.x &&
      b.x <= p.x + p.width) {
    PlayGameSound(GameSound::Paddle);
    int32_t offset = (b.x + b.width / 2) - (p.x + p.width / 2);
    b.angle = static_cast<double>(offset * kBounceFactor / (p.width / 2) - 90);
  }

  // The computer's paddle, before its move of this frame: 90 (straight down) at
  // the centre, 162 .. 19 towards the ends.
  const ComputerPaddle& k = *computerPaddle;
  if (b.y <= k.y + k.height && b.y >= k.y + k.height - b.speed && b.x + b.width >= k.x &&
      b.x <= k.x + k.width) {
    PlayGameSound(GameSound::Paddle);
    int32_t offset = (b.x + b.width / 2) - (k.x + k.width / 2);
    b.angle = static_cast<double>(90 - offset * kBounceFactor / (k.width / 2));
  }

  BallStep(b.angle, b.speed, b.dx, b.dy);
  b.x += b.dx;
  b.y += b.dy;
}
