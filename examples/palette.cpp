// SPDX-License-Identifier: MIT
// palette: an 8-bit display (800 x 600 x 8, full-screen) and its palette.
//
// A 256-colour picture (tiles.bmp, or the file named on the command line) is
// shown with its own colours: the palette is read from the picture first, so
// that the picture's pixels land in the buffers as they are. Then only the
// palette changes, never a pixel: it fades out to black, to a violet
// (96, 64, 160) and back to the picture's colours. Palette entry 0 (the
// background here) is left alone by the fades. Each stage is written on
// standard output: "picture", "fading out", "faded out", "fading to colour",
// "coloured", "fading back", "restored".
#include <string>

#include "example.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

// Keeps presenting the picture for ms milliseconds; false when the program
// was asked to end meanwhile.
bool Hold(Screen& screen, DWORD ms) {
  DWORD start = timeGetTime();
  while (timeGetTime() - start < ms) {
    if (!example::PumpMessages()) return false;
    screen.Flip(1, 0, 0);
  }
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  std::string name = commandLine && *commandLine ? commandLine : "tiles.bmp";
  HWND window = example::OpenWindow(instance, "Rallex example: palette", kWidth, kHeight, true);
  if (!window) return 1;
  Screen screen(window, kWidth, kHeight, 8, 0);
  if (!screen.GetBack() || !screen.GetBack()->ddSurface) {
    std::fprintf(stderr, "palette: cannot open the display at 800 x 600 x 8\n");
    return 1;
  }
  if (!screen.LoadPalette(name.c_str())) {
    std::fprintf(stderr, "palette: cannot read a palette from %s\n", name.c_str());
    return 1;
  }
  Surface picture(&screen, name.c_str(), SystemMemory);
  if (!picture.ddSurface) {
    std::fprintf(stderr, "palette: cannot load %s\n", name.c_str());
    return 1;
  }
  // The picture centred on entry 0, in both buffers of the flipping chain.
  for (int i = 0; i < 2; ++i) {
    screen.GetBack()->Fill(0);
    picture.DrawFastClipped(screen.GetBack(), (kWidth - picture.Width) / 2, (kHeight - picture.Height) / 2,
                            RECT{0, 0, picture.Width, picture.Height});
    screen.Flip(1, 0, 0);
  }
  PALETTEENTRY original[256];
  screen.GetPaletteEntries(0, 256, original);

  // Each fade takes 83 steps, waiting the given milliseconds after each.
  example::Say("picture");
  if (Hold(screen, 1500)) {
    example::Say("fading out");
    screen.FadePaletteOut(20);
    example::Say("faded out");
  }
  if (Hold(screen, 1000)) {
    example::Say("fading to colour");
    screen.FadePaletteToColor(96, 64, 160, 10);
    example::Say("coloured");
  }
  if (Hold(screen, 1000)) {
    example::Say("fading back");
    screen.FadePaletteTo(10, original);
    example::Say("restored");
  }
  while (Hold(screen, 100)) {
  }
  return 0;
}
