// SPDX-License-Identifier: MIT
#include "media/sound.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "media/errors.h"

static_assert(std::endian::native == std::endian::little, "WAV headers are read in place as little-endian records");

namespace {

// Static buffer with frequency, pan and volume control and an accurate play
// position.
constexpr DWORD kBufferFlags =
    DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;
static_assert(kBufferFlags == 0x100E2);

// Bytes left in a regular file from its current position, or -1 when that
// cannot be told (a pipe, a terminal).
long long BytesLeft(FILE* file) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  long at = ftell(file);
  if (at < 0) return -1;
  return static_cast<long long>(info.st_size) - at;
}

// The debugger line of a short read: the locked address, the locked length and
// the file handle's address, as decimal integers.
void ReportShortRead(const void* locked, DWORD length, const FILE* file) {
  char line[128];
  wsprintfA(line, "Data : %d, dwdata: %d, fp: %d", static_cast<int>(reinterpret_cast<intptr_t>(locked)),
            static_cast<int>(length), static_cast<int>(reinterpret_cast<intptr_t>(file)));
  OutputDebugStringA(line);
}

// What the loaders take from a WAV sound's header.
struct WaveFormat {
  uint32_t dataSize = 0;
  uint32_t samplesPerSecond = 0;
  uint16_t bitsPerSample = 0;
  uint16_t blockAlign = 0;
  uint16_t channels = 0;
};

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The extensible format's PCM sub-format after its leading 16-bit tag.
constexpr uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// The layout most files have: a 16-byte PCM format chunk first, the data chunk
// right after it. Such a sound is read at fixed offsets.
bool IsCanonical(const WaveHeader& h) {
  return memcmp(h.riff, "RIFF", 4) == 0 && memcmp(h.wave, "WAVE", 4) == 0 && memcmp(h.formatId, "fmt ", 4) == 0 &&
         h.formatSize == 16 && h.formatTag == kFormatPcm && memcmp(h.dataId, "data", 4) == 0;
}

WaveFormat FormatOf(const WaveHeader& h) {
  WaveFormat f;
  f.dataSize = h.dataSize;
  f.samplesPerSecond = h.samplesPerSecond;
  f.bitsPerSample = h.bitsPerSample;
  f.blockAlign = h.blockAlign;
  f.channels = h.channels;
  return f;
}

// Where the chunk walk reads the bytes after the header: an open file, from
// where the header ended.
class FileSource {
 public:
  // left: bytes the file holds after the header, or -1 when that is unknown.
  FileSource(FILE* file, long long left) : file_(file), left_(left) {}
  uint64_t Left() const { return left_ < 0 ? UINT64_MAX : static_cast<uint64_t>(left_); }
  bool Read(void* to, size_t bytes) {
    if (fread(to, bytes, 1, file_) != 1) return false;
    if (left_ >= 0) left_ -= static_cast<long long>(bytes);
    return true;
  }
  bool Skip(uint64_t bytes) {
    if (left_ >= 0) {
      // A regular file: seek, within what it holds.
      if (bytes > static_cast<uint64_t>(left_) || fseek(file_, static_cast<long>(bytes), SEEK_CUR) != 0) return false;
      left_ -= static_cast<long long>(bytes);
      return true;
    }
    uint8_t scratch[512];
    while (bytes > 0) {
      size_t step = bytes < sizeof scratch ? static_cast<size_t>(bytes) : sizeof scratch;
      if (fread(scratch, step, 1, file_) != 1) return false;
      bytes -= step;
    }
    return true;
  }

 private:
  FILE* file_;
  long long left_;
};

// A memory image of size bytes, read from after the header.
class MemorySource {
 public:
  MemorySource(const uint8_t* data, uint32_t size) : data_(data), size_(size), at_(sizeof(WaveHeader)) {}
  uint64_t Left() const { return size_ - at_; }
  bool Read(void* to, size_t bytes) {
    if (bytes > Left()) return false;
    memcpy(to, data_ + at_, bytes);
    at_ += static_cast<uint32_t>(bytes);
    return true;
  }
  bool Skip(uint64_t bytes) {
    if (bytes > Left()) return false;
    at_ += static_cast<uint32_t>(bytes);
    return true;
  }
  uint32_t Position() const { return at_; }

