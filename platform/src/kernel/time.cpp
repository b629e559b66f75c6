// SPDX-License-Identifier: MIT
// Sleeping and the millisecond clocks, both from the backend (real or virtual).
#include "backend/backend.h"
#include "platform/mmsystem.h"
#include "platform/winbase.h"

void Sleep(DWORD milliseconds) { platform::backend::Instance().Sleep(milliseconds); }
DWORD GetTickCount() { return platform::backend::Instance().Milliseconds(); }

// Programs of this era wait by reading timeGetTime in a tight loop. Such a loop
// shows itself by asking for the same millisecond again and again; the backend
// is told how often in a row, and is read again afterwards, as it may have let
// time pass meanwhile. Each thread keeps its own count.
DWORD timeGetTime() {
  platform::backend::Backend& backend = platform::backend::Instance();
  thread_local bool readBefore = false;
  thread_local uint32_t last = 0;
  thread_local uint32_t repeats = 0;
  uint32_t now = backend.Milliseconds();
  if (readBefore && now == last) {
    backend.ClockPolled(++repeats);
    now = backend.Milliseconds();
  }
  if (now != last) repeats = 0;
  readBefore = true;
  last = now;
  return now;
}
MMRESULT timeBeginPeriod(UINT) { return TIMERR_NOERROR; }
MMRESULT timeEndPeriod(UINT) { return TIMERR_NOERROR; }
