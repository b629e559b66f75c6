// SPDX-License-Identifier: MIT
// The real backend's presentation: frames into the window's framebuffer,
// scaled and filtered as the player chose, or through a renderer where that
// framebuffer cannot be had.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "backend/sdl/sdl_backend.h"

namespace platform::sdl {

using presentation::Current;
using presentation::Filter;

bool SdlBackend::EnsureRenderer(Window& w) {
  if (!w.renderer) {
    w.renderer = SDL_CreateRenderer(w.window, -1, 0);
    if (!w.renderer) w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE);
  }
  return w.renderer != nullptr;
}

// Shows the frame in the window's framebuffer: the same size when it fits
// exactly, else scaled with black bars around it. This costs the program one
// scaling pass a frame, where a renderer on a software GL (as under Xvfb)
// costs several. A program's windowed frame is the window's client area and
// is never scaled but to fit.
bool SdlBackend::PresentToFramebuffer(Window& w, const backend::Frame& frame) {
  SDL_Surface* target = SDL_GetWindowSurface(w.window);
  if (!target) return false;
  if (target != w.lastSurface && w.picture) {
    // A new framebuffer: the picture's blit mapping was made for the old one.
    SDL_FreeSurface(w.picture);
    w.picture = nullptr;
  }
  SDL_Surface* picture = Picture(w, frame);
  if (!picture) return false;
  const presentation::Settings& s = Current();
  presentation::Rect r = presentation::PictureRect(w.fullScreen ? s.scaling : presentation::Scaling::Aspect,
                                                   frame.width, frame.height, target->w, target->h);
  SDL_Rect place{r.x, r.y, r.w, r.h};
  if (target != w.lastSurface || place.x != w.shown.x || place.y != w.shown.y || place.w != w.shown.w ||
      place.h != w.shown.h) {
    SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    w.lastSurface = target;
    w.shown = place;
  }
  int result = 0;
  uint32_t fmt = target->format->format;
  bool xrgb = fmt == SDL_PIXELFORMAT_RGB888 || fmt == SDL_PIXELFORMAT_ARGB8888;
  if (place.w == frame.width && place.h == frame.height) {
    result = SDL_BlitSurface(picture, nullptr, target, &place);
  } else if (xrgb && place.x >= 0 && place.y >= 0 && SDL_LockSurface(target) == 0) {
    auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(target->pixels) + place.y * target->pitch) + place.x;
    bool linear = w.fullScreen && s.filter == Filter::Linear;
    (linear ? presentation::ScaleLinear : presentation::ScaleNearest)(frame.pixels, frame.width, frame.height,
                                                                    frame.pitchPixels, out, place.w, place.h,
                                                                    target->pitch / 4);
    SDL_UnlockSurface(target);
  } else {
    result = SDL_BlitScaled(picture, nullptr, target, &place);
  }
  if (result != 0) return false;
  SDL_Rect all{0, 0, target->w, target->h};
  SDL_UpdateWindowSurfaceRects(w.window, &all, 1);
  return true;
}

SDL_Surface* SdlBackend::Picture(Window& w, const backend::Frame& frame) {
  SDL_Surface* p = w.picture;
  if (p && p->pixels == frame.pixels && p->w == frame.width && p->h == frame.height &&
      p->pitch == frame.pitchPixels * 4)
    return p;
  if (p) SDL_FreeSurface(p);
  w.picture = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(frame.pixels), frame.width, frame.height,
                                                 32, frame.pitchPixels * 4, SDL_PIXELFORMAT_RGB888);
  return w.picture;
}

void SdlBackend::Present(WindowId id, const backend::Frame& frame) {
  Window* w = Find(id);
  if (!w || w->gone || !frame.pixels || frame.width <= 0 || frame.height <= 0) return;
  if (w->fullScreen && frame.pixels != w->last.data()) {
    // Kept for showing again while the program draws nothing (paused, or
    // while the player resizes the window).
    w->last.resize(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height));
    for (int y = 0; y < frame.height; ++y)
      memcpy(&w->last[static_cast<size_t>(y) * static_cast<size_t>(frame.width)],
             frame.pixels + static_cast<ptrdiff_t>(y) * frame.pitchPixels, static_cast<size_t>(frame.width) * 4);
    w->lastWidth = frame.width;
    w->lastHeight = frame.height;
    if (Current().shown == presentation::Shown::Window &&
        (w->fittedWidth != frame.width || w->fittedHeight != frame.height))
      FitWindow(*w, frame.width, frame.height);
  }
  if (!w->useRenderer) {
    if (PresentToFramebuffer(*w, frame)) return;
    w->useRenderer = true;
  }
  if (!EnsureRenderer(*w)) return;
  if (!w->texture || w->textureWidth != frame.width || w->textureHeight != frame.height) {
    if (w->texture) SDL_DestroyTexture(w->texture);
    w->texture = SDL_CreateTexture(w->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, frame.width,
                                   frame.height);
    if (!w->texture) return;
    w->textureWidth = frame.width;
    w->textureHeight = frame.height;
  }
  const presentation::Settings& s = Current();
  bool linear = w->fullScreen && s.filter == Filter::Linear;
  SDL_SetTextureScaleMode(w->texture, linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  int outW = 0, outH = 0;
  SDL_GetRendererOutputSize(w->renderer, &outW, &outH);
  presentation::Rect r = presentation::PictureRect(w->fullScreen ? s.scaling : presentation::Scaling::Aspect,
                                                   frame.width, frame.height, outW, outH);
  SDL_Rect place{r.x, r.y, r.w, r.h};
  w->shown = place;
  SDL_UpdateTexture(w->texture, nullptr, frame.pixels, frame.pitchPixels * 4);
  SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
  SDL_RenderClear(w->renderer);
  SDL_RenderCopy(w->renderer, w->texture, nullptr, &place);
  SDL_RenderPresent(w->renderer);
}

// The last frame again, as it is shown now.
void SdlBackend::Redraw(Window& w) {
  if (w.last.empty() || w.gone) return;
  backend::Frame frame;
  frame.pixels = w.last.data();
  frame.width = w.lastWidth;
  frame.height = w.lastHeight;
  frame.pitchPixels = w.lastWidth;
  Present(SDL_GetWindowID(w.window), frame);
}

}  // namespace platform::sdl
