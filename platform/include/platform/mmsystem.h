// SPDX-License-Identifier: MIT
/// @file
/// WINMM: the millisecond clock, device volumes and the media control interface.
///
/// MIDI plays through FluidSynth with the system's General MIDI sound font
/// (Debian's fluid-soundfont-gm; RALLEX_SOUNDFONT names another). The
/// synthesizer is loaded when a program first opens a MIDI file, so a program
/// that plays no music does not need it; where it or the sound font is
/// missing, the open fails with MCIERR_SEQ_NOMIDIPRESENT, standard error says
/// once which package is missing, and nothing else breaks. In the browser a
/// WebAssembly synthesizer with a small sound font takes its place.
#pragma once

#include <cstddef>

#include "platform/wintypes.h"

/// The result of the multimedia calls: MMSYSERR_NOERROR (0) or an error.
using MMRESULT = UINT;
/// @name Multimedia results
/** @{ */
/// Windows' values.
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_INVALPARAM 11
#define TIMERR_NOERROR 0
/** @} */

/// Milliseconds since the platform started; wraps after 49.7 days like the original.
/// On the headless backend the virtual clock; a loop that reads the same
/// millisecond again and again is let sleep a little, so that busy waits do
/// not spin.
DWORD timeGetTime();
/// @name Timer resolution
/** @{ */
/// Accepted (TIMERR_NOERROR): the clock is always read to the millisecond.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
/** @} */

// ---------------------------------------------------------------------------
// Device volumes.

/// @name Volume device handles
/** @{ */
/// Device 0 given as a null handle.
RX_DECLARE_HANDLE(HWAVEOUT);
RX_DECLARE_HANDLE(HMIDIOUT);
/** @} */
/// Pointer to a HWAVEOUT.
using LPHWAVEOUT = HWAVEOUT*;
/// Pointer to a HMIDIOUT.
using LPHMIDIOUT = HMIDIOUT*;
/// A driver version: major in the high byte, minor in the low one.
using MMVERSION = UINT;

/// @name Device numbers and names
/** @{ */
/// The length of a device's name; the mappers, which stand for device 0; the
/// manufacturer number the capabilities report.
#define MAXPNAMELEN 32
#define WAVE_MAPPER (static_cast<UINT>(-1))
#define MIDI_MAPPER (static_cast<UINT>(-1))
#define MM_MICROSOFT 1
/** @} */

/// @name Wave output capabilities
/** @{ */
/// WAVEOUTCAPSA.dwSupport: the wave line has a left and right volume.
#define WAVECAPS_PITCH 0x0001
#define WAVECAPS_PLAYBACKRATE 0x0002
#define WAVECAPS_VOLUME 0x0004
#define WAVECAPS_LRVOLUME 0x0008
#define WAVECAPS_SYNC 0x0010
#define WAVECAPS_SAMPLEACCURATE 0x0020
/** @} */

/// @name Wave formats
/** @{ */
/// WAVEOUTCAPSA.dwFormats: rate (1 11 kHz, 2 22 kHz, 4 44 kHz), mono or
/// stereo, 8 or 16 bits.
#define WAVE_FORMAT_1M08 0x00000001
#define WAVE_FORMAT_1S08 0x00000002
#define WAVE_FORMAT_1M16 0x00000004
#define WAVE_FORMAT_1S16 0x00000008
#define WAVE_FORMAT_2M08 0x00000010
#define WAVE_FORMAT_2S08 0x00000020
#define WAVE_FORMAT_2M16 0x00000040
#define WAVE_FORMAT_2S16 0x00000080
#define WAVE_FORMAT_4M08 0x00000100
#define WAVE_FORMAT_4S08 0x00000200
#define WAVE_FORMAT_4M16 0x00000400
#define WAVE_FORMAT_4S16 0x00000800
/** @} */

/// @name MIDI output capabilities
/** @{ */
/// MIDIOUTCAPSA.dwSupport: the synthesizer's line has a left and right volume.
#define MIDICAPS_VOLUME 0x0001
#define MIDICAPS_LRVOLUME 0x0002
#define MIDICAPS_CACHE 0x0004
#define MIDICAPS_STREAM 0x0008
/** @} */

