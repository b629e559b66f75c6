// SPDX-License-Identifier: MIT
// The one way into the subsystems for the test controls (platform_testing):
// each subsystem that can be put back to its start or made to fail defines its
// part of this header in its own sources, under platform::hooks::<subsystem>.
// Every fault is off until a control sets it, so a program that does not link
// the test controls behaves as if these did not exist.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace platform::hooks {

namespace user {
// Forgets every window and queued message.
void Reset();
}  // namespace user

namespace kernel {
// Forgets the debugger output kept so far.
void Reset();
// The debugger output lines kept, oldest first.
const std::vector<std::string>& DebugLines();
}  // namespace kernel

namespace ddraw {
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
// Blt refuses mirrored copies with DDERR_NOMIRRORHW.
void RefuseMirroring(bool refuse);
}  // namespace ddraw

namespace dinput {
// Which devices an input fault applies to.
enum class Device { Any, Keyboard, Mouse, Joystick };
// Back to the state of a fresh process (devices a test leaked stay valid).
void Reset();
// The next state read of such a device fails with result.
void FailNextRead(HRESULT result, Device device);
// The next count Acquire calls on such a device fail with result.
void FailAcquire(int count, HRESULT result, Device device);
// The next CreateDevice for such a device fails.
void FailCreation(Device device);
// DirectInputCreateA fails with result (DI_OK: it does not).
void FailCreate(HRESULT result);
// After skip successful SetProperty calls, the next one fails with result.
void FailSetProperty(int skip, HRESULT result);
// QueryInterface for the second-generation device interface fails.
void FailDeviceInterface(bool fail);
// Devices created and not yet released.
int OpenDevices();
}  // namespace dinput

namespace dsound {
// No faults, the audio device present.
void Reset();
// The next count DuplicateSoundBuffer calls fail with DSERR_OUTOFMEMORY.
void FailDuplicates(int count);
// Every buffer becomes lost, as when another program takes the output.
void LoseAllBuffers();
}  // namespace dsound

namespace winmm {
// Every volume back to full, volume control available.
void Reset();
// Whether the wave, MIDI and auxiliary devices report (and accept) volume control.
void SetVolumeControl(bool available);
// The sound font the MIDI synthesiser loads (by default RALLEX_SOUNDFONT, else
// the system's General MIDI font).
void SetSoundFontPath(const std::string& path);
std::string SoundFontPath();
}  // namespace winmm

}  // namespace platform::hooks
