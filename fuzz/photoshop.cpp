// SPDX-License-Identifier: MIT
// Photoshop decoder on arbitrary bytes: must end, fail cleanly and never read
// or write outside its buffers.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "media/internal/image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!f) return 0;
  PhotoshopImage image;
  if (DecodePhotoshop(f, image)) {
    // Touch every decoded byte so that a short buffer shows.
    size_t n = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4;
    unsigned sum = 0;
    for (size_t i = 0; i < n; ++i) sum += image.pixels[i];
    if (sum == 0xFFFFFFFFu) fputc(0, stderr);
  }
  fclose(f);
  return 0;
}
