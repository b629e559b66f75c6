// Set-up, frame and teardown of the game. The media objects arrive with the
// display, input and sound work; until then a frame only keeps the display's
// pace so that the loop does not spin.
#include "game/main.h"

bool InitGame() { return true; }

void GameFrame() {
  SetCursor(nullptr);
  Sleep(16);  // stands in for the flip's wait for the vertical blank
  frameCount++;
}

void ShutdownGame() {}
