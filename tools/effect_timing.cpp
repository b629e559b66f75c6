// SPDX-License-Identifier: MIT
// Times each effect copy of the benchmarks (bench/effect_surfaces.h) with the
// program's own clock, the same source natively and in the browser, so that
// scripts/bench-web can set WebAssembly beside native. Prints the processor
// level of the loops ("level NAME"), then one line per copy and depth:
// "effect NAME DEPTH MICROSECONDS_PER_COPY".
#include <chrono>
#include <cstdio>

#include "bench/effect_surfaces.h"
#include "platform/cpu.h"
#include "platform/windows.h"

int WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace effect_bench;
  using Clock = std::chrono::steady_clock;
  constexpr int kEffects = static_cast<int>(Effect::Invert) + 1;
  std::printf("level %s\n", platform::cpu::LevelName());
  for (int depth : {16, 32}) {
    for (int e = 0; e < kEffects; ++e) {
      // Warm for a tenth of a second: the browser first runs WebAssembly
      // through a quick compiler and swaps in the optimised code of a busy
      // function a while later, from another thread.
      Clock::time_point start = Clock::now();
      double elapsed = 0;
      while (elapsed < 0.1) {
        RunEffect(static_cast<Effect>(e), depth);
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
      }
      int runs = 0;
      start = Clock::now();
      elapsed = 0;
      while (elapsed < 0.25) {
        RunEffect(static_cast<Effect>(e), depth);
        ++runs;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
      }
      std::printf("effect %s %d %.1f\n", kNames[e], depth, elapsed * 1e6 / runs);
    }
  }
  std::fflush(stdout);
  return 0;
}
