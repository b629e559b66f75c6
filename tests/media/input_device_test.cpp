// SPDX-License-Identifier: MIT
// Creating the devices, failed reads and re-acquisition, focus, the joystick.
#include "input_fixture.h"

namespace {

TEST_F(InputTest, CreateWithoutAJoystickSucceeds) {
  ASSERT_TRUE(Make());
  EXPECT_NE(input->mouseDevice, nullptr);
  EXPECT_NE(input->keyboardDevice, nullptr);
  EXPECT_EQ(input->joystickDevice, nullptr);
  EXPECT_EQ(input->mouseAcquired, 1);
  EXPECT_EQ(input->keyboardAcquired, 1);
  EXPECT_EQ(input->JoystickButtonCount(), 0);
  EXPECT_TRUE(hl::RelativeMouse()) << "the acquired mouse captures the pointer";
  EXPECT_EQ(input->RunMouseControlPanel(window), DIERR_UNSUPPORTED);
  EXPECT_EQ(input->SetJoystickAbsolute(), DIERR_NOTINITIALIZED);
  EXPECT_EQ(input->SetMouseAbsolute(), DIERR_ACQUIRED) << "the platform's answer is passed on";
  input->UnacquireMouse();
  EXPECT_FALSE(hl::RelativeMouse());
  EXPECT_EQ(input->SetMouseAbsolute(), DI_OK);
}

TEST_F(InputTest, CreateToleratesMissingDevicesButNotUnacquirableOnes) {
  hl::FailDirectInputCreate(DIERR_OUTOFMEMORY);
  EXPECT_FALSE(Make());
  EXPECT_EQ(input->directInput, nullptr);
  hl::FailDirectInputCreate(DI_OK);

  hl::FailDeviceCreation(hl::InputDevice::Mouse);
  ASSERT_TRUE(Make());
  EXPECT_EQ(input->mouseDevice, nullptr);
  input->SetActiveDevices(1, 1, 1);  // flags for absent devices must not lead to reads
  hl::MouseMove(4, 4);
  input->Update();
  EXPECT_EQ(input->mouseX, 0);

  hl::FailDeviceCreation(hl::InputDevice::Keyboard);
  ASSERT_TRUE(Make());
  EXPECT_EQ(input->keyboardDevice, nullptr);
  EXPECT_EQ(input->scanToKey[DIK_A], 0u) << "the tables stay empty without a keyboard";
  hl::MouseMove(4, 4);
  input->Update();
  EXPECT_EQ(input->mouseX, 4) << "without a keyboard the mouse is still read";

  hl::FailAcquire(50, DIERR_OTHERAPPHASPRIO, hl::InputDevice::Mouse);
  EXPECT_TRUE(Make()) << "the 51st attempt succeeds";
  hl::FailAcquire(51, DIERR_OTHERAPPHASPRIO, hl::InputDevice::Mouse);
  EXPECT_FALSE(Make());
  EXPECT_EQ(input->mouseAcquired, 0);
  hl::FailAcquire(51, DIERR_OTHERAPPHASPRIO, hl::InputDevice::Keyboard);
  EXPECT_FALSE(Make());
  hl::SetFocus(false);
  EXPECT_FALSE(Make()) << "a foreground mouse cannot be acquired without the focus";
}

TEST_F(InputTest, FailedKeyboardReadStopsTheUpdateAndReacquiringClearsEverySlot) {
  hl::JoystickAttach(true);
  ASSERT_TRUE(Make());
  hl::KeyDown(DIK_A);
  hl::MouseButton(0, true);
  hl::JoystickButton(9, true);
  hl::MouseMove(3, 4);
  input->Update();
  ASSERT_EQ(input->GetKeyState('a'), KeyPressed);
  ASSERT_EQ(input->GetKeyState(kMouseButtonSlot), KeyPressed);
  ASSERT_EQ(input->GetKeyState(kJoystickButtonSlot + 9), KeyPressed);

  // A failure that leaves the keyboard acquired: re-acquiring it fails, so the
  // slots stay as they were, and the mouse is not read.
  hl::FailNextDeviceRead(DIERR_GENERIC, hl::InputDevice::Keyboard);
  hl::MouseMove(50, 50);
  hl::MouseButton(0, false);
  input->Update();
  EXPECT_EQ(input->mouseX, 3);
  EXPECT_EQ(input->mouseY, 4);
  EXPECT_EQ(input->GetKeyState(kMouseButtonSlot), KeyPressed);
  EXPECT_EQ(input->GetKeyState('a'), KeyPressed);
  EXPECT_EQ(input->keyboardAcquired, 0) << "Acquire on an acquired device answers S_FALSE, counted as failure";

  // A lost keyboard is re-acquired, which clears all 270 slots.
  hl::FailNextDeviceRead(DIERR_INPUTLOST, hl::InputDevice::Keyboard);
  input->Update();
  EXPECT_EQ(input->keyboardAcquired, 1);
  EXPECT_EQ(States(0, kKeySlots - 1), std::string(kKeySlots, '0'));
  for (int slot = 0; slot < kKeySlots; ++slot) {
    EXPECT_EQ(input->pressTimes[slot], 0u);
    EXPECT_EQ(input->pressPositions[slot].x, 0);
    EXPECT_EQ(input->pressPositions[slot].y, 0);
  }
  input->Update();
  EXPECT_EQ(input->mouseX, 53) << "motion made meanwhile arrives with the next read";
  EXPECT_EQ(input->GetKeyState('a'), KeyPressed) << "a key still down is pressed anew";
}

TEST_F(InputTest, FailedMouseReadReacquiresAndSkipsTheJoystick) {
  hl::JoystickAttach(true);
  ASSERT_TRUE(Make());
  hl::FailNextDeviceRead(DIERR_INPUTLOST, hl::InputDevice::Mouse);
  hl::JoystickAxis(0, 32767);
  input->Update();
  EXPECT_EQ(input->joystickX, 0);
  EXPECT_EQ(input->mouseAcquired, 1);
  EXPECT_TRUE(hl::RelativeMouse());
  input->Update();
  EXPECT_EQ(input->joystickX, 1000);
}

TEST_F(InputTest, FocusLossStopsUpdatesUntilTheDevicesAreBack) {
  ASSERT_TRUE(Make());
  input->SetMouseLimits(0, 0, 800, 600);
  hl::KeyDown(DIK_LEFT);
  input->Update();
  hl::SetFocus(false);
  hl::MouseMove(9, 9);
  input->Update();  // keyboard lost; re-acquiring fails without the focus
  EXPECT_FALSE(hl::RelativeMouse()) << "losing the focus frees the pointer";
  EXPECT_EQ(input->keyboardAcquired, 0);
  EXPECT_EQ(input->GetKeyState(134), KeyPressed) << "the slots keep their states";
  hl::SetFocus(true);
  input->Update();  // keyboard back, slots cleared
  EXPECT_EQ(input->keyboardAcquired, 1);
  EXPECT_EQ(input->GetKeyState(134), KeyUp);
  input->Update();  // the mouse read fails once and is re-acquired
  EXPECT_TRUE(hl::RelativeMouse());
  hl::MouseMove(2, 3);
  input->Update();
  EXPECT_EQ(input->mouseX, 2);
  EXPECT_EQ(input->mouseY, 3);
}

TEST_F(InputTest, JoystickStickSteersItsPointerAndButtonsFillTheirSlots) {
  hl::JoystickAttachDevice("Pad", 6, 15, true);
  ASSERT_TRUE(Make());
  ASSERT_NE(input->joystickDevice, nullptr);
  EXPECT_EQ(input->joystickSubtype, DIDEVTYPEJOYSTICK_GAMEPAD);
  EXPECT_TRUE(input->JoystickIsGamepad());
  EXPECT_EQ(input->JoystickButtonCount(), 15);
  input->SetJoystickLimits(-5000, -5000, 5000, 5000);
  hl::JoystickAxis(0, 32767);
  hl::JoystickAxis(1, -3000);  // inside the 10% dead zone
  input->Update();
  input->Update();
  LONG x, y;
  input->GetJoystickPosition(&x, &y);
  EXPECT_EQ(x, 2000);
  EXPECT_EQ(y, 0);
  input->SetJoystickSensitivity(0.5f);
  hl::JoystickAxis(0, 0);
  hl::JoystickAxis(1, -16384);
  input->Update();
  input->GetJoystickDelta(&x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, -222);
  for (int b = 0; b < 11; ++b) hl::JoystickButton(b, true);
  input->Update();
  EXPECT_EQ(States(kJoystickButtonSlot - 1, kKeySlots - 1), "02222222222");
}

TEST_F(InputTest, UnpluggedJoystickIsRetriedEachUpdateWithoutHarm) {
  hl::JoystickAttach(true);
  ASSERT_TRUE(Make());
  EXPECT_FALSE(input->JoystickIsGamepad());
  EXPECT_EQ(input->JoystickButtonCount(), 12);
  hl::JoystickAttach(false);
  hl::JoystickAxis(0, 32767);
  input->Update();
  input->Update();
  EXPECT_EQ(input->joystickX, 0);
  EXPECT_EQ(input->joystickAcquired, 1) << "the joystick's flag is left alone";
  hl::JoystickAttach(true);
  hl::JoystickAxis(0, 32767);
  input->Update();  // re-acquired
  input->Update();
  EXPECT_EQ(input->joystickX, 1000);
}

TEST_F(InputTest, JoystickSetUpFailuresMakeCreateFalseWithoutLeaks) {
  hl::JoystickAttach(true);
  hl::FailSetProperty(1, DIERR_INVALIDPARAM);  // the Y range
  EXPECT_FALSE(Make());
  hl::FailSetProperty(3, DIERR_INVALIDPARAM);  // the Y dead zone
  EXPECT_FALSE(Make());
  hl::FailDeviceInterface(true);
  EXPECT_FALSE(Make());
  EXPECT_EQ(input->joystickDevice, nullptr);
  input.reset();
  EXPECT_EQ(hl::OpenInputDevices(), 0) << "the first joystick handle was released";
  hl::FailDeviceInterface(false);
  hl::FailAcquire(51, DIERR_INPUTLOST, hl::InputDevice::Joystick);
  EXPECT_FALSE(Make());
}

TEST_F(InputTest, SetActiveDevicesAcquiresAndReleasesInOrder) {
  hl::JoystickAttach(true);
  ASSERT_TRUE(Make());
  hl::KeyDown(DIK_A);
  input->Update();
  input->SetActiveDevices(0, 0, 0);
  EXPECT_EQ(input->GetKeyState('a'), KeyUp) << "unacquiring the keyboard clears the slots";
  EXPECT_FALSE(hl::RelativeMouse());
  EXPECT_EQ(input->JoystickButtonCount(), 0);
  input->SetActiveDevices(1, 1, 1);
  EXPECT_EQ(input->mouseAcquired + input->keyboardAcquired + input->joystickAcquired, 3);
  EXPECT_TRUE(hl::RelativeMouse());
}

}  // namespace
