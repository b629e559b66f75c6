// SPDX-License-Identifier: MIT
// Mixer volumes of Sound and the Music player.
#include "media/music.h"

#include <gtest/gtest.h>

#include <string>

#include "media/media_test_util.h"
#include "media/sound.h"
#include "platform/headless.h"
#include "sound_test_util.h"

namespace {

using namespace sound_test;
namespace headless = platform::headless;

TEST(MixerVolume, PercentagesBecomeChannelWords) {
  headless::Reset();
  Sound sound;  // the volume operations use no state of the object
  EXPECT_EQ(sound.SetWaveVolume(100, 100), MMSYSERR_NOERROR);
  EXPECT_EQ(sound.GetWaveVolume(), 0xFFFFFFFFu);
  sound.SetWaveVolume(100, 0);
  EXPECT_EQ(sound.GetWaveVolume(), 0x0000FFFFu);
  sound.SetWaveVolume(50, 50);
  EXPECT_EQ(sound.GetWaveVolume(), 0x7FFF7FFFu);
  sound.SetWaveVolume(1, 0);
  EXPECT_EQ(sound.GetWaveVolume(), 655u);
  sound.SetWaveVolume(101, 356);  // 101 -> 654; 356 mod 256 = 100 -> 65535
  EXPECT_EQ(sound.GetWaveVolume(), 0xFFFF028Eu);
  EXPECT_EQ(sound.SetMidiVolume(0, 100), MMSYSERR_NOERROR);
  EXPECT_EQ(sound.GetMidiVolume(), 0xFFFF0000u);
  EXPECT_EQ(sound.SetAuxVolume(25, 75), MMSYSERR_NOERROR);
  EXPECT_EQ(sound.GetAuxVolume(), (49151u << 16) | 16383u);
}

TEST(MixerVolume, DevicesWithoutVolumeControlAnswerOneAndKeepTheirVolume) {
  headless::Reset();
  Sound sound;
  sound.SetWaveVolume(50, 50);
  headless::MixerWithoutVolumeControl(true);
  EXPECT_EQ(sound.SetWaveVolume(100, 100), 1u);
  EXPECT_EQ(sound.SetMidiVolume(100, 100), 1u);
  EXPECT_EQ(sound.SetAuxVolume(100, 100), 1u);
  headless::MixerWithoutVolumeControl(false);
  EXPECT_EQ(sound.GetWaveVolume(), 0x7FFF7FFFu);
}

TEST(MixerVolume, WaveVolumeIsHeard) {
  headless::Reset();
  HWND window = MakeWindow();
  Sound sound;
  sound.Create(window);
  SoundBuffer b;
  auto image = Wav(Dc16(4410, 20000), WavSpec{1, 44100, 16, 0, 16, -1});
  ASSERT_EQ(b.LoadMemory(&sound, image.data(), static_cast<uint32_t>(image.size()), 1), 1);
  sound.SetWaveVolume(50, 100);
  ASSERT_EQ(b.Play(0, 0, 0), 1);
  headless::AdvanceTime(20);
  EXPECT_NEAR(Channel(0).back(), 20000.0 / 32768 * 32767 / 65535, 1e-3);
  EXPECT_NEAR(Channel(1).back(), 20000.0 / 32768, 1e-3);
}

class MusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Reset();
    window = MakeWindow();
    media_test::WriteFile("tune.mid", Smf({60, 67}));  // one second
  }
  void TearDown() override { mciSendStringA("close all", nullptr, 0, nullptr); }
  std::vector<MSG> Notices() {
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageA(&msg, window, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) out.push_back(msg);
    return out;
  }
  media_test::ScopedWorkDir workDir;
  HWND window = nullptr;
};

TEST_F(MusicTest, StartPlaysThePieceOnceAndNotifiesItsEnd) {
  Music music(window);
  EXPECT_EQ(music.notifyWindow, window);
  ASSERT_EQ(music.Start("tune.mid"), 1);
  char mode[16];
  ASSERT_EQ(mciSendStringA("status MUSIC mode", mode, sizeof mode, nullptr), 0u);
  EXPECT_STREQ(mode, "playing");
  headless::AdvanceTime(500);
  EXPECT_GT(Rms(Channel(0), 0, 22050), 0.002);
  headless::AdvanceTime(600);
  auto notices = Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL));
  headless::AdvanceTime(1500);
  EXPECT_TRUE(Notices().empty()) << "it plays once";

  ASSERT_EQ(music.Restart(), 1);
  headless::AdvanceTime(300);
  ASSERT_EQ(music.Stop(), 1);
  ASSERT_EQ(music.Resume(), 1);
  notices = Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, static_cast<WPARAM>(MCI_NOTIFY_ABORTED)) << "the stop ended the restart's notice";
  headless::AdvanceTime(750);
  notices = Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL));
  EXPECT_EQ(music.Close(), 1);
  EXPECT_EQ(music.Stop(), 0) << "closed";
}

TEST_F(MusicTest, FailuresAreZero) {
  Music music(window);
  EXPECT_EQ(music.Stop(), 0) << "nothing open yet";
  EXPECT_EQ(music.Resume(), 0);
  // An absent name sends nothing: a device opened elsewhere stays open.
  ASSERT_EQ(mciSendStringA("open tune.mid type sequencer alias OTHER", nullptr, 0, nullptr), 0u);
  EXPECT_EQ(music.Start(nullptr), 0);
  EXPECT_EQ(mciSendStringA("status OTHER mode", nullptr, 0, nullptr), 0u);
  // A missing file fails after every device was closed.
  EXPECT_EQ(music.Start("missing.mid"), 0);
  EXPECT_NE(mciSendStringA("status OTHER mode", nullptr, 0, nullptr), 0u);
  // A name too long for the 256-character command is refused, not cut.
  std::string longName(240, 'a');
  longName += ".mid";
  media_test::WriteFile(longName, Smf({60}));
  ASSERT_EQ(mciSendStringA(("open " + longName + " alias FITS").c_str(), nullptr, 0, nullptr), 0u)
      << "the file itself opens";
  EXPECT_EQ(music.Start(longName.c_str()), 0);
}

TEST_F(MusicTest, DestructionClosesEverything) {
  {
    Music music(window);
    ASSERT_EQ(music.Start("tune.mid"), 1);
  }
  EXPECT_NE(mciSendStringA("status MUSIC mode", nullptr, 0, nullptr), 0u);
}

}  // namespace
