// SPDX-License-Identifier: MIT
// WAV files as sox writes them in layouts other than the canonical 44-byte one
// (extensible format chunks, fact and PEAK chunks, a LIST chunk before the
// samples, compressed and float encodings), through all four loaders. The
// expected sample bytes are sox's own reading of each file (`sox f.wav -t raw`).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "kernel/resources.h"
#include "media/media_test_util.h"
#include "media/sound.h"
#include "platform/headless.h"
#include "sound_test_util.h"

namespace {

using namespace sound_test;
namespace headless = platform::headless;

void Sox(const std::string& args) {
  std::string command = "sox -q " + args + " 2>/dev/null";
  ASSERT_EQ(system(command.c_str()), 0) << command;
}

size_t FindChunk(const std::vector<uint8_t>& v, const char* id) {
  for (size_t at = 12; at + 8 <= v.size();) {
    if (memcmp(v.data() + at, id, 4) == 0) return at;
    uint32_t size = v[at + 4] | v[at + 5] << 8 | v[at + 6] << 16 | static_cast<uint32_t>(v[at + 7]) << 24;
    at += 8 + size + (size & 1);
  }
  return std::string::npos;
}

// A LIST/INFO chunk of odd size (23 bytes and its pad byte) put in before the
// data chunk, as audio editors write it; the RIFF size grows to match.
std::vector<uint8_t> WithListChunk(std::vector<uint8_t> v) {
  std::vector<uint8_t> list = {'L', 'I', 'S', 'T'};
  Put32(list, 23);
  const char body[] = "INFOICMT\x0b\0\0\0made by sox";
  list.insert(list.end(), body, body + 23);
  list.push_back(0);  // pad
  size_t data = FindChunk(v, "data");
  v.insert(v.begin() + static_cast<long>(data), list.begin(), list.end());
  uint32_t riff = static_cast<uint32_t>(v.size() - 8);
  memcpy(v.data() + 4, &riff, 4);
  return v;
}

// The sample bytes in slot 0 of a loaded buffer.
std::vector<uint8_t> BufferBytes(SoundBuffer& b) {
  void* p = nullptr;
  DWORD n = 0;
  EXPECT_EQ(b.buffers[0]->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
  std::vector<uint8_t> out(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n);
  b.buffers[0]->Unlock(p, n, nullptr, 0);
  return out;
}

class WavLayouts : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Reset();
    ASSERT_EQ(sound.Create(MakeWindow()), 1);
  }

  enum Loader { kFile, kStream, kMemory, kResource };
  static constexpr const char* kLoaderNames[] = {"LoadFile", "LoadStream", "LoadMemory", "LoadResource"};

  // Loads bytes with one loader; the stream starts 7 bytes into its file and
  // streamEnd receives where it was left.
  int Load(Loader how, const std::vector<uint8_t>& bytes, SoundBuffer& b, long* streamEnd = nullptr) {
    switch (how) {
      case kFile:
        media_test::WriteFile("f.wav", bytes);
        return b.LoadFile(&sound, "f.wav", 2);
      case kStream: {
        std::vector<uint8_t> padded = {1, 2, 3, 4, 5, 6, 7};
        padded.insert(padded.end(), bytes.begin(), bytes.end());
        media_test::WriteFile("s.bin", padded);
        FILE* f = fopen("s.bin", "rb");
        fseek(f, 7, SEEK_SET);
        int result = b.LoadStream(&sound, f, 2);
        if (streamEnd) *streamEnd = ftell(f);
        fclose(f);
        return result;
      }
      case kMemory:
        return b.LoadMemory(&sound, bytes.data(), static_cast<uint32_t>(bytes.size()), 2);
      case kResource: {
        // Registered entries must live for the whole run.
        static std::deque<std::vector<uint8_t>> kept;
        static std::deque<std::string> names;
        static std::deque<platform::kernel::ResourceEntry> entries;
        kept.push_back(bytes);
        names.push_back("LAYOUT" + std::to_string(names.size()));
        entries.push_back({names.back().c_str(), "WAV", kept.back().data(), kept.back().size()});
        platform::kernel::RegisterResources(&entries.back(), 1);
        return b.LoadResource(&sound, names.back().c_str(), 2);
      }
    }
    return -1;
  }

  Sound sound;
  media_test::ScopedWorkDir dir;
};

