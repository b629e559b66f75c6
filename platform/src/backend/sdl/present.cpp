// SPDX-License-Identifier: MIT
// The real backend's presentation: frames into the window's framebuffer,
// scaled with the aspect ratio kept, or through a renderer where that fails.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "backend/sdl/sdl_backend.h"

namespace platform::sdl {

bool SdlBackend::EnsureRenderer(Window& w) {
  if (!w.renderer) {
    w.renderer = SDL_CreateRenderer(w.window, -1, 0);
    if (!w.renderer) w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE);
  }
  return w.renderer != nullptr;
}

// Shows the frame in the window's framebuffer: the same size when it fits
// exactly, else scaled by nearest pixels with its aspect ratio kept and black
// bars. This costs the program one scaling pass a frame, where a renderer on a
// software GL (as under Xvfb) costs several.
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
  SDL_Rect place{0, 0, frame.width, frame.height};
  if (target->w != frame.width || target->h != frame.height) {
    double scale = std::min(static_cast<double>(target->w) / frame.width,
                            static_cast<double>(target->h) / frame.height);
    place.w = std::max(1, static_cast<int>(frame.width * scale));
    place.h = std::max(1, static_cast<int>(frame.height * scale));
    place.x = (target->w - place.w) / 2;
    place.y = (target->h - place.h) / 2;
  }
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
    ScaleNearest(w, frame, target, place);
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

// Nearest-pixel scaling of 0x00RRGGBB pixels into a 32-bit framebuffer: each
// shown pixel takes the frame pixel under its centre; a row that samples the
// same frame row as the one above is a copy of it.
void SdlBackend::ScaleNearest(Window& w, const backend::Frame& frame, SDL_Surface* target, const SDL_Rect& place) {
  if (w.scaledFrom != frame.width || static_cast<int>(w.columns.size()) != place.w) {
    w.columns.resize(static_cast<size_t>(place.w));
    for (int x = 0; x < place.w; ++x)
      w.columns[static_cast<size_t>(x)] =
          static_cast<int>((2 * static_cast<int64_t>(x) + 1) * frame.width / (2 * static_cast<int64_t>(place.w)));
    w.scaledFrom = frame.width;
  }
  auto* base = static_cast<uint8_t*>(target->pixels) + place.y * target->pitch + place.x * 4;
  int previous = -1;
  for (int y = 0; y < place.h; ++y) {
    auto* out = reinterpret_cast<uint32_t*>(base + static_cast<ptrdiff_t>(y) * target->pitch);
    int row = static_cast<int>((2 * static_cast<int64_t>(y) + 1) * frame.height / (2 * static_cast<int64_t>(place.h)));
    if (row == previous) {
      memcpy(out, base + static_cast<ptrdiff_t>(y - 1) * target->pitch, static_cast<size_t>(place.w) * 4);
      continue;
    }
    previous = row;
    const uint32_t* in = frame.pixels + static_cast<ptrdiff_t>(row) * frame.pitchPixels;
    const int* cols = w.columns.data();
    for (int x = 0; x < place.w; ++x) out[x] = in[cols[x]];
  }
}

void SdlBackend::Present(WindowId id, const backend::Frame& frame) {
  Window* w = Find(id);
  if (!w || w->gone || !frame.pixels || frame.width <= 0 || frame.height <= 0) return;
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
    // The picture keeps its aspect ratio, scaled by nearest pixels, with black bars.
    SDL_RenderSetLogicalSize(w->renderer, frame.width, frame.height);
  }
  SDL_UpdateTexture(w->texture, nullptr, frame.pixels, frame.pitchPixels * 4);
  SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
  SDL_RenderClear(w->renderer);
  SDL_RenderCopy(w->renderer, w->texture, nullptr, nullptr);
  SDL_RenderPresent(w->renderer);
}

}  // namespace platform::sdl
