// SPDX-License-Identifier: MIT
#include "winmm/midi.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "backend/backend.h"
#include "hooks/hooks.h"

namespace platform::midi {
namespace {

constexpr uint64_t kDefaultTempo = 500000;  // microseconds per quarter note
// Songs longer than a day are taken for damaged files.
constexpr double kLongestMicros = 24.0 * 3600 * 1e6;
// How long the synthesiser is still heard after a stop (release and reverb).
constexpr int kTailSeconds = 3;

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

// ---------------------------------------------------------------------------
// The synthesiser

namespace {
std::string& FontPathSetting() {
  static std::string path = [] {
    const char* env = getenv("RALLEX_SOUNDFONT");
    return std::string(env && *env ? env : "/usr/share/sounds/sf2/default-GM.sf2");
  }();
  return path;
}

bool IsReadableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
}  // namespace

Synth& Synth::Get() {
  static Synth synth;
  return synth;
}

bool Synth::EnsureSynth(int rate) {
  const std::string& path = FontPathSetting();
  if (synth_ && synthRate_ == rate && fontPath_ == path) return true;
  if (synth_) {
    lib_->delete_synth(synth_);
    synth_ = nullptr;
  }
  if (settings_) {
    lib_->delete_settings(settings_);
    settings_ = nullptr;
  }
  fontPath_.clear();
  // The browser's page serves the sound font beside itself.
  backend::FetchDataFile("soundfonts", path);
  if (!IsReadableFile(path)) return false;
  // FluidSynth reports problems of the font on standard error; the open's
  // result is what counts here.
  lib_->set_log_function(FLUID_WARN, nullptr, nullptr);
  lib_->set_log_function(FLUID_INFO, nullptr, nullptr);
  lib_->set_log_function(FLUID_DBG, nullptr, nullptr);
  settings_ = lib_->new_settings();
  if (!settings_) return false;
  lib_->settings_setnum(settings_, "synth.sample-rate", rate);
  lib_->settings_setint(settings_, "synth.lock-memory", 0);
  // FluidSynth's default gain (0.2) leaves a General MIDI piece far quieter
  // than the wave line; 0.4 brings it near a sound card's level.
  lib_->settings_setnum(settings_, "synth.gain", 0.4);
  // Every call into the synthesiser is made under the mixer's lock.
  lib_->settings_setint(settings_, "synth.threadsafe-api", 0);
  synth_ = lib_->new_synth(settings_);
  if (!synth_ || lib_->sfload(synth_, path.c_str(), 1) == FLUID_FAILED) {
    if (synth_) lib_->delete_synth(synth_);
    synth_ = nullptr;
    lib_->delete_settings(settings_);
    settings_ = nullptr;
    return false;
  }
  synthRate_ = rate;
  fontPath_ = path;
  return true;
}

Synth::OpenResult Synth::Open() {
  auto& mixer = audio::Mixer::Get();
  if (users_ > 0) {
    ++users_;
    return OpenResult::Ok;
  }
  // What is missing is said once on standard error; the program hears of it
  // through the open's error.
  static bool toldLibrary = false, toldFont = false;
  std::string problem;
  if (!lib_) lib_ = backend::LoadSynthesizer(problem);
  if (!lib_) {
    if (!toldLibrary)
      fprintf(stderr, "%s: no MIDI synthesizer: %s (Debian's package libfluidsynth3)\n",
              program_invocation_short_name, problem.c_str());
    toldLibrary = true;
    return OpenResult::NoSynthesizer;
  }
  if (!mixer.Acquire()) return OpenResult::NoOutput;
  // The synthesiser is not on the music line yet, so it can be made without
  // the lock.
  if (!EnsureSynth(mixer.Rate())) {
    mixer.Release();
    if (!toldFont) {
      const std::string& path = FontPathSetting();
      fprintf(stderr, "%s: no General MIDI sound font can be loaded%s%s (Debian's package fluid-soundfont-gm)\n",
              program_invocation_short_name, path.empty() ? "" : " from ", path.c_str());
    }
    toldFont = true;
    return OpenResult::NoSoundFont;
  }
  {
    std::lock_guard<std::mutex> lock(mixer.Mutex());
    song_ = nullptr;
    playing_ = false;
    ended_ = false;
    tailFrames_ = 0;
    lib_->system_reset(synth_);
  }
  mixer.SetMusicSource(this);
  users_ = 1;
  return OpenResult::Ok;
}

void Synth::Close() {
  if (users_ == 0 || --users_ > 0) return;
  auto& mixer = audio::Mixer::Get();
  mixer.SetMusicSource(nullptr);
  {
    std::lock_guard<std::mutex> lock(mixer.Mutex());
    song_ = nullptr;
    playing_ = false;
  }
  mixer.Release();
}

uint64_t Synth::FrameOf(uint64_t micros) const {
  return static_cast<uint64_t>(static_cast<unsigned __int128>(micros) * static_cast<unsigned>(synthRate_) / 1000000u);
}

void Synth::Send(const Event& e) {
  int channel = e.status & 0x0F;
  switch (e.status & 0xF0) {
    case 0x80:
      lib_->noteoff(synth_, channel, e.data1);
      break;
    case 0x90:
      if (e.data2)
        lib_->noteon(synth_, channel, e.data1, e.data2);
      else
        lib_->noteoff(synth_, channel, e.data1);
      break;
    case 0xA0:
      lib_->key_pressure(synth_, channel, e.data1, e.data2);
      break;
    case 0xB0:
      lib_->cc(synth_, channel, e.data1, e.data2);
      break;
    case 0xC0:
      lib_->program_change(synth_, channel, e.data1);
      break;
    case 0xD0:
      lib_->channel_pressure(synth_, channel, e.data1);
      break;
    case 0xE0:
      lib_->pitch_bend(synth_, channel, e.data1 | e.data2 << 7);
      break;
    case 0xF0:
      if (song_ && e.sysexLength > 0)
        lib_->sysex(synth_, reinterpret_cast<const char*>(song_->sysex.data() + e.sysexOffset),
                          static_cast<int>(e.sysexLength), nullptr, nullptr, nullptr, 0);
      break;
    default:
      break;
  }
}

void Synth::Play(const Song* song, uint64_t fromMicros, uint64_t toMicros) {
  std::lock_guard<std::mutex> lock(audio::Mixer::Get().Mutex());
  if (!synth_) return;
  lib_->system_reset(synth_);
  song_ = song;
  toMicros = std::min(toMicros, song->lengthMicros);
  fromMicros = std::min(fromMicros, toMicros);
  // Everything but the notes before the start point sets the scene.
  size_t i = 0;
  for (; i < song->events.size() && song->events[i].micros < fromMicros; ++i) {
    uint8_t kind = song->events[i].status & 0xF0;
    if (kind != 0x80 && kind != 0x90 && kind != 0xA0) Send(song->events[i]);
  }
  next_ = i;
  frame_ = FrameOf(fromMicros);
  endFrame_ = FrameOf(toMicros);
  playing_ = true;
  ended_ = false;
  tailFrames_ = 0;
}

uint64_t Synth::Halt() {
  std::lock_guard<std::mutex> lock(audio::Mixer::Get().Mutex());
  if (playing_ && synth_) {
    lib_->all_notes_off(synth_, -1);
    tailFrames_ = static_cast<int64_t>(synthRate_) * kTailSeconds;
  }
  playing_ = false;
  ended_ = false;
  return synthRate_ ? frame_ * 1000000u / static_cast<unsigned>(synthRate_) : 0;
}

bool Synth::Playing() {
  std::lock_guard<std::mutex> lock(audio::Mixer::Get().Mutex());
  return playing_;
}

uint64_t Synth::Position() {
  std::lock_guard<std::mutex> lock(audio::Mixer::Get().Mutex());
  return synthRate_ ? frame_ * 1000000u / static_cast<unsigned>(synthRate_) : 0;
}

bool Synth::Ended() {
  std::lock_guard<std::mutex> lock(audio::Mixer::Get().Mutex());
  return ended_;
}

const Song* Synth::Current() {
  std::lock_guard<std::mutex> lock(audio::Mixer::Get().Mutex());
  return song_;
}

// Called by the mixer under its lock. Events are sent at their frame: the
// synthesiser renders up to the next event, the event goes out, and so on.
bool Synth::Render(float* left, float* right, int frames) {
  if (!synth_ || (!playing_ && tailFrames_ <= 0)) return false;
  int done = 0;
  while (done < frames) {
    int chunk = frames - done;
    if (playing_) {
      while (next_ < song_->events.size() && FrameOf(song_->events[next_].micros) <= frame_) Send(song_->events[next_++]);
      if (frame_ >= endFrame_) {
        playing_ = false;
        ended_ = true;
        lib_->all_notes_off(synth_, -1);
        tailFrames_ = static_cast<int64_t>(synthRate_) * kTailSeconds;
      } else {
        uint64_t until = endFrame_;
        if (next_ < song_->events.size()) until = std::min(until, FrameOf(song_->events[next_].micros));
        chunk = static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(chunk), until - frame_));
      }
    }
    lib_->write_float(synth_, chunk, left, done, 1, right, done, 1);
    done += chunk;
    if (playing_) {
      frame_ += static_cast<uint64_t>(chunk);
    } else {
      tailFrames_ -= chunk;
    }
  }
  if (!playing_ && tailFrames_ > 0 && lib_->get_active_voice_count(synth_) == 0) tailFrames_ = 0;
  return true;
}

}  // namespace platform::midi

namespace platform::hooks::winmm {
void SetSoundFontPath(const std::string& path) { platform::midi::FontPathSetting() = path; }
std::string SoundFontPath() { return platform::midi::FontPathSetting(); }
}  // namespace platform::hooks::winmm
