// SPDX-License-Identifier: MIT
// Set-up, frame and teardown of the game, and the state they share.
#include <cstdio>
#include <cstring>
#include <new>

#include "game/ball.h"
#include "game/bitmapfont.h"
#include "game/main.h"
#include "game/paddles.h"
#include "media/input.h"
#include "media/screen.h"
#include "media/sound.h"
#include "media/surface.h"

Screen* screen = nullptr;
Surface* background = nullptr;
BitmapFont* scoreFont = nullptr;
Ball* ball = nullptr;
PlayerPaddle* playerPaddle = nullptr;
ComputerPaddle* computerPaddle = nullptr;
Sound* sound = nullptr;
SoundBuffer* woohooSound = nullptr;
SoundBuffer* dohSound = nullptr;
SoundBuffer* wallSound = nullptr;
SoundBuffer* paddleSound = nullptr;
Input* input = nullptr;
char playerScoreText[32] = {};
char computerScoreText[32] = {};
GameObservers gameObservers;

namespace {

// The ball and the opponent speed up by one pixel a frame every this many
// frames of a rally.
constexpr int32_t kSpeedUpFrames = 1000;

// Score lines: yellow Arial 14 at the bottom of the field.
constexpr int32_t kPlayerScoreX = 60;
constexpr int32_t kComputerScoreX = 650;
constexpr int32_t kScoreY = 560;

template <typename T>
void Release(T*& object, const char* what) {
  if (object) {
    delete object;
    object = nullptr;
    if (gameObservers.released) gameObservers.released(what);
  }
}

SoundBuffer* LoadSample(const char* fileName) {
  SoundBuffer* buffer = new SoundBuffer();
  // Without a sound device every load fails; that is not the file's fault.
  if (!buffer->LoadFile(sound, fileName, 1) && !sound->notReady) ReportLoadFailure(fileName);
  return buffer;
}

}  // namespace

void ReportLoadFailure(const char* fileName) {
  // Each name once: the paddle image is loaded twice, for instance.
  static char reported[8][32];
  static int count = 0;
  for (int i = 0; i < count; ++i)
    if (std::strncmp(reported[i], fileName, sizeof reported[i] - 1) == 0) return;
  if (count < 8) std::snprintf(reported[count++], sizeof reported[0], "%s", fileName);
  // Name the folder it looked in: the game reads its files from the working
  // directory, which the launcher sets.
  char dir[512];
  DWORD length = GetCurrentDirectoryA(sizeof dir, dir);
  if (length > 0 && length < sizeof dir)
    std::fprintf(stderr, "rallex: cannot load %s from %s\n", fileName, dir);
  else
    std::fprintf(stderr, "rallex: cannot load %s\n", fileName);
}

void PlayGameSound(GameSound which) {
  if (gameObservers.soundRequested) gameObservers.soundRequested(which);
  SoundBuffer* buffer = nullptr;
  switch (which) {
    case GameSound::Woohoo: buffer = woohooSound; break;
    case GameSound::Doh: buffer = dohSound; break;
    case GameSound::Wall: buffer = wallSound; break;
    case GameSound::Paddle: buffer = paddleSound; break;
  }
  if (buffer) buffer->Play(0, 0, 0);
}

bool InitGame() {
  playerScore = 0;
  computerScore = 0;
  frameCount = 0;

  screen = new (std::nothrow) Screen();
  if (!screen) return false;
  if (!screen->CreateFullScreen(mainWindow, kFieldWidth, kFieldHeight, 16, 0)) return false;

  background = new Surface();
  if (!background->Load(screen, "background.bmp", DriverChoice)) ReportLoadFailure("background.bmp");

  scoreFont = new BitmapFont(screen, "Arial", 14, 0xFFFF, 0, 0, 400);

  ball = new Ball(400, 300, 5, 90);
  playerPaddle = new PlayerPaddle();
  computerPaddle = new ComputerPaddle();

  sound = new Sound();
  sound->Create(mainWindow);
  sound->SetWaveVolume(100, 100);

  woohooSound = LoadSample("woohoo.wav");
  dohSound = LoadSample("doh.wav");
  wallSound = LoadSample("wall.wav");
  paddleSound = LoadSample("paddle.wav");

  input = new Input();
  input->Create(appInstance, mainWindow, 0);
  input->SetMouseLimits(0, 0, kFieldWidth - playerPaddle->width, kFieldHeight);
  input->SetMouseSensitivity(1.0f);
  input->SetMousePosition(kFieldWidth / 2 - playerPaddle->width / 2, kFieldHeight);
  return true;
}

void DrawGameFrame() {
  // The count before this frame's increment: the first frame of a game speeds
  // up, and after a point the next raise comes 999 frames later.
  if (frameCount % kSpeedUpFrames == 0) {
    ball->speed++;
    computerPaddle->speed++;
  }

  SetCursor(nullptr);
  Surface* back = screen->GetBack();
  back->Fill(0);
  background->Draw(back);

  MoveBall();
  ball->Draw();
  MoveComputerPaddle();
  computerPaddle->Draw();
  playerPaddle->Update();

  std::snprintf(playerScoreText, sizeof playerScoreText, "Your Score: %d", static_cast<int>(playerScore));
  scoreFont->DrawStringKeyed(kPlayerScoreX, kScoreY, playerScoreText, back, -1);
  std::snprintf(computerScoreText, sizeof computerScoreText, "Computer Score: %d", static_cast<int>(computerScore));
  scoreFont->DrawStringKeyed(kComputerScoreX, kScoreY, computerScoreText, back, -1);
}

void GameFrame() {
  if (gameObservers.frameStarting) gameObservers.frameStarting();
  DrawGameFrame();
  // Waits for the vertical blank: the game's pace.
  screen->Flip(1, 1, 0);
  frameCount++;
  if (gameObservers.frameDone) gameObservers.frameDone();
}

void ShutdownGame() {
  // The sprites first; the ball and paddle records hold nothing else.
  if (ball) Release(ball->image, "ball image");
  if (computerPaddle) Release(computerPaddle->image, "computer paddle image");
  if (playerPaddle) Release(playerPaddle->image, "player paddle image");
  Release(ball, "ball");
  Release(computerPaddle, "computer paddle");
  Release(playerPaddle, "player paddle");
  Release(background, "background");
  Release(input, "input");
  Release(scoreFont, "score font");
  Release(screen, "screen");
  // The sound buffers before the device they belong to.
  Release(dohSound, "doh sound");
  Release(woohooSound, "woohoo sound");
  Release(wallSound, "wall sound");
  Release(paddleSound, "paddle sound");
  Release(sound, "sound");
}
