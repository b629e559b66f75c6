// SPDX-License-Identifier: MIT
// A frame scaled into a place of an SDL surface or renderer. Every path
// samples with the presentation's scalers, so that the pixel shown at a point
// of the window is the one ToPicture maps that point to, whatever the
// framebuffer's pixel format or wherever only a renderer can be had.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "backend/backend.h"

namespace platform::sdl {

// Into a 32-bit XRGB target directly; into any other through scratch and
// SDL's unscaled blit, which only converts the pixel format. The place must
// lie inside the target.
bool DrawScaled(const backend::Frame& frame, bool linear, SDL_Surface* target, const SDL_Rect& place,
                std::vector<uint32_t>& scratch);

// Into a streaming XRGB texture of the place's size (made again when the size
// changes), then copied to the place without scaling.
bool RenderScaled(const backend::Frame& frame, bool linear, SDL_Renderer* renderer, SDL_Texture*& texture,
                  int& textureWidth, int& textureHeight, const SDL_Rect& place);

}  // namespace platform::sdl
