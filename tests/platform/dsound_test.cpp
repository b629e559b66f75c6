// SPDX-License-Identifier: MIT
// DirectSound on the software mixer, heard through the headless capture.
#include <gtest/gtest.h>

#include <cstring>

#include "dsound/mixer.h"
#include "platform/dsound.h"
#include "platform/headless.h"
#include "platform/mmsystem.h"
#include "sound_test_util.h"

namespace {

using namespace sound_test;
namespace headless = platform::headless;

class DirectSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Reset();
    window = MakeWindow();
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    ASSERT_EQ(ds->SetCooperativeLevel(window, DSSCL_NORMAL), DS_OK);
    rate = headless::CapturedAudio().rate;
  }
  void TearDown() override {
    for (auto* b : made) b->Release();
    if (ds) ds->Release();
    headless::SetAudioDeviceRate(0);
  }

  // A buffer holding bytes in the given format, with every control.
  IDirectSoundBuffer* Make(const std::vector<uint8_t>& bytes, WORD bits = 16, WORD channels = 1,
                           DWORD sampleRate = 44100, DWORD flags = DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME |
                                                                    DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = sampleRate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * sampleRate;
    DSBUFFERDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = flags;
    d.dwBufferBytes = static_cast<DWORD>(bytes.size());
    d.lpwfxFormat = &f;
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
    if (!b) return nullptr;
    Fill(b, bytes);
    made.push_back(b);
    return b;
  }
  static void Fill(IDirectSoundBuffer* b, const std::vector<uint8_t>& bytes) {
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(b->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
    ASSERT_EQ(n, bytes.size());
    memcpy(p, bytes.data(), n);
    ASSERT_EQ(b->Unlock(p, n, nullptr, 0), DS_OK);
  }

  HWND window = nullptr;
  IDirectSound* ds = nullptr;
  std::vector<IDirectSoundBuffer*> made;
  int rate = 0;
};

