// SPDX-License-Identifier: MIT
// Surface creation, descriptions, locks, loss and restore, palettes and device
// contexts.
#include "ddraw_fixture.h"
#include "platform/wingdi.h"

namespace {

using ddtest::DDrawTest;

TEST_F(DDrawTest, CreationFollowsTheRequestedFormatOrTheDisplays) {
  struct Case {
    int depth;
    DWORD bits, r, g, b;
  } cases[] = {{8, 8, 0, 0, 0},
               {15, 16, 0x7C00, 0x3E0, 0x1F},
               {16, 16, 0xF800, 0x7E0, 0x1F},
               {24, 24, 0xFF0000, 0xFF00, 0xFF},
               {32, 32, 0xFF0000, 0xFF00, 0xFF}};
  for (const Case& c : cases) {
    auto* s = Make(3, 2, c.depth);
    ASSERT_NE(s, nullptr);
    DDPIXELFORMAT f{};
    f.dwSize = sizeof(f);
    ASSERT_EQ(s->GetPixelFormat(&f), DD_OK);
    EXPECT_EQ(f.dwRGBBitCount, c.bits);
    EXPECT_EQ(f.dwRBitMask, c.r);
    EXPECT_EQ(f.dwGBitMask, c.g);
    EXPECT_EQ(f.dwBBitMask, c.b);
    EXPECT_TRUE(f.dwFlags & DDPF_RGB);
    EXPECT_EQ((f.dwFlags & DDPF_PALETTEINDEXED8) != 0, c.depth == 8);
  }
  // No format given: the display's, which before any mode is the desktop's
  // 32 bits, and after a mode is set that mode's.
  DDPIXELFORMAT f{};
  ASSERT_EQ(Make(2, 2, 0)->GetPixelFormat(&f), DD_OK);
  EXPECT_EQ(f.dwRGBBitCount, 32u);
  ASSERT_EQ(FullScreen(800, 600, 16), DD_OK);
  ASSERT_EQ(Make(2, 2, 0)->GetPixelFormat(&f), DD_OK);
  EXPECT_EQ(f.dwRGBBitCount, 16u);
  EXPECT_EQ(f.dwGBitMask, 0x7E0u);
}

TEST_F(DDrawTest, CreationRefusesWhatItCannotMake) {
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  d.dwWidth = 0;
  d.dwHeight = 5;
  IDirectDrawSurface4* s = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPARAMS);
  d.dwWidth = 0xFFFFFFFFu;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_TOOBIGWIDTH);
  d.dwWidth = 16384;
  d.dwHeight = 16384;  // 1 GB at 32 bits
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_TOOBIGSIZE);
  d.dwWidth = d.dwHeight = 4;
  d.dwFlags |= DDSD_PIXELFORMAT;
  d.ddpfPixelFormat = ddtest::Format(16);
  d.ddpfPixelFormat.dwGBitMask = 0x0FE0;  // overlaps red
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPIXELFORMAT);
  d.ddpfPixelFormat = ddtest::Format(16);
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY | DDSCAPS_SYSTEMMEMORY;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_INVALIDCAPS);
  d.dwSize = 100;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s, nullptr);
  // The platform's own size figure for the description is taken too.
  d.dwSize = DDSURFACEDESC2_PLATFORM_SIZE;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  ASSERT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
  surfaces.push_back(s);

  platform::headless::FailSurfaceCreations(1, DDERR_OUTOFVIDEOMEMORY);
  IDirectDrawSurface4* t = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &t, nullptr), DDERR_OUTOFVIDEOMEMORY);
  ASSERT_EQ(dd->CreateSurface(&d, &t, nullptr), DD_OK);
  surfaces.push_back(t);
}

