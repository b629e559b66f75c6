// SPDX-License-Identifier: MIT
#include "media/library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "media_test_util.h"

using namespace media_test;

namespace {

struct CurrentEntry {
  uint32_t offset, size;
  uint8_t type;
  uint32_t id;
};

std::vector<uint8_t> CurrentLayout(uint32_t headerValue, uint32_t count, const std::vector<CurrentEntry>& entries) {
  std::vector<uint8_t> v = {'R', 'X', 'D', 'C'};
  Put32LE(v, headerValue);
  Put32LE(v, count);
  for (const auto& e : entries) {
    Put32LE(v, e.offset);
    Put32LE(v, e.size);
    v.push_back(e.type);
    Put32LE(v, e.id);
  }
  return v;
}

struct OldEntry {
  std::string name;
  std::vector<uint8_t> data;
};

// Older layout with a directory of the entries followed by their data; when
// endMarker is set, one more record marks the end of the last entry's data.
std::vector<uint8_t> OlderLayout(const std::vector<OldEntry>& entries, bool endMarker) {
  uint32_t records = static_cast<uint32_t>(entries.size()) + (endMarker ? 1 : 0);
  std::vector<uint8_t> v;
  Put32LE(v, records);
  uint32_t offset = 4 + records * 20;
  for (const auto& e : entries) {
    Put32LE(v, offset);
    char name[16] = {};
    memcpy(name, e.name.data(), std::min<size_t>(e.name.size(), 16));
    v.insert(v.end(), name, name + 16);
    offset += static_cast<uint32_t>(e.data.size());
  }
  if (endMarker) {
    Put32LE(v, offset);
    v.insert(v.end(), 16, 0);
  }
  for (const auto& e : entries) v.insert(v.end(), e.data.begin(), e.data.end());
  return v;
}

}  // namespace

TEST(ResourceLibraryCurrent, ReadsDirectoryAndSeeksToEntries) {
  ScopedWorkDir dir;
  std::vector<uint8_t> file = CurrentLayout(7, 3, {{51, 3, 1, 100}, {54, 2, 2, 200}, {56, 1, 3, 100}});
  ASSERT_EQ(file.size(), 51u);
  file.insert(file.end(), {'a', 'b', 'c', 'd', 'e', 'f'});
  WriteFile("lib.rxd", file);

  ResourceLibrary lib;
  ASSERT_TRUE(lib.Open("lib.rxd"));
  EXPECT_EQ(lib.formatMarker, 7u);
  EXPECT_EQ(lib.entryCount, 3u);
  // The first entry with the identifier wins.
  EXPECT_EQ(lib.FindEntryById(100), 0);
  EXPECT_EQ(lib.FindEntryById(200), 1);
  EXPECT_EQ(lib.FindEntryById(300), -1);
  EXPECT_EQ(lib.EntryOffset(1), 54u);
  EXPECT_EQ(lib.EntrySize(1), 2u);
  EXPECT_EQ(lib.EntryType(2), 3u);
  // The stream is rewound after the directory was read.
  ASSERT_NE(lib.GetStream(), nullptr);
  EXPECT_EQ(ftell(lib.GetStream()), 0);
  FILE* s = lib.SeekToEntry(1);
  ASSERT_EQ(s, lib.GetStream());
  EXPECT_EQ(fgetc(s), 'd');
  EXPECT_EQ(fgetc(s), 'e');
  // Indices outside the directory give nothing instead of reading past it.
  EXPECT_EQ(lib.SeekToEntry(3), nullptr);
  EXPECT_EQ(lib.SeekToEntry(-1), nullptr);
  EXPECT_EQ(lib.EntrySize(3), 0u);
  EXPECT_EQ(lib.EntryOffset(-5), 0u);

  lib.Close();
  EXPECT_EQ(lib.GetStream(), nullptr);
  EXPECT_EQ(lib.entries, nullptr);
  EXPECT_EQ(lib.FindEntryById(100), -1);
}