/// @name MIDI output technologies
/** @{ */
/// MIDIOUTCAPSA.wTechnology: the synthesizer reports MOD_SWSYNTH.
#define MOD_MIDIPORT 1
#define MOD_SYNTH 2
#define MOD_SQSYNTH 3
#define MOD_FMSYNTH 4
#define MOD_MAPPER 5
#define MOD_WAVETABLE 6
#define MOD_SWSYNTH 7
/** @} */

/// @name Auxiliary device kinds and capabilities
/** @{ */
/// AUXCAPSA.wTechnology and dwSupport: the master line has a left and right
/// volume.
#define AUXCAPS_CDAUDIO 1
#define AUXCAPS_AUXIN 2
#define AUXCAPS_VOLUME 0x0001
#define AUXCAPS_LRVOLUME 0x0002
/** @} */

/// The wave output's capabilities (waveOutGetDevCapsA).
struct WAVEOUTCAPSA {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  CHAR szPname[MAXPNAMELEN];
  DWORD dwFormats;
  WORD wChannels;
  WORD wReserved1;
  DWORD dwSupport;
  /** @} */
};
static_assert(sizeof(WAVEOUTCAPSA) == 52 && offsetof(WAVEOUTCAPSA, dwSupport) == 48);
/// Pointer to a WAVEOUTCAPSA.
using LPWAVEOUTCAPSA = WAVEOUTCAPSA*;

/// The MIDI output's capabilities (midiOutGetDevCapsA): the synthesizer.
struct MIDIOUTCAPSA {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  CHAR szPname[MAXPNAMELEN];
  WORD wTechnology;
  WORD wVoices;
  WORD wNotes;
  WORD wChannelMask;
  DWORD dwSupport;
  /** @} */
};
static_assert(sizeof(MIDIOUTCAPSA) == 52 && offsetof(MIDIOUTCAPSA, dwSupport) == 48);
/// Pointer to a MIDIOUTCAPSA.
using LPMIDIOUTCAPSA = MIDIOUTCAPSA*;

/// The auxiliary device's capabilities (auxGetDevCapsA): the master line.
struct AUXCAPSA {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  CHAR szPname[MAXPNAMELEN];
  WORD wTechnology;
  WORD wReserved1;
  DWORD dwSupport;
  /** @} */
};
static_assert(sizeof(AUXCAPSA) == 48 && offsetof(AUXCAPSA, dwSupport) == 44);
/// Pointer to an AUXCAPSA.
using LPAUXCAPSA = AUXCAPSA*;

/// @name Device volumes
/// There is one wave output (the DirectSound mixer's wave line), one MIDI
/// output (the synthesiser's line) and one auxiliary device, which is the
/// mixer's master line: it scales everything that is heard. A volume word
/// holds the left channel in its low 16 bits and the right in its high 16
/// bits, 0 (silent) to 0xFFFF (full), and scales the line's amplitude
/// linearly. Capabilities are copied up to size bytes. Device 0 (or the
/// mapper) exists; volume handles are the device number 0 given as a null
/// handle.
/** @{ */
/// One wave output: 1.
UINT waveOutGetNumDevs();
/// The wave line's capabilities.
MMRESULT waveOutGetDevCapsA(UINT_PTR device, LPWAVEOUTCAPSA caps, UINT size);
/// Sets the wave line's volume (sampled sound, DirectSound's buffers).
MMRESULT waveOutSetVolume(HWAVEOUT device, DWORD volume);
/// The wave line's volume word.
MMRESULT waveOutGetVolume(HWAVEOUT device, LPDWORD volume);
/// One MIDI output: 1.
UINT midiOutGetNumDevs();
/// The synthesizer line's capabilities.
MMRESULT midiOutGetDevCapsA(UINT_PTR device, LPMIDIOUTCAPSA caps, UINT size);
/// Sets the synthesizer line's volume (music).
MMRESULT midiOutSetVolume(HMIDIOUT device, DWORD volume);
/// The synthesizer line's volume word.
MMRESULT midiOutGetVolume(HMIDIOUT device, LPDWORD volume);
/// One auxiliary device: 1.
UINT auxGetNumDevs();
/// The master line's capabilities.
MMRESULT auxGetDevCapsA(UINT_PTR device, LPAUXCAPSA caps, UINT size);
/// Sets the master line's volume, which scales everything heard.
MMRESULT auxSetVolume(UINT device, DWORD volume);
/// The master line's volume word.
MMRESULT auxGetVolume(UINT device, LPDWORD volume);
/** @} */

