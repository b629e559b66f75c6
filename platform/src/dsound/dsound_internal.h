// SPDX-License-Identifier: MIT
// Platform-internal controls of the DirectSound stand-in, for the headless
// backend's fault injection.
#pragma once

namespace platform::dsound {

// The next count DuplicateSoundBuffer calls fail with DSERR_OUTOFMEMORY.
void FailDuplicates(int count);

}  // namespace platform::dsound
