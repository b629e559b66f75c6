// SPDX-License-Identifier: MIT
// The synthesiser (FluidSynth with a General MIDI sound font, from the
// backend) that plays a parsed song on the mixer's music line. The events are
// sent to the synthesiser from inside the mixer's callback at their sample
// frame, so playback neither allocates nor waits there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "backend/synthesizer.h"
#include "dsound/mixer.h"
#include "winmm/midi_file.h"

namespace platform::midi {

class Synth final : public audio::MusicSource {
 public:
  static Synth& Get();

  enum class OpenResult { Ok, NoSynthesizer, NoSoundFont, NoOutput };
  // Counts a user: opens the mixer's output and loads the synthesiser with its
  // sound font on the first (the font stays loaded for later users).
  OpenResult Open();
  void Close();

  // Plays song from fromMicros until toMicros (the song's length at most):
  // the synthesiser is reset and the controller and program changes before
  // fromMicros are sent first. The song must stay alive until Halt or the end.
  void Play(const Song* song, uint64_t fromMicros, uint64_t toMicros);
  // Stops, releasing the sounding notes; returns the position reached.
  uint64_t Halt();
  bool Playing();
  // The position while playing (or where it ended).
  uint64_t Position();
  // True once a play has reached its end; cleared by Play and Halt.
  bool Ended();
  // The song currently given to the synthesiser, or null.
  const Song* Current();

  bool Render(float* left, float* right, int frames) override;

 private:
  bool EnsureSynth(int rate);
  void Send(const Event& e);
  uint64_t FrameOf(uint64_t micros) const;

  int users_ = 0;
  const backend::Synthesizer* lib_ = nullptr;
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  int synthRate_ = 0;
  std::string fontPath_;  // the font loaded into synth_
  // Playback, under the mixer's lock.
  const Song* song_ = nullptr;
  size_t next_ = 0;
  uint64_t frame_ = 0;      // position in output frames
  uint64_t endFrame_ = 0;
  bool playing_ = false;
  bool ended_ = false;
  int64_t tailFrames_ = 0;  // frames still rendered after a stop, for release tails
};

}  // namespace platform::midi
