// SPDX-License-Identifier: MIT
// Shared by the sound fuzz targets: a window and an open sound device on the
// headless backend, made once per process, and a short mix of whatever plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "dsound/mixer.h"
#include "media/sound.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace sound_fuzz {

inline Sound& Device() {
  static Sound* sound = [] {
    platform::headless::Reset();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "FuzzSound";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "FuzzSound", "fuzz", WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr, nullptr,
                                  nullptr);
    auto* s = new Sound();
    s->Create(window);
    return s;
  }();
  return *sound;
}

// Plays the loaded sample with settings taken from the input's tail and mixes a
// few hundred frames of it, so that odd formats reach the mixer.
inline void PlayAndMix(SoundBuffer& buffer, const uint8_t* data, size_t size) {
  uint8_t knobs[6] = {0, 0, 0, 0, 0, 0};
  for (size_t i = 0; i < 6 && i < size; ++i) knobs[i] = data[size - 1 - i];
  LONG pan = (static_cast<LONG>(knobs[0]) - 128) * 80;
  LONG volume = -static_cast<LONG>(knobs[1]) * 40;
  DWORD frequency = static_cast<DWORD>(knobs[2]) * 400;
  DWORD flags = knobs[3] & 1;
  if (knobs[4] & 1)
    buffer.PlayAtFrequency(frequency, pan, flags);
  else
    buffer.Play(flags, pan, volume);
  buffer.Play(0, 0, 0);
  int16_t out[2 * 600];
  platform::audio::Mixer::Get().Mix(out, 600);
  buffer.Stop();
}

}  // namespace sound_fuzz
