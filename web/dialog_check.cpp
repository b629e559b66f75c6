// SPDX-License-Identifier: MIT
// A program for the browser tests (page.js?program=dialog_check): asks a
// Yes/No question and then shows a plain message, telling the page each
// answer, so that the tests answer the page's dialogs by keyboard.
#include <emscripten.h>

#include "platform/windows.h"

namespace {

void Tell(const char* what) {
  EM_ASM({ if (Module['rallexPage'] && Module['rallexPage'].trace) Module['rallexPage'].trace(UTF8ToString($0)); },
         what);
}

const char* Name(int answer) {
  switch (answer) {
    case IDOK: return "ok";
    case IDYES: return "yes";
    case IDNO: return "no";
    default: return "other";
  }
}

}  // namespace

int WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Tell(Name(MessageBoxA(nullptr, "Play another game?", "Rallex", MB_YESNO)));
  Tell(Name(MessageBoxA(nullptr, "DirectDraw could not be set up.", "Error", MB_OK | MB_ICONSTOP)));
  return 0;
}
