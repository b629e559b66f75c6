// SPDX-License-Identifier: MIT
// The program's resources: a table of (name, type, bytes) compiled into the
// program by the build's rallex_add_resources() and registered at start-up.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::kernel {

struct ResourceEntry {
  const char* name;       // "APPICON", or "#123" for an integer id
  const char* type;       // "#2" for RT_BITMAP etc., or a custom type like "WAV"
  const unsigned char* data;
  size_t size;
};

// Adds entries (kept by pointer; they must live for the whole run).
void RegisterResources(const ResourceEntry* entries, size_t count);

}  // namespace platform::kernel