// ---------------------------------------------------------------------------
// The media control interface.

/// An MCI error code: 0 for success, else an MCIERR_ value.
using MCIERROR = DWORD;
/// An MCI device number, as "open" answers it.
using MCIDEVICEID = UINT;

/// @name Notifications
/** @{ */
/// MM_MCINOTIFY is posted to the callback window of a command given with
/// "notify": wParam is how it ended (MCI_NOTIFY_), lParam the device number.
#define MM_MCINOTIFY 0x03B9
#define MCI_NOTIFY_SUCCESSFUL 0x0001
#define MCI_NOTIFY_SUPERSEDED 0x0002
#define MCI_NOTIFY_ABORTED 0x0004
#define MCI_NOTIFY_FAILURE 0x0008
/** @} */

/// @name MCI error codes
/** @{ */
/// Windows' values; mciGetErrorStringA gives each one's text.
#define MCIERR_BASE 256
#define MCIERR_INVALID_DEVICE_ID (MCIERR_BASE + 1)
#define MCIERR_UNRECOGNIZED_KEYWORD (MCIERR_BASE + 3)
#define MCIERR_UNRECOGNIZED_COMMAND (MCIERR_BASE + 5)
#define MCIERR_HARDWARE (MCIERR_BASE + 6)
#define MCIERR_INVALID_DEVICE_NAME (MCIERR_BASE + 7)
#define MCIERR_OUT_OF_MEMORY (MCIERR_BASE + 8)
#define MCIERR_DEVICE_OPEN (MCIERR_BASE + 9)
#define MCIERR_CANNOT_LOAD_DRIVER (MCIERR_BASE + 10)
#define MCIERR_MISSING_COMMAND_STRING (MCIERR_BASE + 11)
#define MCIERR_PARAM_OVERFLOW (MCIERR_BASE + 12)
#define MCIERR_MISSING_STRING_ARGUMENT (MCIERR_BASE + 13)
#define MCIERR_BAD_INTEGER (MCIERR_BASE + 14)
#define MCIERR_PARSER_INTERNAL (MCIERR_BASE + 15)
#define MCIERR_DRIVER_INTERNAL (MCIERR_BASE + 16)
#define MCIERR_MISSING_PARAMETER (MCIERR_BASE + 17)
#define MCIERR_UNSUPPORTED_FUNCTION (MCIERR_BASE + 18)
#define MCIERR_FILE_NOT_FOUND (MCIERR_BASE + 19)
#define MCIERR_DEVICE_NOT_READY (MCIERR_BASE + 20)
#define MCIERR_INTERNAL (MCIERR_BASE + 21)
#define MCIERR_DRIVER (MCIERR_BASE + 22)
#define MCIERR_CANNOT_USE_ALL (MCIERR_BASE + 23)
#define MCIERR_MULTIPLE (MCIERR_BASE + 24)
#define MCIERR_EXTENSION_NOT_FOUND (MCIERR_BASE + 25)
#define MCIERR_OUTOFRANGE (MCIERR_BASE + 26)
#define MCIERR_FLAGS_NOT_COMPATIBLE (MCIERR_BASE + 28)
#define MCIERR_FILE_NOT_SAVED (MCIERR_BASE + 30)
#define MCIERR_DEVICE_TYPE_REQUIRED (MCIERR_BASE + 31)
#define MCIERR_DEVICE_LOCKED (MCIERR_BASE + 32)
#define MCIERR_DUPLICATE_ALIAS (MCIERR_BASE + 33)
#define MCIERR_BAD_CONSTANT (MCIERR_BASE + 34)
#define MCIERR_MUST_USE_SHAREABLE (MCIERR_BASE + 35)
#define MCIERR_MISSING_DEVICE_NAME (MCIERR_BASE + 36)
#define MCIERR_BAD_TIME_FORMAT (MCIERR_BASE + 37)
#define MCIERR_NO_CLOSING_QUOTE (MCIERR_BASE + 38)
#define MCIERR_DUPLICATE_FLAGS (MCIERR_BASE + 39)
#define MCIERR_INVALID_FILE (MCIERR_BASE + 40)
#define MCIERR_NULL_PARAMETER_BLOCK (MCIERR_BASE + 41)
#define MCIERR_UNNAMED_RESOURCE (MCIERR_BASE + 42)
#define MCIERR_NEW_REQUIRES_ALIAS (MCIERR_BASE + 43)
#define MCIERR_NOTIFY_ON_AUTO_OPEN (MCIERR_BASE + 44)
#define MCIERR_NO_ELEMENT_ALLOWED (MCIERR_BASE + 45)
#define MCIERR_NONAPPLICABLE_FUNCTION (MCIERR_BASE + 46)
#define MCIERR_ILLEGAL_FOR_AUTO_OPEN (MCIERR_BASE + 47)
#define MCIERR_FILENAME_REQUIRED (MCIERR_BASE + 48)
#define MCIERR_EXTRA_CHARACTERS (MCIERR_BASE + 49)
#define MCIERR_DEVICE_NOT_INSTALLED (MCIERR_BASE + 50)
#define MCIERR_SEQ_DIV_INCOMPATIBLE (MCIERR_BASE + 80)
#define MCIERR_SEQ_PORT_INUSE (MCIERR_BASE + 81)
#define MCIERR_SEQ_PORT_NONEXISTENT (MCIERR_BASE + 82)
#define MCIERR_SEQ_PORT_MAPNODEVICE (MCIERR_BASE + 83)
#define MCIERR_SEQ_PORT_MISCERROR (MCIERR_BASE + 84)
#define MCIERR_SEQ_TIMER (MCIERR_BASE + 85)
#define MCIERR_SEQ_PORTUNSPECIFIED (MCIERR_BASE + 86)
#define MCIERR_SEQ_NOMIDIPRESENT (MCIERR_BASE + 87)
#define MCIERR_NO_WINDOW (MCIERR_BASE + 90)
#define MCIERR_CREATEWINDOW (MCIERR_BASE + 91)
#define MCIERR_FILE_READ (MCIERR_BASE + 92)
#define MCIERR_FILE_WRITE (MCIERR_BASE + 93)
/** @} */

/// Carries out one command string of the media control interface, for the
/// MIDI sequencer (standard MIDI files, format 0 and 1, and RIFF RMID files):
///
///     open ELEMENT [type sequencer] [alias NAME] [shareable]   (ELEMENT may be "quoted")
///     play NAME [from MS] [to MS]      stop NAME | all      pause NAME     resume NAME
///     seek NAME to MS|start|end        close NAME | all
///     status NAME mode|length|position|ready|time format   set NAME time format milliseconds
///
/// Any command takes "notify" (MM_MCINOTIFY is posted to the callback window
/// when it completes, is superseded or is aborted) and "wait". Times are in
/// milliseconds. "open" answers the device number, "status" its item. The
/// first open loads the synthesizer (see the file's description).
///
/// Carries out one command string. returnString may be null; an answer that
/// does not fit returnLength characters with its terminator gives
/// MCIERR_PARAM_OVERFLOW. callback receives the notifications.
MCIERROR mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback);
/// The text of an MCI error code; FALSE for an unknown code.
BOOL mciGetErrorStringA(MCIERROR error, LPSTR buffer, UINT length);
