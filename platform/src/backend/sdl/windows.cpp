// SPDX-License-Identifier: MIT
// The real backend's windows: creation, size, title and icon, focus, the
// full-screen state, and windows that the window system took away.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <string>

#include "backend/sdl/x11.h"

#include "backend/sdl/sdl_backend.h"

namespace platform::sdl {

WindowId SdlBackend::CreateWindow(const std::string& title, int w, int h, bool visible) {
  Uint32 flags = visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
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

void SdlBackend::SetCursorVisible(WindowId, bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

bool SdlBackend::HasFocus(WindowId id) {
  Window* w = Find(id);
  return w && (SDL_GetWindowFlags(w->window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void SdlBackend::DesktopSize(int& width, int& height) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
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
    // Cover the display before asking for the full-screen state: with no
    // window manager to carry that request out (a bare X server) the window
    // would otherwise keep its size while SDL draws for the whole display.
    SDL_GetWindowPosition(w->window, &w->windowed.x, &w->windowed.y);
    SDL_GetWindowSize(w->window, &w->windowed.w, &w->windowed.h);
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(w->window), &bounds) == 0) {
      SDL_SetWindowBordered(w->window, SDL_FALSE);
      SDL_SetWindowPosition(w->window, bounds.x, bounds.y);
      SDL_SetWindowSize(w->window, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(w->window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  } else {
    SDL_SetWindowFullscreen(w->window, 0);
    if (w->windowed.w > 0 && w->windowed.h > 0) {
      SDL_SetWindowBordered(w->window, SDL_TRUE);
      SDL_SetWindowSize(w->window, w->windowed.w, w->windowed.h);
      SDL_SetWindowPosition(w->window, w->windowed.x, w->windowed.y);
    }
  }
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
  // A window closed by the program is watched no longer; one destroyed from
  // outside stays watched, so that the errors its teardown draws pass.
  if (w.x11Window && !w.gone) x11::Forget(w.x11Window);
  if (w.picture) SDL_FreeSurface(w.picture);
  if (w.texture) SDL_DestroyTexture(w.texture);
  if (w.renderer) SDL_DestroyRenderer(w.renderer);
  if (w.window) SDL_DestroyWindow(w.window);
  w = Window{};
}

}  // namespace platform::sdl
