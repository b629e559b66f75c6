// SPDX-License-Identifier: MIT
// The real backend's audio: one SDL audio device pulling from the mixer.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>

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
  SDL_PauseAudioDevice(audioDevice_, 0);
  return true;
}

void SdlBackend::CloseAudio() {
  if (!audioDevice_) return;
  SDL_CloseAudioDevice(audioDevice_);
  audioDevice_ = 0;
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
