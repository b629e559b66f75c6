// SPDX-License-Identifier: MIT
/// @file
/// Control of the headless backend, for tests and tools: the platform_testing
/// library, which a program links beside the headless backend. Time is virtual: it moves only when
/// Sleep, a wait for the vertical blank or AdvanceTime says so.
///
/// The headless backend has no display, no sound card and no input devices:
/// frames and audio are captured for reading back, input is scripted, message
/// boxes take scripted answers, and faults can be injected into DirectDraw,
/// DirectInput and DirectSound so that every failure path of a program can be
/// reached from a test. Link Rallex::platform_headless and
/// Rallex::platform_testing in place of Rallex::platform_sdl.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/headless_records.h"

namespace platform::headless {

/// Puts every piece of headless state back to its start: clock at 0, no events,
/// no answers, no faults, no captured frames or audio, no windows. Call at the
/// start of each test.
void Reset();

/// The virtual clock: milliseconds since Reset (timeGetTime reads it).
uint32_t Now();
/// Moves the virtual clock on (delivering events scripted for the moments
/// passed, and mixing audio for them).
void AdvanceTime(uint32_t ms);

/// @name Scripted input
/** @{ */
/// Scripted window-system input, delivered in order when the platform next looks
/// for events. Scan codes are DirectInput's (DIK_ values).
void KeyDown(uint32_t scanCode);
void KeyUp(uint32_t scanCode);
/// Relative mouse motion.
void MouseMove(int32_t dx, int32_t dy);
/// Mouse button 0 (left), 1 (right) or 2 (middle) goes down or up.
void MouseButton(int button, bool pressed);
void CloseWindow();  ///< the user pressed the window's close box
/// The program's window gains or loses the focus (as when the player switches
/// to another program).
void SetFocus(bool focused);
void JoystickAttach(bool attached);  ///< a 4-axis, 12-button stick named "Headless Joystick"
/// Attaches a joystick described in full; gamepad makes it a game controller.
void JoystickAttachDevice(const std::string& name, int axes, int buttons, bool gamepad);
void JoystickAxis(int axis, int32_t value);  ///< -32768..32767
/// A joystick button goes down or up.
void JoystickButton(int button, bool pressed);
/** @} */
/// @name Input at a later moment
/** @{ */
/// Events scripted for a later moment of the virtual clock.
void KeyDownAt(uint32_t time, uint32_t scanCode);
void CloseWindowAt(uint32_t time);
void MouseMoveAt(uint32_t time, int32_t dx, int32_t dy);
void MouseButtonAt(uint32_t time, int button, bool pressed);
void SetFocusAt(uint32_t time, bool focused);
/** @} */

/// Queues the answer of a coming message box: each box shown takes the next
/// scripted answer (IDOK, IDYES, IDNO); with none scripted, it takes its first
/// button (IDOK or IDYES).
void AnswerNextMessageBox(int answer);
/// The boxes shown since Reset, in order.
const std::vector<MessageBoxRecord>& MessageBoxes();

/// Debugger output lines written with OutputDebugStringA.
const std::vector<std::string>& DebugOutput();

/// Every window the platform asked the backend for since Reset, destroyed ones
/// included.
std::vector<WindowRecord> Windows();

/// Frames presented since Reset (counted with capture off too). Of their
/// pictures (CapturedFrame, in platform/headless_records.h) only the latest
/// few are kept.
uint64_t PresentedFrameCount();
/// With capture off, presented frames are only counted: their pixels are not
/// converted or kept and LastFrame stays as it was. On after Reset.
void CaptureFrames(bool capture);
/// The latest captured frame, or null before the first.
const CapturedFrame* LastFrame();
/// Called with every captured frame as it is presented (for looking at frames in
/// the middle of a blocking operation, such as a fade); empty to stop. Reset
/// removes it.
void OnFramePresented(std::function<void(const CapturedFrame&)> observer);

/// Whether the mouse is in relative (grabbed) mode.
bool RelativeMouse();

/// Audio mixed in virtual time: whenever the clock moves while an audio device is
/// open, the device's callback is run for the elapsed frames and its output kept
/// here (interleaved, at the rate and channel count the device was opened with).
/// The capture starts when the device opens; Reset and ClearCapturedAudio empty
/// it but leave an open device open (the first kept frame is then the one due at
/// the moment of the reset or clear).
/// The audio heard so far.
const AudioCapture& CapturedAudio();
/// Empties the capture (an open device stays open).
void ClearCapturedAudio();

/// The rate the audio device obtains, as a real device may give another rate
/// than the one asked for; 0 (the default) gives the rate asked for. Takes
/// effect at the next open.
void SetAudioDeviceRate(int rate);
/// The frame of the capture that corresponds to the virtual time ms (for
/// finding when something was heard); negative before the capture began.
int64_t AudioFrameAt(uint32_t ms);

/// Fault injection: opening the audio device fails (DirectSoundCreate answers
/// DSERR_NODRIVER) while set.
void FailAudioOpen(bool fail);
/// The wave, MIDI and auxiliary devices report no volume control and refuse
/// volume changes (Reset gives the control back and every volume to full).
void MixerWithoutVolumeControl(bool without);
/// The next count DuplicateSoundBuffer calls fail (DSERR_OUTOFMEMORY).
void FailSoundBufferDuplicates(int count);
/// The sound font the MIDI synthesiser loads from the next open of a MIDI
/// device on (by default RALLEX_SOUNDFONT, else the system's General MIDI font).
void SetSoundFont(const std::string& path);
/// The sound font the next open of a MIDI device loads.
std::string SoundFont();
/// Every DirectSound buffer becomes lost (as when another program takes the
/// output): it stops, reports DSBSTATUS_BUFFERLOST and refuses to play until
/// restored.
void LoseSoundBuffers();
/// The audio device goes away (a headset unplugged) and comes back: the
/// platform hears of it at its next look at the events. While it is gone the
/// mixer is still pulled at the device's pace, but the capture gets silence.
void LoseAudioDevice();
/// The audio device comes back (see LoseAudioDevice); lost buffers can then
/// be restored.
void ReturnAudioDevice();

/// DirectInput faults. Results are HRESULT values (DIERR_...). Which device
/// a fault is for.
/// Any: whichever such device comes first.
enum class InputDevice { Any, Keyboard, Mouse, Joystick };
/// The next state read (GetDeviceState) of such a device fails with result. A
/// DIERR_INPUTLOST or DIERR_NOTACQUIRED failure also unacquires the device, as a
/// real loss of the device would.
void FailNextDeviceRead(int32_t result, InputDevice device = InputDevice::Any);
/// The next count Acquire calls on such a device fail with result.
void FailAcquire(int count, int32_t result, InputDevice device = InputDevice::Any);
/// The next CreateDevice for such a device fails with DIERR_DEVICENOTREG.
void FailDeviceCreation(InputDevice device);
/// DirectInputCreateA fails with result until called again with 0.
void FailDirectInputCreate(int32_t result);
/// After skip successful SetProperty calls, the next one fails with result.
void FailSetProperty(int skip, int32_t result);
/// QueryInterface for the second-generation device interface fails.
void FailDeviceInterface(bool fail);
/// Input devices created and not yet released (for finding leaks).
int OpenInputDevices();

/// DirectDraw. Results are HRESULT values (DDERR_ names of platform/ddraw.h).
/// Loses every surface in video memory (driver's-choice surfaces placed there
/// included) and the display's own surfaces, as when another program takes the
/// display.
void LoseAllSurfaces();
/// The next count CreateSurface calls fail with result.
void FailSurfaceCreations(int count, int32_t result);
/// Total video memory of the emulated card (256 MB unless set); video-memory
/// surfaces beyond it fail with DDERR_OUTOFVIDEOMEMORY, driver's-choice ones go
/// to system memory.
void SetVideoMemory(uint32_t bytes);
/// The next count Lock calls without DDLOCK_WAIT answer DDERR_WASSTILLDRAWING.
void LockStillDrawing(int count);
/// DirectDrawCreate fails with result until set back to 0.
void FailDirectDrawCreate(int32_t result);
/// Blt refuses mirrored copies (DDBLT_DDFX with a mirror flag) with
/// DDERR_NOMIRRORHW, as display hardware without mirroring did.
void RefuseMirroring(bool refuse);
/// The desktop's size in pixels (1280 x 1024 unless set).
void SetDesktopSize(int width, int height);

}  // namespace platform::headless
