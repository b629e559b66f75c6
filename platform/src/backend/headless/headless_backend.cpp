// SPDX-License-Identifier: MIT
// The headless backend: virtual time, scripted events, recorded message boxes
// and windows, captured frames and audio mixed in virtual time.
#include "backend/headless/headless_backend.h"

#include <algorithm>
#include <utility>

#include "platform/winuser.h"

namespace platform::headless {

using backend::Event;

State& TheState() {
  static State state;
  return state;
}

namespace {
State& S() { return TheState(); }
}  // namespace

// Runs the audio callback for the frames that the elapsed virtual time owes.
void MixUpTo(uint32_t now) {
  State& s = S();
  if (!s.audioCallback) return;
  uint64_t due = static_cast<uint64_t>(now - s.audioOpenedAt) * static_cast<uint64_t>(s.audio.rate) / 1000;
  while (s.audioFramesMixed < due) {
    int frames = static_cast<int>(std::min<uint64_t>(due - s.audioFramesMixed, 1024));
    size_t at = s.audio.samples.size();
    s.audio.samples.resize(at + static_cast<size_t>(frames) * s.audio.channels);
    if (s.audioDeviceGone) {
      s.audioScratch.resize(static_cast<size_t>(frames) * s.audio.channels);
      s.audioCallback(s.audioUser, s.audioScratch.data(), frames);
    } else {
      s.audioCallback(s.audioUser, s.audio.samples.data() + at, frames);
    }
    s.audioFramesMixed += static_cast<uint64_t>(frames);
  }
}

void Advance(uint32_t ms) { S().clock.Advance(ms); }

void QueueEvent(Event e) {
  if (e.window == backend::kNoWindow) e.window = S().focused;
  S().events.push_back(e);
}

namespace {
// Moves scheduled events whose time has come into the queue.
void Release() {
  State& s = S();
  while (!s.scheduled.empty() && s.scheduled.front().time <= s.clock.Now()) {
    Event e = s.scheduled.front().event;
    s.scheduled.pop_front();
    // The focus moves when its event comes, not when it was scripted.
    if (e.type == Event::Type::FocusGained || e.type == Event::Type::FocusLost)
      s.events.push_back(FocusEvent(e.type == Event::Type::FocusGained));
    else
      QueueEvent(e);
  }
}

class HeadlessBackend final : public backend::Backend {
 public:
  uint32_t Milliseconds() override { return S().clock.Now(); }
  void Sleep(uint32_t ms) override { Advance(ms); }
  // Virtual time moves only when told to, so a wait that polls the clock
  // would never end: the clock moves after enough reads in a row.
  void ClockPolled(uint32_t repeats) override { S().clock.Polled(repeats); }

  bool PollEvent(Event& event) override {
    Release();
    auto& q = S().events;
    if (q.empty()) return false;
    event = q.front();
    q.pop_front();
    return true;
  }

  bool WaitEvent(Event& event, uint32_t timeoutMs) override {
    if (PollEvent(event)) return true;
    State& s = S();
    if (!s.scheduled.empty() && s.scheduled.front().time - s.clock.Now() <= timeoutMs) {
      Advance(s.scheduled.front().time - s.clock.Now());
      return PollEvent(event);
    }
    if (!s.scheduled.empty()) Advance(timeoutMs);
    return false;
  }

  bool EventsCanArrive() override { return !S().events.empty() || !S().scheduled.empty(); }

  backend::WindowId CreateWindow(const std::string& title, int w, int h, bool visible) override {
    State& s = S();
    backend::WindowId id = s.nextWindow++;
    WindowRecord r;
    r.title = title;
    r.clientWidth = w;
    r.clientHeight = h;
    r.visible = visible;
    s.windows[id] = r;
    if (s.focused == backend::kNoWindow) s.focused = id;  // a new program's window has the focus
    return id;
  }
  void DestroyWindow(backend::WindowId id) override {
    auto it = S().windows.find(id);
    if (it != S().windows.end()) it->second.destroyed = true;
    if (S().focused == id) S().focused = backend::kNoWindow;
  }
  void SetWindowTitle(backend::WindowId id, const std::string& title) override {
    if (auto* r = Find(id)) r->title = title;
  }
  void SetWindowIcon(backend::WindowId id, const uint32_t*, int w, int h) override {
    if (auto* r = Find(id)) r->hasIcon = w > 0 && h > 0;
  }
  void SetWindowClientSize(backend::WindowId id, int w, int h) override {
    if (auto* r = Find(id)) r->clientWidth = w, r->clientHeight = h;
  }
  void ShowWindow(backend::WindowId id, bool visible) override {
    if (auto* r = Find(id)) r->visible = visible;
  }
  void SetCursorVisible(backend::WindowId id, bool visible) override {
    if (auto* r = Find(id)) r->cursorVisible = visible;
  }
  bool HasFocus(backend::WindowId id) override { return id != backend::kNoWindow && S().focused == id; }
  void DesktopSize(int& w, int& h) override {
    w = S().desktopWidth;
    h = S().desktopHeight;
  }

