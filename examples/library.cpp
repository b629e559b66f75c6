// SPDX-License-Identifier: MIT
// library: pictures and a sound read from one resource library file.
//
// pictures.lib (made by pack_library.py) holds four entries, each with an
// identifier, a type and a size: three bitmaps (100 to 102) and a WAV sound
// (200). ResourceLibrary::Open reads the directory; FindEntryById finds an
// entry; Surface::LoadBitmapFromLibrary and, after SeekToEntry,
// SoundBuffer::LoadStream read an entry in place from the library's stream.
// The program lists the directory, draws the pictures and plays the sound
// once at the start and on each left click.
#include "example.h"
#include "media/input.h"
#include "media/library.h"
#include "media/screen.h"
#include "media/sound.h"
#include "media/surface.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr uint32_t kPictures[3] = {100, 101, 102};
constexpr uint32_t kClick = 200;

void DrawDirectory(Surface* back, ResourceLibrary& library) {
  if (!back->GetDC()) return;
  back->SelectFont();
  back->DrawTextAt(20, 20, RGB(255, 255, 255), "pictures.lib:  index  identifier  type  size");
  for (uint32_t i = 0; i < library.entryCount; ++i) {
    char line[80];
    int32_t index = static_cast<int32_t>(i);
    std::snprintf(line, sizeof line, "%d    %u    %u    %u bytes", index,
                  static_cast<unsigned>(library.entries[i].identifier),
                  static_cast<unsigned>(library.EntryType(index)), static_cast<unsigned>(library.EntrySize(index)));
    back->DrawTextAt(140, 44 + static_cast<int>(i) * 22, RGB(200, 220, 255), line);
  }
  back->ReleaseDC();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = example::OpenWindow(instance, "Rallex example: resource library", kWidth, kHeight, false);
  Screen screen;
  if (!window || !screen.CreateWindowed(window, kWidth, kHeight)) return 1;
  screen.GetBack()->MakeFont("Arial", 0, 16, 400);

  ResourceLibrary library;
  if (!library.Open("pictures.lib")) {
    std::fprintf(stderr, "library: cannot open pictures.lib\n");
    return 1;
  }
  Surface pictures[3];
  for (int i = 0; i < 3; ++i) {
    int32_t index = library.FindEntryById(kPictures[i]);
    if (index < 0 || !pictures[i].LoadBitmapFromLibrary(&screen, &library, index, SystemMemory)) {
      std::fprintf(stderr, "library: no picture %u\n", static_cast<unsigned>(kPictures[i]));
      return 1;
    }
    pictures[i].SetColorKeyFromTopLeft();
  }
  Sound sound;
  sound.Create(window);
  SoundBuffer click;
  FILE* stream = library.SeekToEntry(library.FindEntryById(kClick));
  if (!stream || !click.LoadStream(&sound, stream, 2)) {
    std::fprintf(stderr, "library: no sound %u\n", static_cast<unsigned>(kClick));
    return 1;
  }
  Input input;
  input.Create(instance, window, 0);
  click.Play(0, 0, 0);

  const DWORD backdrop = screen.ColorToPixel(RGB(40, 30, 20));
  while (example::PumpMessages()) {
    input.Update();
    if (input.GetKeyState(kMouseButtonSlot) == KeyPressed) click.Play(0, 0, 0);
    Surface* back = screen.GetBack();
    back->Fill(backdrop);
    DrawDirectory(back, library);
    // Each picture keyed, twice its size.
    int x = 60;
    for (Surface& picture : pictures) {
      RECT whole = {0, 0, picture.Width, picture.Height};
      picture.DrawResizedKeyed(back, x, 260, whole, picture.Width * 2, picture.Height * 2);
      x += picture.Width * 2 + 80;
    }
    screen.Flip(1, 0, 0);
  }
  return 0;
}
