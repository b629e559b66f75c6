// SPDX-License-Identifier: MIT
// display: a full-screen display mode (800 x 600 x 16) and a test picture.
//
// The Screen asks for the mode and a flipping chain; the player's desktop may
// be larger, in which case the picture is scaled to fit, with black bars
// where the shapes differ. Flip's third argument writes the frame rate
// ("FPS = n") at the top left of each frame.
//
// Layout:
//   rows   0..299  eight bars 100 wide: white, yellow, cyan, green, magenta,
//                  red, blue, black
//   rows 300..399  grey ramp, black at the left to white at the right
//   rows 400..449  red ramp; 450..499 green ramp; 500..549 blue ramp
//   rows 550..599  black, with white text at (20, 560) naming the mode
#include "example.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

void DrawTestPicture(Screen& screen, const char* caption) {
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
  if (back->GetDC()) {
    back->SelectFont();
    back->DrawTextAt(20, 560, RGB(255, 255, 255), caption);
    back->ReleaseDC();
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = example::OpenWindow(instance, "Rallex example: display", 800, 600, true);
  if (!window) return 1;
  Screen screen(window, 800, 600, 16, 0);
  if (!screen.GetBack() || !screen.GetBack()->ddSurface) {
    std::fprintf(stderr, "display: cannot open the display at 800 x 600 x 16\n");
    return 1;
  }
  screen.GetBack()->MakeFont("Arial", 0, 20, 400);
  char caption[120];
  std::snprintf(caption, sizeof caption, "800 x 600 x 16, one of the %u modes the display offers",
                static_cast<unsigned>(screen.GetModeCount()));
  while (example::PumpMessages()) {
    DrawTestPicture(screen, caption);
    screen.Flip(1, 0, 1);
  }
  return 0;
}
