// SPDX-License-Identifier: MIT
// Surfaces on the headless DirectDraw: pixel formats, creation and its
// failures, copies, lost surfaces, the draw operations, fills, locks, device
// contexts and text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "surface_fixture.h"

using namespace surface_test;

namespace {

struct FormatCase {
  int depth;
  PixelFormatInfo info;
};

IDirectDrawSurface4* MakeRawSurface(IDirectDraw4* dd, int w, int h, const DDPIXELFORMAT* format) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  desc.dwWidth = static_cast<DWORD>(w);
  desc.dwHeight = static_cast<DWORD>(h);
  if (format) desc.ddpfPixelFormat = *format;
  IDirectDrawSurface4* s = nullptr;
  if (dd->CreateSurface(&desc, &s, nullptr) != DD_OK) return nullptr;
  return s;
}

DDPIXELFORMAT Rgb(DWORD bits, DWORD r, DWORD g, DWORD b) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB;
  f.dwRGBBitCount = bits;
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  return f;
}

bool SameInfo(const PixelFormatInfo& a, const PixelFormatInfo& b) {
  return a.blueMask == b.blueMask && a.greenMask == b.greenMask && a.redMask == b.redMask &&
         a.blueShift == b.blueShift && a.greenShift == b.greenShift && a.redShift == b.redShift && a.format == b.format;
}

}  // namespace

TEST_F(SurfaceTest, CreateInEveryDisplayDepth) {
  const FormatCase cases[] = {
      {8, {0, 0, 0, 0, 0, 0, 8}},
      {15, {0x1F, 0x1F, 0x1F, 0, 5, 10, 15}},  // a 5-5-5 surface on a 16-bit display
      {16, {0x1F, 0x3F, 0x1F, 0, 5, 11, 16}},
      {24, {0xFF, 0xFF, 0xFF, 0, 8, 16, 24}},
      {32, {0xFF, 0xFF, 0xFF, 0, 8, 16, 32}},
  };
  for (const auto& c : cases) {
    Screen* display = Display(c.depth == 15 ? 16 : c.depth);
    ASSERT_NE(display, nullptr);
    Surface s;
    if (c.depth == 15) {
      DDPIXELFORMAT format = Rgb555();
      ASSERT_TRUE(MakeWithFormat(s, display, 20, 10, &format));
    } else {
      ASSERT_TRUE(s.Create(display, 20, 10, DriverChoice));
      EXPECT_EQ(s.ColorKey, 0xFFFFFFFFu);
      EXPECT_EQ(s.fileName, nullptr);
      EXPECT_EQ(s.AlphaMask, nullptr);
      EXPECT_EQ(s.screen, display);
      for (const RECT& r : {s.SrcRect, s.DestRect, s.ClipRect}) {
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.right, 20);
        EXPECT_EQ(r.bottom, 10);
      }
      // The screen's own buffers analyse the same way.
      EXPECT_TRUE(SameInfo(display->GetBack()->PixelFormatInfo, c.info)) << c.depth;
    }
    ASSERT_NE(s.ddSurface, nullptr) << c.depth;
    EXPECT_TRUE(SameInfo(s.PixelFormatInfo, c.info)) << c.depth;
    EXPECT_EQ(s.Width, 20);
    EXPECT_EQ(s.Height, 10);

    // The colour key from the top-left pixel: only the pixel's own bits.
    ASSERT_TRUE(WritePixels(s, c.depth, [](int x, int y) { return x == 0 && y == 0 ? 0xAB123456u : 0xFFFFFFFFu; }));
    s.SetColorKeyFromTopLeft();
    uint32_t expected = c.depth == 8 ? 0x56 : c.depth <= 16 ? 0x3456 : c.depth == 24 ? 0x123456 : 0xAB123456;
    EXPECT_EQ(s.ColorKey, expected) << c.depth;
    DDCOLORKEY key{};
    ASSERT_EQ(s.ddSurface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, expected);
    EXPECT_EQ(key.dwColorSpaceHighValue, expected);
  }
}

