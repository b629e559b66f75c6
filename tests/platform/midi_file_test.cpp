// SPDX-License-Identifier: MIT
// The MIDI file reader: damaged files are refused without reading outside
// their bytes (the sanitizer build sees every such read, since each file is
// handed over in an allocation of exactly its size), and files that mido wrote
// read with mido's lengths and message counts, bare and in a RIFF form.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/mmsystem.h"
#include "winmm/midi_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes Text(const char* s) { return Bytes(s, s + strlen(s)); }
Bytes Le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }
Bytes Be32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

// A one-track format-0 file at 96 ticks a quarter whose track holds body.
Bytes Smf(const Bytes& body) {
  return Cat({Text("MThd"), Be32(6), {0, 0, 0, 1, 0, 96}, Text("MTrk"), Be32(static_cast<uint32_t>(body.size())), body});
}
const Bytes kNote = {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string DataDir() { return std::string(RALLEX_SOURCE_DIR) + "/tests/platform/data/midi/"; }

struct Damaged {
  const char* what;
  Bytes bytes;
};

TEST(MidiFile, DamagedFilesAreRefusedWithoutReadingPastTheirEnd) {
  const Damaged cases[] = {
      // A RIFF form whose last chunk has an odd length and no pad byte.
      {"LIST of length 1, no pad",
       {0x52, 0x49, 0x46, 0x46, 0x0D, 0x00, 0x00, 0x00, 0x52, 0x4D, 0x49, 0x44, 0x4C, 0x49, 0x53, 0x54, 0x01, 0x00,
        0x00, 0x00, 0x78}},
      {"INFO of length 3, no pad", Cat({Text("RIFF"), Le32(15), Text("RMID"), Text("INFO"), Le32(3), Text("abc")})},
      {"odd chunk, no pad, then a stray byte short of a chunk header",
       Cat({Text("RIFF"), Le32(20), Text("RMID"), Text("DISP"), Le32(5), Text("abcde"), {'d', 'a', 't'}})},
      {"chunk longer than the file", Cat({Text("RIFF"), Le32(100), Text("RMID"), Text("LIST"), Le32(90), Text("INFO")})},
      {"chunk length at the top of its range",
       Cat({Text("RIFF"), Le32(100), Text("RMID"), Text("LIST"), Le32(0xFFFFFFFF), Text("INFO")})},
      {"no data chunk", Cat({Text("RIFF"), Le32(16), Text("RMID"), Text("DISP"), Le32(4), Le32(1)})},
      {"data chunk cut inside the MIDI header",
       Cat({Text("RIFF"), Le32(24), Text("RMID"), Text("data"), Le32(12), Text("MThd"), Be32(6), {0, 0, 0, 1}})},
      {"RIFF header alone", Cat({Text("RIFF"), Le32(4), Text("RMID")})},
      // Standard MIDI Files.
      {"MIDI header length past the end", Cat({Text("MThd"), Be32(0xFFFFFFF0), {0, 0, 0, 1, 0, 96}})},
      {"MIDI header shorter than six bytes", Cat({Text("MThd"), Be32(5), {0, 0, 0, 1, 0, 96}, Text("MTrk"), Be32(0)})},
      {"no track", Cat({Text("MThd"), Be32(6), {0, 0, 0, 1, 0, 96}, Text("XFIH"), Be32(0)})},
      {"meta event longer than its track", Smf({0x00, 0xFF, 0x01, 0x7F, 'a', 'b'})},
      {"system exclusive longer than its track", Smf({0x00, 0xF0, 0x05, 0x7E, 0x7F})},
      {"delta time of five bytes", Smf({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100})},
      {"delta time cut off", Smf({0x81, 0x81})},
      {"note cut off", Smf({0x00, 0x90, 60})},
      {"data byte with no status", Smf({0x00, 60, 100})},
      {"tempo event cut off", Smf({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1})},
      {"SMPTE division of zero ticks a frame", Cat({Text("MThd"), Be32(6), {0, 0, 0, 1, 0xE7, 0}, Text("MTrk"),
                                                    Be32(static_cast<uint32_t>(kNote.size())), kNote})},
      {"format 2", Cat({Text("MThd"), Be32(6), {0, 2, 0, 1, 0, 96}, Text("MTrk"),
                        Be32(static_cast<uint32_t>(kNote.size())), kNote})},
  };
  platform::headless::Reset();
  char dir[] = "/tmp/rallex_midi_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  for (const Damaged& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes exact(c.bytes);  // exactly as large as the file
    platform::midi::Song song;
    EXPECT_FALSE(platform::midi::ParseSong(exact.data(), exact.size(), song));
    EXPECT_TRUE(song.events.empty());
    // Cut short by up to three bytes, it is read without reaching past its
    // end (the sanitizer build checks each read); a cut that leaves a track
    // empty may be read as a song without events, but never as more.
    for (size_t cut = exact.size() - 1; cut + 4 > exact.size() && cut > 0; --cut) {
      Bytes prefix(exact.begin(), exact.begin() + static_cast<long>(cut));
      platform::midi::Song shorter;
      if (platform::midi::ParseSong(prefix.data(), prefix.size(), shorter)) {
        EXPECT_TRUE(shorter.events.empty()) << cut << " bytes";
      }
    }
    std::string path = std::string(dir) + "/damaged.rmi";
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(exact.data(), 1, exact.size(), f);
    fclose(f);
    EXPECT_EQ(mciSendStringA(("open " + path + " type sequencer alias BAD").c_str(), nullptr, 0, nullptr),
              static_cast<MCIERROR>(MCIERR_INVALID_FILE));
    EXPECT_EQ(mciSendStringA("status BAD mode", nullptr, 0, nullptr),
              static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_NAME))
        << "nothing stays open";
    unlink(path.c_str());
  }
  rmdir(dir);
}

