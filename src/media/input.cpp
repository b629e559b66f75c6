// SPDX-License-Identifier: MIT
// Input: devices, pointers, key slots and the key-code tables.
#include "media/input.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace {

// The joystick made during EnumDevices, handed from the callback to Create.
// Shared by every Input: two of them must not be created at the same time.
LPDIRECTINPUTDEVICEA enumeratedJoystick = nullptr;

constexpr int kAcquireAttempts = 51;

bool AcquireWithRetries(LPDIRECTINPUTDEVICEA device) {
  for (int attempt = 0; attempt < kAcquireAttempts; ++attempt)
    if (device->Acquire() == DI_OK) return true;
  return false;
}

LONG Saturate(int64_t v) { return static_cast<LONG>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); }

// Motion times sensitivity, in 32-bit float arithmetic, truncated toward zero.
// A product beyond the 32-bit range stops at its end; a NaN factor moves nothing.
LONG Step(LONG motion, float sensitivity) {
  float product = static_cast<float>(motion) * sensitivity;
  if (std::isnan(product)) return 0;
  double whole = std::trunc(static_cast<double>(product));
  if (whole <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  if (whole >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<LONG>(whole);
}

// Keeps v below the exclusive upper limit, then at or above the lower one: when
// the limits cross, the lower one wins.
LONG ClampMoved(int64_t v, LONG min, LONG max) {
  if (v >= max) v = static_cast<int64_t>(max) - 1;
  if (v <= min) v = min;
  return static_cast<LONG>(v);
}

// The placing rule: below the upper limit, and above (not at) the lower one.
LONG ClampPlaced(int64_t v, LONG min, LONG max) {
  if (v >= max) v = static_cast<int64_t>(max) - 1;
  if (v <= min) v = static_cast<int64_t>(min) + 1;
  return Saturate(v);
}

HRESULT SetAxisProperty(LPDIRECTINPUTDEVICEA device, REFGUID property, DWORD offset, LONG min, LONG max) {
  DIPROPRANGE range{};
  range.diph.dwSize = sizeof range;
  range.diph.dwHeaderSize = sizeof range.diph;
  range.diph.dwObj = offset;
  range.diph.dwHow = DIPH_BYOFFSET;
  range.lMin = min;
  range.lMax = max;
  return device->SetProperty(property, &range.diph);
}

HRESULT SetAxisDeadZone(LPDIRECTINPUTDEVICEA device, DWORD offset, DWORD zone) {
  DIPROPDWORD value{};
  value.diph.dwSize = sizeof value;
  value.diph.dwHeaderSize = sizeof value.diph;
  value.diph.dwObj = offset;
  value.diph.dwHow = DIPH_BYOFFSET;
  value.dwData = zone;
  return device->SetProperty(DIPROP_DEADZONE, &value.diph);
}

}  // namespace

Input::Input()
    : mouseMinX(INT32_MIN),
      mouseMinY(INT32_MIN),
      mouseMaxX(INT32_MAX),
      mouseMaxY(INT32_MAX),
      joystickMinX(INT32_MIN),
      joystickMinY(INT32_MIN),
      joystickMaxX(INT32_MAX),
      joystickMaxY(INT32_MAX) {
  memset(previousRawKeys, 0, sizeof previousRawKeys);
  memset(shiftTable, 0, sizeof shiftTable);
  memset(scanToKey, 0, sizeof scanToKey);
  ClearKeyStates();
}

Input::~Input() {
  if (!directInput) return;
  if (keyboardDevice) {
    UnacquireKeyboard();
    keyboardDevice->Release();
    keyboardDevice = nullptr;
  }
  if (mouseDevice) {
    UnacquireMouse();
    mouseDevice->Release();
    mouseDevice = nullptr;
  }
  if (joystickDevice) {
    UnacquireJoystick();
    joystickDevice->Release();
    joystickDevice = nullptr;
  }
  directInput->Release();
  directInput = nullptr;
}

BOOL CALLBACK Input::EnumJoystick(LPCDIDEVICEINSTANCEA instance, LPVOID ref) {
  auto* self = static_cast<Input*>(ref);
  if (self->directInput->CreateDevice(instance->guidInstance, &enumeratedJoystick, nullptr) != DI_OK) {
    enumeratedJoystick = nullptr;
    return DIENUM_CONTINUE;
  }
  return DIENUM_STOP;
}

BOOL Input::Create(HINSTANCE instance, HWND window, BOOL exclusiveMouse) {
  if (DirectInputCreateA(instance, DIRECTINPUT_VERSION, &directInput, nullptr) != DI_OK) {
    directInput = nullptr;
    return FALSE;
  }

  if (directInput->CreateDevice(GUID_SysMouse, &mouseDevice, nullptr) == DI_OK) {
    mouseDevice->SetDataFormat(&c_dfDIMouse);
    mouseDevice->SetCooperativeLevel(
        window, (exclusiveMouse ? DISCL_EXCLUSIVE : DISCL_NONEXCLUSIVE) | DISCL_FOREGROUND);
    AcquireMouse();
    if (!mouseAcquired) return FALSE;
  } else {
    mouseDevice = nullptr;
  }

  if (directInput->CreateDevice(GUID_SysKeyboard, &keyboardDevice, nullptr) == DI_OK) {
    keyboardDevice->SetDataFormat(&c_dfDIKeyboard);
    keyboardDevice->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    AcquireKeyboard();
    if (!keyboardAcquired) return FALSE;
    BuildKeyTable();
    BuildShiftTable();
  } else {
    keyboardDevice = nullptr;
  }

  enumeratedJoystick = nullptr;
  directInput->EnumDevices(DIDEVTYPE_JOYSTICK, &Input::EnumJoystick, this, DIEDFL_ATTACHEDONLY);
  if (!enumeratedJoystick) return TRUE;

  HRESULT found = enumeratedJoystick->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<void**>(&joystickDevice));
  // The first-generation handle is not needed either way; letting it go on a
  // failure too keeps the device from outliving the object.
  enumeratedJoystick->Release();
  enumeratedJoystick = nullptr;
  if (found != DI_OK) {
    joystickDevice = nullptr;
    return FALSE;
  }

  joystickDevice->SetDataFormat(&c_dfDIJoystick);
  joystickDevice->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  if (SetAxisProperty(joystickDevice, DIPROP_RANGE, DIJOFS_X, -1000, 1000) != DI_OK) return FALSE;
  if (SetAxisProperty(joystickDevice, DIPROP_RANGE, DIJOFS_Y, -1000, 1000) != DI_OK) return FALSE;
  if (SetAxisDeadZone(joystickDevice, DIJOFS_X, 1000) != DI_OK) return FALSE;
  if (SetAxisDeadZone(joystickDevice, DIJOFS_Y, 1000) != DI_OK) return FALSE;
  AcquireJoystick();
  if (!joystickAcquired) return FALSE;

  DIDEVICEINSTANCEA info{};
  info.dwSize = sizeof info;
  joystickDevice->GetDeviceInfo(&info);
  joystickSubtype = GET_DIDEVICE_SUBTYPE(info.dwDevType);
  return TRUE;
}

