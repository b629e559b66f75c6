// SPDX-License-Identifier: MIT
// The display: drivers, cooperative levels and modes, the flipping chain,
// presentation and its read-back, the emulated vertical blank, focus, and the
// windowed primary surface with its clipper.
#include <string>

#include "ddraw_fixture.h"

namespace {

using ddtest::DDrawTest;

struct Driver {
  bool hasGuid;
  GUID guid;
  std::string description, name;
};

BOOL Collect(GUID* guid, LPSTR description, LPSTR name, LPVOID context, HMONITOR) {
  auto* out = static_cast<std::vector<Driver>*>(context);
  out->push_back({guid != nullptr, guid ? *guid : GUID{}, description, name});
  return TRUE;
}

TEST_F(DDrawTest, DriversArePrimaryDisplayAndASecondOneThatOpens) {
  std::vector<Driver> drivers;
  ASSERT_EQ(DirectDrawEnumerateExA(Collect, &drivers, 0), DD_OK);
  ASSERT_EQ(drivers.size(), 1u);
  EXPECT_FALSE(drivers[0].hasGuid);
  EXPECT_EQ(drivers[0].description, "Primary Display Driver");
  EXPECT_EQ(drivers[0].name, "display");
  drivers.clear();
  ASSERT_EQ(DirectDrawEnumerateExA(Collect, &drivers, DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES),
            DD_OK);
  ASSERT_EQ(drivers.size(), 2u);
  ASSERT_TRUE(drivers[1].hasGuid);
  IDirectDraw* second = nullptr;
  ASSERT_EQ(DirectDrawCreate(&drivers[1].guid, &second, nullptr), DD_OK);
  second->Release();
  GUID unknown = drivers[1].guid;
  unknown.Data1 ^= 1;
  EXPECT_EQ(DirectDrawCreate(&unknown, &second, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
  platform::headless::FailDirectDrawCreate(DDERR_NODIRECTDRAWHW);
  EXPECT_EQ(DirectDrawCreate(nullptr, &second, nullptr), DDERR_NODIRECTDRAWHW);
  EXPECT_EQ(second, nullptr);
}

TEST_F(DDrawTest, QueryInterfaceSharesOneObject) {
  IDirectDraw* first = nullptr;
  ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&first)), S_OK);
  IDirectDrawSurface4* wrong = nullptr;
  EXPECT_EQ(first->QueryInterface(IID_IDirectDrawSurface4, reinterpret_cast<void**>(&wrong)), E_NOINTERFACE);
  EXPECT_EQ(first->Release(), 1u) << "the fixture's IDirectDraw4 still holds the object";
}

HRESULT CountMode(LPDDSURFACEDESC2 desc, LPVOID context) {
  auto* modes = static_cast<std::vector<std::string>*>(context);
  modes->push_back(std::to_string(desc->dwWidth) + "x" + std::to_string(desc->dwHeight) + "x" +
                   std::to_string(desc->ddpfPixelFormat.dwRGBBitCount));
  return DDENUMRET_OK;
}

TEST_F(DDrawTest, ModesIncludeTheCommonOnesAndTheDesktops) {
  platform::headless::SetDesktopSize(1366, 768);
  std::vector<std::string> modes;
  ASSERT_EQ(dd->EnumDisplayModes(DDEDM_STANDARDVGAMODES, nullptr, &modes, CountMode), DD_OK);
  for (const char* m : {"640x480x8", "640x480x16", "800x600x16", "800x600x32", "1024x768x32", "1280x1024x16",
                        "1366x768x16", "1366x768x32"})
    EXPECT_NE(std::find(modes.begin(), modes.end(), m), modes.end()) << m;
  // Every listed mode can be set; others cannot.
  ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DDERR_NOCOOPERATIVELEVELSET);
  ASSERT_EQ(FullScreen(1366, 768, 8), DD_OK);
  EXPECT_EQ(dd->SetDisplayMode(801, 600, 16, 0, 0), DDERR_INVALIDMODE);
  EXPECT_EQ(dd->SetDisplayMode(800, 600, 12, 0, 0), DDERR_INVALIDMODE);
  DDSURFACEDESC2 mode{};
  mode.dwSize = sizeof(mode);
  ASSERT_EQ(dd->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 1366u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 8u);
}

