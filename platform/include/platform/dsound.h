// SPDX-License-Identifier: MIT
/// @file
/// DSOUND: the DirectSound device and its sound buffers, mixed in software.
///
/// Record layouts are the platform's. DSBUFFERDESC ends with a pointer to the
/// wave format, so on a 64-bit build it measures 24 bytes instead of the 20 it
/// had on the 32-bit platform; CreateSoundBuffer accepts either size in dwSize
/// (the field order is the platform's).
#pragma once

#include <cstddef>

#include "platform/wintypes.h"

/// @name Result codes
/** @{ */
/// Result codes.
#define MAKE_DSHRESULT(code) RX_HRESULT(0x88780000u + (code))
#define DS_OK S_OK
#define DSERR_ALLOCATED MAKE_DSHRESULT(10)
#define DSERR_CONTROLUNAVAIL MAKE_DSHRESULT(30)
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_INVALIDCALL MAKE_DSHRESULT(50)
#define DSERR_GENERIC E_FAIL
#define DSERR_PRIOLEVELNEEDED MAKE_DSHRESULT(70)
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_BADFORMAT MAKE_DSHRESULT(100)
#define DSERR_UNSUPPORTED E_NOTIMPL
#define DSERR_NODRIVER MAKE_DSHRESULT(120)
#define DSERR_ALREADYINITIALIZED MAKE_DSHRESULT(130)
#define DSERR_NOAGGREGATION CLASS_E_NOAGGREGATION
#define DSERR_BUFFERLOST MAKE_DSHRESULT(150)
#define DSERR_OTHERAPPHASPRIO MAKE_DSHRESULT(160)
#define DSERR_UNINITIALIZED MAKE_DSHRESULT(170)
#define DSERR_NOINTERFACE E_NOINTERFACE
/** @} */

/// @name Cooperative levels
/** @{ */
/// Cooperative levels.
#define DSSCL_NORMAL 0x00000001
#define DSSCL_PRIORITY 0x00000002
#define DSSCL_EXCLUSIVE 0x00000003
#define DSSCL_WRITEPRIMARY 0x00000004
/** @} */

/// @name Device capabilities (DSCAPS.dwFlags)
/** @{ */
/// Device capabilities (DSCAPS.dwFlags).
#define DSCAPS_PRIMARYMONO 0x00000001
#define DSCAPS_PRIMARYSTEREO 0x00000002
#define DSCAPS_PRIMARY8BIT 0x00000004
#define DSCAPS_PRIMARY16BIT 0x00000008
#define DSCAPS_CONTINUOUSRATE 0x00000010
#define DSCAPS_EMULDRIVER 0x00000020
#define DSCAPS_CERTIFIED 0x00000040
#define DSCAPS_SECONDARYMONO 0x00000100
#define DSCAPS_SECONDARYSTEREO 0x00000200
#define DSCAPS_SECONDARY8BIT 0x00000400
#define DSCAPS_SECONDARY16BIT 0x00000800
/** @} */

/// @name Buffer capabilities (DSBUFFERDESC.dwFlags, DSBCAPS.dwFlags)
/** @{ */
/// Buffer capabilities (DSBUFFERDESC.dwFlags, DSBCAPS.dwFlags).
#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBCAPS_STATIC 0x00000002
#define DSBCAPS_LOCHARDWARE 0x00000004
#define DSBCAPS_LOCSOFTWARE 0x00000008
#define DSBCAPS_CTRL3D 0x00000010
#define DSBCAPS_CTRLFREQUENCY 0x00000020
#define DSBCAPS_CTRLPAN 0x00000040
#define DSBCAPS_CTRLVOLUME 0x00000080
#define DSBCAPS_CTRLPOSITIONNOTIFY 0x00000100
#define DSBCAPS_STICKYFOCUS 0x00004000
#define DSBCAPS_GLOBALFOCUS 0x00008000
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000
#define DSBCAPS_MUTE3DATMAXDISTANCE 0x00020000
/** @} */

/// @name Buffer status, play and lock flags
/** @{ */
/// Buffer status, play and lock flags.
#define DSBSTATUS_PLAYING 0x00000001
#define DSBSTATUS_BUFFERLOST 0x00000002
#define DSBSTATUS_LOOPING 0x00000004
#define DSBPLAY_LOOPING 0x00000001
#define DSBLOCK_FROMWRITECURSOR 0x00000001
#define DSBLOCK_ENTIREBUFFER 0x00000002
/** @} */

/// @name Ranges
/** @{ */
/// Volume in hundredths of a decibel of attenuation, pan in hundredths of a
/// decibel taken off the far side, frequency in samples per second.
#define DSBVOLUME_MIN (-10000)
#define DSBVOLUME_MAX 0
#define DSBPAN_LEFT (-10000)
#define DSBPAN_CENTER 0
#define DSBPAN_RIGHT 10000
#define DSBFREQUENCY_ORIGINAL 0
#define DSBFREQUENCY_MIN 100
#define DSBFREQUENCY_MAX 100000
#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0x0FFFFFFF
/** @} */

