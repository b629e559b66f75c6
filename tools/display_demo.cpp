// SPDX-License-Identifier: MIT
// Opens the display full-screen at 800 x 600 x 16 and shows a test picture for a
// few seconds: eight colour bars, a grey ramp and red, green and blue ramps, a
// line of bitmap-font text and the frame-rate line. Escape or the close box ends
// it early. The number of seconds may be given on the command line (default 4).
//
// Layout (back-buffer coordinates), so that a screenshot can be checked:
//   rows   0..299  eight bars 100 wide: white, yellow, cyan, green, magenta,
//                  red, blue, black
//   rows 300..399  grey ramp, black at the left to white at the right
//   rows 400..449  red ramp; 450..499 green ramp; 500..549 blue ramp
//   rows 550..599  black, with the font's text at (20, 560)
//   the frame-rate line at (10, 20), drawn by Flip
#include <cstdlib>

#include "game/bitmapfont.h"
#include "media/errors.h"
#include "media/screen.h"
#include "media/surface.h"
#include "platform/windows.h"

namespace {

bool running = true;

LRESULT DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) running = false;
      return 0;
    case WM_CLOSE:
    case WM_DESTROY:
      running = false;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void DrawTestPicture(Screen& screen, BitmapFont& font) {
  Surface* back = screen.GetBack();
  const COLORREF bars[8] = {RGB(255, 255, 255), RGB(255, 255, 0), RGB(0, 255, 255), RGB(0, 255, 0),
                            RGB(255, 0, 255),   RGB(255, 0, 0),   RGB(0, 0, 255),   RGB(0, 0, 0)};
  for (int i = 0; i < 8; ++i) back->FillRect(i * 100, 0, i * 100 + 100, 300, screen.ColorToPixel(bars[i]));

  // Ramps in 4-pixel steps.
  for (int x = 0; x < 800; x += 4) {
    int level = x * 255 / 796;
    back->FillRect(x, 300, x + 4, 400, screen.ColorToPixel(RGB(level, level, level)));
    back->FillRect(x, 400, x + 4, 450, screen.ColorToPixel(RGB(level, 0, 0)));
    back->FillRect(x, 450, x + 4, 500, screen.ColorToPixel(RGB(0, level, 0)));
    back->FillRect(x, 500, x + 4, 550, screen.ColorToPixel(RGB(0, 0, level)));
  }
  back->FillRect(0, 550, 800, 600, 0);
  font.DrawStringKeyed(20, 560, "Rallex display test: 800 x 600 x 16, bitmap font", back, -1);
}

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  int seconds = 4;
  if (commandLine && *commandLine) seconds = atoi(commandLine);
  if (seconds <= 0) seconds = 4;

  WNDCLASSA wc{};
  wc.lpfnWndProc = DemoWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetStockObject(BLACK_BRUSH);
  wc.lpszClassName = "DisplayDemo";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "DisplayDemo", "Rallex display demo", WS_VISIBLE | WS_POPUP, 0, 0, 800, 600,
                                nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, showCommand);

  auto* screen = new Screen(window, 800, 600, 16, 0);
  if (!screen->GetBack() || !screen->GetBack()->ddSurface) {
    FatalError(screen, "Cannot open the display at %d x %d x %d", 800, 600, 16);
    delete screen;
    return 1;
  }
  auto* font = new BitmapFont(screen, "Arial", 20, RGB(255, 255, 255), 0, 0, 400);

  DWORD end = timeGetTime() + static_cast<DWORD>(seconds) * 1000;
  while (running && static_cast<int32_t>(end - timeGetTime()) > 0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) running = false;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    DrawTestPicture(*screen, *font);
    screen->Flip(1, 0, 1);
  }

  delete font;
  delete screen;
  DestroyWindow(window);
  return 0;
}