TEST(DirectSoundDevice, NoAudioOutputFailsCreationWithNoDriver) {
  headless::Reset();
  headless::FailAudioOpen(true);
  IDirectSound* ds = reinterpret_cast<IDirectSound*>(1);
  EXPECT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(ds, nullptr);
  headless::FailAudioOpen(false);
  GUID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(DirectSoundCreate(&other, &ds, nullptr), DSERR_NODRIVER);
  EXPECT_EQ(DirectSoundCreate(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
}

TEST(DirectSoundDevice, OutputClosesWithTheLastBufferNotWithTheDevice) {
  headless::Reset();
  HWND window = MakeWindow();
  IDirectSound* ds = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
  ASSERT_EQ(ds->SetCooperativeLevel(window, DSSCL_NORMAL), DS_OK);
  EXPECT_TRUE(headless::CapturedAudio().open);
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  DSBUFFERDESC d{sizeof d, DSBCAPS_STATIC, 4410, 0, &f};
  IDirectSoundBuffer* b = nullptr;
  ASSERT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
  EXPECT_EQ(ds->Release(), 0u);
  EXPECT_TRUE(headless::CapturedAudio().open) << "a buffer keeps the output";
  EXPECT_EQ(b->Play(0, 0, 0), DS_OK);
  EXPECT_EQ(b->Release(), 0u);
  EXPECT_FALSE(headless::CapturedAudio().open);
}

TEST_F(DirectSoundTest, RecordSizesAndDescriptionsAreChecked) {
  DSCAPS caps{};
  EXPECT_EQ(ds->GetCaps(&caps), DSERR_INVALIDPARAM) << "size field not set";
  caps.dwSize = sizeof caps;
  ASSERT_EQ(ds->GetCaps(&caps), DS_OK);
  EXPECT_EQ(caps.dwSize, 96u);
  EXPECT_TRUE(caps.dwFlags & DSCAPS_SECONDARY16BIT);
  EXPECT_EQ(caps.dwMinSecondarySampleRate, 100u);
  EXPECT_EQ(caps.dwMaxSecondarySampleRate, 100000u);

  WAVEFORMATEX f{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
  DSBUFFERDESC d{};
  d.dwFlags = DSBCAPS_STATIC;
  d.dwBufferBytes = 400;
  d.lpwfxFormat = &f;
  IDirectSoundBuffer* b = nullptr;
  for (DWORD size : {0u, 16u, 36u}) {
    d.dwSize = size;
    EXPECT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DSERR_INVALIDPARAM) << size;
    EXPECT_EQ(b, nullptr);
  }
  for (DWORD size : {static_cast<DWORD>(sizeof(DSBUFFERDESC)), DSBUFFERDESC_PLATFORM_SIZE}) {
    d.dwSize = size;
    ASSERT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DS_OK) << size;
    DSBCAPS bc{sizeof bc, 0, 0, 0, 0};
    EXPECT_EQ(b->GetCaps(&bc), DS_OK);
    EXPECT_EQ(bc.dwBufferBytes, 400u);
    EXPECT_TRUE(bc.dwFlags & DSBCAPS_STATIC);
    b->Release();
  }
}

TEST_F(DirectSoundTest, FormatsOutsidePcmEightOrSixteenBitsOneOrTwoChannelsAreRefused) {
  struct Case {
    WAVEFORMATEX f;
    DWORD bytes;
    HRESULT expected;
  } cases[] = {
      {{3, 1, 22050, 88200, 4, 32, 0}, 400, DSERR_BADFORMAT},   // float
      {{1, 1, 22050, 66150, 3, 24, 0}, 400, DSERR_BADFORMAT},   // 24-bit
      {{1, 3, 22050, 132300, 6, 16, 0}, 400, DSERR_BADFORMAT},  // three channels
      {{1, 0, 22050, 0, 0, 16, 0}, 400, DSERR_BADFORMAT},
      {{1, 1, 99, 198, 2, 16, 0}, 400, DSERR_BADFORMAT},        // below DSBFREQUENCY_MIN
      {{1, 1, 100001, 200002, 2, 16, 0}, 400, DSERR_BADFORMAT},
      {{1, 2, 22050, 88200, 2, 16, 0}, 400, DSERR_BADFORMAT},   // block narrower than its samples
      {{1, 1, 22050, 44100, 2, 16, 0}, 3, DSERR_INVALIDPARAM},  // below DSBSIZE_MIN
      {{1, 1, 22050, 44100, 2, 16, 0}, DSBSIZE_MAX + 1u, DSERR_INVALIDPARAM},
      {{1, 2, 100000, 600000, 6, 16, 0}, 400, DS_OK},           // a wide block plays its first samples
      {{1, 1, 100, 100, 1, 8, 0}, 4, DS_OK},
  };
  for (const Case& c : cases) {
    WAVEFORMATEX f = c.f;
    DSBUFFERDESC d{sizeof d, DSBCAPS_STATIC, c.bytes, 0, &f};
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), c.expected)
        << f.wFormatTag << " " << f.nChannels << " " << f.nSamplesPerSec << " " << f.wBitsPerSample;
    if (b) b->Release();
  }
  DSBUFFERDESC none{sizeof(DSBUFFERDESC), DSBCAPS_STATIC, 400, 0, nullptr};
  IDirectSoundBuffer* b = nullptr;
  EXPECT_EQ(ds->CreateSoundBuffer(&none, &b, nullptr), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, ControlsNeedTheirFlagsAndStayInRange) {
  auto* bare = Make(Dc16(100, 1000), 16, 1, 22050, DSBCAPS_STATIC);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->SetVolume(-100), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(bare->SetPan(100), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(bare->SetFrequency(11025), DSERR_CONTROLUNAVAIL);

  auto* b = Make(Dc16(100, 1000), 16, 1, 22050);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetVolume(-10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetPan(10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetFrequency(99), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetFrequency(100001), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetFrequency(44100), DS_OK);
  DWORD frequency = 0;
  EXPECT_EQ(b->GetFrequency(&frequency), DS_OK);
  EXPECT_EQ(frequency, 44100u);
  EXPECT_EQ(b->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
  EXPECT_EQ(b->GetFrequency(&frequency), DS_OK);
  EXPECT_EQ(frequency, 22050u) << "0 is the sample's own rate";
  EXPECT_EQ(b->Play(0, 0, 2), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Play(1, 0, 0), DSERR_INVALIDPARAM);
}

// The timing, gain and pan a player hears.
TEST_F(DirectSoundTest, SampleIsHeardWhenPlayedWithItsVolumeAndPan) {
  // 0.1 s of a constant half-scale level at the output rate.
  auto* b = Make(Dc16(static_cast<size_t>(rate) / 10, 16384), 16, 1, static_cast<DWORD>(rate));
  ASSERT_NE(b, nullptr);
  headless::AdvanceTime(50);
  ASSERT_EQ(b->SetVolume(-600), DS_OK);  // -6 dB
  ASSERT_EQ(b->SetPan(-1000), DS_OK);    // right side 10 dB down
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  int64_t playedAt = headless::AudioFrameAt(50);
  headless::AdvanceTime(300);

  auto left = Channel(0), right = Channel(1);
  ASSERT_EQ(FirstSound(left), playedAt) << "heard from the moment of the play request";
  EXPECT_EQ(LastSound(left) - FirstSound(left), rate / 10) << "for the sample's length";
  const double half = 16384.0 / 32768.0;
  size_t mid = static_cast<size_t>(playedAt + rate / 20);
  EXPECT_NEAR(left[mid], half * std::pow(10.0, -600 / 2000.0), 1e-3);
  EXPECT_NEAR(right[mid], half * std::pow(10.0, -1600 / 2000.0), 1e-3);

  DWORD status = 99;
  EXPECT_EQ(b->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, 0u) << "a one-shot sample stops at its end";
  DWORD play = 1, write = 1;
  EXPECT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
  EXPECT_EQ(play, 0u) << "and rewinds, so that the next Play starts it again";
}

TEST_F(DirectSoundTest, FullPanSilencesTheFarSideAndMinimumVolumeSilencesBoth) {
  auto* left = Make(Dc16(4410, 16384), 16, 1, 44100);
  auto* quiet = Make(Dc16(4410, 16384), 16, 1, 44100);
  ASSERT_EQ(left->SetPan(DSBPAN_LEFT), DS_OK);
  ASSERT_EQ(quiet->SetVolume(DSBVOLUME_MIN), DS_OK);
  ASSERT_EQ(left->Play(0, 0, 0), DS_OK);
  ASSERT_EQ(quiet->Play(0, 0, 0), DS_OK);
  headless::AdvanceTime(50);
  auto l = Channel(0), r = Channel(1);
  EXPECT_NEAR(l[100], 0.5, 1e-3);
  EXPECT_EQ(LastSound(r, 0.0f), -1) << "nothing at all on the right";
  DWORD status = 0;
  quiet->GetStatus(&status);
  EXPECT_TRUE(status & DSBSTATUS_PLAYING) << "a silent buffer still plays";
}

TEST_F(DirectSoundTest, BuffersSumWithSaturationAndWaveVolumeComesLast) {
  auto* a = Make(Dc16(4410, 30000), 16, 1, 44100);
  auto* b = Make(Dc16(4410, 30000), 16, 1, 44100);
  ASSERT_EQ(a->Play(0, 0, 0), DS_OK);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  headless::AdvanceTime(20);
  auto l = Channel(0);
  EXPECT_EQ(headless::CapturedAudio().samples[200], 32767) << "clipped, not wrapped round";
  headless::ClearCapturedAudio();

  // Wave volume: left at half, right off. It scales the clipped sum.
  ASSERT_EQ(waveOutSetVolume(nullptr, 0x00007FFF), MMSYSERR_NOERROR);
  headless::AdvanceTime(20);
  l = Channel(0);
  auto r = Channel(1);
  EXPECT_NEAR(l[100], 0.5, 2e-3);
  EXPECT_EQ(r[100], 0.0f);
}

TEST_F(DirectSoundTest, EightBitStereoAndRateConversionKeepPitchAndLength) {
  // 0.2 s of 1 kHz at 11025 Hz, 8-bit stereo: left the tone, right silent (128).
  const int srcRate = 11025;
  std::vector<uint8_t> bytes;
  for (int i = 0; i < srcRate / 5; ++i) {
    bytes.push_back(static_cast<uint8_t>(128 + std::lround(100 * std::sin(2 * M_PI * 1000.0 * i / srcRate))));
    bytes.push_back(128);
  }
  auto* b = Make(bytes, 8, 2, srcRate);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  headless::AdvanceTime(400);
  auto l = Channel(0), r = Channel(1);
  int64_t start = FirstSound(l, 0.01f), end = LastSound(l, 0.01f);
  EXPECT_NEAR(static_cast<double>(end - start), rate / 5.0, rate * 0.002);
  EXPECT_NEAR(ToneFrequency(l, static_cast<size_t>(start), static_cast<size_t>(end), rate), 1000.0, 2.0);
  EXPECT_LT(Rms(r, 0, r.size()), 1e-4);

  // Played at twice the rate: an octave up, half as long.
  headless::ClearCapturedAudio();
  ASSERT_EQ(b->SetFrequency(2 * srcRate), DS_OK);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  headless::AdvanceTime(400);
  l = Channel(0);
  start = FirstSound(l, 0.01f);
  end = LastSound(l, 0.01f);
  EXPECT_NEAR(static_cast<double>(end - start), rate / 10.0, rate * 0.002);
  EXPECT_NEAR(ToneFrequency(l, static_cast<size_t>(start), static_cast<size_t>(end), rate), 2000.0, 4.0);
}

TEST_F(DirectSoundTest, ADeviceAtAnotherRateStillHearsTheRightPitch) {
  ds->Release();
  ds = nullptr;
  headless::Reset();
  headless::SetAudioDeviceRate(48000);
  ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
  ASSERT_EQ(ds->SetCooperativeLevel(MakeWindow(), DSSCL_NORMAL), DS_OK);
  ASSERT_EQ(headless::CapturedAudio().rate, 48000);
  auto* b = Make(Sine16(22050 / 4, 1000, 22050, 0.8), 16, 1, 22050);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  headless::AdvanceTime(400);
  auto l = Channel(0);
  int64_t start = FirstSound(l, 0.01f), end = LastSound(l, 0.01f);
  EXPECT_NEAR(static_cast<double>(end - start), 12000.0, 30.0);
  EXPECT_NEAR(ToneFrequency(l, static_cast<size_t>(start), static_cast<size_t>(end), 48000), 1000.0, 2.0);
  EXPECT_NEAR(Rms(l, static_cast<size_t>(start) + 100, static_cast<size_t>(end) - 100), 0.8 / std::sqrt(2.0), 0.01);
}

TEST_F(DirectSoundTest, LoopingPlaysOnUntilStoppedAndStopKeepsThePosition) {
  auto* b = Make(Dc16(441, 8000), 16, 1, 44100);  // 10 ms
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  headless::AdvanceTime(105);
  DWORD status = 0;
  ASSERT_EQ(b->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, static_cast<DWORD>(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
  ASSERT_EQ(b->Stop(), DS_OK);
  DWORD play = 0;
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_NE(play, 0u) << "Stop does not rewind";
  auto l = Channel(0);
  EXPECT_NEAR(Rms(l, 0, static_cast<size_t>(headless::AudioFrameAt(100))), 8000.0 / 32768, 1e-3)
      << "no gap at the loop seam";
  headless::ClearCapturedAudio();
  headless::AdvanceTime(30);
  EXPECT_EQ(LastSound(Channel(0)), -1) << "silent once stopped";
}

TEST_F(DirectSoundTest, DuplicatesShareTheSampleMemoryButPlayOnTheirOwn) {
  auto* original = Make(Dc16(4410, 1000), 16, 1, 44100);
  ASSERT_EQ(original->SetVolume(-2000), DS_OK);
  IDirectSoundBuffer* copy = nullptr;
  ASSERT_EQ(ds->DuplicateSoundBuffer(original, &copy), DS_OK);
  made.push_back(copy);
  LONG volume = 0;
  EXPECT_EQ(copy->GetVolume(&volume), DS_OK);
  EXPECT_EQ(volume, -2000) << "the copy starts with the original's settings";
  ASSERT_EQ(copy->SetVolume(0), DS_OK);
  // New bytes written through the original are what the copy plays.
  Fill(original, Dc16(4410, 12000));
  ASSERT_EQ(copy->Play(0, 0, 0), DS_OK);
  headless::AdvanceTime(20);
  DWORD status = 0;
  original->GetStatus(&status);
  EXPECT_EQ(status, 0u);
  EXPECT_NEAR(Channel(0)[100], 12000.0 / 32768, 1e-3);
  EXPECT_EQ(ds->DuplicateSoundBuffer(nullptr, &copy), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, LostBuffersRefuseToPlayUntilRestored) {
  auto* b = Make(Dc16(4410, 5000), 16, 1, 44100);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  headless::LoseSoundBuffers();
  DWORD status = 0;
  ASSERT_EQ(b->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, static_cast<DWORD>(DSBSTATUS_BUFFERLOST));
  EXPECT_EQ(b->Play(0, 0, 0), DSERR_BUFFERLOST);
  void* p = nullptr;
  DWORD n = 0;
  EXPECT_EQ(b->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DSERR_BUFFERLOST);
  headless::ClearCapturedAudio();
  headless::AdvanceTime(20);
  EXPECT_EQ(LastSound(Channel(0)), -1);
  ASSERT_EQ(b->Restore(), DS_OK);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  headless::AdvanceTime(20);
  EXPECT_NE(LastSound(Channel(0)), -1);
}

TEST_F(DirectSoundTest, AGoneDeviceLosesTheBuffersUntilADeviceIsBack) {
  auto* b = Make(Dc16(4410, 5000), 16, 1, 44100);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  MSG msg{};
  headless::LoseAudioDevice();
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the platform hears of it
  DWORD status = 0;
  ASSERT_EQ(b->GetStatus(&status), DS_OK);
  EXPECT_EQ(status, static_cast<DWORD>(DSBSTATUS_BUFFERLOST));
  EXPECT_EQ(b->Play(0, 0, 0), DSERR_BUFFERLOST);
  EXPECT_EQ(b->Restore(), DSERR_BUFFERLOST) << "nothing to restore onto";
  headless::ClearCapturedAudio();
  headless::AdvanceTime(20);
  EXPECT_EQ(LastSound(Channel(0)), -1);

  headless::ReturnAudioDevice();
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  ASSERT_EQ(b->Restore(), DS_OK);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  headless::AdvanceTime(20);
  EXPECT_NE(LastSound(Channel(0)), -1);
}

TEST_F(DirectSoundTest, LocksWrapRoundTheEndAndUnlockChecksThePointers) {
  auto* b = Make(std::vector<uint8_t>(100, 0), 16, 1, 44100);
  void *p1 = nullptr, *p2 = nullptr;
  DWORD n1 = 0, n2 = 0;
  ASSERT_EQ(b->Lock(80, 40, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(n1, 20u);
  EXPECT_EQ(n2, 20u);
  ASSERT_NE(p2, nullptr);
  EXPECT_EQ(static_cast<uint8_t*>(p1) - static_cast<uint8_t*>(p2), 80);
  EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
  EXPECT_EQ(b->Unlock(p1, n1 + 1, p2, n2), DSERR_INVALIDPARAM);
  int outside = 0;
  EXPECT_EQ(b->Unlock(&outside, 4, nullptr, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Lock(100, 4, &p1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Lock(0, 101, &p1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetCurrentPosition(100), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, ReleasingAPlayingBufferSilencesIt) {
  auto* b = Make(Dc16(44100, 5000), 16, 1, 44100);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  headless::AdvanceTime(20);
  made.clear();
  EXPECT_EQ(b->Release(), 0u);
  headless::ClearCapturedAudio();
  headless::AdvanceTime(20);
  EXPECT_EQ(LastSound(Channel(0)), -1);
}

// Sixteen quiet voices add up exactly.
TEST_F(DirectSoundTest, ManyVoicesAddUp) {
  for (int i = 0; i < 16; ++i) ASSERT_EQ(Make(Dc16(4410, 1000), 16, 1, 44100)->Play(0, 0, 0), DS_OK);
  int16_t out[2 * 64];
  platform::audio::Mixer::Get().Mix(out, 64);
  EXPECT_NEAR(out[0], 16000, 2);
  EXPECT_NEAR(out[127], 16000, 2);
}

}  // namespace
