// SPDX-License-Identifier: MIT
// Alpha-mask reader on arbitrary bytes. The first two bytes choose the size of
// the image the mask is read for, so that matching headers are reached.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "media/internal/image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  int32_t width = data[0] % 64;
  int32_t height = data[1] % 64;
  FILE* f = fmemopen(const_cast<uint8_t*>(data + 2), size - 2, "rb");
  if (!f) return 0;
  uint8_t* mask = ReadAlphaMask(f, width, height);
  if (mask) {
    unsigned sum = 0;
    for (int32_t i = 0; i < width * height; ++i) sum += mask[i];
    if (sum == 0xFFFFFFFFu) fputc(0, stderr);
    delete[] mask;
  }
  fclose(f);
  return 0;
}