TEST_F(DDrawTest, CooperativeLevelsAndTheFullScreenWindow) {
  EXPECT_EQ(dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX),
            DD_OK);
  EXPECT_TRUE(platform::headless::Windows()[0].fullScreen);
  IDirectDraw* other = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
  IDirectDraw4* other4 = nullptr;
  ASSERT_EQ(other->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&other4)), S_OK);
  other->Release();
  EXPECT_EQ(other4->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DDERR_EXCLUSIVEMODEALREADYSET);
  EXPECT_EQ(other4->SetDisplayMode(640, 480, 8, 0, 0), DDERR_NOCOOPERATIVELEVELSET);
  ASSERT_EQ(other4->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  EXPECT_EQ(other4->SetDisplayMode(640, 480, 8, 0, 0), DDERR_NOEXCLUSIVEMODE);
  other4->Release();
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  EXPECT_FALSE(platform::headless::Windows()[0].fullScreen);
}

TEST_F(DDrawTest, FlippingChainSwapsContentsAndShowsTheNewFront) {
  ASSERT_EQ(FullScreen(640, 480, 16), DD_OK);
  IDirectDrawSurface4* back = nullptr;
  auto* front = Chain(1, &back);
  ASSERT_NE(back, nullptr);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  ASSERT_EQ(front->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(d.dwWidth, 640u);
  EXPECT_EQ(d.dwBackBufferCount, 1u);
  ASSERT_EQ(Fill(front, nullptr, 0x001F), DD_OK);
  ASSERT_EQ(Fill(back, nullptr, 0xF800), DD_OK);
  uint64_t shown = platform::headless::PresentedFrameCount();
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(platform::headless::PresentedFrameCount(), shown + 1);
  EXPECT_EQ(Get(front, 10, 10), 0xF800u);
  EXPECT_EQ(Get(back, 10, 10), 0x001Fu);
  const auto* frame = platform::headless::LastFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->width, 640);
  EXPECT_EQ(frame->pixels[0], 0xFF0000u);
  // The flip is shown in the display's own format too.
  EXPECT_EQ(frame->bitsPerPixel, 16);
  EXPECT_EQ(frame->greenMask, 0x7E0u);
  ASSERT_EQ(frame->raw.size(), 640u * 480 * 2);
  EXPECT_EQ(frame->raw[0] | (frame->raw[1] << 8), 0xF800);

  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
  auto* plain = Make(4, 4, 16);
  EXPECT_EQ(plain->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
  back->Unlock(nullptr);
}

TEST_F(DDrawTest, TripleBufferingRotatesThreeBuffers) {
  ASSERT_EQ(FullScreen(320, 240, 8), DD_OK);
  IDirectDrawSurface4* back = nullptr;
  auto* front = Chain(2, &back);
  DDSCAPS2 caps{DDSCAPS_FLIP, 0, 0, 0};
  IDirectDrawSurface4* third = nullptr;
  ASSERT_EQ(back->GetAttachedSurface(&caps, &third), DD_OK);
  third->Release();
  Put(front, 0, 0, 1);
  Put(back, 0, 0, 2);
  Put(third, 0, 0, 3);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_NOVSYNC), DD_OK);
  EXPECT_EQ(Get(front, 0, 0), 2u);
  EXPECT_EQ(Get(back, 0, 0), 3u);
  EXPECT_EQ(Get(third, 0, 0), 1u);
  ASSERT_EQ(dd->FlipToGDISurface(), DD_OK);
  EXPECT_EQ(Get(front, 0, 0), 1u) << "the desktop's own buffer shows again";
}

