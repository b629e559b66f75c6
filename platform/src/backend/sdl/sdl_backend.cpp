// SPDX-License-Identifier: MIT
// The real backend: SDL started on a video driver that someone can see, the
// clock, and the one instance that the platform layer calls.
#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "backend/sdl/x11.h"

#include "backend/sdl/sdl_backend.h"

namespace platform::sdl {

namespace {
constexpr uint32_t kFreeClockRepeats = 4;
constexpr long kClockPollPauseNs = 250000;
}  // namespace

SdlBackend::SdlBackend() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // Window framebuffers in the window system's own shared memory, not through
  // a (possibly software) GL renderer.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // Before SDL's X11 code starts, so that it keeps this handler beneath its
  // own and gives it back at the end: X errors about a window that was
  // destroyed from outside can come up to the last moment.
  x11::WatchErrors();
  bool started = SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) == 0;
  if (!started) videoProblem_ = SDL_GetError();
  if (!started || !StartVideo()) {
    // Nothing could ever be seen: say so rather than play on invisibly.
    fprintf(stderr, "%s: no display: %s; to run without a screen, start it as: xvfb-run -a %s\n",
            program_invocation_short_name, videoProblem_.c_str(), program_invocation_short_name);
    SDL_Quit();
    std::exit(1);
  }
  x11_ = strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0;
  // After SDL's start, which sets a handler of its own.
  if (x11_) x11::WatchConnection(program_invocation_short_name);
  const presentation::Settings& s = presentation::Current();
  if (int monitors = SDL_GetNumVideoDisplays(); monitors > 0 && s.monitor >= monitors) {
    fprintf(stderr, "%s: there is no monitor %d (monitors: 0 to %d); using monitor 0\n",
            program_invocation_short_name, s.monitor, monitors - 1);
    presentation::UseMonitorInstead(0);
  }
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0)
    fprintf(stderr, "rallex: no joystick support: %s\n", SDL_GetError());
  start_ = SDL_GetTicks64();
}

// Starts SDL video on a driver that shows windows to someone: the one asked
// for by name in SDL_VIDEODRIVER (invisible ones included), else X11 or
// Wayland where their display is set, else the console's KMS. SDL's own
// fall-back to an off-screen driver is never taken silently.
bool SdlBackend::StartVideo() {
  const char* asked = getenv("SDL_VIDEODRIVER");
  if (asked && *asked) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    videoProblem_ = std::string("the video driver \"") + asked + "\" cannot start (" + SDL_GetError() + ")";
    return false;
  }
  const char* x11 = getenv("DISPLAY");
  const char* wayland = getenv("WAYLAND_DISPLAY");
  std::vector<const char*> drivers;
  if (x11 && *x11) drivers.push_back("x11");
  if (wayland && *wayland) drivers.push_back("wayland");
  drivers.push_back("KMSDRM");
  std::string tried;
  for (const char* driver : drivers) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    if (!tried.empty() && strcmp(driver, "KMSDRM") != 0) tried += "; ";
    if (strcmp(driver, "x11") == 0) tried += std::string("cannot open the X display \"") + x11 + "\"";
    if (strcmp(driver, "wayland") == 0) tried += std::string("cannot reach the Wayland display \"") + wayland + "\"";
  }
  videoProblem_ = tried.empty() ? "neither DISPLAY nor WAYLAND_DISPLAY is set" : tried;
  return false;
}

SdlBackend::~SdlBackend() {
  FlushSettings(true);
  CloseAudio();
  CloseJoystick();
  for (auto& [id, w] : windows_) Destroy(w);
  if (x11_) x11::StopWatching();
  if (leftGoneWindow_) {
    // SDL's video teardown would wait for the window system to confirm what
    // it does to a window that no longer exists (under a window manager, for
    // ever); the process is ending and the window is gone anyway.
    SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
    return;
  }
  SDL_Quit();
}

uint32_t SdlBackend::Milliseconds() { return static_cast<uint32_t>(SDL_GetTicks64() - start_); }
void SdlBackend::Sleep(uint32_t ms) { SDL_Delay(ms); }
// A program polling the clock: after a few free repeats each read within the
// same millisecond sleeps a quarter of a millisecond. A wait by polling then
// costs a few percent of a core and still ends within about 0.3 ms of its
// millisecond.
void SdlBackend::ClockPolled(uint32_t repeats) {
  if (repeats < kFreeClockRepeats) return;
  timespec pause{0, kClockPollPauseNs};
  nanosleep(&pause, nullptr);
}

}  // namespace platform::sdl

namespace platform::backend {
Backend& Instance() {
  static sdl::SdlBackend backend;
  return backend;
}
}  // namespace platform::backend
