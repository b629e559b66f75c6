// SPDX-License-Identifier: MIT
// Sound and SoundBuffer: device creation, the four loaders, buffer rotation,
// the silent mode, lost buffers.
#include "media/sound.h"

#include <gtest/gtest.h>

#include <cstring>

#include "kernel/resources.h"
#include "media/media_test_util.h"
#include "platform/headless.h"
#include "sound_test_util.h"

namespace {

using namespace sound_test;
namespace headless = platform::headless;

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Reset();
    window = MakeWindow();
    ASSERT_EQ(sound.Create(window), 1);
    ASSERT_EQ(sound.soundOff, 0);
  }
  // A 16-bit mono sample of frames at 44.1 kHz at a constant level.
  static std::vector<uint8_t> Sample(size_t frames, int16_t level = 8000) {
    WavSpec s;
    s.rate = 44100;
    return Wav(Dc16(frames, level), s);
  }
  static DWORD Status(IDirectSoundBuffer* b) {
    DWORD s = 0;
    EXPECT_EQ(b->GetStatus(&s), DS_OK);
    return s;
  }
  static DWORD Position(IDirectSoundBuffer* b) {
    DWORD p = 0;
    EXPECT_EQ(b->GetCurrentPosition(&p, nullptr), DS_OK);
    return p;
  }

  media_test::ScopedWorkDir workDir;
  HWND window = nullptr;
  Sound sound;
};

TEST(SoundDevice, WithoutAnOutputTheUserIsAskedAndTheGameGoesOnSilent) {
  headless::Reset();
  HWND window = MakeWindow();
  headless::FailAudioOpen(true);
  Sound sound;
  EXPECT_EQ(sound.GetCaps(), 0) << "not ready before Create";
  EXPECT_EQ(sound.Create(window), 1);
  headless::FailAudioOpen(false);
  ASSERT_EQ(headless::MessageBoxes().size(), 1u);
  EXPECT_EQ(headless::MessageBoxes()[0].text, "DirectSound Error 'DSERR_NODRIVER.'\nContinue with Sound turned off?");
  EXPECT_EQ(sound.soundOff, 1);
  EXPECT_EQ(sound.notReady, 1);
  EXPECT_EQ(sound.device, nullptr);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "Yes: no quit request";

  // Loads need a device: they fail, and playing the empty sample fails.
  media_test::ScopedWorkDir dir;
  media_test::WriteFile("a.wav", Wav(Dc16(100, 100)));
  SoundBuffer buffer;
  EXPECT_EQ(buffer.LoadFile(&sound, "a.wav", 1), 0);
  EXPECT_EQ(buffer.Play(0, 0, 0), 0);
}

