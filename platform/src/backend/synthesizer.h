// SPDX-License-Identifier: MIT
// The MIDI synthesizer the backend offers: FluidSynth's C interface, the part
// the MIDI player uses. On the desktop the library is loaded when a program
// first opens a MIDI device, so that a program that plays no music does not
// need it installed; in the browser the page's own build takes its place.
// FluidSynth's handle types and result codes are declared here, as its C
// interface has them, so that the library is only ever loaded (or forwarded
// to), never compiled against.
#pragma once

extern "C" {
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_hashtable_t fluid_settings_t;
typedef void (*fluid_log_function_t)(int level, const char* message, void* data);
}
enum { FLUID_OK = 0, FLUID_FAILED = -1 };
enum { FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG };

namespace platform::backend {

struct Synthesizer {
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

}  // namespace platform::backend
