// SPDX-License-Identifier: MIT
// Device volumes and the MCI sequencer with FluidSynth, heard through the
// headless capture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/dsound.h"
#include "platform/headless.h"
#include "platform/mmsystem.h"
#include "sound_test_util.h"

namespace {

using namespace sound_test;
namespace headless = platform::headless;

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

TEST(WaveMidiAuxVolume, CapabilityRecordsAndVolumeWords) {
  headless::Reset();
  EXPECT_EQ(waveOutGetNumDevs(), 1u);
  EXPECT_EQ(midiOutGetNumDevs(), 1u);
  EXPECT_EQ(auxGetNumDevs(), 1u);
  WAVEOUTCAPSA w{};
  MIDIOUTCAPSA m{};
  AUXCAPSA a{};
  ASSERT_EQ(waveOutGetDevCapsA(0, &w, sizeof w), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutGetDevCapsA(0, &m, sizeof m), MMSYSERR_NOERROR);
  ASSERT_EQ(auxGetDevCapsA(0, &a, sizeof a), MMSYSERR_NOERROR);
  EXPECT_TRUE(w.dwSupport & WAVECAPS_VOLUME);
  EXPECT_TRUE(m.dwSupport & MIDICAPS_VOLUME);
  EXPECT_TRUE(a.dwSupport & AUXCAPS_VOLUME);
  EXPECT_EQ(waveOutGetDevCapsA(1, &w, sizeof w), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(auxGetDevCapsA(1, &a, sizeof a), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(waveOutGetDevCapsA(WAVE_MAPPER, &w, sizeof w), MMSYSERR_NOERROR);
  // A short record is filled only as far as it goes.
  unsigned char small[8];
  memset(small, 0xAB, sizeof small);
  ASSERT_EQ(waveOutGetDevCapsA(0, reinterpret_cast<LPWAVEOUTCAPSA>(small), 4), MMSYSERR_NOERROR);
  EXPECT_EQ(small[4], 0xAB);

  DWORD v = 0;
  ASSERT_EQ(waveOutGetVolume(nullptr, &v), MMSYSERR_NOERROR);
  EXPECT_EQ(v, 0xFFFFFFFFu) << "full at start";
  ASSERT_EQ(waveOutSetVolume(nullptr, 0x12345678), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutSetVolume(nullptr, 0x0000FFFF), MMSYSERR_NOERROR);
  ASSERT_EQ(auxSetVolume(0, 0x7FFF7FFF), MMSYSERR_NOERROR);
  waveOutGetVolume(nullptr, &v);
  EXPECT_EQ(v, 0x12345678u);
  midiOutGetVolume(nullptr, &v);
  EXPECT_EQ(v, 0x0000FFFFu);
  auxGetVolume(0, &v);
  EXPECT_EQ(v, 0x7FFF7FFFu);
  EXPECT_EQ(waveOutGetVolume(nullptr, nullptr), MMSYSERR_INVALPARAM);
  EXPECT_EQ(auxSetVolume(3, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(waveOutSetVolume(reinterpret_cast<HWAVEOUT>(8), 0), MMSYSERR_INVALHANDLE);

  headless::MixerWithoutVolumeControl(true);
  ASSERT_EQ(waveOutGetDevCapsA(0, &w, sizeof w), MMSYSERR_NOERROR);
  EXPECT_FALSE(w.dwSupport & WAVECAPS_VOLUME);
  EXPECT_EQ(waveOutSetVolume(nullptr, 0), MMSYSERR_NOTSUPPORTED);
  headless::Reset();
  waveOutGetVolume(nullptr, &v);
  EXPECT_EQ(v, 0xFFFFFFFFu) << "Reset gives full volume back";
}

TEST(WaveMidiAuxVolume, AuxiliaryLineIsTheMasterOfEverythingHeard) {
  headless::Reset();
  HWND window = MakeWindow();
  IDirectSound* ds = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
  ds->SetCooperativeLevel(window, DSSCL_NORMAL);
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
  auto bytes = Dc16(4410, 16000);
  DSBUFFERDESC d{sizeof d, DSBCAPS_STATIC, static_cast<DWORD>(bytes.size()), 0, &f};
  IDirectSoundBuffer* b = nullptr;
  ASSERT_EQ(ds->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
  void* p;
  DWORD n;
  b->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
  memcpy(p, bytes.data(), n);
  b->Unlock(p, n, nullptr, 0);
  ASSERT_EQ(auxSetVolume(0, 0x00008000), MMSYSERR_NOERROR);  // left half, right off
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  headless::AdvanceTime(20);
  auto l = Channel(0), r = Channel(1);
  EXPECT_NEAR(l[100], 16000.0 / 32768 * 0x8000 / 0xFFFF, 1e-3);
  EXPECT_EQ(r[100], 0.0f);
  b->Release();
  ds->Release();
  headless::Reset();
}

class MciTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Reset();
    window = MakeWindow();
    char pattern[] = "/tmp/rallex_mci_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    defaultFont = platform::headless::SoundFont();
  }
  void TearDown() override {
    EXPECT_EQ(mciSendStringA("close all", nullptr, 0, nullptr), 0u);
    platform::headless::SetSoundFont(defaultFont);
    std::string cmd = "rm -rf '" + dir + "'";
    if (system(cmd.c_str()) != 0) ADD_FAILURE();
  }
  std::string Song(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = dir + "/" + name;
    WriteBytes(path, bytes);
    return path;
  }
  std::string Mode(const char* alias) {
    char answer[32] = "?";
    std::string cmd = std::string("status ") + alias + " mode";
    EXPECT_EQ(mciSendStringA(cmd.c_str(), answer, sizeof answer, nullptr), 0u);
    return answer;
  }
  // The MM_MCINOTIFY messages waiting for the window, in order.
  std::vector<MSG> Notices() {
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageA(&msg, window, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) out.push_back(msg);
    return out;
  }

  HWND window = nullptr;
  std::string dir;
  std::string defaultFont;
};

TEST_F(MciTest, CommandErrorsCarryThePlatformCodes) {
  std::string song = Song("tune.mid", Smf({60}));
  std::string text = Song("notes.mid", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!'});
  EXPECT_EQ(mciSendStringA("play MUSIC", nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_NAME));
  EXPECT_EQ(mciSendStringA("stop MUSIC", nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_NAME));
  EXPECT_EQ(mciSendStringA("jump MUSIC", nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_UNRECOGNIZED_COMMAND));
  EXPECT_EQ(mciSendStringA("", nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_MISSING_COMMAND_STRING));
  EXPECT_EQ(mciSendStringA(nullptr, nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_MISSING_COMMAND_STRING));
  EXPECT_EQ(mciSendStringA(("open " + dir + "/none.mid type sequencer alias M").c_str(), nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_FILE_NOT_FOUND));
  EXPECT_EQ(mciSendStringA(("open " + text + " type sequencer alias M").c_str(), nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_INVALID_FILE));
  EXPECT_EQ(mciSendStringA(("open " + dir + " type sequencer alias M").c_str(), nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_FILE_NOT_FOUND))
      << "a directory is no file";
  EXPECT_EQ(mciSendStringA("open \"/tmp/x.mid type sequencer", nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_NO_CLOSING_QUOTE));
  EXPECT_EQ(mciSendStringA(("open " + dir + "/song.xyz alias M").c_str(), nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_EXTENSION_NOT_FOUND));
  EXPECT_EQ(mciSendStringA(("open " + song + " type waveaudio alias M").c_str(), nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_NAME));
  EXPECT_EQ(mciSendStringA(("open " + song + " type sequencer alias M loudly").c_str(), nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_UNRECOGNIZED_KEYWORD));

  ASSERT_EQ(mciSendStringA(("open " + song + " type sequencer alias M").c_str(), nullptr, 0, nullptr), 0u);
  EXPECT_EQ(mciSendStringA(("open " + song + " type sequencer alias m").c_str(), nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_DUPLICATE_ALIAS))
      << "aliases compare without case";
  EXPECT_EQ(mciSendStringA("play M from", nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_MISSING_PARAMETER));
  EXPECT_EQ(mciSendStringA("play M from ten", nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_BAD_INTEGER));
  EXPECT_EQ(mciSendStringA("play M from 600000", nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_OUTOFRANGE));
  EXPECT_EQ(mciSendStringA("play M from 0 from 0", nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_DUPLICATE_FLAGS));
  EXPECT_EQ(mciSendStringA("play all", nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_CANNOT_USE_ALL));
  EXPECT_EQ(mciSendStringA("status M", nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_MISSING_PARAMETER));
  EXPECT_EQ(mciSendStringA("play", nullptr, 0, nullptr), static_cast<MCIERROR>(MCIERR_MISSING_DEVICE_NAME));

  char small[4] = "xyz";
  EXPECT_EQ(mciSendStringA("status M mode", small, sizeof small, nullptr),
            static_cast<MCIERROR>(MCIERR_PARAM_OVERFLOW))
      << "\"stopped\" does not fit in four characters";
  char exact[8];
  EXPECT_EQ(mciSendStringA("status M mode", exact, sizeof exact, nullptr), 0u);
  EXPECT_STREQ(exact, "stopped");
  char length[16];
  EXPECT_EQ(mciSendStringA("status M length", length, sizeof length, nullptr), 0u);
  EXPECT_STREQ(length, "500");

  char message[256];
  EXPECT_TRUE(mciGetErrorStringA(MCIERR_FILE_NOT_FOUND, message, sizeof message));
  EXPECT_NE(std::string(message).find("Cannot find the specified file"), std::string::npos);
  EXPECT_TRUE(mciGetErrorStringA(MCIERR_INVALID_DEVICE_NAME, message, 10));
  EXPECT_EQ(strlen(message), 9u);
  EXPECT_FALSE(mciGetErrorStringA(12345, message, sizeof message));
}

TEST_F(MciTest, MidiFileIsHeardAndItsEndIsNotified) {
  // Four quarter notes at 120 a minute: two seconds.
  std::string song = Song("four notes.mid", Smf({60, 64, 67, 72}));
  char id[8] = "";
  ASSERT_EQ(mciSendStringA(("open \"" + song + "\" type sequencer alias MUSIC").c_str(), id, sizeof id, nullptr), 0u)
      << "a quoted name with a space";
  EXPECT_GT(atoi(id), 0);
  ASSERT_EQ(mciSendStringA("play MUSIC from 0 notify", nullptr, 0, window), 0u);
  EXPECT_EQ(Mode("MUSIC"), "playing");

  headless::AdvanceTime(1000);
  EXPECT_TRUE(Notices().empty()) << "not before the end";
  auto l = Channel(0);
  size_t now = l.size();
  EXPECT_GT(Rms(l, now - 44100 / 2, now), 0.005) << "the synthesiser is heard";
  char position[16];
  ASSERT_EQ(mciSendStringA("status MUSIC position", position, sizeof position, nullptr), 0u);
  EXPECT_NEAR(atoi(position), 1000, 15);

  headless::AdvanceTime(1020);
  auto notices = Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL));
  EXPECT_EQ(notices[0].lParam, static_cast<LPARAM>(atoi(id)));
  EXPECT_EQ(Mode("MUSIC"), "stopped");

  // The release dies away; later the line is silent.
  headless::AdvanceTime(4000);
  headless::ClearCapturedAudio();
  headless::AdvanceTime(100);
  EXPECT_LT(Rms(Channel(0), 0, 4410), 1e-4);
}

TEST_F(MciTest, MusicKeepsItsTimeAndItsEndWhileTheDeviceIsGone) {
  std::string song = Song("four notes.mid", Smf({60, 64, 67, 72}));  // two seconds
  ASSERT_EQ(mciSendStringA(("open \"" + song + "\" type sequencer alias MUSIC").c_str(), nullptr, 0, nullptr), 0u);
  ASSERT_EQ(mciSendStringA("play MUSIC from 0 notify", nullptr, 0, window), 0u);
  headless::AdvanceTime(500);
  headless::LoseAudioDevice();
  headless::AdvanceTime(1000);
  char position[16];
  ASSERT_EQ(mciSendStringA("status MUSIC position", position, sizeof position, nullptr), 0u);
  EXPECT_NEAR(atoi(position), 1500, 15);
  headless::AdvanceTime(520);
  auto notices = Notices();
  ASSERT_EQ(notices.size(), 1u) << "the end comes on time with no device";
  EXPECT_EQ(notices[0].wParam, static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL));
  headless::ReturnAudioDevice();
}

TEST_F(MciTest, StoppingAbortsAndReplayingSupersedesTheNotice) {
  std::string song = Song("tune.mid", Smf({60, 62, 64, 65}));
  ASSERT_EQ(mciSendStringA(("open " + song + " type sequencer alias MUSIC").c_str(), nullptr, 0, nullptr), 0u);
  ASSERT_EQ(mciSendStringA("play MUSIC notify", nullptr, 0, window), 0u);
  headless::AdvanceTime(300);
  ASSERT_EQ(mciSendStringA("play MUSIC from 0 notify", nullptr, 0, window), 0u);
  auto notices = Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, static_cast<WPARAM>(MCI_NOTIFY_SUPERSEDED));

  headless::AdvanceTime(700);
  ASSERT_EQ(mciSendStringA("stop MUSIC", nullptr, 0, nullptr), 0u);
  notices = Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, static_cast<WPARAM>(MCI_NOTIFY_ABORTED));
  EXPECT_EQ(Mode("MUSIC"), "stopped");