TEST_F(DDrawTest, ChainsNeedExclusiveModeAndFitInVideoMemory) {
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  d.dwBackBufferCount = 1;
  IDirectDrawSurface4* s = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(FullScreen(800, 600, 16), DD_OK);
  // Room for the front and one back buffer, not two: as on a card of the time.
  platform::headless::SetVideoMemory(800 * 600 * 2 * 2 + 100);
  d.dwBackBufferCount = 2;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_OUTOFVIDEOMEMORY);
  d.dwBackBufferCount = 1;
  ASSERT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
  surfaces.push_back(s);
  IDirectDrawSurface4* again = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &again, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
}

TEST_F(DDrawTest, FlipWaitsForTheNextBlankOnTheVirtualClock) {
  ASSERT_EQ(FullScreen(320, 240, 16), DD_OK);
  IDirectDrawSurface4* back = nullptr;
  auto* front = Chain(1, &back);
  // Blank n falls at floor(n * 1000 / 60) ms: 16, 33, 50, 66, 83, 100, ...
  std::vector<uint32_t> times;
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    times.push_back(platform::headless::Now());
  }
  EXPECT_EQ(times, (std::vector<uint32_t>{16, 33, 50, 66, 83, 100}));
  EXPECT_EQ(platform::headless::LastFrame()->time, 100u);
  // A frame that took long waits for the blank after it, not the ones it missed.
  platform::headless::AdvanceTime(40);  // 140
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(platform::headless::Now(), 150u);
  ASSERT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  EXPECT_EQ(platform::headless::Now(), 166u);
  // Without vsync nothing waits; without the wait flag a flip whose blank has
  // not come yet is still pending.
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_NOVSYNC), DD_OK);
  EXPECT_EQ(platform::headless::Now(), 166u);
  ASSERT_EQ(front->Flip(nullptr, 0), DD_OK);
  EXPECT_EQ(front->Flip(nullptr, 0), DDERR_WASSTILLDRAWING);
  platform::headless::AdvanceTime(17);
  EXPECT_EQ(front->Flip(nullptr, 0), DD_OK);
  // Ten seconds of waiting flips are 600 of them.
  uint32_t start = platform::headless::Now();
  int flips = 0;
  while (platform::headless::Now() - start < 10000) {
    ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ++flips;
  }
  EXPECT_EQ(flips, 600);
}

TEST_F(DDrawTest, PresentedColoursFollowTheModeAndThePalette) {
  // 32 bits.
  ASSERT_EQ(FullScreen(640, 480, 32), DD_OK);
  IDirectDrawSurface4* back = nullptr;
  auto* front = Chain(1, &back);
  ASSERT_EQ(Fill(back, nullptr, 0x00123456), DD_OK);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_NOVSYNC), DD_OK);
  const auto* frame = platform::headless::LastFrame();
  EXPECT_EQ(frame->pixels[5], 0x123456u);
  EXPECT_EQ(frame->bitsPerPixel, 32);
  front->Release();
  surfaces.clear();

  // 8 bits through the palette attached to the front.
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 8, 0, 0), DD_OK);
  front = Chain(1, &back);
  PALETTEENTRY entries[256] = {};
  entries[7] = {0x11, 0x22, 0x33, 0};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(front->SetPalette(palette), DD_OK);
  ASSERT_EQ(Fill(back, nullptr, 7), DD_OK);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_NOVSYNC), DD_OK);
  frame = platform::headless::LastFrame();
  EXPECT_EQ(frame->pixels[100], 0x112233u);
  EXPECT_EQ(frame->bitsPerPixel, 8);
  EXPECT_EQ(frame->raw[100], 7);
  // A palette change shows at once.
  PALETTEENTRY red{0xFF, 0, 0, 0};
  ASSERT_EQ(palette->SetEntries(0, 7, 1, &red), DD_OK);
  EXPECT_EQ(platform::headless::LastFrame()->pixels[100], 0xFF0000u);
  palette->Release();
}

