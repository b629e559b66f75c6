// SPDX-License-Identifier: MIT
// Files the page serves beside the program, fetched into the program's own
// file system when first needed (fonts, the sound font), so that the page does
// not load what a program never asks for.
#pragma once

#include <string>

namespace platform::web {

// Fetches `url` (relative to the page) into `path` unless `path` is there
// already; true when `path` is there afterwards. Suspends the program while
// the page loads it.
bool FetchIntoFile(const std::string& url, const std::string& path);

}  // namespace platform::web