// Per frame.

void Input::AdvanceKey(int slot, bool down) {
  if (slot < 0 || slot >= kKeySlots) return;
  BYTE& state = keyStates[slot];
  if (down) {
    if (state == KeyUp || state == KeyReleased) {
      state = KeyPressed;
      pressTimes[slot] = timeGetTime();
      pressPositions[slot] = {mouseFreeX, mouseFreeY};
    } else {
      state = KeyHeld;
    }
  } else {
    state = (state == KeyPressed || state == KeyHeld) ? KeyReleased : KeyUp;
  }
}

Input::Pointer Input::MousePointer() {
  return {mouseX, mouseY, mouseFreeX, mouseFreeY, mouseDeltaX, mouseDeltaY,
          mouseMinX, mouseMinY, mouseMaxX, mouseMaxY, mouseSensitivity};
}

Input::Pointer Input::JoystickPointer() {
  return {joystickX, joystickY, joystickFreeX, joystickFreeY, joystickDeltaX, joystickDeltaY,
          joystickMinX, joystickMinY, joystickMaxX, joystickMaxY, joystickSensitivity};
}

void Input::Move(Pointer p, LONG motionX, LONG motionY) {
  LONG stepX = Step(motionX, p.sensitivity);
  LONG stepY = Step(motionY, p.sensitivity);
  // The free position saturates rather than wrapping around.
  p.freeX = Saturate(static_cast<int64_t>(p.freeX) + stepX);
  p.freeY = Saturate(static_cast<int64_t>(p.freeY) + stepY);
  p.x = ClampMoved(static_cast<int64_t>(p.x) + stepX, p.minX, p.maxX);
  p.y = ClampMoved(static_cast<int64_t>(p.y) + stepY, p.minY, p.maxY);
  p.deltaX = stepX;
  p.deltaY = stepY;
}

void Input::Place(Pointer p, LONG x, LONG y) {
  p.x = ClampPlaced(x, p.minX, p.maxX);
  p.y = ClampPlaced(y, p.minY, p.maxY);
  p.deltaX = 0;
  p.deltaY = 0;
}

