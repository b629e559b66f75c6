// SPDX-License-Identifier: MIT
// The game's top level: entry, window, message handler, set-up, frame and
// teardown, and the process-wide game state they share with the rules.
#pragma once

#include <cstdint>

#include "platform/windows.h"

class Screen;
class Surface;
class BitmapFont;
class Ball;
class PlayerPaddle;
class ComputerPaddle;
class Sound;
class SoundBuffer;
class Input;

bool InitWindow(int showCommand);
bool InitGame();
void GameFrame();
// Everything of a frame before the flip: speed-up, clearing, background, the
// rules, the sprites and the score lines on the back buffer.
void DrawGameFrame();
void ShutdownGame();
LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The game's process-wide state. Every object reference is empty until InitGame
// fills it and ShutdownGame empties it again.
extern HINSTANCE appInstance;
extern HWND mainWindow;
extern Screen* screen;
extern Surface* background;
extern BitmapFont* scoreFont;
extern Ball* ball;
extern PlayerPaddle* playerPaddle;
extern ComputerPaddle* computerPaddle;
extern Sound* sound;
extern SoundBuffer* woohooSound;
extern SoundBuffer* dohSound;
extern SoundBuffer* wallSound;
extern SoundBuffer* paddleSound;
extern Input* input;
extern uint32_t playerScore;
extern uint32_t computerScore;
extern int32_t frameCount;
extern char playerScoreText[32];
extern char computerScoreText[32];

// A game ends when either side reaches this score.
constexpr uint32_t kWinningScore = 10;

// The four samples, for the observers below.
enum class GameSound { Woohoo, Doh, Wall, Paddle };

// Plays one of the samples once, centred, at full volume.
void PlayGameSound(GameSound which);

// Observers for tools and tests (the replay tool, the tests' recorders). All are
// empty in the game itself; each costs one test of a pointer where it sits.
struct GameObservers {
  void (*soundRequested)(GameSound which) = nullptr;  // a rule asked for a sample
  void (*frameStarting)() = nullptr;                  // first thing in GameFrame
  void (*frameDone)() = nullptr;                      // last thing in GameFrame
  void (*released)(const char* what) = nullptr;       // ShutdownGame let go of it
};
extern GameObservers gameObservers;

// Writes "rallex: cannot load NAME" to standard error, once per file name.
void ReportLoadFailure(const char* fileName);
