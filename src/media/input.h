// SPDX-License-Identifier: MIT
/// @file
/// Input: one polled view of the keyboard, the mouse and the first joystick.
///
/// Each Update reads the three devices once. The mouse and the joystick drive a
/// pointer each (motion scaled by a sensitivity, summed, clamped to a rectangle
/// whose upper limits are exclusive). Keys, mouse buttons and joystick buttons
/// share 270 key slots, each stepping through up, pressed, held and released:
///
///     slots 0-255    keyboard keys by key code (see BuildKeyTable); 0 unused
///     slots 256-258  mouse buttons 0-2
///     slot 259       never written
///     slots 260-269  joystick buttons 0-9
///
/// Key codes are the character a key types without Shift (lower-case letters,
/// digits, US punctuation), ASCII control codes for Escape, Backspace, Tab and
/// Enter, and 128-175 for the other keys (see BuildKeyTable).
#pragma once

#include "platform/dinput.h"
#include "platform/windows.h"

/// Where a key slot stands after the last Update.
enum KeyState : BYTE {
  KeyUp = 0,        ///< up, and up at the previous update too
  KeyReleased = 1,  ///< went up at the last update
  KeyPressed = 2,   ///< went down at the last update
  KeyHeld = 3,      ///< down for two updates or more
};

/// The number of key slots.
constexpr int kKeySlots = 270;
constexpr int kMouseButtonSlot = 256;     ///< mouse buttons 0-2: 256, 257, 258
constexpr int kJoystickButtonSlot = 260;  ///< joystick buttons 0-9: 260..269

/// The polled view of keyboard, mouse and joystick. See the file's description.
class Input {
 public:
  /// Nothing open; every key up, pointers at 0, 0, sensitivities 1.0.
  Input();
  /// Unacquires and releases the devices and DirectInput.
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  /// Opens DirectInput, the mouse, the keyboard and the first attached joystick
  /// and acquires them; the key tables are built here. A missing mouse, keyboard
  /// or joystick is tolerated. Returns 1, or 0 when a device that exists cannot
  /// be acquired or set up (what was made stays, for the destructor).
  BOOL Create(HINSTANCE instance, HWND window, BOOL exclusiveMouse);

  /// Reads the devices and advances every key slot.
  void Update();

  /// @name Mouse pointer
  /// The position moves by the motion times the sensitivity and stays inside
  /// the limits (upper limits exclusive); the free position moves the same
  /// way without limits; the delta is the last update's step.
  /** @{ */
  /// The rectangle the position stays in; maxX and maxY are exclusive.
  void SetMouseLimits(LONG minX, LONG minY, LONG maxX, LONG maxY);
  /// Places the pointer, held strictly inside the limits; the delta becomes 0.
  void SetMousePosition(LONG x, LONG y);
  /// Sets the free position; the delta becomes 0.
  void SetMouseFreePosition(LONG x, LONG y);
  /// The factor motion is multiplied by.
  void SetMouseSensitivity(float factor);
  /// The factor motion is multiplied by.
  float GetMouseSensitivity() const;
  /// The position; either output may be null.
  void GetMousePosition(LONG* x, LONG* y) const;
  /// The free position; either output may be null.
  void GetMouseFreePosition(LONG* x, LONG* y) const;
  /// The last update's step; either output may be null.
  void GetMouseDelta(LONG* x, LONG* y) const;
  /// Switches the mouse device to absolute axis values.
  HRESULT SetMouseAbsolute();
  /// The mouse device's control panel: this system has none (DIERR_UNSUPPORTED).
  HRESULT RunMouseControlPanel(HWND owner);
  /** @} */

  /// @name Joystick pointer
  /// Its position moves by the stick's deflection each update, under the same
  /// rules as the mouse pointer's.
  /** @{ */
  /// The rectangle the position stays in; maxX and maxY are exclusive.
  void SetJoystickLimits(LONG minX, LONG minY, LONG maxX, LONG maxY);
  /// Places the pointer, held strictly inside the limits; the delta becomes 0.
  void SetJoystickPosition(LONG x, LONG y);
  /// Sets the free position; the delta becomes 0.
  void SetJoystickFreePosition(LONG x, LONG y);
  /// The factor the deflection is multiplied by.
  void SetJoystickSensitivity(float factor);
  /// The factor the deflection is multiplied by.
  float GetJoystickSensitivity() const;
  /// The position; either output may be null.
  void GetJoystickPosition(LONG* x, LONG* y) const;
  /// The free position; either output may be null.
  void GetJoystickFreePosition(LONG* x, LONG* y) const;
  /// The last update's step; either output may be null.
  void GetJoystickDelta(LONG* x, LONG* y) const;
  /// Switches the joystick device to absolute axis values.
  HRESULT SetJoystickAbsolute();
  /// The joystick device's control panel: this system has none (DIERR_UNSUPPORTED).
  HRESULT RunJoystickControlPanel(HWND owner);
  /// The joystick's buttons; 0 without an acquired joystick.
  int JoystickButtonCount();
  /// Whether the joystick is a game controller (subtype DIDEVTYPEJOYSTICK_GAMEPAD).
  BOOL JoystickIsGamepad() const;
  /** @} */

