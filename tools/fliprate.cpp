// SPDX-License-Identifier: MIT
// Opens the display full-screen at 800 x 600 x 16 through DirectDraw on the real
// (SDL) backend and flips with DDFLIP_WAIT for a while, then prints the flips a
// second and the processor time the program used, as a share of one core.
//
//   fliprate [seconds]            flip for that many seconds (10 by default)
//   fliprate --picture [seconds]  show a test picture (colour bars, a grid of
//                                 rectangles, a frame at the edges) instead,
//                                 flipping it for that long (5 by default)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/ddraw.h"
#include "platform/windows.h"
#include "measure.h"

namespace {

LRESULT Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void FillRect(IDirectDrawSurface4* s, int l, int t, int r, int b, DWORD color) {
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = color;
  RECT rect{l, t, r, b};
  s->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

DWORD Rgb565(int r, int g, int b) { return static_cast<DWORD>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)); }

void Picture(IDirectDrawSurface4* s) {
  FillRect(s, 0, 0, 800, 600, Rgb565(40, 40, 40));
  const int bars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                          {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
  for (int i = 0; i < 8; ++i) FillRect(s, i * 100, 0, i * 100 + 100, 200, Rgb565(bars[i][0], bars[i][1], bars[i][2]));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      FillRect(s, 20 + x * 95, 230 + y * 85, 95 + x * 95, 300 + y * 85, Rgb565(x * 36, y * 85, 255 - x * 36));
  // A one-pixel white frame round the edge shows that nothing is cut off.
  FillRect(s, 0, 0, 800, 1, 0xFFFF);
  FillRect(s, 0, 599, 800, 600, 0xFFFF);
  FillRect(s, 0, 0, 1, 600, 0xFFFF);
  FillRect(s, 799, 0, 800, 600, 0xFFFF);
}

}  // namespace

int main(int argc, char** argv) {
  bool picture = argc > 1 && strcmp(argv[1], "--picture") == 0;
  const char* secondsArg = picture ? (argc > 2 ? argv[2] : nullptr) : (argc > 1 ? argv[1] : nullptr);
  double seconds = secondsArg ? atof(secondsArg) : (picture ? 5 : 10);

  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = "FlipRate";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "FlipRate", "fliprate", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                nullptr, nullptr);
  IDirectDraw* first = nullptr;
  IDirectDraw4* dd = nullptr;
  if (!window || DirectDrawCreate(nullptr, &first, nullptr) != DD_OK ||
      first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd)) != S_OK) {
    fprintf(stderr, "fliprate: no display\n");
    return 1;
  }
  first->Release();
  if (dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT) != DD_OK ||
      dd->SetDisplayMode(800, 600, 16, 0, 0) != DD_OK) {
    fprintf(stderr, "fliprate: cannot set 800 x 600 x 16\n");
    return 1;
  }
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.dwBackBufferCount = 1;
  IDirectDrawSurface4* front = nullptr;
  IDirectDrawSurface4* back = nullptr;
  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  if (dd->CreateSurface(&desc, &front, nullptr) != DD_OK || front->GetAttachedSurface(&caps, &back) != DD_OK) {
    fprintf(stderr, "fliprate: no flipping chain\n");
    return 1;
  }

  // Let the window settle before measuring.
  for (int i = 0; i < 30; ++i) {
    Pump();
    front->Flip(nullptr, DDFLIP_WAIT);
  }
  double start = WallSeconds(), cpuStart = CpuSeconds();
  long flips = 0;
  while (WallSeconds() - start < seconds) {
    Pump();
    if (back->IsLost() == DDERR_SURFACELOST) front->Restore();
    if (picture)
      Picture(back);
    else
      FillRect(back, 0, 0, 800, 600, Rgb565((flips * 4) & 255, 64, 128));
    if (front->Flip(nullptr, DDFLIP_WAIT) == DD_OK) ++flips;
  }
  double wall = WallSeconds() - start, cpu = CpuSeconds() - cpuStart;
  printf("flips with DDFLIP_WAIT: %ld in %.2f s = %.2f a second; processor time %.2f s = %.1f%% of one core\n", flips,
         wall, static_cast<double>(flips) / wall, cpu, 100.0 * cpu / wall);
  back->Release();
  front->Release();
  dd->Release();
  DestroyWindow(window);
  return 0;
}
