// SPDX-License-Identifier: MIT
// Input: one polled view of the keyboard, the mouse and the first joystick.
//
// Each Update reads the three devices once. The mouse and the joystick drive a
// pointer each (motion scaled by a sensitivity, summed, clamped to a rectangle
// whose upper limits are exclusive). Keys, mouse buttons and joystick buttons
// share 270 key slots, each stepping through up, pressed, held and released:
//
//   slots 0-255    keyboard keys by key code (see BuildKeyTable); 0 unused
//   slots 256-258  mouse buttons 0-2
//   slot 259       never written
//   slots 260-269  joystick buttons 0-9
//
// Key codes are the character a key types without Shift (lower-case letters,
// digits, US punctuation), ASCII control codes for Escape, Backspace, Tab and
// Enter, and 128-175 for the other keys (see BuildKeyTable).
#pragma once

#include "platform/dinput.h"
#include "platform/windows.h"

enum KeyState : BYTE {
  KeyUp = 0,        // up, and up at the previous update too
  KeyReleased = 1,  // went up at the last update
  KeyPressed = 2,   // went down at the last update
  KeyHeld = 3,      // down for two updates or more
};

constexpr int kKeySlots = 270;
constexpr int kMouseButtonSlot = 256;     // mouse buttons 0-2: 256, 257, 258
constexpr int kJoystickButtonSlot = 260;  // joystick buttons 0-9: 260..269

class Input {
 public:
  Input();
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // Opens DirectInput, the mouse, the keyboard and the first attached joystick
  // and acquires them; the key tables are built here. A missing mouse, keyboard
  // or joystick is tolerated. Returns 1, or 0 when a device that exists cannot
  // be acquired or set up (what was made stays, for the destructor).
  BOOL Create(HINSTANCE instance, HWND window, BOOL exclusiveMouse);

  // Reads the devices and advances every key slot.
  void Update();

  // Mouse pointer.
  void SetMouseLimits(LONG minX, LONG minY, LONG maxX, LONG maxY);
  void SetMousePosition(LONG x, LONG y);
  void SetMouseFreePosition(LONG x, LONG y);
  void SetMouseSensitivity(float factor);
  float GetMouseSensitivity() const;
  void GetMousePosition(LONG* x, LONG* y) const;
  void GetMouseFreePosition(LONG* x, LONG* y) const;
  void GetMouseDelta(LONG* x, LONG* y) const;
  HRESULT SetMouseAbsolute();
  HRESULT RunMouseControlPanel(HWND owner);

  // Joystick pointer: its position moves by the stick's deflection each update.
  void SetJoystickLimits(LONG minX, LONG minY, LONG maxX, LONG maxY);
  void SetJoystickPosition(LONG x, LONG y);
  void SetJoystickFreePosition(LONG x, LONG y);
  void SetJoystickSensitivity(float factor);
  float GetJoystickSensitivity() const;
  void GetJoystickPosition(LONG* x, LONG* y) const;
  void GetJoystickFreePosition(LONG* x, LONG* y) const;
  void GetJoystickDelta(LONG* x, LONG* y) const;
  HRESULT SetJoystickAbsolute();
  HRESULT RunJoystickControlPanel(HWND owner);
  int JoystickButtonCount();
  BOOL JoystickIsGamepad() const;

  // Device control.
  void SetActiveDevices(BOOL mouse, BOOL keyboard, BOOL joystick);
  void AcquireMouse();
  void AcquireKeyboard();
  void AcquireJoystick();
  void UnacquireMouse();
  void UnacquireKeyboard();
  void UnacquireJoystick();
  void ClearKeyStates();

  // Key slots and keyboard queries. Out-of-range arguments read as an up key,
  // an unchanged code and a key that is not down.
  KeyState GetKeyState(DWORD slot) const;
  WORD ShiftedKey(DWORD code) const;
  WORD GetRawKey(DWORD scanCode) const;
  // The scan code of a key that went down since the previous call, or 255.
  BYTE FindNewKey();
  // The key's display name into buffer (50 characters); returns its length.
  int GetKeyName(DWORD scanCode, LPSTR buffer) const;
  // The virtual-key code of the scan code last found by FindNewKey.
  UINT LastKeyVirtualCode() const;

  void BuildKeyTable();
  void BuildShiftTable();

  // The object's state, readable by its users.
  LPDIRECTINPUTA directInput = nullptr;
  LPDIRECTINPUTDEVICEA keyboardDevice = nullptr;
  LPDIRECTINPUTDEVICEA mouseDevice = nullptr;
  LPDIRECTINPUTDEVICE2A joystickDevice = nullptr;
  int32_t mouseAcquired = 0;
  int32_t keyboardAcquired = 0;
  int32_t joystickAcquired = 0;
  int32_t joystickSubtype = 0;
  float mouseSensitivity = 1.0f;
  float joystickSensitivity = 1.0f;
  LONG mouseMinX, mouseMinY, mouseMaxX, mouseMaxY;
  LONG joystickMinX, joystickMinY, joystickMaxX, joystickMaxY;
  LONG mouseX = 0, mouseY = 0;
  LONG mouseFreeX = 0, mouseFreeY = 0;
  LONG mouseDeltaX = 0, mouseDeltaY = 0;
  LONG joystickX = 0, joystickY = 0;
  LONG joystickFreeX = 0, joystickFreeY = 0;
  LONG joystickDeltaX = 0, joystickDeltaY = 0;
  BYTE keyStates[kKeySlots];
  BYTE rawKeys[256];
  BYTE previousRawKeys[256];
  DWORD pressTimes[kKeySlots];
  POINT pressPositions[kKeySlots];
  BYTE lastNewScanCode = 0;
  BYTE shiftTable[kKeySlots];
  DWORD scanToKey[256];

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
