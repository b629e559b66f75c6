// SPDX-License-Identifier: MIT
// The picture's place and the scalers.
#include "presentation/geometry.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace platform::presentation {

Rect PictureRect(Scaling scaling, int frameW, int frameH, int areaW, int areaH) {
  if (areaW <= 0 || areaH <= 0) return {};
  if (scaling == Scaling::Stretch || frameW <= 0 || frameH <= 0) return {0, 0, areaW, areaH};
  if (scaling == Scaling::Integer) {
    int k = std::min(areaW / frameW, areaH / frameH);
    if (k >= 1) return {(areaW - k * frameW) / 2, (areaH - k * frameH) / 2, k * frameW, k * frameH};
  }
  // Aspect kept: the side that limits the scale fills the area.
  int64_t w = areaW, h = areaH;
  if (static_cast<int64_t>(areaW) * frameH <= static_cast<int64_t>(areaH) * frameW)
    h = std::max<int64_t>(1, static_cast<int64_t>(areaW) * frameH / frameW);
  else
    w = std::max<int64_t>(1, static_cast<int64_t>(areaH) * frameW / frameH);
  return {static_cast<int>((areaW - w) / 2), static_cast<int>((areaH - h) / 2), static_cast<int>(w),
          static_cast<int>(h)};
}

Rect FirstWindowSize(int frameW, int frameH, int areaW, int areaH) {
  Rect r = PictureRect(Scaling::Integer, frameW, frameH, areaW, areaH);
  return {0, 0, r.w, r.h};
}

Rect WindowFloor(int frameW, int frameH) {
  return {0, 0, std::max(1, (frameW + 3) / 4), std::max(1, (frameH + 3) / 4)};
}

Rect RestoredWindow(const Rect& saved, int frameW, int frameH, const std::vector<Rect>& monitors, int chosen) {
  Rect r = saved;
  if (frameW > 0 && frameH > 0) {
    Rect floor = WindowFloor(frameW, frameH);
    r.w = std::max(r.w, floor.w);
    r.h = std::max(r.h, floor.h);
  }
  if (monitors.empty()) return r;
  int left = monitors[0].x, top = monitors[0].y, right = left + monitors[0].w, bottom = top + monitors[0].h;
  for (const Rect& m : monitors) {
    left = std::min(left, m.x);
    top = std::min(top, m.y);
    right = std::max(right, m.x + m.w);
    bottom = std::max(bottom, m.y + m.h);
  }
  r.w = std::min(r.w, right - left);
  r.h = std::min(r.h, bottom - top);
  // Enough of it to see and to drag: this much each way, or all of it.
  constexpr int kHold = 64;
  for (const Rect& m : monitors) {
    int64_t seenW = std::min<int64_t>(int64_t{r.x} + r.w, int64_t{m.x} + m.w) - std::max(r.x, m.x);
    int64_t seenH = std::min<int64_t>(int64_t{r.y} + r.h, int64_t{m.y} + m.h) - std::max(r.y, m.y);
    if (seenW >= std::min(r.w, kHold) && seenH >= std::min(r.h, kHold)) return r;
  }
  const Rect& m = monitors[chosen >= 0 && static_cast<size_t>(chosen) < monitors.size() ? chosen : 0];
  r.x = m.x + (m.w - r.w) / 2;
  r.y = m.y + (m.h - r.h) / 2;
  return r;
}

void ToPicture(const Rect& shown, int frameW, int frameH, int x, int y, int& pictureX, int& pictureY) {
  // The same sampling as the nearest scaler: the picture pixel under the
  // centre of the area's pixel.
  auto map = [](int at, int origin, int shownSize, int frameSize) {
    if (shownSize <= 0 || frameSize <= 0) return 0;
    int64_t offset = static_cast<int64_t>(at) - origin;
    if (offset < 0) return 0;
    int64_t p = (2 * offset + 1) * frameSize / (2 * static_cast<int64_t>(shownSize));
    return static_cast<int>(std::min<int64_t>(p, frameSize - 1));
  };
  pictureX = map(x, shown.x, shown.w, frameW);
  pictureY = map(y, shown.y, shown.h, frameH);
}

