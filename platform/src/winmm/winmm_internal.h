// SPDX-License-Identifier: MIT
// Platform-internal controls of the multimedia stand-ins, for the headless
// backend's test controls.
#pragma once

#include <string>

namespace platform::winmm {

// Every volume back to full, volume control available.
void ResetMixerLines();
// Whether the three devices report (and accept) volume control.
void SetVolumeControl(bool available);

// The sound font the MIDI synthesiser loads. By default the RALLEX_SOUNDFONT
// environment variable, else the system's General MIDI font.
void SetSoundFontPath(const std::string& path);
std::string SoundFontPath();

// Delivers completion notices of finished MIDI plays (done whenever the
// program looks for messages; exposed for tests that poll directly).
void PollMci();

}  // namespace platform::winmm
