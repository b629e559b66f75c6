// SPDX-License-Identifier: MIT
// The whole game on the headless backend: WinMain with scripted events, the
// schedule of the frame loop, the end of a game, the teardown, and the picture
// of a frame read back from the backend.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/ball.h"
#include "game/bitmapfont.h"
#include "game/main.h"
#include "game/paddles.h"
#include "media/screen.h"
#include "media/surface.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace {

constexpr uint32_t kScanEscape = 0x01;  // DirectInput's scan codes
constexpr uint32_t kScanSpace = 0x39;

// What the observers saw during one run.
struct Record {
  std::vector<std::string> released;
  std::vector<GameSound> sounds;
  int frames = 0;
  int framesAfterTeardown = 0;
  std::vector<int32_t> ballSpeeds, computerSpeeds;  // after each frame
  std::vector<uint32_t> frameTimes;
  void (*onFrameStarting)(int frame) = nullptr;  // frame counts from 1
  void (*onFrameDone)(int frame) = nullptr;
};
Record rec;

int RunGame() {
  return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
}

class Game : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    // Pictures are kept only where a test looks at them (it is the slow part).
    platform::headless::CaptureFrames(false);
    ASSERT_EQ(chdir(RALLEX_SOURCE_DIR "/assets"), 0);
    rec = Record{};
    gameObservers = {};
    gameObservers.released = [](const char* what) { rec.released.push_back(what); };
    gameObservers.soundRequested = [](GameSound s) { rec.sounds.push_back(s); };
    gameObservers.frameStarting = [] {
      if (!screen) rec.framesAfterTeardown++;
      if (rec.onFrameStarting) rec.onFrameStarting(rec.frames + 1);
    };
    gameObservers.frameDone = [] {
      rec.frames++;
      rec.ballSpeeds.push_back(ball->speed);
      rec.computerSpeeds.push_back(computerPaddle->speed);
      rec.frameTimes.push_back(platform::headless::Now());
      if (rec.onFrameDone) rec.onFrameDone(rec.frames);
    };
  }
  void TearDown() override {
    gameObservers = {};
    ShutdownGame();  // in case a test stopped early
    ASSERT_EQ(chdir(RALLEX_BINARY_DIR), 0);
  }
};

const std::vector<std::string> kTeardownOrder = {
    "ball image", "computer paddle image", "player paddle image", "ball",     "computer paddle",
    "player paddle", "background", "input", "score font", "screen",
    "doh sound", "woohoo sound", "wall sound", "paddle sound", "sound"};

void ExpectAllReleased() {
  EXPECT_EQ(screen, nullptr);
  EXPECT_EQ(background, nullptr);
  EXPECT_EQ(scoreFont, nullptr);
  EXPECT_EQ(ball, nullptr);
  EXPECT_EQ(playerPaddle, nullptr);
  EXPECT_EQ(computerPaddle, nullptr);
  EXPECT_EQ(sound, nullptr);
  EXPECT_EQ(woohooSound, nullptr);
  EXPECT_EQ(dohSound, nullptr);
  EXPECT_EQ(wallSound, nullptr);
  EXPECT_EQ(paddleSound, nullptr);
  EXPECT_EQ(input, nullptr);
}

TEST_F(Game, EscapeAndTheCloseBoxTearDownInOrderAndEndWithStatusZero) {
  for (int how = 0; how < 2; ++how) {
    SCOPED_TRACE(how == 0 ? "Escape" : "close box");
    platform::headless::Reset();
    platform::headless::CaptureFrames(false);
    rec.released.clear();
    rec.frames = 0;
    if (how == 0)
      platform::headless::KeyDownAt(2500, kScanEscape);
    else
      platform::headless::CloseWindowAt(2500);
    EXPECT_EQ(RunGame(), 0);
    EXPECT_EQ(rec.released, kTeardownOrder);
    ExpectAllReleased();
    EXPECT_EQ(rec.framesAfterTeardown, 0);
    // Frames ran from the end of the one-second pause to the close, at the
    // display's pace, and the window is still there (the close only posts quit).
    EXPECT_GT(rec.frames, 60);
    EXPECT_GE(rec.frameTimes.front(), 1000u);
    EXPECT_LE(rec.frameTimes.back(), 2500u + 20u);
    EXPECT_EQ(platform::headless::PresentedFrameCount(), static_cast<uint64_t>(rec.frames));
    auto windows = platform::headless::Windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_FALSE(windows[0].destroyed);
    EXPECT_EQ(windows[0].title, "Rallex");
    EXPECT_EQ(windows[0].clientWidth, 800);
    EXPECT_EQ(windows[0].clientHeight, 600);
    EXPECT_FALSE(windows[0].cursorVisible);
  }
}

