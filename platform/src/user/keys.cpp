// SPDX-License-Identifier: MIT
// The keyboard's keys by DirectInput scan code: their virtual-key codes and
// their display names (a US 105-key keyboard), and the USER32 calls on them.
#include <algorithm>
#include <cstring>

#include "user/user_internal.h"

namespace platform::user {

namespace {

struct KeyRow {
  uint8_t scanCode;  // DirectInput numbering: extended keys have 0x80 set
  uint8_t vk;        // not telling left from right
  uint8_t sidedVk;   // telling left from right where the keyboard has both
  const char* name;
};

constexpr KeyRow kKeys[] = {
    {0x01, VK_ESCAPE, VK_ESCAPE, "Esc"},
    {0x02, '1', '1', "1"},
    {0x03, '2', '2', "2"},
    {0x04, '3', '3', "3"},
    {0x05, '4', '4', "4"},
    {0x06, '5', '5', "5"},
    {0x07, '6', '6', "6"},
    {0x08, '7', '7', "7"},
    {0x09, '8', '8', "8"},
    {0x0A, '9', '9', "9"},
    {0x0B, '0', '0', "0"},
    {0x0C, VK_OEM_MINUS, VK_OEM_MINUS, "-"},
    {0x0D, VK_OEM_PLUS, VK_OEM_PLUS, "="},
    {0x0E, VK_BACK, VK_BACK, "Backspace"},
    {0x0F, VK_TAB, VK_TAB, "Tab"},
    {0x10, 'Q', 'Q', "Q"},
    {0x11, 'W', 'W', "W"},
    {0x12, 'E', 'E', "E"},
    {0x13, 'R', 'R', "R"},
    {0x14, 'T', 'T', "T"},
    {0x15, 'Y', 'Y', "Y"},
    {0x16, 'U', 'U', "U"},
    {0x17, 'I', 'I', "I"},
    {0x18, 'O', 'O', "O"},
    {0x19, 'P', 'P', "P"},
    {0x1A, VK_OEM_4, VK_OEM_4, "["},
    {0x1B, VK_OEM_6, VK_OEM_6, "]"},
    {0x1C, VK_RETURN, VK_RETURN, "Enter"},
    {0x1D, VK_CONTROL, VK_LCONTROL, "Ctrl"},
    {0x1E, 'A', 'A', "A"},
    {0x1F, 'S', 'S', "S"},
    {0x20, 'D', 'D', "D"},
    {0x21, 'F', 'F', "F"},
    {0x22, 'G', 'G', "G"},
    {0x23, 'H', 'H', "H"},
    {0x24, 'J', 'J', "J"},
    {0x25, 'K', 'K', "K"},
    {0x26, 'L', 'L', "L"},
    {0x27, VK_OEM_1, VK_OEM_1, ";"},
    {0x28, VK_OEM_7, VK_OEM_7, "'"},
    {0x29, VK_OEM_3, VK_OEM_3, "`"},
    {0x2A, VK_SHIFT, VK_LSHIFT, "Shift"},
    {0x2B, VK_OEM_5, VK_OEM_5, "\\"},
    {0x2C, 'Z', 'Z', "Z"},
    {0x2D, 'X', 'X', "X"},
    {0x2E, 'C', 'C', "C"},
    {0x2F, 'V', 'V', "V"},
    {0x30, 'B', 'B', "B"},
    {0x31, 'N', 'N', "N"},
    {0x32, 'M', 'M', "M"},
    {0x33, VK_OEM_COMMA, VK_OEM_COMMA, ","},
    {0x34, VK_OEM_PERIOD, VK_OEM_PERIOD, "."},
    {0x35, VK_OEM_2, VK_OEM_2, "/"},
    {0x36, VK_SHIFT, VK_RSHIFT, "Right Shift"},
    {0x37, VK_MULTIPLY, VK_MULTIPLY, "Num *"},
    {0x38, VK_MENU, VK_LMENU, "Alt"},
    {0x39, VK_SPACE, VK_SPACE, "Space"},
    {0x3A, VK_CAPITAL, VK_CAPITAL, "Caps Lock"},
    {0x3B, VK_F1, VK_F1, "F1"},
    {0x3C, VK_F2, VK_F2, "F2"},
    {0x3D, VK_F3, VK_F3, "F3"},
    {0x3E, VK_F4, VK_F4, "F4"},
    {0x3F, VK_F5, VK_F5, "F5"},
    {0x40, VK_F6, VK_F6, "F6"},
    {0x41, VK_F7, VK_F7, "F7"},
    {0x42, VK_F8, VK_F8, "F8"},
    {0x43, VK_F9, VK_F9, "F9"},
    {0x44, VK_F10, VK_F10, "F10"},
    {0x45, VK_NUMLOCK, VK_NUMLOCK, "Num Lock"},
    {0x46, VK_SCROLL, VK_SCROLL, "Scroll Lock"},
    {0x47, VK_NUMPAD7, VK_NUMPAD7, "Num 7"},
    {0x48, VK_NUMPAD8, VK_NUMPAD8, "Num 8"},
    {0x49, VK_NUMPAD9, VK_NUMPAD9, "Num 9"},
    {0x4A, VK_SUBTRACT, VK_SUBTRACT, "Num -"},
    {0x4B, VK_NUMPAD4, VK_NUMPAD4, "Num 4"},
    {0x4C, VK_NUMPAD5, VK_NUMPAD5, "Num 5"},
    {0x4D, VK_NUMPAD6, VK_NUMPAD6, "Num 6"},
    {0x4E, VK_ADD, VK_ADD, "Num +"},
    {0x4F, VK_NUMPAD1, VK_NUMPAD1, "Num 1"},
    {0x50, VK_NUMPAD2, VK_NUMPAD2, "Num 2"},
    {0x51, VK_NUMPAD3, VK_NUMPAD3, "Num 3"},
    {0x52, VK_NUMPAD0, VK_NUMPAD0, "Num 0"},
    {0x53, VK_DECIMAL, VK_DECIMAL, "Num Del"},
    {0x56, VK_OEM_102, VK_OEM_102, "\\"},
    {0x57, VK_F11, VK_F11, "F11"},
    {0x58, VK_F12, VK_F12, "F12"},
    {0x9C, VK_RETURN, VK_RETURN, "Num Enter"},
    {0x9D, VK_CONTROL, VK_RCONTROL, "Right Ctrl"},
    {0xB5, VK_DIVIDE, VK_DIVIDE, "Num /"},
    {0xB7, VK_SNAPSHOT, VK_SNAPSHOT, "Prnt Scrn"},
    {0xB8, VK_MENU, VK_RMENU, "Right Alt"},
    {0xC5, VK_PAUSE, VK_PAUSE, "Pause"},
    {0xC7, VK_HOME, VK_HOME, "Home"},
    {0xC8, VK_UP, VK_UP, "Up"},
    {0xC9, VK_PRIOR, VK_PRIOR, "Page Up"},
    {0xCB, VK_LEFT, VK_LEFT, "Left"},
    {0xCD, VK_RIGHT, VK_RIGHT, "Right"},
    {0xCF, VK_END, VK_END, "End"},
    {0xD0, VK_DOWN, VK_DOWN, "Down"},
    {0xD1, VK_NEXT, VK_NEXT, "Page Down"},
    {0xD2, VK_INSERT, VK_INSERT, "Insert"},
    {0xD3, VK_DELETE, VK_DELETE, "Delete"},
    {0xDB, VK_LWIN, VK_LWIN, "Left Windows"},
    {0xDC, VK_RWIN, VK_RWIN, "Right Windows"},
    {0xDD, VK_APPS, VK_APPS, "Application"},
};

const KeyRow* Row(uint32_t scanCode) {
  for (const KeyRow& row : kKeys)
    if (row.scanCode == scanCode) return &row;
  return nullptr;
}

}  // namespace

UINT VirtualKeyFromScanCode(uint32_t scanCode) {
  const KeyRow* row = Row(scanCode);
  return row ? row->vk : 0;
}

}  // namespace platform::user

