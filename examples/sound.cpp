// SPDX-License-Identifier: MIT
// sound: one sample, several playback buffers, so that it can sound several
// times at once.
//
// click.wav is loaded twice: into a SoundBuffer with four buffers (left
// button) and into one with a single buffer (right button). A play request
// takes the current buffer when it is silent, else the next in turn, cutting
// that one off if it still sounds: four quick left clicks are heard as four
// overlapping clicks, four quick right clicks as one click restarted. The
// mouse's place across the window pans the sound from left to right. The bars
// show how many buffers of each sound are playing.
//
// Without a sound device the program goes on silently (Sound::Create shows
// why and leaves the object silent).
#include "example.h"
#include "media/input.h"
#include "media/screen.h"
#include "media/sound.h"
#include "media/surface.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

void DrawBars(Screen& screen, int left, int playing, int buffers, const char* label) {
  Surface* back = screen.GetBack();
  for (int i = 0; i < buffers; ++i) {
    COLORREF colour = i < playing ? RGB(255, 200, 0) : RGB(70, 70, 90);
    back->FillRect(left + i * 60, 200, left + i * 60 + 50, 320, screen.ColorToPixel(colour));
  }
  if (back->GetDC()) {
    back->SelectFont();
    back->DrawTextAt(left, 330, RGB(255, 255, 255), label);
    back->ReleaseDC();
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = example::OpenWindow(instance, "Rallex example: sound", kWidth, kHeight, false);
  Screen screen;
  if (!window || !screen.CreateWindowed(window, kWidth, kHeight)) return 1;
  screen.GetBack()->MakeFont("Arial", 0, 16, 400);

  Sound sound;
  sound.Create(window);
  SoundBuffer four, one;
  if (!four.LoadFile(&sound, "click.wav", 4) || !one.LoadFile(&sound, "click.wav", 1)) {
    std::fprintf(stderr, "sound: cannot load click.wav\n");
    return 1;
  }
  Input input;
  if (!input.Create(instance, window, 0)) {
    std::fprintf(stderr, "sound: cannot open the mouse\n");
    return 1;
  }
  input.SetMouseLimits(0, 0, kWidth, kHeight);
  input.SetMousePosition(kWidth / 2, kHeight / 2);

  while (example::PumpMessages()) {
    input.Update();
    LONG x, y;
    input.GetMousePosition(&x, &y);
    // Pan in hundredths of a decibel: DSBPAN_LEFT (-10000) .. DSBPAN_RIGHT.
    LONG pan = (x - kWidth / 2) * 2 * DSBPAN_RIGHT / kWidth;
    if (input.GetKeyState(kMouseButtonSlot) == KeyPressed) four.Play(0, pan, 0);
    if (input.GetKeyState(kMouseButtonSlot + 1) == KeyPressed) one.Play(0, pan, 0);

    screen.Fill(screen.ColorToPixel(RGB(30, 20, 40)));
    DrawBars(screen, 40, four.PlayingCount(), 4, "left click: four buffers");
    DrawBars(screen, 400, one.PlayingCount(), 1, "right click: one");
    screen.GetBack()->FillRect(x - 3, 440, x + 3, 470, screen.ColorToPixel(RGB(255, 255, 255)));
    screen.Flip(1, 0, 0);
  }
  return 0;
}
