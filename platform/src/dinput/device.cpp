// SPDX-License-Identifier: MIT
// The keyboard, mouse and joystick device objects.
#include "dinput/device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "user/user_internal.h"

namespace platform::dinput {

const GUID kJoystickInstance = {0x6F1D2B71, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x52, 0x58, 0x4A, 0x53, 0x00, 0x01}};
const GUID kJoystickProduct = {0x6F1D2B72, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x52, 0x58, 0x4A, 0x53, 0x00, 0x01}};

namespace {

DWORD StateSize(Kind kind) {
  switch (kind) {
    case Kind::Keyboard:
      return 256;
    case Kind::Mouse:
      return sizeof(DIMOUSESTATE);
    case Kind::Joystick:
      return sizeof(DIJOYSTATE);
  }
  return 0;
}

const DIDATAFORMAT& StandardFormat(Kind kind) {
  switch (kind) {
    case Kind::Keyboard:
      return c_dfDIKeyboard;
    case Kind::Mouse:
      return c_dfDIMouse;
    case Kind::Joystick:
      break;
  }
  return c_dfDIJoystick;
}

// The number of keys the keyboard reports: every scan code that has a key.
DWORD KeyCount() {
  DWORD n = 0;
  for (uint32_t code = 1; code < 256; ++code)
    if (user::VirtualKeyFromScanCode(code) != 0) ++n;
  return n;
}

void CopyName(CHAR (&out)[260], const std::string& name) {
  size_t n = std::min(name.size(), sizeof(out) - 1);
  memcpy(out, name.data(), n);
  out[n] = '\0';
}

}  // namespace

InputDevice DeviceOf(Kind kind) {
  switch (kind) {
    case Kind::Keyboard:
      return InputDevice::Keyboard;
    case Kind::Mouse:
      return InputDevice::Mouse;
    case Kind::Joystick:
      break;
  }
  return InputDevice::Joystick;
}

Device::Device(Kind kind) : kind_(kind) {
  Hub& hub = TheHub();
  originX_ = seenX_ = hub.motionX;
  originY_ = seenY_ = hub.motionY;
  originWheel_ = seenWheel_ = hub.wheel;
  hub.devices.push_back(this);
}

Device::~Device() {
  auto& devices = TheHub().devices;
  devices.erase(std::remove(devices.begin(), devices.end(), this), devices.end());
}

HRESULT Device::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IDirectInputDevice2A && kind_ == Kind::Joystick && TheHub().faults.failInterface) {
    if (object) *object = nullptr;
    return object ? E_NOINTERFACE : E_POINTER;
  }
  return Answer(riid, object, static_cast<IDirectInputDevice2A*>(this),
                {&IID_IDirectInputDeviceA, &IID_IDirectInputDevice2A});
}

void Device::LastReleased() {
  bool wasAcquired = acquired_;
  acquired_ = false;
  delete this;
  if (wasAcquired) UpdateRelativeMouse();
}

HRESULT Device::GetCapabilities(LPDIDEVCAPS caps) {
  if (!caps || (caps->dwSize != sizeof(DIDEVCAPS) && caps->dwSize != DIDEVCAPS_DX3_SIZE)) return DIERR_INVALIDPARAM;
  DIDEVCAPS c{};
  c.dwSize = caps->dwSize;
  c.dwFlags = DIDC_ATTACHED;
  DIDEVICEINSTANCEA info{};
  Describe(kind_, info);
  c.dwDevType = info.dwDevType;
  switch (kind_) {
    case Kind::Keyboard:
      c.dwButtons = KeyCount();
      break;
    case Kind::Mouse:
      c.dwAxes = 3;
      c.dwButtons = 4;
      break;
    case Kind::Joystick: {
      Pump();
      const JoystickInfo& j = TheHub().joystick;
      c.dwFlags = (j.attached ? DIDC_ATTACHED : 0) | DIDC_POLLEDDATAFORMAT;
      c.dwAxes = static_cast<DWORD>(j.axes);
      c.dwButtons = static_cast<DWORD>(j.buttons);
      break;
    }
  }
  memcpy(caps, &c, caps->dwSize);
  return DI_OK;
}

