// SPDX-License-Identifier: MIT
// The headless backend: a virtual millisecond clock, scripted events, recorded
// message boxes and windows, captured frames and audio mixed in virtual time.
#include "platform/headless.h"

#include <algorithm>
#include <deque>
#include <map>
#include <utility>

#include "backend/backend.h"
#include "ddraw/testing.h"
#include "dinput/hub.h"
#include "dsound/dsound_internal.h"
#include "dsound/mixer.h"
#include "kernel/debug.h"
#include "platform/winuser.h"
#include "user/user_internal.h"
#include "winmm/winmm_internal.h"

namespace platform::headless {
namespace {

using backend::Event;

constexpr uint32_t kPollsPerVirtualMillisecond = 1000;

struct Scheduled {
  uint32_t time;
  Event event;
};

Event FocusEvent(bool focused);

struct State {
  uint32_t now = 0;
  std::deque<Event> events;
  std::deque<Scheduled> scheduled;  // kept in time order
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

State& S() {
  static State state;
  return state;
}

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

void Advance(uint32_t ms) {
  State& s = S();
  // Mix in steps so that long sleeps do not produce one huge callback.
  while (ms > 0) {
    uint32_t step = std::min<uint32_t>(ms, 10);
    s.now += step;
    ms -= step;
    MixUpTo(s.now);
  }
}

void Push(Event e) {
  if (e.window == backend::kNoWindow) e.window = S().focused;
  S().events.push_back(e);
}

void Schedule(uint32_t time, Event e) {
  auto& q = S().scheduled;
  auto it = q.begin();
  while (it != q.end() && it->time <= time) ++it;
  q.insert(it, {time, e});
}

// Moves scheduled events whose time has come into the queue.
void Release() {
  State& s = S();
  while (!s.scheduled.empty() && s.scheduled.front().time <= s.now) {
    Event e = s.scheduled.front().event;
    s.scheduled.pop_front();
    // The focus moves when its event comes, not when it was scripted.
    if (e.type == Event::Type::FocusGained || e.type == Event::Type::FocusLost)
      s.events.push_back(FocusEvent(e.type == Event::Type::FocusGained));
    else
      Push(e);
  }
}

class HeadlessBackend final : public backend::Backend {
 public:
  uint32_t Milliseconds() override { return S().now; }
  void Sleep(uint32_t ms) override { Advance(ms); }
  // Virtual time moves only when told to, so a wait that polls the clock would
  // never end: after kPollsPerVirtualMillisecond reads of the same millisecond
  // in a row, each further read moves the clock by one. Programs that read the
  // clock a few times between sleeps or frames never see it move on its own.
  void ClockPolled(uint32_t repeats) override {
    if (repeats >= kPollsPerVirtualMillisecond) Advance(1);
  }

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
    if (!s.scheduled.empty() && s.scheduled.front().time - s.now <= timeoutMs) {
      Advance(s.scheduled.front().time - s.now);
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
    s.lastFrame.time = s.now;
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
    s.audioOpenedAt = s.now;
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

// Resets the state; an audio device left open by the previous test stays open
// (its owner still holds it), with the clock and the capture starting again.
static void ResetStateKeepingAudio() {
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

void Reset() {
  platform::user::ResetForTests();
  platform::kernel::ClearDebugLines();
  platform::dinput::ResetForTests();
  platform::winmm::ResetMixerLines();
  platform::dsound::FailDuplicates(0);
  ResetStateKeepingAudio();
  platform::audio::Mixer::Get().DeviceGone(false);
  platform::ddraw::testing::Reset();
}

uint32_t Now() { return S().now; }
void AdvanceTime(uint32_t ms) { Advance(ms); }

void KeyDown(uint32_t scanCode) {
  Event e;
  e.type = Event::Type::KeyDown;
  e.scanCode = scanCode;
  Push(e);
}
void KeyUp(uint32_t scanCode) {
  Event e;
  e.type = Event::Type::KeyUp;
  e.scanCode = scanCode;
  Push(e);
}
namespace {
Event MouseMotionEvent(int32_t dx, int32_t dy) {
  Event e;
  e.type = Event::Type::MouseMotion;
  e.dx = dx;
  e.dy = dy;
  return e;
}
Event MouseButtonEvent(int button, bool pressed) {
  Event e;
  e.type = Event::Type::MouseButton;
  e.button = button;
  e.pressed = pressed;
  return e;
}
}  // namespace
void MouseMove(int32_t dx, int32_t dy) { Push(MouseMotionEvent(dx, dy)); }
void MouseButton(int button, bool pressed) { Push(MouseButtonEvent(button, pressed)); }
void CloseWindow() {
  Event e;
  e.type = Event::Type::CloseRequest;
  Push(e);
}
namespace {
// Moves the focus (to the first live window when it is gained) and gives the event that says so.
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
}  // namespace

void SetFocus(bool focused) { S().events.push_back(FocusEvent(focused)); }
void SetFocusAt(uint32_t time, bool focused) {
  Event e;
  e.type = focused ? Event::Type::FocusGained : Event::Type::FocusLost;
  Schedule(time, e);
}
void JoystickAttach(bool attached) {
  if (attached) {
    JoystickAttachDevice("Headless Joystick", 4, 12, false);
    return;
  }
  Event e;
  e.type = Event::Type::JoystickRemoved;
  Push(e);
}
void JoystickAttachDevice(const std::string& name, int axes, int buttons, bool gamepad) {
  Event e;
  e.type = Event::Type::JoystickAdded;
  e.joystickName = name;
  e.joystickAxes = axes;
  e.joystickButtons = buttons;
  e.gamepad = gamepad;
  Push(e);
}
void JoystickAxis(int axis, int32_t value) {
  Event e;
  e.type = Event::Type::JoystickAxis;
  e.axis = axis;
  e.value = value;
  Push(e);
}
void JoystickButton(int button, bool pressed) {
  Event e;
  e.type = Event::Type::JoystickButton;
  e.button = button;
  e.pressed = pressed;
  Push(e);
}
void KeyDownAt(uint32_t time, uint32_t scanCode) {
  Event e;
  e.type = Event::Type::KeyDown;
  e.scanCode = scanCode;
  Schedule(time, e);
}
void CloseWindowAt(uint32_t time) {
  Event e;
  e.type = Event::Type::CloseRequest;
  Schedule(time, e);
}
void MouseMoveAt(uint32_t time, int32_t dx, int32_t dy) { Schedule(time, MouseMotionEvent(dx, dy)); }
void MouseButtonAt(uint32_t time, int button, bool pressed) { Schedule(time, MouseButtonEvent(button, pressed)); }

void AnswerNextMessageBox(int answer) { S().answers.push_back(answer); }
const std::vector<MessageBoxRecord>& MessageBoxes() { return S().boxes; }
const std::vector<std::string>& DebugOutput() { return platform::kernel::DebugLines(); }

std::vector<WindowRecord> Windows() {
  std::vector<WindowRecord> out;
  for (auto& [id, r] : S().windows) out.push_back(r);
  return out;
}

uint64_t PresentedFrameCount() { return S().frameCount; }
void CaptureFrames(bool capture) { S().captureFrames = capture; }
const CapturedFrame* LastFrame() { return S().hasFrame ? &S().lastFrame : nullptr; }
void OnFramePresented(std::function<void(const CapturedFrame&)> observer) { S().frameObserver = std::move(observer); }
bool RelativeMouse() { return S().relativeMouse; }

const AudioCapture& CapturedAudio() { return S().audio; }
void ClearCapturedAudio() {
  State& s = S();
  s.audio.samples.clear();
  s.captureStartFrame = s.audioFramesMixed;
}
void SetAudioDeviceRate(int rate) { S().audioDeviceRate = rate; }
int64_t AudioFrameAt(uint32_t ms) {
  State& s = S();
  int64_t since = static_cast<int64_t>(ms) - static_cast<int64_t>(s.audioOpenedAt);
  int64_t device = since * s.audio.rate / 1000;
  return device - static_cast<int64_t>(s.captureStartFrame);
}
void FailAudioOpen(bool fail) { S().failAudioOpen = fail; }
void MixerWithoutVolumeControl(bool without) { platform::winmm::SetVolumeControl(!without); }
void FailSoundBufferDuplicates(int count) { platform::dsound::FailDuplicates(count); }
void LoseSoundBuffers() { platform::audio::Mixer::Get().LoseAll(); }

void LoseAudioDevice() {
  State& s = S();
  if (!s.audioCallback || s.audioDeviceGone) return;
  s.audioDeviceGone = true;
  Event e;
  e.type = Event::Type::AudioDeviceLost;
  s.events.push_back(e);
}

void ReturnAudioDevice() {
  State& s = S();
  if (!s.audioDeviceGone) return;
  s.audioDeviceGone = false;
  Event e;
  e.type = Event::Type::AudioDeviceBack;
  s.events.push_back(e);
}

void FailNextDeviceRead(int32_t result, InputDevice device) {
  auto& f = platform::dinput::TheHub().faults;
  f.readResult = result;
  f.readDevice = device;
}
void FailAcquire(int count, int32_t result, InputDevice device) {
  auto& f = platform::dinput::TheHub().faults;
  f.acquireCount = count;
  f.acquireResult = result;
  f.acquireDevice = device;
}
void FailDeviceCreation(InputDevice device) {
  platform::dinput::TheHub().faults.failCreate[static_cast<int>(device)] = true;
}
void FailDirectInputCreate(int32_t result) { platform::dinput::TheHub().faults.createResult = result; }
void FailSetProperty(int skip, int32_t result) {
  auto& f = platform::dinput::TheHub().faults;
  f.propertySkip = skip;
  f.propertyResult = result;
}
void FailDeviceInterface(bool fail) { platform::dinput::TheHub().faults.failInterface = fail; }

void LoseAllSurfaces() { platform::ddraw::testing::LoseAllSurfaces(); }
void FailSurfaceCreations(int count, int32_t result) { platform::ddraw::testing::FailSurfaceCreations(count, result); }
void SetVideoMemory(uint32_t bytes) { platform::ddraw::testing::SetVideoMemory(bytes); }
void LockStillDrawing(int count) { platform::ddraw::testing::LockStillDrawing(count); }
void FailDirectDrawCreate(int32_t result) { platform::ddraw::testing::FailDirectDrawCreate(result); }
void RefuseMirroring(bool refuse) { platform::ddraw::testing::RefuseMirroring(refuse); }
void SetDesktopSize(int width, int height) {
  S().desktopWidth = width;
  S().desktopHeight = height;
}

}  // namespace platform::headless

namespace platform::backend {
Backend& Instance() {
  static headless::HeadlessBackend backend;
  return backend;
}
}  // namespace platform::backend
