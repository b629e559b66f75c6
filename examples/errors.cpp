// SPDX-License-Identifier: MIT
// errors: error boxes, and surfaces lost and brought back.
//
// Error boxes: a picture that cannot be loaded is reported in a warning box
// and the program goes on with a stand-in; F shows FatalError's box, after
// which the program ends (FatalError posts the quit message).
//
// Lost surfaces: when another program takes the display (here: when this
// full-screen program loses the focus), the surfaces in video memory and the
// display's own buffers lose their pixels. Flip then answers
// DDERR_SURFACELOST and brings the display's buffers back itself; a copy from
// a lost surface brings that surface back, and a surface loaded from a file
// gets its picture again. A surface the program drew itself comes back
// blank: the program asks IsLost each frame and draws it again. The screen
// shows how often that happened and the last error's name.
#include "example.h"
#include "media/errors.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
bool fatalAsked = false;

void OnMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_KEYDOWN && wParam == 'F') fatalAsked = true;
}

// Diagonal stripes, drawn into the surface by the program.
void DrawStripes(Screen& screen, Surface& stripes) {
  stripes.Fill(screen.ColorToPixel(RGB(40, 90, 200), &stripes));
  if (stripes.Lock() != DD_OK) return;
  for (int i = -stripes.Height; i < stripes.Width; i += 16)
    stripes.DrawLine(i, 0, i + stripes.Height, stripes.Height, screen.ColorToPixel(RGB(255, 255, 255), &stripes));
  stripes.Unlock();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = example::OpenWindow(instance, "Rallex example: errors", kWidth, kHeight, true);
  if (!window) return 1;
  Screen screen(window, kWidth, kHeight, 16, 0);
  if (!screen.GetBack() || !screen.GetBack()->ddSurface) {
    FatalError(&screen, "Cannot open the display at %d x %d x %d", kWidth, kHeight, 16);
    return 1;
  }
  screen.GetBack()->MakeFont("Arial", 0, 16, 400);

  // A missing file: a warning, then a stand-in.
  Surface picture;
  if (!picture.Load(&screen, "missing.bmp", VideoMemory)) {
    MessageBoxA(window, "Cannot load missing.bmp; sprite.bmp stands in for it.", "Rallex example",
                MB_OK | MB_ICONWARNING);
    picture.Load(&screen, "sprite.bmp", VideoMemory);
  }
  picture.SetColorKeyFromTopLeft();
  Surface stripes(&screen, 200, 120, VideoMemory);
  DrawStripes(screen, stripes);

  example::onMessage = OnMessage;
  int redrawn = 0;
  HRESULT lastError = DD_OK;
  while (example::PumpMessages()) {
    if (fatalAsked) {
      fatalAsked = false;
      FatalError(&screen, "You pressed F: the program ends here.");
    }
    // The program's own drawing must be made again after a loss.
    if (stripes.ddSurface && stripes.ddSurface->IsLost() == DDERR_SURFACELOST) {
      stripes.Restore();
      DrawStripes(screen, stripes);
      ++redrawn;
    }
    Surface* back = screen.GetBack();
    back->Fill(screen.ColorToPixel(RGB(50, 20, 20)));
    stripes.DrawFastClipped(back, 40, 120, RECT{0, 0, 200, 120});
    picture.DrawFastKeyedClipped(back, 320, 160, RECT{0, 0, picture.Width, picture.Height});
    if (back->GetDC()) {
      back->SelectFont();
      char line[120];
      std::snprintf(line, sizeof line, "stripes drawn again %d times; last error from Flip: %s", redrawn,
                    lastError == DD_OK ? "none" : DirectDrawErrorName(lastError));
      back->DrawTextAt(20, 20, RGB(255, 255, 255), line);
      // The long description of the result, wrapped to the window.
      RECT box = {20, 44, 620, 100};
      if (lastError != DD_OK) back->DrawTextInRect(DirectXErrorText(lastError), RGB(255, 200, 160), &box);
      back->DrawTextAt(20, 420, RGB(200, 200, 200), "Switch away and back to lose the surfaces; F: a fatal error");
      back->ReleaseDC();
    }
    HRESULT result = screen.Flip(1, 0, 0);
    if (result != DD_OK) lastError = result;
  }
  return 0;
}