TEST_F(DDrawTest, Presented15And16BitColoursWidenToFullRange) {
  ASSERT_EQ(FullScreen(640, 480, 16), DD_OK);
  IDirectDrawSurface4* back = nullptr;
  auto* front = Chain(1, &back);
  Put(back, 0, 0, 0xFFFF);
  Put(back, 1, 0, 0x8410);  // the middle of each channel
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_NOVSYNC), DD_OK);
  EXPECT_EQ(platform::headless::LastFrame()->pixels[0], 0xFFFFFFu);
  EXPECT_EQ(platform::headless::LastFrame()->pixels[1], 0x848284u);
}

TEST_F(DDrawTest, PresentedRowsOfAnyWidthConvertToTheirLastPixel) {
  // The desktop's size as a mode: 1366 is no multiple of the eight pixels the
  // conversion takes at a time.
  platform::headless::SetDesktopSize(1366, 768);
  ASSERT_EQ(FullScreen(1366, 768, 16), DD_OK);
  IDirectDrawSurface4* back = nullptr;
  auto* front = Chain(1, &back);
  for (int x = 1355; x < 1366; ++x) Put(back, x, 767, static_cast<uint32_t>(0x0841 * (x - 1355)));
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_NOVSYNC), DD_OK);
  const auto* frame = platform::headless::LastFrame();
  ASSERT_EQ(frame->width, 1366);
  for (int x = 1355; x < 1366; ++x) {
    uint32_t r = static_cast<uint32_t>(x - 1355), g = 2 * r, b = r;
    uint32_t want = (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
    EXPECT_EQ(frame->pixels[static_cast<size_t>(767) * 1366 + x], want) << x;
  }
}

