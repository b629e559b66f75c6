// SPDX-License-Identifier: MIT
// The process entry: runs the program's WinMain with the program's module handle
// and the command line it was given, and returns its exit status.
#include <string>

#include "platform/windows.h"

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
