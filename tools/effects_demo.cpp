// SPDX-License-Identifier: MIT
// The effects demo: one full-screen window ("Rallex effects demo") and a page
// chosen by the first word of the command line:
//   effects (default)      16-bit: every effect copy side by side, then the
//                          screen fades out and in
//   palette [picture.bmp]  8-bit: a 256-colour picture shown with its own
//                          palette, faded out, to a colour and back
//   geometry               16-bit: mirrored, zoomed and resized sprites
// Escape or the close box ends a page.
#include "effects_demo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool running = true;
std::vector<std::string> words;

LRESULT DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) running = false;
      return 0;
    case WM_CLOSE:
    case WM_DESTROY:
      running = false;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

bool PumpDemoMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) running = false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return running;
}

const char* DemoArgument(int index) {
  size_t i = static_cast<size_t>(index) + 1;
  return i < words.size() ? words[i].c_str() : "";
}

void DemoSay(const char* line) {
  printf("%s\n", line);
  fflush(stdout);
}

unsigned DemoHoldMilliseconds() {
  const char* value = getenv("EFFECTS_DEMO_HOLD_MS");
  return value ? static_cast<unsigned>(strtoul(value, nullptr, 10)) : 0;
}

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  for (const char* p = commandLine ? commandLine : ""; *p;) {
    while (*p == ' ') ++p;
    const char* start = p;
    while (*p && *p != ' ') ++p;
    if (p > start) words.emplace_back(start, p);
  }
  std::string page = words.empty() ? "" : words[0];
  int (*run)(HINSTANCE, HWND) = nullptr;
  if (page.empty() || page == "effects") run = RunEffectsPage;
  if (page == "palette") run = RunPalettePage;
  if (page == "geometry") run = RunGeometryPage;
  if (!run) {
    fprintf(stderr, "effects_demo: unknown page \"%s\" (pages: effects, palette, geometry)\n", page.c_str());
    return 2;
  }

  WNDCLASSA wc{};
  wc.lpfnWndProc = DemoWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetStockObject(BLACK_BRUSH);
  wc.lpszClassName = "EffectsDemo";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "EffectsDemo", "Rallex effects demo", WS_VISIBLE | WS_POPUP, 0, 0, 800, 600,
                                nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, showCommand);
  int status = run(instance, window);
  DestroyWindow(window);
  return status;
}
