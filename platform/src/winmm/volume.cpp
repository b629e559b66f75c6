// SPDX-License-Identifier: MIT
// Device volumes: the wave, MIDI and auxiliary (master) lines of the mixer.
#include <cstring>

#include "dsound/mixer.h"
#include "hooks/hooks.h"
#include "platform/mmsystem.h"

namespace platform::winmm {
namespace {

struct Line {
  DWORD volume = 0xFFFFFFFF;
};

struct Lines {
  Line wave, midi, aux;
  bool volumeControl = true;
};

Lines& L() {
  static Lines lines;
  return lines;
}

float Left(DWORD word) { return static_cast<float>(word & 0xFFFF) / 65535.0f; }
float Right(DWORD word) { return static_cast<float>(word >> 16) / 65535.0f; }

void Apply() {
  auto& mixer = audio::Mixer::Get();
  const Lines& l = L();
  mixer.SetWaveGain(Left(l.wave.volume), Right(l.wave.volume));
  mixer.SetMusicGain(Left(l.midi.volume), Right(l.midi.volume));
  mixer.SetMasterGain(Left(l.aux.volume), Right(l.aux.volume));
}

void CopyName(CHAR* to, const char* name) {
  memset(to, 0, MAXPNAMELEN);
  strncpy(to, name, MAXPNAMELEN - 1);
}

// Device 0, or the mapper given as a 32-bit or a pointer-wide -1.
bool IsDeviceZero(UINT_PTR device) {
  return device == 0 || device == static_cast<UINT_PTR>(WAVE_MAPPER) || device == static_cast<UINT_PTR>(-1);
}

template <typename Caps>
MMRESULT CopyCaps(const Caps& made, Caps* caps, UINT size) {
  if (!caps) return MMSYSERR_INVALPARAM;
  memcpy(caps, &made, size < sizeof(Caps) ? size : sizeof(Caps));
  return MMSYSERR_NOERROR;
}

MMRESULT SetLine(Line& line, DWORD volume) {
  if (!L().volumeControl) return MMSYSERR_NOTSUPPORTED;
  line.volume = volume;
  Apply();
  return MMSYSERR_NOERROR;
}

MMRESULT GetLine(const Line& line, LPDWORD volume) {
  if (!volume) return MMSYSERR_INVALPARAM;
  if (!L().volumeControl) return MMSYSERR_NOTSUPPORTED;
  *volume = line.volume;
  return MMSYSERR_NOERROR;
}

}  // namespace

}  // namespace platform::winmm

namespace platform::hooks::winmm {
void Reset() {
  platform::winmm::L() = platform::winmm::Lines{};
  platform::winmm::Apply();
}
void SetVolumeControl(bool available) { platform::winmm::L().volumeControl = available; }
}  // namespace platform::hooks::winmm

using platform::winmm::L;

UINT waveOutGetNumDevs() { return 1; }
UINT midiOutGetNumDevs() { return 1; }
UINT auxGetNumDevs() { return 1; }

MMRESULT waveOutGetDevCapsA(UINT_PTR device, LPWAVEOUTCAPSA caps, UINT size) {
  if (!platform::winmm::IsDeviceZero(device)) return MMSYSERR_BADDEVICEID;
  WAVEOUTCAPSA c{};
  c.wMid = MM_MICROSOFT;
  c.wPid = 2;
  c.vDriverVersion = 0x0400;
  platform::winmm::CopyName(c.szPname, "Rallex Wave Out");
  c.dwFormats = 0xFFF;  // every rate, 8 and 16 bits, mono and stereo
  c.wChannels = 2;
  c.dwSupport = WAVECAPS_SAMPLEACCURATE | (L().volumeControl ? WAVECAPS_VOLUME | WAVECAPS_LRVOLUME : 0);
  return platform::winmm::CopyCaps(c, caps, size);
}

MMRESULT midiOutGetDevCapsA(UINT_PTR device, LPMIDIOUTCAPSA caps, UINT size) {
  if (!platform::winmm::IsDeviceZero(device)) return MMSYSERR_BADDEVICEID;
  MIDIOUTCAPSA c{};
  c.wMid = MM_MICROSOFT;
  c.wPid = 3;
  c.vDriverVersion = 0x0400;
  platform::winmm::CopyName(c.szPname, "Rallex Software Synthesizer");
  c.wTechnology = MOD_SWSYNTH;
  c.wVoices = 256;
  c.wNotes = 256;
  c.wChannelMask = 0xFFFF;
  c.dwSupport = L().volumeControl ? MIDICAPS_VOLUME | MIDICAPS_LRVOLUME : 0;
  return platform::winmm::CopyCaps(c, caps, size);
}

MMRESULT auxGetDevCapsA(UINT_PTR device, LPAUXCAPSA caps, UINT size) {
  if (device != 0) return MMSYSERR_BADDEVICEID;
  AUXCAPSA c{};
  c.wMid = MM_MICROSOFT;
  c.wPid = 4;
  c.vDriverVersion = 0x0400;
  platform::winmm::CopyName(c.szPname, "Rallex Master Volume");
  c.wTechnology = AUXCAPS_AUXIN;
  c.dwSupport = L().volumeControl ? AUXCAPS_VOLUME | AUXCAPS_LRVOLUME : 0;
  return platform::winmm::CopyCaps(c, caps, size);
}

// No device is ever opened, so the only handle is device 0 given as null.
MMRESULT waveOutSetVolume(HWAVEOUT device, DWORD volume) {
  if (device) return MMSYSERR_INVALHANDLE;
  return platform::winmm::SetLine(L().wave, volume);
}
MMRESULT waveOutGetVolume(HWAVEOUT device, LPDWORD volume) {
  if (device) return MMSYSERR_INVALHANDLE;
  return platform::winmm::GetLine(L().wave, volume);
}
MMRESULT midiOutSetVolume(HMIDIOUT device, DWORD volume) {
  if (device) return MMSYSERR_INVALHANDLE;
  return platform::winmm::SetLine(L().midi, volume);
}
MMRESULT midiOutGetVolume(HMIDIOUT device, LPDWORD volume) {
  if (device) return MMSYSERR_INVALHANDLE;
  return platform::winmm::GetLine(L().midi, volume);
}
MMRESULT auxSetVolume(UINT device, DWORD volume) {
  if (device != 0) return MMSYSERR_BADDEVICEID;
  return platform::winmm::SetLine(L().aux, volume);
}
MMRESULT auxGetVolume(UINT device, LPDWORD volume) {
  if (device != 0) return MMSYSERR_BADDEVICEID;
  return platform::winmm::GetLine(L().aux, volume);
}
