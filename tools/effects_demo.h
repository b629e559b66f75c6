// SPDX-License-Identifier: MIT
// The pages of the effects demo. Each page makes its own Screen in the mode it
// needs on the demo's window, draws, runs its own message and frame loop until
// Escape or the close box (or the end of a fixed run), releases everything and
// returns the program's exit status.
#pragma once

#include "platform/windows.h"

// The effect copies side by side, then fades out and in (800 x 600 x 16).
int RunEffectsPage(HINSTANCE instance, HWND window);
int RunPalettePage(HINSTANCE instance, HWND window);
int RunGeometryPage(HINSTANCE instance, HWND window);

// Shared by the pages: pumps waiting messages; false once Escape, the close
// box or the quit message has asked the demo to end.
bool PumpDemoMessages();
// The words of the command line after the page's name ("" when absent).
const char* DemoArgument(int index);
// Writes a line on standard output at once, so that a script can follow the
// pages ("picture", "fading out", ...).
void DemoSay(const char* line);
// Milliseconds a page holds its last picture before it ends by itself, from
// EFFECTS_DEMO_HOLD_MS; 0 (the default) holds it until Escape or close.
unsigned DemoHoldMilliseconds();