TEST_F(SurfaceTest, AnalysePixelFormatOfExplicitLayouts) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  IDirectDraw4* dd = display->GetDirectDraw();
  struct Layout {
    DDPIXELFORMAT format;
    PixelFormatInfo info;
  } layouts[] = {
      {Rgb(16, 0x7C00, 0x03E0, 0x001F), {0x1F, 0x1F, 0x1F, 0, 5, 10, 15}},
      {Rgb(16, 0xF800, 0x07E0, 0x001F), {0x1F, 0x3F, 0x1F, 0, 5, 11, 16}},
      {Rgb(16, 0x001F, 0x07E0, 0xF800), {0x1F, 0x3F, 0x1F, 11, 5, 0, 16}},  // BGR 5-6-5
      {Rgb(32, 0x0000FF, 0x00FF00, 0xFF0000), {0xFF, 0xFF, 0xFF, 16, 8, 0, 32}},
      {Rgb(24, 0xFF0000, 0x00FF00, 0x0000FF), {0xFF, 0xFF, 0xFF, 0, 8, 16, 24}},
      {Rgb(16, 0x0F00, 0x00F0, 0x000F), {0x0F, 0x0F, 0x0F, 0, 4, 8, 16}},  // 4-4-4
  };
  for (const auto& l : layouts) {
    IDirectDrawSurface4* raw = MakeRawSurface(dd, 4, 4, &l.format);
    ASSERT_NE(raw, nullptr) << std::hex << l.format.dwRBitMask;
    PixelFormatInfo info;
    EXPECT_TRUE(AnalysePixelFormat(raw, &info));
    EXPECT_TRUE(SameInfo(info, l.info)) << std::hex << l.format.dwRBitMask << " " << info.format;
    raw->Release();
  }
  // No surface: false, the record untouched.
  PixelFormatInfo untouched;
  untouched.format = 77;
  EXPECT_FALSE(AnalysePixelFormat(nullptr, &untouched));
  EXPECT_EQ(untouched.format, 77);
}

TEST_F(SurfaceTest, MemoryTypeChoosesTheCapabilities) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  struct {
    MemoryType type;
    DWORD caps;
  } cases[] = {{VideoMemory, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY},
               {SystemMemory, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY},
               {DriverChoice, DDSCAPS_OFFSCREENPLAIN},
               {static_cast<MemoryType>(7), DDSCAPS_OFFSCREENPLAIN}};
  for (const auto& c : cases) {
    Surface s(display, 8, 8, c.type);
    ASSERT_NE(s.ddSurface, nullptr);
    EXPECT_EQ(s.SurfaceDesc.ddsCaps.dwCaps, c.caps);
    EXPECT_EQ(s.SurfaceDesc.dwFlags, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH);
    DDSCAPS2 placed{};
    s.ddSurface->GetCaps(&placed);
    if (c.type == SystemMemory) {
      EXPECT_TRUE(placed.dwCaps & DDSCAPS_SYSTEMMEMORY);
    }
    if (c.type == VideoMemory) {
      EXPECT_TRUE(placed.dwCaps & DDSCAPS_VIDEOMEMORY);
    }
  }
}

