// SPDX-License-Identifier: MIT
// The effects page: every effect copy side by side on an 800 x 600 x 16
// full-screen display, then the picture fades out to black and back in.
//
// Twelve cells of 200 x 200 on an olive background (192, 192, 64), four a row.
// The sprite is 120 x 120: a blue square (32, 64, 224) from (20, 20) to
// (100, 100) on the magenta key; it is drawn at (40, 40) of its cell, so the
// cell's centre (100, 100) lies on the blue square and (50, 50) on the key.
//   row 0: shadow (level 128, 16 pixels down and right) under the keyed sprite;
//          half shadow under the keyed sprite; half blend of the whole sprite
//          rectangle; keyed half blend
//   row 1: blend at level 64; blend at level 192; keyed blend at level 128;
//          the alpha-masked Photoshop sprite (an orange disc, opaque to radius
//          30, half transparent to radius 55) centred on the cell
//   row 2: darken at level 64 and half darken of the sprite's rectangle;
//          an inverted box over the same rectangle; the faded sprite (level 128)
//
// Environment: RALLEX_DEMO_SECONDS=N shows the picture N seconds, fades out and
// in once, and ends; without it the page shows, fades out and in, every three
// seconds until Escape. RALLEX_DEMO_FADE_MS sets the fades' duration (1000).
// RALLEX_EFFECTS_SPRITE names the Photoshop file (effects_sprite.psd in the
// working directory, else the one in the source tree). Standard output gets
// "ready" once the picture is up, "fading out" and "fading in" as the fades
// start, and a line on each fade: its frames, level steps and wall time.
#include <cstdio>
#include <cstdlib>

#include "effects_demo.h"
#include "media/errors.h"
#include "media/screen.h"
#include "media/surface.h"
#include "platform/mmsystem.h"

namespace {

constexpr int kCell = 200;

struct Page {
  Screen* screen = nullptr;
  Surface* sprite = nullptr;
  Surface* photo = nullptr;
  DWORD background = 0;
};

const char* SpritePath() {
  if (const char* named = getenv("RALLEX_EFFECTS_SPRITE")) return named;
  if (FILE* f = fopen("effects_sprite.psd", "rb")) {
    fclose(f);
    return "effects_sprite.psd";
  }
  return RALLEX_TOOLS_DATA "/effects_sprite.psd";
}

void Label(Surface* back, int cell, const char* text) {
  back->DrawTextAt((cell % 4) * kCell + 6, (cell / 4) * kCell + 4, RGB(255, 255, 255), text);
}

void Draw(Page& page) {
  Surface* back = page.screen->GetBack();
  Surface* sprite = page.sprite;
  back->FillRect(0, 0, 800, 600, page.background);
  const RECT whole = {0, 0, 120, 120};
  auto at = [](int cell, int offset, bool vertical) { return (vertical ? cell / 4 : cell % 4) * kCell + offset; };
  auto x = [&](int cell) { return at(cell, 40, false); };
  auto y = [&](int cell) { return at(cell, 40, true); };

  sprite->DrawShadow(back, x(0) + 16, y(0) + 16, whole, 128);
  sprite->DrawFastKeyedClipped(back, x(0), y(0), whole);
  sprite->DrawShadowHalf(back, x(1) + 16, y(1) + 16, whole);
  sprite->DrawFastKeyedClipped(back, x(1), y(1), whole);
  sprite->DrawHalfBlend(back, x(2), y(2), whole);
  sprite->DrawHalfBlendKeyed(back, x(3), y(3), whole);

  sprite->DrawBlend(back, x(4), y(4), whole, 64);
  sprite->DrawBlend(back, x(5), y(5), whole, 192);
  sprite->DrawBlendKeyed(back, x(6), y(6), whole, 128);
  if (page.photo)
    page.photo->DrawAlphaMasked(back, at(7, 100 - page.photo->Width / 2, false),
                                at(7, 100 - page.photo->Height / 2, true),
                                RECT{0, 0, page.photo->Width, page.photo->Height});

  sprite->DrawDarken(back, x(8), y(8), whole, 64);
  sprite->DrawDarkenHalf(back, x(9), y(9), whole);
  back->Invert(x(10), y(10), x(10) + 120, y(10) + 120);
  sprite->DrawFaded(back, x(11), y(11), whole, 128);

  if (back->GetDC()) {
    back->SelectFont();
    const char* names[12] = {"DrawShadow 128", "DrawShadowHalf", "DrawHalfBlend",  "DrawHalfBlendKeyed",
                             "DrawBlend 64",   "DrawBlend 192",  "DrawBlendKeyed 128", "DrawAlphaMasked",
                             "DrawDarken 64",  "DrawDarkenHalf", "Invert",         "DrawFaded 128"};
    for (int i = 0; i < 12; ++i) Label(back, i, names[i]);
    back->ReleaseDC();
  }
}

// Shows the page for ms milliseconds; false when the player asked to stop.
bool Show(Page& page, DWORD ms, bool announce) {
  static bool announced = false;
  DWORD start = timeGetTime();
  while (timeGetTime() - start < ms) {
    if (!PumpDemoMessages()) return false;
    Draw(page);
    page.screen->Flip(1, 0, 0);
    if (announce && !announced) {
      announced = true;
      printf("ready\n");
      fflush(stdout);
    }
  }
  return true;
}

void Report(const char* what, const Screen::FadeRecord& r) {
  double rate = r.milliseconds ? r.frames * 1000.0 / r.milliseconds : 0.0;
  printf("%s: %u frames, level steps %d to %d, %u ms, %.1f frames a second\n", what, r.frames, r.smallestStep,
         r.largestStep, r.milliseconds, rate);
  fflush(stdout);
}

}  // namespace