HRESULT Device::SetProperty(REFGUID property, LPCDIPROPHEADER header) {
  if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
  if (HRESULT fault = TakePropertyFault(); fault != DI_OK) return fault;

  if (property == DIPROP_AXISMODE) {
    if (header->dwSize != sizeof(DIPROPDWORD)) return DIERR_INVALIDPARAM;
    if (header->dwHow != DIPH_DEVICE || header->dwObj != 0) return DIERR_INVALIDPARAM;
    if (kind_ == Kind::Keyboard) return DIERR_UNSUPPORTED;
    DWORD mode = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
    if (mode != DIPROPAXISMODE_ABS && mode != DIPROPAXISMODE_REL) return DIERR_INVALIDPARAM;
    if (acquired_) return DIERR_ACQUIRED;
    relativeAxes_ = mode == DIPROPAXISMODE_REL;
    return DI_OK;
  }

  if (property == DIPROP_RANGE || property == DIPROP_DEADZONE) {
    bool range = property == DIPROP_RANGE;
    if (header->dwSize != (range ? sizeof(DIPROPRANGE) : sizeof(DIPROPDWORD))) return DIERR_INVALIDPARAM;
    if (kind_ != Kind::Joystick) return DIERR_UNSUPPORTED;
    // Which axes: the whole device, one by its offset in DIJOYSTATE, or one by
    // its object identifier (axis type and instance number).
    int first = 0, last = kJoystickAxes - 1;
    if (header->dwHow == DIPH_DEVICE) {
      if (header->dwObj != 0) return DIERR_INVALIDPARAM;
    } else if (header->dwHow == DIPH_BYOFFSET) {
      if (header->dwObj % 4 != 0 || header->dwObj >= 4 * kJoystickAxes) return DIERR_OBJECTNOTFOUND;
      first = last = static_cast<int>(header->dwObj / 4);
    } else if (header->dwHow == DIPH_BYID) {
      DWORD instance = (header->dwObj >> 8) & 0xFFFF;
      if (!(header->dwObj & DIDFT_AXIS) || instance >= static_cast<DWORD>(kJoystickAxes)) return DIERR_OBJECTNOTFOUND;
      first = last = static_cast<int>(instance);
    } else {
      return DIERR_INVALIDPARAM;
    }
    if (range) {
      const auto* r = reinterpret_cast<const DIPROPRANGE*>(header);
      if (r->lMin >= r->lMax) return DIERR_INVALIDPARAM;
      for (int a = first; a <= last; ++a) axes_[a].min = r->lMin, axes_[a].max = r->lMax;
    } else {
      DWORD zone = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
      if (zone > 10000) return DIERR_INVALIDPARAM;
      for (int a = first; a <= last; ++a) axes_[a].deadZone = zone;
    }
    return DI_OK;
  }

  if (property == DIPROP_BUFFERSIZE || property == DIPROP_GRANULARITY || property == DIPROP_SATURATION)
    return DIERR_UNSUPPORTED;
  return DIERR_INVALIDPARAM;
}

HRESULT Device::Acquire() {
  if (!formatSet_) return DIERR_INVALIDPARAM;
  Pump();
  if (acquired_ && StillAcquired()) return DI_NOEFFECT;
  if (HRESULT fault = TakeAcquireFault(DeviceOf(kind_)); fault != DI_OK) return fault;
  if (foreground() && !WindowHasFocus(window_)) return DIERR_OTHERAPPHASPRIO;
  if (exclusive())
    for (Device* other : TheHub().devices)
      if (other != this && other->kind_ == kind_ && other->acquired_ && other->exclusive())
        return DIERR_OTHERAPPHASPRIO;
  Hub& hub = TheHub();
  if (kind_ == Kind::Joystick) {
    if (!hub.joystick.attached) return DIERR_INPUTLOST;
    generation_ = hub.joystick.generation;
    for (int a = 0; a < kJoystickAxes; ++a) lastAxis_[a] = ScaleAxis(a);
  }
  // Motion made while the device was not acquired is not reported.
  seenX_ = hub.motionX;
  seenY_ = hub.motionY;
  seenWheel_ = hub.wheel;
  acquired_ = true;
  lost_ = false;
  if (kind_ == Kind::Mouse) UpdateRelativeMouse();
  return DI_OK;
}

HRESULT Device::Unacquire() {
  lost_ = false;
  if (!acquired_) return DI_NOEFFECT;
  acquired_ = false;
  if (kind_ == Kind::Mouse) UpdateRelativeMouse();
  return DI_OK;
}

void Device::FocusLost() {
  if (!acquired_) return;
  acquired_ = false;
  lost_ = true;
}