TEST_F(SurfaceTest, FailedCreationsLeaveNoInterface) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  Surface good(display, 8, 8, SystemMemory);
  ASSERT_NE(good.ddSurface, nullptr);
  headless::FailSurfaceCreations(1, DDERR_OUTOFVIDEOMEMORY);
  EXPECT_FALSE(good.Create(display, 8, 8, VideoMemory));  // the old interface is gone too
  EXPECT_EQ(good.ddSurface, nullptr);
  EXPECT_TRUE(headless::MessageBoxes().empty()) << "creation reports only through its result";
  EXPECT_FALSE(good.Create(display, 0, 8, SystemMemory));
  EXPECT_FALSE(good.Create(display, 8, -1, SystemMemory));
  EXPECT_FALSE(good.Create(nullptr, 8, 8, SystemMemory));
  EXPECT_TRUE(good.Create(display, 8, 8, SystemMemory));

  // A copy whose creation fails reports it through the DirectDraw error box.
  headless::FailSurfaceCreations(1, DDERR_OUTOFMEMORY);
  Surface copy(good);
  EXPECT_EQ(copy.ddSurface, nullptr);
  ASSERT_EQ(headless::MessageBoxes().size(), 1u);
  const std::string& text = headless::MessageBoxes()[0].text;
  EXPECT_NE(text.find("DDERR_OUTOFMEMORY"), std::string::npos) << text;
  EXPECT_NE(text.find("FILE: surface"), std::string::npos) << text;
  EXPECT_NE(text.find("LINE: 276"), std::string::npos) << text;

  // Operations on a surface without an interface fail instead of crashing.
  Surface empty;
  EXPECT_NE(empty.Lock(), DD_OK);
  empty.Unlock();
  EXPECT_EQ(empty.GetDC(), nullptr);
  EXPECT_NE(empty.Fill(0), DD_OK);
  EXPECT_NE(good.Draw(&empty), DD_OK);
  EXPECT_NE(good.DrawFast(0, 0, nullptr), DD_OK);
  Surface emptyCopy(empty);
  EXPECT_EQ(emptyCopy.ddSurface, nullptr);
}

TEST_F(SurfaceTest, CopyDrawsTheSourcePartAtItsDestRect) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  Surface source(display, 16, 8, SystemMemory);
  ASSERT_TRUE(WritePixels(source, 32, [](int x, int y) { return static_cast<uint32_t>(0x010000 * x + y + 1); }));
  Surface whole(source);
  ASSERT_NE(whole.ddSurface, nullptr);
  EXPECT_NE(whole.ddSurface, source.ddSurface);
  EXPECT_EQ(ReadPixels(whole, 32), ReadPixels(source, 32));

  // Narrowed: only SrcRect, placed at DestRect; the rest is whatever the new
  // surface held (filled here to compare).
  source.SetSrcRect(2, 4, 5, 9);   // top, left, bottom, right
  source.SetDestRect(0, 1, 3, 6);
  source.ColorKey = 0x42;
  Surface part(source);
  ASSERT_NE(part.ddSurface, nullptr);
  EXPECT_EQ(part.ColorKey, 0x42u);
  EXPECT_EQ(part.SrcRect.left, 4);
  std::vector<uint32_t> got = ReadPixels(part, 32);
  for (int y = 0; y < 3; ++y)
    for (int x = 1; x < 6; ++x) EXPECT_EQ(got[y * 16 + x], static_cast<uint32_t>(0x010000 * (x + 3) + (y + 2) + 1));

  // A copy taken while the source is locked gets memory of its own.
  ASSERT_EQ(source.Lock(), DD_OK);
  source.Unlock();
  source.SetSrcRect(0, 0, 8, 16);
  source.SetDestRect(0, 0, 8, 16);
  Surface afterLock(source);
  ASSERT_NE(afterLock.ddSurface, nullptr);
  ASSERT_TRUE(WritePixels(afterLock, 32, [](int, int) { return 7u; }));
  EXPECT_NE(ReadPixels(source, 32)[0], 7u);
}

TEST_F(SurfaceTest, CopyTakesAlphaMaskAndFontButNoDeviceContext) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  Surface source(display, 4, 2, SystemMemory);
  source.AlphaMask = new uint8_t[8]{1, 2, 3, 4, 5, 6, 7, 8};
  source.MakeFont("Arial", 0, 14, FW_BOLD);
  ASSERT_NE(source.textFont, nullptr);
  ASSERT_NE(source.GetDC(), nullptr);
  Surface copy(source);
  source.ReleaseDC();
  EXPECT_EQ(copy.deviceContext, nullptr);
  ASSERT_NE(copy.AlphaMask, nullptr);
  EXPECT_NE(copy.AlphaMask, source.AlphaMask);
  EXPECT_EQ(memcmp(copy.AlphaMask, source.AlphaMask, 8), 0);
  ASSERT_NE(copy.textFont, nullptr);
  EXPECT_NE(copy.textFont, source.textFont);
  LOGFONTA a{}, b{};
  ASSERT_NE(GetObjectA(source.textFont, sizeof a, &a), 0);
  ASSERT_NE(GetObjectA(copy.textFont, sizeof b, &b), 0);
  EXPECT_EQ(a.lfHeight, 14);
  EXPECT_EQ(b.lfHeight, 14);
  EXPECT_EQ(b.lfWeight, FW_BOLD);
  EXPECT_STREQ(b.lfFaceName, "Arial");
}

