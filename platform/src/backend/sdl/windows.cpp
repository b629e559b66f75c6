// SPDX-License-Identifier: MIT
// The real backend's windows: creation, size, title and icon, focus, the
// full-screen state shown the way the player chose, and windows that the
// window system took away.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backend/sdl/x11.h"

#include "backend/sdl/sdl_backend.h"

namespace platform::sdl {

namespace {
// The monitors' work areas, in SDL's numbering.
std::vector<presentation::Rect> MonitorAreas() {
  std::vector<presentation::Rect> areas;
  for (int i = 0, n = SDL_GetNumVideoDisplays(); i < n; ++i) {
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(i, &r) != 0 && SDL_GetDisplayBounds(i, &r) != 0) continue;
    areas.push_back({r.x, r.y, r.w, r.h});
  }
  return areas;
}

// A window that shows a mode is never smaller than its floor; the window
// manager keeps the player from shrinking it further.
void KeepFloor(SDL_Window* window, int frameWidth, int frameHeight) {
  presentation::Rect floor = presentation::WindowFloor(frameWidth, frameHeight);
  int w = 0, h = 0;
  SDL_GetWindowMinimumSize(window, &w, &h);
  if (w != floor.w || h != floor.h) SDL_SetWindowMinimumSize(window, floor.w, floor.h);
}
}  // namespace

WindowId SdlBackend::CreateWindow(const std::string& title, int w, int h, bool visible) {
  Uint32 flags = visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  int monitor = presentation::Current().monitor;
  SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED_DISPLAY(monitor),
                                        SDL_WINDOWPOS_CENTERED_DISPLAY(monitor),
                                        w > 0 ? w : 1, h > 0 ? h : 1, flags);
  if (!window) {
    fprintf(stderr, "rallex: cannot create a window: %s\n", SDL_GetError());
    return backend::kNoWindow;
  }
  WindowId id = SDL_GetWindowID(window);
  windows_[id].window = window;
  if (x11_) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
      windows_[id].x11Window = info.info.x11.window;
      x11::Track(info.info.x11.display, info.info.x11.window);
    }
  }
  return id;
}

void SdlBackend::DestroyWindow(WindowId id) {
  auto it = windows_.find(id);
  if (it == windows_.end()) return;
  Destroy(it->second);
  windows_.erase(it);
}

void SdlBackend::SetWindowTitle(WindowId id, const std::string& title) {
  if (Window* w = Find(id)) SDL_SetWindowTitle(w->window, title.c_str());
}

void SdlBackend::SetWindowIcon(WindowId id, const uint32_t* argb, int width, int height) {
  Window* w = Find(id);
  if (!w || !argb) return;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), width, height, 32, width * 4,
                                                         SDL_PIXELFORMAT_ARGB8888);
  if (!icon) return;
  SDL_SetWindowIcon(w->window, icon);
  SDL_FreeSurface(icon);
}

void SdlBackend::SetWindowClientSize(WindowId id, int width, int height) {
  if (Window* w = Find(id)) {
    if (!w->fullScreen) SDL_SetWindowSize(w->window, width > 0 ? width : 1, height > 0 ? height : 1);
  }
}

void SdlBackend::ShowWindow(WindowId id, bool visible) {
  if (Window* w = Find(id); w && !w->gone) {
    if (visible) {
      SDL_ShowWindow(w->window);
      SDL_RaiseWindow(w->window);
      // On the platform, showing a new window of the foreground program
      // activates it before ShowWindow returns, and programs create their
      // foreground input devices right after. The window system hands out
      // the focus a little later, so wait for it briefly. Events stay queued.
      for (uint64_t until = SDL_GetTicks64() + 500; SDL_GetTicks64() < until;) {
        SDL_PumpEvents();
        if (SDL_GetWindowFlags(w->window) & SDL_WINDOW_INPUT_FOCUS) break;
        SDL_Delay(5);
      }
    } else {
      SDL_HideWindow(w->window);
    }
  }
}

void SdlBackend::SetCursorVisible(WindowId, bool visible) {
  cursorWanted_ = visible;
  ApplyMouse();
}

