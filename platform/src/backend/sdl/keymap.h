// SPDX-License-Identifier: MIT
// SDL's scan codes (USB HID usage numbering) to DirectInput's (set 1, extended
// keys with 0x80 set).
#pragma once

#include <SDL.h>

#include <cstdint>

namespace platform::sdl {
uint32_t DirectInputScanCode(SDL_Scancode code);
}