TEST(SoundDevice, AnsweringNoToTheBoxAsksToQuit) {
  headless::Reset();
  HWND window = MakeWindow();
  headless::FailAudioOpen(true);
  headless::AnswerNextMessageBox(IDNO);
  Sound sound;
  sound.Create(window);
  headless::FailAudioOpen(false);
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST(SoundDevice, CooperativeLevelFailureIsReportedAndLeavesItSilent) {
  headless::Reset();
  Sound sound;
  EXPECT_EQ(sound.Create(nullptr), 1);
  ASSERT_EQ(headless::MessageBoxes().size(), 1u);
  EXPECT_NE(headless::MessageBoxes()[0].text.find("DSERR_INVALIDPARAM."), std::string::npos);
  EXPECT_EQ(sound.soundOff, 1);
  EXPECT_EQ(sound.GetCaps(), 0);
}

TEST_F(SoundTest, CapsAreReadOnceReady) {
  ASSERT_EQ(sound.GetCaps(), 1);
  EXPECT_EQ(sound.caps.dwSize, 96u);
  EXPECT_EQ(sound.caps.dwMaxSecondarySampleRate, 100000u);
}

TEST_F(SoundTest, CountsBelowOneLoadOneBuffer) {
  media_test::WriteFile("s.wav", Sample(100));
  for (int32_t count : {0, -5, 1}) {
    SoundBuffer b;
    ASSERT_EQ(b.LoadFile(&sound, "s.wav", count), 1) << count;
    EXPECT_EQ(b.bufferCount, 1);
    EXPECT_NE(b.buffers[0], nullptr);
    EXPECT_EQ(b.owner, &sound);
  }
  SoundBuffer three;
  ASSERT_EQ(three.LoadFile(&sound, "s.wav", 3), 1);
  EXPECT_EQ(three.bufferCount, 3);
  for (int i = 0; i < 3; ++i) EXPECT_NE(three.buffers[i], nullptr);
}

TEST_F(SoundTest, ThreeBuffersRotateAndTheFourthPlayCutsTheOldest) {
  media_test::WriteFile("s.wav", Sample(44100));  // one second
  SoundBuffer b;
  ASSERT_EQ(b.LoadFile(&sound, "s.wav", 3), 1);
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  EXPECT_EQ(b.nextBuffer, 0);
  headless::AdvanceTime(100);
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  EXPECT_EQ(b.nextBuffer, 1);
  headless::AdvanceTime(100);
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  EXPECT_EQ(b.nextBuffer, 2);
  EXPECT_EQ(b.PlayingCount(), 3);
  headless::AdvanceTime(100);
  EXPECT_GT(Position(b.buffers[0]), 0u);
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  EXPECT_EQ(b.nextBuffer, 0) << "back to the first";
  EXPECT_EQ(b.PlayingCount(), 3);
  EXPECT_EQ(Position(b.buffers[0]), 0u) << "the oldest was cut off and starts again";
  // Heard as three overlapping copies: three times the level.
  headless::AdvanceTime(10);
  auto l = Channel(0);
  EXPECT_NEAR(l.back(), 3 * 8000.0 / 32768, 2e-3);
}

TEST_F(SoundTest, ASingleBufferStillSoundingIsNotRestarted) {
  media_test::WriteFile("s.wav", Sample(4410));  // 100 ms
  SoundBuffer b;
  ASSERT_EQ(b.LoadFile(&sound, "s.wav", 1), 1);
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  headless::AdvanceTime(50);
  DWORD at = Position(b.buffers[0]);
  EXPECT_EQ(b.Play(0, 0, 0), 0);
  EXPECT_GE(Position(b.buffers[0]), at) << "not rewound";
  headless::AdvanceTime(60);
  EXPECT_EQ(b.PlayingCount(), 0);
  EXPECT_EQ(b.Play(0, 0, 0), 1) << "once it has ended it plays again";
}

TEST_F(SoundTest, SilentModePlaysNothingAndSaysYes) {
  media_test::WriteFile("s.wav", Sample(4410));
  SoundBuffer b;
  ASSERT_EQ(b.LoadFile(&sound, "s.wav", 2), 1);
  sound.soundOff = 1;
  EXPECT_EQ(b.Play(0, 0, 0), 1);
  EXPECT_EQ(b.PlayAtFrequency(22050, 0, 0), 1);
  EXPECT_EQ(b.PlayingCount(), 0);
  headless::AdvanceTime(50);
  EXPECT_EQ(LastSound(Channel(0)), -1);
}

TEST_F(SoundTest, StopRewindsEveryBuffer) {
  media_test::WriteFile("s.wav", Sample(44100));
  SoundBuffer b;
  EXPECT_EQ(b.Stop(), 0) << "nothing loaded";
  ASSERT_EQ(b.LoadFile(&sound, "s.wav", 2), 1);
  EXPECT_EQ(b.Stop(), 1) << "never played";
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  headless::AdvanceTime(100);
  EXPECT_GT(Position(b.buffers[1]), 0u);
  ASSERT_EQ(b.Stop(), 1);
  EXPECT_EQ(b.PlayingCount(), 0);
  EXPECT_EQ(Position(b.buffers[0]), 0u);
  EXPECT_EQ(Position(b.buffers[1]), 0u);
  headless::ClearCapturedAudio();
  headless::AdvanceTime(20);
  EXPECT_EQ(LastSound(Channel(0)), -1);
}

TEST_F(SoundTest, PlaySetsPanVolumeAndOwnRatePlayAtFrequencyKeepsTheVolume) {
  media_test::WriteFile("s.wav", Sample(44100));
  SoundBuffer b;
  ASSERT_EQ(b.LoadFile(&sound, "s.wav", 1), 1);
  ASSERT_EQ(b.Play(DSBPLAY_LOOPING, DSBPAN_RIGHT, -2000), 1);
  EXPECT_EQ(Status(b.buffers[0]), static_cast<DWORD>(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
  headless::AdvanceTime(20);
  auto l = Channel(0), r = Channel(1);
  EXPECT_EQ(l.back(), 0.0f);
  EXPECT_NEAR(r.back(), 8000.0 / 32768 * 0.1, 1e-3);
  ASSERT_EQ(b.Stop(), 1);
  ASSERT_EQ(b.PlayAtFrequency(22050, 0, 0), 1);
  DWORD frequency = 0;
  b.buffers[0]->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 22050u);
  LONG volume = 0;
  b.buffers[0]->GetVolume(&volume);
  EXPECT_EQ(volume, -2000);
  b.Stop();
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  b.buffers[0]->GetFrequency(&frequency);
  EXPECT_EQ(frequency, 44100u) << "Play goes back to the sample's own rate";
  EXPECT_EQ(b.PlayAtFrequency(50, 0, 0), 0) << "a rate the device refuses";
}

TEST_F(SoundTest, SetVolumeAndSetPanReachEveryBuffer) {
  media_test::WriteFile("s.wav", Sample(100));
  SoundBuffer b;
  ASSERT_EQ(b.LoadFile(&sound, "s.wav", 3), 1);
  b.SetVolume(-500);
  b.SetPan(300);
  for (int i = 0; i < 3; ++i) {
    LONG v = 0, p = 0;
    b.buffers[i]->GetVolume(&v);
    b.buffers[i]->GetPan(&p);
    EXPECT_EQ(v, -500);
    EXPECT_EQ(p, 300);
  }
}

TEST_F(SoundTest, ALostBufferIsRestoredWhenPicked) {
  media_test::WriteFile("s.wav", Sample(4410));
  SoundBuffer b;
  ASSERT_EQ(b.LoadFile(&sound, "s.wav", 1), 1);
  headless::LoseSoundBuffers();
  EXPECT_EQ(Status(b.buffers[0]), static_cast<DWORD>(DSBSTATUS_BUFFERLOST));
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  EXPECT_EQ(Status(b.buffers[0]), static_cast<DWORD>(DSBSTATUS_PLAYING));
  headless::AdvanceTime(20);
  EXPECT_NE(LastSound(Channel(0)), -1);
}

TEST_F(SoundTest, FileShorterThanItsHeaderFailsWithTheDebuggerLine) {
  WavSpec spec;
  spec.claimedData = 5000;
  media_test::WriteFile("short.wav", Wav(Dc16(100, 1), spec));
  SoundBuffer b;
  EXPECT_EQ(b.LoadFile(&sound, "short.wav", 2), 0);
  EXPECT_EQ(b.buffers, nullptr);
  EXPECT_EQ(b.owner, nullptr);
  ASSERT_FALSE(headless::DebugOutput().empty());
  const std::string& line = headless::DebugOutput().back();
  EXPECT_EQ(line.rfind("Data : ", 0), 0u) << line;
  EXPECT_NE(line.find(", dwdata: 5000, fp: "), std::string::npos) << line;
  EXPECT_NE(line.back(), '\n') << "no line end";

  // A header cut short fails too, without a line.
  media_test::WriteFile("stub.wav", {'R', 'I', 'F', 'F'});
  size_t lines = headless::DebugOutput().size();
  EXPECT_EQ(b.LoadFile(&sound, "stub.wav", 1), 0);
  EXPECT_EQ(headless::DebugOutput().size(), lines);
  EXPECT_EQ(b.LoadFile(&sound, "absent.wav", 1), 0);
  EXPECT_EQ(b.LoadFile(&sound, nullptr, 1), 0);
}

TEST_F(SoundTest, AHeaderThatMisstatesItsLayoutIsRefusedByFileAndMemoryAlike) {
  // Each image differs from a good 44-byte one in one place; read at fixed
  // offsets they would all have played their header as sound.
  struct Case {
    const char* what;
    size_t at;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"format size 18 over a 16-byte body", 16, {18, 0, 0, 0}},
      {"WAVF for WAVE", 8, {'W', 'A', 'V', 'F'}},
      {"RIFX for RIFF", 0, {'R', 'I', 'F', 'X'}},
      {"mu-law tag on a canonical layout", 20, {7, 0}},
      {"no data chunk mark", 36, {'d', 'a', 't', 'b'}},
  };
  for (const Case& c : cases) {
    auto image = Wav(Dc16(200, 4000));
    memcpy(image.data() + c.at, c.bytes.data(), c.bytes.size());
    SoundBuffer memory;
    EXPECT_EQ(memory.LoadMemory(&sound, image.data(), 1), 0) << c.what;
    EXPECT_EQ(memory.LoadMemory(&sound, image.data(), static_cast<uint32_t>(image.size()), 1), 0) << c.what;
    media_test::WriteFile("odd.wav", image);
    SoundBuffer file;
    size_t lines = headless::DebugOutput().size();
    EXPECT_EQ(file.LoadFile(&sound, "odd.wav", 1), 0) << c.what;
    EXPECT_EQ(file.buffers, nullptr) << c.what;
    EXPECT_EQ(file.owner, nullptr) << c.what;
    EXPECT_EQ(headless::DebugOutput().size(), lines) << c.what << ": no short-read line";
  }
}

TEST_F(SoundTest, MemoryImagesLoadAndAClaimBeyondTheImageIsRefused) {
  auto image = Wav(Dc16(441, 6000), WavSpec{1, 44100, 16, 0, 16, -1});
  SoundBuffer b;
  b.fileName = "stale";
  ASSERT_EQ(b.LoadMemory(&sound, image.data(), 2), 1);
  EXPECT_EQ(b.fileName, nullptr);
  EXPECT_EQ(b.bufferCount, 2);
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  headless::AdvanceTime(5);
  EXPECT_NEAR(Channel(0).back(), 6000.0 / 32768, 1e-3);

  auto claims = Wav(Dc16(10, 6000), WavSpec{1, 44100, 16, 0, 16, 1000000});
  EXPECT_EQ(b.LoadMemory(&sound, claims.data(), static_cast<uint32_t>(claims.size()), 1), 0);
  EXPECT_EQ(b.LoadMemory(&sound, image.data(), 43, 1), 0) << "not even a header";
  EXPECT_EQ(b.buffers, nullptr);
  EXPECT_EQ(b.LoadMemory(&sound, nullptr, 1), 0);
}

TEST_F(SoundTest, ThreeChannelsGiveATwoChannelBufferWithTheHeadersAlignment) {
  auto image = Wav(std::vector<uint8_t>(600, 0), WavSpec{3, 32000, 16, 6, 16, -1});
  SoundBuffer b;
  ASSERT_EQ(b.LoadMemory(&sound, image.data(), static_cast<uint32_t>(image.size()), 1), 1);
  WAVEFORMATEX f{};
  ASSERT_EQ(b.buffers[0]->GetFormat(&f, sizeof f, nullptr), DS_OK);
  EXPECT_EQ(f.nChannels, 2);
  EXPECT_EQ(f.nBlockAlign, 6);
  EXPECT_EQ(f.nSamplesPerSec, 32000u);
  EXPECT_EQ(f.nAvgBytesPerSec, 6u * 32000);
  EXPECT_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
}

TEST_F(SoundTest, StreamsLoadFromWhereTheyStandAndStopAfterTheSample) {
  auto first = Wav(Dc16(100, 1000));
  auto second = Wav(Dc16(50, 2000));
  std::vector<uint8_t> both = {'x', 'y', 'z'};
  both.insert(both.end(), first.begin(), first.end());
  both.insert(both.end(), second.begin(), second.end());
  media_test::WriteFile("both.bin", both);
  FILE* f = fopen("both.bin", "rb");
  ASSERT_NE(f, nullptr);
  fseek(f, 3, SEEK_SET);
  SoundBuffer a, b;
  b.fileName = "kept";
  ASSERT_EQ(a.LoadStream(&sound, f, 2), 1);
  EXPECT_EQ(ftell(f), static_cast<long>(3 + first.size()));
  ASSERT_EQ(b.LoadStream(&sound, f, 1), 1);
  EXPECT_EQ(b.fileName, std::string("kept"));
  DSBCAPS caps{sizeof caps, 0, 0, 0, 0};
  b.buffers[0]->GetCaps(&caps);
  EXPECT_EQ(caps.dwBufferBytes, 100u);
  EXPECT_EQ(caps.dwFlags & 0x100E2u, 0x100E2u);
  EXPECT_EQ(a.LoadStream(&sound, f, 1), 0) << "at the end";
  fclose(f);
}

// Resources of type "WAV" registered at run time, like those compiled in.
const std::vector<uint8_t>& ResourceSound() {
  static const auto bytes = Wav(Dc16(300, 7000));
  return bytes;
}
const std::vector<uint8_t>& LyingResource() {
  static const auto bytes = Wav(Dc16(30, 7000), WavSpec{1, 22050, 16, 0, 16, 3000});
  return bytes;
}

TEST_F(SoundTest, ResourcesLoadByNameAndMayNotClaimMoreThanTheyHold) {
  static bool registered = false;
  if (!registered) {
    static platform::kernel::ResourceEntry entries[] = {
        {"BLIP", "WAV", ResourceSound().data(), ResourceSound().size()},
        {"LIAR", "WAV", LyingResource().data(), LyingResource().size()},
        {"PLAIN", "#10", ResourceSound().data(), ResourceSound().size()},
    };
    platform::kernel::RegisterResources(entries, 3);
    registered = true;
  }
  SoundBuffer b;
  ASSERT_EQ(b.LoadResource(&sound, "blip", 2), 1);
  EXPECT_EQ(b.bufferCount, 2);
  EXPECT_EQ(b.LoadResource(&sound, "LIAR", 1), 0);
  EXPECT_EQ(b.LoadResource(&sound, "PLAIN", 1), 0) << "only type WAV";
  EXPECT_EQ(b.LoadResource(&sound, "MISSING", 1), 0);
  EXPECT_EQ(b.LoadResource(&sound, nullptr, 1), 0);
}

TEST_F(SoundTest, ReleaseBuffersKeepsTheCountAndLoadingAgainReplacesTheSample) {
  media_test::WriteFile("s.wav", Sample(100));
  SoundBuffer b;
  ASSERT_EQ(b.LoadFile(&sound, "s.wav", 3), 1);
  b.ReleaseBuffers();
  EXPECT_EQ(b.bufferCount, 3);
  EXPECT_EQ(b.buffers, nullptr);
  EXPECT_EQ(b.owner, nullptr);
  EXPECT_EQ(b.PlayingCount(), 0);
  EXPECT_EQ(b.Play(0, 0, 0), 0);
  ASSERT_EQ(b.LoadFile(&sound, "s.wav", 2), 1);
  ASSERT_EQ(b.LoadFile(&sound, "s.wav", 1), 1) << "a second load releases the first";
  EXPECT_EQ(b.bufferCount, 1);
}

}  // namespace

