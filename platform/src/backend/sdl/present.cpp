// SPDX-License-Identifier: MIT
// The real backend's presentation: frames into the window's framebuffer,
// scaled and filtered as the player chose, or through a renderer where that
// framebuffer cannot be had.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "backend/sdl/present.h"
#include "backend/sdl/sdl_backend.h"

namespace platform::sdl {

using presentation::Current;
using presentation::Filter;

namespace {
void Scale(const backend::Frame& frame, bool linear, uint32_t* out, int outW, int outH, int outPitch) {
  (linear ? presentation::ScaleLinear : presentation::ScaleNearest)(frame.pixels, frame.width, frame.height,
                                                                    frame.pitchPixels, out, outW, outH, outPitch);
}
}  // namespace

bool DrawScaled(const backend::Frame& frame, bool linear, SDL_Surface* target, const SDL_Rect& place,
                std::vector<uint32_t>& scratch) {
  if (place.x < 0 || place.y < 0 || place.w <= 0 || place.h <= 0 || place.x + place.w > target->w ||
      place.y + place.h > target->h)
    return false;
  uint32_t fmt = target->format->format;
  if (fmt == SDL_PIXELFORMAT_RGB888 || fmt == SDL_PIXELFORMAT_ARGB8888) {
    if (SDL_LockSurface(target) != 0) return false;
    auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(target->pixels) + place.y * target->pitch) + place.x;
    Scale(frame, linear, out, place.w, place.h, target->pitch / 4);
    SDL_UnlockSurface(target);
    return true;
  }
  scratch.resize(static_cast<size_t>(place.w) * static_cast<size_t>(place.h));
  Scale(frame, linear, scratch.data(), place.w, place.h, place.w);
  SDL_Surface* scaled = SDL_CreateRGBSurfaceWithFormatFrom(scratch.data(), place.w, place.h, 32, place.w * 4,
                                                           SDL_PIXELFORMAT_RGB888);
  if (!scaled) return false;
  SDL_Rect at = place;
  int result = SDL_BlitSurface(scaled, nullptr, target, &at);
  SDL_FreeSurface(scaled);
  return result == 0;
}

bool RenderScaled(const backend::Frame& frame, bool linear, SDL_Renderer* renderer, SDL_Texture*& texture,
                  int& textureWidth, int& textureHeight, const SDL_Rect& place) {
  if (place.w <= 0 || place.h <= 0) return false;
  if (!texture || textureWidth != place.w || textureHeight != place.h) {
    if (texture) SDL_DestroyTexture(texture);
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, place.w, place.h);
    textureWidth = texture ? place.w : 0;
    textureHeight = texture ? place.h : 0;
    if (!texture) return false;
  }
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return false;
  Scale(frame, linear, static_cast<uint32_t*>(pixels), place.w, place.h, pitch / 4);
  SDL_UnlockTexture(texture);
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  return SDL_RenderCopy(renderer, texture, nullptr, &place) == 0;
}

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
  bool linear = w.fullScreen && s.filter == Filter::Linear;
  bool drawn = place.w == frame.width && place.h == frame.height
                   ? SDL_BlitSurface(picture, nullptr, target, &place) == 0
                   : DrawScaled(frame, linear, target, place, w.scaled);
  if (!drawn) return false;
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
  const presentation::Settings& s = Current();
  bool linear = w->fullScreen && s.filter == Filter::Linear;
  int outW = 0, outH = 0;
  SDL_GetRendererOutputSize(w->renderer, &outW, &outH);
  presentation::Rect r = presentation::PictureRect(w->fullScreen ? s.scaling : presentation::Scaling::Aspect,
                                                   frame.width, frame.height, outW, outH);
  SDL_Rect place{r.x, r.y, r.w, r.h};
  w->shown = place;
  if (RenderScaled(frame, linear, w->renderer, w->texture, w->textureWidth, w->textureHeight, place))
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
