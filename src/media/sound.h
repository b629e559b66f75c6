// SPDX-License-Identifier: MIT
/// @file
/// Sound: the program's DirectSound device, and SoundBuffer: one sample in one or
/// more playback buffers, so that the same sample can sound several times at
/// once. A play request uses the current buffer when it is silent and otherwise
/// moves on to the next one in turn, cutting that one off if it still sounds.
///
/// Samples load from WAV sounds in four places (a named file, an open file, a
/// program resource of type "WAV", a memory image). Every loader reads the
/// 44-byte header first. A canonical one (a 16-byte PCM format chunk first, the
/// data chunk right after it) is read at fixed offsets; any other layout by
/// walking the RIFF chunks within the bytes the sound holds. Only 8- and 16-bit
/// PCM (plain or extensible) loads: compressed, float or 24-bit sounds, and
/// sounds with a missing or overlong chunk, are refused with nothing allocated.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/dsound.h"
#include "platform/windows.h"

/// The program's DirectSound device and the mixer volumes.
class Sound {
 public:
  /// Silent and not ready until Create.
  Sound();
  /// Releases the device.
  ~Sound();
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  /// Opens the default DirectSound device for window at the normal cooperative
  /// level. Always returns 1: a failure is shown by ReportDirectSoundError and
  /// leaves the object silent, and the program goes on without sound.
  int Create(HWND window);
  /// Fills caps from the device; 0 while not ready or when the query fails.
  int GetCaps();

  /// @name Mixer volumes of device 0
  /// Percentages 0..100 per channel; the setters return the multimedia status
  /// of the set call, or MMSYSERR_ERROR (1) when the device cannot control its
  /// volume; the getters return the raw volume word (low 16 bits left, high 16
  /// bits right). (Written in music.cpp.)
  /** @{ */
  /// The synthesizer's line (midiOutSetVolume).
  MMRESULT SetMidiVolume(DWORD leftPercent, DWORD rightPercent);
  /// The sampled sound's line (waveOutSetVolume).
  MMRESULT SetWaveVolume(DWORD leftPercent, DWORD rightPercent);
  /// The master line, which scales everything heard (auxSetVolume).
  MMRESULT SetAuxVolume(DWORD leftPercent, DWORD rightPercent);
  /// The synthesizer's line.
  DWORD GetMidiVolume();
  /// The sampled sound's line.
  DWORD GetWaveVolume();
  /// The master line.
  DWORD GetAuxVolume();
  /** @} */

  int32_t notReady;   ///< 1 until Create succeeded
  int32_t soundOff;   ///< 1 until Create succeeded; play requests then succeed silently
  /// The DirectSound device, or null.
  LPDIRECTSOUND device;
  /// The device's capabilities, after GetCaps.
  DSCAPS caps;
};

/// The first 44 bytes of a WAV sound, little-endian, at fixed offsets when the
/// layout is canonical.
#pragma pack(push, 1)
struct WaveHeader {
  char riff[4];              ///< "RIFF"
  uint32_t riffSize;         ///< the bytes after this field
  char wave[4];              ///< "WAVE"
  char formatId[4];          ///< "fmt " when canonical
  uint32_t formatSize;       ///< 16 when canonical
  uint16_t formatTag;        ///< 1 (PCM) when canonical
  uint16_t channels;         ///< more than 1 gives a two-channel buffer
  uint32_t samplesPerSecond;  ///< the sample's rate
  uint32_t averageBytesPerSecond;  ///< ignored: recomputed
  uint16_t blockAlign;       ///< bytes per frame
  uint16_t bitsPerSample;    ///< 8 or 16
  char dataId[4];            ///< "data" when canonical
  uint32_t dataSize;         ///< buffer size and bytes copied
};
#pragma pack(pop)
static_assert(sizeof(WaveHeader) == 44);

/// One sample in one or more playback buffers. See the file's description.
class SoundBuffer {
 public:
  /// One buffer, nothing loaded.
  SoundBuffer();
  /// ReleaseBuffers.
  ~SoundBuffer();
  SoundBuffer(const SoundBuffer&) = delete;
  SoundBuffer& operator=(const SoundBuffer&) = delete;

  /// @name Loaders
  /// 1 on success, 0 on failure (the object is then empty). count is the
  /// number of playback buffers; values below 1 count as 1.
  /** @{ */
  /// A WAV file by name; fileName must stay valid while the file loads.
  int LoadFile(Sound* sound, const char* fileName, int32_t count);
  /// Reads from the file's current position and leaves it after the sample.
  int LoadStream(Sound* sound, FILE* file, int32_t count);
  /// The resource called name of type "WAV" in the program's own module; its
  /// header may not claim more bytes than the resource holds.
  int LoadResource(Sound* sound, const char* name, int32_t count);
  /// A memory image starting with the header; the header's data size is trusted.
  int LoadMemory(Sound* sound, const void* data, int32_t count);
  /// A memory image of size bytes; a header claiming more data than that is
  /// refused.
  int LoadMemory(Sound* sound, const void* data, uint32_t size, int32_t count);
  /** @} */

  /// flags: DirectSound play flags (DSBPLAY_LOOPING); pan DSBPAN_LEFT..RIGHT;
  /// volume: attenuation in hundredths of a decibel, 0 = full. 1 if it started
  /// (or the device is silent), 0 otherwise.
  int Play(DWORD flags, LONG pan, LONG volume);
  /// As Play, at frequency samples per second (0 = the sample's own rate),
  /// keeping the volume the buffer had.
  int PlayAtFrequency(DWORD frequency, LONG pan, DWORD flags);
  /// Stops and rewinds every buffer; 1, or 0 when a buffer refuses.
  int Stop();
  /// Sets every buffer's volume (hundredths of a decibel of attenuation).
  void SetVolume(LONG volume);
  /// Sets every buffer's pan (DSBPAN_LEFT..DSBPAN_RIGHT).
  void SetPan(LONG pan);
  /// Number of buffers that report that they are playing.
  int32_t PlayingCount();
  /// Releases every buffer and the slot array and forgets the owner.
  void ReleaseBuffers();

  /// The number of playback buffers.
  int32_t bufferCount;
  /// The buffer the next play request tries first.
  int32_t nextBuffer;
  /// The name LoadFile was given (kept by reference).
  const char* fileName;
  /// The Sound the buffers were made on (not owned).
  Sound* owner;
  /// bufferCount buffers, owned; duplicates of the first share its sample.
  LPDIRECTSOUNDBUFFER* buffers;

 private:
  // The loaders' shared steps; slot is the buffer they fill (0, or a slot whose
  // duplicate could not be made).
  int Begin(Sound* sound, int32_t count);
  LPDIRECTSOUNDBUFFER PickBuffer();
  int CreateBuffer(DWORD dataBytes, DWORD samplesPerSecond, WORD bitsPerSample, WORD blockAlign, bool stereo,
                   int32_t slot);
  int ReadHeaderAndCreate(FILE* file, int32_t slot);
  int FillFromFile(FILE* file, long offset, int32_t slot);
  int FillFromMemory(const uint8_t* bytes, uint32_t available, int32_t slot);
  int ReadWaveFile(int32_t slot);
  int ParseWaveImage(const uint8_t* data, uint32_t size, int32_t slot);
  int LoadImage(Sound* sound, const void* data, uint32_t size, int32_t count);
};