TEST(ResourceLibraryCurrent, EmptyAndLyingDirectories) {
  ScopedWorkDir dir;
  WriteFile("empty.rxd", CurrentLayout(5, 0, {}));
  ResourceLibrary lib;
  ASSERT_TRUE(lib.Open("empty.rxd"));
  EXPECT_EQ(lib.FindEntryById(0), -1);
  EXPECT_EQ(lib.SeekToEntry(0), nullptr);

  // A count the file cannot hold is refused before anything is allocated.
  WriteFile("huge.rxd", CurrentLayout(5, 0xFFFFFFFF, {{12, 1, 0, 1}}));
  EXPECT_FALSE(lib.Open("huge.rxd"));
  EXPECT_EQ(lib.GetStream(), nullptr);
  // A directory cut short in its last record.
  std::vector<uint8_t> cut = CurrentLayout(5, 2, {{12, 1, 0, 1}, {12, 1, 0, 2}});
  cut.resize(cut.size() - 1);
  WriteFile("cut.rxd", cut);
  EXPECT_FALSE(lib.Open("cut.rxd"));
  // Shorter than the 12-byte header, and missing.
  WriteFile("short.rxd", {'R', 'X', 'D', 'C', 0, 0});
  EXPECT_FALSE(lib.Open("short.rxd"));
  EXPECT_FALSE(lib.Open("missing.rxd"));
  EXPECT_FALSE(lib.Open(nullptr));
}

TEST(ResourceLibraryCurrent, HeaderValueOneStillClosesTheStream) {
  ScopedWorkDir dir;
  WriteFile("one.rxd", CurrentLayout(1, 1, {{25, 1, 0, 9}, }));
  // A stray RESLIB.TMP belongs to nobody here and survives.
  WriteFile("RESLIB.TMP", {1});
  ResourceLibrary lib;
  ASSERT_TRUE(lib.Open("one.rxd"));
  EXPECT_EQ(lib.formatMarker, 1u);
  EXPECT_EQ(lib.FindEntryById(9), 0);
  lib.Close();
  EXPECT_EQ(lib.GetStream(), nullptr);
  EXPECT_EQ(lib.entries, nullptr);
  EXPECT_TRUE(FileExists("RESLIB.TMP"));
}

TEST(ResourceLibraryOlder, ExtractsEntriesToTempFile) {
  ScopedWorkDir dir;
  WriteFile("old.lib", OlderLayout({{"ball.bmp", {1, 2, 3}}, {"paddle.bmp", {4, 5}}, {"last.dat", {6, 7, 8, 9}}},
                                   true));
  ResourceLibrary lib;
  ASSERT_TRUE(lib.Open("old.lib"));
  EXPECT_EQ(lib.formatMarker, 1u);
  EXPECT_EQ(lib.directoryCount, 4u);

  const char* temp = lib.ExtractToTemp("PADDLE.BMP");  // case does not matter
  ASSERT_NE(temp, nullptr);
  EXPECT_STREQ(temp, "RESLIB.TMP");
  EXPECT_EQ(ReadFile("RESLIB.TMP"), (std::vector<uint8_t>{4, 5}));
  // A second extraction replaces the first one's bytes entirely.
  ASSERT_NE(lib.ExtractToTemp("ball.bmp"), nullptr);
  EXPECT_EQ(ReadFile("RESLIB.TMP"), (std::vector<uint8_t>{1, 2, 3}));
  ASSERT_NE(lib.ExtractToTemp("last.dat"), nullptr);
  EXPECT_EQ(ReadFile("RESLIB.TMP"), (std::vector<uint8_t>{6, 7, 8, 9}));

  // A name not in the directory fails and leaves no temporary file.
  EXPECT_EQ(lib.ExtractToTemp("nothere.bmp"), nullptr);
  EXPECT_FALSE(FileExists("RESLIB.TMP"));
  EXPECT_EQ(lib.ExtractToTemp(nullptr), nullptr);

  ASSERT_NE(lib.ExtractToTemp("ball.bmp"), nullptr);
  lib.Close();
  EXPECT_FALSE(FileExists("RESLIB.TMP"));
  EXPECT_EQ(lib.directory, nullptr);
  EXPECT_EQ(lib.ExtractToTemp("ball.bmp"), nullptr);
}

