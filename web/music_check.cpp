// SPDX-License-Identifier: MIT
// A second program for the page (page.js?program=music_check): plays a MIDI
// file through the media layer's Music and tells the page when the sequencer's
// completion notice comes, so that the browser tests hear the synthesizer.
#include <emscripten.h>

#include "media/music.h"
#include "platform/windows.h"

namespace {

void Tell(const char* what) {
  EM_ASM({ if (Module['rallexPage'] && Module['rallexPage'].trace) Module['rallexPage'].trace(UTF8ToString($0)); },
         what);
}

LRESULT Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == MM_MCINOTIFY) {
    Tell(wParam == MCI_NOTIFY_SUCCESSFUL ? "music ended" : "music notice");
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = "MusicCheck";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "MusicCheck", "Music check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240,
                                nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  Music music(window);
  Tell(music.Start("music.mid") ? "music started" : "music refused");
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
