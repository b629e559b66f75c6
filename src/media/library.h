// SPDX-License-Identifier: MIT
// ResourceLibrary: many data files packed into one.
//
// Two layouts are read:
// - current: "RXDC", a header value, an entry count and packed 13-byte records
//   (offset, size, type, identifier); entries are read in place through the
//   buffered stream (Surface::LoadBitmapFromLibrary);
// - older (no signature): an entry count and 20-byte records (offset, 8.3 name);
//   one entry at a time is copied out to the file "RESLIB.TMP", which can then
//   be loaded by name.
#pragma once

#include <cstdint>
#include <cstdio>

// One record of the older layout's directory, as stored.
struct LibraryDirectoryRecord {
  uint32_t offset;
  char name[16];
};
static_assert(sizeof(LibraryDirectoryRecord) == 20);

// One record of the current layout's directory.
struct LibraryEntry {
  uint32_t offset;
  uint32_t size;
  uint8_t type;
  uint32_t identifier;
};

class ResourceLibrary {
 public:
  ResourceLibrary() = default;
  ~ResourceLibrary();
  ResourceLibrary(const ResourceLibrary&) = delete;
  ResourceLibrary& operator=(const ResourceLibrary&) = delete;

  // Opens a library file and reads its directory; true on success.
  bool Open(const char* fileName);
  void Close();

  // Older layout: copies the named entry into "RESLIB.TMP" and returns that
  // name; null when the entry is missing or cannot be copied.
  const char* ExtractToTemp(const char* name);

  // Current layout.
  FILE* GetStream();
  int32_t FindEntryById(uint32_t identifier);
  // Positions the stream at the entry's data; null for an index outside the
  // directory.
  FILE* SeekToEntry(int32_t index);
  // 0 for an index outside the directory.
  uint32_t EntryOffset(int32_t index);
  uint32_t EntrySize(int32_t index);
  uint8_t EntryType(int32_t index);

  // The fields, in their order.
  LibraryDirectoryRecord* directory = nullptr;  // older layout, owned
  int libraryHandle = -1;                       // older layout, unbuffered
  int tempHandle = -1;
  uint32_t directoryCount = 0;
  FILE* stream = nullptr;  // current layout, buffered
  uint32_t formatMarker = 0;  // 1 for the older layout, else the header value
  uint32_t entryCount = 0;
  LibraryEntry* entries = nullptr;  // current layout, owned

 private:
  bool OpenOlderLayout(const char* fileName);
  bool ValidIndex(int32_t index) const;
};
