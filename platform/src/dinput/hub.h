// SPDX-License-Identifier: MIT
// What every DirectInput device reads from: the keyboard, mouse and joystick
// state built from the backend's events, the devices alive, whether the mouse
// is captured, and the faults a test asked for. One per process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "platform/dinput.h"

namespace platform::dinput {

// Which devices a scripted fault applies to.
enum class InputDevice { Any, Keyboard, Mouse, Joystick };

class Device;

constexpr int kJoystickAxes = 8;  // X, Y, Z, Rx, Ry, Rz, two sliders
constexpr int kJoystickButtons = 32;

struct JoystickInfo {
  bool attached = false;
  std::string name;
  int axes = 0;
  int buttons = 0;
  bool gamepad = false;
  uint32_t generation = 0;  // changes at every attach and removal
  int32_t raw[kJoystickAxes] = {};  // -32768..32767 as the backend reports
  bool down[kJoystickButtons] = {};
};

struct Faults {
  HRESULT readResult = DI_OK;
  InputDevice readDevice = InputDevice::Any;
  int acquireCount = 0;
  HRESULT acquireResult = DI_OK;
  InputDevice acquireDevice = InputDevice::Any;
  bool failCreate[4] = {};  // by InputDevice
  HRESULT createResult = DI_OK;
  int propertySkip = -1;  // -1: no property fault
  HRESULT propertyResult = DI_OK;
  bool failInterface = false;
};

struct Hub {
  uint8_t keys[256] = {};  // 0x80 = down, by DirectInput scan code
  // Running sums of all mouse motion and wheel clicks; each mouse device keeps
  // the sums it saw at its last read.
  int64_t motionX = 0, motionY = 0, wheel = 0;
  bool mouseDown[4] = {};
  JoystickInfo joystick;
  std::vector<Device*> devices;
  bool relativeMouse = false;  // what the backend was last told
  Faults faults;
};

Hub& TheHub();

// Delivers waiting backend events (to the hub's listener among others).
void Pump();

// Whether the window has the input focus; a null window asks about any of the
// program's windows.
bool WindowHasFocus(HWND window);

// Captures the pointer (relative motion) exactly while some acquired mouse
// device's window has the focus.
void UpdateRelativeMouse();

// Consumes a matching scripted fault; DI_OK when none applies.
HRESULT TakeReadFault(InputDevice device);
HRESULT TakeAcquireFault(InputDevice device);
HRESULT TakePropertyFault();

}  // namespace platform::dinput
