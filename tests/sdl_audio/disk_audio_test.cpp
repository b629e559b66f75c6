// SPDX-License-Identifier: MIT
// The real SDL backend with SDL's disk audio driver: what a sound card would
// have played is written to a file (raw signed 16-bit stereo at the obtained
// rate), and sox and the test listen to it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "dsound/mixer.h"
#include "media/media_test_util.h"
#include "media/music.h"
#include "media/sound.h"
#include "platform/windows.h"
#include "sound_test_util.h"

namespace {

using namespace sound_test;

std::string Output(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char line[512];
  while (fgets(line, sizeof line, p)) out += line;
  pclose(p);
  return out;
}

double StatValue(const std::string& stat, const std::string& name) {
  size_t at = stat.find(name);
  if (at == std::string::npos) return -1;
  at = stat.find(':', at);
  return at == std::string::npos ? -1 : atof(stat.c_str() + at + 1);
}

TEST(DiskAudio, TwoSamplesAreWrittenAsADeviceWouldPlayThem) {
  media_test::ScopedWorkDir dir;
  const std::string raw = dir.path() + "/out.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ASSERT_EQ(system("sox -q -n -r 22050 -b 16 -c 1 high.wav synth 0.4 sine 1000 vol 0.5 2>/dev/null"), 0);
  ASSERT_EQ(system("sox -q -n -r 11025 -b 8 -c 2 low.wav synth 0.4 sine 440 vol 0.5 2>/dev/null"), 0);

  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  int rate = 0;
  {
    Sound sound;
    sound.Create(window);
    ASSERT_EQ(sound.soundOff, 0) << "the disk driver opens like a sound card";
    ASSERT_EQ(sound.SetWaveVolume(100, 100), 0u);
    rate = platform::audio::Mixer::Get().Rate();
    SoundBuffer high, low;
    ASSERT_EQ(high.LoadFile(&sound, "high.wav", 1), 1);
    ASSERT_EQ(low.LoadFile(&sound, "low.wav", 1), 1);
    ASSERT_EQ(high.Play(0, DSBPAN_CENTER, DSBVOLUME_MAX), 1);
    Sleep(600);
    ASSERT_EQ(low.Play(0, DSBPAN_CENTER, DSBVOLUME_MAX), 1);
    Sleep(700);
  }  // buffers, then the device: the output closes and the file is complete
  DestroyWindow(window);
  ASSERT_GT(rate, 0);

  char command[512];
  snprintf(command, sizeof command, "sox -t raw -r %d -e signed -b 16 -c 2 '%s' -n stat 2>&1", rate, raw.c_str());
  std::string stat = Output(command);
  double seconds = StatValue(stat, "Length (seconds)");
  double peak = StatValue(stat, "Maximum amplitude");
  double rms = StatValue(stat, "RMS     amplitude");
  // The disk driver paces itself by sleeping, so on a busy machine it writes
  // somewhat less than the wall-clock time; the samples themselves are exact.
  EXPECT_GT(seconds, 0.9) << stat;
  EXPECT_LT(seconds, 3.0) << stat;
  EXPECT_NEAR(peak, 0.5, 0.05) << stat;
  EXPECT_GT(rms, 0.05) << "not silent\n" << stat;

  // Listening more closely: the two tones in order, each 0.4 s long.
  auto bytes = media_test::ReadFile(raw);
  std::vector<float> left;
  for (size_t i = 0; i + 3 < bytes.size(); i += 4)
    left.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8) / 32768.0f);
  int64_t first = FirstSound(left, 0.02f);
  ASSERT_GE(first, 0);
  auto f = static_cast<size_t>(first);
  size_t window40 = static_cast<size_t>(rate) * 4 / 10;
  EXPECT_NEAR(ToneFrequency(left, f, f + window40 - rate / 100, rate), 1000.0, 3.0);
  // The second tone: the first sound after a silent stretch.
  size_t quiet = f + window40 + static_cast<size_t>(rate) / 20;
  int64_t second = FirstSound(std::vector<float>(left.begin() + static_cast<long>(quiet), left.end()), 0.02f);
  ASSERT_GE(second, 0);
  auto s = quiet + static_cast<size_t>(second);
  EXPECT_NEAR(static_cast<double>(s - f) / rate, 0.6, 0.15) << "played 600 ms after the first";
  EXPECT_NEAR(ToneFrequency(left, s, s + window40 - rate / 100, rate), 440.0, 2.0);
  EXPECT_NEAR(static_cast<double>(LastSound(left, 0.02f) - static_cast<int64_t>(s)) / rate, 0.4, 0.01);
}

TEST(DiskAudio, MidiMusicIsWrittenAndItsEndNotified) {
  media_test::ScopedWorkDir dir;
  const std::string raw = dir.path() + "/music.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  media_test::WriteFile("tune.mid", Smf({60, 64, 67, 72}, 240));  // a second
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  int rate = 0;
  bool notified = false;
  {
    Music music(window);
    ASSERT_EQ(music.Start("tune.mid"), 1);
    rate = platform::audio::Mixer::Get().Rate();
    for (int i = 0; i < 200 && !notified; ++i) {
      MSG msg;
      while (PeekMessageA(&msg, window, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE))
        notified = notified || msg.wParam == MCI_NOTIFY_SUCCESSFUL;
      Sleep(10);
    }
  }
  DestroyWindow(window);
  EXPECT_TRUE(notified) << "the end of the piece is posted while messages are pumped";
  char command[512];
  snprintf(command, sizeof command, "sox -t raw -r %d -e signed -b 16 -c 2 '%s' -n stat 2>&1", rate, raw.c_str());
  std::string stat = Output(command);
  EXPECT_GT(StatValue(stat, "Length (seconds)"), 0.7) << stat;
  EXPECT_GT(StatValue(stat, "RMS     amplitude"), 0.005) << "the synthesiser is heard\n" << stat;
}

}  // namespace
