// SPDX-License-Identifier: MIT
// Hooks through which the headless backend's test controls reach DirectDraw.
#pragma once

#include <cstdint>

#include "platform/ddraw.h"

namespace platform::ddraw::testing {

// Clears the faults and forgets the display's mode, owner and primary surface.
void Reset();
// Loses every video-memory surface and the display's own surfaces.
void LoseAllSurfaces();
// The next count surface creations fail with result.
void FailSurfaceCreations(int count, HRESULT result);
// Total video memory of the emulated card, in bytes.
void SetVideoMemory(uint32_t bytes);
// The next count locks without DDLOCK_WAIT answer DDERR_WASSTILLDRAWING.
void LockStillDrawing(int count);
// DirectDrawCreate fails with result (DD_OK: it does not).
void FailDirectDrawCreate(HRESULT result);
// Blt refuses mirrored copies with DDERR_NOMIRRORHW, as hardware without
// mirroring did.
void RefuseMirroring(bool refuse);

}  // namespace platform::ddraw::testing