TEST_F(DDrawTest, FocusLossInFullScreenLosesTheDisplayUntilItComesBack) {
  ASSERT_EQ(FullScreen(800, 600, 16), DD_OK);
  IDirectDrawSurface4* back = nullptr;
  auto* front = Chain(1, &back);
  auto* sprite = Make(8, 8, 16, DDSCAPS_OFFSCREENPLAIN);
  auto* kept = Make(8, 8, 16);
  platform::headless::SetFocus(false);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(front->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(sprite->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(kept->IsLost(), DD_OK);
  uint32_t before = platform::headless::Now();
  EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  EXPECT_GT(platform::headless::Now(), before) << "a lost display still paces a waiting flip";
  EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(front->Restore(), DDERR_WRONGMODE) << "nothing comes back while another program has the display";
  EXPECT_EQ(sprite->Restore(), DDERR_WRONGMODE);
  platform::headless::SetFocus(true);
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(back->Restore(), DDERR_IMPLICITLYCREATED) << "the back buffer comes back with its front";
  ASSERT_EQ(front->Restore(), DD_OK);
  EXPECT_EQ(back->IsLost(), DD_OK);
  ASSERT_EQ(sprite->Restore(), DD_OK);
  EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

// A wait for the blank while the focus is away from an exclusive display ends
// when the focus comes back or a message the program must see arrives; a
// windowed display keeps its blanks.
struct FocusWaitCase {
  const char* name;
  bool exclusive;
  // 0: only the focus comes back (at 3000 ms), 1: a key at 2000, 2: the close
  // box at 2000, 3: the close box before the focus went, still unread
  int ending;
  uint32_t wantEnd;
  UINT wantMessage;  // the first message other than WM_ACTIVATEAPP after the wait
};
class FocusWait : public DDrawTest, public ::testing::WithParamInterface<FocusWaitCase> {};

TEST_P(FocusWait, EndsAtTheFocusOrAMessage) {
  const FocusWaitCase& c = GetParam();
  if (c.exclusive) {
    ASSERT_EQ(FullScreen(800, 600, 16), DD_OK);
  } else {
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  }
  if (c.ending == 3) {
    platform::headless::CloseWindowAt(0);
    MSG unread{};
    ASSERT_TRUE(PeekMessageA(&unread, nullptr, 0, 0, PM_NOREMOVE));
  }
  platform::headless::SetFocus(false);
  platform::headless::SetFocusAt(3000, true);
  if (c.ending == 1) platform::headless::KeyDownAt(2000, 0x1E);
  if (c.ending == 2) platform::headless::CloseWindowAt(2000);
  EXPECT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  EXPECT_EQ(platform::headless::Now(), c.wantEnd);
  MSG msg{};
  UINT seen = 0;
  while (seen == 0 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message != WM_ACTIVATEAPP) seen = msg.message;
  EXPECT_EQ(seen, c.wantMessage);
}

INSTANTIATE_TEST_SUITE_P(DDraw, FocusWait,
                         ::testing::Values(FocusWaitCase{"FocusBack", true, 0, 3000, 0},
                                           FocusWaitCase{"Key", true, 1, 2000, WM_KEYDOWN},
                                           FocusWaitCase{"CloseBox", true, 2, 2000, WM_CLOSE},
                                           FocusWaitCase{"CloseBoxBefore", true, 3, 0, WM_CLOSE},
                                           // the first blank after 0 ms is at 16.67 ms
                                           FocusWaitCase{"Windowed", false, 0, 16, 0}),
                         [](const ::testing::TestParamInfo<FocusWaitCase>& info) { return info.param.name; });

TEST_F(DDrawTest, ModeChangeLosesTheOldPrimaryForGood) {
  ASSERT_EQ(FullScreen(800, 600, 16), DD_OK);
  IDirectDrawSurface4* back = nullptr;
  auto* front = Chain(1, &back);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  EXPECT_EQ(front->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(front->Restore(), DDERR_WRONGMODE);
  ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
  EXPECT_EQ(front->Restore(), DD_OK);
}

TEST_F(DDrawTest, WindowedPrimaryIsTheDesktopAndShowsTheWindowsPart) {
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface4* primary = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &primary, nullptr), DD_OK);
  surfaces.push_back(primary);
  ASSERT_EQ(primary->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(d.dwWidth, 1280u);
  EXPECT_EQ(d.dwHeight, 1024u);
  EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 32u);

  SetWindowPos(window, nullptr, 100, 50, 200, 100, SWP_NOZORDER);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  clipper->Release();
  auto* back = Make(400, 300, 32);
  ASSERT_EQ(Fill(back, nullptr, 0x00FF00), DD_OK);
  // The whole back buffer aimed at the whole desktop lands only in the window.
  ASSERT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Get(primary, 99, 60), 0u);
  EXPECT_EQ(Get(primary, 100, 50), 0x00FF00u);
  EXPECT_EQ(Get(primary, 299, 149), 0x00FF00u);
  EXPECT_EQ(Get(primary, 300, 149), 0u);
  EXPECT_EQ(Get(primary, 200, 150), 0u);
  const auto* frame = platform::headless::LastFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->width, 200);
  EXPECT_EQ(frame->height, 100);
  EXPECT_EQ(frame->pixels[0], 0x00FF00u);
  EXPECT_EQ(frame->pixels[199 + 99 * 200], 0x00FF00u);
  EXPECT_FALSE(platform::headless::Windows()[0].fullScreen);
}

TEST_F(DDrawTest, ReleasingTheDeviceLeavesFullScreenAndTheMode) {
  ASSERT_EQ(FullScreen(640, 480, 8), DD_OK);
  dd->Release();
  dd = nullptr;
  EXPECT_FALSE(platform::headless::Windows()[0].fullScreen);
  IDirectDraw* again = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &again, nullptr), DD_OK);
  ASSERT_EQ(again->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd)), S_OK);
  again->Release();
  DDSURFACEDESC2 mode{};
  mode.dwSize = sizeof(mode);
  ASSERT_EQ(dd->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 1280u) << "back to the desktop";
  EXPECT_EQ(dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
}

}  // namespace
