// SPDX-License-Identifier: MIT
// The DirectInput object: makes device objects and lists the attached devices.
#include <memory>

#include "com/object.h"
#include "dinput/device.h"

namespace platform::dinput {
namespace {

class DirectInput final : public com::Object<IDirectInputA> {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, static_cast<IDirectInputA*>(this), {&IID_IDirectInputA});
  }

  HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* device, LPUNKNOWN outer) override {
    if (!device) return DIERR_INVALIDPARAM;
    *device = nullptr;
    if (outer) return DIERR_NOAGGREGATION;
    Pump();
    Kind kind;
    if (guid == GUID_SysKeyboard) {
      kind = Kind::Keyboard;
    } else if (guid == GUID_SysMouse) {
      kind = Kind::Mouse;
    } else if (guid == kJoystickInstance && TheHub().joystick.attached) {
      kind = Kind::Joystick;
    } else {
      return DIERR_DEVICENOTREG;
    }
    bool& fail = TheHub().faults.failCreate[static_cast<int>(DeviceOf(kind))];
    bool& failAny = TheHub().faults.failCreate[static_cast<int>(InputDevice::Any)];
    if (fail || failAny) {
      fail = failAny = false;
      return DIERR_DEVICENOTREG;
    }
    *device = new Device(kind);
    return DI_OK;
  }

  HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref, DWORD flags) override {
    if (!callback || devType > DIDEVTYPE_JOYSTICK || (flags & ~DWORD{DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK}))
      return DIERR_INVALIDPARAM;
    // No device here gives force feedback.
    if (flags & DIEDFL_FORCEFEEDBACK) return DI_OK;
    Pump();
    Kind order[] = {Kind::Mouse, Kind::Keyboard, Kind::Joystick};
    DWORD types[] = {DIDEVTYPE_MOUSE, DIDEVTYPE_KEYBOARD, DIDEVTYPE_JOYSTICK};
    for (int i = 0; i < 3; ++i) {
      if (devType != 0 && devType != types[i]) continue;
      // The joystick is offered only while one is attached: this system cannot
      // name a joystick that is not there.
      if (order[i] == Kind::Joystick && !TheHub().joystick.attached) continue;
      DIDEVICEINSTANCEA info{};
      info.dwSize = sizeof info;
      Device::Describe(order[i], info);
      if (callback(&info, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
  }

 private:
  ~DirectInput() override = default;
};

}  // namespace
}  // namespace platform::dinput

HRESULT DirectInputCreateA(HINSTANCE, DWORD version, LPDIRECTINPUTA* directInput, LPUNKNOWN outer) {
  if (!directInput) return DIERR_INVALIDPARAM;
  *directInput = nullptr;
  if (outer) return DIERR_NOAGGREGATION;
  if (version > DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
  if (version < 0x0300) return DIERR_BETADIRECTINPUTVERSION;
  if (HRESULT fault = platform::dinput::TheHub().faults.createResult; fault != DI_OK) return fault;
  *directInput = new platform::dinput::DirectInput;
  return DI_OK;
}
