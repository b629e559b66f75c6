// SPDX-License-Identifier: MIT
/// @file
/// ResourceLibrary: many data files packed into one.
///
/// Two layouts are read:
/// - current: "RXDC", a header value, an entry count and packed 13-byte records
///   (offset, size, type, identifier); entries are read in place through the
///   buffered stream (Surface::LoadBitmapFromLibrary);
/// - older (no signature): an entry count and 20-byte records (offset, 8.3 name);
///   one entry at a time is copied out to the file "RESLIB.TMP", which can then
///   be loaded by name.
#pragma once

#include <cstdint>
#include <cstdio>

/// One record of the older layout's directory, as stored.
struct LibraryDirectoryRecord {
  uint32_t offset;  ///< where the entry's data starts in the file
  char name[16];    ///< its 8.3 name, zero-padded
};
static_assert(sizeof(LibraryDirectoryRecord) == 20);

/// One record of the current layout's directory.
struct LibraryEntry {
  uint32_t offset;      ///< where the entry's data starts in the file
  uint32_t size;        ///< its length in bytes
  uint8_t type;         ///< what kind of data it is (the writer's choice)
  uint32_t identifier;  ///< the number FindEntryById looks for
};

/// A library file of either layout. See the file's description.
class ResourceLibrary {
 public:
  /// Nothing open.
  ResourceLibrary() = default;
  /// Close.
  ~ResourceLibrary();
  ResourceLibrary(const ResourceLibrary&) = delete;
  ResourceLibrary& operator=(const ResourceLibrary&) = delete;

  /// Opens a library file and reads its directory; true on success.
  bool Open(const char* fileName);
  /// Closes whatever is open and deletes "RESLIB.TMP" after the older layout.
  void Close();

  /// Older layout: copies the named entry into "RESLIB.TMP" and returns that
  /// name; null when the entry is missing or cannot be copied.
  const char* ExtractToTemp(const char* name);

  /// @name Current layout
  /** @{ */
  /// The buffered stream the entries are read through.
  FILE* GetStream();
  /// The index of the entry with that identifier, or -1.
  int32_t FindEntryById(uint32_t identifier);
  /// Positions the stream at the entry's data; null for an index outside the
  /// directory.
  FILE* SeekToEntry(int32_t index);
  /// The entry's offset; 0 for an index outside the directory.
  uint32_t EntryOffset(int32_t index);
  /// The entry's size; 0 for an index outside the directory.
  uint32_t EntrySize(int32_t index);
  /// The entry's type; 0 for an index outside the directory.
  uint8_t EntryType(int32_t index);
  /** @} */

  /// @name The fields, in their order
  /** @{ */
  LibraryDirectoryRecord* directory = nullptr;  ///< older layout, owned
  int libraryHandle = -1;                       ///< older layout, unbuffered
  /// "RESLIB.TMP" while an entry is being copied out, else -1.
  int tempHandle = -1;
  /// The older layout's entry count.
  uint32_t directoryCount = 0;
  FILE* stream = nullptr;  ///< current layout, buffered
  uint32_t formatMarker = 0;  ///< 1 for the older layout, else the header value
  /// The current layout's entry count.
  uint32_t entryCount = 0;
  LibraryEntry* entries = nullptr;  ///< current layout, owned
  /** @} */

 private:
  bool OpenOlderLayout(const char* fileName);
  bool ValidIndex(int32_t index) const;
};
