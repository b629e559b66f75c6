// SPDX-License-Identifier: MIT
// sprite_headless: the sprite example on the headless backend, with the user's
// part played by a script on the virtual clock. After the program has ended it
// reports what the last frame showed and what was heard, for a test to judge:
//
//   status S            the program's exit status
//   sprite X Y W H      the box of the sprite's yellow in the last frame
//   sound FIRST LAST    the first and last millisecond with sound (-1: silent)
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/dinput.h"
#include "platform/headless.h"
#include "platform/windows.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

namespace hl = platform::headless;

int main() {
  // Move right 100 and up 50 at 0.5 s, click at 0.6 s, Escape at 1 s; a second
  // motion at 0.8 s runs into the window's right edge.
  hl::MouseMoveAt(500, 100, -50);
  hl::MouseButtonAt(600, 0, true);
  hl::MouseButtonAt(650, 0, false);
  hl::MouseMoveAt(800, 1000, 0);
  hl::KeyDownAt(1000, DIK_ESCAPE);
  char noArguments[] = "";
  int status = WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWNORMAL);
  std::printf("status %d\n", status);

  const hl::CapturedFrame* frame = hl::LastFrame();
  if (!frame) {
    std::printf("no frame\n");
    return 1;
  }
  int left = frame->width, top = frame->height, right = -1, bottom = -1;
  for (int y = 0; y < frame->height; ++y)
    for (int x = 0; x < frame->width; ++x) {
      uint32_t p = frame->pixels[static_cast<size_t>(y) * frame->width + x];
      int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (r > 200 && g > 150 && b < 80) {
        if (x < left) left = x;
        if (x > right) right = x;
        if (y < top) top = y;
        if (y > bottom) bottom = y;
      }
    }
  std::printf("frame %d %d\n", frame->width, frame->height);
  if (right < 0)
    std::printf("sprite none\n");
  else
    std::printf("sprite %d %d %d %d\n", left, top, right - left + 1, bottom - top + 1);

  const hl::AudioCapture& audio = hl::CapturedAudio();
  long first = -1, last = -1;
  if (audio.rate > 0 && audio.channels > 0) {
    size_t frames = audio.samples.size() / audio.channels;
    for (size_t i = 0; i < frames; ++i)
      for (int c = 0; c < audio.channels; ++c)
        if (std::abs(audio.samples[i * audio.channels + c]) > 1000) {
          long ms = static_cast<long>(i * 1000 / audio.rate);
          if (first < 0) first = ms;
          last = ms;
        }
  }
  std::printf("sound %ld %ld\n", first, last);
  return 0;
}
