// SPDX-License-Identifier: MIT
// Screen fades in the high-colour modes: a saved copy of the picture drawn
// onto the back buffer at a rising or falling level, one Flip a step. The step
// adapts to the measured time of a frame, so that a fade lasts about as long as
// asked whatever the frame rate. Palette modes fade through their palette.
#include <algorithm>

#include "media/screen.h"
#include "media/surface.h"
#include "platform/mmsystem.h"

namespace {

// The level step of one fade frame that took `frameTime` ms: 512 / q, with
// q = (duration's low 16 bits + 1) / frameTime held to 1..256 (256 for a frame
// of no measurable time).
int32_t FadeStep(uint32_t duration, DWORD frameTime) {
  double total = static_cast<double>(duration & 0xFFFF) + 1.0;
  double q = frameTime == 0 ? 256.0 : std::clamp(total / frameTime, 1.0, 256.0);
  return static_cast<int32_t>(512.0 / q);
}

}  // namespace

// Draws `saved` onto the back buffer and flips, from `level` towards 256
// (direction +1) or 0 (direction -1), each step sized by the last frame's time;
// records the frames, steps and length of the fade.
void Screen::RunFade(Surface* saved, const RECT& all, int32_t level, int32_t direction, uint32_t duration) {
  lastFade = FadeRecord{};
  DWORD began = timeGetTime();
  do {
    DWORD start = timeGetTime();
    saved->DrawFaded(back, 0, 0, all, level);
    Flip(1, 0, 0);
    int32_t step = FadeStep(duration, timeGetTime() - start);
    lastFade.smallestStep = lastFade.frames == 0 ? step : std::min(lastFade.smallestStep, step);
    lastFade.largestStep = lastFade.frames == 0 ? step : std::max(lastFade.largestStep, step);
    lastFade.frames += 1;
    level += direction * step;
  } while (direction > 0 ? level < 256 : level > 0);
  lastFade.milliseconds = timeGetTime() - began;
}

void Screen::FadeIn(uint32_t duration) {
  if (BitsPerPixel == 8 || !back) return;
  int32_t w = back->Width, h = back->Height;
  RECT all = {0, 0, w, h};
  auto* saved = new Surface(this, w, h, SystemMemory);
  back->DrawFastClipped(saved, 0, 0, all);
  back->Fill(0);
  Flip(1, 0, 0);
  RunFade(saved, all, 0, +1, duration);
  saved->DrawFastClipped(back, 0, 0, all);
  Flip(1, 0, 0);
  delete saved;
}

void Screen::FadeOut(uint32_t duration) {
  if (BitsPerPixel == 8 || !back || !front) return;
  int32_t w = back->Width, h = back->Height;
  // The part of the front buffer that shows the window, as Flip places it.
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  OffsetRect(&client, origin.x, origin.y);
  auto* saved = new Surface(this, w, h, SystemMemory);
  front->DrawFastClipped(saved, 0, 0, client);
  RECT all = {0, 0, w, h};
  RunFade(saved, all, 256, -1, duration);
  delete saved;
  back->Fill(0);
  Flip(1, 0, 0);
}
