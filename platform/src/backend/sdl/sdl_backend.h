// SPDX-License-Identifier: MIT
// The real backend: SDL2 windows, events, message boxes, presentation and
// audio. One class behind the seam, its members spread over one file per
// concern: sdl_backend.cpp (start, clock), windows.cpp, present.cpp,
// events.cpp, dialogs.cpp and audio.cpp.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <atomic>
#include <map>
#include <set>
#include <thread>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "presentation/settings.h"

namespace platform::sdl {

using backend::Event;
using backend::WindowId;

struct Window {
  SDL_Window* window = nullptr;
  // Frames go to the window's own framebuffer (SDL_GetWindowSurface), scaled
  // here; the renderer serves only where that framebuffer cannot be had.
  bool useRenderer = false;
  SDL_Rect shown{0, 0, 0, 0};  // where the last frame went in the framebuffer
  SDL_Surface* lastSurface = nullptr;
  // The frame's pixels wrapped as an SDL surface, kept while the frame keeps
  // its memory and size, so that SDL's blit mapping is made once, not per frame.
  SDL_Surface* picture = nullptr;
  std::vector<uint32_t> scaled;  // the scaled picture, for a framebuffer not of 32-bit pixels
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureWidth = 0;
  int textureHeight = 0;
  // The program's exclusive full-screen mode is shown here, on the whole
  // monitor or in a window as the player chose.
  bool fullScreen = false;
  SDL_Rect windowed{0, 0, 0, 0};  // position and size before going full-screen
  // The last frame of the full-screen mode, shown again when the window is
  // exposed, resized or shown another way while the program draws nothing.
  std::vector<uint32_t> last;
  int lastWidth = 0, lastHeight = 0;
  // In a window: the mode size the window was last fitted to, and the place
  // and size last set here (so that the window system's reports of them are
  // not taken for the player's).
  int fittedWidth = 0, fittedHeight = 0;
  presentation::Rect placed;
  unsigned long x11Window = 0;    // the X window under it, on X11
  // Destroyed from outside (the window system took it away): nothing is drawn
  // into it any more, and its close has been reported.
  bool gone = false;
};

class SdlBackend final : public backend::Backend {
 public:
  SdlBackend();
  ~SdlBackend() override;

  // sdl_backend.cpp
  uint32_t Milliseconds() override;
  void Sleep(uint32_t ms) override;
  void ClockPolled(uint32_t repeats) override;

  // events.cpp
  bool PollEvent(Event& event) override;
  bool WaitEvent(Event& event, uint32_t timeoutMs) override;
  bool EventsCanArrive() override;
  void SetRelativeMouse(bool enabled) override;

  // windows.cpp
  WindowId CreateWindow(const std::string& title, int w, int h, bool visible) override;
  void DestroyWindow(WindowId id) override;
  void SetWindowTitle(WindowId id, const std::string& title) override;
  void SetWindowIcon(WindowId id, const uint32_t* argb, int width, int height) override;
  void SetWindowClientSize(WindowId id, int width, int height) override;
  void ShowWindow(WindowId id, bool visible) override;
  void SetCursorVisible(WindowId, bool visible) override;
  bool HasFocus(WindowId id) override;
  void DesktopSize(int& width, int& height) override;
  void SetFullScreen(WindowId id, bool fullScreen) override;

  // dialogs.cpp
  int MessageBox(WindowId owner, const std::string& text, const std::string& caption, unsigned type) override;

  // present.cpp
  void Present(WindowId id, const backend::Frame& frame) override;

  // audio.cpp
  bool OpenAudio(const backend::AudioSpec& wanted, backend::AudioCallback callback, void* user,
                 backend::AudioSpec& obtained) override;
  void CloseAudio() override;
  void LockAudio() override;
  void UnlockAudio() override;

 private:
  bool StartVideo();

  // windows.cpp: how a full-screen mode is shown, and the player's changes.
  void ShowMode(Window& w);
  void CoverMonitor(Window& w);
  void ShowInWindow(Window& w);
  void FitWindow(Window& w, int frameWidth, int frameHeight);
  bool InWindowPresentation();
  bool PlatformKey(const SDL_KeyboardEvent& key);
  void NoteWindowChange(Window& w);
  bool TakePlayersPlace();
  void SettingsChanged(bool now);
  void FlushSettings(bool force);
  void ApplyMouse();
  void Redraw(Window& w);

  // windows.cpp
  Window* Find(WindowId id);
  bool ReportGoneWindow(Event& out);
  void Destroy(Window& w);

  // dialogs.cpp
  void GiveBackFocus(Window& w);

  // present.cpp
  static bool EnsureRenderer(Window& w);
  static bool PresentToFramebuffer(Window& w, const backend::Frame& frame);
  static SDL_Surface* Picture(Window& w, const backend::Frame& frame);

  // events.cpp
  bool OpenJoystick(int index, Event& out);
  void CloseJoystick();
  bool Convert(const SDL_Event& e, Event& out);
  bool AbsolutePointer(Event& out);

  // audio.cpp
  static void QuietAlsa();
  static void SilentAlsaError(const char*, int, const char*, int, const char*, ...);
  static void AudioThunk(void* self, Uint8* stream, int bytes);
  bool LoseAudioDevice(const SDL_AudioDeviceEvent& e, Event& out);
  bool ReopenAudioDevice(Event& out);
  void StartSilentOutput();
  void StopSilentOutput();

  uint64_t start_ = 0;
  bool x11_ = false;
  bool leftGoneWindow_ = false;  // a window destroyed from outside was let go
  std::string videoProblem_;
  std::map<WindowId, Window> windows_;
  SDL_Joystick* joystick_ = nullptr;
  SDL_GameController* controller_ = nullptr;
  bool reopenJoystick_ = false;
  // The mouse: what the program asked for, and whether the pointer may be
  // captured now (in a window, not after a focus loss until a click in it).
  bool relativeWanted_ = false;
  bool cursorWanted_ = true;
  bool captureAllowed_ = true;
  int swallowButton_ = -1;           // the release of the click that took the pointer
  std::set<int> swallowKeys_;        // the releases of the platform's own keys
  // The pointer's place on the screen at the last look, for pointers that
  // report only positions; relativeSeen_: a relative device moved since.
  bool pointerKnown_ = false;
  int pointerX_ = 0, pointerY_ = 0;
  uint64_t pointerCheckedAt_ = 0;
  bool relativeSeen_ = false;
  bool settingsDirty_ = false;
  bool windowChanged_ = false;       // moved or resized; read once it stands still
  uint64_t settingsChangedAt_ = 0;
  SDL_AudioDeviceID audioDevice_ = 0;
  int audioChannels_ = 2;
  backend::AudioCallback callback_ = nullptr;
  void* callbackUser_ = nullptr;
  // The device went away: what it was opened with, when a new one was last
  // tried, and the thread that pulls the mixer at the device's pace meanwhile.
  SDL_AudioSpec audioSpec_{};
  bool audioLost_ = false;
  uint64_t audioTriedAt_ = 0;
  std::thread silentOutput_;
  std::atomic<bool> silentRunning_{false};
};

}  // namespace platform::sdl
