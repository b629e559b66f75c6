// SPDX-License-Identifier: MIT
// fades: the whole picture faded out to black and back in, on a 16-bit
// full-screen display (800 x 600 x 16), every three seconds.
//
// Screen::FadeOut darkens the picture shown, FadeIn brightens the picture on
// the back buffer from black; each presents every step and sizes the step by
// the measured frame time, so that the fade lasts about the duration asked for
// (here 1000 ms, or the milliseconds named on the command line). They work on 15- to
// 32-bit displays; an 8-bit display fades its palette instead (see palette).
// Each fade reports its frames, smallest and largest level step and length:
//   fade out: 60 frames, level steps 4 to 5, 1001 ms, 59.9 frames a second
// and "ready", "fading out" and "fading in" say where the program is.
#include <cstdlib>

#include "example.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

// Eight colour bars over a grey ramp, with a white disc in the middle.
void DrawPicture(Screen& screen) {
  Surface* back = screen.GetBack();
  const COLORREF bars[8] = {RGB(255, 255, 255), RGB(255, 255, 0), RGB(0, 255, 255), RGB(0, 255, 0),
                            RGB(255, 0, 255),   RGB(255, 0, 0),   RGB(0, 0, 255),   RGB(128, 128, 128)};
  for (int i = 0; i < 8; ++i) back->FillRect(i * 100, 0, i * 100 + 100, 400, screen.ColorToPixel(bars[i]));
  for (int x = 0; x < 800; x += 8) {
    int level = x * 255 / 792;
    back->FillRect(x, 400, x + 8, 600, screen.ColorToPixel(RGB(level, level, level)));
  }
  if (back->Lock() == DD_OK) {
    back->FillCircle(400, 300, 80, screen.ColorToPixel(RGB(240, 240, 240)));
    back->Unlock();
  }
}

// Shows the picture for ms milliseconds; false when the program should end.
bool Show(Screen& screen, DWORD ms) {
  DWORD start = timeGetTime();
  while (timeGetTime() - start < ms) {
    if (!example::PumpMessages()) return false;
    DrawPicture(screen);
    screen.Flip(1, 0, 0);
  }
  return true;
}

void Report(const char* what, const Screen::FadeRecord& r) {
  double rate = r.milliseconds ? r.frames * 1000.0 / r.milliseconds : 0.0;
  std::printf("%s: %u frames, level steps %d to %d, %u ms, %.1f frames a second\n", what, r.frames,
              static_cast<int>(r.smallestStep), static_cast<int>(r.largestStep), r.milliseconds, rate);
  std::fflush(stdout);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  uint32_t duration = commandLine && *commandLine ? static_cast<uint32_t>(strtoul(commandLine, nullptr, 10)) : 1000;
  HWND window = example::OpenWindow(instance, "Rallex example: fades", 800, 600, true);
  if (!window) return 1;
  Screen screen(window, 800, 600, 16, 0);
  if (!screen.GetBack() || !screen.GetBack()->ddSurface) {
    std::fprintf(stderr, "fades: cannot open the display at 800 x 600 x 16\n");
    return 1;
  }
  DrawPicture(screen);
  screen.Flip(1, 0, 0);
  example::Say("ready");
  while (Show(screen, 3000)) {
    example::Say("fading out");
    screen.FadeOut(duration);  // fades what the display shows
    Report("fade out", screen.GetLastFade());
    DrawPicture(screen);  // the picture to fade in to
    example::Say("fading in");
    screen.FadeIn(duration);
    Report("fade in", screen.GetLastFade());
  }
  return 0;
}
