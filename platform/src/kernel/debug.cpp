// SPDX-License-Identifier: MIT
#include "kernel/debug.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hooks/hooks.h"
#include "platform/winbase.h"

namespace platform::kernel {
namespace {
constexpr size_t kKeptLines = 4096;
std::vector<std::string>& Lines() {
  static std::vector<std::string> lines;
  return lines;
}
}  // namespace

bool DebugOutputShown() {
  const char* shown = getenv(kShowDebugOutput);
  return shown && *shown && strcmp(shown, "0") != 0;
}

void Debug(const char* text) {
  if (!text) return;
  // A player never sees what a program writes for its developer's debugger.
  if (DebugOutputShown()) fputs(text, stderr);
  auto& lines = Lines();
  if (lines.size() >= kKeptLines) lines.erase(lines.begin(), lines.begin() + kKeptLines / 2);
  lines.emplace_back(text);
}

}  // namespace platform::kernel

namespace platform::hooks::kernel {
void Reset() { platform::kernel::Lines().clear(); }
const std::vector<std::string>& DebugLines() { return platform::kernel::Lines(); }
}  // namespace platform::hooks::kernel

void OutputDebugStringA(LPCSTR text) { platform::kernel::Debug(text); }

namespace {
thread_local DWORD lastError = 0;
}
DWORD GetLastError() { return lastError; }
void SetLastError(DWORD error) { lastError = error; }