/// @name Speaker configurations
/** @{ */
/// Speaker configurations.
#define DSSPEAKER_HEADPHONE 0x00000001
#define DSSPEAKER_MONO 0x00000002
#define DSSPEAKER_QUAD 0x00000003
#define DSSPEAKER_STEREO 0x00000004
#define DSSPEAKER_SURROUND 0x00000005
/** @} */

/// The wave format of plain PCM, the one that plays here.
#define WAVE_FORMAT_PCM 1

/// The PCM wave format record. The platform's WAVEFORMATEX is 18 bytes with
/// cbSize; PCM formats may be given without it (the 16-byte PCMWAVEFORMAT).
/// 8- and 16-bit PCM, one or two channels, play here.
#pragma pack(push, 1)
struct WAVEFORMATEX {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
  /** @} */
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);
static_assert(offsetof(WAVEFORMATEX, nSamplesPerSec) == 4 && offsetof(WAVEFORMATEX, nBlockAlign) == 12 &&
              offsetof(WAVEFORMATEX, wBitsPerSample) == 14);
/// @name Pointers to a WAVEFORMATEX
/** @{ */
/// Pointers to a WAVEFORMATEX.
using LPWAVEFORMATEX = WAVEFORMATEX*;
using LPCWAVEFORMATEX = const WAVEFORMATEX*;
/** @} */

/// The device's capabilities (IDirectSound::GetCaps): every format in
/// software, no hardware mixing or 3-D buffers.
struct DSCAPS {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwMinSecondarySampleRate;
  DWORD dwMaxSecondarySampleRate;
  DWORD dwPrimaryBuffers;
  DWORD dwMaxHwMixingAllBuffers;
  DWORD dwMaxHwMixingStaticBuffers;
  DWORD dwMaxHwMixingStreamingBuffers;
  DWORD dwFreeHwMixingAllBuffers;
  DWORD dwFreeHwMixingStaticBuffers;
  DWORD dwFreeHwMixingStreamingBuffers;
  DWORD dwMaxHw3DAllBuffers;
  DWORD dwMaxHw3DStaticBuffers;
  DWORD dwMaxHw3DStreamingBuffers;
  DWORD dwFreeHw3DAllBuffers;
  DWORD dwFreeHw3DStaticBuffers;
  DWORD dwFreeHw3DStreamingBuffers;
  DWORD dwTotalHwMemBytes;
  DWORD dwFreeHwMemBytes;
  DWORD dwMaxContigFreeHwMemBytes;
  DWORD dwUnlockTransferRateHwBuffers;
  DWORD dwPlayCpuOverheadSwBuffers;
  DWORD dwReserved1;
  DWORD dwReserved2;
  /** @} */
};
static_assert(sizeof(DSCAPS) == 96);
/// Pointer to a DSCAPS.
using LPDSCAPS = DSCAPS*;

/// A buffer's capabilities (IDirectSoundBuffer::GetCaps).
struct DSBCAPS {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwUnlockTransferRate;
  DWORD dwPlayCpuOverhead;
  /** @} */
};
static_assert(sizeof(DSBCAPS) == 20);
/// Pointer to a DSBCAPS.
using LPDSBCAPS = DSBCAPS*;

/// What IDirectSound::CreateSoundBuffer makes. See the file's description for
/// dwSize.
struct DSBUFFERDESC {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  LPWAVEFORMATEX lpwfxFormat;
  /** @} */
};
/// 20 bytes on the 32-bit platform; the pointer makes it 24 on a 64-bit build.
constexpr DWORD DSBUFFERDESC_PLATFORM_SIZE = 20;
static_assert(offsetof(DSBUFFERDESC, dwBufferBytes) == 8 && offsetof(DSBUFFERDESC, lpwfxFormat) == 16);
static_assert(sizeof(DSBUFFERDESC) == 16 + sizeof(void*));
/// @name Pointers to a DSBUFFERDESC
/** @{ */
/// Pointers to a DSBUFFERDESC.
using LPDSBUFFERDESC = DSBUFFERDESC*;
using LPCDSBUFFERDESC = const DSBUFFERDESC*;
/** @} */

/// @name Interface identifiers
/** @{ */
/// For QueryInterface.
extern const IID IID_IDirectSound;
extern const IID IID_IDirectSoundBuffer;
/** @} */

