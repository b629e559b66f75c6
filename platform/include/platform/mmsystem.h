// WINMM: the millisecond clock (and, with the sound work, volumes and MCI).
#pragma once

#include "platform/wintypes.h"

using MMRESULT = UINT;
#define MMSYSERR_NOERROR 0
#define MMSYSERR_ERROR 1
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_NOMEM 7
#define MMSYSERR_NOTSUPPORTED 8
#define MMSYSERR_INVALPARAM 11
#define TIMERR_NOERROR 0

// Milliseconds since the platform started; wraps after 49.7 days like the original.
DWORD timeGetTime();
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
