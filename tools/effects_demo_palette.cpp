// SPDX-License-Identifier: MIT
// The palette page: full-screen 800 x 600 x 8. A 256-colour picture (the file
// named on the command line, or a picture of 256 coloured tiles made here) is
// shown with its own palette (LoadPalette), centred on black; then the palette
// fades out to black, to a violet (96, 64, 160) and back to the picture's
// palette. Each stage is announced on standard output: "picture",
// "fading out", "faded out", "fading to colour", "coloured", "fading back",
// "restored".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "effects_demo.h"
#include "media/errors.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

void Put16(FILE* f, uint32_t v) {
  fputc(static_cast<int>(v & 0xFF), f);
  fputc(static_cast<int>((v >> 8) & 0xFF), f);
}
void Put32(FILE* f, uint32_t v) {
  Put16(f, v & 0xFFFF);
  Put16(f, v >> 16);
}

// Writes a 256 x 256 8-bit bitmap of 16 x 16 tiles, tile i in colour i:
// red grows to the right, green downwards, blue across the diagonal; tile 0,
// the colour of the background, is black. Returns
// the file's name, or "" when it cannot be written.
std::string WriteTilePicture() {
  char name[] = "/tmp/effects_demo_tilesXXXXXX.bmp";
  int fd = mkstemps(name, 4);
  if (fd < 0) return "";
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    close(fd);
    unlink(name);
    return "";
  }
  const uint32_t size = 256, bits = 54 + 256 * 4, image = size * size;
  fputc('B', f);
  fputc('M', f);
  Put32(f, bits + image);
  Put32(f, 0);
  Put32(f, bits);
  Put32(f, 40);
  Put32(f, size);
  Put32(f, size);
  Put16(f, 1);
  Put16(f, 8);
  Put32(f, 0);
  Put32(f, image);
  Put32(f, 2835);
  Put32(f, 2835);
  Put32(f, 256);
  Put32(f, 256);
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t column = i % 16, row = i / 16;
    uint32_t red = column * 17, green = row * 17, blue = i == 0 ? 0 : 255 - (column + row) * 8;
    Put32(f, blue | green << 8 | red << 16);
  }
  for (uint32_t y = 0; y < size; ++y) {  // bottom row first
    uint32_t row = (size - 1 - y) / 16;
    for (uint32_t x = 0; x < size; ++x) fputc(static_cast<int>(row * 16 + x / 16), f);
  }
  bool ok = ferror(f) == 0;
  ok = fclose(f) == 0 && ok;
  if (!ok) {
    unlink(name);
    return "";
  }
  return name;
}

// Keeps the picture on the display for ms milliseconds (UINT32_MAX: until the
// demo is asked to end); false when it was asked to end.
bool Hold(Screen* screen, uint32_t ms) {
  DWORD start = timeGetTime();
  while (ms == UINT32_MAX || timeGetTime() - start < ms) {
    if (!PumpDemoMessages()) return false;
    screen->Flip(1, 0, 0);
  }
  return true;
}

// Draws the picture centred on black into both buffers of the flipping chain.
void ShowPicture(Screen* screen, Surface* picture) {
  for (int i = 0; i < 2; ++i) {
    Surface* back = screen->GetBack();
    back->Fill(0);
    RECT all = {0, 0, picture->Width, picture->Height};
    picture->DrawFastClipped(back, (kWidth - picture->Width) / 2, (kHeight - picture->Height) / 2, all);
    screen->Flip(1, 0, 0);
  }
}

}  // namespace

int RunPalettePage(HINSTANCE, HWND window) {
  std::string made;
  std::string name = DemoArgument(0);
  if (name.empty()) {
    made = WriteTilePicture();
    if (made.empty()) {
      fprintf(stderr, "effects_demo: cannot write the tile picture\n");
      return 1;
    }
    name = made;
  }
  auto* screen = new Screen(window, kWidth, kHeight, 8, 0);
  int status = 0;
  if (!screen->GetBack() || !screen->GetBack()->ddSurface) {
    FatalError(screen, "Cannot open the display at %d x %d x %d", kWidth, kHeight, 8);
    status = 1;
  }
  // The palette first, so that the picture is drawn into the buffers through
  // its own colours.
  if (status == 0 && !screen->LoadPalette(name.c_str())) {
    fprintf(stderr, "effects_demo: cannot read a palette from %s\n", name.c_str());
    status = 1;
  }
  Surface* picture = nullptr;
  if (status == 0) {
    picture = new Surface(screen, name.c_str(), SystemMemory);
    if (!picture->ddSurface) {
      fprintf(stderr, "effects_demo: cannot load %s\n", name.c_str());
      status = 1;
    }
  }
  if (status == 0) {
    ShowPicture(screen, picture);
    PALETTEENTRY original[256];
    screen->GetPaletteEntries(0, 256, original);
    uint32_t hold = DemoHoldMilliseconds();
    DemoSay("picture");
    if (Hold(screen, 1500)) {
      DemoSay("fading out");
      screen->FadePaletteOut(20);
      DemoSay("faded out");
    }
    if (Hold(screen, 1000)) {
      DemoSay("fading to colour");
      screen->FadePaletteToColor(96, 64, 160, 10);
      DemoSay("coloured");
    }
    if (Hold(screen, 1000)) {
      DemoSay("fading back");
      screen->FadePaletteTo(10, original);
      DemoSay("restored");
      Hold(screen, hold ? hold : UINT32_MAX);
    }
  }
  delete picture;
  delete screen;
  if (!made.empty()) unlink(made.c_str());
  return status;
}
