// SPDX-License-Identifier: MIT
// Key slots, their press times and positions, the two key tables, FindNewKey
// and the keyboard queries.
#include <map>

#include "input_fixture.h"

namespace {

TEST_F(InputTest, KeySlotsStepThroughPressHoldAndRelease) {
  ASSERT_TRUE(Make());
  hl::AdvanceTime(100);
  hl::KeyDown(DIK_A);
  std::string seen;
  for (int i = 0; i < 3; ++i) {
    input->Update();
    seen += static_cast<char>('0' + input->GetKeyState('a'));
    hl::AdvanceTime(10);
  }
  EXPECT_EQ(seen, "233");
  EXPECT_EQ(input->pressTimes[size_t{'a'}], 100u);
  hl::KeyUp(DIK_A);
  input->Update();
  EXPECT_EQ(input->GetKeyState('a'), KeyReleased);
  input->Update();
  EXPECT_EQ(input->GetKeyState('a'), KeyUp);
  EXPECT_EQ(input->pressTimes[size_t{'a'}], 100u) << "a release keeps the press time";

  // Down for one update only, then pressed again while still "released".
  hl::KeyDown(DIK_B);
  input->Update();
  hl::KeyUp(DIK_B);
  input->Update();
  EXPECT_EQ(input->GetKeyState('b'), KeyReleased);
  EXPECT_EQ(input->pressTimes[size_t{'b'}], 130u);
  hl::AdvanceTime(50);
  hl::KeyDown(DIK_B);
  input->Update();
  EXPECT_EQ(input->GetKeyState('b'), KeyPressed);
  EXPECT_EQ(input->pressTimes[size_t{'b'}], 180u);
}

TEST_F(InputTest, KeysRecordThePreviousMousePositionButtonsTheNewOne) {
  ASSERT_TRUE(Make());
  hl::MouseMove(5, 6);
  input->Update();
  hl::MouseMove(10, 20);
  hl::KeyDown(DIK_SPACE);
  hl::MouseButton(1, true);
  input->Update();
  EXPECT_EQ(input->GetKeyState(' '), KeyPressed);
  EXPECT_EQ(input->pressPositions[size_t{' '}].x, 5);
  EXPECT_EQ(input->pressPositions[size_t{' '}].y, 6);
  EXPECT_EQ(input->GetKeyState(kMouseButtonSlot + 1), KeyPressed);
  EXPECT_EQ(input->pressPositions[kMouseButtonSlot + 1].x, 15);
  EXPECT_EQ(input->pressPositions[kMouseButtonSlot + 1].y, 26);
  hl::MouseButton(3, true);  // a fourth button has no slot
  input->Update();
  EXPECT_EQ(States(256, 269), "03000000000000");
}

// The key code each scan code gives, written out from the keyboard's rows.
std::map<int, int> ExpectedKeyCodes() {
  std::map<int, int> codes;
  auto row = [&](int firstScanCode, const char* characters) {
    for (int i = 0; characters[i]; ++i) codes[firstScanCode + i] = static_cast<unsigned char>(characters[i]);
  };
  row(2, "1234567890-=");
  row(16, "qwertyuiop[]");
  row(30, "asdfghjkl;'`");
  row(43, "\\zxcvbnm,./");
  codes[1] = 27, codes[14] = 8, codes[15] = 9, codes[28] = 13, codes[57] = 32;
  // Codes 128..175 in order: Shift L/R, Ctrl L/R, Alt L/R, Left, Right, Up,
  // Down, F1-F12, Insert, Delete, Home, End, Page Up, Page Down, keypad / * - +
  // Enter ., keypad 0-9, Num Lock, Caps Lock, Scroll Lock, SysRq.
  const int named[] = {42, 54, 29, 157, 56, 184, 203, 205, 200, 208, 59, 60, 61, 62, 63, 64,
                       65, 66, 67, 68, 87, 88, 210, 211, 199, 207, 201, 209, 181, 55, 74, 78,
                       156, 83, 82, 79, 80, 81, 75, 76, 77, 71, 72, 73, 69, 58, 70, 183};
  for (int i = 0; i < 48; ++i) codes[named[i]] = 128 + i;
  return codes;
}

TEST_F(InputTest, EveryScanCodeGivesItsKeyCodeAndNothingElse) {
  ASSERT_TRUE(Make());
  std::map<int, int> codes = ExpectedKeyCodes();
  for (int scanCode = 0; scanCode < 256; ++scanCode) {
    auto it = codes.find(scanCode);
    EXPECT_EQ(input->scanToKey[scanCode], it == codes.end() ? 0u : static_cast<DWORD>(it->second))
        << "scan code " << scanCode;
  }
  // Through Update: each tracked key moves its own slot and no other; the
  // untracked keys (the Windows and menu keys among them) move none.
  for (int scanCode = 1; scanCode < 256; ++scanCode) {
    hl::KeyDown(static_cast<uint32_t>(scanCode));
    input->Update();
    std::string expected(kKeySlots, '0');
    if (codes.count(scanCode)) expected[static_cast<size_t>(codes[scanCode])] = '2';
    EXPECT_EQ(States(0, kKeySlots - 1), expected) << "scan code " << scanCode;
    hl::KeyUp(static_cast<uint32_t>(scanCode));
    input->Update();
    input->Update();
  }
}

TEST_F(InputTest, ShiftedKeysFollowTheUsLayout) {
  ASSERT_TRUE(Make());
  std::map<int, int> shifted;
  const char* plain = "abcdefghijklmnopqrstuvwxyz0123456789-=[]\\;',./`";
  const char* upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ)!@#$%^&*(_+{}|:\"<>?~";
  for (int i = 0; plain[i]; ++i) shifted[plain[i]] = upper[i];
  for (int code = 0; code < kKeySlots; ++code)
    EXPECT_EQ(input->ShiftedKey(code), shifted.count(code) ? shifted[code] : code) << "code " << code;
  EXPECT_EQ(input->ShiftedKey(134), 134);
}