TEST_F(SurfaceTest, LostSourceIsRestoredAndTheErrorReturned) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  Surface sprite(display, 8, 8, VideoMemory);
  Surface target(display, 16, 16, SystemMemory);
  ASSERT_TRUE(WritePixels(target, 16, [](int, int) { return 0x1111u; }));
  ASSERT_TRUE(WritePixels(sprite, 16, [](int, int) { return 0x2222u; }));
  headless::LoseAllSurfaces();
  EXPECT_EQ(sprite.DrawFast(0, 0, &target), DDERR_SURFACELOST);
  EXPECT_EQ(sprite.ddSurface->IsLost(), DD_OK) << "the source was restored";
  EXPECT_EQ(ReadPixels(target, 16)[0], 0x1111u) << "the copy is not repeated";
  EXPECT_EQ(sprite.DrawFast(0, 0, &target), DD_OK);

  // Every copying operation restores its source the same way.
  auto check = [&](auto operation) {
    headless::LoseAllSurfaces();
    EXPECT_EQ(operation(), DDERR_SURFACELOST);
    EXPECT_EQ(sprite.ddSurface->IsLost(), DD_OK);
  };
  check([&] { return sprite.Draw(&target); });
  check([&] { return sprite.DrawFastKeyed(0, 0, &target); });
  check([&] { return sprite.DrawFastKeyedInRect(0, 0, &target, RECT{0, 0, 16, 16}); });
  check([&] { return sprite.DrawScaledXY(0, 0, 1, 1, &target); });
  check([&] { return sprite.DrawScaled(0, 0, 1.0f, &target); });
  check([&] { return sprite.DrawFastClipped(&target, 0, 0, RECT{0, 0, 8, 8}); });
  check([&] { return sprite.DrawFastKeyedClipped(&target, 0, 0, RECT{0, 0, 8, 8}); });

  // A lost destination is not restored by the source's copy.
  Surface videoTarget(display, 16, 16, VideoMemory);
  Surface systemSprite(display, 8, 8, SystemMemory);
  headless::LoseAllSurfaces();
  EXPECT_EQ(systemSprite.DrawFast(0, 0, &videoTarget), DDERR_SURFACELOST);
  EXPECT_EQ(videoTarget.ddSurface->IsLost(), DDERR_SURFACELOST);
}

TEST_F(SurfaceTest, LockAndUnlockBringLostSurfacesBack) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  Surface s(display, 8, 8, VideoMemory);
  headless::LoseAllSurfaces();
  ASSERT_EQ(s.Lock(), DD_OK);
  EXPECT_NE(s.SurfaceDesc.lpSurface, nullptr);
  EXPECT_GE(s.SurfaceDesc.lPitch, 16);
  s.Unlock();
  EXPECT_NE(s.SurfaceDesc.lpSurface, nullptr) << "the description stays as the lock left it";

  // The full-screen back buffer is restored through the front buffer's chain.
  Surface* back = display->GetBack();
  headless::LoseAllSurfaces();
  ASSERT_EQ(back->Lock(), DD_OK);
  back->Unlock();
  EXPECT_EQ(display->GetFront()->ddSurface->IsLost(), DD_OK);

  // A surface that cannot come back (the display is held elsewhere) makes the
  // lock give up instead of spinning.
  headless::SetFocus(false);
  headless::LoseAllSurfaces();
  HRESULT hr = back->Lock();
  if (hr == DD_OK) back->Unlock();
  headless::SetFocus(true);
}

