// SPDX-License-Identifier: MIT
// Device contexts on pixel memory: colour conversion into each pixel format,
// single pixels, clipping of pixels, handles, desktop facts.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gdi/surface_dc.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace {

using platform::gdi::PixelTarget;

struct Buffer {
  std::vector<uint8_t> bytes;
  PixelTarget target;
  std::vector<PALETTEENTRY> palette;

  Buffer(int w, int h, int bits, uint32_t r = 0, uint32_t g = 0, uint32_t b = 0) {
    int pitch = (w * (bits / 8) + 3) & ~3;
    pitch += 4;  // a pitch wider than the row, as surfaces have
    bytes.assign(static_cast<size_t>(pitch) * h, 0);
    target.bits = bytes.data();
    target.width = w;
    target.height = h;
    target.pitch = pitch;
    target.bitCount = bits;
    target.redMask = r;
    target.greenMask = g;
    target.blueMask = b;
  }
  uint32_t Raw(int x, int y) const {
    const uint8_t* p = bytes.data() + y * target.pitch + x * (target.bitCount / 8);
    uint32_t v = 0;
    std::memcpy(&v, p, target.bitCount / 8);
    return v;
  }
};

class GdiDc : public ::testing::Test {
 protected:
  void SetUp() override { platform::headless::Reset(); }
};

TEST_F(GdiDc, SetPixelStoresTheColourInEachFormat) {
  struct Case {
    int bits;
    uint32_t r, g, b;
    COLORREF color;
    uint32_t raw;
  } cases[] = {
      {16, 0x7C00, 0x03E0, 0x001F, RGB(255, 0, 0), 0x7C00},
      {16, 0x7C00, 0x03E0, 0x001F, RGB(8, 16, 255), 0x0000 | 1 << 10 | 2 << 5 | 31},
      {16, 0xF800, 0x07E0, 0x001F, RGB(255, 255, 255), 0xFFFF},
      {16, 0xF800, 0x07E0, 0x001F, RGB(0, 4, 0), 1 << 5},
      {16, 0xF800, 0x07E0, 0x001F, RGB(0x12, 0x34, 0x56), (0x12 >> 3) << 11 | (0x34 >> 2) << 5 | (0x56 >> 3)},
      {16, 0, 0, 0, RGB(255, 0, 0), 0x7C00},  // no masks: 5-5-5
      {24, 0xFF0000, 0xFF00, 0xFF, RGB(0x12, 0x34, 0x56), 0x123456},
      {32, 0xFF0000, 0xFF00, 0xFF, RGB(0x12, 0x34, 0x56), 0x00123456},
      {32, 0xFF, 0xFF00, 0xFF0000, RGB(0x12, 0x34, 0x56), 0x00563412},  // red in the low byte
  };
  for (const Case& c : cases) {
    Buffer buf(4, 3, c.bits, c.r, c.g, c.b);
    HDC dc = platform::gdi::CreateSurfaceDC(buf.target);
    ASSERT_NE(dc, nullptr);
    SetPixel(dc, 2, 1, c.color);
    EXPECT_EQ(buf.Raw(2, 1), c.raw) << c.bits << " bits, colour " << std::hex << c.color;
    EXPECT_EQ(buf.Raw(1, 1), 0u);
    // Reading back and writing what was read keeps the raw value.
    COLORREF back = GetPixel(dc, 2, 1);
    SetPixel(dc, 0, 0, back);
    EXPECT_EQ(buf.Raw(0, 0), c.raw);
    platform::gdi::ReleaseSurfaceDC(dc);
  }
}

TEST_F(GdiDc, GetPixelExpandsChannelsToFullRange) {
  Buffer buf(2, 1, 16, 0xF800, 0x07E0, 0x001F);
  uint16_t white = 0xFFFF, mid = 0x8410;  // 10000 100000 10000
  std::memcpy(buf.bytes.data(), &white, 2);
  std::memcpy(buf.bytes.data() + 2, &mid, 2);
  HDC dc = platform::gdi::CreateSurfaceDC(buf.target);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0x84, 0x82, 0x84));
  EXPECT_EQ(GetPixel(dc, 2, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(dc, 0, 1, 0), CLR_INVALID);
  platform::gdi::ReleaseSurfaceDC(dc);
}

TEST_F(GdiDc, EightBitTargetsTakeTheNearestPaletteEntry) {
  Buffer buf(4, 1, 8);
  buf.palette.assign(256, PALETTEENTRY{0, 0, 0, 0});
  buf.palette[7] = {250, 10, 10, 0};
  buf.palette[9] = {10, 10, 240, 0};
  buf.palette[200] = {255, 255, 255, 0};
  buf.target.palette = buf.palette.data();
  HDC dc = platform::gdi::CreateSurfaceDC(buf.target);
  SetPixel(dc, 0, 0, RGB(255, 0, 0));
  SetPixel(dc, 1, 0, RGB(0, 0, 200));
  SetPixel(dc, 2, 0, RGB(230, 230, 230));
  SetPixel(dc, 3, 0, RGB(1, 2, 3));
  EXPECT_EQ(buf.Raw(0, 0), 7u);
  EXPECT_EQ(buf.Raw(1, 0), 9u);
  EXPECT_EQ(buf.Raw(2, 0), 200u);
  EXPECT_EQ(buf.Raw(3, 0), 0u);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(250, 10, 10));
  // A palette changed while the DC is held is seen by the next call.
  buf.palette[7] = {0, 0, 0, 0};
  buf.palette[8] = {255, 0, 0, 0};
  SetPixel(dc, 0, 0, RGB(255, 0, 0));
  EXPECT_EQ(buf.Raw(0, 0), 8u);
  platform::gdi::ReleaseSurfaceDC(dc);
}

