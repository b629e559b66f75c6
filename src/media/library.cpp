// SPDX-License-Identifier: MIT
#include "media/library.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/winbase.h"

namespace {

constexpr char kTempName[] = "RESLIB.TMP";
constexpr uint8_t kSignature[4] = {'R', 'X', 'D', 'C'};
constexpr size_t kHeaderSize = 12;
constexpr size_t kEntryRecordSize = 13;
constexpr size_t kNameCompareLength = 13;

uint32_t LittleEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Size of an open stream in bytes, or -1; the position is kept.
long StreamSize(FILE* stream) {
  long here = ftell(stream);
  if (here < 0 || fseek(stream, 0, SEEK_END) != 0) return -1;
  long size = ftell(stream);
  if (fseek(stream, here, SEEK_SET) != 0) return -1;
  return size;
}

bool ReadAll(int handle, void* buffer, size_t bytes) {
  auto* p = static_cast<uint8_t*>(buffer);
  while (bytes > 0) {
    ssize_t n = read(handle, p, bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    bytes -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int handle, const void* buffer, size_t bytes) {
  auto* p = static_cast<const uint8_t*>(buffer);
  while (bytes > 0) {
    ssize_t n = write(handle, p, bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    bytes -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

ResourceLibrary::~ResourceLibrary() { Close(); }

bool ResourceLibrary::Open(const char* fileName) {
  if (!fileName) return false;
  Close();  // a second Open starts over instead of leaking the first library
  FILE* file = fopen(fileName, "rb");
  if (!file) return false;
  uint8_t header[kHeaderSize];
  if (fread(header, 1, kHeaderSize, file) != kHeaderSize) {
    fclose(file);
    return false;
  }
  if (memcmp(header, kSignature, sizeof kSignature) != 0) {
    formatMarker = 1;
    fclose(file);
    return OpenOlderLayout(fileName);
  }

  // Current layout. The count comes from the file, so it is held against what
  // the file can hold before anything is allocated for it.
  uint32_t headerValue = LittleEndian32(header + 4);
  uint32_t count = LittleEndian32(header + 8);
  long size = StreamSize(file);
  if (size < 0 || static_cast<uint64_t>(count) * kEntryRecordSize > static_cast<uint64_t>(size) - kHeaderSize) {
    fclose(file);
    return false;
  }
  auto* list = new (std::nothrow) LibraryEntry[count > 0 ? count : 1]();
  if (!list) {
    fclose(file);
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t record[kEntryRecordSize];
    if (fread(record, 1, sizeof record, file) != sizeof record) {
      delete[] list;
      fclose(file);
      return false;
    }
    list[i].offset = LittleEndian32(record);
    list[i].size = LittleEndian32(record + 4);
    list[i].type = record[8];
    list[i].identifier = LittleEndian32(record + 9);
  }
  rewind(file);
  stream = file;
  formatMarker = headerValue;
  entryCount = count;
  entries = list;
  return true;
}

bool ResourceLibrary::OpenOlderLayout(const char* fileName) {
  libraryHandle = open(fileName, O_RDONLY);
  if (libraryHandle < 0) {
    libraryHandle = -1;
    return false;
  }
  uint8_t countBytes[4];
  if (!ReadAll(libraryHandle, countBytes, sizeof countBytes)) {
    Close();
    return false;
  }
  uint32_t count = LittleEndian32(countBytes);
  off_t size = lseek(libraryHandle, 0, SEEK_END);
  if (size < 0 || lseek(libraryHandle, 4, SEEK_SET) != 4 ||
      static_cast<uint64_t>(count) * sizeof(LibraryDirectoryRecord) > static_cast<uint64_t>(size) - 4) {
    Close();
    return false;
  }
  directory = new (std::nothrow) LibraryDirectoryRecord[count > 0 ? count : 1]();
  if (!directory) {
    Close();
    return false;
  }
  if (!ReadAll(libraryHandle, directory, static_cast<size_t>(count) * sizeof(LibraryDirectoryRecord))) {
    Close();
    return false;
  }
  directoryCount = count;
  return true;
}

void ResourceLibrary::Close() {
  // Whatever is open is closed, whichever layout it belongs to; a current-layout
  // header value of 1 must not make the stream leak.
  if (libraryHandle >= 0 || directory) DeleteFileA(kTempName);
  if (libraryHandle >= 0) {
    close(libraryHandle);
    libraryHandle = -1;
  }
  if (tempHandle >= 0) {
    close(tempHandle);
    tempHandle = -1;
  }
  delete[] directory;
  directory = nullptr;
  directoryCount = 0;
  delete[] entries;
  entries = nullptr;
  entryCount = 0;
  if (stream) {
    fclose(stream);
    stream = nullptr;
  }
  formatMarker = 0;
}

const char* ResourceLibrary::ExtractToTemp(const char* name) {
  DeleteFileA(kTempName);
  if (!name || !directory || libraryHandle < 0) return nullptr;

  uint32_t index = 0;
  while (index < directoryCount &&
         strncasecmp(directory[index].name, name,
                     std::min(kNameCompareLength, sizeof directory[index].name)) != 0)
    ++index;
  if (index >= directoryCount) return nullptr;

  // An entry ends where the next record's data begins; the last record's data
  // runs to the end of the file. Offsets that go backwards or past the file
  // are refused rather than trusted.
  off_t fileSize = lseek(libraryHandle, 0, SEEK_END);
  if (fileSize < 0) return nullptr;
  uint64_t start = directory[index].offset;
  uint64_t end = index + 1 < directoryCount ? directory[index + 1].offset : static_cast<uint64_t>(fileSize);
  if (start > end || end > static_cast<uint64_t>(fileSize)) return nullptr;
  size_t length = static_cast<size_t>(end - start);

  if (lseek(libraryHandle, static_cast<off_t>(start), SEEK_SET) != static_cast<off_t>(start)) return nullptr;
  tempHandle = open(kTempName, O_WRONLY | O_CREAT | O_TRUNC, S_IRUSR | S_IWUSR);
  if (tempHandle < 0) {
    tempHandle = -1;
    return nullptr;
  }
  auto* buffer = new (std::nothrow) uint8_t[length > 0 ? length : 1];
  bool copied = buffer && ReadAll(libraryHandle, buffer, length) && WriteAll(tempHandle, buffer, length);
  delete[] buffer;
  close(tempHandle);
  tempHandle = -1;
  if (!copied) {
    DeleteFileA(kTempName);
    return nullptr;
  }
  return kTempName;
}

FILE* ResourceLibrary::GetStream() { return stream; }

int32_t ResourceLibrary::FindEntryById(uint32_t identifier) {
  for (uint32_t i = 0; i < entryCount && entries; ++i)
    if (entries[i].identifier == identifier) return static_cast<int32_t>(i);
  return -1;
}

bool ResourceLibrary::ValidIndex(int32_t index) const {
  return entries && index >= 0 && static_cast<uint32_t>(index) < entryCount;
}

FILE* ResourceLibrary::SeekToEntry(int32_t index) {
  if (!stream || !ValidIndex(index)) return nullptr;
  if (fseeko(stream, static_cast<off_t>(entries[index].offset), SEEK_SET) != 0) return nullptr;
  return stream;
}

uint32_t ResourceLibrary::EntryOffset(int32_t index) { return ValidIndex(index) ? entries[index].offset : 0; }
uint32_t ResourceLibrary::EntrySize(int32_t index) { return ValidIndex(index) ? entries[index].size : 0; }
uint8_t ResourceLibrary::EntryType(int32_t index) { return ValidIndex(index) ? entries[index].type : 0; }
