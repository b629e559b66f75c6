// SPDX-License-Identifier: MIT
// sprite: a small program on the Rallex media layer. It opens a 640 x 480
// window, loads a picture (sprite.bmp, magenta at its top-left pixel is
// transparent) and a sound (click.wav) from the working directory, moves the
// picture with the mouse, plays the sound on a left click and quits on Escape
// or the window's close box.
#include <cstdio>

#include "media/input.h"
#include "media/screen.h"
#include "media/sound.h"
#include "media/surface.h"
#include "platform/windows.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;
bool running = true;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) SendMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      running = false;
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// Handles every waiting message; false once the program should end.
bool PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return running;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "RallexSprite";
  if (!RegisterClassA(&wc)) return 1;
  // A window whose client area is the picture's size.
  RECT frame{0, 0, kWidth, kHeight};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  HWND window = CreateWindowExA(0, "RallexSprite", "Rallex sprite example", WS_OVERLAPPEDWINDOW, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  Screen screen;
  if (!screen.CreateWindowed(window, kWidth, kHeight)) {
    std::fprintf(stderr, "sprite: cannot open the display\n");
    return 1;
  }
  Surface sprite;
  if (!sprite.Load(&screen, "sprite.bmp", DriverChoice)) {
    std::fprintf(stderr, "sprite: cannot load sprite.bmp\n");
    return 1;
  }
  sprite.SetColorKeyFromTopLeft();

  // A missing sound device is no reason to stop: the program stays silent.
  Sound sound;
  SoundBuffer click;
  if (!sound.Create(window) || !click.LoadFile(&sound, "click.wav", 4))
    std::fprintf(stderr, "sprite: playing without sound\n");

  Input input;
  if (!input.Create(instance, window, 0)) {
    std::fprintf(stderr, "sprite: cannot open the mouse and keyboard\n");
    return 1;
  }
  // The upper limits are exclusive: the sprite may touch the right and bottom edges.
  input.SetMouseLimits(0, 0, kWidth - sprite.Width + 1, kHeight - sprite.Height + 1);
  input.SetMouseSensitivity(1.0f);
  input.SetMousePosition((kWidth - sprite.Width) / 2, (kHeight - sprite.Height) / 2);

  const DWORD backdrop = screen.ColorToPixel(RGB(16, 48, 32));
  while (PumpMessages()) {
    input.Update();
    LONG x = 0, y = 0;
    input.GetMousePosition(&x, &y);
    if (input.GetKeyState(kMouseButtonSlot) == KeyPressed) {
      click.Play(0, 0, 0);
      std::printf("click at %d,%d\n", static_cast<int>(x), static_cast<int>(y));
    }
    screen.Fill(backdrop);
    sprite.DrawFastKeyed(x, y, screen.GetBack());
    screen.Flip(1, 1, 0);
  }
  return 0;
}
