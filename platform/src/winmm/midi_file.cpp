// SPDX-License-Identifier: MIT
#include "winmm/midi_file.h"

#include <algorithm>
#include <cstring>

namespace platform::midi {
namespace {

constexpr uint64_t kDefaultTempo = 500000;  // microseconds per quarter note
// Songs longer than a day are taken for damaged files.
constexpr double kLongestMicros = 24.0 * 3600 * 1e6;

uint32_t Be32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

// Reads a variable-length quantity of at most four bytes.
bool ReadVlq(const uint8_t*& p, const uint8_t* end, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (p >= end) return false;
    uint8_t b = *p++;
    value = value << 7 | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return false;
}

struct TickEvent {
  uint64_t tick;
  uint32_t order;  // file order, to keep simultaneous events in sequence
  Event event;
};

struct TempoChange {
  uint64_t tick;
  uint32_t order;
  uint32_t microsPerQuarter;
};

// Parses one track's events into events and tempos; returns false on bytes
// that are not MIDI. endTick receives the tick where the track ends.
bool ParseTrack(const uint8_t* p, const uint8_t* end, std::vector<TickEvent>& events, std::vector<TempoChange>& tempos,
                std::vector<uint8_t>& sysex, uint64_t& endTick, uint32_t& order) {
  uint64_t tick = 0;
  uint8_t running = 0;
  while (p < end) {
    uint32_t delta;
    if (!ReadVlq(p, end, delta)) return false;
    tick += delta;
    if (p >= end) return false;
    uint8_t status = *p;
    if (status & 0x80) {
      ++p;
    } else {
      if (!running) return false;  // a data byte with no status to run on
      status = running;
    }
    if (status == 0xFF) {
      if (p >= end) return false;
      uint8_t type = *p++;
      uint32_t length;
      if (!ReadVlq(p, end, length) || length > static_cast<size_t>(end - p)) return false;
      if (type == 0x51 && length >= 3)
        tempos.push_back({tick, order++, static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2]});
      p += length;
      if (type == 0x2F) break;  // end of track
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {
      running = 0;
      uint32_t length;
      if (!ReadVlq(p, end, length) || length > static_cast<size_t>(end - p)) return false;
      if (status == 0xF0) {
        uint32_t body = length;
        if (body > 0 && p[body - 1] == 0xF7) --body;
        TickEvent e{tick, order++, {}};
        e.event.status = 0xF0;
        e.event.sysexOffset = static_cast<uint32_t>(sysex.size());
        e.event.sysexLength = body;
        sysex.insert(sysex.end(), p, p + body);
        events.push_back(e);
      }
      p += length;
      continue;
    }
    if (status >= 0xF0) return false;  // system common and real-time bytes do not belong in a file
    running = status;
    int dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
    if (end - p < dataBytes) return false;
    TickEvent e{tick, order++, {}};
    e.event.status = status;
    e.event.data1 = p[0] & 0x7F;
    e.event.data2 = dataBytes == 2 ? (p[1] & 0x7F) : 0;
    p += dataBytes;
    events.push_back(e);
  }
  endTick = tick;
  return true;
}

}  // namespace

bool ParseSong(const uint8_t* data, size_t size, Song& song) {
  song = Song{};
  if (!data) return false;
  // RIFF MIDI: the file sits in the "data" chunk of a "RMID" form.
  if (size >= 12 && memcmp(data, "RIFF", 4) == 0 && memcmp(data + 8, "RMID", 4) == 0) {
    // Chunks are padded to an even length. A last chunk of odd length may
    // lack its pad byte, so the next chunk's place is capped at the end of the
    // bytes: at never passes size, and size - at cannot wrap.
    size_t at = 12;
    const uint8_t* inner = nullptr;
    size_t innerSize = 0;
    while (size - at >= 8) {
      uint32_t length = Le32(data + at + 4);
      size_t available = size - at - 8;
      if (memcmp(data + at, "data", 4) == 0) {
        inner = data + at + 8;
        innerSize = std::min<size_t>(length, available);
        break;
      }
      if (length > available) return false;
      at += 8 + static_cast<size_t>(length);
      if ((length & 1) && at < size) ++at;
    }
    if (!inner) return false;
    data = inner;
    size = innerSize;
  }
  if (size < 14 || memcmp(data, "MThd", 4) != 0) return false;
  uint32_t headerLength = Be32(data + 4);
  if (headerLength < 6 || headerLength > size - 8) return false;
  uint16_t format = Be16(data + 8);
  uint16_t division = Be16(data + 12);
  if (format > 1 || division == 0) return false;

  std::vector<TickEvent> events;
  std::vector<TempoChange> tempos;
  uint64_t endTick = 0;
  uint32_t order = 0;
  size_t at = 8 + headerLength;
  int tracks = 0;
  while (size - at >= 8) {
    uint32_t length = Be32(data + at + 4);
    const uint8_t* body = data + at + 8;
    size_t available = size - at - 8;
    bool isTrack = memcmp(data + at, "MTrk", 4) == 0;
    if (length > available) {
      if (!isTrack) break;
      length = static_cast<uint32_t>(available);  // a cut-off last track plays as far as it goes
    }
    if (isTrack) {
      uint64_t trackEnd = 0;
      if (!ParseTrack(body, body + length, events, tempos, song.sysex, trackEnd, order)) return false;
      endTick = std::max(endTick, trackEnd);
      ++tracks;
    }
    at += 8 + static_cast<size_t>(length);
  }
  if (tracks == 0) return false;

  std::stable_sort(events.begin(), events.end(), [](const TickEvent& a, const TickEvent& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  std::stable_sort(tempos.begin(), tempos.end(), [](const TempoChange& a, const TempoChange& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });

  // Ticks to microseconds through the tempo map; SMPTE divisions have a fixed
  // tick length.
  double smpteTick = 0;
  if (division & 0x8000) {
    int fps = -static_cast<int8_t>(division >> 8);
    int perFrame = division & 0xFF;
    if (fps <= 0 || perFrame == 0) return false;
    double rate = fps == 29 ? 29.97 : fps;
    smpteTick = 1e6 / (rate * perFrame);
  }
  const double ppq = division & 0x8000 ? 1 : division;
  size_t nextTempo = 0;
  uint64_t segmentTick = 0;
  double segmentMicros = 0;
  double tempo = kDefaultTempo;
  auto micros = [&](uint64_t tick) -> double {
    if (smpteTick > 0) return static_cast<double>(tick) * smpteTick;
    while (nextTempo < tempos.size() && tempos[nextTempo].tick <= tick) {
      segmentMicros += static_cast<double>(tempos[nextTempo].tick - segmentTick) * tempo / ppq;
      segmentTick = tempos[nextTempo].tick;
      tempo = tempos[nextTempo].microsPerQuarter ? tempos[nextTempo].microsPerQuarter : kDefaultTempo;
      ++nextTempo;
    }
    return segmentMicros + static_cast<double>(tick - segmentTick) * tempo / ppq;
  };
  song.events.reserve(events.size());
  for (const TickEvent& e : events) {
    double at = micros(e.tick);
    if (at > kLongestMicros) return false;
    song.events.push_back(e.event);
    song.events.back().micros = static_cast<uint64_t>(at);
  }
  double length = micros(endTick);
  if (length > kLongestMicros) return false;
  song.lengthMicros = static_cast<uint64_t>(length);
  if (!song.events.empty()) song.lengthMicros = std::max(song.lengthMicros, song.events.back().micros);
  return true;
}

}  // namespace platform::midi
