// SPDX-License-Identifier: MIT
// Entry, window, message loop and message handler of Rallex.
#include "game/main.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
uint32_t playerScore = 0;
uint32_t computerScore = 0;
int32_t frameCount = 0;

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  appInstance = instance;
  if (!InitWindow(showCommand)) return 0;
  if (!InitGame()) {
    ShutdownGame();  // whatever set-up made before it failed
    PostQuitMessage(0);
    return 0;
  }
  Sleep(1000);

  // One waiting message or one frame per pass; the flip paces the frames.
  while (playerScore < 10 && computerScore < 10) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageA(&msg, nullptr, 0, 0)) return static_cast<int>(msg.wParam);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      GameFrame();
    }
  }
  // A side reached 10; the last frame shows the final score.
  ShutdownGame();
  return 0;
}

bool InitWindow(int showCommand) {
  WNDCLASSA wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW;
  wc.lpfnWndProc = WindowProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = appInstance;
  wc.hIcon = LoadIconA(appInstance, "APPICON");
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetStockObject(BLACK_BRUSH);
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = "Rallex";
  RegisterClassA(&wc);

  mainWindow = CreateWindowExA(WS_EX_TOPMOST, "Rallex", "Rallex", WS_VISIBLE | WS_SYSMENU, 0, 0, 800, 600, nullptr,
                               nullptr, appInstance, nullptr);
  if (!mainWindow) return false;

  // Size the window so that its client area is exactly 800 by 600.
  RECT rect{0, 0, 800, 600};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongA(mainWindow, GWL_STYLE)), GetMenu(mainWindow) != nullptr,
                     static_cast<DWORD>(GetWindowLongA(mainWindow, GWL_EXSTYLE)));
  SetWindowPos(mainWindow, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(mainWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  ShowWindow(mainWindow, showCommand);
  UpdateWindow(mainWindow);
  return true;
}

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) SendMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      ShutdownGame();
      PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
