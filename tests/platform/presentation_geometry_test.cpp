// SPDX-License-Identifier: MIT
// The picture of a full-screen mode: its place in each scaling, pointer
// positions mapped back, and the two scalers.
#include <gtest/gtest.h>

#include <vector>

#include "presentation/geometry.h"

namespace {

using platform::presentation::Rect;
using platform::presentation::Scaling;
namespace pr = platform::presentation;

TEST(Presentation, PictureRectInEachScaling) {
  struct Case {
    Scaling scaling;
    int areaW, areaH;
    Rect want;
  };
  // An 800x600 mode, worked by hand.
  const Case cases[] = {
      {Scaling::Aspect, 1920, 1080, {240, 0, 1440, 1080}},
      {Scaling::Integer, 1920, 1080, {560, 240, 800, 600}},
      {Scaling::Stretch, 1920, 1080, {0, 0, 1920, 1080}},
      {Scaling::Integer, 1700, 1300, {50, 50, 1600, 1200}},
      {Scaling::Aspect, 1000, 1000, {0, 125, 1000, 750}},   // bars above and below
      {Scaling::Integer, 700, 500, {17, 0, 666, 500}},      // not even 1x fits: aspect
      {Scaling::Aspect, 800, 600, {0, 0, 800, 600}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(pr::PictureRect(c.scaling, 800, 600, c.areaW, c.areaH), c.want)
        << static_cast<int>(c.scaling) << " in " << c.areaW << "x" << c.areaH;
  EXPECT_EQ(pr::FirstWindowSize(800, 600, 1280, 1024), (Rect{0, 0, 800, 600}));
  EXPECT_EQ(pr::FirstWindowSize(800, 600, 700, 500), (Rect{0, 0, 666, 500}));
}

TEST(Presentation, ARememberedWindowOpensOnAMonitorAndNotTooSmall) {
  // Two monitors side by side, the second lower and narrower.
  const std::vector<Rect> monitors{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  struct Case {
    Rect saved;
    int frameW, frameH, chosen;
    Rect want;
  };
  const Case cases[] = {
      {{100, 100, 640, 480}, 800, 600, 0, {100, 100, 640, 480}},
      {{100, 100, 50, 40}, 800, 600, 0, {100, 100, 200, 150}},    // a quarter of 800x600
      {{100, 100, 50, 40}, 0, 0, 0, {100, 100, 50, 40}},          // the mode not known yet
      {{100, 100, 50, 400}, 640, 480, 0, {100, 100, 160, 400}},   // each side on its own
      {{3100, 100, 640, 480}, 800, 600, 0, {3100, 100, 640, 480}},  // 100 pixels on the second
      {{3150, 100, 640, 480}, 800, 600, 1, {2240, 272, 640, 480}},  // 50: centred on the chosen
      {{3300, 100, 640, 480}, 800, 600, 0, {640, 300, 640, 480}},   // beyond the right edge
      {{-5000, -5000, 640, 480}, 800, 600, 7, {640, 300, 640, 480}},  // no monitor 7: the first
      {{500, 1050, 640, 480}, 800, 600, 0, {640, 300, 640, 480}},   // 30 pixels high is too little
      {{1900, 900, 640, 480}, 800, 600, 0, {1900, 900, 640, 480}},    // 620x124 of it on the second
      {{1900, 1000, 640, 480}, 800, 600, 0, {640, 300, 640, 480}},    // 20x80 and 620x24: too little
      {{-600, 10, 640, 480}, 800, 600, 0, {640, 300, 640, 480}},      // 40 wide
      {{10, 10, 100000, 100000}, 800, 600, 0, {10, 10, 3200, 1080}},  // no larger than both
  };
  for (const Case& c : cases)
    EXPECT_EQ(pr::RestoredWindow(c.saved, c.frameW, c.frameH, monitors, c.chosen), c.want)
        << c.saved.x << "," << c.saved.y << " " << c.saved.w << "x" << c.saved.h;
}

TEST(Presentation, PointerPositionsMapBackToThePicture) {
  const Rect shown{240, 0, 1440, 1080};  // 800x600, aspect, in 1920x1080
  struct Case {
    int x, y, wantX, wantY;
  };
  const Case cases[] = {
      {240, 0, 0, 0},        {1679, 1079, 799, 599},  // the picture's corners
      {960, 540, 400, 300},  {241, 1, 0, 0},          // 1.8 area pixels a picture pixel
      {243, 2, 1, 1},        {100, -5, 0, 0},         // on the left bar, above
      {2000, 2000, 799, 599},
  };
  for (const Case& c : cases) {
    int x = -1, y = -1;
    pr::ToPicture(shown, 800, 600, c.x, c.y, x, y);
    EXPECT_EQ(x, c.wantX) << c.x;
    EXPECT_EQ(y, c.wantY) << c.y;
  }
}

TEST(Presentation, ScalersSampleAsWorkedByHand) {
  // Black and blue, side by side, four times as wide: linear weighs the two
  // at output centres 1/8, 3/8, 5/8 and 7/8 of the way (0, 1/4, 3/4, 1 of
  // the distance between the input centres).
  const uint32_t two[2] = {0x000000, 0x0000FF};
  uint32_t out[4] = {};
  pr::ScaleLinear(two, 2, 1, 2, out, 4, 1, 4);
  EXPECT_EQ(std::vector<uint32_t>(out, out + 4), (std::vector<uint32_t>{0x00, 0x3F, 0xBF, 0xFF}));
  pr::ScaleNearest(two, 2, 1, 2, out, 4, 1, 4);
  EXPECT_EQ(std::vector<uint32_t>(out, out + 4), (std::vector<uint32_t>{0x00, 0x00, 0xFF, 0xFF}));

  // Rows of a column blend the same way, all three channels apart.
  const uint32_t column[2] = {0x204060, 0xA0C0E0};  // pitch 1
  uint32_t tall[4] = {};
  pr::ScaleLinear(column, 1, 2, 1, tall, 1, 4, 1);
  EXPECT_EQ(std::vector<uint32_t>(tall, tall + 4), (std::vector<uint32_t>{0x204060, 0x406080, 0x80A0C0, 0xA0C0E0}));
}

}  // namespace
