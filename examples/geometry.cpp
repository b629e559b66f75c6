// SPDX-License-Identifier: MIT
// geometry: mirrored, zoomed and resized copies, full-screen at 800 x 600 x 16
// on a dark blue background.
//
// A 64 x 64 sprite (yellow frame, red and green halves, a blue corner, and a
// round hole and two corners in the magenta colour key) is drawn keyed:
//   at (40, 40) as it is, at (140, 40) mirrored left-right, at (240, 40)
//   mirrored up-down, at (-20, 140) mirrored left-right and cut by the left
//   edge (the part shown is the part the whole mirrored copy has there);
//   zoomed about the centre (560, 300) of its unscaled place (528, 268), the
//   factor going from 0.25 to 4 and back every 4 seconds;
//   resized to 200 x 40 about (132, 432) and to 40 x 120 about (332, 432).
// "ready" is written once the first frame is shown.
#include <cmath>

#include "example.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

constexpr int kSprite = 64;
const COLORREF kKey = RGB(255, 0, 255);

COLORREF SpriteColour(int x, int y) {
  int dx = x - 44, dy = y - 40;
  if ((x < 6 && y < 6) || (x > 57 && y > 57)) return kKey;  // two corners cut off
  if (x < 3 || y < 3 || x >= kSprite - 3 || y >= kSprite - 3) return RGB(255, 255, 0);
  if (dx * dx + dy * dy <= 64) return kKey;  // a hole
  if (x + y < 28) return RGB(0, 64, 255);
  if (x < 32) return RGB(200, 40 + y * 3, 40);
  return RGB(40, 200, 40 + x * 2);
}

// Pixels are written one by one into the locked surface, in its own format.
bool MakeSprite(Screen& screen, Surface& sprite) {
  if (!sprite.ddSurface || sprite.Lock() != DD_OK) return false;
  for (int y = 0; y < kSprite; ++y)
    for (int x = 0; x < kSprite; ++x) sprite.PutPixel(x, y, screen.ColorToPixel(SpriteColour(x, y), &sprite));
  sprite.Unlock();
  sprite.SetColorKey(screen.ColorToPixel(kKey, &sprite));
  return true;
}

// The zoom factor at a moment: 0.25 * 16^p, p going 0 -> 1 -> 0 over 4 s.
float ZoomAt(DWORD ms) {
  double phase = static_cast<double>(ms % 4000) / 2000.0;
  if (phase > 1.0) phase = 2.0 - phase;
  return static_cast<float>(0.25 * std::pow(16.0, phase));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = example::OpenWindow(instance, "Rallex example: geometry", 800, 600, true);
  if (!window) return 1;
  Screen screen(window, 800, 600, 16, 0);
  Surface sprite(&screen, kSprite, kSprite, SystemMemory);
  if (!screen.GetBack() || !screen.GetBack()->ddSurface || !MakeSprite(screen, sprite)) {
    std::fprintf(stderr, "geometry: cannot open the display at 800 x 600 x 16\n");
    return 1;
  }
  const RECT all = {0, 0, kSprite, kSprite};
  const DWORD background = screen.ColorToPixel(RGB(16, 32, 96));
  const DWORD start = timeGetTime();
  bool said = false;
  while (example::PumpMessages()) {
    Surface* back = screen.GetBack();
    back->Fill(background);
    sprite.DrawFastKeyedClipped(back, 40, 40, all);
    sprite.DrawMirroredHKeyedClipped(back, 140, 40, all);
    sprite.DrawMirroredVKeyedClipped(back, 240, 40, all);
    sprite.DrawMirroredHKeyedClipped(back, -20, 140, all);
    sprite.DrawZoomedKeyed(back, 528, 268, all, ZoomAt(timeGetTime() - start));
    sprite.DrawResizedKeyed(back, 100, 400, all, 200, 40);
    sprite.DrawResizedKeyed(back, 300, 400, all, 40, 120);
    screen.Flip(1, 0, 0);
    if (!said) example::Say("ready");
    said = true;
  }
  return 0;
}
