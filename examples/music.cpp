// SPDX-License-Identifier: MIT
// music: a MIDI song played in a loop, with its volume set through the mixer.
//
// Music sends the media control interface's command strings ("open ... type
// sequencer alias MUSIC", "play MUSIC notify"); when the song has played to
// its end, the window gets MM_MCINOTIFY with MCI_NOTIFY_SUCCESSFUL and the
// program starts it again. The synthesiser is loaded when the song is first
// opened; without it (or its sound font) the program runs silently.
//
// Keys: Up and Down turn the music's volume up and down by 20 % (the mixer's
// MIDI volume, left and right alike: Sound::SetMidiVolume), P stops and goes
// on from where it stopped.
#include "example.h"
#include "media/music.h"
#include "media/screen.h"
#include "media/sound.h"
#include "media/surface.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
Music* music = nullptr;
Sound* mixer = nullptr;
int volume = 60;  // percent
bool paused = false;
int loops = 0;

void OnMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == MM_MCINOTIFY && wParam == MCI_NOTIFY_SUCCESSFUL && !paused) {
    music->Restart();
    ++loops;
  }
  if (message != WM_KEYDOWN) return;
  if (wParam == VK_UP && volume < 100) volume += 20;
  if (wParam == VK_DOWN && volume > 0) volume -= 20;
  if (wParam == VK_UP || wParam == VK_DOWN) mixer->SetMidiVolume(volume, volume);
  if (wParam == 'P') {
    paused = !paused;
    if (paused)
      music->Stop();
    else
      music->Resume();
  }
}

void Draw(Screen& screen) {
  Surface* back = screen.GetBack();
  back->Fill(screen.ColorToPixel(RGB(20, 30, 20)));
  // The volume the mixer reports: left in the low 16 bits, 0xFFFF is full.
  DWORD word = mixer->GetMidiVolume();
  int left = static_cast<int>((word & 0xFFFF) * 400 / 0xFFFF);
  back->FillRect(120, 200, 520, 240, screen.ColorToPixel(RGB(60, 60, 60)));
  back->FillRect(120, 200, 120 + left, 240, screen.ColorToPixel(RGB(80, 220, 120)));
  if (back->GetDC()) {
    back->SelectFont();
    char line[80];
    std::snprintf(line, sizeof line, "MIDI volume %d %%   %s   played %d times", volume,
                  paused ? "stopped" : "playing", loops);
    back->DrawTextAt(120, 160, RGB(255, 255, 255), line);
    back->DrawTextAt(120, 260, RGB(200, 200, 200), "Up / Down: volume    P: stop / go on");
    back->ReleaseDC();
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = example::OpenWindow(instance, "Rallex example: music", kWidth, kHeight, false);
  Screen screen;
  if (!window || !screen.CreateWindowed(window, kWidth, kHeight)) return 1;
  screen.GetBack()->MakeFont("Arial", 0, 18, 400);
  Sound sound;
  sound.Create(window);
  Music song(window);
  music = &song;
  mixer = &sound;
  example::onMessage = OnMessage;
  sound.SetMidiVolume(volume, volume);
  if (!song.Start("tune.mid")) std::fprintf(stderr, "music: cannot play tune.mid\n");
  while (example::PumpMessages()) {
    Draw(screen);
    screen.Flip(1, 0, 0);
  }
  example::onMessage = nullptr;
  return 0;
}