bool Device::StillAcquired() {
  if (!acquired_) return false;
  bool gone = foreground() && !WindowHasFocus(window_);
  if (kind_ == Kind::Joystick) {
    const JoystickInfo& j = TheHub().joystick;
    gone = gone || !j.attached || j.generation != generation_;
  }
  if (gone) {
    acquired_ = false;
    lost_ = true;
    if (kind_ == Kind::Mouse) UpdateRelativeMouse();
  }
  return acquired_;
}

HRESULT Device::GetDeviceState(DWORD size, LPVOID data) {
  if (!data || size != StateSize(kind_)) return DIERR_INVALIDPARAM;
  Pump();
  if (HRESULT fault = TakeReadFault(DeviceOf(kind_)); fault != DI_OK) {
    if ((fault == DIERR_INPUTLOST || fault == DIERR_NOTACQUIRED) && acquired_) {
      acquired_ = false;
      if (kind_ == Kind::Mouse) UpdateRelativeMouse();
    }
    return fault;
  }
  if (!StillAcquired()) {
    if (lost_) {
      lost_ = false;
      return DIERR_INPUTLOST;
    }
    return DIERR_NOTACQUIRED;
  }
  switch (kind_) {
    case Kind::Keyboard:
      ReadKeyboard(static_cast<uint8_t*>(data));
      break;
    case Kind::Mouse: {
      DIMOUSESTATE state;
      ReadMouse(state);
      memcpy(data, &state, sizeof state);
      break;
    }
    case Kind::Joystick: {
      DIJOYSTATE state;
      ReadJoystick(state);
      memcpy(data, &state, sizeof state);
      break;
    }
  }
  return DI_OK;
}

void Device::ReadKeyboard(uint8_t* out) const { memcpy(out, TheHub().keys, 256); }

