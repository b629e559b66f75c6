// SPDX-License-Identifier: MIT
// The headless backend's state: a virtual millisecond clock, the queue of
// scripted events, recorded message boxes and windows, the last presented frame
// and the audio mixed in virtual time. The backend itself only implements the
// seam; the test controls (platform/headless.h, in platform_testing) script it
// and read it through this header. The records are plain data of their own
// header, which the controls hand out as they are.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "backend/backend.h"
#include "backend/virtual_clock.h"
#include "platform/headless_records.h"

namespace platform::headless {

struct ScheduledEvent {
  uint32_t time;
  backend::Event event;
};

// Runs the audio callback for the frames that the virtual time `now` owes.
void MixUpTo(uint32_t now);

// Audio is mixed in steps of this many virtual milliseconds, so that a long
// sleep does not make one huge callback.
constexpr uint32_t kMixStepMs = 10;

struct State {
  backend::VirtualClock clock{kMixStepMs, [](uint32_t now, uint32_t) { MixUpTo(now); }};
  std::deque<backend::Event> events;
  std::deque<ScheduledEvent> scheduled;  // kept in time order
  std::deque<int> answers;
  std::vector<MessageBoxRecord> boxes;
  std::map<backend::WindowId, WindowRecord> windows;
  backend::WindowId nextWindow = 1;
  backend::WindowId focused = backend::kNoWindow;
  bool relativeMouse = false;
  uint64_t frameCount = 0;
  CapturedFrame lastFrame;
  bool hasFrame = false;
  bool captureFrames = true;
  std::function<void(const CapturedFrame&)> frameObserver;
  int desktopWidth = 1280, desktopHeight = 1024;
  // audio
  bool failAudioOpen = false;
  backend::AudioCallback audioCallback = nullptr;
  void* audioUser = nullptr;
  AudioCapture audio;
  uint64_t audioFramesMixed = 0;  // frames produced since the device opened
  uint32_t audioOpenedAt = 0;
  uint64_t captureStartFrame = 0;  // the device frame of the first captured frame
  int audioDeviceRate = 0;
  bool audioDeviceGone = false;  // mixed into silence meanwhile
  std::vector<int16_t> audioScratch;
};

State& TheState();

// Moves the virtual clock on, mixing the audio the elapsed time owes.
void Advance(uint32_t ms);

// Queues an event, for the focused window unless it names one.
void QueueEvent(backend::Event e);

// Moves the focus (to the first live window when it is gained) and gives the
// event that says so.
backend::Event FocusEvent(bool focused);

// Back to the start; an audio device left open by the previous test stays open
// (its owner still holds it), with the clock and the capture starting again.
void ResetStateKeepingAudio();

}  // namespace platform::headless
