// SPDX-License-Identifier: MIT
// A Standard MIDI File parsed into one time-ordered event list, for the
// sequencer to play.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::midi {

struct Event {
  uint64_t micros = 0;     // from the start of the song
  uint8_t status = 0;      // 0x80..0xEF channel message, 0xF0 system exclusive
  uint8_t data1 = 0;
  uint8_t data2 = 0;
  uint32_t sysexOffset = 0;  // into Song::sysex, for 0xF0
  uint32_t sysexLength = 0;
};

struct Song {
  std::vector<Event> events;
  std::vector<uint8_t> sysex;  // bodies of system-exclusive messages (without F0 and F7)
  uint64_t lengthMicros = 0;   // the end of the longest track
};

// Parses a Standard MIDI File of format 0 or 1, bare or in a RIFF "RMID"
// wrapper. False when the bytes are not such a file.
bool ParseSong(const uint8_t* data, size_t size, Song& song);

}  // namespace platform::midi