bool SdlBackend::HasFocus(WindowId id) {
  Window* w = Find(id);
  return w && (SDL_GetWindowFlags(w->window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void SdlBackend::DesktopSize(int& width, int& height) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(presentation::Current().monitor, &mode) == 0) {
    width = mode.w;
    height = mode.h;
  } else {
    width = 1024;
    height = 768;
  }
}

void SdlBackend::SetFullScreen(WindowId id, bool fullScreen) {
  Window* w = Find(id);
  if (!w || w->gone || w->fullScreen == fullScreen) return;
  w->fullScreen = fullScreen;
  if (fullScreen) {
    // A renderer first, if this window uses one: making one may recreate the
    // window, which would put it back where it was.
    if (w->useRenderer) EnsureRenderer(*w);
    SDL_GetWindowPosition(w->window, &w->windowed.x, &w->windowed.y);
    SDL_GetWindowSize(w->window, &w->windowed.w, &w->windowed.h);
    ShowMode(*w);
  } else {
    SDL_SetWindowFullscreen(w->window, 0);
    SDL_SetWindowMinimumSize(w->window, 1, 1);  // the program's own window again
    SDL_SetWindowResizable(w->window, SDL_FALSE);
    SDL_SetWindowBordered(w->window, SDL_TRUE);
    if (w->windowed.w > 0 && w->windowed.h > 0) {
      SDL_SetWindowSize(w->window, w->windowed.w, w->windowed.h);
      SDL_SetWindowPosition(w->window, w->windowed.x, w->windowed.y);
    }
    w->last.clear();
    captureAllowed_ = true;
    ApplyMouse();
  }
}

bool SdlBackend::InWindowPresentation() {
  if (presentation::Current().shown != presentation::Shown::Window) return false;
  for (auto& [id, w] : windows_)
    if (w.fullScreen && !w.gone) return true;
  return false;
}

void SdlBackend::ShowMode(Window& w) {
  if (presentation::Current().shown == presentation::Shown::Window) {
    ShowInWindow(w);
  } else {
    CoverMonitor(w);
    captureAllowed_ = true;
  }
  ApplyMouse();
}

void SdlBackend::CoverMonitor(Window& w) {
  // Cover the monitor before asking for the full-screen state: with no window
  // manager to carry that request out (a bare X server) the window would
  // otherwise keep its size while SDL draws for the whole monitor.
  SDL_SetWindowResizable(w.window, SDL_FALSE);
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(presentation::Current().monitor, &bounds) == 0) {
    SDL_SetWindowBordered(w.window, SDL_FALSE);
    SDL_SetWindowPosition(w.window, bounds.x, bounds.y);
    SDL_SetWindowSize(w.window, bounds.w, bounds.h);
  }
  SDL_SetWindowFullscreen(w.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

// A resizable window: where the player last had it, else fitted to the mode
// once its first frame shows how large that is.
void SdlBackend::ShowInWindow(Window& w) {
  SDL_SetWindowFullscreen(w.window, 0);
  SDL_SetWindowBordered(w.window, SDL_TRUE);
  SDL_SetWindowResizable(w.window, SDL_TRUE);
  const presentation::Rect& remembered = presentation::Current().window;
  if (remembered.w > 0 && remembered.h > 0) {
    presentation::Rect place = presentation::RestoredWindow(remembered, w.lastWidth, w.lastHeight, MonitorAreas(),
                                                            presentation::Current().monitor);
    if (w.lastWidth > 0) KeepFloor(w.window, w.lastWidth, w.lastHeight);
    SDL_SetWindowSize(w.window, place.w, place.h);
    SDL_SetWindowPosition(w.window, place.x, place.y);
    w.placed = place;
    // The player's own size stands for every mode.
    w.fittedWidth = w.fittedHeight = -1;
  } else if (w.lastWidth > 0) {
    FitWindow(w, w.lastWidth, w.lastHeight);
  } else {
    w.fittedWidth = w.fittedHeight = 0;
  }
}

// The largest whole multiple of the mode that fits the monitor's work area
// less the window's borders, centred on it.
void SdlBackend::FitWindow(Window& w, int frameWidth, int frameHeight) {
  KeepFloor(w.window, frameWidth, frameHeight);
  if (w.fittedWidth < 0) return;  // sized by the player
  w.fittedWidth = frameWidth;
  w.fittedHeight = frameHeight;
  int monitor = presentation::Current().monitor;
  SDL_Rect area;
  if (SDL_GetDisplayUsableBounds(monitor, &area) != 0 && SDL_GetDisplayBounds(monitor, &area) != 0) return;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(w.window, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  presentation::Rect size = presentation::FirstWindowSize(frameWidth, frameHeight, area.w - left - right,
                                                          area.h - top - bottom);
  if (size.w <= 0 || size.h <= 0) return;
  w.placed = {area.x + left + (area.w - left - right - size.w) / 2, area.y + top + (area.h - top - bottom - size.h) / 2,
              size.w, size.h};
  SDL_SetWindowSize(w.window, size.w, size.h);
  SDL_SetWindowPosition(w.window, w.placed.x, w.placed.y);
}

// The window that shows a full-screen mode was moved or resized. The window
// system's reports come late and some are of places set here, so what it is
// now is read once it has stood still a moment (in FlushSettings).
void SdlBackend::NoteWindowChange(Window& w) {
  if (!w.fullScreen || presentation::Current().shown != presentation::Shown::Window) return;
  windowChanged_ = true;
  settingsChangedAt_ = SDL_GetTicks64();
}

// The player's own place and size of a window: one that differs from what
// was set here by more than a window manager's frame around it.
bool SdlBackend::TakePlayersPlace() {
  constexpr int kFrameSlack = 32;
  bool taken = false;
  for (auto& [id, w] : windows_) {
    if (!w.fullScreen || w.gone) continue;
    if (SDL_GetWindowFlags(w.window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED)) continue;
    presentation::Rect now;
    SDL_GetWindowPosition(w.window, &now.x, &now.y);
    SDL_GetWindowSize(w.window, &now.w, &now.h);
    if (now.w == w.placed.w && now.h == w.placed.h && std::abs(now.x - w.placed.x) <= kFrameSlack &&
        std::abs(now.y - w.placed.y) <= kFrameSlack)
      continue;
    w.placed = now;
    w.fittedWidth = w.fittedHeight = -1;
    presentation::Current().window = now;
    taken = true;
  }
  return taken;
}

// Alt+Enter, Alt+S and Alt+F on a window that shows a full-screen mode are
// the platform's: the program sees neither the key nor its release.
bool SdlBackend::PlatformKey(const SDL_KeyboardEvent& key) {
  SDL_Scancode code = key.keysym.scancode;
  if (key.type == SDL_KEYUP) return swallowKeys_.erase(code) > 0;
  if (!(key.keysym.mod & KMOD_ALT)) return false;
  if (code != SDL_SCANCODE_RETURN && code != SDL_SCANCODE_KP_ENTER && code != SDL_SCANCODE_S &&
      code != SDL_SCANCODE_F)
    return false;
  Window* w = Find(key.windowID);
  if (!w || !w->fullScreen || w->gone) return false;
  swallowKeys_.insert(code);
  if (key.repeat) return true;
  presentation::Settings& s = presentation::Current();
  if (code == SDL_SCANCODE_S) {
    s.scaling = s.scaling == presentation::Scaling::Aspect    ? presentation::Scaling::Integer
                : s.scaling == presentation::Scaling::Integer ? presentation::Scaling::Stretch
                                                              : presentation::Scaling::Aspect;
  } else if (code == SDL_SCANCODE_F) {
    s.filter = s.filter == presentation::Filter::Nearest ? presentation::Filter::Linear : presentation::Filter::Nearest;
  } else {
    s.shown = s.shown == presentation::Shown::Window ? presentation::Shown::FullScreen : presentation::Shown::Window;
    ShowMode(*w);
  }
  Redraw(*w);
  SettingsChanged(true);
  return true;
}

// Changes from a key are written at once; a window being dragged or resized
// reports many sizes, so those are written once it has stood still a moment.
void SdlBackend::SettingsChanged(bool now) {
  settingsDirty_ = true;
  settingsChangedAt_ = SDL_GetTicks64();
  if (now) FlushSettings(true);
}

void SdlBackend::FlushSettings(bool force) {
  constexpr uint64_t kStillMs = 500;
  if (!settingsDirty_ && !windowChanged_) return;
  if (!force && SDL_GetTicks64() - settingsChangedAt_ < kStillMs) return;
  if (windowChanged_ && presentation::Current().shown == presentation::Shown::Window && TakePlayersPlace())
    settingsDirty_ = true;
  windowChanged_ = false;
  if (!settingsDirty_) return;
  settingsDirty_ = false;
  presentation::Remember();
}

// The pointer is captured (relative motion, hidden) while the program wants
// it and may have it. In a window, it is free after a focus loss until the
// player clicks in the window, and the cursor shows while it is free.
void SdlBackend::ApplyMouse() {
  bool captured = relativeWanted_ && captureAllowed_;
  SDL_SetRelativeMouseMode(captured ? SDL_TRUE : SDL_FALSE);
  bool show = cursorWanted_ || (!captured && InWindowPresentation());
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

Window* SdlBackend::Find(WindowId id) {
  auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : &it->second;
}

// Marks a window whose X window went away and reports its close once: the
// program then tears down as for the close box.
bool SdlBackend::ReportGoneWindow(Event& out) {
  if (!x11_) return false;
  x11::CheckWindows();
  for (auto& [id, w] : windows_) {
    if (w.gone || !w.x11Window || !x11::Gone(w.x11Window)) continue;
    w.gone = true;
    if (w.fullScreen || SDL_GetRelativeMouseMode()) SDL_SetRelativeMouseMode(SDL_FALSE);
    out = Event{};
    out.type = Event::Type::CloseRequest;
    out.window = id;
    return true;
  }
  return false;
}

void SdlBackend::Destroy(Window& w) {
  if (w.gone) {
    // Destroyed from outside: SDL's teardown of it would wait for news of a
    // window that no longer exists. What SDL holds for it is left as it is.
    leftGoneWindow_ = true;
    w = Window{};
    return;
  }
  if (w.x11Window) x11::Forget(w.x11Window);
  if (w.picture) SDL_FreeSurface(w.picture);
  if (w.texture) SDL_DestroyTexture(w.texture);
  if (w.renderer) SDL_DestroyRenderer(w.renderer);
  if (w.window) SDL_DestroyWindow(w.window);
  w = Window{};
}

}  // namespace platform::sdl
