// The effects demo: one program, several pages, each chosen by the first word
// of the command line. A page makes its own Screen in the mode it needs, draws,
// runs its own message and frame loop until Escape or the close box (or a fixed
// run for tests), releases everything and returns the exit status.
#pragma once

#include "platform/windows.h"

// The effect copies side by side, then fades out and in (800 x 600 x 16).
int RunEffectsPage(HINSTANCE instance, HWND window);
