// SPDX-License-Identifier: MIT
// surfaces: a picture loaded into a Surface and copied onto the back buffer
// three ways.
//   plain    DrawFast copies every pixel, the magenta background too;
//   keyed    DrawFastKeyed leaves out the pixels in the colour key (here the
//            picture's top-left colour, magenta);
//   clipped  DrawFastKeyedClipped copies a rectangle of the picture and trims
//            it to the clip rectangles of both surfaces: a sprite crossing the
//            framed box is cut at its sides, and one past the window's left
//            edge shows only its right part.
#include "example.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
const RECT kBox = {360, 80, 600, 240};  // the clip rectangle of the third row

// White labels with GDI, between GetDC and ReleaseDC of the back buffer.
void Labels(Surface* back) {
  if (!back->GetDC()) return;
  back->SelectFont();
  back->DrawTextAt(20, 20, RGB(255, 255, 255), "DrawFast: every pixel");
  back->DrawTextAt(20, 140, RGB(255, 255, 255), "DrawFastKeyed: magenta left out");
  back->DrawTextAt(20, 260, RGB(255, 255, 255), "DrawFastClipped: the left half only");
  back->DrawTextAt(20, 380, RGB(255, 255, 255), "past the window's left edge");
  back->DrawTextAt(360, 50, RGB(255, 255, 255), "clipped to the box");
  back->ReleaseDC();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = example::OpenWindow(instance, "Rallex example: surfaces", kWidth, kHeight, false);
  Screen screen;
  if (!window || !screen.CreateWindowed(window, kWidth, kHeight)) return 1;
  Surface sprite;
  if (!sprite.Load(&screen, "sprite.bmp", DriverChoice)) {
    std::fprintf(stderr, "surfaces: cannot load sprite.bmp\n");
    return 1;
  }
  sprite.SetColorKeyFromTopLeft();
  Surface* back = screen.GetBack();
  back->MakeFont("Arial", 0, 16, 400);

  const RECT whole = {0, 0, sprite.Width, sprite.Height};
  const RECT leftHalf = {0, 0, sprite.Width / 2, sprite.Height};
  const RECT full = {0, 0, kWidth, kHeight};
  const DWORD backdrop = screen.ColorToPixel(RGB(16, 48, 32));
  const DWORD frame = screen.ColorToPixel(RGB(200, 200, 200));
  const DWORD start = timeGetTime();
  while (example::PumpMessages()) {
    // A sprite that slides across the box and back every four seconds.
    int t = static_cast<int>((timeGetTime() - start) % 4000);
    int slide = t < 2000 ? t : 4000 - t;
    int x = kBox.left - 40 + slide * (kBox.right - kBox.left + 48) / 2000;

    back->Fill(backdrop);
    for (int i = 0; i < 4; ++i) {
      sprite.DrawFast(40 + i * 48, 50, back);
      sprite.DrawFastKeyed(40 + i * 48, 170, back);
      sprite.DrawFastClipped(back, 40 + i * 48, 290, leftHalf);
    }
    sprite.DrawFastKeyedClipped(back, -16, 410, whole);

    // The box's frame, then the sprites clipped to the box inside it.
    back->FillRect(kBox.left - 2, kBox.top - 2, kBox.right + 2, kBox.bottom + 2, frame);
    back->FillRect(kBox.left, kBox.top, kBox.right, kBox.bottom, backdrop);
    back->SetClipRect(kBox);
    sprite.DrawFastKeyedClipped(back, x, 100, whole);
    sprite.DrawFastKeyedClipped(back, kBox.right + kBox.left - 32 - x, 180, whole);
    back->SetClipRect(full);

    Labels(back);
    screen.Flip(1, 0, 0);
  }
  return 0;
}