 private:
  const uint8_t* data_;
  uint32_t size_;
  uint32_t at_;
};

// Reads a WAV sound of any chunk layout: walks the RIFF chunks after "WAVE"
// (the first 44 bytes already read into header, the rest from source), takes
// the format from the "fmt " chunk and stops at the start of the "data" chunk's
// samples. Other chunks are skipped, odd sizes padded to even. Only 8- and
// 16-bit PCM (plain or extensible) is accepted; a chunk that runs past the
// bytes the sound holds, or past its RIFF size, refuses the sound, as does a
// data chunk before any format chunk.
template <typename Source>
bool WalkChunks(const WaveHeader& header, Source& source, WaveFormat* out) {
  if (memcmp(header.riff, "RIFF", 4) != 0 || memcmp(header.wave, "WAVE", 4) != 0) return false;
  uint8_t head[sizeof(WaveHeader)];
  memcpy(head, &header, sizeof head);
  // Bytes of the sound from offset 12 on: what the RIFF size claims, unless the
  // source plainly holds fewer (a size of 0 or -1 left by a streaming writer).
  uint64_t end = static_cast<uint64_t>(header.riffSize) + 8;
  const uint64_t held = source.Left() == UINT64_MAX ? UINT64_MAX : source.Left() + sizeof(WaveHeader);
  if (header.riffSize < 4 || end > held) end = held;
  uint64_t at = 12;  // offset of the next chunk header

  // Bytes at [at, at + n) into to: from the header while they lie in it.
  auto read = [&](uint8_t* to, size_t n) {
    size_t fromHead = 0;
    if (at < sizeof head) {
      fromHead = std::min<uint64_t>(n, sizeof head - at);
      memcpy(to, head + at, fromHead);
    }
    if (n > fromHead && !source.Read(to + fromHead, n - fromHead)) return false;
    at += n;
    return true;
  };
  auto skip = [&](uint64_t n) {
    if (at < sizeof head) {
      uint64_t inHead = std::min<uint64_t>(n, sizeof head - at);
      at += inHead;
      n -= inHead;
    }
    if (n > 0 && !source.Skip(n)) return false;
    at += n;
    return true;
  };

  bool haveFormat = false;
  while (at + 8 <= end) {
    uint8_t chunk[8];
    if (!read(chunk, 8)) return false;
    const uint32_t size = Le32(chunk + 4);
    if (static_cast<uint64_t>(size) > end - at) return false;
    if (memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16) return false;
      uint8_t body[40] = {};
      const size_t kept = std::min<uint32_t>(size, sizeof body);
      if (!read(body, kept)) return false;
      uint16_t tag = Le16(body);
      if (tag == kFormatExtensible) {
        // The sub-format names the real encoding.
        if (size < 40 || Le16(body + 16) < 22 || Le16(body + 24) != kFormatPcm ||
            memcmp(body + 26, kPcmGuidTail, sizeof kPcmGuidTail) != 0)
          return false;
        tag = kFormatPcm;
      }
      if (tag != kFormatPcm) return false;
      out->channels = Le16(body + 2);
      out->samplesPerSecond = Le32(body + 4);
      out->blockAlign = Le16(body + 12);
      out->bitsPerSample = Le16(body + 14);
      if (out->bitsPerSample != 8 && out->bitsPerSample != 16) return false;
      haveFormat = true;
      if (!skip(size - kept + (size & 1))) return false;
    } else if (memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return false;
      out->dataSize = size;
      return true;
    } else if (!skip(static_cast<uint64_t>(size) + (size & 1))) {
      return false;
    }
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// Sound

Sound::Sound() : notReady(1), soundOff(1), device(nullptr), caps{} {}

Sound::~Sound() {
  if (device) {
    device->Release();
    device = nullptr;
  }
}

int Sound::Create(HWND window) {
  // A second Create replaces the device rather than leaking the first.
  if (device) {
    device->Release();
    device = nullptr;
  }
  notReady = 1;
  soundOff = 1;
  HRESULT result = DirectSoundCreate(nullptr, &device, nullptr);
  if (result != DS_OK) {
    device = nullptr;
    ReportDirectSoundError(result, window);
    return 1;
  }
  result = device->SetCooperativeLevel(window, DSSCL_NORMAL);
  if (result != DS_OK) {
    ReportDirectSoundError(result, window);
    return 1;
  }
  soundOff = 0;
  notReady = 0;
  return 1;
}

int Sound::GetCaps() {
  if (notReady || !device) return 0;
  caps.dwSize = sizeof(DSCAPS);
  return device->GetCaps(&caps) == DS_OK ? 1 : 0;
}

// ---------------------------------------------------------------------------
// SoundBuffer: construction, slots

SoundBuffer::SoundBuffer() : bufferCount(1), nextBuffer(0), fileName(nullptr), owner(nullptr), buffers(nullptr) {}

SoundBuffer::~SoundBuffer() { ReleaseBuffers(); }

void SoundBuffer::ReleaseBuffers() {
  if (buffers) {
    for (int32_t i = 0; i < bufferCount; ++i) {
      if (buffers[i]) {
        buffers[i]->Release();
        buffers[i] = nullptr;
      }
    }
    delete[] buffers;
    buffers = nullptr;
  }
  owner = nullptr;
}

// The common start of every loader once its source is known to be there: the
// slot array of count empty slots and the owner. A sample loaded before is
// released first.
int SoundBuffer::Begin(Sound* sound, int32_t count) {
  if (count < 1) count = 1;
  auto* slots = new (std::nothrow) LPDIRECTSOUNDBUFFER[static_cast<size_t>(count)];
  if (!slots) return 0;
  for (int32_t i = 0; i < count; ++i) slots[i] = nullptr;
  ReleaseBuffers();
  buffers = slots;
  owner = sound;
  bufferCount = count;
  nextBuffer = 0;
  return 1;
}

int SoundBuffer::CreateBuffer(DWORD dataBytes, DWORD samplesPerSecond, WORD bitsPerSample, WORD blockAlign,
                              bool stereo, int32_t slot) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = stereo ? 2 : 1;
  format.nSamplesPerSec = samplesPerSecond;
  format.nAvgBytesPerSec = static_cast<DWORD>(blockAlign) * samplesPerSecond;
  format.nBlockAlign = blockAlign;
  format.wBitsPerSample = bitsPerSample;
  format.cbSize = 0;

  DSBUFFERDESC desc{};
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = kBufferFlags;
  desc.dwBufferBytes = dataBytes;
  desc.dwReserved = 0;
  desc.lpwfxFormat = &format;

  if (buffers[slot]) {
    buffers[slot]->Release();
    buffers[slot] = nullptr;
  }
  if (owner->device->CreateSoundBuffer(&desc, &buffers[slot], nullptr) != DS_OK) {
    buffers[slot] = nullptr;
    return 0;
  }
  return 1;
}

