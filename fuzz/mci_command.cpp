// SPDX-License-Identifier: MIT
// Fuzzes the MCI command interpreter and the MIDI file reader behind it. The
// input is command lines, then a NUL, then the bytes of the file fuzz.mid that
// the commands may open. Each input ends with "close all".
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/headless.h"
#include "platform/windows.h"

namespace {

HWND Window() {
  static HWND window = [] {
    platform::headless::Reset();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "FuzzMci";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "FuzzMci", "fuzz", WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
  }();
  return window;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HWND window = Window();
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t nul = input.find('\0');
  std::string commands = input.substr(0, nul);
  // "wait" would hold the fuzzer for the whole length of whatever song it made.
  for (size_t i = 0; i + 4 <= commands.size(); ++i)
    if (strncasecmp(commands.c_str() + i, "wait", 4) == 0) return -1;
  if (nul != std::string::npos) {
    FILE* f = fopen("fuzz.mid", "wb");
    if (!f) return 0;
    fwrite(input.data() + nul + 1, 1, size - nul - 1, f);
    fclose(f);
  }
  size_t at = 0;
  while (at <= commands.size()) {
    size_t end = commands.find('\n', at);
    if (end == std::string::npos) end = commands.size();
    std::string line = commands.substr(at, end - at);
    at = end + 1;
    char answer[64];
    UINT length = line.empty() ? 0 : static_cast<UINT>(static_cast<unsigned char>(line[0]) % 65);
    mciSendStringA(line.c_str(), length ? answer : nullptr, length, window);
    platform::headless::AdvanceTime(20);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  mciSendStringA("close all", nullptr, 0, nullptr);
  return 0;
}
