// SPDX-License-Identifier: MIT
// Resource library on arbitrary bytes, in both layouts: open it, walk the
// directory, read every entry in place as a bitmap (current layout) or extract
// every named entry (older layout). Works in a private directory, since the
// library writes "RESLIB.TMP" into the working directory.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/internal/image_decode.h"
#include "media/library.h"

namespace {
const char* WorkDir() {
  static std::string dir = [] {
    char pattern[] = "/tmp/rallex_fuzz_library_XXXXXX";
    char* made = mkdtemp(pattern);
    if (!made || chdir(made) != 0) abort();
    return std::string(made);
  }();
  return dir.c_str();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WorkDir();
  FILE* f = fopen("input.lib", "wb");
  if (!f) return 0;
  if (size > 0) fwrite(data, 1, size, f);
  fclose(f);

  ResourceLibrary library;
  if (!library.Open("input.lib")) return 0;
  for (uint32_t i = 0; i < library.entryCount && i < 64; ++i) {
    int32_t index = static_cast<int32_t>(i);
    library.FindEntryById(library.entries[i].identifier);
    FILE* stream = library.SeekToEntry(index);
    if (!stream) continue;
    DibImage image;
    ReadBitmapStream(stream, library.EntrySize(index), image);
  }
  library.SeekToEntry(static_cast<int32_t>(library.entryCount));
  library.EntrySize(-1);
  for (uint32_t i = 0; i < library.directoryCount && i < 64; ++i) {
    char name[17] = {};
    for (int k = 0; k < 16; ++k) name[k] = library.directory[i].name[k];
    library.ExtractToTemp(name);
  }
  library.ExtractToTemp("missing.bmp");
  library.Close();
  return 0;
}