  // Resuming goes on from where it stopped: 1.3 s are left.
  char position[16];
  mciSendStringA("status MUSIC position", position, sizeof position, nullptr);
  EXPECT_NEAR(atoi(position), 700, 15);
  ASSERT_EQ(mciSendStringA("play MUSIC notify", nullptr, 0, window), 0u);
  headless::AdvanceTime(1250);
  EXPECT_TRUE(Notices().empty());
  headless::AdvanceTime(100);
  notices = Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL));

  // Closing a playing device aborts its notice.
  ASSERT_EQ(mciSendStringA("play MUSIC from 0 notify", nullptr, 0, window), 0u);
  ASSERT_EQ(mciSendStringA("close all", nullptr, 0, nullptr), 0u);
  notices = Notices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].wParam, static_cast<WPARAM>(MCI_NOTIFY_ABORTED));
  EXPECT_EQ(mciSendStringA("status MUSIC mode", nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_NAME));
}

TEST_F(MciTest, PlayWaitReturnsAtTheEnd) {
  std::string song = Song("short.mid", Smf({60}, 240));  // a quarter of a second
  ASSERT_EQ(mciSendStringA(("open " + song + " alias S").c_str(), nullptr, 0, nullptr), 0u)
      << "the .mid extension names the sequencer";
  uint32_t before = headless::Now();
  ASSERT_EQ(mciSendStringA("play S wait", nullptr, 0, nullptr), 0u);
  EXPECT_NEAR(static_cast<double>(headless::Now() - before), 250.0, 10.0);
  EXPECT_EQ(Mode("S"), "stopped");
}

TEST_F(MciTest, WithoutASoundFontOpeningFailsAndWaveSoundGoesOn) {
  std::string song = Song("tune.mid", Smf({60}));
  platform::headless::SetSoundFont(dir + "/missing.sf2");
  testing::internal::CaptureStderr();
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(mciSendStringA(("open " + song + " type sequencer alias MUSIC").c_str(), nullptr, 0, nullptr),
              static_cast<MCIERROR>(MCIERR_SEQ_NOMIDIPRESENT));
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("no General MIDI sound font can be loaded from " + dir + "/missing.sf2"), std::string::npos);
  EXPECT_EQ(said.find('\n'), said.size() - 1) << "said once, in one line: " << said;
  EXPECT_FALSE(headless::CapturedAudio().open) << "the output is not kept open for nothing";
  IDirectSound* ds = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
  ds->Release();
}

}  // namespace