int RunEffectsPage(HINSTANCE, HWND window) {
  const char* seconds = getenv("RALLEX_DEMO_SECONDS");
  bool once = seconds && atoi(seconds) > 0;
  DWORD showMs = once ? static_cast<DWORD>(atoi(seconds)) * 1000 : 3000;
  const char* fade = getenv("RALLEX_DEMO_FADE_MS");
  uint32_t fadeMs = fade ? static_cast<uint32_t>(strtoul(fade, nullptr, 10)) : 1000;

  auto* screen = new Screen(window, 800, 600, 16, 0);
  if (!screen->GetBack() || !screen->GetBack()->ddSurface) {
    FatalError(screen, "Cannot open the display at %d x %d x %d", 800, 600, 16);
    delete screen;
    return 1;
  }
  Page page;
  page.screen = screen;
  page.background = screen->ColorToPixel(RGB(192, 192, 64));
  page.sprite = new Surface(screen, 120, 120, SystemMemory);
  DWORD magenta = screen->ColorToPixel(RGB(255, 0, 255));
  page.sprite->Fill(magenta);
  page.sprite->FillRect(20, 20, 100, 100, screen->ColorToPixel(RGB(32, 64, 224)));
  page.sprite->SetColorKey(magenta);
  page.photo = new Surface(screen, SpritePath(), SystemMemory);
  if (!page.photo->ddSurface || !page.photo->AlphaMask) {
    fprintf(stderr, "effects page: cannot read the alpha-masked sprite %s\n", SpritePath());
    delete page.photo;
    page.photo = nullptr;
  }
  screen->GetBack()->MakeFont("Arial", 0, 14, 400);

  bool going = true;
  while (going) {
    going = Show(page, showMs, true);
    if (!going) break;
    printf("fading out\n");
    fflush(stdout);
    screen->FadeOut(fadeMs);
    Report("fade out", screen->GetLastFade());
    Draw(page);
    printf("fading in\n");
    fflush(stdout);
    screen->FadeIn(fadeMs);
    Report("fade in", screen->GetLastFade());
    if (once) {
      Show(page, 500, false);
      break;
    }
  }

  int status = page.photo ? 0 : 3;
  delete page.photo;
  delete page.sprite;
  delete screen;
  return status;
}
