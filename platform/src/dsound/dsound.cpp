// SPDX-License-Identifier: MIT
// DirectSound on the software mixer: the device object and its sound buffers.
// A buffer owns a mixer voice; its sample memory is shared with its duplicates
// and lives until the last of them is released. Buffers keep the output open,
// so a buffer that outlives its device still plays.
#include "platform/dsound.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "com/object.h"
#include "hooks/hooks.h"
#include "dsound/mixer.h"
#include "platform/winuser.h"

const IID IID_IDirectSound = {0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace platform::dsound {
namespace {

using audio::Mixer;

constexpr GUID kNullGuid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
// DSDEVID_DefaultPlayback.
constexpr GUID kDefaultPlayback = {0xDEF00000, 0x9C6D, 0x47ED, {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};

int failingDuplicates = 0;

constexpr DWORD kKnownFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_STATIC | DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE |
                              DSBCAPS_CTRL3D | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                              DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS |
                              DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_MUTE3DATMAXDISTANCE;

// Keeps the mixer's output open for as long as a device or one of its buffers
// exists.
struct OutputHold {
  OutputHold() = default;
  OutputHold(const OutputHold&) = delete;
  OutputHold& operator=(const OutputHold&) = delete;
  ~OutputHold() { Mixer::Get().Release(); }
};

// The sample bytes shared by a buffer and its duplicates.
struct SampleMemory {
  uint8_t* bytes = nullptr;
  uint32_t size = 0;
  SampleMemory() = default;
  SampleMemory(const SampleMemory&) = delete;
  SampleMemory& operator=(const SampleMemory&) = delete;
  ~SampleMemory() { free(bytes); }
};

// Hundredths of a decibel to an amplitude factor; the floor is silence.
float GainOf(LONG hundredthsDb) {
  if (hundredthsDb <= DSBVOLUME_MIN) return 0.0f;
  if (hundredthsDb >= 0) return 1.0f;
  return std::pow(10.0f, static_cast<float>(hundredthsDb) / 2000.0f);
}

HRESULT CheckFormat(const WAVEFORMATEX* f) {
  if (!f) return DSERR_INVALIDPARAM;
  if (f->wFormatTag != WAVE_FORMAT_PCM) return DSERR_BADFORMAT;
  if (f->nChannels != 1 && f->nChannels != 2) return DSERR_BADFORMAT;
  if (f->wBitsPerSample != 8 && f->wBitsPerSample != 16) return DSERR_BADFORMAT;
  if (f->nSamplesPerSec < DSBFREQUENCY_MIN || f->nSamplesPerSec > DSBFREQUENCY_MAX) return DSERR_BADFORMAT;
  // A block wider than its samples is accepted: each frame plays the samples at
  // the start of its block.
  if (f->nBlockAlign < f->nChannels * (f->wBitsPerSample / 8)) return DSERR_BADFORMAT;
  return DS_OK;
}

class Buffer final : public com::Object<IDirectSoundBuffer> {
 public:
  Buffer(std::shared_ptr<OutputHold> hold, std::shared_ptr<SampleMemory> memory, DWORD flags,
         const WAVEFORMATEX& format)
      : hold_(std::move(hold)), memory_(std::move(memory)), flags_(flags), format_(format) {
    format_.cbSize = 0;
    voice_.data = memory_->bytes;
    voice_.bytes = memory_->size;
    voice_.blockAlign = format_.nBlockAlign;
    voice_.frames = memory_->size / format_.nBlockAlign;
    voice_.channels = format_.nChannels;
    voice_.bits = format_.wBitsPerSample;
    voice_.sampleRate = format_.nSamplesPerSec;
    Mixer::Get().Add(&voice_);
  }

  // A duplicate: same memory, format and settings, stopped at the start.
  Buffer* Duplicate() {
    auto* copy = new (std::nothrow) Buffer(hold_, memory_, flags_, format_);
    if (!copy) return nullptr;
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    copy->volume_ = volume_;
    copy->pan_ = pan_;
    copy->voice_.frequency = voice_.frequency;
    copy->voice_.gainLeft = voice_.gainLeft;
    copy->voice_.gainRight = voice_.gainRight;
    Mixer::Get().UpdateStep(copy->voice_);
    return copy;
  }

  bool Lost() {
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    return voice_.lost;
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, static_cast<IDirectSoundBuffer*>(this), {&IID_IDirectSoundBuffer});
  }
  // The buffer leaves the mixer before its memory goes.
  void LastReleased() override {
    Mixer::Get().Remove(&voice_);
    delete this;
  }

  HRESULT GetCaps(LPDSBCAPS caps) override {
    if (!caps || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = flags_ | DSBCAPS_LOCSOFTWARE;
    caps->dwBufferBytes = memory_->size;
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
  }

  HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override {
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    DWORD at = static_cast<DWORD>(voice_.position >> 32) * format_.nBlockAlign;
    if (at >= memory_->size) at = 0;
    if (playCursor) *playCursor = at;
    if (writeCursor) *writeCursor = at;
    return DS_OK;
  }

  HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) override {
    if (!format) {
      if (!sizeWritten) return DSERR_INVALIDPARAM;
      *sizeWritten = sizeof(WAVEFORMATEX);
      return DS_OK;
    }
    if (sizeAllocated < 16) return DSERR_INVALIDPARAM;
    DWORD n = sizeAllocated < sizeof(WAVEFORMATEX) ? sizeAllocated : sizeof(WAVEFORMATEX);
    memcpy(format, &format_, n);
    if (sizeWritten) *sizeWritten = n;
    return DS_OK;
  }

  HRESULT GetVolume(LPLONG volume) override {
    if (!volume) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    *volume = volume_;
    return DS_OK;
  }
  HRESULT GetPan(LPLONG pan) override {
    if (!pan) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    *pan = pan_;
    return DS_OK;
  }
  HRESULT GetFrequency(LPDWORD frequency) override {
    if (!frequency) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    *frequency = voice_.frequency ? voice_.frequency : voice_.sampleRate;
    return DS_OK;
  }

  HRESULT GetStatus(LPDWORD status) override {
    if (!status) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    DWORD s = 0;
    if (voice_.playing) s |= DSBSTATUS_PLAYING | (voice_.looping ? DSBSTATUS_LOOPING : 0);
    if (voice_.lost) s |= DSBSTATUS_BUFFERLOST;
    *status = s;
    return DS_OK;
  }

  HRESULT Initialize(IDirectSound*, LPCDSBUFFERDESC) override { return DSERR_ALREADYINITIALIZED; }

  HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
               DWORD flags) override {
    if (!part1 || !bytes1) return DSERR_INVALIDPARAM;
    const DWORD size = memory_->size;
    {
      std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
      if (voice_.lost) return DSERR_BUFFERLOST;
      if (flags & DSBLOCK_FROMWRITECURSOR) {
        offset = static_cast<DWORD>(voice_.position >> 32) * format_.nBlockAlign;
        if (offset >= size) offset = 0;
      }
    }
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
    if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    uint8_t* base = memory_->bytes;
    if (bytes <= size - offset) {
      *part1 = base + offset;
      *bytes1 = bytes;
      if (part2) *part2 = nullptr;
      if (bytes2) *bytes2 = 0;
    } else {
      *part1 = base + offset;
      *bytes1 = size - offset;
      if (part2) *part2 = base;
      if (bytes2) *bytes2 = part2 ? bytes - (size - offset) : 0;
    }
    return DS_OK;
  }

  HRESULT Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) override {
    uint8_t* base = memory_->bytes;
    const DWORD size = memory_->size;
    auto* p1 = static_cast<uint8_t*>(part1);
    if (!p1 || p1 < base || p1 >= base + size) return DSERR_INVALIDPARAM;
    if (bytes1 > static_cast<DWORD>(base + size - p1)) return DSERR_INVALIDPARAM;
    if (part2) {
      if (part2 != base || bytes2 > size) return DSERR_INVALIDPARAM;
    } else if (bytes2 != 0) {
      return DSERR_INVALIDPARAM;
    }
    return DS_OK;
  }

  HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override {
    if (reserved != 0 || priority != 0 || (flags & ~static_cast<DWORD>(DSBPLAY_LOOPING))) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    if (voice_.lost) return DSERR_BUFFERLOST;
    voice_.looping = (flags & DSBPLAY_LOOPING) != 0;
    voice_.playing = true;
    return DS_OK;
  }

  HRESULT SetCurrentPosition(DWORD position) override {
    if (position >= memory_->size) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    voice_.position = static_cast<uint64_t>(position / format_.nBlockAlign) << 32;
    return DS_OK;
  }

  HRESULT SetFormat(LPCWAVEFORMATEX) override { return DSERR_INVALIDCALL; }

  HRESULT SetVolume(LONG volume) override {
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    volume_ = volume;
    ApplyGains();
    return DS_OK;
  }

  HRESULT SetPan(LONG pan) override {
    if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    pan_ = pan;
    ApplyGains();
    return DS_OK;
  }

  HRESULT SetFrequency(DWORD frequency) override {
    if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
      return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    voice_.frequency = frequency;
    Mixer::Get().UpdateStep(voice_);
    return DS_OK;
  }

  HRESULT Stop() override {
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    voice_.playing = false;
    return DS_OK;
  }

  // The memory of a software buffer survives the loss, so it plays again as it
  // was once restored.
  HRESULT Restore() override {
    // Not while the output device is gone: there is nothing to restore onto.
    if (Mixer::Get().DeviceGone()) return DSERR_BUFFERLOST;
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    voice_.lost = false;
    return DS_OK;
  }

 private:
  ~Buffer() override = default;

  // Volume takes from both sides; pan takes |pan| from the far side only.
  void ApplyGains() {
    float volume = GainOf(volume_);
    float left = volume * (pan_ > 0 ? GainOf(-pan_) : 1.0f);
    float right = volume * (pan_ < 0 ? GainOf(pan_) : 1.0f);
    std::lock_guard<std::mutex> lock(Mixer::Get().Mutex());
    voice_.gainLeft = left;
    voice_.gainRight = right;
  }

  std::shared_ptr<OutputHold> hold_;
  std::shared_ptr<SampleMemory> memory_;
  DWORD flags_;
  WAVEFORMATEX format_;
  LONG volume_ = 0;
  LONG pan_ = 0;
  audio::Voice voice_;
};

class Device final : public com::Object<IDirectSound> {
 public:
  explicit Device(std::shared_ptr<OutputHold> hold) : hold_(std::move(hold)) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, static_cast<IDirectSound*>(this), {&IID_IDirectSound});
  }

  HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) override {
    if (!buffer) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    if (!desc || (desc->dwSize != sizeof(DSBUFFERDESC) && desc->dwSize != DSBUFFERDESC_PLATFORM_SIZE))
      return DSERR_INVALIDPARAM;
    if (desc->dwFlags & ~kKnownFlags) return DSERR_INVALIDPARAM;
    if ((desc->dwFlags & DSBCAPS_LOCHARDWARE) && (desc->dwFlags & DSBCAPS_LOCSOFTWARE)) return DSERR_INVALIDPARAM;
    // There is no primary buffer to write to and no 3-D processing.
    if (desc->dwFlags & (DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D | DSBCAPS_LOCHARDWARE)) return DSERR_UNSUPPORTED;
    if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
    if (HRESULT r = CheckFormat(desc->lpwfxFormat); r != DS_OK) return r;

    auto memory = std::make_shared<SampleMemory>();
    memory->bytes = static_cast<uint8_t*>(malloc(desc->dwBufferBytes));
    if (!memory->bytes) return DSERR_OUTOFMEMORY;
    memory->size = desc->dwBufferBytes;
    // Silence: 8-bit samples are unsigned around 128.
    memset(memory->bytes, desc->lpwfxFormat->wBitsPerSample == 8 ? 0x80 : 0, memory->size);
    auto* made = new (std::nothrow) Buffer(hold_, memory, desc->dwFlags, *desc->lpwfxFormat);
    if (!made) return DSERR_OUTOFMEMORY;
    *buffer = made;
    return DS_OK;
  }

  HRESULT GetCaps(LPDSCAPS caps) override {
    if (!caps || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
    DSCAPS c{};
    c.dwSize = sizeof(DSCAPS);
    c.dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                DSCAPS_CONTINUOUSRATE | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT |
                DSCAPS_SECONDARY16BIT;
    c.dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
    c.dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
    c.dwPrimaryBuffers = 1;
    *caps = c;
    return DS_OK;
  }

  HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* duplicate) override {
    if (!duplicate) return DSERR_INVALIDPARAM;
    *duplicate = nullptr;
    auto* source = dynamic_cast<Buffer*>(original);
    if (!source) return DSERR_INVALIDPARAM;
    if (source->Lost()) return DSERR_BUFFERLOST;
    if (failingDuplicates > 0) {
      --failingDuplicates;
      return DSERR_OUTOFMEMORY;
    }
    Buffer* copy = source->Duplicate();
    if (!copy) return DSERR_OUTOFMEMORY;
    *duplicate = copy;
    return DS_OK;
  }

  HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
    if (!window || !IsWindow(window)) return DSERR_INVALIDPARAM;
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
    // Every level mixes the same way: there is no primary buffer to take over.
    return DS_OK;
  }

  HRESULT Compact() override { return DS_OK; }
  HRESULT GetSpeakerConfig(LPDWORD config) override {
    if (!config) return DSERR_INVALIDPARAM;
    *config = DSSPEAKER_STEREO;
    return DS_OK;
  }
  HRESULT SetSpeakerConfig(DWORD) override { return DS_OK; }
  HRESULT Initialize(const GUID*) override { return DSERR_ALREADYINITIALIZED; }

 private:
  ~Device() override = default;
  std::shared_ptr<OutputHold> hold_;
};

}  // namespace

}  // namespace platform::dsound

namespace platform::hooks::dsound {
using platform::audio::Mixer;
void Reset() {
  platform::dsound::failingDuplicates = 0;
  Mixer::Get().DeviceGone(false);
}
void FailDuplicates(int count) { platform::dsound::failingDuplicates = count; }
void LoseAllBuffers() { Mixer::Get().LoseAll(); }
}  // namespace platform::hooks::dsound

HRESULT DirectSoundCreate(const GUID* device, LPDIRECTSOUND* directSound, LPUNKNOWN outer) {
  using namespace platform::dsound;
  if (!directSound) return DSERR_INVALIDPARAM;
  *directSound = nullptr;
  if (outer) return DSERR_NOAGGREGATION;
  if (device && *device != kNullGuid && *device != kDefaultPlayback) return DSERR_NODRIVER;
  if (!platform::audio::Mixer::Get().Acquire()) return DSERR_NODRIVER;
  auto hold = std::make_shared<OutputHold>();
  auto* made = new (std::nothrow) Device(hold);
  if (!made) return DSERR_OUTOFMEMORY;
  *directSound = made;
  return DS_OK;
}