/// One sample playing in the platform's own mixer, which runs in the audio
/// device's thread (every method may be called while it plays).
///
/// Lost devices: when the output device goes away (a headset unplugged) or
/// another program takes it, every buffer is lost, as DirectSound's were: it
/// stops, reports DSBSTATUS_BUFFERLOST and answers DSERR_BUFFERLOST to Play
/// until Restore, which works once a device is back. The sample memory is kept.
struct IDirectSoundBuffer : IUnknown {
  /// DSBCAPS_LOCSOFTWARE with the flags the buffer was made with, and its size.
  virtual HRESULT GetCaps(LPDSBCAPS caps) = 0;
  /// The play position in bytes; the write cursor is the same position.
  virtual HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) = 0;
  /// Copies the format (or, with format null, reports its size).
  virtual HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) = 0;
  /// The volume; DSERR_CONTROLUNAVAIL without DSBCAPS_CTRLVOLUME.
  virtual HRESULT GetVolume(LPLONG volume) = 0;
  /// The pan; DSERR_CONTROLUNAVAIL without DSBCAPS_CTRLPAN.
  virtual HRESULT GetPan(LPLONG pan) = 0;
  /// The playback rate; DSERR_CONTROLUNAVAIL without DSBCAPS_CTRLFREQUENCY.
  virtual HRESULT GetFrequency(LPDWORD frequency) = 0;
  /// DSBSTATUS_PLAYING (with DSBSTATUS_LOOPING) and DSBSTATUS_BUFFERLOST.
  virtual HRESULT GetStatus(LPDWORD status) = 0;
  /// Buffers are made ready by CreateSoundBuffer: DSERR_ALREADYINITIALIZED.
  virtual HRESULT Initialize(struct IDirectSound* device, LPCDSBUFFERDESC desc) = 0;
  /// Hands out the buffer memory from offset for bytes (wrapping round the end
  /// into the second part); DSBLOCK_ENTIREBUFFER hands out all of it.
  virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
                       DWORD flags) = 0;
  /// Starts from the current position, once or (DSBPLAY_LOOPING) for ever;
  /// DSERR_BUFFERLOST while lost. reserved and priority must be 0.
  virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
  /// Moves the play position (a byte offset inside the buffer).
  virtual HRESULT SetCurrentPosition(DWORD position) = 0;
  /// Only primary buffers take a format, and there are none: DSERR_INVALIDCALL.
  virtual HRESULT SetFormat(LPCWAVEFORMATEX format) = 0;
  /// DSBVOLUME_MIN..DSBVOLUME_MAX; needs DSBCAPS_CTRLVOLUME.
  virtual HRESULT SetVolume(LONG volume) = 0;
  /// DSBPAN_LEFT..DSBPAN_RIGHT; needs DSBCAPS_CTRLPAN.
  virtual HRESULT SetPan(LONG pan) = 0;
  /// DSBFREQUENCY_MIN..DSBFREQUENCY_MAX, or DSBFREQUENCY_ORIGINAL; needs
  /// DSBCAPS_CTRLFREQUENCY.
  virtual HRESULT SetFrequency(DWORD frequency) = 0;
  /// Stops; the position stays where it is.
  virtual HRESULT Stop() = 0;
  /// Gives back what Lock handed out.
  virtual HRESULT Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) = 0;
  /// Ends the loss; DSERR_BUFFERLOST while the output device is still gone.
  virtual HRESULT Restore() = 0;
};
/// Pointer to an IDirectSoundBuffer.
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

/// The sound device: makes buffers for the platform's software mixer.
struct IDirectSound : IUnknown {
  /// A secondary buffer in software, silent until written. Primary, 3-D and
  /// hardware buffers answer DSERR_UNSUPPORTED; dwSize may be either size (see
  /// the file's description).
  virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) = 0;
  /// What the software mixer offers (see DSCAPS).
  virtual HRESULT GetCaps(LPDSCAPS caps) = 0;
  /// The copy plays the same sample memory with its own position and settings.
  virtual HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* duplicate) = 0;
  /// Checks the window and the level; every level mixes the same way here.
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
  /// Nothing to compact: DS_OK.
  virtual HRESULT Compact() = 0;
  /// Always DSSPEAKER_STEREO.
  virtual HRESULT GetSpeakerConfig(LPDWORD config) = 0;
  /// Accepted and ignored: the output is stereo.
  virtual HRESULT SetSpeakerConfig(DWORD config) = 0;
  /// DirectSoundCreate makes the device ready: DSERR_ALREADYINITIALIZED.
  virtual HRESULT Initialize(const GUID* device) = 0;
};
/// Pointer to an IDirectSound.
using LPDIRECTSOUND = IDirectSound*;

/// Opens the default output device (device must be null). Fails with
/// DSERR_NODRIVER when no audio output can be opened.
HRESULT DirectSoundCreate(const GUID* device, LPDIRECTSOUND* directSound, LPUNKNOWN outer);