void Input::Update() {
  // The keyboard is read whether or not it is marked acquired; a failed read
  // re-acquires it and ends the update.
  if (keyboardDevice) {
    if (keyboardDevice->GetDeviceState(sizeof rawKeys, rawKeys) != DI_OK) {
      AcquireKeyboard();
      return;
    }
    for (int scanCode = 0; scanCode < 256; ++scanCode) {
      DWORD code = scanToKey[scanCode];
      if (code != 0) AdvanceKey(static_cast<int>(code), (rawKeys[scanCode] & 0x80) != 0);
    }
  }

  if (mouseAcquired && mouseDevice) {
    DIMOUSESTATE mouse{};
    if (mouseDevice->GetDeviceState(sizeof mouse, &mouse) != DI_OK) {
      AcquireMouse();
      return;
    }
    Move(MousePointer(), mouse.lX, mouse.lY);
    for (int b = 0; b < 3; ++b) AdvanceKey(kMouseButtonSlot + b, (mouse.rgbButtons[b] & 0x80) != 0);
  }

  if (joystickAcquired && joystickDevice) {
    joystickDevice->Poll();
    DIJOYSTATE joystick{};
    if (joystickDevice->GetDeviceState(sizeof joystick, &joystick) != DI_OK) {
      joystickDevice->Acquire();
      return;
    }
    Move(JoystickPointer(), joystick.lX, joystick.lY);
    for (int b = 0; b < 10; ++b) AdvanceKey(kJoystickButtonSlot + b, (joystick.rgbButtons[b] & 0x80) != 0);
  }
}

// Mouse.

void Input::SetMouseLimits(LONG minX, LONG minY, LONG maxX, LONG maxY) {
  mouseMinX = minX;
  mouseMinY = minY;
  mouseMaxX = maxX;
  mouseMaxY = maxY;
}

void Input::SetMousePosition(LONG x, LONG y) { Place(MousePointer(), x, y); }

void Input::SetMouseFreePosition(LONG x, LONG y) {
  mouseFreeX = x;
  mouseFreeY = y;
  mouseDeltaX = 0;
  mouseDeltaY = 0;
}

void Input::SetMouseSensitivity(float factor) { mouseSensitivity = factor; }
float Input::GetMouseSensitivity() const { return mouseSensitivity; }

void Input::GetMousePosition(LONG* x, LONG* y) const {
  if (x) *x = mouseX;
  if (y) *y = mouseY;
}

void Input::GetMouseFreePosition(LONG* x, LONG* y) const {
  if (x) *x = mouseFreeX;
  if (y) *y = mouseFreeY;
}

void Input::GetMouseDelta(LONG* x, LONG* y) const {
  if (x) *x = mouseDeltaX;
  if (y) *y = mouseDeltaY;
}

HRESULT Input::SetAxisMode(LPDIRECTINPUTDEVICEA device, DWORD mode) {
  if (!device) return DIERR_NOTINITIALIZED;
  DIPROPDWORD value{};
  value.diph.dwSize = sizeof value;
  value.diph.dwHeaderSize = sizeof value.diph;
  value.diph.dwObj = 0;
  value.diph.dwHow = DIPH_DEVICE;
  value.dwData = mode;
  return device->SetProperty(DIPROP_AXISMODE, &value.diph);
}

HRESULT Input::SetMouseAbsolute() { return SetAxisMode(mouseDevice, DIPROPAXISMODE_ABS); }

HRESULT Input::RunMouseControlPanel(HWND owner) {
  return mouseDevice ? mouseDevice->RunControlPanel(owner, 0) : DIERR_NOTINITIALIZED;
}

// Joystick.

void Input::SetJoystickLimits(LONG minX, LONG minY, LONG maxX, LONG maxY) {
  joystickMinX = minX;
  joystickMinY = minY;
  joystickMaxX = maxX;
  joystickMaxY = maxY;
}

void Input::SetJoystickPosition(LONG x, LONG y) { Place(JoystickPointer(), x, y); }

void Input::SetJoystickFreePosition(LONG x, LONG y) {
  joystickFreeX = x;
  joystickFreeY = y;
  joystickDeltaX = 0;
  joystickDeltaY = 0;
}

void Input::SetJoystickSensitivity(float factor) { joystickSensitivity = factor; }
float Input::GetJoystickSensitivity() const { return joystickSensitivity; }

void Input::GetJoystickPosition(LONG* x, LONG* y) const {
  if (x) *x = joystickX;
  if (y) *y = joystickY;
}

void Input::GetJoystickFreePosition(LONG* x, LONG* y) const {
  if (x) *x = joystickFreeX;
  if (y) *y = joystickFreeY;
}

