// SPDX-License-Identifier: MIT
// The DirectInput stand-in on the headless backend: acquisition and focus,
// the three state records, properties, hot-plugging and faults.
#include <gtest/gtest.h>

#include <cstring>

#include "dinput/device.h"
#include "platform/dinput.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace hl = platform::headless;

namespace {

LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) { return 0; }

class DirectInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hl::Reset();
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "DinputTest";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "DinputTest", "t", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &di, nullptr), DI_OK);
  }
  void TearDown() override {
    if (di) di->Release();
    EXPECT_TRUE(platform::dinput::TheHub().devices.empty()) << "a device object was leaked";
  }
  // A device with its standard format, acquired with the given cooperation.
  LPDIRECTINPUTDEVICEA Open(REFGUID guid, const DIDATAFORMAT& format, DWORD level = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND) {
    LPDIRECTINPUTDEVICEA d = nullptr;
    EXPECT_EQ(di->CreateDevice(guid, &d, nullptr), DI_OK);
    EXPECT_EQ(d->SetDataFormat(&format), DI_OK);
    EXPECT_EQ(d->SetCooperativeLevel(window, level), DI_OK);
    EXPECT_EQ(d->Acquire(), DI_OK);
    return d;
  }
  HWND window = nullptr;
  LPDIRECTINPUTA di = nullptr;
};

TEST_F(DirectInputTest, CreationChecksVersionArgumentsAndDevices) {
  LPDIRECTINPUTA other = nullptr;
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0700, &other, nullptr), DIERR_OLDDIRECTINPUTVERSION);
  EXPECT_EQ(DirectInputCreateA(nullptr, 0x0500, nullptr, nullptr), DIERR_INVALIDPARAM);
  LPDIRECTINPUTDEVICEA d = reinterpret_cast<LPDIRECTINPUTDEVICEA>(1);
  EXPECT_EQ(di->CreateDevice(GUID_Joystick, &d, nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(d, nullptr);
  ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, &d, nullptr), DI_OK);
  LPDIRECTINPUTDEVICE2A d2 = nullptr;
  ASSERT_EQ(d->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<void**>(&d2)), DI_OK);
  EXPECT_EQ(d->Release(), 1u);  // the second interface still holds it
  EXPECT_EQ(d2->Acquire(), DIERR_INVALIDPARAM) << "no data format yet";
  EXPECT_EQ(d2->Release(), 0u);
}

