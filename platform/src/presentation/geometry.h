// SPDX-License-Identifier: MIT
// Where a full-screen mode's picture goes on the monitor or in the window, and
// how it is scaled there: the picture's rectangle in each scaling, the first
// window size, pointer positions mapped back to picture pixels, and the two
// scalers. Every backend shows frames through these, so that the pixel under
// the pointer is the pixel the player sees.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::presentation {

enum class Scaling { Aspect, Integer, Stretch };

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const Rect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

// Where a frame of frameW x frameH goes in an area of areaW x areaH.
Rect PictureRect(Scaling scaling, int frameW, int frameH, int areaW, int areaH);
// The first size of the window for a mode: the largest whole multiple of it
// that fits the area, or where not even one fits, the largest with the aspect kept.
Rect FirstWindowSize(int frameW, int frameH, int areaW, int areaH);
// The smallest window for a mode of frameW x frameH: a quarter of it each way,
// so that a window shrunk by accident still shows the game.
Rect WindowFloor(int frameW, int frameH);
// Where a window remembered at saved (its client area's place and size)
// opens, given the monitors' work areas and the one chosen: no smaller than
// the floor of the mode (frameW 0 while the mode is not known yet), no larger
// than all monitors together, and centred on the chosen monitor (the first,
// where there is no such one) when too little of it would be on any monitor
// to see it and take hold of it.
Rect RestoredWindow(const Rect& saved, int frameW, int frameH, const std::vector<Rect>& monitors, int chosen);
// A point of the area mapped back to the picture pixel shown there, clamped to
// the picture (a point on a bar gives the nearest edge pixel).
void ToPicture(const Rect& shown, int frameW, int frameH, int x, int y, int& pictureX, int& pictureY);

// Scalers of 0x00RRGGBB pixels: the frame (pitches in pixels) into outW x outH
// pixels at out. Nearest takes the pixel under each output pixel's centre
// (the pixel ToPicture names); linear weighs the four around it.
void ScaleNearest(const uint32_t* in, int inW, int inH, int inPitch, uint32_t* out, int outW, int outH, int outPitch);
void ScaleLinear(const uint32_t* in, int inW, int inH, int inPitch, uint32_t* out, int outW, int outH, int outPitch);

}  // namespace platform::presentation
