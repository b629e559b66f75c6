// SPDX-License-Identifier: MIT
// inputview: a window that shows, on standard output, what an Input object sees
// once a frame -- the keys down (scan code, key code, name, slot state), the
// mouse position, free position and motion, the mouse buttons and, when one is
// attached, the joystick.
//
//   inputview [SECONDS]
//
// The mouse is kept in 0..1900 by 0..1400 and starts at (100, 100), so motion
// that would carry a pointer past the edge of a smaller screen keeps counting.
// Ends when the window is closed, or after SECONDS when given.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "media/input.h"
#include "platform/windows.h"

namespace {

bool quit = false;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    quit = true;
    DestroyWindow(window);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Handles waiting messages; false once the program should end.
bool Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return !quit;
}

const char* StateName(KeyState state) {
  switch (state) {
    case KeyPressed:
      return "pressed";
    case KeyHeld:
      return "held";
    case KeyReleased:
      return "released";
    case KeyUp:
      break;
  }
  return "up";
}

std::string Keys(const Input& input) {
  std::string out;
  for (DWORD scanCode = 0; scanCode < 256; ++scanCode) {
    if (!(input.GetRawKey(scanCode) & 0x80)) continue;
    char name[50];
    input.GetKeyName(scanCode, name);
    DWORD code = input.scanToKey[scanCode];
    char item[120];
    snprintf(item, sizeof item, "%s%u/%u/\"%s\"/%s", out.empty() ? "" : ",", scanCode, code, name,
             code ? StateName(input.GetKeyState(code)) : "untracked");
    out += item;
  }
  return out;
}

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  double seconds = commandLine && *commandLine ? atof(commandLine) : 0;

  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "InputView";
  if (!RegisterClassA(&wc)) return 1;
  HWND window = CreateWindowExA(0, "InputView", "Input View", WS_OVERLAPPEDWINDOW, 100, 100, 640, 480, nullptr,
                                nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  DWORD start = timeGetTime();
  auto timeUp = [&] { return seconds > 0 && timeGetTime() - start >= seconds * 1000; };

  // The devices are foreground devices: they can be had once the window has
  // the focus.
  auto made = std::make_unique<Input>();
  bool reported = false;
  while (!made->Create(instance, window, 0)) {
    if (!reported) printf("waiting for the focus\n");
    reported = true;
    made = std::make_unique<Input>();
    if (!Pump() || timeUp()) return 2;
    Sleep(50);
  }
  Input& input = *made;
  input.SetMouseLimits(0, 0, 1900, 1400);
  input.SetMousePosition(100, 100);
  printf("ready joystick=%s\n", input.joystickDevice ? (input.JoystickIsGamepad() ? "gamepad" : "stick") : "none");

  for (unsigned frame = 0; Pump() && !timeUp(); ++frame) {
    input.Update();
    LONG x, y, fx, fy, dx, dy;
    input.GetMousePosition(&x, &y);
    input.GetMouseFreePosition(&fx, &fy);
    input.GetMouseDelta(&dx, &dy);
    printf("frame=%u mouse=%d,%d free=%d,%d delta=%d,%d buttons=%d%d%d", frame, x, y, fx, fy, dx, dy,
           input.GetKeyState(kMouseButtonSlot) >= KeyPressed, input.GetKeyState(kMouseButtonSlot + 1) >= KeyPressed,
           input.GetKeyState(kMouseButtonSlot + 2) >= KeyPressed);
    if (input.joystickDevice) {
      LONG jx, jy;
      input.GetJoystickPosition(&jx, &jy);
      printf(" joystick=%d,%d", jx, jy);
    }
    printf(" keys=%s\n", Keys(input).c_str());
    Sleep(16);
  }
  return 0;
}
