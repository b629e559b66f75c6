// SPDX-License-Identifier: MIT
// Controls of the browser backend for the page's own programs (the game's page
// hooks): events made by the program itself and the clock it runs on.
#pragma once

#include <cstdint>

namespace platform::web {

// Queues a mouse motion as if the pointer had moved, ahead of the page's own.
void InjectMouseMotion(int32_t dx, int32_t dy);

// A virtual clock that only Sleep and the waits move, as the headless backend
// has, for runs that must not depend on how fast the browser is. The browser
// still gets its turn now and then, so that the page stays alive.
void UseVirtualClock(bool on);

}  // namespace platform::web