TEST_F(DirectInputTest, KeyboardStateByScanCodeAndAcquisitionResults) {
  LPDIRECTINPUTDEVICEA kb = Open(GUID_SysKeyboard, c_dfDIKeyboard);
  EXPECT_EQ(kb->Acquire(), DI_NOEFFECT);
  BYTE keys[256];
  hl::KeyDown(DIK_A);
  hl::KeyDown(DIK_UP);
  ASSERT_EQ(kb->GetDeviceState(256, keys), DI_OK);
  EXPECT_EQ(keys[DIK_A], 0x80);
  EXPECT_EQ(keys[DIK_UP], 0x80);
  EXPECT_EQ(keys[DIK_S], 0);
  hl::KeyUp(DIK_A);
  ASSERT_EQ(kb->GetDeviceState(256, keys), DI_OK);
  EXPECT_EQ(keys[DIK_A], 0);
  EXPECT_EQ(kb->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
  EXPECT_EQ(kb->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
  EXPECT_EQ(kb->Unacquire(), DI_OK);
  EXPECT_EQ(kb->Unacquire(), DI_NOEFFECT);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
  kb->Release();
}

TEST_F(DirectInputTest, ForegroundDevicesFollowTheFocus) {
  LPDIRECTINPUTDEVICEA kb = Open(GUID_SysKeyboard, c_dfDIKeyboard);
  LPDIRECTINPUTDEVICEA bg = Open(GUID_SysKeyboard, c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  BYTE keys[256];
  hl::KeyDown(DIK_SPACE);
  hl::SetFocus(false);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_INPUTLOST);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
  EXPECT_EQ(kb->Acquire(), DIERR_OTHERAPPHASPRIO);
  ASSERT_EQ(bg->GetDeviceState(256, keys), DI_OK) << "a background device keeps reading";
  EXPECT_EQ(keys[DIK_SPACE], 0) << "keys held when the focus left read as up";
  hl::SetFocus(true);
  EXPECT_EQ(kb->Acquire(), DI_OK);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DI_OK);
  kb->Release();
  bg->Release();
}

TEST_F(DirectInputTest, CooperativeLevelIsChecked) {
  LPDIRECTINPUTDEVICEA d = nullptr;
  ASSERT_EQ(di->CreateDevice(GUID_SysMouse, &d, nullptr), DI_OK);
  EXPECT_EQ(d->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DIERR_INVALIDPARAM);
  EXPECT_EQ(d->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
  EXPECT_EQ(d->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DIERR_UNSUPPORTED);
  EXPECT_EQ(d->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), E_HANDLE);
  d->Release();
  LPDIRECTINPUTDEVICEA a = Open(GUID_SysMouse, c_dfDIMouse, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
  LPDIRECTINPUTDEVICEA b = nullptr;
  ASSERT_EQ(di->CreateDevice(GUID_SysMouse, &b, nullptr), DI_OK);
  b->SetDataFormat(&c_dfDIMouse);
  b->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
  EXPECT_EQ(b->Acquire(), DIERR_OTHERAPPHASPRIO) << "only one exclusive holder";
  a->Release();
  EXPECT_EQ(b->Acquire(), DI_OK);
  b->Release();
}

TEST_F(DirectInputTest, MouseMotionIsRelativeBetweenReadsWithTheButtonsAndWheel) {
  hl::MouseMove(500, 500);  // before acquisition: not reported
  LPDIRECTINPUTDEVICEA m = Open(GUID_SysMouse, c_dfDIMouse);
  DIMOUSESTATE s;
  hl::MouseMove(3, -4);
  hl::MouseMove(10, 1);
  hl::MouseButton(3, true);
  ASSERT_EQ(m->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_EQ(s.lX, 13);
  EXPECT_EQ(s.lY, -3);
  EXPECT_EQ(s.lZ, 0);
  EXPECT_EQ(s.rgbButtons[3], 0x80);
  EXPECT_EQ(s.rgbButtons[0], 0);
  ASSERT_EQ(m->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_EQ(s.lX, 0) << "motion is reported once";
  // Absolute mode: the sum of the motion since the device was made.
  EXPECT_EQ(m->Unacquire(), DI_OK);
  DIPROPDWORD mode{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, DIPROPAXISMODE_ABS};
  ASSERT_EQ(m->SetProperty(DIPROP_AXISMODE, &mode.diph), DI_OK);
  ASSERT_EQ(m->Acquire(), DI_OK);
  hl::MouseMove(7, 7);
  ASSERT_EQ(m->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_EQ(s.lX, 20) << "motion before the device was made does not count";
  EXPECT_EQ(s.lY, 4);
  EXPECT_EQ(m->SetProperty(DIPROP_AXISMODE, &mode.diph), DIERR_ACQUIRED);
  DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, -10, 10};
  EXPECT_EQ(m->SetProperty(DIPROP_RANGE, &range.diph), DIERR_UNSUPPORTED);
  m->Release();
}

TEST_F(DirectInputTest, ScheduledMouseEventsArriveWhenTheVirtualClockReachesThem) {
  LPDIRECTINPUTDEVICEA m = Open(GUID_SysMouse, c_dfDIMouse);
  hl::MouseMoveAt(200, 5, -6);
  hl::MouseButtonAt(100, 0, true);  // scripted out of order: delivered by time
  hl::MouseMoveAt(200, 1, 1);       // same time: after the one scripted first
  hl::MouseButtonAt(300, 0, false);
  struct Step {
    uint32_t now;
    LONG x, y;
    BYTE left;
  };
  const Step steps[] = {
      {99, 0, 0, 0},      // nothing due yet
      {100, 0, 0, 0x80},  // the press, exactly at its time
      {250, 6, -5, 0x80}, // both motions, summed
      {299, 0, 0, 0x80},  // held; motion reported once
      {300, 0, 0, 0},     // released
  };
  for (const Step& step : steps) {
    hl::AdvanceTime(step.now - hl::Now());
    DIMOUSESTATE s;
    ASSERT_EQ(m->GetDeviceState(sizeof s, &s), DI_OK);
    EXPECT_EQ(s.lX, step.x) << "at " << step.now;
    EXPECT_EQ(s.lY, step.y) << "at " << step.now;
    EXPECT_EQ(s.rgbButtons[0], step.left) << "at " << step.now;
  }
  m->Release();
}

TEST_F(DirectInputTest, AcquiredMouseCapturesThePointerOnlyWithFocus) {
  LPDIRECTINPUTDEVICEA m = Open(GUID_SysMouse, c_dfDIMouse, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  EXPECT_TRUE(hl::RelativeMouse());
  hl::SetFocus(false);
  DIMOUSESTATE s;
  EXPECT_EQ(m->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_FALSE(hl::RelativeMouse());
  hl::SetFocus(true);
  EXPECT_EQ(m->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_TRUE(hl::RelativeMouse());
  m->Unacquire();
  EXPECT_FALSE(hl::RelativeMouse());
  m->Acquire();
  m->Release();
  EXPECT_FALSE(hl::RelativeMouse()) << "releasing an acquired mouse frees the pointer";
}

BOOL CALLBACK Collect(LPCDIDEVICEINSTANCEA info, LPVOID ref) {
  static_cast<std::vector<DIDEVICEINSTANCEA>*>(ref)->push_back(*info);
  return DIENUM_CONTINUE;
}

TEST_F(DirectInputTest, JoystickIsOfferedWhileAttachedAndScaledToItsRange) {
  std::vector<DIDEVICEINSTANCEA> found;
  ASSERT_EQ(di->EnumDevices(DIDEVTYPE_JOYSTICK, Collect, &found, DIEDFL_ATTACHEDONLY), DI_OK);
  EXPECT_TRUE(found.empty());
  hl::JoystickAttachDevice("Pad", 6, 15, true);
  ASSERT_EQ(di->EnumDevices(DIDEVTYPE_JOYSTICK, Collect, &found, DIEDFL_ATTACHEDONLY), DI_OK);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].dwSize, 580u);
  EXPECT_EQ(GET_DIDEVICE_TYPE(found[0].dwDevType), DIDEVTYPE_JOYSTICK);
  EXPECT_EQ(GET_DIDEVICE_SUBTYPE(found[0].dwDevType), DIDEVTYPEJOYSTICK_GAMEPAD);
  EXPECT_STREQ(found[0].tszProductName, "Pad");

  LPDIRECTINPUTDEVICEA j = nullptr;
  ASSERT_EQ(di->CreateDevice(found[0].guidInstance, &j, nullptr), DI_OK);
  j->SetDataFormat(&c_dfDIJoystick);
  DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, -1000, 1000};
  EXPECT_EQ(j->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
  DIPROPDWORD zone{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), DIJOFS_X, DIPH_BYOFFSET}, 1000};
  EXPECT_EQ(j->SetProperty(DIPROP_DEADZONE, &zone.diph), DI_OK);
  // Malformed property records are refused.
  zone.dwData = 10001;
  EXPECT_EQ(j->SetProperty(DIPROP_DEADZONE, &zone.diph), DIERR_INVALIDPARAM);
  range.lMin = 1000;
  EXPECT_EQ(j->SetProperty(DIPROP_RANGE, &range.diph), DIERR_INVALIDPARAM);
  range = {{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), 40, DIPH_BYOFFSET}, 0, 1};
  EXPECT_EQ(j->SetProperty(DIPROP_RANGE, &range.diph), DIERR_OBJECTNOTFOUND);
  range.diph.dwSize = sizeof(DIPROPDWORD);
  EXPECT_EQ(j->SetProperty(DIPROP_RANGE, &range.diph), DIERR_INVALIDPARAM);
  ASSERT_EQ(j->Acquire(), DI_OK);

  DIJOYSTATE s;
  struct {
    int32_t raw;
    LONG x;
  } cases[] = {{0, 0}, {3000, 0}, {-3276, 0}, {32767, 1000}, {-32768, -1000}, {16384, 444}, {-16384, -444}};
  for (auto c : cases) {
    hl::JoystickAxis(0, c.raw);
    hl::JoystickAxis(1, c.raw);
    ASSERT_EQ(j->GetDeviceState(sizeof s, &s), DI_OK);
    EXPECT_EQ(s.lX, c.x) << "raw " << c.raw;
    // Y keeps the default range 0..65535 without a dead zone.
    EXPECT_NEAR(s.lY, 32767.5 + c.raw / 32767.0 * 32767.5, 1.5) << "raw " << c.raw;
  }
  hl::JoystickButton(14, true);
  hl::JoystickButton(20, true);  // the pad has 15 buttons
  ASSERT_EQ(j->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_EQ(s.rgbButtons[14], 0x80);
  EXPECT_EQ(s.rgbButtons[20], 0);

  DIDEVCAPS caps{};
  caps.dwSize = 40;
  EXPECT_EQ(j->GetCapabilities(&caps), DIERR_INVALIDPARAM);
  caps.dwSize = sizeof caps;
  ASSERT_EQ(j->GetCapabilities(&caps), DI_OK);
  EXPECT_EQ(caps.dwButtons, 15u);
  EXPECT_EQ(caps.dwAxes, 6u);
  j->Release();
}

TEST_F(DirectInputTest, UnpluggedJoystickFailsReadsUntilItReturns) {
  hl::JoystickAttach(true);
  LPDIRECTINPUTDEVICEA j = Open(platform::dinput::kJoystickInstance, c_dfDIJoystick);
  ASSERT_NE(j, nullptr);
  LPDIRECTINPUTDEVICE2A j2 = nullptr;
  ASSERT_EQ(j->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<void**>(&j2)), DI_OK);
  DIJOYSTATE s;
  hl::JoystickAttach(false);
  EXPECT_EQ(j2->Poll(), DIERR_INPUTLOST);
  EXPECT_NE(j2->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_EQ(j2->Acquire(), DIERR_INPUTLOST);
  hl::JoystickAttach(true);
  EXPECT_EQ(j2->Acquire(), DI_OK);
  EXPECT_EQ(j2->Poll(), DI_OK);
  EXPECT_EQ(j2->GetDeviceState(sizeof s, &s), DI_OK);
  j2->Release();
  j->Release();
}

TEST_F(DirectInputTest, ScriptedFaultsHitTheNamedDeviceOnly) {
  LPDIRECTINPUTDEVICEA kb = Open(GUID_SysKeyboard, c_dfDIKeyboard);
  LPDIRECTINPUTDEVICEA m = Open(GUID_SysMouse, c_dfDIMouse);
  hl::FailNextDeviceRead(DIERR_INPUTLOST, hl::InputDevice::Keyboard);
  DIMOUSESTATE s;
  BYTE keys[256];
  EXPECT_EQ(m->GetDeviceState(sizeof s, &s), DI_OK);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_INPUTLOST);
  EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED) << "the loss unacquired it";
  hl::FailAcquire(2, DIERR_OTHERAPPHASPRIO, hl::InputDevice::Keyboard);
  EXPECT_EQ(kb->Acquire(), DIERR_OTHERAPPHASPRIO);
  EXPECT_EQ(kb->Acquire(), DIERR_OTHERAPPHASPRIO);
  EXPECT_EQ(kb->Acquire(), DI_OK);
  kb->Release();
  m->Release();
}

TEST(KeyNames, ReadableNamesWithinTheBuffer) {
  char buffer[50];
  struct {
    uint32_t lParam;
    const char* name;
  } cases[] = {{0x01u << 16, "Esc"},         {0x1Eu << 16, "A"},
               {0x39u << 16, "Space"},       {0x2Au << 16, "Shift"},
               {0x36u << 16, "Right Shift"}, {0x36u << 16 | 1u << 25, "Shift"},
               {0x47u << 16, "Num 7"},       {0x47u << 16 | 1u << 24, "Home"},
               {0xC8u << 16, "Up"},          {0x1Cu << 16 | 1u << 24, "Num Enter"},
               {0x9Du << 16, "Right Ctrl"},  {0xDBu << 16, "Left Windows"}};
  for (auto c : cases) {
    EXPECT_EQ(GetKeyNameTextA(static_cast<LONG>(c.lParam), buffer, 50), static_cast<int>(strlen(c.name)));
    EXPECT_STREQ(buffer, c.name);
  }
  EXPECT_EQ(GetKeyNameTextA(0x39 << 16, buffer, 3), 2);
  EXPECT_STREQ(buffer, "Sp");
  buffer[0] = 'x';
  EXPECT_EQ(GetKeyNameTextA(0x39 << 16, buffer, 0), 0);
  EXPECT_EQ(buffer[0], 'x') << "a zero-size buffer is not written";
  EXPECT_EQ(GetKeyNameTextA(0x7F << 16, buffer, 50), 0);
  EXPECT_STREQ(buffer, "");
}

TEST(KeyNames, ScanCodesToVirtualKeys) {
  EXPECT_EQ(MapVirtualKeyA(0x01, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_ESCAPE));
  EXPECT_EQ(MapVirtualKeyA(0x1E, MAPVK_VSC_TO_VK), static_cast<UINT>('A'));
  EXPECT_EQ(MapVirtualKeyA(0xC8, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_UP));
  EXPECT_EQ(MapVirtualKeyA(0xE048, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_UP));
  EXPECT_EQ(MapVirtualKeyA(0x48, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_NUMPAD8));
  EXPECT_EQ(MapVirtualKeyA(0x36, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_SHIFT));
  EXPECT_EQ(MapVirtualKeyA(0x36, MAPVK_VSC_TO_VK_EX), static_cast<UINT>(VK_RSHIFT));
  EXPECT_EQ(MapVirtualKeyA(0x7F, MAPVK_VSC_TO_VK), 0u);
  EXPECT_EQ(MapVirtualKeyA(0x1234, MAPVK_VSC_TO_VK), 0u);
  EXPECT_EQ(MapVirtualKeyA('A', MAPVK_VK_TO_VSC), 0x1Eu);
}

TEST_F(DirectInputTest, EscapeStillArrivesAsAKeyMessage) {
  hl::KeyDown(DIK_ESCAPE);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));
}

}  // namespace
