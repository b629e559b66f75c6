// SPDX-License-Identifier: MIT
// The process entry: runs the program's WinMain with the program's module handle
// and the command line it was given, and returns its exit status.
#include <string>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "platform/windows.h"

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  int status = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
#ifdef __EMSCRIPTEN__
  // In a browser the program's waits keep its runtime alive past the return
  // from main, so the page is told of the end here. (An exit would unwind
  // by throwing, through the browser's callback that resumed the program.)
  EM_ASM({ if (Module['onExit']) Module['onExit']($0); }, status);
#endif
  return status;
}