// lParam as in a key message: bits 16-23 the scan code, bit 24 the extended
// key flag, bit 25 "do not tell left from right". A scan code with its top bit
// set is taken in DirectInput's numbering, as the extended key.
int GetKeyNameTextA(LONG lParam, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  uint32_t bits = static_cast<uint32_t>(lParam);
  uint32_t scanCode = (bits >> 16) & 0xFF;
  if (bits & (1u << 24)) scanCode |= 0x80;
  if (bits & (1u << 25)) {
    if (scanCode == 0x36) scanCode = 0x2A;  // right Shift reads "Shift"
    if (scanCode == 0x9D) scanCode = 0x1D;  // right Ctrl reads "Ctrl"
    if (scanCode == 0xB8) scanCode = 0x38;  // right Alt reads "Alt"
  }
  const platform::user::KeyRow* row = platform::user::Row(scanCode);
  if (!row) return 0;
  int n = std::min(static_cast<int>(strlen(row->name)), size - 1);
  memcpy(buffer, row->name, static_cast<size_t>(n));
  buffer[n] = '\0';
  return n;
}

// Map types: 0 virtual key to scan code, 1 scan code to virtual key (left and
// right alike), 3 scan code to virtual key (left and right told apart). Scan
// codes may carry the extended prefix as 0xE0nn or, as DirectInput numbers
// them, as 0x80 added. 0 when there is no translation.
UINT MapVirtualKeyA(UINT code, UINT mapType) {
  using platform::user::KeyRow;
  switch (mapType) {
    case MAPVK_VK_TO_VSC:
      for (const KeyRow& row : platform::user::kKeys)
        if (row.vk == code || row.sidedVk == code) return row.scanCode & 0x7F;
      return 0;
    case MAPVK_VSC_TO_VK:
    case MAPVK_VSC_TO_VK_EX: {
      uint32_t scanCode;
      if (code <= 0xFF) {
        scanCode = code;
      } else if ((code & 0xFF00) == 0xE000) {
        scanCode = (code & 0x7F) | 0x80;
      } else {
        return 0;
      }
      const KeyRow* row = platform::user::Row(scanCode);
      if (!row) return 0;
      return mapType == MAPVK_VSC_TO_VK ? row->vk : row->sidedVk;
    }
    default:
      return 0;
  }
}