TEST_F(GdiDc, EightBitTargetWithoutPaletteUsesTheDefaultOne) {
  Buffer buf(2, 1, 8);
  HDC dc = platform::gdi::CreateSurfaceDC(buf.target);
  SetPixel(dc, 0, 0, RGB(255, 255, 255));
  SetPixel(dc, 1, 0, RGB(0, 0, 255));
  EXPECT_EQ(buf.Raw(0, 0), 255u);
  EXPECT_EQ(buf.Raw(1, 0), 3u);
  platform::gdi::ReleaseSurfaceDC(dc);
}

TEST_F(GdiDc, InvalidTargetsAndHandlesAreRefused) {
  Buffer buf(4, 4, 32);
  PixelTarget t = buf.target;
  t.bitCount = 12;
  EXPECT_EQ(platform::gdi::CreateSurfaceDC(t), nullptr);
  t = buf.target;
  t.pitch = 8;  // shorter than a row
  EXPECT_EQ(platform::gdi::CreateSurfaceDC(t), nullptr);
  t = buf.target;
  t.bits = nullptr;
  EXPECT_EQ(platform::gdi::CreateSurfaceDC(t), nullptr);

  HDC dc = platform::gdi::CreateSurfaceDC(buf.target);
  platform::gdi::ReleaseSurfaceDC(dc);
  // A released DC is not followed any more.
  EXPECT_EQ(SetPixel(dc, 0, 0, 0), CLR_INVALID);
  EXPECT_EQ(SetBkMode(dc, OPAQUE), 0);
  EXPECT_EQ(SetTextColor(nullptr, 0), CLR_INVALID);
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(&buf)));
}

TEST_F(GdiDc, AttributeSettersReturnThePreviousValue) {
  Buffer buf(4, 4, 32);
  HDC dc = platform::gdi::CreateSurfaceDC(buf.target);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, OPAQUE), TRANSPARENT);
  EXPECT_EQ(SetBkMode(dc, 7), 0);
  EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(SetTextColor(dc, 0), RGB(1, 2, 3));
  EXPECT_EQ(SetBkColor(dc, RGB(4, 5, 6)), RGB(255, 255, 255));
  EXPECT_EQ(GetBkColor(dc), RGB(4, 5, 6));
  platform::gdi::ReleaseSurfaceDC(dc);
}

TEST_F(GdiDc, ClipRegionLimitsPixels) {
  Buffer buf(8, 8, 32);
  HDC dc = platform::gdi::CreateSurfaceDC(buf.target);
  HRGN rgn = CreateRectRgn(6, 6, 2, 2);  // corners in either order
  EXPECT_EQ(SelectClipRgn(dc, rgn), SIMPLEREGION);
  DeleteObject(rgn);  // the DC keeps its own copy
  EXPECT_EQ(SetPixel(dc, 1, 1, 0xFFFFFF), CLR_INVALID);
  EXPECT_NE(SetPixel(dc, 2, 2, 0xFFFFFF), CLR_INVALID);
  EXPECT_EQ(SetPixel(dc, 6, 2, 0xFFFFFF), CLR_INVALID);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.right, 6);
  EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
  EXPECT_NE(SetPixel(dc, 1, 1, 0xFFFFFF), CLR_INVALID);
  HRGN empty = CreateRectRgn(3, 3, 3, 9);
  EXPECT_EQ(SelectClipRgn(dc, empty), NULLREGION);
  EXPECT_EQ(SetPixel(dc, 3, 3, 0xFFFFFF), CLR_INVALID);
  DeleteObject(empty);
  platform::gdi::ReleaseSurfaceDC(dc);
}

TEST_F(GdiDc, DesktopFactsComeFromTheBackend) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  // The headless desktop.
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1280);
  EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 1024);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES), 32);
  // The desktop has no pixels to draw into here.
  EXPECT_EQ(SetPixel(screen, 0, 0, 0), CLR_INVALID);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_FALSE(DeleteDC(screen));
  // A surface's DC reports the surface.
  Buffer buf(5, 7, 16, 0xF800, 0x07E0, 0x001F);
  HDC dc = platform::gdi::CreateSurfaceDC(buf.target);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 5);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 7);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 16);
  platform::gdi::ReleaseSurfaceDC(dc);
}

}  // namespace
