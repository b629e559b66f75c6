// SPDX-License-Identifier: MIT
// WAV files made by sox (not by us), loaded and played through the mixer: the
// capture holds a 1 kHz tone of the file's length on both channels.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "media/media_test_util.h"
#include "media/sound.h"
#include "platform/headless.h"
#include "sound_test_util.h"

namespace {

using namespace sound_test;
namespace headless = platform::headless;

struct SoxCase {
  int bits;
  int channels;
  int rate;
};

class SoxWav : public ::testing::TestWithParam<SoxCase> {};

TEST_P(SoxWav, PlaysAsAOneKilohertzToneOfHalfASecond) {
  const SoxCase c = GetParam();
  headless::Reset();
  media_test::ScopedWorkDir dir;
  char command[256];
  snprintf(command, sizeof command, "sox -q -n -r %d -b %d -c %d tone.wav synth 0.5 sine 1000 vol 0.7 2>/dev/null",
           c.rate, c.bits, c.channels);
  ASSERT_EQ(system(command), 0) << command;
  auto bytes = media_test::ReadFile("tone.wav");
  ASSERT_GE(bytes.size(), 44u);
  // sox writes the plain layout the loaders expect for these formats.
  ASSERT_EQ(bytes[16], 16) << "format chunk of 16 bytes";
  ASSERT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");

  Sound sound;
  sound.Create(MakeWindow());
  SoundBuffer buffer;
  ASSERT_EQ(buffer.LoadFile(&sound, "tone.wav", 1), 1);
  ASSERT_EQ(buffer.Play(0, 0, 0), 1);
  const int64_t startedAt = headless::AudioFrameAt(headless::Now());
  headless::AdvanceTime(700);
  const int rate = headless::CapturedAudio().rate;
  for (int channel = 0; channel < 2; ++channel) {
    auto x = Channel(channel);
    int64_t first = FirstSound(x, 0.02f), last = LastSound(x, 0.02f);
    ASSERT_GE(first, 0) << "channel " << channel;
    EXPECT_LE(first - startedAt, rate / 1000) << "starts at once";
    EXPECT_NEAR(static_cast<double>(last - first), rate / 2.0, rate * 0.002) << "half a second";
    auto from = static_cast<size_t>(first), to = static_cast<size_t>(last);
    EXPECT_NEAR(ToneFrequency(x, from, to, rate), 1000.0, 1.5);
    EXPECT_NEAR(Rms(x, from, to), 0.7 / std::sqrt(2.0), 0.7 * 0.05) << "the file's level";
    // Nothing much elsewhere in the spectrum: the tone dominates.
    EXPECT_GT(PowerAt(x, from, to, 1000, rate), 20 * PowerAt(x, from, to, 3000, rate));
  }
}

std::vector<SoxCase> AllCases() {
  std::vector<SoxCase> v;
  for (int bits : {8, 16})
    for (int channels : {1, 2})
      for (int rate : {11025, 22050, 44100, 48000}) v.push_back({bits, channels, rate});
  return v;
}

INSTANTIATE_TEST_SUITE_P(EightAndSixteenBitsMonoAndStereo, SoxWav, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<SoxCase>& info) {
                           return std::to_string(info.param.bits) + "bit_" +
                                  (info.param.channels == 1 ? "mono_" : "stereo_") + std::to_string(info.param.rate);
                         });

}  // namespace