TEST_F(SurfaceTest, SetColorKeyFromTopLeftWhileBusyOrUnlockable) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  Surface s(display, 4, 4, SystemMemory);
  ASSERT_TRUE(WritePixels(s, 16, [](int, int) { return 0x0F0Fu; }));
  headless::LockStillDrawing(3);  // the lock is tried again while busy
  s.SetColorKeyFromTopLeft();
  EXPECT_EQ(s.ColorKey, 0x0F0Fu);
  ASSERT_NE(s.GetDC(), nullptr);  // a surface with a device context out cannot be locked
  s.SetColorKeyFromTopLeft();
  EXPECT_EQ(s.ColorKey, 0xFFFFFFFFu);
  s.ReleaseDC();
}

TEST_F(SurfaceTest, DrawOperationsCopyWhatTheyShould) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  Surface sprite(display, 4, 4, SystemMemory);
  Surface target(display, 16, 16, SystemMemory);
  // The sprite: key colour 0x0001 in its left column, 0x7000 + x + 4y elsewhere.
  ASSERT_TRUE(WritePixels(sprite, 16, [](int x, int y) { return x == 0 ? 0x0001u : 0x7000u + x + 4 * y; }));
  ASSERT_EQ(sprite.SetColorKey(0x0001), DD_OK);
  auto clear = [&] { ASSERT_EQ(target.Fill(0x5555), DD_OK); };
  auto at = [&](int x, int y) { return ReadPixels(target, 16)[y * 16 + x]; };

  clear();
  EXPECT_EQ(sprite.DrawFast(2, 3, &target), DD_OK);
  EXPECT_EQ(at(2, 3), 0x0001u);
  EXPECT_EQ(at(5, 6), 0x7000u + 3 + 12);
  clear();
  EXPECT_EQ(sprite.DrawFastKeyed(2, 3, &target), DD_OK);
  EXPECT_EQ(at(2, 3), 0x5555u) << "key pixels are transparent";
  EXPECT_EQ(at(3, 3), 0x7001u);

  // Draw: DestRect from SrcRect, stretched when they differ.
  clear();
  sprite.SetSrcRect(0, 1, 2, 3);     // columns 1..2, rows 0..1
  sprite.SetDestRect(10, 10, 14, 14);  // 4 x 4: doubled
  EXPECT_EQ(sprite.Draw(&target), DD_OK);
  EXPECT_EQ(at(10, 10), 0x7001u);
  EXPECT_EQ(at(11, 11), 0x7001u);
  EXPECT_EQ(at(13, 13), 0x7006u);
  EXPECT_EQ(at(9, 10), 0x5555u);

  // DrawFastKeyedInRect: the copy is cut at the limit.
  clear();
  sprite.SetSrcRect(0, 0, 4, 4);
  EXPECT_EQ(sprite.DrawFastKeyedInRect(6, 6, &target, RECT{7, 7, 9, 16}), DD_OK);
  EXPECT_EQ(at(6, 6), 0x5555u);
  EXPECT_EQ(at(7, 7), 0x7005u);
  EXPECT_EQ(at(8, 9), 0x700Eu);
  EXPECT_EQ(at(9, 7), 0x5555u);

  // Mirrored copies land on the destination's rectangle equal to SrcRect.
  clear();
  EXPECT_EQ(sprite.DrawMirroredH(99, 99, &target), DD_OK);
  EXPECT_EQ(at(0, 0), 0x7003u);
  EXPECT_EQ(at(3, 0), 0x0001u);
  clear();
  EXPECT_EQ(sprite.DrawMirroredV(0, 0, &target), DD_OK);
  EXPECT_EQ(at(1, 0), 0x700Du);
  EXPECT_EQ(sprite.ReservedDraw(1, 2, 3, 4, 5), DD_OK);

  // FillRect takes left, top, right, bottom.
  clear();
  EXPECT_EQ(target.FillRect(1, 2, 3, 5, 0x1234), DD_OK);
  EXPECT_EQ(at(1, 2), 0x1234u);
  EXPECT_EQ(at(2, 4), 0x1234u);
  EXPECT_EQ(at(3, 2), 0x5555u);
  EXPECT_EQ(at(1, 5), 0x5555u);
}

