// SPDX-License-Identifier: MIT
/// @file
/// The Windows calls that the game and the media layer make, in one include.
#pragma once

#include "platform/wintypes.h"
#include "platform/winbase.h"
#include "platform/winuser.h"
#include "platform/wingdi.h"
#include "platform/mmsystem.h"

/// The program's entry point, called by the platform's own main().
int WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);
