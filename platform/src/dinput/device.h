// SPDX-License-Identifier: MIT
// One DirectInput device object: the system keyboard, the system mouse or the
// joystick, reading the hub's state in the standard data formats.
#pragma once

#include "com/object.h"
#include "dinput/hub.h"

namespace platform::dinput {

enum class Kind { Keyboard, Mouse, Joystick };

InputDevice DeviceOf(Kind kind);

// The instance GUID given to the (first) attached joystick.
extern const GUID kJoystickInstance;
// The product GUID reported with it.
extern const GUID kJoystickProduct;

class Device final : public com::Object<IDirectInputDevice2A> {
 public:
  explicit Device(Kind kind);

  HRESULT QueryInterface(REFIID riid, void** object) override;

  HRESULT GetCapabilities(LPDIDEVCAPS caps) override;
  HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
  HRESULT Acquire() override;
  HRESULT Unacquire() override;
  HRESULT GetDeviceState(DWORD size, LPVOID data) override;
  HRESULT SetDataFormat(LPCDIDATAFORMAT format) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT GetDeviceInfo(LPDIDEVICEINSTANCEA info) override;
  HRESULT RunControlPanel(HWND owner, DWORD flags) override;
  HRESULT Poll() override;

  Kind kind() const { return kind_; }
  bool acquired() const { return acquired_; }
  bool exclusive() const { return (cooperation_ & DISCL_EXCLUSIVE) != 0; }
  bool foreground() const { return (cooperation_ & DISCL_FOREGROUND) != 0; }
  HWND window() const { return window_; }

  // The device's window lost the focus (foreground devices are then lost).
  void FocusLost();

  // Fills a DIDEVICEINSTANCEA (580 bytes) for this kind of device.
  static void Describe(Kind kind, DIDEVICEINSTANCEA& info);

 private:
  ~Device() override;
  // Gives the pointer back if the device held it.
  void LastReleased() override;

  // Marks a foreground device without focus, or a joystick that went away, as
  // lost. Returns false when the device is not acquired (any more).
  bool StillAcquired();
  void ReadKeyboard(uint8_t* out) const;
  void ReadMouse(DIMOUSESTATE& out);
  void ReadJoystick(DIJOYSTATE& out);
  LONG ScaleAxis(int axis) const;

  struct Axis {
    LONG min = 0;
    LONG max = 65535;
    DWORD deadZone = 0;  // 1/100 percent of the travel from the centre
  };

  Kind kind_;
  bool formatSet_ = false;
  DWORD cooperation_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  HWND window_ = nullptr;
  bool acquired_ = false;
  bool lost_ = false;  // the next read says DIERR_INPUTLOST
  bool relativeAxes_ = false;
  // mouse
  int64_t seenX_ = 0, seenY_ = 0, seenWheel_ = 0;  // hub sums at the last read
  int64_t originX_ = 0, originY_ = 0, originWheel_ = 0;  // hub sums at creation
  // joystick
  Axis axes_[kJoystickAxes];
  LONG lastAxis_[kJoystickAxes] = {};
  uint32_t generation_ = 0;
};

}  // namespace platform::dinput
