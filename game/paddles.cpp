// SPDX-License-Identifier: MIT
// The player's and the computer's paddles.
#include "game/paddles.h"

#include "game/ball.h"
#include "game/main.h"
#include "media/input.h"
#include "media/surface.h"

namespace {
constexpr int32_t kComputerStartSpeed = 3;
}

PlayerPaddle::PlayerPaddle() {
  width = 80;
  height = 15;
  y = 530;
  x = kFieldWidth / 2 - width / 2;
  image = LoadGameSprite("paddle.bmp");
}

PlayerPaddle::~PlayerPaddle() { delete image; }

void PlayerPaddle::Update() {
  if (input) {
    input->Update();
    input->GetMousePosition(&x, &pointerY);
  }
  Draw();
}

void PlayerPaddle::Draw() { DrawSprite(image, x, y, width, height); }

ComputerPaddle::ComputerPaddle() {
  width = 80;
  height = 15;
  y = 50;
  speed = kComputerStartSpeed;
  x = kFieldWidth / 2 - width / 2;
  image = LoadGameSprite("paddle.bmp");
}

ComputerPaddle::~ComputerPaddle() { delete image; }

void ComputerPaddle::ResetSpeed() { speed = kComputerStartSpeed; }

void ComputerPaddle::Draw() { DrawSprite(image, x, y, width, height); }

void MoveComputerPaddle() {
  ComputerPaddle& k = *computerPaddle;
  int32_t ballCentre = ball->x + ball->width / 2;
  int32_t paddleCentre = k.x + k.width / 2;
  if (ballCentre < paddleCentre) {
    int32_t gap = paddleCentre - ballCentre;
    k.x -= gap < k.speed ? gap : k.speed;
  } else if (ballCentre > paddleCentre) {
    int32_t gap = ballCentre - paddleCentre;
    k.x += gap < k.speed ? gap : k.speed;
  }
  if (k.x < 0) k.x = 0;
  if (k.x > kFieldWidth - k.width) k.x = kFieldWidth - k.width;
}
