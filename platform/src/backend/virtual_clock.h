// SPDX-License-Identifier: MIT
// The virtual millisecond clock of the backends that run on their own time
// (headless always, the browser's when asked): only Sleep, the waits and a
// program polling the clock move it, so a run does not depend on how fast
// the machine is.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <utility>

namespace platform::backend {

class VirtualClock {
 public:
  // A program waiting by reading the clock sees it move by one after this many
  // reads of the same millisecond in a row; programs that read it a few times
  // between sleeps or frames never see it move on its own.
  static constexpr uint32_t kPollsPerMillisecond = 1000;

  // onStep is called after each step the clock moves, with the time reached
  // and the step's length: Advance moves in steps of at most maxStepMs.
  VirtualClock(uint32_t maxStepMs, std::function<void(uint32_t now, uint32_t stepMs)> onStep)
      : maxStep_(maxStepMs), onStep_(std::move(onStep)) {}

  uint32_t Now() const { return now_; }
  // Sets the time without passing through the time between.
  void Set(uint32_t now) { now_ = now; }

  void Advance(uint32_t ms) {
    while (ms > 0) {
      uint32_t step = ms < maxStep_ ? ms : maxStep_;
      now_ += step;
      ms -= step;
      if (onStep_) onStep_(now_, step);
    }
  }

  // timeGetTime was read `repeats` times in a row within one millisecond.
  void Polled(uint32_t repeats) {
    if (repeats >= kPollsPerMillisecond) Advance(1);
  }

 private:
  uint32_t now_ = 0;
  uint32_t maxStep_ = std::numeric_limits<uint32_t>::max();
  std::function<void(uint32_t, uint32_t)> onStep_;
};

}  // namespace platform::backend