TEST_F(InputTest, FindNewKeyReportsTheLowestNewKeyOncePerCall) {
  ASSERT_TRUE(Make());
  EXPECT_EQ(input->FindNewKey(), 255);
  hl::KeyDown(DIK_S);
  hl::KeyDown(DIK_A);
  input->Update();
  input->Update();  // new since the last call, not since the last update
  EXPECT_EQ(input->FindNewKey(), DIK_A);
  EXPECT_EQ(input->FindNewKey(), 255) << "S went into the snapshot unreported";
  EXPECT_EQ(input->lastNewScanCode, DIK_A);
  EXPECT_EQ(input->LastKeyVirtualCode(), static_cast<UINT>('A'));
  hl::KeyDown(DIK_UP);
  input->Update();
  EXPECT_EQ(input->FindNewKey(), DIK_UP);
  EXPECT_EQ(input->LastKeyVirtualCode(), static_cast<UINT>(VK_UP));
  char name[50];
  EXPECT_EQ(input->GetKeyName(DIK_UP, name), 2);
  EXPECT_STREQ(name, "Up");
  EXPECT_EQ(input->GetKeyName(DIK_ESCAPE, name), 3);
  EXPECT_STREQ(name, "Esc");
}

TEST_F(InputTest, OutOfRangeArgumentsStayInsideTheTables) {
  ASSERT_TRUE(Make());
  hl::KeyDown(DIK_A);
  input->Update();
  EXPECT_EQ(input->GetKeyState(0x10000 + 'a'), KeyPressed) << "only the low 16 bits count";
  EXPECT_EQ(input->GetKeyState(kKeySlots), KeyUp);
  EXPECT_EQ(input->GetKeyState(0xFFFFFFFFu), KeyUp);
  EXPECT_EQ(input->ShiftedKey(0x10000 + 'a'), 'A');
  EXPECT_EQ(input->ShiftedKey(300), 300);
  EXPECT_EQ(input->ShiftedKey(0x12345), 0x2345);
  EXPECT_EQ(input->GetRawKey(DIK_A), 0x80);
  EXPECT_EQ(input->GetRawKey(256), 0);
  char name[50] = "x";
  EXPECT_EQ(input->GetKeyName(300, name), 0);
  EXPECT_STREQ(name, "");
}

}  // namespace
