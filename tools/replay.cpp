// SPDX-License-Identifier: MIT
// Runs the real game on the headless backend, with the virtual clock, from a
// script of mouse motions, and prints one trace line per frame drawn.
//
//   replay MOUSE_SCRIPT [MAX_FRAMES]
//
// MOUSE_SCRIPT holds one integer a line: the mouse's x motion delivered before
// frame N's input update (line N for frame N); after its last line the motion
// is 0. The trace has a header line, then per frame the values after it:
// frame, ball x, y, angle (%.17g), speed, player x, computer x, computer speed,
// both scores, and the samples the rules asked for during the frame, joined
// with '+'. It stops when a side reaches 10 or after MAX_FRAMES lines
// (200000 by default). Run it in the folder that holds the assets.
//
//   replay --bot OUT_SCRIPT [MAX_FRAMES]
//
// plays with a simple player instead (it follows the ball at a limited mouse
// speed and aims at a different part of the paddle after each hit) and writes
// the motions it made to OUT_SCRIPT, a mouse script that replays the same game.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/ball.h"
#include "game/main.h"
#include "game/paddles.h"
#include "platform/headless.h"
#include "platform/windows.h"
#include "tools/bot.h"
#include "tools/trace_line.h"

namespace {

std::vector<int32_t> motions;
long maxFrames = 200000;
long frames = 0;
std::string sounds;

// The scripted player of --bot.
FILE* botOut = nullptr;
Bot bot;

void OnSound(GameSound s) {
  if (!sounds.empty()) sounds += '+';
  sounds += GameSoundName(s);
  bot.Heard(s);
}

void OnFrameStarting() {
  // The motion of this frame reaches the input object at its update.
  size_t index = static_cast<size_t>(frames);
  int32_t dx = index < motions.size() ? motions[index] : 0;
  if (botOut) {
    dx = bot.Motion();
    std::fprintf(botOut, "%d\n", dx);
  }
  if (dx != 0) platform::headless::MouseMove(dx, 0);
  sounds.clear();
}

void OnFrameDone() {
  ++frames;
  std::printf("%s\n", TraceLine(frames, sounds).c_str());
  // Enough lines: close the window as the player would; the game tears down
  // and WinMain returns.
  if (frames >= maxFrames) SendMessageA(mainWindow, WM_CLOSE, 0, 0);
  // The mixed audio is not wanted either; keep its capture from growing.
  platform::headless::ClearCapturedAudio();
}

bool ReadScript(const char* path) {
  FILE* f = std::fopen(path, "r");
  if (!f) return false;
  char line[64];
  while (std::fgets(line, sizeof line, f)) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(line, &end, 10);
    if (end == line || errno != 0 || v < INT32_MIN || v > INT32_MAX) {
      std::fclose(f);
      return false;
    }
    motions.push_back(static_cast<int32_t>(v));
  }
  std::fclose(f);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--bot") {
    botOut = std::fopen(argv[2], "w");
    if (!botOut) {
      std::fprintf(stderr, "replay: cannot write %s\n", argv[2]);
      return 2;
    }
    argv++;
    argc--;
  } else if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: replay MOUSE_SCRIPT [MAX_FRAMES]\n       replay --bot OUT_SCRIPT [MAX_FRAMES]\n");
    return 2;
  }
  if (!botOut && !ReadScript(argv[1])) {
    std::fprintf(stderr, "replay: cannot read the mouse script %s\n", argv[1]);
    return 2;
  }
  if (argc == 3) {
    char* end = nullptr;
    maxFrames = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || maxFrames < 1) {
      std::fprintf(stderr, "replay: MAX_FRAMES must be a positive number\n");
      return 2;
    }
  }
  static char outBuffer[1 << 16];
  std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);

  // Only the rules matter here: presented frames are counted but not kept.
  platform::headless::CaptureFrames(false);
  gameObservers.soundRequested = OnSound;
  gameObservers.frameStarting = OnFrameStarting;
  gameObservers.frameDone = OnFrameDone;
  std::printf(
      "frame,ball_x,ball_y,ball_angle,ball_speed,player_x,computer_x,computer_speed,player_score,computer_score,"
      "sounds\n");
  WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
  std::fflush(stdout);
  if (botOut) std::fclose(botOut);
  return 0;
}