void ScaleNearest(const uint32_t* in, int inW, int inH, int inPitch, uint32_t* out, int outW, int outH,
                  int outPitch) {
  if (inW <= 0 || inH <= 0 || outW <= 0 || outH <= 0) return;
  std::vector<int> columns(static_cast<size_t>(outW));
  for (int x = 0; x < outW; ++x)
    columns[static_cast<size_t>(x)] =
        static_cast<int>((2 * static_cast<int64_t>(x) + 1) * inW / (2 * static_cast<int64_t>(outW)));
  int previous = -1;
  for (int y = 0; y < outH; ++y) {
    uint32_t* row = out + static_cast<ptrdiff_t>(y) * outPitch;
    int from = static_cast<int>((2 * static_cast<int64_t>(y) + 1) * inH / (2 * static_cast<int64_t>(outH)));
    if (from == previous) {
      // The same frame row as the one above: a copy of that.
      memcpy(row, row - outPitch, static_cast<size_t>(outW) * 4);
      continue;
    }
    previous = from;
    const uint32_t* src = in + static_cast<ptrdiff_t>(from) * inPitch;
    for (int x = 0; x < outW; ++x) row[x] = src[columns[static_cast<size_t>(x)]];
  }
}

namespace {

// Sample positions of a linear scale in 1/256 pixel: output pixel i's centre
// in input pixels, less half a pixel, clamped to the input's first and last
// pixel centres. Returns the left input pixel and the weight of the right one.
struct Tap {
  int at;
  uint32_t weight;  // 0..255
};
std::vector<Tap> Taps(int inSize, int outSize) {
  std::vector<Tap> taps(static_cast<size_t>(outSize));
  for (int i = 0; i < outSize; ++i) {
    int64_t pos = (2 * static_cast<int64_t>(i) + 1) * inSize * 128 / outSize - 128;
    pos = std::clamp<int64_t>(pos, 0, static_cast<int64_t>(inSize - 1) * 256);
    taps[static_cast<size_t>(i)] = {static_cast<int>(pos >> 8), static_cast<uint32_t>(pos & 255)};
  }
  return taps;
}

// a + (b - a) * w / 256 on each 8-bit channel, two channels at a time.
inline uint32_t Blend(uint32_t a, uint32_t b, uint32_t w) {
  uint32_t rb = ((a & 0xFF00FF) * (256 - w) + (b & 0xFF00FF) * w) >> 8;
  uint32_t g = ((a & 0x00FF00) * (256 - w) + (b & 0x00FF00) * w) >> 8;
  return (rb & 0xFF00FF) | (g & 0x00FF00);
}

// Blend() over whole rows, byte by byte, in a form the compiler turns into
// vector code: the vertical half of the work, where every pixel of a row has
// the same weight.
void BlendRows(const uint32_t* a, const uint32_t* b, uint32_t* out, int pixels, uint32_t w) {
  const auto* pa = reinterpret_cast<const uint8_t*>(a);
  const auto* pb = reinterpret_cast<const uint8_t*>(b);
  auto* po = reinterpret_cast<uint8_t*>(out);
  const uint16_t wb = static_cast<uint16_t>(w), wa = static_cast<uint16_t>(256 - w);
  for (size_t i = 0, n = static_cast<size_t>(pixels) * 4; i < n; ++i)
    po[i] = static_cast<uint8_t>((pa[i] * wa + pb[i] * wb) >> 8);
}

}  // namespace

void ScaleLinear(const uint32_t* in, int inW, int inH, int inPitch, uint32_t* out, int outW, int outH,
                 int outPitch) {
  if (inW <= 0 || inH <= 0 || outW <= 0 || outH <= 0) return;
  std::vector<Tap> columns = Taps(inW, outW), rows = Taps(inH, outH);
  // The two input rows an output row lies between, each scaled across once
  // and kept while the next output rows use them.
  std::vector<uint32_t> upper(static_cast<size_t>(outW)), lower(static_cast<size_t>(outW));
  int upperRow = -1, lowerRow = -1;
  auto across = [&](int row, std::vector<uint32_t>& into) {
    const uint32_t* src = in + static_cast<ptrdiff_t>(row) * inPitch;
    for (int x = 0; x < outW; ++x) {
      const Tap& t = columns[static_cast<size_t>(x)];
      into[static_cast<size_t>(x)] = Blend(src[t.at], src[std::min(t.at + 1, inW - 1)], t.weight);
    }
  };
  for (int y = 0; y < outH; ++y) {
    const Tap& t = rows[static_cast<size_t>(y)];
    int next = std::min(t.at + 1, inH - 1);
    if (upperRow != t.at) {
      if (lowerRow == t.at) {
        upper.swap(lower);
      } else {
        across(t.at, upper);
      }
      upperRow = t.at;
      lowerRow = -1;
    }
    uint32_t* row = out + static_cast<ptrdiff_t>(y) * outPitch;
    if (t.weight == 0) {
      memcpy(row, upper.data(), static_cast<size_t>(outW) * 4);
      continue;
    }
    if (lowerRow != next) {
      across(next, lower);
      lowerRow = next;
    }
    BlendRows(upper.data(), lower.data(), row, outW, t.weight);
  }
}

}  // namespace platform::presentation
