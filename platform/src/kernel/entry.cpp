// SPDX-License-Identifier: MIT
// The process entry: takes the platform's display options out of the command
// line, then runs the program's WinMain with the program's module handle and
// the rest of its command line, and returns its exit status.
#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/windows.h"
#include "backend/backend.h"
#include "presentation/settings.h"

#ifndef RALLEX_VERSION
#define RALLEX_VERSION "unknown"
#endif

int main(int argc, char** argv) {
  std::string program = program_invocation_short_name;
  platform::presentation::CommandLine line = platform::presentation::Choose(program, argc, argv);
  if (line.help) {
    fputs(platform::presentation::Usage(program).c_str(), stdout);
    return 0;
  }
  if (line.version) {
    printf("%s %s\n", program.c_str(), RALLEX_VERSION);
    return 0;
  }
  std::string commandLine;
  for (const std::string& arg : line.rest) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += arg;
  }
  int status = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
  platform::backend::ProgramEnded(status);
  return status;
}