TEST_F(SurfaceTest, ScaledCopiesSetDestRect) {
  Screen* display = Display(16);
  ASSERT_NE(display, nullptr);
  Surface sprite(display, 40, 30, SystemMemory);
  Surface target(display, 200, 200, SystemMemory);
  EXPECT_EQ(sprite.DrawScaled(10, 10, 1.5f, &target), DD_OK);
  EXPECT_EQ(sprite.DestRect.left, 10);
  EXPECT_EQ(sprite.DestRect.top, 10);
  EXPECT_EQ(sprite.DestRect.right, 70);
  EXPECT_EQ(sprite.DestRect.bottom, 55);
  sprite.DrawScaled(10, 10, 0.99f, &target);
  EXPECT_EQ(sprite.DestRect.right, 10 + 39);
  // Width and height are the whole surface's, not SrcRect's.
  sprite.SetSrcRect(0, 0, 5, 5);
  EXPECT_EQ(sprite.DrawScaledXY(3, 4, 2, 3, &target), DD_OK);
  EXPECT_EQ(sprite.DestRect.right, 83);
  EXPECT_EQ(sprite.DestRect.bottom, 94);
}

TEST_F(SurfaceTest, ClippedCopies) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  Surface sprite(display, 10, 10, SystemMemory);
  Surface target(display, 20, 20, SystemMemory);
  ASSERT_TRUE(WritePixels(sprite, 32, [](int x, int y) { return 0x100u * y + x + 1; }));
  ASSERT_EQ(target.Fill(0), DD_OK);
  EXPECT_EQ(sprite.DrawFastClipped(&target, -3, 15, RECT{0, 0, 10, 10}), DD_OK);
  std::vector<uint32_t> got = ReadPixels(target, 32);
  EXPECT_EQ(got[15 * 20 + 0], 0x100u * 0 + 3 + 1);
  EXPECT_EQ(got[19 * 20 + 6], 0x100u * 4 + 9 + 1);
  EXPECT_EQ(got[14 * 20 + 0], 0u);
  EXPECT_EQ(got[15 * 20 + 7], 0u);
  // Completely outside: E_FAIL, nothing drawn.
  std::vector<uint32_t> before = ReadPixels(target, 32);
  EXPECT_EQ(sprite.DrawFastClipped(&target, 20, 0, RECT{0, 0, 10, 10}), E_FAIL);
  EXPECT_EQ(sprite.DrawFastKeyedClipped(&target, -10, 0, RECT{0, 0, 10, 10}), E_FAIL);
  sprite.ClipRect = RECT{0, 0, 5, 5};
  EXPECT_EQ(sprite.DrawFastClipped(&target, 0, 0, RECT{5, 5, 10, 10}), E_FAIL);
  EXPECT_EQ(ReadPixels(target, 32), before);
  // The keyed variant skips key pixels.
  sprite.ClipRect = RECT{0, 0, 10, 10};
  sprite.SetColorKey(0x0101);
  EXPECT_EQ(sprite.DrawFastKeyedClipped(&target, 0, 0, RECT{0, 0, 2, 2}), DD_OK);
  got = ReadPixels(target, 32);
  EXPECT_EQ(got[0], 1u);
  EXPECT_EQ(got[20], 0u);  // (0, 1) holds the key
  EXPECT_EQ(got[21], 0x102u);
}

