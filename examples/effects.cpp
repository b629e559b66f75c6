// SPDX-License-Identifier: MIT
// effects: every effect copy side by side, full-screen at 800 x 600 x 16.
//
// Twelve cells of 200 x 200 on an olive background (192, 192, 64), four a row.
// The sprite is 120 x 120: a blue square (32, 64, 224) from (20, 20) to
// (100, 100) on the magenta colour key, drawn at (40, 40) of its cell, so that
// the cell's centre (100, 100) lies on the square and (50, 50) on the key.
//   row 0  shadow at level 128 (16 pixels down and right) under the keyed
//          sprite; half shadow under it; half blend of the sprite's whole
//          rectangle; keyed half blend
//   row 1  blend at level 64 and 192 (0 is all sprite, 256 all background);
//          keyed blend at 128; a sprite with its own alpha mask read from a
//          Photoshop file (an orange disc, opaque to radius 30, half
//          transparent to radius 55)
//   row 2  darken at level 64; half darken; an inverted box; the sprite
//          faded at level 128
// Effect copies work on the pixels in memory, so they take 15-, 16-, 24- and
// 32-bit surfaces; "ready" is written once the picture is up.
#include "example.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

constexpr int kCell = 200;

// Where cell i's sprite goes: 40 pixels into the cell.
int CellX(int cell) { return (cell % 4) * kCell + 40; }
int CellY(int cell) { return (cell / 4) * kCell + 40; }

void Draw(Surface* back, Surface* sprite, Surface* disc, DWORD background) {
  back->FillRect(0, 0, 800, 600, background);
  const RECT whole = {0, 0, 120, 120};

  sprite->DrawShadow(back, CellX(0) + 16, CellY(0) + 16, whole, 128);
  sprite->DrawFastKeyedClipped(back, CellX(0), CellY(0), whole);
  sprite->DrawShadowHalf(back, CellX(1) + 16, CellY(1) + 16, whole);
  sprite->DrawFastKeyedClipped(back, CellX(1), CellY(1), whole);
  sprite->DrawHalfBlend(back, CellX(2), CellY(2), whole);
  sprite->DrawHalfBlendKeyed(back, CellX(3), CellY(3), whole);

  sprite->DrawBlend(back, CellX(4), CellY(4), whole, 64);
  sprite->DrawBlend(back, CellX(5), CellY(5), whole, 192);
  sprite->DrawBlendKeyed(back, CellX(6), CellY(6), whole, 128);
  if (disc) disc->DrawAlphaMasked(back, CellX(7) + 60 - disc->Width / 2, CellY(7) + 60 - disc->Height / 2,
                                  RECT{0, 0, disc->Width, disc->Height});

  sprite->DrawDarken(back, CellX(8), CellY(8), whole, 64);
  sprite->DrawDarkenHalf(back, CellX(9), CellY(9), whole);
  back->Invert(CellX(10), CellY(10), CellX(10) + 120, CellY(10) + 120);
  sprite->DrawFaded(back, CellX(11), CellY(11), whole, 128);

  if (back->GetDC()) {
    back->SelectFont();
    const char* names[12] = {"DrawShadow 128", "DrawShadowHalf", "DrawHalfBlend",      "DrawHalfBlendKeyed",
                             "DrawBlend 64",   "DrawBlend 192",  "DrawBlendKeyed 128", "DrawAlphaMasked",
                             "DrawDarken 64",  "DrawDarkenHalf", "Invert",             "DrawFaded 128"};
    for (int i = 0; i < 12; ++i) back->DrawTextAt((i % 4) * kCell + 6, (i / 4) * kCell + 4, RGB(255, 255, 255), names[i]);
    back->ReleaseDC();
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = example::OpenWindow(instance, "Rallex example: effects", 800, 600, true);
  if (!window) return 1;
  Screen screen(window, 800, 600, 16, 0);
  if (!screen.GetBack() || !screen.GetBack()->ddSurface) {
    std::fprintf(stderr, "effects: cannot open the display at 800 x 600 x 16\n");
    return 1;
  }
  // The sprite, drawn here: a blue square on the key colour.
  Surface sprite(&screen, 120, 120, SystemMemory);
  const DWORD magenta = screen.ColorToPixel(RGB(255, 0, 255));
  sprite.Fill(magenta);
  sprite.FillRect(20, 20, 100, 100, screen.ColorToPixel(RGB(32, 64, 224)));
  sprite.SetColorKey(magenta);
  // A Photoshop file's transparency becomes the surface's AlphaMask.
  Surface disc(&screen, "alpha_sprite.psd", SystemMemory);
  bool haveDisc = disc.ddSurface && disc.AlphaMask;
  if (!haveDisc) std::fprintf(stderr, "effects: cannot read alpha_sprite.psd\n");
  screen.GetBack()->MakeFont("Arial", 0, 14, 400);

  const DWORD background = screen.ColorToPixel(RGB(192, 192, 64));
  bool said = false;
  while (example::PumpMessages()) {
    Draw(screen.GetBack(), &sprite, haveDisc ? &disc : nullptr, background);
    screen.Flip(1, 0, 0);
    if (!said) example::Say("ready");
    said = true;
  }
  return haveDisc ? 0 : 3;
}