// ---------------------------------------------------------------------------
// Loading from files

int SoundBuffer::FillFromFile(FILE* file, long offset, int32_t slot) {
  if (offset != -1 && fseek(file, offset, SEEK_SET) != 0) return 0;
  void* locked = nullptr;
  DWORD length = 0;
  if (buffers[slot]->Lock(0, 0, &locked, &length, nullptr, nullptr, DSBLOCK_ENTIREBUFFER) != DS_OK) return 0;
  if (length != 0 && fread(locked, length, 1, file) != 1) {
    ReportShortRead(locked, length, file);
    buffers[slot]->Unlock(locked, length, nullptr, 0);
    return 0;
  }
  return buffers[slot]->Unlock(locked, length, nullptr, 0) == DS_OK ? 1 : 0;
}

// Reads the header at the file's position and makes the buffer of slot from
// it, leaving the file at the first sample byte when walked (a canonical header
// is followed by its samples in any case). A file that plainly holds fewer
// sample bytes than a canonical header claims is refused before any memory is
// set aside for them, with the same debugger line as a short read (nothing was
// locked, so the address is 0).
int SoundBuffer::ReadHeaderAndCreate(FILE* file, int32_t slot) {
  WaveHeader header;
  if (fread(&header, sizeof header, 1, file) != 1) return 0;
  long long left = BytesLeft(file);
  WaveFormat format;
  if (IsCanonical(header)) {
    if (left >= 0 && static_cast<unsigned long long>(left) < header.dataSize) {
      ReportShortRead(nullptr, header.dataSize, file);
      return 0;
    }
    format = FormatOf(header);
  } else {
    FileSource source(file, left);
    if (!WalkChunks(header, source, &format)) return 0;
  }
  return CreateBuffer(format.dataSize, format.samplesPerSecond, format.bitsPerSample, format.blockAlign,
                      format.channels > 1, slot);
}

