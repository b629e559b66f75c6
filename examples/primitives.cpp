// SPDX-License-Identifier: MIT
// primitives: lines, boxes and circles drawn into the locked back buffer, and
// text drawn through GDI onto its device context.
//
// The primitives take raw pixel values (ColorToPixel makes one from a colour)
// and need the surface locked; they are clipped to its ClipRect. GDI text
// needs the surface's device context instead (GetDC ... ReleaseDC) and takes
// COLORREFs; MakeFont makes the font that SelectFont puts into the context.
// A surface is never locked and in GDI's hands at once.
#include "example.h"
#include "media/screen.h"
#include "media/surface.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

void DrawShapes(Screen& screen, Surface* back, int turn) {
  auto colour = [&](int r, int g, int b) { return screen.ColorToPixel(RGB(r, g, b)); };
  // A fan of lines, plain on the left and anti-aliased on the right; it turns
  // by one step a frame.
  for (int i = 0; i < 12; ++i) {
    int x = 20 + (i * 11 + turn) % 130, y = 180 - (i * 7 + turn) % 130;
    back->DrawLine(20, 180, x + 20, y - 40, colour(255, 220, 80));
    back->DrawLineAA(180, 180, x + 180, y - 40, colour(255, 220, 80));
  }
  back->DrawHLine(20, 320, 200, colour(255, 255, 255));
  back->DrawVLine(40, 200, 330, colour(255, 255, 255));

  back->DrawBox(360, 40, 460, 120, colour(80, 200, 255));
  back->DrawRoundedBox(480, 40, 620, 120, 16, colour(80, 255, 120));
  back->DrawCircle(410, 190, 50, colour(255, 120, 80));
  back->FillCircle(550, 190, 50, colour(200, 80, 255));

  // BlendPixel mixes a colour into what is there by a weight (0..256).
  for (int x = 0; x < 256; ++x)
    for (int y = 260; y < 280; ++y) back->BlendPixel(360 + x, y, colour(255, 255, 255), static_cast<uint32_t>(x));
}

void DrawText(Surface* back) {
  if (!back->GetDC()) return;
  back->MakeFont("Arial", 0, 28, 700);  // 28 pixels high, bold
  back->SelectFont();
  back->DrawTextAt(20, 220, RGB(255, 255, 255), "Lines, boxes, circles");
  back->MakeFont("Arial", 0, 16, 400);
  back->SelectFont();
  back->DrawTextAt(360, 290, RGB(200, 200, 200), "BlendPixel, weight 0 to 255");
  // Text wrapped at word breaks inside a rectangle; the height used comes back.
  RECT box = {20, 340, 320, 460};
  back->DrawTextInRect(
      "DrawTextInRect breaks a paragraph into lines at its spaces, so that it fits the width of the "
      "rectangle it is given, and answers the height it used.",
      RGB(255, 240, 160), &box);
  back->ReleaseDC();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = example::OpenWindow(instance, "Rallex example: primitives and text", kWidth, kHeight, false);
  Screen screen;
  if (!window || !screen.CreateWindowed(window, kWidth, kHeight)) return 1;
  Surface* back = screen.GetBack();
  const DWORD backdrop = screen.ColorToPixel(RGB(24, 24, 48));
  for (int turn = 0; example::PumpMessages(); ++turn) {
    back->Fill(backdrop);
    if (back->Lock() == DD_OK) {
      DrawShapes(screen, back, turn);
      back->Unlock();
    }
    DrawText(back);
    screen.Flip(1, 0, 0);
  }
  return 0;
}