  int MessageBox(backend::WindowId, const std::string& text, const std::string& caption, unsigned type) override {
    State& s = S();
    int answer = (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    if (!s.answers.empty()) {
      answer = s.answers.front();
      s.answers.pop_front();
    }
    s.boxes.push_back({text, caption, type, answer});
    return answer;
  }

  void SetFullScreen(backend::WindowId id, bool fullScreen) override {
    if (auto* r = Find(id)) r->fullScreen = fullScreen;
  }

  bool WantsFramePixels() override { return S().captureFrames; }

  void Present(backend::WindowId, const backend::Frame& frame) override {
    State& s = S();
    s.frameCount++;
    if (!s.captureFrames) return;
    s.lastFrame.width = frame.width;
    s.lastFrame.height = frame.height;
    s.lastFrame.time = s.clock.Now();
    s.lastFrame.pixels.resize(static_cast<size_t>(frame.width) * frame.height);
    for (int y = 0; y < frame.height; ++y)
      std::copy_n(frame.pixels + static_cast<size_t>(y) * frame.pitchPixels, frame.width,
                  s.lastFrame.pixels.begin() + static_cast<ptrdiff_t>(y) * frame.width);
    s.lastFrame.raw.clear();
    s.lastFrame.bitsPerPixel = 0;
    s.lastFrame.redMask = s.lastFrame.greenMask = s.lastFrame.blueMask = 0;
    if (frame.raw && frame.rawBitsPerPixel > 0) {
      size_t row = static_cast<size_t>(frame.width) * (frame.rawBitsPerPixel / 8);
      s.lastFrame.raw.resize(row * frame.height);
      for (int y = 0; y < frame.height; ++y)
        std::copy_n(frame.raw + static_cast<ptrdiff_t>(y) * frame.rawPitch, row,
                    s.lastFrame.raw.begin() + static_cast<ptrdiff_t>(y * row));
      s.lastFrame.bitsPerPixel = frame.rawBitsPerPixel;
      s.lastFrame.redMask = frame.rawRedMask;
      s.lastFrame.greenMask = frame.rawGreenMask;
      s.lastFrame.blueMask = frame.rawBlueMask;
    }
    s.hasFrame = true;
    if (s.frameObserver) s.frameObserver(s.lastFrame);
  }

  void SetRelativeMouse(bool enabled) override { S().relativeMouse = enabled; }

  bool OpenAudio(const backend::AudioSpec& wanted, backend::AudioCallback callback, void* user,
                 backend::AudioSpec& obtained) override {
    State& s = S();
    if (s.failAudioOpen || s.audioCallback || !callback) return false;
    obtained = wanted;
    if (s.audioDeviceRate > 0) obtained.rate = s.audioDeviceRate;
    s.audioCallback = callback;
    s.audioUser = user;
    s.audio.rate = obtained.rate;
    s.audio.channels = obtained.channels;
    s.audio.open = true;
    s.audio.samples.clear();
    s.audioFramesMixed = 0;
    s.audioOpenedAt = s.clock.Now();
    s.captureStartFrame = 0;
    return true;
  }
  void CloseAudio() override {
    State& s = S();
    s.audioCallback = nullptr;
    s.audioUser = nullptr;
    s.audio.open = false;
    s.audioDeviceGone = false;
  }
  void LockAudio() override {}
  void UnlockAudio() override {}

 private:
  static WindowRecord* Find(backend::WindowId id) {
    auto it = S().windows.find(id);
    return it == S().windows.end() ? nullptr : &it->second;
  }
};

}  // namespace

void ResetStateKeepingAudio() {
  State& old = S();
  backend::AudioCallback callback = old.audioCallback;
  void* user = old.audioUser;
  int rate = old.audio.rate, channels = old.audio.channels;
  old = State{};
  if (callback) {
    old.audioCallback = callback;
    old.audioUser = user;
    old.audio.rate = rate;
    old.audio.channels = channels;
    old.audio.open = true;
  }
}

Event FocusEvent(bool focused) {
  State& s = S();
  Event e;
  e.type = focused ? Event::Type::FocusGained : Event::Type::FocusLost;
  e.window = s.focused != backend::kNoWindow ? s.focused : (s.windows.empty() ? 0 : s.windows.begin()->first);
  if (focused) {
    for (auto& [id, r] : s.windows)
      if (!r.destroyed) {
        s.focused = id;
        e.window = id;
        break;
      }
  } else {
    s.focused = backend::kNoWindow;
  }
  return e;
}

}  // namespace platform::headless

namespace platform::backend {
Backend& Instance() {
  static headless::HeadlessBackend backend;
  return backend;
}
}  // namespace platform::backend
