// SPDX-License-Identifier: MIT
// The software mixer behind DirectSound and the MIDI synthesiser. It owns the
// one audio output of the program (opened through the backend on its first user
// and closed after its last), and in the output's pull callback it resamples
// every playing sound buffer to the output rate with linear interpolation,
// applies the buffer's gain and pan, sums the buffers with saturation, applies
// the wave line's volume, adds the music line (the MIDI synthesiser) at its
// volume and finally the master (auxiliary) line's volume.
//
// Everything the callback reads is guarded by Mutex(). The program's thread
// holds it only for short updates (a field set, a list insertion); the callback
// holds it while it mixes one block and neither allocates nor waits on anything
// else.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace platform::audio {

// One sound buffer as the mixer plays it. The owner fills in the format and the
// sample pointer before adding it; afterwards every field is read and written
// under the mixer's lock only.
struct Voice {
  // Format and sample memory (shared by a buffer and its duplicates).
  const uint8_t* data = nullptr;
  uint32_t bytes = 0;
  uint32_t frames = 0;         // whole sample frames in the memory
  uint32_t blockAlign = 1;     // bytes from one frame to the next
  uint16_t channels = 1;       // 1 or 2
  uint16_t bits = 16;          // 8 (unsigned) or 16 (signed)
  uint32_t sampleRate = 22050; // the sample's own rate
  // Settings.
  uint32_t frequency = 0;      // playback rate; 0 = the sample's own
  float gainLeft = 1.0f;
  float gainRight = 1.0f;
  // Playback, advanced by the mixer.
  bool playing = false;
  bool looping = false;
  bool lost = false;
  uint64_t position = 0;       // in frames, 32.32 fixed point
  uint64_t step = 0;           // position advance per output frame, 32.32
};

// The music line: a source mixed after the sound buffers (the MIDI synthesiser).
class MusicSource {
 public:
  virtual ~MusicSource() = default;
  // Called by the mixer under its lock: writes frames of left and right samples
  // (nominally -1..1) and returns false when it wrote nothing (silence).
  virtual bool Render(float* left, float* right, int frames) = 0;
};

class Mixer {
 public:
  static Mixer& Get();

  // Counts a user of the output and opens it for the first; false (and no user
  // counted) when no output can be opened.
  bool Acquire();
  // Closes the output after its last user.
  void Release();
  bool IsOpen();
  // The output's rate in frames per second (0 while closed).
  int Rate();

  std::mutex& Mutex() { return mutex_; }

  // Voices: Add and Remove take the lock themselves. A removed voice is no
  // longer touched by the mixer once Remove returns.
  void Add(Voice* voice);
  void Remove(Voice* voice);
  // Recomputes a voice's step from its frequency and the output rate. Call
  // under the lock.
  void UpdateStep(Voice& voice);
  // Marks every voice lost and silent, as when another program takes the
  // output away.
  void LoseAll();
  // The output device went away: every voice is lost, and cannot be restored
  // until a device is back.
  void DeviceGone(bool gone);
  bool DeviceGone();

  // Line volumes, 0..1 per channel.
  void SetWaveGain(float left, float right);
  void SetMusicGain(float left, float right);
  void SetMasterGain(float left, float right);

  // The music line's source, or null. Takes the lock.
  void SetMusicSource(MusicSource* source);

  // Mixes frames of interleaved signed 16-bit stereo into out. The output
  // callback calls it; benchmarks and tests may call it directly.
  void Mix(int16_t* out, int frames);

 private:
  static void Callback(void* user, int16_t* out, int frames);
  void MixBlock(int16_t* out, int frames);

  std::mutex mutex_;
  std::mutex openMutex_;  // serialises Acquire and Release (never taken by the callback)
  int users_ = 0;
  int rate_ = 0;
  std::vector<Voice*> voices_;
  MusicSource* music_ = nullptr;
  bool deviceGone_ = false;
  float waveLeft_ = 1.0f, waveRight_ = 1.0f;
  float musicLeft_ = 1.0f, musicRight_ = 1.0f;
  float masterLeft_ = 1.0f, masterRight_ = 1.0f;
};

}  // namespace platform::audio
