// SPDX-License-Identifier: MIT
// The standard data formats: what each byte of the keyboard, mouse and
// joystick state records holds.
#include <array>

#include "platform/dinput.h"

namespace {

constexpr DWORD kOptional = DIDFT_OPTIONAL;

std::array<DIOBJECTDATAFORMAT, 256> KeyboardObjects() {
  std::array<DIOBJECTDATAFORMAT, 256> objects{};
  for (DWORD i = 0; i < 256; ++i)
    objects[i] = {&GUID_Key, i, kOptional | DIDFT_BUTTON | DIDFT_MAKEINSTANCE(i), 0};
  return objects;
}

std::array<DIOBJECTDATAFORMAT, 44> JoystickObjects() {
  std::array<DIOBJECTDATAFORMAT, 44> objects{};
  const GUID* axes[] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis, &GUID_RxAxis,
                        &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};
  size_t n = 0;
  for (DWORD i = 0; i < 8; ++i)
    objects[n++] = {axes[i], i * 4, kOptional | DIDFT_AXIS | DIDFT_ANYINSTANCE, 0x100 /* DIDOI_ASPECTPOSITION */};
  for (DWORD i = 0; i < 4; ++i) objects[n++] = {&GUID_POV, DIJOFS_POV(i), kOptional | DIDFT_POV | DIDFT_ANYINSTANCE, 0};
  for (DWORD i = 0; i < 32; ++i)
    objects[n++] = {nullptr, DIJOFS_BUTTON(i), kOptional | DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0};
  return objects;
}

std::array<DIOBJECTDATAFORMAT, 256> keyboardObjects = KeyboardObjects();

DIOBJECTDATAFORMAT mouseObjects[] = {
    {&GUID_XAxis, DIMOFS_X, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_YAxis, DIMOFS_Y, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {&GUID_ZAxis, DIMOFS_Z, kOptional | DIDFT_AXIS | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON0, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON1, DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON2, kOptional | DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
    {nullptr, DIMOFS_BUTTON3, kOptional | DIDFT_BUTTON | DIDFT_ANYINSTANCE, 0},
};

std::array<DIOBJECTDATAFORMAT, 44> joystickObjects = JoystickObjects();

}  // namespace

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256,
                                     256, keyboardObjects.data()};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                  sizeof(DIMOUSESTATE), 7, mouseObjects};
const DIDATAFORMAT c_dfDIJoystick = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS,
                                     sizeof(DIJOYSTATE), 44, joystickObjects.data()};
