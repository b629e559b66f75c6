// SPDX-License-Identifier: MIT
// The desktop backend's three ways of showing a scaled frame (straight into
// a 32-bit framebuffer, through a blit into one of other pixels, through a
// renderer) sample the same pixels, worked by hand, and each is the pixel
// that ToPicture maps that point of the window back to.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "backend/sdl/present.h"
#include "presentation/geometry.h"

namespace {

namespace pr = platform::presentation;

// Five shades of blue, 1.8 window pixels to a frame pixel, as an 800-pixel
// mode shown 1440 wide: window pixel x shows frame pixel (2x+1)*5/18.
const uint32_t kFive[5] = {10, 20, 30, 40, 50};
const std::vector<uint32_t> kFiveIn9 = {10, 10, 20, 20, 30, 40, 40, 50, 50};
// Black and blue, four times as wide: linear weighs them at 1/8, 3/8, 5/8 and
// 7/8 of the way, that is 0, 1/4, 3/4 and all of the distance between the
// two pixel centres.
const uint32_t kTwo[2] = {0x000000, 0x0000FF};
const std::vector<uint32_t> kTwoIn4Linear = {0x00, 0x3F, 0xBF, 0xFF};

platform::backend::Frame FrameOf(const uint32_t* pixels, int width) {
  platform::backend::Frame frame;
  frame.pixels = pixels;
  frame.width = width;
  frame.height = 1;
  frame.pitchPixels = width;
  return frame;
}

// Row y of a surface, columns [x, x + n), as pixel values.
std::vector<uint32_t> Row(SDL_Surface* s, int x, int y, int n) {
  std::vector<uint32_t> row;
  const auto* line = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
  for (int i = x; i < x + n; ++i)
    row.push_back(s->format->BytesPerPixel == 2 ? reinterpret_cast<const uint16_t*>(line)[i]
                                                : reinterpret_cast<const uint32_t*>(line)[i] & 0xFFFFFF);
  return row;
}

struct Case {
  const uint32_t* frame;
  int frameW;
  bool linear;
  std::vector<uint32_t> want;  // the place's row, one column of black on each side
};

std::vector<Case> Cases() {
  std::vector<uint32_t> five = {0}, two = {0};
  five.insert(five.end(), kFiveIn9.begin(), kFiveIn9.end());
  two.insert(two.end(), kTwoIn4Linear.begin(), kTwoIn4Linear.end());
  five.push_back(0);
  two.push_back(0);
  return {{kFive, 5, false, five}, {kTwo, 2, true, two}};
}

TEST(SdlPresent, TheFramebufferPathsSampleAsWorkedByHand) {
  for (const Case& c : Cases()) {
    const int placeW = static_cast<int>(c.want.size()) - 2;
    const SDL_Rect place{1, 1, placeW, 1};
    for (uint32_t format : {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_RGB565}) {
      SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, placeW + 2, 3, 32, format);
      ASSERT_NE(target, nullptr) << SDL_GetError();
      std::vector<uint32_t> scratch;
      ASSERT_TRUE(platform::sdl::DrawScaled(FrameOf(c.frame, c.frameW), c.linear, target, place, scratch));
      std::vector<uint32_t> want = c.want;
      if (format == SDL_PIXELFORMAT_RGB565)
        for (uint32_t& v : want) v >>= 3;  // blue keeps its top five bits
      EXPECT_EQ(Row(target, 0, 1, placeW + 2), want) << SDL_GetPixelFormatName(format);
      EXPECT_EQ(Row(target, 0, 0, placeW + 2), std::vector<uint32_t>(placeW + 2, 0)) << "above the place";
      EXPECT_EQ(Row(target, 0, 2, placeW + 2), std::vector<uint32_t>(placeW + 2, 0)) << "below the place";
      SDL_FreeSurface(target);
    }
  }
}

TEST(SdlPresent, TheRendererPathSamplesAsWorkedByHand) {
  for (const Case& c : Cases()) {
    const int placeW = static_cast<int>(c.want.size()) - 2;
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, placeW + 2, 3, 32, SDL_PIXELFORMAT_RGB888);
    ASSERT_NE(target, nullptr);
    SDL_FillRect(target, nullptr, 0xFFFFFF);  // the renderer clears it to black
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(target);
    ASSERT_NE(renderer, nullptr) << SDL_GetError();
    SDL_Texture* texture = nullptr;
    int textureW = 0, textureH = 0;
    ASSERT_TRUE(platform::sdl::RenderScaled(FrameOf(c.frame, c.frameW), c.linear, renderer, texture, textureW,
                                            textureH, SDL_Rect{1, 1, placeW, 1}));
    SDL_RenderFlush(renderer);
    EXPECT_EQ(Row(target, 0, 1, placeW + 2), c.want);
    EXPECT_EQ(Row(target, 0, 0, placeW + 2), std::vector<uint32_t>(placeW + 2, 0));
    EXPECT_EQ(textureW, placeW) << "the texture is the place's size: the renderer does not scale";
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(target);
  }
}

TEST(SdlPresent, EachWindowPixelShowsThePixelThePointerMapsTo) {
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 11, 3, 32, SDL_PIXELFORMAT_RGB888);
  ASSERT_NE(target, nullptr);
  std::vector<uint32_t> scratch;
  ASSERT_TRUE(platform::sdl::DrawScaled(FrameOf(kFive, 5), false, target, SDL_Rect{1, 1, 9, 1}, scratch));
  std::vector<uint32_t> shown = Row(target, 1, 1, 9);
  for (int x = 0; x < 9; ++x) {
    int px = -1, py = -1;
    pr::ToPicture(pr::Rect{1, 1, 9, 1}, 5, 1, x + 1, 1, px, py);
    EXPECT_EQ(shown[static_cast<size_t>(x)], kFive[px]) << "window column " << x + 1;
  }
  SDL_FreeSurface(target);
}

}  // namespace
