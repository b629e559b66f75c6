// SPDX-License-Identifier: MIT
// FluidSynth, the MIDI synthesiser, as a library loaded when a program first
// opens a MIDI device: a program that plays no music does not need it
// installed. On the web the page's own build takes its place.
#pragma once

#include <string>

#include "backend/fluidsynth_types.h"

namespace platform::midi {

struct SynthLibrary {
  fluid_log_function_t (*set_log_function)(int level, fluid_log_function_t fun, void* data);
  fluid_settings_t* (*new_settings)();
  void (*delete_settings)(fluid_settings_t*);
  int (*settings_setnum)(fluid_settings_t*, const char* name, double value);
  int (*settings_setint)(fluid_settings_t*, const char* name, int value);
  fluid_synth_t* (*new_synth)(fluid_settings_t*);
  void (*delete_synth)(fluid_synth_t*);
  int (*sfload)(fluid_synth_t*, const char* path, int resetPresets);
  int (*system_reset)(fluid_synth_t*);
  int (*noteon)(fluid_synth_t*, int channel, int key, int velocity);
  int (*noteoff)(fluid_synth_t*, int channel, int key);
  int (*key_pressure)(fluid_synth_t*, int channel, int key, int value);
  int (*cc)(fluid_synth_t*, int channel, int control, int value);
  int (*program_change)(fluid_synth_t*, int channel, int program);
  int (*channel_pressure)(fluid_synth_t*, int channel, int value);
  int (*pitch_bend)(fluid_synth_t*, int channel, int value);
  int (*sysex)(fluid_synth_t*, const char* data, int length, char* response, int* responseLength, int* handled,
               int dryRun);
  int (*all_notes_off)(fluid_synth_t*, int channel);
  int (*write_float)(fluid_synth_t*, int frames, void* left, int leftOffset, int leftStride, void* right,
                     int rightOffset, int rightStride);
  int (*get_active_voice_count)(fluid_synth_t*);
};

// The synthesiser's functions, loaded on the first call; null when the
// library cannot be loaded (problem then says why, in a few words).
const SynthLibrary* LoadSynthLibrary(std::string& problem);

}  // namespace platform::midi