TEST_F(Game, OtherKeysDoNothing) {
  platform::headless::KeyDownAt(1500, kScanSpace);
  platform::headless::CloseWindowAt(2000);
  EXPECT_EQ(RunGame(), 0);
  EXPECT_GE(rec.frameTimes.back(), 1900u);  // frames went on after the key
  EXPECT_EQ(rec.released, kTeardownOrder);
}

TEST_F(Game, ServeIsHeardAtThePaddleAndTheMixerPlaysIt) {
  platform::headless::CloseWindowAt(2500);
  EXPECT_EQ(RunGame(), 0);
  // Straight down from (400, 300) at 5 pixels a frame onto the paddle at 360.
  ASSERT_FALSE(rec.sounds.empty());
  EXPECT_EQ(rec.sounds[0], GameSound::Paddle);
  const auto& audio = platform::headless::CapturedAudio();
  int peak = 0;
  for (int16_t v : audio.samples) peak = std::max(peak, std::abs(static_cast<int>(v)));
  EXPECT_GT(peak, 3000);
}

TEST_F(Game, FirstFrameSpeedsUpAndAfterAPointTheNextRaiseComes999FramesLater) {
  static int pointFrame = 0;
  pointFrame = 0;
  rec.onFrameStarting = [](int frame) {
    if (frame == 50) {  // send the ball out at the top
      ball->x = 100;
      ball->y = -40;
    }
    if (frame == 51) {  // then keep it bouncing between the side walls
      ball->angle = 0;
      ball->y = 300;
    }
  };
  rec.onFrameDone = [](int frame) {
    if (frame == 50) pointFrame = frame;
    if (frame == 1200) SendMessageA(mainWindow, WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(RunGame(), 0);
  ASSERT_EQ(rec.frames, 1200);
  EXPECT_EQ(playerScore, 1u);
  EXPECT_EQ(computerScore, 0u);
  // Frame 1 raised the start values 5 and 3.
  EXPECT_EQ(rec.ballSpeeds[0], 6);
  EXPECT_EQ(rec.computerSpeeds[0], 4);
  EXPECT_EQ(rec.ballSpeeds[48], 6);
  // The point put both back; the frame after it has count 1.
  ASSERT_EQ(pointFrame, 50);
  EXPECT_EQ(rec.ballSpeeds[49], 5);
  EXPECT_EQ(rec.computerSpeeds[49], 3);
  EXPECT_EQ(rec.ballSpeeds[50 + 998], 5);  // frame 1049
  EXPECT_EQ(rec.ballSpeeds[50 + 999], 6);  // frame 1050: count 1000
  EXPECT_EQ(rec.computerSpeeds[50 + 999], 4);
  EXPECT_EQ(rec.ballSpeeds[1199], 6);
}

// The glyphs of a text as the score font draws them: true where ink falls.
std::vector<bool> TextMask(const char* text, int width, int height) {
  std::vector<bool> mask(static_cast<size_t>(width) * height, false);
  Surface scratch(screen, width, height, SystemMemory);
  scratch.Fill(0);
  scoreFont->DrawStringKeyed(0, 0, text, &scratch, -1);
  if (scratch.Lock() != DD_OK) return mask;
  const auto* base = static_cast<const uint8_t*>(scratch.SurfaceDesc.lpSurface);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      mask[static_cast<size_t>(y) * width + x] =
          reinterpret_cast<const uint16_t*>(base + static_cast<size_t>(y) * scratch.SurfaceDesc.lPitch)[x] != 0;
  scratch.Unlock();
  return mask;
}

bool IsYellow(uint32_t rgb) {
  return ((rgb >> 16) & 0xFF) > 0xE0 && ((rgb >> 8) & 0xFF) > 0xE0 && (rgb & 0xFF) < 0x20;
}

// A 16-bit pixel of a surface, as the picture shows it (5-6-5 against 8-8-8,
// compared on the kept bits).
bool SameColour(uint16_t pixel565, uint32_t rgb) {
  return ((rgb >> 19) & 0x1F) == ((pixel565 >> 11) & 0x1F) && ((rgb >> 10) & 0x3F) == ((pixel565 >> 5) & 0x3F) &&
         ((rgb >> 3) & 0x1F) == (pixel565 & 0x1F);
}

uint16_t PixelOf(Surface* s, int x, int y) {
  if (s->Lock() != DD_OK) return 0;
  const auto* base = static_cast<const uint8_t*>(s->SurfaceDesc.lpSurface);
  uint16_t v = reinterpret_cast<const uint16_t*>(base + static_cast<size_t>(y) * s->SurfaceDesc.lPitch)[x];
  s->Unlock();
  return v;
}

uint32_t FramePixel(const platform::headless::CapturedFrame& f, int x, int y) {
  return f.pixels[static_cast<size_t>(y) * f.width + x];
}

// Ink exactly where the font puts it, the background elsewhere.
void ExpectText(const platform::headless::CapturedFrame& f, int x0, int y0, const char* text) {
  SCOPED_TRACE(text);
  const int w = 160, h = 18;
  std::vector<bool> mask = TextMask(text, w, h);
  int ink = 0, wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bool want = mask[static_cast<size_t>(y) * w + x];
      ink += want;
      if (x0 + x >= f.width) continue;
      uint32_t got = FramePixel(f, x0 + x, y0 + y);
      bool ok = want ? IsYellow(got) : SameColour(PixelOf(background, x0 + x, y0 + y), got);
      wrong += !ok;
    }
  EXPECT_GT(ink, 60);
  EXPECT_EQ(wrong, 0);
}

// The picture of a frame holds the court, the sprites (keyed) and the scores.
void CheckPicture() {
  const platform::headless::CapturedFrame* f = platform::headless::LastFrame();
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->width, 800);
  ASSERT_EQ(f->height, 600);
  // The court away from the sprites and the text.
  for (auto [x, y] : {std::pair{5, 5}, {200, 300}, {400, 100}, {790, 450}, {20, 590}, {300, 590}})
    EXPECT_TRUE(SameColour(PixelOf(background, x, y), FramePixel(*f, x, y))) << x << "," << y;
  // A sprite: its inside shows its image, its transparent corner the court.
  auto sprite = [&](const char* name, Surface* image, int x, int y, int cx, int cy) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(SameColour(PixelOf(image, cx, cy), FramePixel(*f, x + cx, y + cy)));
    EXPECT_TRUE(SameColour(PixelOf(background, x, y), FramePixel(*f, x, y)));
  };
  sprite("ball", ball->image, ball->x, ball->y, 12, 12);
  sprite("computer paddle", computerPaddle->image, computerPaddle->x, computerPaddle->y, 20, 7);
  sprite("player paddle", playerPaddle->image, playerPaddle->x, playerPaddle->y, 20, 7);
  char line[32];
  std::snprintf(line, sizeof line, "Your Score: %u", playerScore);
  ExpectText(*f, 60, 560, line);
  std::snprintf(line, sizeof line, "Computer Score: %u", computerScore);
  ExpectText(*f, 650, 560, line);
}