int SoundBuffer::ReadWaveFile(int32_t slot) {
  FILE* file = fopen(fileName, "rb");
  if (!file) return 0;
  if (!ReadHeaderAndCreate(file, slot)) {
    fclose(file);
    return 0;
  }
  // A walked header leaves the file at its samples; a canonical one has them at
  // byte 44.
  int result = FillFromFile(file, -1, slot);
  fclose(file);
  return result;
}

int SoundBuffer::LoadFile(Sound* sound, const char* name, int32_t count) {
  if (!name || !sound || !sound->device) return 0;
  if (!Begin(sound, count)) return 0;
  fileName = name;
  if (!ReadWaveFile(0)) {
    ReleaseBuffers();
    return 0;
  }
  for (int32_t i = 1; i < bufferCount; ++i) {
    if (owner->device->DuplicateSoundBuffer(buffers[0], &buffers[i]) != DS_OK) {
      buffers[i] = nullptr;
      // The copy could not be made: this slot gets a buffer of its own.
      if (!ReadWaveFile(i)) {
        ReleaseBuffers();
        return 0;
      }
    }
  }
  return 1;
}

int SoundBuffer::LoadStream(Sound* sound, FILE* file, int32_t count) {
  if (!file || !sound || !sound->device) return 0;
  if (!Begin(sound, count)) return 0;
  if (!ReadHeaderAndCreate(file, 0) || !FillFromFile(file, -1, 0)) {
    ReleaseBuffers();
    return 0;
  }
  for (int32_t i = 1; i < bufferCount; ++i) {
    if (owner->device->DuplicateSoundBuffer(buffers[0], &buffers[i]) != DS_OK) {
      buffers[i] = nullptr;
      ReleaseBuffers();
      return 0;
    }
  }
  return 1;
}

// ---------------------------------------------------------------------------
// Loading from memory

int SoundBuffer::FillFromMemory(const uint8_t* bytes, uint32_t available, int32_t slot) {
  void* locked = nullptr;
  DWORD length = 0;
  if (buffers[slot]->Lock(0, 0, &locked, &length, nullptr, nullptr, DSBLOCK_ENTIREBUFFER) != DS_OK) return 0;
  if (length > available) {
    buffers[slot]->Unlock(locked, length, nullptr, 0);
    return 0;
  }
  memcpy(locked, bytes, length);
  return buffers[slot]->Unlock(locked, length, nullptr, 0) == DS_OK ? 1 : 0;
}

int SoundBuffer::ParseWaveImage(const uint8_t* data, uint32_t size, int32_t slot) {
  if (size < sizeof(WaveHeader)) return 0;
  WaveHeader header;
  memcpy(&header, data, sizeof header);
  WaveFormat format;
  uint32_t offset = sizeof(WaveHeader);
  if (IsCanonical(header)) {
    format = FormatOf(header);
  } else {
    MemorySource source(data, size);
    if (!WalkChunks(header, source, &format)) return 0;
    offset = source.Position();
  }
  const uint32_t available = size - offset;
  if (format.dataSize > available) return 0;
  if (!CreateBuffer(format.dataSize, format.samplesPerSecond, format.bitsPerSample, format.blockAlign,
                    format.channels > 1, slot))
    return 0;
  return FillFromMemory(data + offset, available, slot);
}

int SoundBuffer::LoadImage(Sound* sound, const void* data, uint32_t size, int32_t count) {
  if (!data || !sound || !sound->device) return 0;
  if (!Begin(sound, count)) return 0;
  fileName = nullptr;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (!ParseWaveImage(bytes, size, 0)) {
    ReleaseBuffers();
    return 0;
  }
  for (int32_t i = 1; i < bufferCount; ++i) {
    if (owner->device->DuplicateSoundBuffer(buffers[0], &buffers[i]) != DS_OK) {
      buffers[i] = nullptr;
      if (!ParseWaveImage(bytes, size, i)) {
        ReleaseBuffers();
        return 0;
      }
    }
  }
  return 1;
}

