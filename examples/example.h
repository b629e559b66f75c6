// SPDX-License-Identifier: MIT
// What every program of the gallery shares: a window and the message loop.
// Each example's own file then shows only its subject.
//
//   HWND window = example::OpenWindow(instance, "Rallex example: ...", 640, 480, false);
//   while (example::PumpMessages()) { ...draw a frame, Flip... }
//
// Escape (unless quitOnEscape is cleared) and the window's close box end the
// program. For tests, the
// environment variable RALLEX_EXAMPLE_SECONDS ends it after that many seconds.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "platform/windows.h"

namespace example {

inline bool running = true;
inline bool quitOnEscape = true;  // false for a program that shows the key
inline DWORD endTime = 0;  // timeGetTime() at which to stop; 0: never
// Called with every message the window gets, for an example that listens for
// more than the keys and the close box (music's end-of-song notice).
inline void (*onMessage)(UINT message, WPARAM wParam, LPARAM lParam) = nullptr;

inline LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (onMessage) onMessage(message, wParam, lParam);
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && quitOnEscape) running = false;
      return 0;
    case WM_CLOSE:
    case WM_DESTROY:
      running = false;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// A window whose client area is width x height: an ordinary window, or a
// borderless one for a program that takes the whole display. Null on failure.
inline HWND OpenWindow(HINSTANCE instance, const char* title, int width, int height, bool fullScreen) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetStockObject(BLACK_BRUSH);
  wc.lpszClassName = "RallexExample";
  if (!RegisterClassA(&wc)) return nullptr;
  DWORD style = fullScreen ? WS_VISIBLE | WS_POPUP : WS_OVERLAPPEDWINDOW;
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  HWND window = CreateWindowExA(0, "RallexExample", title, style, 0, 0, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!window) return nullptr;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  if (const char* seconds = getenv("RALLEX_EXAMPLE_SECONDS"))
    endTime = timeGetTime() + static_cast<DWORD>(atoi(seconds)) * 1000;
  return window;
}

// Handles every waiting message; false once the program should end.
inline bool PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) running = false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (endTime && static_cast<int32_t>(timeGetTime() - endTime) >= 0) running = false;
  return running;
}

// Writes a line on standard output at once, so that a script can follow the
// program's steps.
inline void Say(const char* line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}

}  // namespace example
