// Debugger output: kept for tests to read and written to standard error.
#pragma once

#include <string>
#include <vector>

namespace platform::kernel {

void Debug(const char* text);
// The most recent lines written, oldest first (at most a few thousand are kept).
const std::vector<std::string>& DebugLines();
void ClearDebugLines();

}  // namespace platform::kernel