int SoundBuffer::LoadMemory(Sound* sound, const void* data, int32_t count) {
  // The caller vouches for the image: the header's data size is trusted.
  return LoadImage(sound, data, UINT32_MAX, count);
}

int SoundBuffer::LoadMemory(Sound* sound, const void* data, uint32_t size, int32_t count) {
  return LoadImage(sound, data, size, count);
}

int SoundBuffer::LoadResource(Sound* sound, const char* name, int32_t count) {
  if (!name || !sound || !sound->device) return 0;
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, name, "WAV");
  if (!resource) return 0;
  HGLOBAL handle = ::LoadResource(module, resource);
  if (!handle) return 0;
  const void* bytes = LockResource(handle);
  if (!bytes) return 0;
  return LoadImage(sound, bytes, SizeofResource(module, resource), count);
}

// ---------------------------------------------------------------------------
// Playing

// The buffer a play request uses: the current one when it is silent, otherwise
// the next in turn, cut off if it still sounds. A lost buffer is restored.
LPDIRECTSOUNDBUFFER SoundBuffer::PickBuffer() {
  if (!buffers || nextBuffer < 0 || nextBuffer >= bufferCount || !buffers[nextBuffer]) return nullptr;
  LPDIRECTSOUNDBUFFER buffer = buffers[nextBuffer];
  DWORD status = 0;
  if (buffer->GetStatus(&status) != DS_OK) status = 0;
  if (status & DSBSTATUS_PLAYING) {
    if (bufferCount <= 1) return nullptr;
    nextBuffer = nextBuffer + 1 >= bufferCount ? 0 : nextBuffer + 1;
    buffer = buffers[nextBuffer];
    if (!buffer) return nullptr;
    if (buffer->GetStatus(&status) != DS_OK) {
      status = 0;
    } else if (status & DSBSTATUS_PLAYING) {
      buffer->Stop();
      buffer->SetCurrentPosition(0);
    }
  }
  if ((status & DSBSTATUS_BUFFERLOST) && buffer->Restore() != DS_OK) return nullptr;
  return buffer;
}

int SoundBuffer::Play(DWORD flags, LONG pan, LONG volume) {
  if (!owner) return 0;
  if (owner->soundOff) return 1;
  LPDIRECTSOUNDBUFFER buffer = PickBuffer();
  if (!buffer) return 0;
  if (buffer->SetPan(pan) != DS_OK) return 0;
  if (buffer->SetVolume(volume) != DS_OK) return 0;
  if (buffer->SetFrequency(DSBFREQUENCY_ORIGINAL) != DS_OK) return 0;
  return buffer->Play(0, 0, flags) == DS_OK ? 1 : 0;
}

int SoundBuffer::PlayAtFrequency(DWORD frequency, LONG pan, DWORD flags) {
  if (!owner) return 0;
  if (owner->soundOff) return 1;
  LPDIRECTSOUNDBUFFER buffer = PickBuffer();
  if (!buffer) return 0;
  if (buffer->SetPan(pan) != DS_OK) return 0;
  if (buffer->SetFrequency(frequency) != DS_OK) return 0;
  return buffer->Play(0, 0, flags) == DS_OK ? 1 : 0;
}

int SoundBuffer::Stop() {
  if (!owner || !buffers) return 0;
  for (int32_t i = 0; i < bufferCount; ++i) {
    if (!buffers[i]) continue;
    if (buffers[i]->Stop() != DS_OK) return 0;
    if (buffers[i]->SetCurrentPosition(0) != DS_OK) return 0;
  }
  return 1;
}

void SoundBuffer::SetVolume(LONG volume) {
  if (!buffers) return;
  for (int32_t i = 0; i < bufferCount; ++i)
    if (buffers[i]) buffers[i]->SetVolume(volume);
}

void SoundBuffer::SetPan(LONG pan) {
  if (!buffers) return;
  for (int32_t i = 0; i < bufferCount; ++i)
    if (buffers[i]) buffers[i]->SetPan(pan);
}

int32_t SoundBuffer::PlayingCount() {
  if (!buffers) return 0;
  int32_t count = 0;
  for (int32_t i = 0; i < bufferCount; ++i) {
    DWORD status = 0;
    if (buffers[i] && buffers[i]->GetStatus(&status) == DS_OK && (status & DSBSTATUS_PLAYING)) ++count;
  }
  return count;
}
