// SPDX-License-Identifier: MIT
// Fuzzes the file WAV loaders (by name and from an open stream) with arbitrary
// file contents.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "sound_fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Sound& sound = sound_fuzz::Device();
  static const std::string path = "wav_file_fuzz_" + std::to_string(getpid()) + ".wav";
  FILE* out = fopen(path.c_str(), "wb");
  if (!out) return 0;
  if (size) fwrite(data, 1, size, out);
  fclose(out);

  int32_t count = size ? static_cast<int32_t>(data[size / 2] % 4) - 1 : 1;
  SoundBuffer byName;
  if (byName.LoadFile(&sound, path.c_str(), count)) sound_fuzz::PlayAndMix(byName, data, size);
  byName.ReleaseBuffers();

  // The same bytes as a stream that starts a few bytes in.
  FILE* in = fopen(path.c_str(), "rb");
  if (!in) return 0;
  if (size > 0) fseek(in, static_cast<long>(data[0] % 8), SEEK_SET);
  SoundBuffer fromStream;
  if (fromStream.LoadStream(&sound, in, count)) sound_fuzz::PlayAndMix(fromStream, data, size);
  fclose(in);
  return 0;
}