void Input::GetJoystickDelta(LONG* x, LONG* y) const {
  if (x) *x = joystickDeltaX;
  if (y) *y = joystickDeltaY;
}

HRESULT Input::SetJoystickAbsolute() { return SetAxisMode(joystickDevice, DIPROPAXISMODE_ABS); }

HRESULT Input::RunJoystickControlPanel(HWND owner) {
  return joystickDevice ? joystickDevice->RunControlPanel(owner, 0) : DIERR_NOTINITIALIZED;
}

int Input::JoystickButtonCount() {
  if (!joystickAcquired || !joystickDevice) return 0;
  DIDEVCAPS caps{};
  caps.dwSize = sizeof caps;
  if (joystickDevice->GetCapabilities(&caps) != DI_OK) return 0;
  return static_cast<int>(caps.dwButtons);
}

BOOL Input::JoystickIsGamepad() const { return joystickSubtype == DIDEVTYPEJOYSTICK_GAMEPAD; }

// Device control.

void Input::SetActiveDevices(BOOL mouse, BOOL keyboard, BOOL joystick) {
  mouseAcquired = mouse;
  if (mouse) {
    AcquireMouse();
  } else {
    UnacquireMouse();
  }
  keyboardAcquired = keyboard;
  if (keyboard) {
    AcquireKeyboard();
  } else {
    UnacquireKeyboard();
  }
  joystickAcquired = joystick;
  if (joystick) {
    AcquireJoystick();
  } else {
    UnacquireJoystick();
  }
}

void Input::AcquireMouse() {
  if (!mouseDevice) return;
  mouseAcquired = 1;
  if (!AcquireWithRetries(mouseDevice)) mouseAcquired = 0;
}

void Input::AcquireKeyboard() {
  if (!keyboardDevice) return;
  keyboardAcquired = 1;
  if (AcquireWithRetries(keyboardDevice)) {
    ClearKeyStates();
  } else {
    keyboardAcquired = 0;
  }
}

void Input::AcquireJoystick() {
  if (!joystickDevice) return;
  joystickAcquired = 1;
  if (!AcquireWithRetries(joystickDevice)) joystickAcquired = 0;
}

void Input::UnacquireMouse() {
  mouseAcquired = 0;
  if (mouseDevice) mouseDevice->Unacquire();
}

void Input::UnacquireKeyboard() {
  ClearKeyStates();
  keyboardAcquired = 0;
  if (keyboardDevice) keyboardDevice->Unacquire();
}

void Input::UnacquireJoystick() {
  joystickAcquired = 0;
  if (joystickDevice) joystickDevice->Unacquire();
}

void Input::ClearKeyStates() {
  memset(keyStates, 0, sizeof keyStates);
  memset(rawKeys, 0, sizeof rawKeys);
  memset(pressTimes, 0, sizeof pressTimes);
  memset(pressPositions, 0, sizeof pressPositions);
}

// Keyboard queries.

KeyState Input::GetKeyState(DWORD slot) const {
  DWORD s = slot & 0xFFFF;
  return s < kKeySlots ? static_cast<KeyState>(keyStates[s]) : KeyUp;
}

WORD Input::ShiftedKey(DWORD code) const {
  WORD c = static_cast<WORD>(code & 0xFFFF);
  return c < kKeySlots && shiftTable[c] != 0 ? shiftTable[c] : c;
}

WORD Input::GetRawKey(DWORD scanCode) const { return scanCode < 256 ? rawKeys[scanCode] : 0; }

BYTE Input::FindNewKey() {
  BYTE found = 255;
  for (int scanCode = 0; scanCode < 255; ++scanCode) {
    if (rawKeys[scanCode] != 0 && previousRawKeys[scanCode] == 0) {
      found = static_cast<BYTE>(scanCode);
      lastNewScanCode = found;
      break;
    }
  }
  memcpy(previousRawKeys, rawKeys, 255);
  return found;
}

int Input::GetKeyName(DWORD scanCode, LPSTR buffer) const {
  if (!buffer) return 0;
  if (scanCode > 255) {
    buffer[0] = '\0';
    return 0;
  }
  return GetKeyNameTextA(static_cast<LONG>(scanCode << 16), buffer, 50);
}

UINT Input::LastKeyVirtualCode() const { return MapVirtualKeyA(lastNewScanCode, MAPVK_VSC_TO_VK); }

// The tables.

