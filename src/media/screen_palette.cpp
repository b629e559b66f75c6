// SPDX-License-Identifier: MIT
// The display's palette: loading it from a bitmap, single entries and runs of
// entries, one colour or grey for the whole palette, and fades towards another
// palette, one colour or black.
//
// Every operation reads the palette object's entries, changes its copy and
// writes them back; the palette on the display shows a change at once. Entry 0
// (the colour the display's black border and cleared buffers use) is never
// touched by the whole-palette operations.
#include <cstdint>

#include "media/screen.h"
#include "media/surface.h"
#include "platform/mmsystem.h"

namespace {

constexpr int kEntries = 256;
constexpr int kFadeSteps = 83;
constexpr int kFadeStep = 3;
constexpr int kFadeSnap = 5;

// One fade step of a channel towards its target: by 3, or onto the target when
// within 5 of it.
BYTE StepTowards(BYTE current, BYTE target) {
  int c = current, t = target;
  if (c > t + kFadeSnap) return static_cast<BYTE>(c - kFadeStep);
  if (c < t - kFadeSnap) return static_cast<BYTE>(c + kFadeStep);
  return target;
}

// Towards black: 5 or less becomes 0, anything else goes down by 3.
BYTE StepDown(BYTE current) { return current <= kFadeSnap ? 0 : static_cast<BYTE>(current - kFadeStep); }

// Waits until `delay` milliseconds have passed since `start` by reading the
// clock; the platform's clock makes such a wait cheap.
void WaitSince(DWORD start, uint32_t delay) {
  while (timeGetTime() - start < delay) {
  }
}

}  // namespace

BOOL Screen::LoadPalette(const char* name) {
  if (!name || !directDraw) return 0;
  IDirectDrawPalette* loaded = LoadPaletteFromBitmap(directDraw, name);
  if (!loaded) return 0;
  if (palette) palette->Release();
  palette = loaded;
  if (front && front->ddSurface) front->ddSurface->SetPalette(palette);
  return 1;
}

HRESULT Screen::SetPaletteEntry(int32_t index, int32_t red, int32_t green, int32_t blue) {
  if (!palette) return DDERR_INVALIDOBJECT;
  PALETTEENTRY entry{};
  // An index outside the palette is refused by the read; nothing is written.
  HRESULT hr = palette->GetEntries(0, static_cast<DWORD>(index), 1, &entry);
  if (hr != DD_OK) return hr;
  entry.peRed = static_cast<BYTE>(red);
  entry.peGreen = static_cast<BYTE>(green);
  entry.peBlue = static_cast<BYTE>(blue);
  return palette->SetEntries(0, static_cast<DWORD>(index), 1, &entry);
}

void Screen::GetPaletteEntry(int32_t index, int32_t* red, int32_t* green, int32_t* blue) {
  if (!palette) return;
  PALETTEENTRY entry{};
  // A refused read leaves the outputs as they were.
  if (palette->GetEntries(0, static_cast<DWORD>(index), 1, &entry) != DD_OK) return;
  if (red) *red = entry.peRed;
  if (green) *green = entry.peGreen;
  if (blue) *blue = entry.peBlue;
}

HRESULT Screen::SetPaletteEntries(int32_t first, int32_t count, PALETTEENTRY* entries) {
  if (!palette) return DDERR_INVALIDOBJECT;
  return palette->SetEntries(0, static_cast<DWORD>(first), static_cast<DWORD>(count), entries);
}

HRESULT Screen::GetPaletteEntries(int32_t first, int32_t count, PALETTEENTRY* entries) {
  if (!palette) return DDERR_INVALIDOBJECT;
  return palette->GetEntries(0, static_cast<DWORD>(first), static_cast<DWORD>(count), entries);
}

HRESULT Screen::FillPalette(int32_t red, int32_t green, int32_t blue) {
  if (!palette) return DDERR_INVALIDOBJECT;
  PALETTEENTRY entries[kEntries];
  HRESULT hr = palette->GetEntries(0, 0, kEntries, entries);
  if (hr != DD_OK) return hr;
  for (int i = 1; i < kEntries; ++i) {
    entries[i].peRed = static_cast<BYTE>(red);
    entries[i].peGreen = static_cast<BYTE>(green);
    entries[i].peBlue = static_cast<BYTE>(blue);
  }
  return palette->SetEntries(0, 0, kEntries, entries);
}

void Screen::GreyPalette() {
  if (!palette) return;
  PALETTEENTRY entries[kEntries];
  if (palette->GetEntries(0, 0, kEntries, entries) != DD_OK) return;
  for (int i = 1; i < kEntries; ++i) {
    int sum = entries[i].peRed + entries[i].peGreen + entries[i].peBlue;
    BYTE grey = static_cast<BYTE>(sum / 3);
    entries[i].peRed = entries[i].peGreen = entries[i].peBlue = grey;
  }
  palette->SetEntries(0, 0, kEntries, entries);
}

void Screen::FadePaletteTo(uint32_t delay, const PALETTEENTRY* target) {
  if (!palette || !target) return;
  PALETTEENTRY entries[kEntries];
  if (palette->GetEntries(0, 0, kEntries, entries) != DD_OK) return;
  for (int step = 0; step < kFadeSteps; ++step) {
    for (int i = 1; i < kEntries; ++i) {
      entries[i].peRed = StepTowards(entries[i].peRed, target[i].peRed);
      entries[i].peGreen = StepTowards(entries[i].peGreen, target[i].peGreen);
      entries[i].peBlue = StepTowards(entries[i].peBlue, target[i].peBlue);
    }
    WaitSince(timeGetTime(), delay);
    palette->SetEntries(0, 0, kEntries, entries);
  }
}

void Screen::FadePaletteToColor(int32_t red, int32_t green, int32_t blue, uint32_t delay) {
  PALETTEENTRY target[kEntries];
  for (PALETTEENTRY& entry : target)
    entry = PALETTEENTRY{static_cast<BYTE>(red), static_cast<BYTE>(green), static_cast<BYTE>(blue), 0};
  FadePaletteTo(delay, target);
}

void Screen::FadePaletteOut(uint32_t delay) {
  if (!palette) return;
  PALETTEENTRY entries[kEntries];
  if (palette->GetEntries(0, 0, kEntries, entries) != DD_OK) return;
  for (int step = 0; step < kFadeSteps; ++step) {
    for (int i = 1; i < kEntries; ++i) {
      entries[i].peRed = StepDown(entries[i].peRed);
      entries[i].peGreen = StepDown(entries[i].peGreen);
      entries[i].peBlue = StepDown(entries[i].peBlue);
    }
    WaitSince(timeGetTime(), delay);
    palette->SetEntries(0, 0, kEntries, entries);
  }
}