namespace {

TEST(GameSamples, TheFourSoundsOfTheGameLoadAndAreHeard) {
  headless::Reset();
  Sound sound;
  sound.Create(MakeWindow());
  for (const char* name : {"woohoo.wav", "doh.wav", "wall.wav", "paddle.wav"}) {
    std::string path = std::string(RALLEX_SOURCE_DIR) + "/assets/" + name;
    SoundBuffer b;
    ASSERT_EQ(b.LoadFile(&sound, path.c_str(), 1), 1) << name;
    headless::ClearCapturedAudio();
    ASSERT_EQ(b.Play(0, 0, 0), 1);
    headless::AdvanceTime(100);
    EXPECT_GT(Rms(Channel(0), 0, 4410), 0.01) << name;
    b.Stop();
  }
}

}  // namespace

namespace {

class SoundDuplicates : public SoundTest {};

TEST_F(SoundDuplicates, ASlotWhoseCopyFailsGetsABufferOfItsOwn) {
  media_test::WriteFile("s.wav", Wav(Dc16(4410, 3000), WavSpec{1, 44100, 16, 0, 16, -1}));
  SoundBuffer file;
  headless::FailSoundBufferDuplicates(1);
  ASSERT_EQ(file.LoadFile(&sound, "s.wav", 3), 1);
  auto image = media_test::ReadFile("s.wav");
  SoundBuffer memory;
  headless::FailSoundBufferDuplicates(2);
  ASSERT_EQ(memory.LoadMemory(&sound, image.data(), static_cast<uint32_t>(image.size()), 3), 1);
  for (SoundBuffer* b : {&file, &memory}) {
    for (int i = 0; i < 3; ++i) ASSERT_NE(b->buffers[i], nullptr) << i;
    for (int i = 0; i < 3; ++i) ASSERT_EQ(b->Play(0, 0, 0), 1) << i;
    EXPECT_EQ(b->PlayingCount(), 3) << "every slot plays the sample";
    b->Stop();
  }
  headless::ClearCapturedAudio();
  for (int i = 0; i < 3; ++i) file.Play(0, 0, 0);
  headless::AdvanceTime(10);
  EXPECT_NEAR(Channel(0).back(), 3 * 3000.0 / 32768, 1e-3);

  // The stream loader cannot read its source again: it fails and keeps nothing.
  FILE* f = fopen("s.wav", "rb");
  ASSERT_NE(f, nullptr);
  SoundBuffer stream;
  headless::FailSoundBufferDuplicates(1);
  EXPECT_EQ(stream.LoadStream(&sound, f, 2), 0);
  EXPECT_EQ(stream.buffers, nullptr);
  EXPECT_EQ(stream.owner, nullptr);
  fclose(f);
}

}  // namespace
