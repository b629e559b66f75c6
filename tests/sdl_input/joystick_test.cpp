// SPDX-License-Identifier: MIT
// The joystick through DirectInput on the real SDL backend, fed by an SDL
// virtual joystick: it is offered while attached, its stick and buttons arrive
// scaled, and unplugging it makes reads fail without harm.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/dinput.h"
#include "platform/windows.h"

namespace {

BOOL CALLBACK Collect(LPCDIDEVICEINSTANCEA info, LPVOID ref) {
  static_cast<std::vector<DIDEVICEINSTANCEA>*>(ref)->push_back(*info);
  return DIENUM_CONTINUE;
}

TEST(SdlJoystick, VirtualPadIsReadThroughDirectInput) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  timeGetTime();  // starts the backend, and SDL's joystick support with it
  ASSERT_NE(SDL_WasInit(SDL_INIT_JOYSTICK), 0u);

  LPDIRECTINPUTA di = nullptr;
  ASSERT_EQ(DirectInputCreateA(nullptr, DIRECTINPUT_VERSION, &di, nullptr), DI_OK);
  std::vector<DIDEVICEINSTANCEA> found;
  ASSERT_EQ(di->EnumDevices(DIDEVTYPE_JOYSTICK, Collect, &found, DIEDFL_ATTACHEDONLY), DI_OK);
  ASSERT_TRUE(found.empty()) << "no joystick before one is attached";

  int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  SDL_Joystick* stick = SDL_JoystickOpen(index);
  ASSERT_NE(stick, nullptr) << SDL_GetError();
  bool gamepad = SDL_IsGameController(index);
  RecordProperty("gamepad", gamepad ? 1 : 0);

  ASSERT_EQ(di->EnumDevices(DIDEVTYPE_JOYSTICK, Collect, &found, DIEDFL_ATTACHEDONLY), DI_OK);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_NE(found[0].tszProductName[0], '\0');
  EXPECT_EQ(GET_DIDEVICE_SUBTYPE(found[0].dwDevType),
            gamepad ? DIDEVTYPEJOYSTICK_GAMEPAD : DIDEVTYPEJOYSTICK_TRADITIONAL);

  LPDIRECTINPUTDEVICEA device = nullptr;
  ASSERT_EQ(di->CreateDevice(found[0].guidInstance, &device, nullptr), DI_OK);
  LPDIRECTINPUTDEVICE2A joystick = nullptr;
  ASSERT_EQ(device->QueryInterface(IID_IDirectInputDevice2A, reinterpret_cast<void**>(&joystick)), DI_OK);
  device->Release();
  ASSERT_EQ(joystick->SetDataFormat(&c_dfDIJoystick), DI_OK);
  ASSERT_EQ(joystick->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
  DIPROPRANGE range{{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, -1000, 1000};
  ASSERT_EQ(joystick->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
  ASSERT_EQ(joystick->Acquire(), DI_OK);

  SDL_JoystickSetVirtualAxis(stick, 0, 32767);
  SDL_JoystickSetVirtualAxis(stick, 1, -32768);
  SDL_JoystickSetVirtualButton(stick, 3, 1);
  DIJOYSTATE state{};
  for (int tries = 0; tries < 20 && state.lX != 1000; ++tries) {
    EXPECT_EQ(joystick->Poll(), DI_OK);
    ASSERT_EQ(joystick->GetDeviceState(sizeof state, &state), DI_OK);
  }
  EXPECT_EQ(state.lX, 1000);
  EXPECT_EQ(state.lY, -1000);
  EXPECT_EQ(state.rgbButtons[3], 0x80);
  EXPECT_EQ(state.rgbButtons[2], 0);

  SDL_JoystickClose(stick);
  ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
  EXPECT_EQ(joystick->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
  EXPECT_EQ(joystick->Acquire(), DIERR_INPUTLOST);
  EXPECT_EQ(joystick->Release(), 0u);
  di->Release();
}

}  // namespace