void Input::BuildKeyTable() {
  memset(scanToKey, 0, sizeof scanToKey);
  static constexpr struct {
    BYTE scanCode;
    BYTE code;
  } kRows[] = {
      {DIK_ESCAPE, 27},     {DIK_1, '1'},         {DIK_2, '2'},          {DIK_3, '3'},
      {DIK_4, '4'},         {DIK_5, '5'},         {DIK_6, '6'},          {DIK_7, '7'},
      {DIK_8, '8'},         {DIK_9, '9'},         {DIK_0, '0'},          {DIK_MINUS, '-'},
      {DIK_EQUALS, '='},    {DIK_BACK, 8},        {DIK_TAB, 9},          {DIK_Q, 'q'},
      {DIK_W, 'w'},         {DIK_E, 'e'},         {DIK_R, 'r'},          {DIK_T, 't'},
      {DIK_Y, 'y'},         {DIK_U, 'u'},         {DIK_I, 'i'},          {DIK_O, 'o'},
      {DIK_P, 'p'},         {DIK_LBRACKET, '['},  {DIK_RBRACKET, ']'},   {DIK_RETURN, 13},
      {DIK_LCONTROL, 130},  {DIK_A, 'a'},         {DIK_S, 's'},          {DIK_D, 'd'},
      {DIK_F, 'f'},         {DIK_G, 'g'},         {DIK_H, 'h'},          {DIK_J, 'j'},
      {DIK_K, 'k'},         {DIK_L, 'l'},         {DIK_SEMICOLON, ';'},  {DIK_APOSTROPHE, '\''},
      {DIK_GRAVE, '`'},     {DIK_LSHIFT, 128},    {DIK_BACKSLASH, '\\'}, {DIK_Z, 'z'},
      {DIK_X, 'x'},         {DIK_C, 'c'},         {DIK_V, 'v'},          {DIK_B, 'b'},
      {DIK_N, 'n'},         {DIK_M, 'm'},         {DIK_COMMA, ','},      {DIK_PERIOD, '.'},
      {DIK_SLASH, '/'},     {DIK_RSHIFT, 129},    {DIK_MULTIPLY, 157},   {DIK_LMENU, 132},
      {DIK_SPACE, ' '},     {DIK_CAPITAL, 173},   {DIK_F1, 138},         {DIK_F2, 139},
      {DIK_F3, 140},        {DIK_F4, 141},        {DIK_F5, 142},         {DIK_F6, 143},
      {DIK_F7, 144},        {DIK_F8, 145},        {DIK_F9, 146},         {DIK_F10, 147},
      {DIK_NUMLOCK, 172},   {DIK_SCROLL, 174},    {DIK_NUMPAD7, 169},    {DIK_NUMPAD8, 170},
      {DIK_NUMPAD9, 171},   {DIK_SUBTRACT, 158},  {DIK_NUMPAD4, 166},    {DIK_NUMPAD5, 167},
      {DIK_NUMPAD6, 168},   {DIK_ADD, 159},       {DIK_NUMPAD1, 163},    {DIK_NUMPAD2, 164},
      {DIK_NUMPAD3, 165},   {DIK_NUMPAD0, 162},   {DIK_DECIMAL, 161},    {DIK_F11, 148},
      {DIK_F12, 149},       {DIK_NUMPADENTER, 160}, {DIK_RCONTROL, 131}, {DIK_DIVIDE, 156},
      {DIK_SYSRQ, 175},     {DIK_RMENU, 133},     {DIK_HOME, 152},       {DIK_UP, 136},
      {DIK_PRIOR, 154},     {DIK_LEFT, 134},      {DIK_RIGHT, 135},      {DIK_END, 153},
      {DIK_DOWN, 137},      {DIK_NEXT, 155},      {DIK_INSERT, 150},     {DIK_DELETE, 151},
  };
  for (const auto& row : kRows) scanToKey[row.scanCode] = row.code;
}

void Input::BuildShiftTable() {
  memset(shiftTable, 0, sizeof shiftTable);
  for (int c = 'a'; c <= 'z'; ++c) shiftTable[c] = static_cast<BYTE>(c - 'a' + 'A');
  static constexpr struct {
    BYTE code;
    BYTE shifted;
  } kRows[] = {
      {'0', ')'}, {'1', '!'}, {'2', '@'},  {'3', '#'},  {'4', '$'}, {'5', '%'}, {'6', '^'},
      {'7', '&'}, {'8', '*'}, {'9', '('},  {'-', '_'},  {'=', '+'}, {'[', '{'}, {']', '}'},
      {'\\', '|'}, {';', ':'}, {'\'', '"'}, {',', '<'}, {'.', '>'}, {'/', '?'}, {'`', '~'},
  };
  for (const auto& row : kRows) shiftTable[row.code] = row.shifted;
}
