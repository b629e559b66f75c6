// SPDX-License-Identifier: MIT
// Fuzzes the memory WAV loader with images of known size: a header may claim
// anything, the loader must never read past the image.
#include "sound_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Sound& sound = sound_fuzz::Device();
  // An exact-size copy, so that any read past the image is caught.
  auto* image = new uint8_t[size ? size : 1];
  if (size) memcpy(image, data, size);
  int32_t count = size ? static_cast<int32_t>(data[0] % 4) - 1 : 1;
  SoundBuffer buffer;
  if (buffer.LoadMemory(&sound, image, static_cast<uint32_t>(size), count)) sound_fuzz::PlayAndMix(buffer, data, size);
  buffer.ReleaseBuffers();
  delete[] image;
  return 0;
}