TEST(ResourceLibraryOlder, NamesCompareOverThirteenCharacters) {
  ScopedWorkDir dir;
  // Stored names fill up to 16 bytes; only the first 13 characters count.
  WriteFile("old.lib", OlderLayout({{"abcdefghijklmXY", {1}}, {"short", {2}}}, true));
  ResourceLibrary lib;
  ASSERT_TRUE(lib.Open("old.lib"));
  ASSERT_NE(lib.ExtractToTemp("ABCDEFGHIJKLMzz"), nullptr);
  EXPECT_EQ(ReadFile("RESLIB.TMP"), (std::vector<uint8_t>{1}));
  EXPECT_EQ(lib.ExtractToTemp("shor"), nullptr);
  EXPECT_EQ(lib.ExtractToTemp("shortest"), nullptr);
}

TEST(ResourceLibraryOlder, LastRecordRunsToEndOfFile) {
  ScopedWorkDir dir;
  // Without an end record the last entry's data ends with the file.
  WriteFile("old.lib", OlderLayout({{"a", {1, 2}}, {"b", {3, 4, 5}}}, false));
  ResourceLibrary lib;
  ASSERT_TRUE(lib.Open("old.lib"));
  ASSERT_NE(lib.ExtractToTemp("b"), nullptr);
  EXPECT_EQ(ReadFile("RESLIB.TMP"), (std::vector<uint8_t>{3, 4, 5}));
}

TEST(ResourceLibraryOlder, CorruptDirectories) {
  ScopedWorkDir dir;
  ResourceLibrary lib;
  // Anything without the signature is the older layout, whatever it holds; a
  // count the file cannot back fails at once.
  std::vector<uint8_t> lying;
  Put32LE(lying, 0x7FFFFFFF);
  lying.resize(40, 0);
  WriteFile("lying.lib", lying);
  EXPECT_FALSE(lib.Open("lying.lib"));
  EXPECT_EQ(lib.directory, nullptr);
  EXPECT_EQ(lib.libraryHandle, -1);

  // Offsets going backwards or past the file are refused on extraction.
  std::vector<uint8_t> bad;
  Put32LE(bad, 3);
  Put32LE(bad, 100);
  bad.insert(bad.end(), {'f', 'a', 'r', 0});
  bad.resize(bad.size() + 12, 0);
  Put32LE(bad, 70);
  bad.insert(bad.end(), {'b', 'a', 'c', 'k', 0});
  bad.resize(bad.size() + 11, 0);
  Put32LE(bad, 64);
  bad.insert(bad.end(), {'e', 'n', 'd', 0});
  bad.resize(bad.size() + 12, 0);
  bad.resize(80, 0xAA);
  WriteFile("bad.lib", bad);
  ASSERT_TRUE(lib.Open("bad.lib"));
  EXPECT_EQ(lib.ExtractToTemp("far"), nullptr);   // 100 .. 70: backwards
  EXPECT_EQ(lib.ExtractToTemp("back"), nullptr);  // 70 .. 64: backwards
  ASSERT_NE(lib.ExtractToTemp("end"), nullptr);   // 64 .. 80 (end of file)
  EXPECT_EQ(ReadFile("RESLIB.TMP").size(), 16u);

  // Zero entries open; nothing can be extracted.
  std::vector<uint8_t> none;
  Put32LE(none, 0);
  none.resize(12, 0);
  WriteFile("none.lib", none);
  ASSERT_TRUE(lib.Open("none.lib"));
  EXPECT_EQ(lib.ExtractToTemp(""), nullptr);
}
