// SPDX-License-Identifier: MIT
// Fuzzes the MIDI file reader with the input as a file, bare or in a RIFF
// "RMID" form. The input is also wrapped in an RMID form's "data" chunk and
// read again: the two readings must agree. What the reader hands out must hold
// together (events in time order within the song's length, system-exclusive
// bodies inside the song's store), or the target aborts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "winmm/midi_file.h"

namespace {

using platform::midi::Song;

void Check(const Song& song) {
  uint64_t last = 0;
  for (const auto& e : song.events) {
    if (e.micros < last || e.micros > song.lengthMicros) abort();
    last = e.micros;
    if (e.status < 0x80) abort();
    if (e.status == 0xF0 && (static_cast<uint64_t>(e.sysexOffset) + e.sysexLength > song.sysex.size())) abort();
  }
}

bool SameSong(const Song& a, const Song& b) {
  if (a.lengthMicros != b.lengthMicros || a.events.size() != b.events.size() || a.sysex != b.sysex) return false;
  for (size_t i = 0; i < a.events.size(); ++i) {
    const auto& x = a.events[i];
    const auto& y = b.events[i];
    if (x.micros != y.micros || x.status != y.status || x.data1 != y.data1 || x.data2 != y.data2 ||
        x.sysexOffset != y.sysexOffset || x.sysexLength != y.sysexLength)
      return false;
  }
  return true;
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return -1;
  // An allocation of exactly the input's size, so that the sanitizer sees any
  // read past its end.
  std::vector<uint8_t> bytes(data, data + size);
  Song bare;
  bool bareOk = platform::midi::ParseSong(bytes.empty() ? nullptr : bytes.data(), bytes.size(), bare);
  if (bareOk) Check(bare);

  // RIFF, size, "RMID", then the input as the "data" chunk, padded to even.
  // An input that is itself a RIFF form is not a Standard MIDI File inside.
  if (size >= 4 && memcmp(data, "RIFF", 4) == 0) return 0;
  std::vector<uint8_t> wrapped = {'R', 'I', 'F', 'F'};
  PutLe32(wrapped, static_cast<uint32_t>(4 + 8 + size + (size & 1)));
  wrapped.insert(wrapped.end(), {'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'});
  PutLe32(wrapped, static_cast<uint32_t>(size));
  wrapped.insert(wrapped.end(), data, data + size);
  if (size & 1) wrapped.push_back(0);
  Song inner;
  bool innerOk = platform::midi::ParseSong(wrapped.data(), wrapped.size(), inner);
  if (innerOk != bareOk) abort();
  if (innerOk && !SameSong(bare, inner)) abort();
  return 0;
}
