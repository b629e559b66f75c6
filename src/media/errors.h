// SPDX-License-Identifier: MIT
/// @file
/// Error reporting: message boxes naming a failed DirectDraw or DirectSound
/// result, a printf-style fatal error box, and long descriptions of DirectX
/// result codes.
#pragma once

#include "platform/windows.h"

class Screen;

/// Shows "DirectDraw Error NAME\nFILE: sourceFile\nLINE: line" (caption "Error",
/// OK only) and posts a quit request. window may be null.
void ReportDirectDrawError(HRESULT result, HWND window, const char* sourceFile, int line);

/// Asks whether to go on without sound (caption "Error", Yes/No); No posts a quit
/// request.
void ReportDirectSoundError(HRESULT result, HWND window);

/// Shows a printf-style message with the stop icon and posts a quit request. With
/// a screen, the desktop surface is brought forward first and its window owns the
/// box.
void FatalError(Screen* screen, const char* format, ...);

/// A constant English description of a DirectDraw, Direct3D or Direct3D
/// retained-mode result; "Unrecognized error value." for any other.
const char* DirectXErrorText(HRESULT result);

/// @name Result names
/// The published constant name of a DirectDraw or DirectSound result, or
/// "Unknown Error" (the texts the two reporters show).
/** @{ */
/// "DDERR_SURFACELOST" for DDERR_SURFACELOST, and so on.
const char* DirectDrawErrorName(HRESULT result);
/// "DSERR_NODRIVER" for DSERR_NODRIVER, and so on.
const char* DirectSoundErrorName(HRESULT result);
/** @} */