TEST_F(Game, PresentedFrameShowsCourtBallPaddlesAndScores) {
  platform::headless::CaptureFrames(true);
  rec.onFrameDone = [](int frame) {
    if (frame == 1) {
      EXPECT_EQ(ball->x, 400);
      EXPECT_EQ(ball->y, 305);  // speed 6 from the first frame: (0, 5)
      EXPECT_EQ(computerPaddle->x, 364);
      EXPECT_EQ(playerPaddle->x, 360);
      CheckPicture();
    }
    if (frame == 20) {
      CheckPicture();
      SendMessageA(mainWindow, WM_CLOSE, 0, 0);
    }
  };
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(rec.frames, 20);
}

TEST_F(Game, ScoreOfNinePlusAPointDrawsTenAndEnds) {
  platform::headless::CaptureFrames(true);
  rec.onFrameStarting = [](int frame) {
    if (frame == 3) {
      playerScore = 9;
      computerScore = 4;
      ball->x = 100;
      ball->y = -30;
    }
  };
  rec.onFrameDone = [](int frame) {
    if (frame == 3) CheckPicture();  // shows "Your Score: 10"
  };
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(rec.frames, 3);
  EXPECT_EQ(playerScore, 10u);
  EXPECT_STREQ(playerScoreText, "Your Score: 10");
  EXPECT_STREQ(computerScoreText, "Computer Score: 4");
  EXPECT_EQ(platform::headless::PresentedFrameCount(), 3u);
  // A finished game lets go of everything, as a close does.
  EXPECT_EQ(rec.released, kTeardownOrder);
  ExpectAllReleased();

  // The computer's tenth point ends the game the same way.
  platform::headless::Reset();
  rec.released.clear();
  rec.frames = 0;
  rec.onFrameDone = nullptr;
  rec.onFrameStarting = [](int frame) {
    if (frame == 1) {
      computerScore = 9;
      ball->y = 580;
    }
  };
  EXPECT_EQ(RunGame(), 0);
  EXPECT_EQ(rec.frames, 1);
  EXPECT_EQ(computerScore, 10u);
  EXPECT_STREQ(computerScoreText, "Computer Score: 10");
}

