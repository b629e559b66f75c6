// The game's top level: entry, window, message handler, set-up, frame and
// teardown.
#pragma once

#include "platform/windows.h"

bool InitWindow(int showCommand);
bool InitGame();
void GameFrame();
void ShutdownGame();
LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The game's process-wide state.
extern HINSTANCE appInstance;
extern HWND mainWindow;
extern uint32_t playerScore;
extern uint32_t computerScore;
extern int32_t frameCount;
