// SPDX-License-Identifier: MIT
// One line of a game's frame trace, as the replay tool prints it and the web
// page's scripted game hands it over, so that the two compare line for line:
// frame, ball x, y, angle (%.17g), speed, player x, computer x, computer speed,
// both scores, and the samples asked for during the frame joined with '+'.
#pragma once

#include <cstdio>
#include <string>

#include "game/ball.h"
#include "game/main.h"
#include "game/paddles.h"

inline const char* GameSoundName(GameSound s) {
  switch (s) {
    case GameSound::Woohoo: return "woohoo";
    case GameSound::Doh: return "doh";
    case GameSound::Wall: return "wall";
    case GameSound::Paddle: return "paddle";
  }
  return "?";
}

// The line for the frame just drawn, without its newline.
inline std::string TraceLine(long frame, const std::string& sounds) {
  char line[256];
  std::snprintf(line, sizeof line, "%ld,%d,%d,%.17g,%d,%d,%d,%d,%u,%u,%s", frame, ball->x, ball->y, ball->angle,
                ball->speed, playerPaddle->x, computerPaddle->x, computerPaddle->speed, playerScore, computerScore,
                sounds.c_str());
  return line;
}