TEST_F(Game, MouseMotionMovesThePlayerPaddleWithinTheLimits) {
  rec.onFrameStarting = [](int frame) {
    if (frame == 2) platform::headless::MouseMove(-100, 0);
    if (frame == 3) platform::headless::MouseMove(-1000, 7);
    if (frame == 4) platform::headless::MouseMove(2000, 0);
    if (frame == 5) platform::headless::MouseMove(-19, 0);
  };
  static std::vector<int32_t> xs;
  xs.clear();
  rec.onFrameDone = [](int frame) {
    xs.push_back(playerPaddle->x);
    if (frame == 5) SendMessageA(mainWindow, WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(RunGame(), 0);
  // 360 at the start; the upper limit 720 is exclusive.
  EXPECT_EQ(xs, (std::vector<int32_t>{360, 260, 0, 719, 700}));
}

// Where the ball was when each frame started and ended, with the virtual time.
struct BallAt {
  uint32_t time;
  int32_t x, y;
};
std::vector<BallAt> startsAt, endsAt;

void RecordBallPositions() {
  startsAt.clear();
  endsAt.clear();
  rec.onFrameStarting = [](int) { startsAt.push_back({platform::headless::Now(), ball->x, ball->y}); };
  rec.onFrameDone = [](int) { endsAt.push_back({platform::headless::Now(), ball->x, ball->y}); };
}

TEST_F(Game, WhileTheFocusIsAwayNoFrameRunsAndPlayGoesOnWhereItStopped) {
  // Away from 1300 ms (the serve halfway down the field) for five seconds:
  // left running, the ball would pass the player's paddle and score meanwhile.
  constexpr uint32_t kAway = 1300, kBack = 6300;
  RecordBallPositions();
  platform::headless::SetFocusAt(kAway, false);
  platform::headless::SetFocusAt(kBack, true);
  platform::headless::CloseWindowAt(kBack + 500);
  EXPECT_EQ(RunGame(), 0);
  ASSERT_EQ(startsAt.size(), endsAt.size());
  size_t back = 0;
  for (size_t i = 0; i < startsAt.size(); ++i) {
    EXPECT_FALSE(startsAt[i].time >= kAway && startsAt[i].time < kBack) << "a frame ran at " << startsAt[i].time;
    if (startsAt[i].time >= kBack && back == 0) back = i;
  }
  ASSERT_GT(back, 10u) << "frames ran before the focus went";
  // The frame in flight when the focus went waited in its flip until it came back.
  EXPECT_LT(startsAt[back - 1].time, kAway);
  EXPECT_GE(endsAt[back - 1].time, kBack);
  EXPECT_LE(startsAt[back].time, kBack + 20);
  // Play goes on from the same place at the same pace: a step of (0, 5)
  // straight down, as in the first frame.
  EXPECT_EQ(startsAt[back].x, endsAt[back - 1].x);
  EXPECT_EQ(startsAt[back].y, endsAt[back - 1].y);
  EXPECT_EQ(endsAt[back].y - startsAt[back].y, 5);
  EXPECT_EQ(playerScore + computerScore, 0u);
  EXPECT_GT(startsAt.size() - back, 25u) << "the game stood still after the focus came back";
}

TEST_F(Game, WhileTheFocusIsAwayEscapeAndTheCloseBoxEndTheGameAtOnce) {
  for (int how = 0; how < 2; ++how) {
    SCOPED_TRACE(how == 0 ? "Escape" : "close box");
    platform::headless::Reset();
    platform::headless::CaptureFrames(false);
    rec.released.clear();
    rec.frames = 0;
    RecordBallPositions();
    platform::headless::SetFocusAt(1300, false);
    platform::headless::SetFocusAt(60000, true);
    if (how == 0)
      platform::headless::KeyDownAt(4000, kScanEscape);
    else
      platform::headless::CloseWindowAt(4000);
    EXPECT_EQ(RunGame(), 0);
    EXPECT_EQ(rec.released, kTeardownOrder);
    EXPECT_EQ(rec.framesAfterTeardown, 0);
    EXPECT_LT(platform::headless::Now(), 4000u + 20u) << "the close waited for the focus";
    ASSERT_FALSE(startsAt.empty());
    EXPECT_LT(startsAt.back().time, 1300u);
  }
}

TEST_F(Game, MissingImagesAndSoundsAreReportedOnceAndTheGamePlaysOn) {
  char dir[] = "/tmp/rallex-empty-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  ASSERT_EQ(chdir(dir), 0);
  platform::headless::CloseWindowAt(1500);
  ::testing::internal::CaptureStderr();
  int status = RunGame();
  std::string err = ::testing::internal::GetCapturedStderr();
  rmdir(dir);
  EXPECT_EQ(status, 0);
  EXPECT_GT(rec.frames, 10);
  for (const char* name : {"background.bmp", "ball.bmp", "paddle.bmp", "woohoo.wav", "doh.wav", "wall.wav",
                           "paddle.wav"}) {
    std::string line = std::string("rallex: cannot load ") + name + " from " + dir + "\n";
    size_t at = err.find(line);
    EXPECT_NE(at, std::string::npos) << name;
    if (at != std::string::npos) {
      EXPECT_EQ(err.find(line, at + 1), std::string::npos) << name << " twice";
    }
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The committed trace of a scripted game: any change to the rules shows here.
// Rewrite it with
//   scripts/replay tests/game/golden_mouse.txt > tests/game/golden_trace.csv
TEST(GoldenTrace, ReplayOfTheScriptedGameMatchesTheCommittedTrace) {
  std::string command = std::string("cd " RALLEX_SOURCE_DIR "/assets && " RALLEX_BINARY_DIR "/tools/replay ") +
                        RALLEX_SOURCE_DIR "/tests/game/golden_mouse.txt";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  int status = pclose(pipe);
  EXPECT_EQ(status, 0);
  std::string golden = ReadFile(RALLEX_SOURCE_DIR "/tests/game/golden_trace.csv");
  ASSERT_FALSE(golden.empty());
  if (out != golden) {
    // Point at the first line that differs.
    std::istringstream a(out), b(golden);
    std::string la, lb;
    int line = 0;
    while (true) {
      bool ga = static_cast<bool>(std::getline(a, la)), gb = static_cast<bool>(std::getline(b, lb));
      ++line;
      if (!ga && !gb) break;
      if (!ga || !gb || la != lb) {
        ADD_FAILURE() << "trace differs at line " << line << "\n  got:  " << la << "\n  want: " << lb;
        break;
      }
    }
  }
}

}  // namespace
