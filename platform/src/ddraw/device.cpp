// The DirectDraw device. (Being filled in: the device is not available yet.)
#include "platform/ddraw.h"

HRESULT DirectDrawCreate(GUID*, LPDIRECTDRAW* directDraw, IUnknown*) {
  if (directDraw) *directDraw = nullptr;
  return DDERR_UNSUPPORTED;
}

HRESULT DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA, LPVOID, DWORD) { return DDERR_UNSUPPORTED; }
