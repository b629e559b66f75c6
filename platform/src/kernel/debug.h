// SPDX-License-Identifier: MIT
// Debugger output: kept for tests to read, and written to standard error only
// when the environment asks for it (RALLEX_DEBUG_OUTPUT=1).
#pragma once

#include <string>
#include <vector>

namespace platform::kernel {

constexpr const char* kShowDebugOutput = "RALLEX_DEBUG_OUTPUT";
bool DebugOutputShown();
void Debug(const char* text);

}  // namespace platform::kernel
