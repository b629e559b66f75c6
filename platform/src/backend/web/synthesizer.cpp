// SPDX-License-Identifier: MIT
// The browser's MIDI synthesizer: FluidSynth's own WebAssembly build, run by
// the page (library_synth.js forwards the calls to it). Always there.
#include "backend/backend.h"
#include "backend/synthesizer.h"
#include "backend/web/fluidsynth_web.h"

namespace platform::backend {

const Synthesizer* LoadSynthesizer(std::string&) {
  static const Synthesizer library{
      fluid_set_log_function, new_fluid_settings, delete_fluid_settings, fluid_settings_setnum,
      fluid_settings_setint, new_fluid_synth, delete_fluid_synth, fluid_synth_sfload,
      fluid_synth_system_reset, fluid_synth_noteon, fluid_synth_noteoff, fluid_synth_key_pressure,
      fluid_synth_cc, fluid_synth_program_change, fluid_synth_channel_pressure, fluid_synth_pitch_bend,
      fluid_synth_sysex, fluid_synth_all_notes_off, fluid_synth_write_float,
      fluid_synth_get_active_voice_count};
  return &library;
}

}  // namespace platform::backend