TEST(MidiFile, OddChunksWithTheirPadByteAreSkipped) {
  // An odd DISP chunk, its pad byte, then the data; and the same file with an
  // odd data chunk whose pad byte is missing at the very end.
  Bytes midi = Smf(Cat({{0x00, 0xC0, 5}, kNote}));  // 37 bytes: odd
  ASSERT_EQ(midi.size() % 2, 1u);
  Bytes padded = Cat({Text("RMID"), Text("DISP"), Le32(5), Text("abcde"), {0}, Text("data"),
                      Le32(static_cast<uint32_t>(midi.size())), midi});
  for (bool pad : {true, false}) {
    SCOPED_TRACE(pad ? "with the last pad byte" : "without the last pad byte");
    Bytes body = padded;
    if (pad) body.push_back(0);
    Bytes file = Cat({Text("RIFF"), Le32(static_cast<uint32_t>(body.size())), body});
    platform::midi::Song song;
    ASSERT_TRUE(platform::midi::ParseSong(file.data(), file.size(), song));
    ASSERT_EQ(song.events.size(), 3u);
    EXPECT_EQ(song.events[0].status, 0xC0);
    EXPECT_EQ(song.events[0].data1, 5);
    EXPECT_EQ(song.events[2].micros, 500000u) << "96 ticks at the default 120 a minute";
    EXPECT_EQ(song.lengthMicros, 500000u);
  }
}

TEST(MidiFile, FilesWrittenByMidoReadWithItsLengthsAndMessages) {
  std::ifstream table(DataDir() + "lengths.txt");
  ASSERT_TRUE(table.good());
  platform::headless::Reset();
  std::string line;
  int files = 0;
  while (std::getline(table, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream row(line);
    std::string name;
    uint64_t micros = 0;
    size_t messages = 0;
    ASSERT_TRUE(row >> name >> micros >> messages) << line;
    SCOPED_TRACE(name);
    Bytes bytes = ReadFile(DataDir() + name);
    ASSERT_FALSE(bytes.empty());
    platform::midi::Song song;
    ASSERT_TRUE(platform::midi::ParseSong(bytes.data(), bytes.size(), song));
    // mido rounds to the microsecond; the reader keeps whole microseconds.
    EXPECT_NEAR(static_cast<double>(song.lengthMicros), static_cast<double>(micros), 1.0);
    EXPECT_EQ(song.events.size(), messages);
    for (size_t i = 1; i < song.events.size(); ++i) ASSERT_LE(song.events[i - 1].micros, song.events[i].micros);

    // The sequencer answers the same length, in milliseconds.
    std::string path = DataDir() + name;
    ASSERT_EQ(mciSendStringA(("open " + path + " type sequencer alias M").c_str(), nullptr, 0, nullptr), 0u);
    char length[16] = "";
    EXPECT_EQ(mciSendStringA("status M length", length, sizeof length, nullptr), 0u);
    EXPECT_EQ(std::to_string(song.lengthMicros / 1000), length);
    EXPECT_EQ(mciSendStringA("close M", nullptr, 0, nullptr), 0u);
    ++files;
  }
  EXPECT_EQ(files, 8);
}

}  // namespace