TEST_F(DDrawTest, VideoMemoryRunsOutAndTheDriversChoiceFallsBackToSystemMemory) {
  platform::headless::SetVideoMemory(100 * 100 * 2 + 1000);
  auto* video = Make(100, 100, 16, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  ASSERT_NE(video, nullptr);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
  d.dwWidth = d.dwHeight = 100;
  IDirectDrawSurface4* s = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_OUTOFVIDEOMEMORY);
  auto* chosen = Make(100, 100, 16, DDSCAPS_OFFSCREENPLAIN);
  DDSCAPS2 caps{};
  ASSERT_EQ(chosen->GetCaps(&caps), DD_OK);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY);
  DDCAPS hw{}, hel{};
  hw.dwSize = hel.dwSize = sizeof(DDCAPS);
  ASSERT_EQ(dd->GetCaps(&hw, &hel), DD_OK);
  EXPECT_EQ(hw.dwVidMemTotal, 100u * 100 * 2 + 1000);
  EXPECT_LT(hw.dwVidMemFree, 1000u + 1);
  EXPECT_TRUE(hel.dwCaps & DDCAPS_BLTSTRETCH);
  hw.dwSize = 124;
  EXPECT_EQ(dd->GetCaps(&hw, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DDrawTest, LockHandsOutMemoryAndPitch) {
  auto* s = Make(5, 4, 24);
  Put(s, 4, 3, 0xABCDEF);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  RECT r{1, 2, 5, 4};
  ASSERT_EQ(s->Lock(&r, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(d.dwWidth, 5u);
  EXPECT_GE(d.lPitch, 15);
  EXPECT_TRUE(d.dwFlags & DDSD_LPSURFACE);
  auto* p = static_cast<uint8_t*>(d.lpSurface) + d.lPitch + 3 * 3;  // (4, 3)
  EXPECT_EQ(p[0] | (p[1] << 8) | (p[2] << 16), 0xABCDEF);
  ASSERT_EQ(s->Unlock(nullptr), DD_OK);
  RECT outside{3, 0, 6, 1};
  EXPECT_EQ(s->Lock(&outside, &d, 0, nullptr), DDERR_INVALIDRECT);
  d.dwSize = 0;
  EXPECT_EQ(s->Lock(nullptr, &d, 0, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DDrawTest, LockWithoutWaitCanBeToldToTryAgain) {
  auto* s = Make(2, 2, 16);
  platform::headless::LockStillDrawing(2);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  EXPECT_EQ(s->Lock(nullptr, &d, 0, nullptr), DDERR_WASSTILLDRAWING);
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK) << "a waiting lock is never told to try again";
  s->Unlock(nullptr);
  EXPECT_EQ(s->Lock(nullptr, &d, 0, nullptr), DDERR_WASSTILLDRAWING);
  ASSERT_EQ(s->Lock(nullptr, &d, 0, nullptr), DD_OK);
  s->Unlock(nullptr);
}

TEST_F(DDrawTest, LostSurfacesRefuseWorkUntilRestoredEmpty) {
  auto* video = Make(4, 4, 16, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  auto* chosen = Make(4, 4, 16, DDSCAPS_OFFSCREENPLAIN);
  auto* system = Make(4, 4, 16);
  for (auto* s : {video, chosen, system}) ASSERT_EQ(Fill(s, nullptr, 0x1234), DD_OK);
  platform::headless::LoseAllSurfaces();
  EXPECT_EQ(system->IsLost(), DD_OK) << "system memory is never lost";
  for (auto* s : {video, chosen}) {
    EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(Fill(s, nullptr, 1), DDERR_SURFACELOST);
    EXPECT_EQ(s->BltFast(0, 0, system, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(system->BltFast(0, 0, s, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(system->Blt(nullptr, s, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    HDC dc = nullptr;
    EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACELOST);
    ASSERT_EQ(s->Restore(), DD_OK);
    EXPECT_EQ(s->IsLost(), DD_OK);
    for (uint32_t v : All(s)) ASSERT_EQ(v, 0u) << "a restored surface comes back empty";
  }
  EXPECT_EQ(Get(system, 3, 3), 0x1234u);
}

TEST_F(DDrawTest, SurfaceLostWhileLockedKeepsItsMemoryUntilUnlocked) {
  auto* s = Make(4, 4, 16, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  platform::headless::LoseAllSurfaces();
  static_cast<uint16_t*>(d.lpSurface)[0] = 7;  // still valid memory
  EXPECT_EQ(s->Unlock(nullptr), DD_OK);
  EXPECT_EQ(s->Restore(), DD_OK);
}

TEST_F(DDrawTest, PaletteEntriesReadAndWriteInRange) {
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i)
    entries[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
  IDirectDrawPalette* p = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &p, nullptr), DD_OK);
  PALETTEENTRY one[2] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
  ASSERT_EQ(p->SetEntries(0, 254, 2, one), DD_OK);
  PALETTEENTRY back[3] = {};
  ASSERT_EQ(p->GetEntries(0, 253, 3, back), DD_OK);
  EXPECT_EQ(back[0].peRed, 253);
  EXPECT_EQ(back[1].peBlue, 3);
  EXPECT_EQ(back[2].peFlags, 8);
  EXPECT_EQ(p->GetEntries(0, 255, 2, back), DDERR_INVALIDPARAMS);
  EXPECT_EQ(p->SetEntries(0, 0xFFFFFFFFu, 2, one), DDERR_INVALIDPARAMS) << "start + count must not wrap around";
  IDirectDrawPalette* none = nullptr;
  EXPECT_EQ(dd->CreatePalette(DDPCAPS_8BIT, nullptr, &none, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(none, nullptr);

  // A palette attaches to 8-bit surfaces only.
  auto* eight = Make(2, 2, 8);
  auto* sixteen = Make(2, 2, 16);
  EXPECT_EQ(eight->SetPalette(p), DD_OK);
  EXPECT_EQ(sixteen->SetPalette(p), DDERR_INVALIDPIXELFORMAT);
  IDirectDrawPalette* got = nullptr;
  ASSERT_EQ(eight->GetPalette(&got), DD_OK);
  EXPECT_EQ(got, p);
  got->Release();
  p->Release();  // the surface still holds it
  ASSERT_EQ(eight->GetPalette(&got), DD_OK);
  got->Release();
}

TEST_F(DDrawTest, DeviceContextDrawsIntoTheSurface) {
  auto* s = Make(8, 8, 16);
  HDC dc = nullptr;
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  ASSERT_NE(dc, nullptr);
  HDC second = nullptr;
  EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
  EXPECT_EQ(Fill(s, nullptr, 1), DDERR_SURFACEBUSY) << "a surface with a device context out is busy";
  SetPixel(dc, 3, 2, RGB(255, 0, 0));
  ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(s->ReleaseDC(dc), DDERR_NODC);
  EXPECT_EQ(Get(s, 3, 2), 0xF800u);

  // An 8-bit surface without a palette of its own draws through the colours it
  // is shown with: pure blue is entry 3 of the default colours.
  auto* eight = Make(4, 4, 8);
  ASSERT_EQ(eight->GetDC(&dc), DD_OK);
  SetPixel(dc, 1, 1, RGB(0, 0, 255));
  ASSERT_EQ(eight->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(Get(eight, 1, 1), 3u);
}

}  // namespace
