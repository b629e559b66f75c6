// Virtual-key codes of the keyboard's keys, by DirectInput scan code.
#include "user/user_internal.h"

namespace platform::user {

namespace {

struct KeyRow {
  uint8_t scanCode;  // DirectInput numbering: extended keys have 0x80 set
  uint8_t vk;
};

// A US 105-key keyboard.
constexpr KeyRow kKeys[] = {
    {0x01, VK_ESCAPE},   {0x02, '1'},         {0x03, '2'},          {0x04, '3'},          {0x05, '4'},
    {0x06, '5'},         {0x07, '6'},         {0x08, '7'},          {0x09, '8'},          {0x0A, '9'},
    {0x0B, '0'},         {0x0C, VK_OEM_MINUS}, {0x0D, VK_OEM_PLUS}, {0x0E, VK_BACK},      {0x0F, VK_TAB},
    {0x10, 'Q'},         {0x11, 'W'},         {0x12, 'E'},          {0x13, 'R'},          {0x14, 'T'},
    {0x15, 'Y'},         {0x16, 'U'},         {0x17, 'I'},          {0x18, 'O'},          {0x19, 'P'},
    {0x1A, VK_OEM_4},    {0x1B, VK_OEM_6},    {0x1C, VK_RETURN},    {0x1D, VK_CONTROL},   {0x1E, 'A'},
    {0x1F, 'S'},         {0x20, 'D'},         {0x21, 'F'},          {0x22, 'G'},          {0x23, 'H'},
    {0x24, 'J'},         {0x25, 'K'},         {0x26, 'L'},          {0x27, VK_OEM_1},     {0x28, VK_OEM_7},
    {0x29, VK_OEM_3},    {0x2A, VK_SHIFT},    {0x2B, VK_OEM_5},     {0x2C, 'Z'},          {0x2D, 'X'},
    {0x2E, 'C'},         {0x2F, 'V'},         {0x30, 'B'},          {0x31, 'N'},          {0x32, 'M'},
    {0x33, VK_OEM_COMMA}, {0x34, VK_OEM_PERIOD}, {0x35, VK_OEM_2},  {0x36, VK_SHIFT},     {0x37, VK_MULTIPLY},
    {0x38, VK_MENU},     {0x39, VK_SPACE},    {0x3A, VK_CAPITAL},   {0x3B, VK_F1},        {0x3C, VK_F2},
    {0x3D, VK_F3},       {0x3E, VK_F4},       {0x3F, VK_F5},        {0x40, VK_F6},        {0x41, VK_F7},
    {0x42, VK_F8},       {0x43, VK_F9},       {0x44, VK_F10},       {0x45, VK_NUMLOCK},   {0x46, VK_SCROLL},
    {0x47, VK_NUMPAD7},  {0x48, VK_NUMPAD8},  {0x49, VK_NUMPAD9},   {0x4A, VK_SUBTRACT},  {0x4B, VK_NUMPAD4},
    {0x4C, VK_NUMPAD5},  {0x4D, VK_NUMPAD6},  {0x4E, VK_ADD},       {0x4F, VK_NUMPAD1},   {0x50, VK_NUMPAD2},
    {0x51, VK_NUMPAD3},  {0x52, VK_NUMPAD0},  {0x53, VK_DECIMAL},   {0x56, VK_OEM_102},   {0x57, VK_F11},
    {0x58, VK_F12},      {0x9C, VK_RETURN},   {0x9D, VK_CONTROL},   {0xB5, VK_DIVIDE},    {0xB7, VK_SNAPSHOT},
    {0xB8, VK_MENU},     {0xC5, VK_PAUSE},    {0xC7, VK_HOME},      {0xC8, VK_UP},        {0xC9, VK_PRIOR},
    {0xCB, VK_LEFT},     {0xCD, VK_RIGHT},    {0xCF, VK_END},       {0xD0, VK_DOWN},      {0xD1, VK_NEXT},
    {0xD2, VK_INSERT},   {0xD3, VK_DELETE},   {0xDB, VK_LWIN},      {0xDC, VK_RWIN},      {0xDD, VK_APPS},
};

}  // namespace

UINT VirtualKeyFromScanCode(uint32_t scanCode) {
  for (const KeyRow& row : kKeys)
    if (row.scanCode == scanCode) return row.vk;
  return 0;
}

}  // namespace platform::user
