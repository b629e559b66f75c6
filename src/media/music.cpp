// SPDX-License-Identifier: MIT
#include "media/music.h"

#include <cstdio>

#include "media/sound.h"

// ---------------------------------------------------------------------------
// Mixer volumes of Sound

namespace {

// percent -> 0..65535: (percent mod 256) * 65535 / 100, cut to 16 bits.
DWORD Channel(DWORD percent) { return ((percent % 256) * 65535 / 100) & 0xFFFF; }

DWORD VolumeWord(DWORD leftPercent, DWORD rightPercent) {
  return Channel(leftPercent) | Channel(rightPercent) << 16;
}

}  // namespace

// When the capability query itself fails, its status is returned and nothing
// is set (the record would hold nothing to judge by).
MMRESULT Sound::SetMidiVolume(DWORD leftPercent, DWORD rightPercent) {
  MIDIOUTCAPSA caps{};
  if (MMRESULT r = midiOutGetDevCapsA(0, &caps, sizeof caps); r != MMSYSERR_NOERROR) return r;
  if (!(caps.dwSupport & MIDICAPS_VOLUME)) return MMSYSERR_ERROR;
  return midiOutSetVolume(nullptr, VolumeWord(leftPercent, rightPercent));
}

MMRESULT Sound::SetWaveVolume(DWORD leftPercent, DWORD rightPercent) {
  WAVEOUTCAPSA caps{};
  if (MMRESULT r = waveOutGetDevCapsA(0, &caps, sizeof caps); r != MMSYSERR_NOERROR) return r;
  if (!(caps.dwSupport & WAVECAPS_VOLUME)) return MMSYSERR_ERROR;
  return waveOutSetVolume(nullptr, VolumeWord(leftPercent, rightPercent));
}

MMRESULT Sound::SetAuxVolume(DWORD leftPercent, DWORD rightPercent) {
  AUXCAPSA caps{};
  if (MMRESULT r = auxGetDevCapsA(0, &caps, sizeof caps); r != MMSYSERR_NOERROR) return r;
  if (!(caps.dwSupport & AUXCAPS_VOLUME)) return MMSYSERR_ERROR;
  return auxSetVolume(0, VolumeWord(leftPercent, rightPercent));
}

// A read that fails answers 0.
DWORD Sound::GetMidiVolume() {
  DWORD volume = 0;
  return midiOutGetVolume(nullptr, &volume) == MMSYSERR_NOERROR ? volume : 0;
}

DWORD Sound::GetWaveVolume() {
  DWORD volume = 0;
  return waveOutGetVolume(nullptr, &volume) == MMSYSERR_NOERROR ? volume : 0;
}

DWORD Sound::GetAuxVolume() {
  DWORD volume = 0;
  return auxGetVolume(0, &volume) == MMSYSERR_NOERROR ? volume : 0;
}

// ---------------------------------------------------------------------------
// Music

Music::Music(HWND window) : notifyWindow(window) {}

Music::~Music() { Close(); }

int Music::Start(const char* fileName) {
  if (!fileName) return 0;
  char command[256];
  // A name too long for the command is refused rather than cut.
  int n = snprintf(command, sizeof command, "open %s type sequencer alias MUSIC", fileName);
  if (n < 0 || static_cast<size_t>(n) >= sizeof command) return 0;
  if (mciSendStringA("close all", nullptr, 0, nullptr) != 0) return 0;
  if (mciSendStringA(command, nullptr, 0, nullptr) != 0) return 0;
  return mciSendStringA("play MUSIC from 0 notify", nullptr, 0, notifyWindow) == 0 ? 1 : 0;
}

int Music::Stop() { return mciSendStringA("stop MUSIC", nullptr, 0, nullptr) == 0 ? 1 : 0; }

int Music::Resume() { return mciSendStringA("play MUSIC notify", nullptr, 0, notifyWindow) == 0 ? 1 : 0; }

int Music::Restart() { return mciSendStringA("play MUSIC from 0 notify", nullptr, 0, notifyWindow) == 0 ? 1 : 0; }

int Music::Close() { return mciSendStringA("close all", nullptr, 0, nullptr) == 0 ? 1 : 0; }
