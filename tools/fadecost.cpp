// SPDX-License-Identifier: MIT
// Measures what a palette fade costs on the real (SDL) backend: a full-screen
// 800 x 600 x 8 display showing all 256 colours fades out with 10 ms steps
// (83 steps, waiting by polling timeGetTime as the fade does), and the program
// prints the fade's wall time beside the processor time it used. Then 83 waits
// of 10 ms done the same way are timed one by one against the system's
// monotonic clock, to show how close each ends to its millisecond.
//
//   fadecost [delay]   the step delay in milliseconds (10 by default)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "media/screen.h"
#include "media/surface.h"
#include "platform/windows.h"
#include "measure.h"

namespace {

LRESULT Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  int delay = commandLine && *commandLine ? atoi(commandLine) : 10;
  if (delay <= 0) delay = 10;
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = "FadeCost";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "FadeCost", "fadecost", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 1;
  Screen screen(window, 800, 600, 8, 0);
  Surface* front = screen.GetFront();
  if (!front || !front->ddSurface) {
    fprintf(stderr, "fadecost: cannot open 800 x 600 x 8\n");
    return 1;
  }
  // Sixteen bands of sixteen colours, all of the palette on the screen.
  for (int i = 0; i < 256; ++i) front->FillRect((i % 16) * 50, (i / 16) * 37, (i % 16) * 50 + 50, (i / 16) * 37 + 37, i);
  screen.GreyPalette();

  double wall = WallSeconds(), cpu = CpuSeconds();
  screen.FadePaletteOut(static_cast<uint32_t>(delay));
  wall = WallSeconds() - wall;
  cpu = CpuSeconds() - cpu;
  printf("palette fade, 83 x %d ms: wall %.1f ms (%.2f ms a step), processor %.1f ms (%.1f%% of one core)\n", delay,
         wall * 1e3, wall * 1e3 / 83, cpu * 1e3, 100 * cpu / wall);

  // The waits alone: each notes the clock and polls it until delay ms passed.
  double shortest = 1e9, longest = 0;
  cpu = CpuSeconds();
  wall = WallSeconds();
  for (int step = 0; step < 83; ++step) {
    double begun = WallSeconds();
    DWORD start = timeGetTime();
    while (timeGetTime() - start < static_cast<DWORD>(delay)) {
    }
    double took = (WallSeconds() - begun) * 1e3;
    shortest = std::min(shortest, took);
    longest = std::max(longest, took);
  }
  wall = WallSeconds() - wall;
  cpu = CpuSeconds() - cpu;
  printf("polled waits, 83 x %d ms: each %.2f to %.2f ms; processor %.1f ms of %.1f ms (%.1f%% of one core)\n", delay,
         shortest, longest, cpu * 1e3, wall * 1e3, 100 * cpu / wall);
  DestroyWindow(window);
  return 0;
}
