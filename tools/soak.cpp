// SPDX-License-Identifier: MIT
// Plays Rallex game after game in one process for a long time and reports
// what a long evening does to it: resident memory, open descriptors and
// threads after the first minute of play and at the end, and the pace.
//
//   soak FRAMES     (headless: the virtual clock, a bot playing, 864000 frames = 4 hours)
//   soak SECONDS    (sdl: real time on the display, the computer playing alone)
//
// Run it in the folder that holds the assets; scripts/soak runs both. With
// RALLEX_SOAK_EACH_GAME set, the resident memory after each game goes to
// standard error.
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/main.h"
#include "platform/windows.h"
#ifdef RALLEX_SOAK_HEADLESS
#include "platform/headless.h"
#include "tools/bot.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Reading {
  long residentKb = 0;
  int descriptors = 0;
  int threads = 0;
};

Reading Read() {
  Reading r;
  if (FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
      if (std::strncmp(line, "VmRSS:", 6) == 0) r.residentKb = std::atol(line + 6);
      if (std::strncmp(line, "Threads:", 8) == 0) r.threads = std::atoi(line + 8);
    }
    std::fclose(f);
  }
  if (DIR* d = opendir("/proc/self/fd")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') r.descriptors++;
    closedir(d);
    r.descriptors--;  // the listing's own
  }
  return r;
}

constexpr long kFirstMinute = 3600;  // frames
long target = 0;
long frames = 0, sounds = 0, games = 0;
Reading first, last;  // both while a game plays
Clock::time_point firstAt, lastFrameAt;
// Time between frames, without the game's own pauses (a second after each
// point, and the one before each game).
double playingSeconds = 0;
long playingFrames = 0;
bool ending = false;

#ifdef RALLEX_SOAK_HEADLESS
Bot bot;
#endif

void OnSound(GameSound s) {
  ++sounds;
#ifdef RALLEX_SOAK_HEADLESS
  bot.Heard(s);
#else
  (void)s;
#endif
}

void OnFrameStarting() {
#ifdef RALLEX_SOAK_HEADLESS
  int32_t dx = bot.Motion();
  if (dx != 0) platform::headless::MouseMove(dx, 0);
#endif
}

bool Done() {
#ifdef RALLEX_SOAK_HEADLESS
  return frames >= target;
#else
  return frames > kFirstMinute && Clock::now() - firstAt >= std::chrono::seconds(target);
#endif
}

void OnFrameDone() {
  ++frames;
  Clock::time_point now = Clock::now();
  if (frames > kFirstMinute) {
    double gap = std::chrono::duration<double>(now - lastFrameAt).count();
    if (gap < 0.5) {
      playingSeconds += gap;
      ++playingFrames;
    }
  }
  lastFrameAt = now;
  if (frames == kFirstMinute) {
    first = Read();
    firstAt = now;
  }
#ifdef RALLEX_SOAK_HEADLESS
  platform::headless::ClearCapturedAudio();
#endif
  if (!ending && Done()) {
    ending = true;
    last = Read();
    SendMessageA(mainWindow, WM_CLOSE, 0, 0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  char* end = nullptr;
  target = argc == 2 ? std::strtol(argv[1], &end, 10) : 0;
  if (argc != 2 || *end != '\0' || target < 1) {
    std::fprintf(stderr, "usage: soak FRAMES (headless) | soak SECONDS (sdl)\n");
    return 2;
  }
#ifdef RALLEX_SOAK_HEADLESS
  if (target <= kFirstMinute) target = kFirstMinute + 1;
  platform::headless::CaptureFrames(false);
#endif
  gameObservers.soundRequested = OnSound;
  gameObservers.frameStarting = OnFrameStarting;
  gameObservers.frameDone = OnFrameDone;
  Clock::time_point start = Clock::now();
  while (!ending) {
    WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
    ++games;
    if (getenv("RALLEX_SOAK_EACH_GAME"))
      std::fprintf(stderr, "game %ld: frame %ld, %ld KB\n", games, frames, Read().residentKb);
    // The next game gets a window of its own, as a new start of the program would.
    if (IsWindow(mainWindow)) DestroyWindow(mainWindow);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    if (frames < kFirstMinute && games > 1000) break;  // the game cannot start
  }
  double wall = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("games %ld (the last cut short), frames %ld, samples asked for %ld, %.0f s of wall time\n", games,
              frames, sounds, wall);
  std::printf("resident memory: %ld KB after the first minute of play, %ld KB at the end (%+ld KB)\n",
              first.residentKb, last.residentKb, last.residentKb - first.residentKb);
  std::printf("descriptors: %d then %d; threads: %d then %d\n", first.descriptors, last.descriptors, first.threads,
              last.threads);
#ifndef RALLEX_SOAK_HEADLESS
  std::printf("pace: %.3f frames a second over %.0f s of play (pauses after points left out)\n",
              playingSeconds > 0 ? playingFrames / playingSeconds : 0.0, playingSeconds);
#endif
  bool ok = last.residentKb - first.residentKb < 1024 && last.descriptors == first.descriptors &&
            last.threads == first.threads;
  const char* targets = "memory < 1 MB more, descriptors and threads unchanged";
#ifndef RALLEX_SOAK_HEADLESS
  double pace = playingSeconds > 0 ? playingFrames / playingSeconds : 0.0;
  ok = ok && pace > 59.9 && pace < 60.1;
  targets = "memory < 1 MB more, descriptors and threads unchanged, 60.0 +- 0.1 frames a second";
#endif
  std::printf("%s (%s)\n", ok ? "targets met" : "TARGETS MISSED", targets);
  return ok ? 0 : 1;
}