  /// @name Device control
  /** @{ */
  /// Acquires the devices asked for and unacquires the others.
  void SetActiveDevices(BOOL mouse, BOOL keyboard, BOOL joystick);
  /// Acquires the mouse (a few tries); mouseAcquired says whether it worked.
  void AcquireMouse();
  /// Acquires the keyboard (a few tries) and clears the key slots.
  void AcquireKeyboard();
  /// Acquires the joystick (a few tries).
  void AcquireJoystick();
  /// Lets the mouse go (the pointer is the desktop's again).
  void UnacquireMouse();
  /// Lets the keyboard go.
  void UnacquireKeyboard();
  /// Lets the joystick go.
  void UnacquireJoystick();
  /// Every key slot up; raw keys, press times and positions cleared.
  void ClearKeyStates();
  /** @} */

  /// @name Key slots and keyboard queries
  /// Out-of-range arguments read as an up key, an unchanged code and a key
  /// that is not down.
  /** @{ */
  /// The state of a key slot (its low 16 bits).
  KeyState GetKeyState(DWORD slot) const;
  /// The code the key types with Shift ('a' gives 'A', '1' gives '!').
  WORD ShiftedKey(DWORD code) const;
  /// The keyboard's raw byte for a scan code (bit 7 set while down).
  WORD GetRawKey(DWORD scanCode) const;
  /// The scan code of a key that went down since the previous call, or 255.
  BYTE FindNewKey();
  /// The key's display name into buffer (50 characters); returns its length.
  int GetKeyName(DWORD scanCode, LPSTR buffer) const;
  /// The virtual-key code of the scan code last found by FindNewKey.
  UINT LastKeyVirtualCode() const;
  /** @} */

  /// Fills scanToKey: the key code of each DIK_ scan code.
  void BuildKeyTable();
  /// Fills shiftTable: what each key code types with Shift (US layout).
  void BuildShiftTable();

  /// @name The object's state, readable by its users
  /** @{ */
  /// DirectInput, from Create.
  LPDIRECTINPUTA directInput = nullptr;
  /// The system keyboard, or null.
  LPDIRECTINPUTDEVICEA keyboardDevice = nullptr;
  /// The system mouse, or null.
  LPDIRECTINPUTDEVICEA mouseDevice = nullptr;
  /// The first joystick, or null.
  LPDIRECTINPUTDEVICE2A joystickDevice = nullptr;
  /// 1 while the mouse is acquired.
  int32_t mouseAcquired = 0;
  /// 1 while the keyboard is acquired.
  int32_t keyboardAcquired = 0;
  /// 1 while the joystick is acquired.
  int32_t joystickAcquired = 0;
  /// The joystick's DIDEVTYPEJOYSTICK_ subtype.
  int32_t joystickSubtype = 0;
  /// See SetMouseSensitivity.
  float mouseSensitivity = 1.0f;
  /// See SetJoystickSensitivity.
  float joystickSensitivity = 1.0f;
  /// The mouse pointer's limits (SetMouseLimits).
  LONG mouseMinX, mouseMinY, mouseMaxX, mouseMaxY;
  /// The joystick pointer's limits (SetJoystickLimits).
  LONG joystickMinX, joystickMinY, joystickMaxX, joystickMaxY;
  /// The mouse pointer's position.
  LONG mouseX = 0, mouseY = 0;
  /// The mouse pointer's free position.
  LONG mouseFreeX = 0, mouseFreeY = 0;
  /// The mouse pointer's last step.
  LONG mouseDeltaX = 0, mouseDeltaY = 0;
  /// The joystick pointer's position.
  LONG joystickX = 0, joystickY = 0;
  /// The joystick pointer's free position.
  LONG joystickFreeX = 0, joystickFreeY = 0;
  /// The joystick pointer's last step.
  LONG joystickDeltaX = 0, joystickDeltaY = 0;
  /// Each slot's KeyState.
  BYTE keyStates[kKeySlots];
  /// The keyboard's last state, by scan code (bit 7 set while down).
  BYTE rawKeys[256];
  /// rawKeys at the previous FindNewKey.
  BYTE previousRawKeys[256];
  /// When each slot last went down (timeGetTime).
  DWORD pressTimes[kKeySlots];
  /// The mouse's free position when each slot last went down.
  POINT pressPositions[kKeySlots];
  /// The scan code last found by FindNewKey.
  BYTE lastNewScanCode = 0;
  /// What each key code types with Shift; 0 for itself.
  BYTE shiftTable[kKeySlots];
  /// The key code of each scan code; 0 for none.
  DWORD scanToKey[256];
  /** @} */

 private:
  void AdvanceKey(int slot, bool down);
  // One device's pointer: fields it moves and the limits it is kept in.
  struct Pointer {
    LONG &x, &y, &freeX, &freeY, &deltaX, &deltaY;
    const LONG &minX, &minY, &maxX, &maxY;
    float sensitivity;
  };
  Pointer MousePointer();
  Pointer JoystickPointer();
  static void Move(Pointer p, LONG motionX, LONG motionY);
  static void Place(Pointer p, LONG x, LONG y);
  static HRESULT SetAxisMode(LPDIRECTINPUTDEVICEA device, DWORD mode);
  static BOOL CALLBACK EnumJoystick(LPCDIDEVICEINSTANCEA instance, LPVOID ref);
};
