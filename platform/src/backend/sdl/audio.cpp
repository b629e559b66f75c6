// SPDX-License-Identifier: MIT
// The real backend's audio: one SDL audio device pulling from the mixer, and
// what happens when that device goes away and comes back.
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "backend/sdl/sdl_backend.h"

namespace platform::sdl {

bool SdlBackend::OpenAudio(const backend::AudioSpec& wanted, backend::AudioCallback callback, void* user,
               backend::AudioSpec& obtained) {
  if (audioDevice_) return false;
  QuietAlsa();
  if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    fprintf(stderr, "rallex: no audio device: %s\n", SDL_GetError());
    return false;
  }
  callback_ = callback;
  callbackUser_ = user;
  SDL_AudioSpec want{}, have{};
  want.freq = wanted.rate;
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(wanted.channels);
  want.samples = static_cast<Uint16>(wanted.bufferFrames);
  want.callback = &SdlBackend::AudioThunk;
  want.userdata = this;
  audioDevice_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (!audioDevice_) {
    fprintf(stderr, "rallex: no audio device: %s\n", SDL_GetError());
    return false;
  }
  obtained.rate = have.freq;
  obtained.channels = have.channels;
  obtained.bufferFrames = have.samples;
  audioChannels_ = have.channels;
  // A device opened again after a loss must take the mixer's rate as it is.
  audioSpec_ = want;
  audioSpec_.freq = have.freq;
  audioSpec_.channels = have.channels;
  SDL_PauseAudioDevice(audioDevice_, 0);
  return true;
}

void SdlBackend::CloseAudio() {
  if (audioLost_) {
    StopSilentOutput();
    audioLost_ = false;
  }
  if (!audioDevice_) return;
  SDL_CloseAudioDevice(audioDevice_);
  audioDevice_ = 0;
}

// The device in use went away: closed, and its time kept by a silent output,
// so that music (which the mixer's frames pace) keeps its time and its end.
bool SdlBackend::LoseAudioDevice(const SDL_AudioDeviceEvent& e, Event& out) {
  if (e.iscapture || !audioDevice_ || e.which != audioDevice_) return false;
  SDL_CloseAudioDevice(audioDevice_);
  audioDevice_ = 0;
  audioLost_ = true;
  audioTriedAt_ = SDL_GetTicks64();
  StartSilentOutput();
  out = Event{};
  out.type = Event::Type::AudioDeviceLost;
  return true;
}

// Now and then while the device is gone: a device of the same driver, at the
// mixer's rate, if one is there again.
bool SdlBackend::ReopenAudioDevice(Event& out) {
  constexpr uint64_t kRetryMs = 1000;
  if (!audioLost_ || SDL_GetTicks64() - audioTriedAt_ < kRetryMs) return false;
  audioTriedAt_ = SDL_GetTicks64();
  SDL_AudioSpec want = audioSpec_, have{};
  want.callback = &SdlBackend::AudioThunk;
  want.userdata = this;
  StopSilentOutput();
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!device) {
    StartSilentOutput();
    return false;
  }
  audioDevice_ = device;
  audioLost_ = false;
  SDL_PauseAudioDevice(audioDevice_, 0);
  out = Event{};
  out.type = Event::Type::AudioDeviceBack;
  return true;
}

void SdlBackend::StartSilentOutput() {
  if (silentRunning_) return;
  silentRunning_ = true;
  silentOutput_ = std::thread([this] {
    using Clock = std::chrono::steady_clock;
    const int rate = audioSpec_.freq > 0 ? audioSpec_.freq : 44100;
    std::vector<int16_t> scratch(static_cast<size_t>(audioSpec_.samples > 0 ? audioSpec_.samples : 512) *
                                 static_cast<size_t>(audioChannels_));
    int chunk = static_cast<int>(scratch.size()) / audioChannels_;
    Clock::time_point start = Clock::now();
    uint64_t pulled = 0;
    while (silentRunning_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
      uint64_t due = static_cast<uint64_t>(elapsed) * static_cast<uint64_t>(rate) / 1000000;
      while (pulled < due && silentRunning_) {
        int frames = static_cast<int>(std::min<uint64_t>(due - pulled, static_cast<uint64_t>(chunk)));
        callback_(callbackUser_, scratch.data(), frames);
        pulled += static_cast<uint64_t>(frames);
      }
    }
  });
}

void SdlBackend::StopSilentOutput() {
  if (!silentRunning_) return;
  silentRunning_ = false;
  silentOutput_.join();
}

void SdlBackend::LockAudio() {
  if (audioDevice_) SDL_LockAudioDevice(audioDevice_);
}
void SdlBackend::UnlockAudio() {
  if (audioDevice_) SDL_UnlockAudioDevice(audioDevice_);
}

// The ALSA library writes its own complaints to standard error (eight lines
// where there is no sound card); the one line above says what matters. SDL
// loads the library by name later and gets this same, already quiet, copy.
void SdlBackend::QuietAlsa() {
  static bool done = false;
  if (done) return;
  done = true;
  void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
  if (!alsa) return;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  auto set = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (set) set(&SilentAlsaError);
  // Kept loaded: the handler must stay in place for SDL's use of it.
}
void SdlBackend::SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void SdlBackend::AudioThunk(void* self, Uint8* stream, int bytes) {
  auto* b = static_cast<SdlBackend*>(self);
  int frames = bytes / (2 * b->audioChannels_);
  b->callback_(b->callbackUser_, reinterpret_cast<int16_t*>(stream), frames);
}

}  // namespace platform::sdl
