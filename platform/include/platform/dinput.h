// SPDX-License-Identifier: MIT
/// @file
/// DINPUT: DirectInput 5 -- the system keyboard, the system mouse and the first
/// joystick, read as polled state records in the standard data formats.
///
/// On this platform the devices are fed by the window system's events: the
/// keyboard by scan code (DirectInput's DIK_ numbering), the mouse by relative
/// motion (read with the pointer captured while a mouse device is acquired and
/// its window has the focus, so motion never stops at a screen edge), the
/// joystick from the first attached joystick or game controller.
#pragma once

#include "platform/wintypes.h"

/// The DirectInput version these declarations are (5); DirectInputCreateA
/// accepts versions 3 (0x0300) to this one.
#define DIRECTINPUT_VERSION 0x0500

/// @name Device and object identifiers
/** @{ */
/// Device and object identifiers.
inline constexpr GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Joystick = {0x6F1D2B70, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_XAxis = {0xA36D02E0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_YAxis = {0xA36D02E1, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_ZAxis = {0xA36D02E2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_RxAxis = {0xA36D02F4, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_RyAxis = {0xA36D02F5, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_RzAxis = {0xA36D02E3, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Slider = {0xA36D02E4, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Button = {0xA36D02F0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_Key = {0x55728220, 0xD33C, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_POV = {0xA36D02F2, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
/** @} */

/// @name Interface identifiers
/** @{ */
/// Interface identifiers.
inline constexpr IID IID_IDirectInputA = {0x89521360, 0xAA8A, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr IID IID_IDirectInputDeviceA = {0x5944E680, 0xC92E, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr IID IID_IDirectInputDevice2A = {0x5944E682, 0xC92E, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
/** @} */

/// @name Results
/** @{ */
/// Results.
#define DI_OK S_OK
#define DI_NOTATTACHED S_FALSE
#define DI_BUFFEROVERFLOW S_FALSE
#define DI_PROPNOEFFECT S_FALSE
#define DI_NOEFFECT S_FALSE
#define DI_POLLEDDEVICE RX_HRESULT(0x00000002u)
#define DIERR_OLDDIRECTINPUTVERSION RX_HRESULT(0x8007047Eu)
#define DIERR_BETADIRECTINPUTVERSION RX_HRESULT(0x80070481u)
#define DIERR_BADDRIVERVER RX_HRESULT(0x80070077u)
#define DIERR_DEVICENOTREG RX_HRESULT(0x80040154u)
#define DIERR_NOTFOUND RX_HRESULT(0x80070002u)
#define DIERR_OBJECTNOTFOUND RX_HRESULT(0x80070002u)
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_NOINTERFACE E_NOINTERFACE
#define DIERR_GENERIC E_FAIL
#define DIERR_OUTOFMEMORY E_OUTOFMEMORY
#define DIERR_UNSUPPORTED E_NOTIMPL
#define DIERR_NOTINITIALIZED RX_HRESULT(0x80070015u)
#define DIERR_ALREADYINITIALIZED RX_HRESULT(0x800704DFu)
#define DIERR_NOAGGREGATION CLASS_E_NOAGGREGATION
#define DIERR_OTHERAPPHASPRIO RX_HRESULT(0x80070005u)
#define DIERR_INPUTLOST RX_HRESULT(0x8007001Eu)
#define DIERR_ACQUIRED RX_HRESULT(0x800700AAu)
#define DIERR_NOTACQUIRED RX_HRESULT(0x8007000Cu)
#define DIERR_READONLY RX_HRESULT(0x80070005u)
#define DIERR_HANDLEEXISTS RX_HRESULT(0x80070005u)
#define DIERR_INSUFFICIENTPRIVS RX_HRESULT(0x80040200u)
#define DIERR_DEVICEFULL RX_HRESULT(0x80040201u)
#define DIERR_MOREDATA RX_HRESULT(0x80040202u)
#define DIERR_NOTDOWNLOADED RX_HRESULT(0x80040203u)
#define DIERR_HASEFFECTS RX_HRESULT(0x80040204u)
#define DIERR_NOTEXCLUSIVEACQUIRED RX_HRESULT(0x80040205u)
#define DIERR_INCOMPLETEEFFECT RX_HRESULT(0x80040206u)
#define DIERR_NOTBUFFERED RX_HRESULT(0x80040207u)
#define DIERR_EFFECTPLAYING RX_HRESULT(0x80040208u)
/** @} */

/// @name Device types
/** @{ */
/// The low byte is the type, the second byte the subtype.
#define DIDEVTYPE_DEVICE 1
#define DIDEVTYPE_MOUSE 2
#define DIDEVTYPE_KEYBOARD 3
#define DIDEVTYPE_JOYSTICK 4
#define DIDEVTYPE_HID 0x00010000
#define DIDEVTYPEMOUSE_UNKNOWN 1
#define DIDEVTYPEMOUSE_TRADITIONAL 2
#define DIDEVTYPEMOUSE_FINGERSTICK 3
#define DIDEVTYPEMOUSE_TOUCHPAD 4
#define DIDEVTYPEMOUSE_TRACKBALL 5
#define DIDEVTYPEKEYBOARD_UNKNOWN 0
#define DIDEVTYPEKEYBOARD_PCXT 1
#define DIDEVTYPEKEYBOARD_OLIVETTI 2
#define DIDEVTYPEKEYBOARD_PCAT 3
#define DIDEVTYPEKEYBOARD_PCENH 4
#define DIDEVTYPEJOYSTICK_UNKNOWN 1
#define DIDEVTYPEJOYSTICK_TRADITIONAL 2
#define DIDEVTYPEJOYSTICK_FLIGHTSTICK 3
#define DIDEVTYPEJOYSTICK_GAMEPAD 4
#define DIDEVTYPEJOYSTICK_RUDDER 5
#define DIDEVTYPEJOYSTICK_WHEEL 6
#define DIDEVTYPEJOYSTICK_HEADTRACKER 7
#define GET_DIDEVICE_TYPE(dwDevType) LOBYTE(dwDevType)
#define GET_DIDEVICE_SUBTYPE(dwDevType) (LOBYTE(static_cast<DWORD>(dwDevType) >> 8))
/** @} */

/// @name EnumDevices
/** @{ */
/// EnumDevices.
#define DIEDFL_ALLDEVICES 0x00000000
#define DIEDFL_ATTACHEDONLY 0x00000001
#define DIEDFL_FORCEFEEDBACK 0x00000100
#define DIENUM_STOP 0
#define DIENUM_CONTINUE 1
/** @} */

/// @name SetCooperativeLevel
/** @{ */
/// SetCooperativeLevel.
#define DISCL_EXCLUSIVE 0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND 0x00000004
#define DISCL_BACKGROUND 0x00000008
/** @} */

/// @name Capabilities
/** @{ */
/// Capabilities.
#define DIDC_ATTACHED 0x00000001
#define DIDC_POLLEDDEVICE 0x00000002
#define DIDC_EMULATED 0x00000004
#define DIDC_POLLEDDATAFORMAT 0x00000008
/** @} */

/// A device's capabilities (IDirectInputDeviceA::GetCapabilities). The
/// DirectX 3 size (DIDEVCAPS_DX3_SIZE) is accepted in dwSize too.
struct DIDEVCAPS {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwDevType;
  DWORD dwAxes;
  DWORD dwButtons;
  DWORD dwPOVs;
  DWORD dwFFSamplePeriod;
  DWORD dwFFMinTimeResolution;
  DWORD dwFirmwareRevision;
  DWORD dwHardwareRevision;
  DWORD dwFFDriverVersion;
  /** @} */
};
/// Pointer to a DIDEVCAPS.
using LPDIDEVCAPS = DIDEVCAPS*;
static_assert(sizeof(DIDEVCAPS) == 44);
/// The DirectX 3 record: the first six fields.
#define DIDEVCAPS_DX3_SIZE 24

/// What a device is: its identifiers, type and names. The joystick is named
/// as the system names it; the keyboard and mouse are "Keyboard" and "Mouse".
struct DIDEVICEINSTANCEA {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;
  GUID guidInstance;
  GUID guidProduct;
  DWORD dwDevType;
  CHAR tszInstanceName[260];
  CHAR tszProductName[260];
  GUID guidFFDriver;
  WORD wUsagePage;
  WORD wUsage;
  /** @} */
};
/// @name Pointers to a DIDEVICEINSTANCEA
/** @{ */
/// Pointers to a DIDEVICEINSTANCEA.
using LPDIDEVICEINSTANCEA = DIDEVICEINSTANCEA*;
using LPCDIDEVICEINSTANCEA = const DIDEVICEINSTANCEA*;
/** @} */
static_assert(sizeof(DIDEVICEINSTANCEA) == 580);
/// The DirectX 3 record ends after the product name.
#define DIDEVICEINSTANCE_DX3A_SIZE 560

/// Called once per device by IDirectInputA::EnumDevices; return DIENUM_CONTINUE to go on.
using LPDIENUMDEVICESCALLBACKA = BOOL(CALLBACK*)(LPCDIDEVICEINSTANCEA instance, LPVOID ref);

/// The header of every property record (SetProperty). Each DIPROP_ name
/// identifies one property.
struct DIPROPHEADER {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;
  DWORD dwHeaderSize;
  DWORD dwObj;
  DWORD dwHow;
  /** @} */
};
/// @name Pointers to a DIPROPHEADER
/** @{ */
/// Pointers to a DIPROPHEADER.
using LPDIPROPHEADER = DIPROPHEADER*;
using LPCDIPROPHEADER = const DIPROPHEADER*;
/** @} */
static_assert(sizeof(DIPROPHEADER) == 16);

/// A property with one value (axis mode, dead zone).
struct DIPROPDWORD {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DIPROPHEADER diph;
  DWORD dwData;
  /** @} */
};
static_assert(sizeof(DIPROPDWORD) == 20);

/// A property with a range (an axis's range).
struct DIPROPRANGE {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DIPROPHEADER diph;
  LONG lMin;
  LONG lMax;
  /** @} */
};
static_assert(sizeof(DIPROPRANGE) == 24);

/// @name Property headers and values
/** @{ */
/// How DIPROPHEADER names its object (the device, an offset in the data
/// format, an object identifier), the two axis modes, and a range's open ends.
#define DIPH_DEVICE 0
#define DIPH_BYOFFSET 1
#define DIPH_BYID 2
#define DIPROPAXISMODE_ABS 0
#define DIPROPAXISMODE_REL 1
#define DIPROPRANGE_NOMIN (static_cast<LONG>(0x80000000u))
#define DIPROPRANGE_NOMAX (static_cast<LONG>(0x7FFFFFFF))
/** @} */

/// The property identifiers behind the DIPROP_ names.
namespace platform::dinput {
/// @name The property identifiers
/** @{ */
/// The platform passes small integers disguised as GUID references; here each
/// is a GUID of its own with the property number first.
inline constexpr GUID MakeProperty(uint32_t n) { return {n, 0, 0, {'D', 'I', 'P', 'R', 'O', 'P', 0, 0}}; }
inline constexpr GUID kPropBufferSize = MakeProperty(1);
inline constexpr GUID kPropAxisMode = MakeProperty(2);
inline constexpr GUID kPropGranularity = MakeProperty(3);
inline constexpr GUID kPropRange = MakeProperty(4);
inline constexpr GUID kPropDeadZone = MakeProperty(5);
inline constexpr GUID kPropSaturation = MakeProperty(6);
/** @} */
}  // namespace platform::dinput
/// @name Properties
/** @{ */
/// The properties of IDirectInputDeviceA::SetProperty. DIPROP_AXISMODE (mouse
/// and joystick), DIPROP_RANGE and DIPROP_DEADZONE (joystick axes, by device,
/// offset or identifier) are kept; the others answer DIERR_UNSUPPORTED: there
/// is no buffered data here.
#define DIPROP_BUFFERSIZE (platform::dinput::kPropBufferSize)
#define DIPROP_AXISMODE (platform::dinput::kPropAxisMode)
#define DIPROP_GRANULARITY (platform::dinput::kPropGranularity)
#define DIPROP_RANGE (platform::dinput::kPropRange)
#define DIPROP_DEADZONE (platform::dinput::kPropDeadZone)
#define DIPROP_SATURATION (platform::dinput::kPropSaturation)
/** @} */

/// One object of a data format. Only the three standard formats are read
/// here, so these records describe them rather than being interpreted.
struct DIOBJECTDATAFORMAT {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  const GUID* pguid;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
  /** @} */
};
/// @name Pointers to a DIOBJECTDATAFORMAT
/** @{ */
/// Pointers to a DIOBJECTDATAFORMAT.
using LPDIOBJECTDATAFORMAT = DIOBJECTDATAFORMAT*;
using LPCDIOBJECTDATAFORMAT = const DIOBJECTDATAFORMAT*;
/** @} */

/// A data format for IDirectInputDeviceA::SetDataFormat: one of c_dfDIKeyboard,
/// c_dfDIMouse and c_dfDIJoystick (or a copy of one).
struct DIDATAFORMAT {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  DWORD dwSize;
  DWORD dwObjSize;
  DWORD dwFlags;
  DWORD dwDataSize;
  DWORD dwNumObjs;
  LPDIOBJECTDATAFORMAT rgodf;
  /** @} */
};
/// @name Pointers to a DIDATAFORMAT
/** @{ */
/// Pointers to a DIDATAFORMAT.
using LPDIDATAFORMAT = DIDATAFORMAT*;
using LPCDIDATAFORMAT = const DIDATAFORMAT*;
/** @} */

/// @name Data format flags and object types
/** @{ */
/// The flags of DIDATAFORMAT and the object types of DIOBJECTDATAFORMAT.
#define DIDF_ABSAXIS 0x00000001
#define DIDF_RELAXIS 0x00000002
#define DIDFT_ALL 0x00000000
#define DIDFT_RELAXIS 0x00000001
#define DIDFT_ABSAXIS 0x00000002
#define DIDFT_AXIS 0x00000003
#define DIDFT_PSHBUTTON 0x00000004
#define DIDFT_TGLBUTTON 0x00000008
#define DIDFT_BUTTON 0x0000000C
#define DIDFT_POV 0x00000010
#define DIDFT_ANYINSTANCE 0x00FFFF00
#define DIDFT_MAKEINSTANCE(n) (static_cast<DWORD>(static_cast<WORD>(n)) << 8)
#define DIDFT_OPTIONAL 0x80000000u
/** @} */

/// @name The standard formats
/** @{ */
/// 256 key bytes, DIMOUSESTATE, DIJOYSTATE.
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIMouse;
extern const DIDATAFORMAT c_dfDIJoystick;
/** @} */

/// The mouse's state in c_dfDIMouse: motion since the last read (relative axes,
/// the default) or since the device was made (absolute), the wheel in lZ, and
/// buttons with bit 7 set while down.
struct DIMOUSESTATE {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[4];
  /** @} */
};
/// Pointer to a DIMOUSESTATE.
using LPDIMOUSESTATE = DIMOUSESTATE*;
static_assert(sizeof(DIMOUSESTATE) == 16);

/// The joystick's state in c_dfDIJoystick: axes scaled to each axis's range
/// (0..65535 unless set), buttons with bit 7 set while down; the hats always
/// read centred (0xFFFFFFFF).
struct DIJOYSTATE {
  /// @name Fields
  /** @{ */
  /// As Windows lays the record out.
  LONG lX;
  LONG lY;
  LONG lZ;
  LONG lRx;
  LONG lRy;
  LONG lRz;
  LONG rglSlider[2];
  DWORD rgdwPOV[4];
  BYTE rgbButtons[32];
  /** @} */
};
/// Pointer to a DIJOYSTATE.
using LPDIJOYSTATE = DIJOYSTATE*;
static_assert(sizeof(DIJOYSTATE) == 80);

/// @name Offsets in the state records
/** @{ */
/// Where each axis, slider, hat and button lies in DIJOYSTATE (DIJOFS_) and
/// DIMOUSESTATE (DIMOFS_), as DIPH_BYOFFSET names them.
#define DIJOFS_X 0
#define DIJOFS_Y 4
#define DIJOFS_Z 8
#define DIJOFS_RX 12
#define DIJOFS_RY 16
#define DIJOFS_RZ 20
#define DIJOFS_SLIDER(n) (24 + (n) * 4)
#define DIJOFS_POV(n) (32 + (n) * 4)
#define DIJOFS_BUTTON(n) (48 + (n))
#define DIMOFS_X 0
#define DIMOFS_Y 4
#define DIMOFS_Z 8
#define DIMOFS_BUTTON0 12
#define DIMOFS_BUTTON1 13
#define DIMOFS_BUTTON2 14
#define DIMOFS_BUTTON3 15
/** @} */

/// @name Keyboard scan codes (set-1 make codes; keys sent with the extended prefix have 0x80 added)
/** @{ */
/// Keyboard scan codes (set-1 make codes; keys sent with the extended prefix have 0x80 added).
#define DIK_ESCAPE 0x01
#define DIK_1 0x02
#define DIK_2 0x03
#define DIK_3 0x04
#define DIK_4 0x05
#define DIK_5 0x06
#define DIK_6 0x07
#define DIK_7 0x08
#define DIK_8 0x09
#define DIK_9 0x0A
#define DIK_0 0x0B
#define DIK_MINUS 0x0C
#define DIK_EQUALS 0x0D
#define DIK_BACK 0x0E
#define DIK_TAB 0x0F
#define DIK_Q 0x10
#define DIK_W 0x11
#define DIK_E 0x12
#define DIK_R 0x13
#define DIK_T 0x14
#define DIK_Y 0x15
#define DIK_U 0x16
#define DIK_I 0x17
#define DIK_O 0x18
#define DIK_P 0x19
#define DIK_LBRACKET 0x1A
#define DIK_RBRACKET 0x1B
#define DIK_RETURN 0x1C
#define DIK_LCONTROL 0x1D
#define DIK_A 0x1E
#define DIK_S 0x1F
#define DIK_D 0x20
#define DIK_F 0x21
#define DIK_G 0x22
#define DIK_H 0x23
#define DIK_J 0x24
#define DIK_K 0x25
#define DIK_L 0x26
#define DIK_SEMICOLON 0x27
#define DIK_APOSTROPHE 0x28
#define DIK_GRAVE 0x29
#define DIK_LSHIFT 0x2A
#define DIK_BACKSLASH 0x2B
#define DIK_Z 0x2C
#define DIK_X 0x2D
#define DIK_C 0x2E
#define DIK_V 0x2F
#define DIK_B 0x30
#define DIK_N 0x31
#define DIK_M 0x32
#define DIK_COMMA 0x33
#define DIK_PERIOD 0x34
#define DIK_SLASH 0x35
#define DIK_RSHIFT 0x36
#define DIK_MULTIPLY 0x37
#define DIK_LMENU 0x38
#define DIK_SPACE 0x39
#define DIK_CAPITAL 0x3A
#define DIK_F1 0x3B
#define DIK_F2 0x3C
#define DIK_F3 0x3D
#define DIK_F4 0x3E
#define DIK_F5 0x3F
#define DIK_F6 0x40
#define DIK_F7 0x41
#define DIK_F8 0x42
#define DIK_F9 0x43
#define DIK_F10 0x44
#define DIK_NUMLOCK 0x45
#define DIK_SCROLL 0x46
#define DIK_NUMPAD7 0x47
#define DIK_NUMPAD8 0x48
#define DIK_NUMPAD9 0x49
#define DIK_SUBTRACT 0x4A
#define DIK_NUMPAD4 0x4B
#define DIK_NUMPAD5 0x4C
#define DIK_NUMPAD6 0x4D
#define DIK_ADD 0x4E
#define DIK_NUMPAD1 0x4F
#define DIK_NUMPAD2 0x50
#define DIK_NUMPAD3 0x51
#define DIK_NUMPAD0 0x52
#define DIK_DECIMAL 0x53
#define DIK_OEM_102 0x56
#define DIK_F11 0x57
#define DIK_F12 0x58
#define DIK_NUMPADENTER 0x9C
#define DIK_RCONTROL 0x9D
#define DIK_DIVIDE 0xB5
#define DIK_SYSRQ 0xB7
#define DIK_RMENU 0xB8
#define DIK_PAUSE 0xC5
#define DIK_HOME 0xC7
#define DIK_UP 0xC8
#define DIK_PRIOR 0xC9
#define DIK_LEFT 0xCB
#define DIK_RIGHT 0xCD
#define DIK_END 0xCF
#define DIK_DOWN 0xD0
#define DIK_NEXT 0xD1
#define DIK_INSERT 0xD2
#define DIK_DELETE 0xD3
#define DIK_LWIN 0xDB
#define DIK_RWIN 0xDC
#define DIK_APPS 0xDD
/** @} */

/// A keyboard, mouse or joystick, read by polling its state.
///
/// Acquiring: a foreground device is acquired only while its window has the
/// focus; losing the focus unacquires it, and the next read answers
/// DIERR_INPUTLOST once, then DIERR_NOTACQUIRED. While the mouse is acquired
/// and its window focused, the pointer is captured (relative motion), so it
/// never stops at a screen edge; letting the mouse go gives the pointer back.
/// A joystick unplugged is lost the same way.
struct IDirectInputDeviceA : IUnknown {
  /// Attached, polled (joystick), the type, axes and buttons.
  virtual HRESULT GetCapabilities(LPDIDEVCAPS caps) = 0;
  /// Sets a property (see DIPROP_AXISMODE and the others); DIERR_ACQUIRED for
  /// the axis mode while acquired.
  virtual HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) = 0;
  /// Starts delivering state; needs a data format, and for a foreground device
  /// the focus (else DIERR_OTHERAPPHASPRIO). Motion made before is not
  /// reported. DI_NOEFFECT when already acquired.
  virtual HRESULT Acquire() = 0;
  /// Stops delivering state; DI_NOEFFECT when not acquired.
  virtual HRESULT Unacquire() = 0;
  /// Copies the state in the device's standard format; size must be its size
  /// (256 bytes, DIMOUSESTATE or DIJOYSTATE).
  virtual HRESULT GetDeviceState(DWORD size, LPVOID data) = 0;
  /// Only the device's own standard format is taken; DIERR_ACQUIRED while acquired.
  virtual HRESULT SetDataFormat(LPCDIDATAFORMAT format) = 0;
  /// One of exclusive and non-exclusive, one of foreground and background; the
  /// system keyboard and mouse cannot be exclusive in the background
  /// (DIERR_UNSUPPORTED).
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  /// What the device is; the DirectX 3 size is accepted in dwSize.
  virtual HRESULT GetDeviceInfo(LPDIDEVICEINSTANCEA info) = 0;
  /// This system has no input control panel: DIERR_UNSUPPORTED.
  virtual HRESULT RunControlPanel(HWND owner, DWORD flags) = 0;
};
/// Pointer to an IDirectInputDeviceA.
using LPDIRECTINPUTDEVICEA = IDirectInputDeviceA*;

/// The second-generation device interface (QueryInterface with
/// IID_IDirectInputDevice2A), for polling.
struct IDirectInputDevice2A : IDirectInputDeviceA {
  /// Reads the devices' events; DI_OK for the joystick (a polled device),
  /// DI_NOEFFECT for the others, DIERR_INPUTLOST or DIERR_NOTACQUIRED when not
  /// acquired.
  virtual HRESULT Poll() = 0;
};
/// Pointer to an IDirectInputDevice2A.
using LPDIRECTINPUTDEVICE2A = IDirectInputDevice2A*;

/// DirectInput: lists and makes the devices.
struct IDirectInputA : IUnknown {
  /// GUID_SysKeyboard, GUID_SysMouse, or the instance identifier EnumDevices
  /// gave for the attached joystick; anything else DIERR_DEVICENOTREG.
  virtual HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* device, LPUNKNOWN outer) = 0;
  /// Mouse, keyboard, then the joystick while one is attached (devType 0 for
  /// all, or one DIDEVTYPE_); none gives force feedback.
  virtual HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref, DWORD flags) = 0;
};
/// @name Pointers to an IDirectInputA
/** @{ */
/// Pointers to an IDirectInputA.
using LPDIRECTINPUTA = IDirectInputA*;
using LPDIRECTINPUT = IDirectInputA*;
/** @} */

/// Makes DirectInput; version 0x0300 to DIRECTINPUT_VERSION (else
/// DIERR_OLDDIRECTINPUTVERSION or DIERR_BETADIRECTINPUTVERSION).
HRESULT DirectInputCreateA(HINSTANCE instance, DWORD version, LPDIRECTINPUTA* directInput, LPUNKNOWN outer);