namespace {
// A running difference that a 32-bit field can hold.
LONG Clamp32(int64_t v) {
  return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
}  // namespace

void Device::ReadMouse(DIMOUSESTATE& out) {
  const Hub& hub = TheHub();
  if (relativeAxes_) {
    out.lX = Clamp32(hub.motionX - seenX_);
    out.lY = Clamp32(hub.motionY - seenY_);
    out.lZ = Clamp32(hub.wheel - seenWheel_);
  } else {
    // Absolute axes: the sum of all motion since the device was made.
    out.lX = Clamp32(hub.motionX - originX_);
    out.lY = Clamp32(hub.motionY - originY_);
    out.lZ = Clamp32(hub.wheel - originWheel_);
  }
  seenX_ = hub.motionX;
  seenY_ = hub.motionY;
  seenWheel_ = hub.wheel;
  for (int b = 0; b < 4; ++b) out.rgbButtons[b] = hub.mouseDown[b] ? 0x80 : 0;
}

LONG Device::ScaleAxis(int axis) const {
  const JoystickInfo& j = TheHub().joystick;
  const Axis& a = axes_[axis];
  double f = std::clamp(j.raw[axis] / 32767.0, -1.0, 1.0);
  double zone = a.deadZone / 10000.0;
  // Inside the dead zone the axis reads its centre; outside, the remaining
  // travel is stretched over the whole half range, so there is no jump.
  double g = 0;
  if (std::fabs(f) > zone && zone < 1.0) g = std::copysign((std::fabs(f) - zone) / (1.0 - zone), f);
  double centre = (static_cast<double>(a.min) + a.max) / 2;
  double half = (static_cast<double>(a.max) - a.min) / 2;
  double v = std::round(centre + g * half);
  return static_cast<LONG>(std::clamp(v, static_cast<double>(a.min), static_cast<double>(a.max)));
}

void Device::ReadJoystick(DIJOYSTATE& out) {
  const JoystickInfo& j = TheHub().joystick;
  LONG values[kJoystickAxes];
  for (int a = 0; a < kJoystickAxes; ++a) {
    LONG v = a < j.axes ? ScaleAxis(a) : 0;
    values[a] = relativeAxes_ ? v - lastAxis_[a] : v;
    lastAxis_[a] = v;
  }
  out.lX = values[0];
  out.lY = values[1];
  out.lZ = values[2];
  out.lRx = values[3];
  out.lRy = values[4];
  out.lRz = values[5];
  out.rglSlider[0] = values[6];
  out.rglSlider[1] = values[7];
  for (DWORD& pov : out.rgdwPOV) pov = 0xFFFFFFFFu;  // centred: no hats are reported
  for (int b = 0; b < kJoystickButtons; ++b) out.rgbButtons[b] = b < j.buttons && j.down[b] ? 0x80 : 0;
}

HRESULT Device::SetDataFormat(LPCDIDATAFORMAT format) {
  if (!format || format->dwSize != sizeof(DIDATAFORMAT) || format->dwObjSize != sizeof(DIOBJECTDATAFORMAT))
    return DIERR_INVALIDPARAM;
  if (acquired_) return DIERR_ACQUIRED;
  // Only the device's standard layout is delivered.
  const DIDATAFORMAT& standard = StandardFormat(kind_);
  if (format != &standard &&
      (format->dwDataSize != standard.dwDataSize || format->dwNumObjs != standard.dwNumObjs ||
       format->dwFlags != standard.dwFlags))
    return DIERR_UNSUPPORTED;
  formatSet_ = true;
  relativeAxes_ = (format->dwFlags & DIDF_RELAXIS) != 0;
  return DI_OK;
}

HRESULT Device::SetCooperativeLevel(HWND window, DWORD flags) {
  constexpr DWORD kKnown = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND;
  bool excl = flags & DISCL_EXCLUSIVE, shared = flags & DISCL_NONEXCLUSIVE;
  bool fore = flags & DISCL_FOREGROUND, back = flags & DISCL_BACKGROUND;
  if ((flags & ~kKnown) || excl == shared || fore == back) return DIERR_INVALIDPARAM;
  if (window ? !IsWindow(window) : (fore || excl)) return E_HANDLE;
  // The system keyboard and mouse cannot be held exclusively in the background.
  if (excl && back && kind_ != Kind::Joystick) return DIERR_UNSUPPORTED;
  if (acquired_) return DIERR_ACQUIRED;
  window_ = window;
  cooperation_ = flags;
  return DI_OK;
}

void Device::Describe(Kind kind, DIDEVICEINSTANCEA& info) {
  info.guidFFDriver = GUID{};
  info.wUsagePage = 0;
  info.wUsage = 0;
  switch (kind) {
    case Kind::Keyboard:
      info.guidInstance = info.guidProduct = GUID_SysKeyboard;
      info.dwDevType = DIDEVTYPE_KEYBOARD | DIDEVTYPEKEYBOARD_PCENH << 8;
      CopyName(info.tszInstanceName, "Keyboard");
      CopyName(info.tszProductName, "Keyboard");
      break;
    case Kind::Mouse:
      info.guidInstance = info.guidProduct = GUID_SysMouse;
      info.dwDevType = DIDEVTYPE_MOUSE | DIDEVTYPEMOUSE_TRADITIONAL << 8;
      CopyName(info.tszInstanceName, "Mouse");
      CopyName(info.tszProductName, "Mouse");
      break;
    case Kind::Joystick: {
      const JoystickInfo& j = TheHub().joystick;
      info.guidInstance = kJoystickInstance;
      info.guidProduct = kJoystickProduct;
      info.dwDevType =
          DIDEVTYPE_JOYSTICK | (j.gamepad ? DIDEVTYPEJOYSTICK_GAMEPAD : DIDEVTYPEJOYSTICK_TRADITIONAL) << 8;
      CopyName(info.tszInstanceName, j.name);
      CopyName(info.tszProductName, j.name);
      break;
    }
  }
}

HRESULT Device::GetDeviceInfo(LPDIDEVICEINSTANCEA info) {
  if (!info || (info->dwSize != sizeof(DIDEVICEINSTANCEA) && info->dwSize != DIDEVICEINSTANCE_DX3A_SIZE))
    return DIERR_INVALIDPARAM;
  DIDEVICEINSTANCEA full{};
  full.dwSize = info->dwSize;
  if (kind_ == Kind::Joystick) Pump();
  Describe(kind_, full);
  memcpy(info, &full, info->dwSize);
  return DI_OK;
}

HRESULT Device::RunControlPanel(HWND owner, DWORD flags) {
  if (flags != 0 || (owner && !IsWindow(owner))) return DIERR_INVALIDPARAM;
  // This system has no input control panel to open.
  return DIERR_UNSUPPORTED;
}

HRESULT Device::Poll() {
  Pump();
  if (!StillAcquired()) return lost_ ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
  // Only the joystick is a polled device; the others report nothing to do.
  return kind_ == Kind::Joystick ? DI_OK : DI_NOEFFECT;
}

}  // namespace platform::dinput
