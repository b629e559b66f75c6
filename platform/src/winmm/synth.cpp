// SPDX-License-Identifier: MIT
#include "winmm/synth.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "backend/backend.h"
#include "hooks/hooks.h"

namespace platform::midi {
namespace {
// How long the synthesiser is still heard after a stop (release and reverb).
constexpr int kTailSeconds = 3;

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
