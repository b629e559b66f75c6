// The effects demo program: the window, then the page the command line names
// (none or "effects": the effect copies and the screen fades).
#include <cstdio>
#include <cstring>

#include "effects_demo.h"
#include "platform/windows.h"

namespace {

LRESULT DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// The first word of the command line, at most size - 1 characters.
void FirstWord(const char* line, char* word, size_t size) {
  size_t n = 0;
  while (line && *line == ' ') ++line;
  while (line && line[n] && line[n] != ' ' && n + 1 < size) {
    word[n] = line[n];
    ++n;
  }
  word[n] = '\0';
}

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  char page[32];
  FirstWord(commandLine, page, sizeof page);

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

  int status;
  if (page[0] == '\0' || strcmp(page, "effects") == 0) {
    status = RunEffectsPage(instance, window);
  } else {
    fprintf(stderr, "effects_demo: no page \"%s\" (pages: effects)\n", page);
    status = 2;
  }
  DestroyWindow(window);
  return status;
}
