// SPDX-License-Identifier: MIT
// MIDI for the sequencer: a Standard MIDI File parsed into one time-ordered
// event list, and the synthesiser (FluidSynth with a General MIDI sound font)
// that plays such a list on the mixer's music line. The events are sent to the
// synthesiser from inside the mixer's callback at their sample frame, so
// playback neither allocates nor waits there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dsound/mixer.h"
#include "backend/synthesizer.h"

namespace platform::midi {

struct Event {
  uint64_t micros = 0;     // from the start of the song
  uint8_t status = 0;      // 0x80..0xEF channel message, 0xF0 system exclusive
  uint8_t data1 = 0;
  uint8_t data2 = 0;
  uint32_t sysexOffset = 0;  // into Song::sysex, for 0xF0
  uint32_t sysexLength = 0;
};

struct Song {
  std::vector<Event> events;
  std::vector<uint8_t> sysex;  // bodies of system-exclusive messages (without F0 and F7)
  uint64_t lengthMicros = 0;   // the end of the longest track
};

// Parses a Standard MIDI File of format 0 or 1, bare or in a RIFF "RMID"
// wrapper. False when the bytes are not such a file.
bool ParseSong(const uint8_t* data, size_t size, Song& song);

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
