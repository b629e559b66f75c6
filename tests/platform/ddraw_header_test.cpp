// SPDX-License-Identifier: MIT
// The DirectDraw records keep the platform's layouts where a pointer does not
// force another one.
#include <cstddef>

#include <gtest/gtest.h>

#include "platform/ddraw.h"

TEST(DDrawHeader, RecordLayouts) {
  EXPECT_EQ(offsetof(DDPIXELFORMAT, dwRGBBitCount), 12u);
  EXPECT_EQ(offsetof(DDPIXELFORMAT, dwRGBAlphaBitMask), 28u);
  EXPECT_EQ(offsetof(DDBLTFX, dwDDFX), 4u);
  EXPECT_EQ(offsetof(DDBLTFX, dwFillColor), 80u);
  EXPECT_EQ(offsetof(DDBLTFX, ddckSrcColorkey), 92u);
  EXPECT_EQ(offsetof(DDCAPS, dwRops), 100u);
  EXPECT_EQ(offsetof(DDCAPS, ddsCaps), 364u);
  EXPECT_EQ(offsetof(DDSURFACEDESC2, lPitch), 16u);
  EXPECT_EQ(offsetof(DDSURFACEDESC2, dwReserved), 32u);
  EXPECT_EQ(offsetof(DDSURFACEDESC2, ddckCKSrcBlt) - offsetof(DDSURFACEDESC2, ddckCKDestOverlay), 24u);
  EXPECT_EQ(offsetof(DDSURFACEDESC2, ddsCaps) - offsetof(DDSURFACEDESC2, ddpfPixelFormat), 32u);
}

TEST(DDrawHeader, ResultCodes) {
  EXPECT_EQ(static_cast<uint32_t>(DDERR_SURFACELOST), 0x887601C2u);
  EXPECT_EQ(static_cast<uint32_t>(DDERR_WASSTILLDRAWING), 0x8876021Cu);
  EXPECT_EQ(static_cast<uint32_t>(DDERR_NOTPAGELOCKED), 0x887602A8u);
  EXPECT_EQ(DDERR_GENERIC, E_FAIL);
  EXPECT_EQ(DD_OK, 0);
}
