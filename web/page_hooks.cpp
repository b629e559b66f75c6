// SPDX-License-Identifier: MIT
// The page's hooks into the game: with the page's asking (a scripted game), the
// mouse motion of each frame comes from a script and each frame's state is
// handed to the page as one line, the same line as the replay tool's. The game
// itself is unchanged; these are its observers.
#include <emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

#include "backend/web/web.h"
#include "game/ball.h"
#include "game/main.h"
#include "game/paddles.h"
#include "tools/trace_line.h"

namespace {

std::vector<int32_t> motions;
long maxFrames = 0;
long frames = 0;
std::string sounds;

void OnSound(GameSound s) {
  if (!sounds.empty()) sounds += '+';
  sounds += GameSoundName(s);
}

void OnFrameStarting() {
  size_t index = static_cast<size_t>(frames);
  int32_t dx = index < motions.size() ? motions[index] : 0;
  if (dx != 0) platform::web::InjectMouseMotion(dx, 0);
  sounds.clear();
}

// Frame-by-frame state for the page: the frame, where the ball and both
// paddles are (each as x, y, width, height) and the scores.
void SendState() {
  EM_ASM({ if (Module['rallexPage'] && Module['rallexPage'].state)
             Module['rallexPage'].state({frame: $0, ball: [$1, $2, $3, $4], player: [$5, $6, $7, $8],
                                         computer: [$9, $10, $11, $12], score: [$13, $14]}); },
         frames, ball->x, ball->y, ball->width, ball->height, playerPaddle->x, playerPaddle->y, playerPaddle->width,
         playerPaddle->height, computerPaddle->x, computerPaddle->y, computerPaddle->width, computerPaddle->height,
         playerScore, computerScore);
}

void OnFrameShown() {
  ++frames;
  SendState();
}

void OnFrameDone() {
  ++frames;
  std::string line = TraceLine(frames, sounds);
  EM_ASM({ if (Module['rallexPage'] && Module['rallexPage'].trace) Module['rallexPage'].trace(UTF8ToString($0)); },
         line.c_str());
  SendState();
  if (maxFrames > 0 && frames >= maxFrames) SendMessageA(mainWindow, WM_CLOSE, 0, 0);
}

// The samples the rules ask for, as they ask, for the page to hear them played.
void OnSoundAsked(GameSound s) {
  EM_ASM({ if (Module['rallexPage'] && Module['rallexPage'].sound) Module['rallexPage'].sound(UTF8ToString($0)); },
         GameSoundName(s));
}

// Reads the page's request before the game starts: Module.rallexScript, an
// array of per-frame x motions, and Module.rallexMaxFrames.
struct Hooks {
  Hooks() {
    int scripted = EM_ASM_INT({ return Array.isArray(Module['rallexScript']) ? 1 : 0; });
    if (!scripted) {
      gameObservers.frameDone = OnFrameShown;
      gameObservers.soundRequested = OnSoundAsked;
      return;
    }
    int n = EM_ASM_INT({ return Module['rallexScript'].length; });
    motions.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) motions[static_cast<size_t>(i)] = EM_ASM_INT({ return Module['rallexScript'][$0] | 0; }, i);
    maxFrames = EM_ASM_INT({ return Module['rallexMaxFrames'] | 0; });
    gameObservers.frameStarting = OnFrameStarting;
    // A scripted game runs on a virtual clock, as the replay tool's does,
    // unless the page wants it in real time (to hear it).
    if (EM_ASM_INT({ return Module['rallexRealTime'] ? 1 : 0; })) {
      gameObservers.frameDone = OnFrameShown;
      gameObservers.soundRequested = OnSoundAsked;
      return;
    }
    platform::web::UseVirtualClock(true);
    gameObservers.soundRequested = OnSound;
    gameObservers.frameDone = OnFrameDone;
  }
} hooks;

}  // namespace
