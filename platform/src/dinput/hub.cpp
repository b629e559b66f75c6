// SPDX-License-Identifier: MIT
// The shared input state, kept current by a listener on every backend event.
#include "dinput/hub.h"

#include <algorithm>

#include "dinput/device.h"
#include "hooks/hooks.h"
#include "user/user_internal.h"

namespace platform::dinput {
namespace {

using backend::Event;

void OnEvent(const Event& e, void*) {
  Hub& hub = TheHub();
  switch (e.type) {
    case Event::Type::KeyDown:
    case Event::Type::KeyUp:
      if (e.scanCode < 256) hub.keys[e.scanCode] = e.type == Event::Type::KeyDown ? 0x80 : 0;
      break;
    case Event::Type::MouseMotion:
      hub.motionX += e.dx;
      hub.motionY += e.dy;
      break;
    case Event::Type::MouseWheel:
      hub.wheel += static_cast<int64_t>(e.dy) * 120;  // one click is WHEEL_DELTA
      break;
    case Event::Type::MouseButton:
      if (e.button >= 0 && e.button < 4) hub.mouseDown[e.button] = e.pressed;
      break;
    case Event::Type::JoystickAdded: {
      JoystickInfo& j = hub.joystick;
      uint32_t generation = j.generation + 1;
      j = JoystickInfo{};
      j.attached = true;
      j.generation = generation;
      j.name = e.joystickName.empty() ? "Joystick" : e.joystickName;
      j.axes = std::clamp(e.joystickAxes, 0, kJoystickAxes);
      j.buttons = std::clamp(e.joystickButtons, 0, kJoystickButtons);
      j.gamepad = e.gamepad;
      break;
    }
    case Event::Type::JoystickRemoved: {
      uint32_t generation = hub.joystick.generation + 1;
      hub.joystick = JoystickInfo{};
      hub.joystick.generation = generation;
      break;
    }
    case Event::Type::JoystickAxis:
      if (e.axis >= 0 && e.axis < kJoystickAxes) hub.joystick.raw[e.axis] = std::clamp(e.value, -32768, 32767);
      break;
    case Event::Type::JoystickButton:
      if (e.button >= 0 && e.button < kJoystickButtons) hub.joystick.down[e.button] = e.pressed;
      break;
    case Event::Type::FocusLost: {
      // Releases that happen elsewhere are never heard: nothing stays down.
      std::fill(std::begin(hub.keys), std::end(hub.keys), 0);
      std::fill(std::begin(hub.mouseDown), std::end(hub.mouseDown), false);
      std::vector<Device*> devices = hub.devices;
      for (Device* d : devices)
        if (d->foreground() && user::BackendWindow(d->window()) == e.window) d->FocusLost();
      UpdateRelativeMouse();
      break;
    }
    case Event::Type::FocusGained:
      UpdateRelativeMouse();
      break;
    default:
      break;
  }
}

// Listening starts with the process, so that a joystick attached (or a key
// pressed) before the first DirectInput object is made is not missed.
struct Registration {
  Registration() { user::AddEventListener(&OnEvent, nullptr); }
} registration;

}  // namespace

Hub& TheHub() {
  static Hub hub;
  return hub;
}

void Pump() { user::PumpEvents(); }

bool WindowHasFocus(HWND window) {
  if (!window) return GetForegroundWindow() != nullptr;
  backend::WindowId id = user::BackendWindow(window);
  return id != backend::kNoWindow && backend::Instance().HasFocus(id);
}

void UpdateRelativeMouse() {
  Hub& hub = TheHub();
  bool want = false;
  for (Device* d : hub.devices)
    if (d->kind() == Kind::Mouse && d->acquired() && WindowHasFocus(d->window())) want = true;
  if (want != hub.relativeMouse) {
    hub.relativeMouse = want;
    backend::Instance().SetRelativeMouse(want);
  }
}

namespace {
bool Applies(InputDevice wanted, InputDevice device) { return wanted == InputDevice::Any || wanted == device; }
}  // namespace

HRESULT TakeReadFault(InputDevice device) {
  Faults& f = TheHub().faults;
  if (f.readResult == DI_OK || !Applies(f.readDevice, device)) return DI_OK;
  HRESULT result = f.readResult;
  f.readResult = DI_OK;
  return result;
}

HRESULT TakeAcquireFault(InputDevice device) {
  Faults& f = TheHub().faults;
  if (f.acquireCount <= 0 || !Applies(f.acquireDevice, device)) return DI_OK;
  f.acquireCount--;
  return f.acquireResult;
}

HRESULT TakePropertyFault() {
  Faults& f = TheHub().faults;
  if (f.propertySkip < 0) return DI_OK;
  if (f.propertySkip > 0) {
    f.propertySkip--;
    return DI_OK;
  }
  f.propertySkip = -1;
  return f.propertyResult;
}

}  // namespace platform::dinput

namespace platform::hooks::dinput {
using platform::dinput::InputDevice;
using platform::dinput::TheHub;

namespace {
InputDevice Of(Device device) {
  switch (device) {
    case Device::Keyboard: return InputDevice::Keyboard;
    case Device::Mouse: return InputDevice::Mouse;
    case Device::Joystick: return InputDevice::Joystick;
    case Device::Any: break;
  }
  return InputDevice::Any;
}
}  // namespace

void Reset() {
  platform::dinput::Hub& hub = TheHub();
  std::vector<platform::dinput::Device*> devices = std::move(hub.devices);
  hub = platform::dinput::Hub{};
  hub.devices = std::move(devices);  // objects a test leaked stay valid
}
void FailNextRead(HRESULT result, Device device) {
  auto& f = TheHub().faults;
  f.readResult = result;
  f.readDevice = Of(device);
}
void FailAcquire(int count, HRESULT result, Device device) {
  auto& f = TheHub().faults;
  f.acquireCount = count;
  f.acquireResult = result;
  f.acquireDevice = Of(device);
}
void FailCreation(Device device) { TheHub().faults.failCreate[static_cast<int>(Of(device))] = true; }
void FailCreate(HRESULT result) { TheHub().faults.createResult = result; }
void FailSetProperty(int skip, HRESULT result) {
  auto& f = TheHub().faults;
  f.propertySkip = skip;
  f.propertyResult = result;
}
void FailDeviceInterface(bool fail) { TheHub().faults.failInterface = fail; }
int OpenDevices() { return static_cast<int>(TheHub().devices.size()); }

}  // namespace platform::hooks::dinput
