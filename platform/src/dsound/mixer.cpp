// SPDX-License-Identifier: MIT
#include "dsound/mixer.h"

#include <algorithm>
#include <cmath>

#include "backend/backend.h"
#include "user/user_internal.h"

namespace platform::audio {
namespace {

// Frames mixed per pass; the callback's request is cut into blocks of this size
// so that the scratch buffers can live on the stack.
constexpr int kBlock = 256;
// The output the mixer asks for: 44.1 kHz stereo, 512 frames a period (about
// 12 ms, so a play request is heard within two periods).
constexpr int kWantedRate = 44100;
constexpr int kWantedFrames = 512;

inline float Sample8(const uint8_t* p) { return (static_cast<int>(p[0]) - 128) * (1.0f / 128.0f); }
inline float Sample16(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8))) * (1.0f / 32768.0f);
}

template <int Bits>
inline float SampleAt(const uint8_t* p) {
  if constexpr (Bits == 8) return Sample8(p);
  else return Sample16(p);
}

// Adds frames of one voice into left and right, resampled by linear
// interpolation between neighbouring source frames. A one-shot voice that runs
// past its last frame stops and rewinds; a looping one wraps, interpolating
// across the seam.
template <int Bits, int Channels>
void MixVoice(Voice& v, float* left, float* right, int frames) {
  constexpr uint32_t kBytes = Bits / 8;
  const uint8_t* data = v.data;
  const uint64_t end = static_cast<uint64_t>(v.frames) << 32;
  const uint32_t last = v.frames - 1;
  const uint32_t align = v.blockAlign;
  const uint64_t step = v.step;
  const float gl = v.gainLeft, gr = v.gainRight;
  uint64_t pos = v.position;
  for (int i = 0; i < frames; ++i) {
    if (pos >= end) {
      if (!v.looping) {
        v.playing = false;
        pos = 0;
        break;
      }
      pos %= end;
    }
    uint32_t index = static_cast<uint32_t>(pos >> 32);
    float frac = static_cast<float>(static_cast<uint32_t>(pos)) * (1.0f / 4294967296.0f);
    uint32_t next = index < last ? index + 1 : (v.looping ? 0 : last);
    const uint8_t* a = data + static_cast<size_t>(index) * align;
    const uint8_t* b = data + static_cast<size_t>(next) * align;
    if constexpr (Channels == 1) {
      float sa = SampleAt<Bits>(a), sb = SampleAt<Bits>(b);
      float s = sa + (sb - sa) * frac;
      left[i] += s * gl;
      right[i] += s * gr;
    } else {
      float la = SampleAt<Bits>(a), lb = SampleAt<Bits>(b);
      float ra = SampleAt<Bits>(a + kBytes), rb = SampleAt<Bits>(b + kBytes);
      left[i] += (la + (lb - la) * frac) * gl;
      right[i] += (ra + (rb - ra) * frac) * gr;
    }
    pos += step;
  }
  v.position = pos;
}

void MixAny(Voice& v, float* left, float* right, int frames) {
  if (v.frames == 0 || !v.data) {
    v.playing = false;
    return;
  }
  if (v.bits == 8) {
    if (v.channels == 1) MixVoice<8, 1>(v, left, right, frames);
    else MixVoice<8, 2>(v, left, right, frames);
  } else {
    if (v.channels == 1) MixVoice<16, 1>(v, left, right, frames);
    else MixVoice<16, 2>(v, left, right, frames);
  }
}

inline int16_t ToS16(float x) {
  float scaled = x * 32767.0f;
  if (scaled >= 32767.0f) return 32767;
  if (scaled <= -32768.0f) return -32768;
  return static_cast<int16_t>(std::lrintf(scaled));
}

inline float Clamp1(float x) { return x > 1.0f ? 1.0f : (x < -1.0f ? -1.0f : x); }

}  // namespace

Mixer& Mixer::Get() {
  static Mixer mixer;
  return mixer;
}

bool Mixer::Acquire() {
  std::lock_guard<std::mutex> open(openMutex_);
  if (users_ > 0) {
    ++users_;
    return true;
  }
  backend::AudioSpec wanted, obtained;
  wanted.rate = kWantedRate;
  wanted.channels = 2;
  wanted.bufferFrames = kWantedFrames;
  // The rate must be known before the first callback asks for frames.
  {
    std::lock_guard<std::mutex> lock(mutex_);
    rate_ = kWantedRate;
  }
  bool opened = backend::Instance().OpenAudio(wanted, &Mixer::Callback, this, obtained);
  if (opened && (obtained.rate <= 0 || obtained.channels != 2)) {
    backend::Instance().CloseAudio();
    opened = false;
  }
  if (!opened) {
    std::lock_guard<std::mutex> lock(mutex_);
    rate_ = 0;
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    rate_ = obtained.rate;
    deviceGone_ = false;  // a device just opened
    for (Voice* v : voices_) UpdateStep(*v);
  }
  users_ = 1;
  return true;
}