TEST_F(WavLayouts, SoxFilesLoadTheirSamplesOrAreRefusedWithNothingKept) {
  struct Case {
    const char* what;
    const char* options;  // sox output options
    const char* tones;    // one per channel
    bool loads;
    int channels;
    int bits;
    bool addList = false;
  };
  const Case cases[] = {
      {"wavpcm stereo", "-t wavpcm -b 16 -c 2", "sine 440 sine 880", true, 2, 16},
      {"LIST chunk before the data", "-b 16 -c 1", "sine 440", true, 1, 16, true},
      {"extensible, 4 channels", "-b 16 -c 4", "sine 300 sine 500 sine 700 sine 900", true, 4, 16},
      {"extensible, 6 channels of 8 bits", "-b 8 -c 6", "sine 300 sine 500 sine 700 sine 900 sine 1100 sine 1300",
       true, 6, 8},
      {"extensible, 3 channels of 8 bits, LIST", "-b 8 -c 3", "sine 300 sine 500 sine 700", true, 3, 8, true},
      {"mu-law", "-e mu-law", "sine 440", false, 1, 8},
      {"A-law", "-e a-law", "sine 440", false, 1, 8},
      {"IMA ADPCM", "-e ima-adpcm", "sine 440", false, 1, 4},
      {"MS ADPCM", "-e ms-adpcm", "sine 440", false, 1, 4},
      {"extensible 24 bits", "-b 24", "sine 440", false, 1, 24},
      {"float", "-e float -b 32", "sine 440", false, 1, 32},
      {"float with PEAK (libsndfile)", "-e float -b 32 -t sndfile", "sine 440", false, 1, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Sox(std::string("-n -r 11025 ") + c.options + " made.wav synth 0.05 " + c.tones);
    auto file = media_test::ReadFile("made.wav");
    if (c.addList) file = WithListChunk(file);
    std::vector<uint8_t> raw;
    if (c.loads) {
      Sox("made.wav -t raw made.raw");
      raw = media_test::ReadFile("made.raw");
      ASSERT_EQ(raw.size(), 551u * c.channels * c.bits / 8) << "sox's own reading";
    }
    for (Loader how : {kFile, kStream, kMemory, kResource}) {
      SCOPED_TRACE(kLoaderNames[how]);
      SoundBuffer b;
      long streamEnd = -1;
      if (!c.loads) {
        EXPECT_EQ(Load(how, file, b, &streamEnd), 0);
        EXPECT_EQ(b.buffers, nullptr);
        EXPECT_EQ(b.owner, nullptr);
        continue;
      }
      ASSERT_EQ(Load(how, file, b, &streamEnd), 1);
      EXPECT_EQ(BufferBytes(b), raw) << "the samples and nothing of the header";
      WAVEFORMATEX f{};
      ASSERT_EQ(b.buffers[0]->GetFormat(&f, sizeof f, nullptr), DS_OK);
      EXPECT_EQ(f.nChannels, c.channels > 1 ? 2 : 1);
      EXPECT_EQ(f.nBlockAlign, c.channels * c.bits / 8);
      EXPECT_EQ(f.wBitsPerSample, c.bits);
      EXPECT_EQ(f.nSamplesPerSec, 11025u);
      ASSERT_NE(b.buffers[1], nullptr);
      if (how == kStream) {
        EXPECT_EQ(streamEnd, static_cast<long>(7 + FindChunk(file, "data") + 8 + raw.size())) << "after the samples";
      }
    }
  }
}

TEST_F(WavLayouts, BrokenChunkStructuresAreRefusedByEveryLoader) {
  Sox("-n -r 11025 -b 16 -c 4 made.wav synth 0.05 sine 300 sine 500 sine 700 sine 900");
  const auto good = WithListChunk(media_test::ReadFile("made.wav"));
  const size_t fmt = FindChunk(good, "fmt "), list = FindChunk(good, "LIST"), data = FindChunk(good, "data");
  ASSERT_NE(data, std::string::npos);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  auto edit = [&](size_t at, const char* with, size_t n) {
    auto v = good;
    memcpy(v.data() + at, with, n);
    return v;
  };
  auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)); };
  std::vector<uint8_t> dataFirst = good;
  {
    // The data chunk moved in front of the format chunk.
    std::vector<uint8_t> d(good.begin() + static_cast<long>(data), good.end());
    dataFirst.resize(data);
    dataFirst.insert(dataFirst.begin() + 12, d.begin(), d.end());
  }
  const Case cases[] = {
      {"the last sample byte missing", cut(good.size() - 1)},
      {"cut inside the LIST chunk", cut(list + 12)},
      {"cut right after the data chunk header", cut(data + 8)},
      {"no format chunk", edit(fmt, "fmX ", 4)},
      {"no data chunk", edit(data, "datX", 4)},
      {"a LIST chunk claiming more than the file", edit(list + 4, "\xf0\xff\xff\xff", 4)},
      {"a format chunk too short for its fields", edit(fmt + 4, "\x0e\0\0\0", 4)},
      {"extensible with a float sub-format", edit(fmt + 8 + 24, "\x03\0", 2)},
      {"the data chunk before the format chunk", dataFirst},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (Loader how : {kFile, kStream, kMemory, kResource}) {
      SCOPED_TRACE(kLoaderNames[how]);
      SoundBuffer b;
      size_t lines = headless::DebugOutput().size();
      EXPECT_EQ(Load(how, c.bytes, b), 0);
      EXPECT_EQ(b.buffers, nullptr);
      EXPECT_EQ(b.owner, nullptr);
      EXPECT_EQ(headless::DebugOutput().size(), lines) << "refused before any sample was read";
    }
  }
}

TEST_F(WavLayouts, AFourChannelFilePlaysItsFirstTwoChannelsLeftAndRight) {
  Sox("-n -r 44100 -b 16 -c 4 four.wav synth 0.3 sine 1000 sine 2500 sine 4000 sine 5500 vol 0.5");
  SoundBuffer b;
  ASSERT_EQ(b.LoadFile(&sound, "four.wav", 1), 1);
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  headless::AdvanceTime(400);
  const int rate = headless::CapturedAudio().rate;
  const double expected[] = {1000, 2500};
  for (int channel = 0; channel < 2; ++channel) {
    auto x = Channel(channel);
    int64_t first = FirstSound(x, 0.02f), last = LastSound(x, 0.02f);
    ASSERT_GE(first, 0);
    EXPECT_NEAR(static_cast<double>(last - first), rate * 0.3, rate * 0.003);
    EXPECT_NEAR(ToneFrequency(x, static_cast<size_t>(first), static_cast<size_t>(last), rate), expected[channel], 3.0)
        << "channel " << channel;
  }
}

}  // namespace
