// SPDX-License-Identifier: MIT
// The test controls of platform/headless.h: they script the headless backend
// and reach the subsystems only through their hooks.
#include "platform/headless.h"

#include <utility>

#include "backend/headless/headless_backend.h"
#include "hooks/hooks.h"

namespace platform::headless {
namespace {

using backend::Event;

void Schedule(uint32_t time, const Event& e) {
  auto& q = TheState().scheduled;
  auto it = q.begin();
  while (it != q.end() && it->time <= time) ++it;
  q.insert(it, {time, e});
}

Event KeyEvent(bool down, uint32_t scanCode) {
  Event e;
  e.type = down ? Event::Type::KeyDown : Event::Type::KeyUp;
  e.scanCode = scanCode;
  return e;
}

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

Event OfType(Event::Type type) {
  Event e;
  e.type = type;
  return e;
}

hooks::dinput::Device HookDevice(InputDevice device) {
  switch (device) {
    case InputDevice::Keyboard: return hooks::dinput::Device::Keyboard;
    case InputDevice::Mouse: return hooks::dinput::Device::Mouse;
    case InputDevice::Joystick: return hooks::dinput::Device::Joystick;
    case InputDevice::Any: break;
  }
  return hooks::dinput::Device::Any;
}

}  // namespace

void Reset() {
  hooks::user::Reset();
  hooks::kernel::Reset();
  hooks::dinput::Reset();
  hooks::winmm::Reset();
  hooks::dsound::Reset();
  ResetStateKeepingAudio();
  hooks::ddraw::Reset();
}

uint32_t Now() { return TheState().clock.Now(); }
void AdvanceTime(uint32_t ms) { Advance(ms); }

void KeyDown(uint32_t scanCode) { QueueEvent(KeyEvent(true, scanCode)); }
void KeyUp(uint32_t scanCode) { QueueEvent(KeyEvent(false, scanCode)); }
void MouseMove(int32_t dx, int32_t dy) { QueueEvent(MouseMotionEvent(dx, dy)); }
void MouseButton(int button, bool pressed) { QueueEvent(MouseButtonEvent(button, pressed)); }
void CloseWindow() { QueueEvent(OfType(Event::Type::CloseRequest)); }
void SetFocus(bool focused) { TheState().events.push_back(FocusEvent(focused)); }

void JoystickAttach(bool attached) {
  if (attached)
    JoystickAttachDevice("Headless Joystick", 4, 12, false);
  else
    QueueEvent(OfType(Event::Type::JoystickRemoved));
}
void JoystickAttachDevice(const std::string& name, int axes, int buttons, bool gamepad) {
  Event e = OfType(Event::Type::JoystickAdded);
  e.joystickName = name;
  e.joystickAxes = axes;
  e.joystickButtons = buttons;
  e.gamepad = gamepad;
  QueueEvent(e);
}
void JoystickAxis(int axis, int32_t value) {
  Event e = OfType(Event::Type::JoystickAxis);
  e.axis = axis;
  e.value = value;
  QueueEvent(e);
}
void JoystickButton(int button, bool pressed) {
  Event e = OfType(Event::Type::JoystickButton);
  e.button = button;
  e.pressed = pressed;
  QueueEvent(e);
}

void KeyDownAt(uint32_t time, uint32_t scanCode) { Schedule(time, KeyEvent(true, scanCode)); }
void CloseWindowAt(uint32_t time) { Schedule(time, OfType(Event::Type::CloseRequest)); }
void MouseMoveAt(uint32_t time, int32_t dx, int32_t dy) { Schedule(time, MouseMotionEvent(dx, dy)); }
void MouseButtonAt(uint32_t time, int button, bool pressed) { Schedule(time, MouseButtonEvent(button, pressed)); }
// The focus moves when the event comes, not when it is scripted.
void SetFocusAt(uint32_t time, bool focused) {
  Schedule(time, OfType(focused ? Event::Type::FocusGained : Event::Type::FocusLost));
}

void AnswerNextMessageBox(int answer) { TheState().answers.push_back(answer); }
const std::vector<MessageBoxRecord>& MessageBoxes() { return TheState().boxes; }
const std::vector<std::string>& DebugOutput() { return hooks::kernel::DebugLines(); }

std::vector<WindowRecord> Windows() {
  std::vector<WindowRecord> out;
  for (auto& [id, r] : TheState().windows) out.push_back(r);
  return out;
}

uint64_t PresentedFrameCount() { return TheState().frameCount; }
void CaptureFrames(bool capture) { TheState().captureFrames = capture; }
const CapturedFrame* LastFrame() { return TheState().hasFrame ? &TheState().lastFrame : nullptr; }
void OnFramePresented(std::function<void(const CapturedFrame&)> observer) {
  TheState().frameObserver = std::move(observer);
}
bool RelativeMouse() { return TheState().relativeMouse; }

const AudioCapture& CapturedAudio() { return TheState().audio; }
void ClearCapturedAudio() {
  State& s = TheState();
  s.audio.samples.clear();
  s.captureStartFrame = s.audioFramesMixed;
}
void SetAudioDeviceRate(int rate) { TheState().audioDeviceRate = rate; }
int64_t AudioFrameAt(uint32_t ms) {
  State& s = TheState();
  int64_t since = static_cast<int64_t>(ms) - static_cast<int64_t>(s.audioOpenedAt);
  int64_t device = since * s.audio.rate / 1000;
  return device - static_cast<int64_t>(s.captureStartFrame);
}
void FailAudioOpen(bool fail) { TheState().failAudioOpen = fail; }
void MixerWithoutVolumeControl(bool without) { hooks::winmm::SetVolumeControl(!without); }
void SetSoundFont(const std::string& path) { hooks::winmm::SetSoundFontPath(path); }
std::string SoundFont() { return hooks::winmm::SoundFontPath(); }
void FailSoundBufferDuplicates(int count) { hooks::dsound::FailDuplicates(count); }
void LoseSoundBuffers() { hooks::dsound::LoseAllBuffers(); }

void LoseAudioDevice() {
  State& s = TheState();
  if (!s.audioCallback || s.audioDeviceGone) return;
  s.audioDeviceGone = true;
  s.events.push_back(OfType(Event::Type::AudioDeviceLost));
}
void ReturnAudioDevice() {
  State& s = TheState();
  if (!s.audioDeviceGone) return;
  s.audioDeviceGone = false;
  s.events.push_back(OfType(Event::Type::AudioDeviceBack));
}

void FailNextDeviceRead(int32_t result, InputDevice device) { hooks::dinput::FailNextRead(result, HookDevice(device)); }
void FailAcquire(int count, int32_t result, InputDevice device) {
  hooks::dinput::FailAcquire(count, result, HookDevice(device));
}
void FailDeviceCreation(InputDevice device) { hooks::dinput::FailCreation(HookDevice(device)); }
void FailDirectInputCreate(int32_t result) { hooks::dinput::FailCreate(result); }
void FailSetProperty(int skip, int32_t result) { hooks::dinput::FailSetProperty(skip, result); }
void FailDeviceInterface(bool fail) { hooks::dinput::FailDeviceInterface(fail); }
int OpenInputDevices() { return hooks::dinput::OpenDevices(); }

void LoseAllSurfaces() { hooks::ddraw::LoseAllSurfaces(); }
void FailSurfaceCreations(int count, int32_t result) { hooks::ddraw::FailSurfaceCreations(count, result); }
void SetVideoMemory(uint32_t bytes) { hooks::ddraw::SetVideoMemory(bytes); }
void LockStillDrawing(int count) { hooks::ddraw::LockStillDrawing(count); }
void FailDirectDrawCreate(int32_t result) { hooks::ddraw::FailDirectDrawCreate(result); }
void RefuseMirroring(bool refuse) { hooks::ddraw::RefuseMirroring(refuse); }
void SetDesktopSize(int width, int height) {
  TheState().desktopWidth = width;
  TheState().desktopHeight = height;
}

}  // namespace platform::headless