TEST_F(SurfaceTest, DeviceContextAndText) {
  Screen* display = Display(32);
  ASSERT_NE(display, nullptr);
  Surface s(display, 120, 60, SystemMemory);
  ASSERT_EQ(s.Fill(0), DD_OK);
  ASSERT_NE(s.GetDC(), nullptr);
  EXPECT_NE(s.deviceContext, nullptr);
  s.MakeFont("Arial", 0, 20, FW_NORMAL);
  HFONT first = s.textFont;
  s.MakeFont("Arial", 0, 24, FW_NORMAL);  // the first font is deleted
  // The 20-pixel font is gone (its handle may have been reused for the new one).
  LOGFONTA lf{};
  if (GetObjectA(first, sizeof lf, &lf) != 0) {
    EXPECT_EQ(first, s.textFont);
    EXPECT_EQ(lf.lfHeight, 24);
  }
  s.SelectFont();
  s.DrawTextAt(2, 2, RGB(255, 0, 0), "Hi");
  RECT box = {0, 30, 40, 60};
  int oneLine = s.DrawTextInRect("a", RGB(0, 0, 255), &box);
  int wrapped = s.DrawTextInRect("word word word word", RGB(0, 0, 255), &box);
  EXPECT_GT(oneLine, 0);
  EXPECT_GT(wrapped, oneLine) << "the words break inside the rectangle";
  EXPECT_EQ(s.ReleaseDC(), DD_OK);
  EXPECT_EQ(s.deviceContext, nullptr);

  std::vector<uint32_t> pixels = ReadPixels(s, 32);
  int red = 0, other = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x) {
      uint32_t p = pixels[y * 120 + x] & 0xFFFFFF;
      if (p == 0xFF0000) ++red;
      else if (p != 0) ++other;
    }
  EXPECT_GT(red, 20) << "text in the text colour";
  EXPECT_EQ(other, 0) << "no background, no antialiasing";

  // A surface destroyed while it holds a device context gives it back.
  IDirectDrawSurface4* raw = nullptr;
  {
    Surface held(display, 8, 8, SystemMemory);
    raw = held.ddSurface;
    raw->AddRef();
    ASSERT_NE(held.GetDC(), nullptr);
  }
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  EXPECT_EQ(raw->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  raw->Unlock(nullptr);
  raw->Release();
}

TEST_F(SurfaceTest, PrimitivesThroughARealLock) {
  for (int depth : {8, 15, 16, 24, 32}) {
    Screen* display = Display(depth == 15 ? 16 : depth);
    ASSERT_NE(display, nullptr);
    Surface s;
    DDPIXELFORMAT format = Rgb555();
    ASSERT_TRUE(MakeWithFormat(s, display, 16, 12, depth == 15 ? &format : nullptr));
    ASSERT_EQ(s.Fill(0), DD_OK);
    s.SetClipRect(RECT{2, 2, 14, 10});
    ASSERT_EQ(s.Lock(), DD_OK);
    s.DrawBox(0, 0, 15, 11, 0x5A);
    s.PutPixel(5, 5, 0x33);
    EXPECT_EQ(s.GetPixel(5, 5), 0x33u);
    s.Unlock();
    std::vector<uint32_t> got = ReadPixels(s, depth);
    int set = 0;
    for (uint32_t v : got) set += v != 0;
    EXPECT_EQ(set, 1) << "the box lies outside the clip rectangle; depth " << depth;
  }
}

TEST_F(SurfaceTest, DrawToWindowFillsTheClientArea) {
  RECT client{};
  GetClientRect(window, &client);
  screen = std::make_unique<Screen>(window, 64, 48);  // windowed
  Surface* front = screen->GetFront();
  ASSERT_NE(front, nullptr);
  ASSERT_NE(front->ddSurface, nullptr);
  int depth = screen->BitsPerPixel;
  ASSERT_TRUE(depth == 16 || depth == 24 || depth == 32) << depth;
  Surface sprite(screen.get(), 8, 8, SystemMemory);
  ASSERT_EQ(sprite.Fill(0x00C0FFEE & ((1u << (depth == 32 ? 24 : depth)) - 1)), DD_OK);
  DWORD colour = ReadPixels(sprite, depth)[0];
  ASSERT_NE(colour, 0u);
  ASSERT_EQ(front->Fill(0), DD_OK);
  EXPECT_EQ(sprite.DrawToWindow(front), DD_OK);

  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  std::vector<uint32_t> desktop = ReadPixels(*front, depth);
  auto at = [&](LONG x, LONG y) { return desktop[static_cast<size_t>(y) * front->Width + x]; };
  EXPECT_EQ(at(origin.x, origin.y), colour);
  EXPECT_EQ(at(origin.x + client.right - 1, origin.y + client.bottom - 1), colour) << "stretched over the client area";
  if (origin.x + client.right < front->Width) {
    EXPECT_EQ(at(origin.x + client.right, origin.y), 0u);
  }
  if (origin.y + client.bottom < front->Height) {
    EXPECT_EQ(at(origin.x, origin.y + client.bottom), 0u);
  }
}