void Mixer::Release() {
  std::lock_guard<std::mutex> open(openMutex_);
  if (users_ == 0) return;
  if (--users_ > 0) return;
  // Not under mutex_: closing waits for a running callback, which takes it.
  backend::Instance().CloseAudio();
  std::lock_guard<std::mutex> lock(mutex_);
  rate_ = 0;
}

bool Mixer::IsOpen() {
  std::lock_guard<std::mutex> open(openMutex_);
  return users_ > 0;
}

int Mixer::Rate() {
  std::lock_guard<std::mutex> lock(mutex_);
  return rate_;
}

void Mixer::Add(Voice* voice) {
  std::lock_guard<std::mutex> lock(mutex_);
  UpdateStep(*voice);
  voices_.push_back(voice);
}

void Mixer::Remove(Voice* voice) {
  std::lock_guard<std::mutex> lock(mutex_);
  voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

void Mixer::UpdateStep(Voice& v) {
  uint32_t rate = v.frequency ? v.frequency : v.sampleRate;
  int out = rate_ > 0 ? rate_ : kWantedRate;
  v.step = (static_cast<uint64_t>(rate) << 32) / static_cast<uint64_t>(out);
}

void Mixer::LoseAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (Voice* v : voices_) {
    v->lost = true;
    v->playing = false;
  }
}

void Mixer::DeviceGone(bool gone) {
  if (gone) LoseAll();
  std::lock_guard<std::mutex> lock(mutex_);
  deviceGone_ = gone;
}

bool Mixer::DeviceGone() {
  std::lock_guard<std::mutex> lock(mutex_);
  return deviceGone_;
}

namespace {
// The backend's news of the output device, heard from the start of the process.
void OnEvent(const backend::Event& e, void*) {
  if (e.type == backend::Event::Type::AudioDeviceLost) Mixer::Get().DeviceGone(true);
  if (e.type == backend::Event::Type::AudioDeviceBack) Mixer::Get().DeviceGone(false);
}
struct Registration {
  Registration() { user::AddEventListener(&OnEvent, nullptr); }
} registration;
}  // namespace

void Mixer::SetWaveGain(float left, float right) {
  std::lock_guard<std::mutex> lock(mutex_);
  waveLeft_ = left;
  waveRight_ = right;
}

void Mixer::SetMusicGain(float left, float right) {
  std::lock_guard<std::mutex> lock(mutex_);
  musicLeft_ = left;
  musicRight_ = right;
}

void Mixer::SetMasterGain(float left, float right) {
  std::lock_guard<std::mutex> lock(mutex_);
  masterLeft_ = left;
  masterRight_ = right;
}

void Mixer::SetMusicSource(MusicSource* source) {
  std::lock_guard<std::mutex> lock(mutex_);
  music_ = source;
}

void Mixer::Callback(void* user, int16_t* out, int frames) { static_cast<Mixer*>(user)->Mix(out, frames); }

void Mixer::Mix(int16_t* out, int frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  while (frames > 0) {
    int n = std::min(frames, kBlock);
    MixBlock(out, n);
    out += 2 * n;
    frames -= n;
  }
}

void Mixer::MixBlock(int16_t* out, int frames) {
  float left[kBlock], right[kBlock];
  std::fill_n(left, frames, 0.0f);
  std::fill_n(right, frames, 0.0f);
  for (Voice* v : voices_)
    if (v->playing) MixAny(*v, left, right, frames);
  // The wave line saturates like a converter would, then takes its volume.
  for (int i = 0; i < frames; ++i) {
    left[i] = Clamp1(left[i]) * waveLeft_;
    right[i] = Clamp1(right[i]) * waveRight_;
  }
  if (music_) {
    float ml[kBlock], mr[kBlock];
    if (music_->Render(ml, mr, frames)) {
      for (int i = 0; i < frames; ++i) {
        left[i] += Clamp1(ml[i]) * musicLeft_;
        right[i] += Clamp1(mr[i]) * musicRight_;
      }
    }
  }
  for (int i = 0; i < frames; ++i) {
    out[2 * i] = ToS16(left[i] * masterLeft_);
    out[2 * i + 1] = ToS16(right[i] * masterRight_);
  }
}

}  // namespace platform::audio
