// SPDX-License-Identifier: MIT
// The desktop's MIDI synthesizer: FluidSynth, loaded with dlopen when a
// program first opens a MIDI device.
#include <dlfcn.h>

#include "backend/backend.h"
#include "backend/synthesizer.h"

namespace platform::backend {
namespace {

template <typename F>
bool Take(void* handle, const char* name, F& into) {
  into = reinterpret_cast<F>(dlsym(handle, name));
  return into != nullptr;
}

}  // namespace

const Synthesizer* LoadSynthesizer(std::string& problem) {
  static Synthesizer library;
  static int state = 0;  // 0: not tried, 1: loaded, -1: cannot be
  static std::string why;
  if (state == 0) {
    // The library's name with its interface version, as Debian installs it;
    // the development link name where only that is there.
    void* handle = dlopen("libfluidsynth.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!handle) handle = dlopen("libfluidsynth.so", RTLD_NOW | RTLD_LOCAL);
    Synthesizer& l = library;
    bool ok = handle && Take(handle, "fluid_set_log_function", l.set_log_function) &&
              Take(handle, "new_fluid_settings", l.new_settings) &&
              Take(handle, "delete_fluid_settings", l.delete_settings) &&
              Take(handle, "fluid_settings_setnum", l.settings_setnum) &&
              Take(handle, "fluid_settings_setint", l.settings_setint) &&
              Take(handle, "new_fluid_synth", l.new_synth) && Take(handle, "delete_fluid_synth", l.delete_synth) &&
              Take(handle, "fluid_synth_sfload", l.sfload) &&
              Take(handle, "fluid_synth_system_reset", l.system_reset) &&
              Take(handle, "fluid_synth_noteon", l.noteon) && Take(handle, "fluid_synth_noteoff", l.noteoff) &&
              Take(handle, "fluid_synth_key_pressure", l.key_pressure) && Take(handle, "fluid_synth_cc", l.cc) &&
              Take(handle, "fluid_synth_program_change", l.program_change) &&
              Take(handle, "fluid_synth_channel_pressure", l.channel_pressure) &&
              Take(handle, "fluid_synth_pitch_bend", l.pitch_bend) && Take(handle, "fluid_synth_sysex", l.sysex) &&
              Take(handle, "fluid_synth_all_notes_off", l.all_notes_off) &&
              Take(handle, "fluid_synth_write_float", l.write_float) &&
              Take(handle, "fluid_synth_get_active_voice_count", l.get_active_voice_count);
    if (ok) {
      state = 1;
    } else {
      state = -1;
      why = handle ? "libfluidsynth.so.3 lacks a function it should have" : "libfluidsynth.so.3 is not installed";
      if (handle) dlclose(handle);
    }
  }
  if (state < 0) problem = why;
  return state > 0 ? &library : nullptr;
}

}  // namespace platform::backend
