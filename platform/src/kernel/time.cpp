// Sleeping and the millisecond clocks, both from the backend (real or virtual).
#include "backend/backend.h"
#include "platform/mmsystem.h"
#include "platform/winbase.h"

void Sleep(DWORD milliseconds) { platform::backend::Instance().Sleep(milliseconds); }
DWORD GetTickCount() { return platform::backend::Instance().Milliseconds(); }
DWORD timeGetTime() { return platform::backend::Instance().Milliseconds(); }
MMRESULT timeBeginPeriod(UINT) { return TIMERR_NOERROR; }
MMRESULT timeEndPeriod(UINT) { return TIMERR_NOERROR; }
