// SPDX-License-Identifier: MIT
// The part of FluidSynth's C interface that the MIDI player uses, for the
// browser: the page runs FluidSynth's own WebAssembly build (js-synthesizer,
// shipped with the page) and library_synth.js forwards these calls to it.
// Handles are small numbers on the page's side, not pointers.
#pragma once

#include "backend/synthesizer.h"

extern "C" {
fluid_log_function_t fluid_set_log_function(int level, fluid_log_function_t fun, void* data);
fluid_settings_t* new_fluid_settings(void);
void delete_fluid_settings(fluid_settings_t* settings);
int fluid_settings_setnum(fluid_settings_t* settings, const char* name, double value);
int fluid_settings_setint(fluid_settings_t* settings, const char* name, int value);
fluid_synth_t* new_fluid_synth(fluid_settings_t* settings);
void delete_fluid_synth(fluid_synth_t* synth);
// Loads the font at `path` of the program's file system (fetched from the page
// first when it is not there yet); suspends the program while it loads.
int fluid_synth_sfload(fluid_synth_t* synth, const char* path, int resetPresets);
int fluid_synth_system_reset(fluid_synth_t* synth);
int fluid_synth_noteon(fluid_synth_t* synth, int channel, int key, int velocity);
int fluid_synth_noteoff(fluid_synth_t* synth, int channel, int key);
int fluid_synth_key_pressure(fluid_synth_t* synth, int channel, int key, int value);
int fluid_synth_cc(fluid_synth_t* synth, int channel, int control, int value);
int fluid_synth_program_change(fluid_synth_t* synth, int channel, int program);
int fluid_synth_channel_pressure(fluid_synth_t* synth, int channel, int value);
int fluid_synth_pitch_bend(fluid_synth_t* synth, int channel, int value);
int fluid_synth_sysex(fluid_synth_t* synth, const char* data, int length, char* response, int* responseLength,
                      int* handled, int dryRun);
int fluid_synth_all_notes_off(fluid_synth_t* synth, int channel);
int fluid_synth_write_float(fluid_synth_t* synth, int frames, void* left, int leftOffset, int leftStride,
                            void* right, int rightOffset, int rightStride);
int fluid_synth_get_active_voice_count(fluid_synth_t* synth);
}
