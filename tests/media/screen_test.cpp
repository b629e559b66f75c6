// SPDX-License-Identifier: MIT
// The display: device, driver and mode lists, full-screen and windowed
// creation, presentation, the frame-rate counter, fills and colour conversion,
// on the headless backend.
#include "media/screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/surface.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace {

namespace headless = platform::headless;

HWND MakeWindow(int width = 640, int height = 480) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "ScreenTest";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "ScreenTest", "screen test", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, width, height,
                         nullptr, nullptr, nullptr, nullptr);
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::Reset();
    window = MakeWindow();
    ASSERT_NE(window, nullptr);
  }
  HWND window = nullptr;
};

// The 0x00RRGGBB colour a raw 16-bit 5-6-5 pixel is shown as.
uint32_t Shown565(uint32_t pixel) {
  uint32_t r = (pixel >> 11) & 0x1F, g = (pixel >> 5) & 0x3F, b = pixel & 0x1F;
  r = (r << 3) | (r >> 2);
  g = (g << 2) | (g >> 4);
  b = (b << 3) | (b >> 2);
  return (r << 16) | (g << 8) | b;
}

// Writes a pattern into a locked surface (one value per pixel from make) and
// returns the raw values.
template <typename Make>
std::vector<uint32_t> PaintPattern(Surface* surface, int bytesPerPixel, Make make) {
  std::vector<uint32_t> values;
  if (surface->Lock() != DD_OK) return values;
  auto* bits = static_cast<uint8_t*>(surface->SurfaceDesc.lpSurface);
  LONG pitch = surface->SurfaceDesc.lPitch;
  for (int y = 0; y < surface->Height; ++y) {
    for (int x = 0; x < surface->Width; ++x) {
      uint32_t v = make(x, y);
      values.push_back(v);
      uint8_t* p = bits + y * pitch + x * bytesPerPixel;
      for (int i = 0; i < bytesPerPixel; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
  }
  surface->Unlock();
  return values;
}

// A surface that only reports a pixel format, for formats no device offers.
class FormatOnlySurface : public IDirectDrawSurface4 {
 public:
  explicit FormatOnlySurface(DDPIXELFORMAT format) : format_(format) {}
  HRESULT GetPixelFormat(LPDDPIXELFORMAT out) override {
    *out = format_;
    return DD_OK;
  }
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT Blt(LPRECT, LPDIRECTDRAWSURFACE4, LPRECT, DWORD, LPDDBLTFX) override { return E_NOTIMPL; }
  HRESULT BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE4, LPRECT, DWORD) override { return E_NOTIMPL; }
  HRESULT Flip(LPDIRECTDRAWSURFACE4, DWORD) override { return E_NOTIMPL; }
  HRESULT GetAttachedSurface(LPDDSCAPS2, LPDIRECTDRAWSURFACE4*) override { return E_NOTIMPL; }
  HRESULT GetCaps(LPDDSCAPS2) override { return E_NOTIMPL; }
  HRESULT GetClipper(LPDIRECTDRAWCLIPPER*) override { return E_NOTIMPL; }
  HRESULT GetColorKey(DWORD, LPDDCOLORKEY) override { return E_NOTIMPL; }
  HRESULT GetDC(HDC*) override { return E_NOTIMPL; }
  HRESULT GetPalette(LPDIRECTDRAWPALETTE*) override { return E_NOTIMPL; }
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC2) override { return E_NOTIMPL; }
  HRESULT IsLost() override { return DD_OK; }
  HRESULT Lock(LPRECT, LPDDSURFACEDESC2, DWORD, HANDLE) override { return E_NOTIMPL; }
  HRESULT ReleaseDC(HDC) override { return E_NOTIMPL; }
  HRESULT Restore() override { return DD_OK; }
  HRESULT SetClipper(LPDIRECTDRAWCLIPPER) override { return E_NOTIMPL; }
  HRESULT SetColorKey(DWORD, LPDDCOLORKEY) override { return E_NOTIMPL; }
  HRESULT SetPalette(LPDIRECTDRAWPALETTE) override { return E_NOTIMPL; }
  HRESULT Unlock(LPRECT) override { return E_NOTIMPL; }

 private:
  DDPIXELFORMAT format_;
};

DDPIXELFORMAT Rgb(DWORD bits, DWORD red, DWORD green, DWORD blue) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB;
  f.dwRGBBitCount = bits;
  f.dwRBitMask = red;
  f.dwGBitMask = green;
  f.dwBBitMask = blue;
  return f;
}

TEST_F(ScreenTest, ConstructionListsDriversAndModesEachEndingInAnEmptyNode) {
  Screen screen;
  ASSERT_NE(screen.GetDirectDraw(), nullptr);
  EXPECT_GE(screen.GetDriverCount(), 1u);
  uint32_t nodes = 0;
  const DriverInfo* node = screen.GetDrivers();
  for (; node->next; node = node->next) {
    ++nodes;
    EXPECT_EQ(node->hardwareCaps.dwSize, 380u);
    EXPECT_NE(node->name[0], 0);
    if (node->identifierRef) {
      EXPECT_EQ(node->identifierRef, &node->identifier) << "refers to its own copy";
    }
  }
  EXPECT_EQ(nodes, screen.GetDriverCount());
  EXPECT_EQ(node->identifierRef, nullptr);
  EXPECT_EQ(node->name[0], 0);

  EXPECT_GT(screen.GetModeCount(), 0u);
  EXPECT_EQ(screen.GetFront(), nullptr);
  EXPECT_EQ(screen.GetBack(), nullptr);
  EXPECT_EQ(screen.BackBufferInVideoMemory, 1);
  EXPECT_EQ(screen.TripleBuffering, 0);
}

TEST_F(ScreenTest, SelectDriverBeforeCreationOnlyAndUpToTheDriverCount) {
  Screen screen;
  uint32_t count = screen.GetDriverCount();
  EXPECT_FALSE(screen.SelectDriver(count + 1));
  ASSERT_NE(screen.GetDirectDraw(), nullptr) << "a refused index keeps the device";

  // Index == count reaches the empty end node: the default driver.
  EXPECT_TRUE(screen.SelectDriver(count));
  EXPECT_NE(screen.GetDirectDraw(), nullptr);
  EXPECT_GT(screen.GetModeCount(), 0u) << "modes listed again for the new device";
  EXPECT_TRUE(screen.SelectDriver(0));

  ASSERT_TRUE(screen.CreateFullScreen(window, 640, 480, 16, 0));
  IDirectDraw4* device = screen.GetDirectDraw();
  uint32_t modes = screen.GetModeCount();
  EXPECT_FALSE(screen.SelectDriver(0));
  EXPECT_FALSE(screen.SelectDriver(count));
  EXPECT_EQ(screen.GetDirectDraw(), device);
  EXPECT_EQ(screen.GetModeCount(), modes);
  EXPECT_EQ(screen.Flip(0, 0, 0), DD_OK) << "the display still works";
}

TEST_F(ScreenTest, ModeQueries) {
  Screen screen;
  uint32_t count = screen.GetModeCount();
  ASSERT_GT(count, 0u);
  int32_t w = -1, h = -1, bpp = -1;
  EXPECT_FALSE(screen.GetMode(count, w, h, bpp));
  EXPECT_EQ(w, -1);
  EXPECT_EQ(h, -1);
  EXPECT_EQ(bpp, -1);

  bool listed800 = false;
  for (uint32_t i = 0; i < count; ++i) {
    ASSERT_TRUE(screen.GetMode(i, w, h, bpp));
    EXPECT_TRUE(screen.HasMode(w, h, bpp));
    if (w == 800 && h == 600 && bpp == 16) listed800 = true;
  }
  EXPECT_EQ(static_cast<bool>(screen.HasMode(800, 600, 16)), listed800);
  EXPECT_TRUE(listed800) << "the game's mode is on offer";
  EXPECT_FALSE(screen.HasMode(801, 600, 16));
  EXPECT_FALSE(screen.HasMode(0, 0, 0)) << "the empty end node is not a mode";
}

TEST_F(ScreenTest, FullScreenBuffers) {
  Screen screen(window, 800, 600, 16, 0);
  ASSERT_NE(screen.GetBack(), nullptr);
  ASSERT_NE(screen.GetBack()->ddSurface, nullptr);
  EXPECT_EQ(screen.FullScreen, 1);
  EXPECT_EQ(screen.BitsPerPixel, 16);
  EXPECT_EQ(screen.GetWindow(), window);
  for (Surface* s : {screen.GetFront(), screen.GetBack()}) {
    EXPECT_EQ(s->Width, 800);
    EXPECT_EQ(s->Height, 600);
    EXPECT_EQ(s->ClipRect.right, 800);
    EXPECT_EQ(s->ClipRect.bottom, 600);
    EXPECT_EQ(s->screen, &screen);
    EXPECT_EQ(s->PixelFormatInfo.format, 16);
  }
  EXPECT_NE(screen.GetPalette(), nullptr);
  EXPECT_EQ(screen.GetClipper(), nullptr) << "full-screen mode has no clipper";
}

TEST_F(ScreenTest, TripleBufferingFallsBackToOneBackBuffer) {
  {
    Screen screen;
    screen.TripleBuffering = 1;
    ASSERT_TRUE(screen.CreateFullScreen(window, 640, 480, 16, 0));
    EXPECT_EQ(screen.TripleBuffering, 1) << "two back buffers were given";
  }
  // The device refuses the chain with two back buffers.
  Screen screen;
  screen.TripleBuffering = 1;
  headless::FailSurfaceCreations(1, DDERR_OUTOFVIDEOMEMORY);
  ASSERT_TRUE(screen.CreateFullScreen(window, 640, 480, 16, 0));
  EXPECT_EQ(screen.TripleBuffering, 0);
  ASSERT_NE(screen.GetBack()->ddSurface, nullptr);
  EXPECT_EQ(screen.Flip(1, 0, 0), DD_OK);
}

TEST_F(ScreenTest, FlippingChainFallsBackToSystemMemoryThenFails) {
  Screen screen;
  headless::FailSurfaceCreations(1, DDERR_OUTOFVIDEOMEMORY);
  ASSERT_TRUE(screen.CreateFullScreen(window, 640, 480, 16, 0)) << "second try in system memory";
  EXPECT_EQ(screen.Flip(1, 0, 0), DD_OK);

  headless::FailSurfaceCreations(2, DDERR_OUTOFVIDEOMEMORY);
  EXPECT_FALSE(screen.CreateFullScreen(window, 640, 480, 16, 0));
  ASSERT_NE(screen.GetFront(), nullptr) << "a part-way creation leaves its empty surfaces";
  EXPECT_EQ(screen.GetFront()->ddSurface, nullptr);
  EXPECT_NE(screen.Flip(1, 0, 1), DD_OK) << "nothing to present, and no crash";
  EXPECT_NE(screen.Fill(0), DD_OK);

  screen.BackBufferInVideoMemory = 0;
  headless::FailSurfaceCreations(1, DDERR_OUTOFMEMORY);
  EXPECT_FALSE(screen.CreateFullScreen(window, 640, 480, 16, 0)) << "system memory was the only try";
  EXPECT_TRUE(screen.CreateFullScreen(window, 640, 480, 16, 0));
}

TEST_F(ScreenTest, WindowedFrontIsTheDesktopBackIsAsAsked) {
  Screen screen(window, 320, 200);
  ASSERT_NE(screen.GetBack(), nullptr);
  EXPECT_EQ(screen.FullScreen, 0);
  HDC desktop = GetDC(nullptr);
  int desktopWidth = GetDeviceCaps(desktop, HORZRES);
  int desktopHeight = GetDeviceCaps(desktop, VERTRES);
  int depth = GetDeviceCaps(desktop, PLANES) * GetDeviceCaps(desktop, BITSPIXEL);
  ReleaseDC(nullptr, desktop);
  EXPECT_EQ(screen.GetFront()->Width, desktopWidth);
  EXPECT_EQ(screen.GetFront()->Height, desktopHeight);
  EXPECT_EQ(screen.GetBack()->Width, 320);
  EXPECT_EQ(screen.GetBack()->Height, 200);
  EXPECT_EQ(screen.Width, 320);
  EXPECT_EQ(screen.BitsPerPixel, depth);
  EXPECT_NE(screen.GetClipper(), nullptr);

  // Create with 0 bits is windowed too, and replaces the earlier buffers.
  ASSERT_TRUE(screen.Create(window, 100, 50, 0));
  EXPECT_EQ(screen.FullScreen, 0);
  EXPECT_EQ(screen.GetBack()->Width, 100);
  EXPECT_EQ(screen.GetFront()->Width, desktopWidth);
  ASSERT_TRUE(screen.Create(window, 640, 480, 16));
  EXPECT_EQ(screen.FullScreen, 1);
  EXPECT_EQ(screen.GetClipper(), nullptr) << "the windowed clipper is released";
}

TEST_F(ScreenTest, FrameRateUpdatesAfterMoreThanASecondAndTruncates) {
  headless::AdvanceTime(5000);
  Screen screen(window, 640, 480, 16, 0);  // the counter starts here
  EXPECT_EQ(screen.GetFrameRate(), 0u);
  headless::AdvanceTime(1000);
  screen.Flip(0, 0, 0);
  EXPECT_EQ(screen.GetFrameRate(), 0u) << "exactly 1000 ms is not yet an update";
  EXPECT_EQ(screen.GetFrameCounter(), 1u);
  headless::AdvanceTime(1);
  screen.Flip(0, 0, 0);
  EXPECT_EQ(screen.GetFrameRate(), 0u) << "1 frame over 1001 ms";
  EXPECT_EQ(screen.GetFrameCounter(), 1u) << "the updating call is counted";

  // 60 frames counted over 1010 ms: 59.4 becomes 59.
  for (int i = 0; i < 59; ++i) {
    headless::AdvanceTime(10);
    screen.Flip(0, 0, 0);
  }
  EXPECT_EQ(screen.GetFrameCounter(), 60u);
  EXPECT_EQ(screen.GetFrameRate(), 0u);
  headless::AdvanceTime(420);
  screen.Flip(0, 0, 0);
  EXPECT_EQ(screen.GetFrameRate(), 59u);
  EXPECT_EQ(screen.GetFrameCounter(), 1u);
}

TEST_F(ScreenTest, ColorToPixelPerFormat) {
  Screen screen(window, 640, 480, 16, 0);
  EXPECT_EQ(screen.ColorToPixel(0x0000FF), 0xF800u);
  EXPECT_EQ(screen.ColorToPixel(0x00FF00), 0x07E0u);
  EXPECT_EQ(screen.ColorToPixel(0xFF0000), 0x001Fu);
  EXPECT_EQ(screen.ColorToPixel(0xFFFFFF), 0xFFFFu);
  EXPECT_EQ(screen.ColorToPixel(RGB(0x84, 0x86, 0x88)), (0x10u << 11) | (0x21u << 5) | 0x11u) << "top bits";

  // A 5-5-5 surface.
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = 8;
  desc.dwHeight = 8;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
  desc.ddpfPixelFormat.dwRGBBitCount = 16;
  desc.ddpfPixelFormat.dwRBitMask = 0x7C00;
  desc.ddpfPixelFormat.dwGBitMask = 0x03E0;
  desc.ddpfPixelFormat.dwBBitMask = 0x001F;
  Surface rgb555;
  ASSERT_EQ(screen.GetDirectDraw()->CreateSurface(&desc, &rgb555.ddSurface, nullptr), DD_OK);
  EXPECT_EQ(screen.ColorToPixel(0x0000FF, &rgb555), 0x7C00u);
  EXPECT_EQ(screen.ColorToPixel(0x00FF00, &rgb555), 0x03E0u);
  EXPECT_EQ(screen.ColorToPixel(0xFFFFFF, &rgb555), 0x7FFFu);

  ASSERT_TRUE(screen.CreateFullScreen(window, 640, 480, 32, 0));
  EXPECT_EQ(screen.ColorToPixel(RGB(0x12, 0x34, 0x56)), 0x123456u);

  ASSERT_TRUE(screen.CreateFullScreen(window, 640, 480, 8, 0));
  EXPECT_EQ(screen.ColorToPixel(0x0000FF), 0x0000FFu) << "palette formats take the colour unchanged";

  // Another surface's format rather than the back buffer's.
  ASSERT_TRUE(screen.CreateFullScreen(window, 640, 480, 16, 0));
  Surface other(&screen, 8, 8, SystemMemory);
  EXPECT_EQ(screen.ColorToPixel(0x0000FF, &other), 0xF800u);
}

TEST_F(ScreenTest, ColorToPixelEndsOnOddFormats) {
  Screen screen(window, 320, 240, 16, 0);
  // A channel without a mask takes no bits; the call ends.
  FormatOnlySurface noRed(Rgb(32, 0, 0xFF00, 0xFF));
  Surface a;
  a.ddSurface = &noRed;
  EXPECT_EQ(screen.ColorToPixel(RGB(0x12, 0x34, 0x56), &a), 0x3456u);
  FormatOnlySurface none(Rgb(16, 0, 0, 0));
  Surface b;
  b.ddSurface = &none;
  EXPECT_EQ(screen.ColorToPixel(RGB(0xFF, 0xFF, 0xFF), &b), 0u);
  // Channels wider than 8 bits: the colour fills the top of the field and its
  // bits repeat below, so full intensity is a full field.
  FormatOnlySurface wide(Rgb(32, 0x3FF00000, 0x000FFC00, 0x000003FF));
  Surface c;
  c.ddSurface = &wide;
  EXPECT_EQ(screen.ColorToPixel(RGB(0xFF, 0, 0x80), &c), 0x3FF00202u);
  FormatOnlySurface whole(Rgb(32, 0xFFFFFFFF, 0, 0));
  Surface d;
  d.ddSurface = &whole;
  EXPECT_EQ(screen.ColorToPixel(RGB(0xFF, 0, 0), &d), 0xFFFFFFFFu);
  EXPECT_EQ(screen.ColorToPixel(RGB(0x80, 0, 0), &d), 0x80808080u);
}

TEST_F(ScreenTest, FlipRestoresLostBuffersAndStillReportsTheLoss) {
  Screen screen(window, 640, 480, 16, 0);
  ASSERT_EQ(screen.Flip(1, 0, 0), DD_OK);
  headless::LoseAllSurfaces();
  EXPECT_EQ(screen.GetFront()->ddSurface->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(screen.Flip(1, 0, 0), DDERR_SURFACELOST);
  EXPECT_EQ(screen.GetFront()->ddSurface->IsLost(), DD_OK);
  EXPECT_EQ(screen.GetBack()->ddSurface->IsLost(), DD_OK) << "the attached back buffer came back too";
  EXPECT_EQ(screen.Flip(1, 0, 0), DD_OK);

  ASSERT_TRUE(screen.CreateWindowed(window, 320, 200));
  ASSERT_EQ(screen.Flip(1, 0, 0), DD_OK);
  headless::LoseAllSurfaces();
  EXPECT_EQ(screen.Flip(1, 0, 0), DDERR_SURFACELOST);
  EXPECT_EQ(screen.GetFront()->ddSurface->IsLost(), DD_OK);
  EXPECT_EQ(screen.GetBack()->ddSurface->IsLost(), DD_OK);
  EXPECT_EQ(screen.Flip(1, 0, 0), DD_OK);
}

TEST_F(ScreenTest, PresentedFrameShowsTheBackBufferIn16Bits) {
  Screen screen(window, 320, 240, 16, 0);
  ASSERT_NE(screen.GetBack(), nullptr);
  auto values = PaintPattern(screen.GetBack(), 2, [](int x, int y) { return (x * 1021u + y * 4099u) & 0xFFFF; });
  ASSERT_EQ(values.size(), 320u * 240u);
  uint64_t before = headless::PresentedFrameCount();
  ASSERT_EQ(screen.Flip(1, 0, 0), DD_OK);
  ASSERT_GT(headless::PresentedFrameCount(), before);
  const headless::CapturedFrame* frame = headless::LastFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->width, 320);
  ASSERT_EQ(frame->height, 240);
  for (size_t i = 0; i < values.size(); ++i)
    ASSERT_EQ(frame->pixels[i], Shown565(values[i])) << "pixel " << i % 320 << "," << i / 320;
  // The raw picture is the back buffer's 5-6-5 words themselves.
  ASSERT_EQ(frame->bitsPerPixel, 16);
  EXPECT_EQ(frame->redMask, 0xF800u);
  ASSERT_EQ(frame->raw.size(), values.size() * 2);
  for (size_t i = 0; i < values.size(); ++i)
    ASSERT_EQ(frame->raw[2 * i] | (frame->raw[2 * i + 1] << 8), static_cast<int>(values[i])) << i;
}

TEST_F(ScreenTest, PresentedFrameShowsTheBackBufferIn32Bits) {
  Screen screen(window, 320, 240, 32, 0);
  ASSERT_NE(screen.GetBack(), nullptr);
  auto values = PaintPattern(screen.GetBack(), 4, [](int x, int y) { return (x * 0x030507u + y * 0x0B0D11u) & 0xFFFFFF; });
  ASSERT_EQ(screen.Flip(1, 0, 0), DD_OK);
  const headless::CapturedFrame* frame = headless::LastFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->pixels.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) ASSERT_EQ(frame->pixels[i], values[i]) << i;
}

TEST_F(ScreenTest, PresentedFrameShowsTheBackBufferIn8BitsThroughThePalette) {
  Screen screen(window, 320, 240, 8, 0);
  ASSERT_NE(screen.GetPalette(), nullptr);
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; ++i)
    entries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0};
  ASSERT_EQ(screen.GetPalette()->SetEntries(0, 0, 256, entries), DD_OK);
  auto values = PaintPattern(screen.GetBack(), 1, [](int x, int y) { return (x * 5u + y * 3u) & 0xFF; });
  ASSERT_EQ(screen.Flip(1, 0, 0), DD_OK);
  const headless::CapturedFrame* frame = headless::LastFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->pixels.size(), values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const PALETTEENTRY& e = entries[values[i]];
    uint32_t want = (uint32_t{e.peRed} << 16) | (uint32_t{e.peGreen} << 8) | e.peBlue;
    ASSERT_EQ(frame->pixels[i], want) << i;
  }
}

TEST_F(ScreenTest, FillAndFrameRateTextReachTheFrame) {
  Screen screen(window, 320, 240, 32, 0);
  ASSERT_EQ(screen.Fill(0x000080), DD_OK);
  ASSERT_EQ(screen.Flip(1, 0, 0), DD_OK);
  const headless::CapturedFrame* frame = headless::LastFrame();
  ASSERT_NE(frame, nullptr);
  for (uint32_t p : frame->pixels) ASSERT_EQ(p, 0x000080u);

  // With show, "FPS = 0" is written at (10, 20) in red 240, green 255, blue 0;
  // it matches the same text drawn with the surface's own text call.
  Surface expected(&screen, 320, 240, SystemMemory);
  expected.Fill(0x000080);
  expected.GetDC();
  expected.DrawTextAt(10, 20, 0x00FFF0, "FPS = 0");
  expected.ReleaseDC();
  std::vector<uint32_t> want;
  ASSERT_EQ(expected.Lock(), DD_OK);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      want.push_back(*reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(expected.SurfaceDesc.lpSurface) +
                                                  y * expected.SurfaceDesc.lPitch + x * 4) &
                     0xFFFFFF);
  expected.Unlock();

  ASSERT_EQ(screen.Fill(0x000080), DD_OK);
  ASSERT_EQ(screen.Flip(1, 0, 1), DD_OK);
  frame = headless::LastFrame();
  int ink = 0;
  for (size_t i = 0; i < want.size(); ++i) {
    ASSERT_EQ(frame->pixels[i], want[i]) << i % 320 << "," << i / 320;
    if (want[i] == 0xF0FF00) ++ink;
  }
  EXPECT_GT(ink, 20) << "the text has ink";
}

TEST_F(ScreenTest, WindowedFlipCopiesIntoTheClientArea) {
  RECT client{};
  GetClientRect(window, &client);
  ASSERT_GT(client.right, 0);
  // A back buffer half the client's size: stretched, each half fills half the area.
  Screen screen(window, client.right / 2, client.bottom / 2);
  ASSERT_NE(screen.GetBack(), nullptr);
  int32_t half = client.right / 4;
  screen.GetBack()->FillRect(0, 0, half, client.bottom / 2, screen.ColorToPixel(RGB(255, 0, 0)));
  screen.GetBack()->FillRect(half, 0, client.right / 2, client.bottom / 2, screen.ColorToPixel(RGB(0, 0, 255)));
  ASSERT_EQ(screen.Flip(1, 1, 0), DD_OK);
  const headless::CapturedFrame* frame = headless::LastFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->width, client.right);
  ASSERT_EQ(frame->height, client.bottom);
  for (int y = 0; y < frame->height; ++y)
    for (int x = 0; x < frame->width; ++x)
      ASSERT_EQ(frame->pixels[y * frame->width + x], x < 2 * half ? 0xFF0000u : 0x0000FFu) << x << "," << y;

  // Unstretched, the back buffer lands at the client's top-left at its own size.
  ASSERT_TRUE(screen.CreateWindowed(window, client.right, client.bottom));
  screen.Fill(screen.ColorToPixel(RGB(0, 255, 0)));
  screen.GetBack()->FillRect(0, 0, 10, 10, screen.ColorToPixel(RGB(255, 255, 255)));
  ASSERT_EQ(screen.Flip(0, 0, 0), DD_OK);
  frame = headless::LastFrame();
  EXPECT_EQ(frame->pixels[0], 0xFFFFFFu);
  EXPECT_EQ(frame->pixels[9 * frame->width + 9], 0xFFFFFFu);
  EXPECT_EQ(frame->pixels[10 * frame->width + 10], 0x00FF00u);
  EXPECT_EQ(frame->pixels.back(), 0x00FF00u);
}

TEST_F(ScreenTest, LoadBitmapToBackNeedsAName) {
  Screen screen(window, 320, 240, 16, 0);
  EXPECT_FALSE(screen.LoadBitmapToBack(nullptr));
  EXPECT_FALSE(screen.LoadBitmapToBack("no such picture.bmp"));
}

TEST_F(ScreenTest, ADeviceThatCannotBeOpenedIsNeverUsed) {
  headless::FailDirectDrawCreate(DDERR_NODIRECTDRAWHW);
  Screen screen;
  ASSERT_EQ(headless::MessageBoxes().size(), 1u);
  EXPECT_NE(headless::MessageBoxes()[0].text.find("FILE: screen\nLINE: 217"), std::string::npos);
  EXPECT_EQ(screen.GetDirectDraw(), nullptr);
  EXPECT_EQ(screen.GetModeCount(), 0u);
  EXPECT_FALSE(screen.HasMode(800, 600, 16));
  EXPECT_FALSE(screen.CreateFullScreen(window, 800, 600, 16, 0));
  EXPECT_FALSE(screen.CreateWindowed(window, 320, 200));
  EXPECT_EQ(screen.GetBack(), nullptr);
  EXPECT_NE(screen.Flip(1, 0, 1), DD_OK);
  EXPECT_NE(screen.Fill(0), DD_OK);
  EXPECT_NE(screen.WaitForVerticalBlank(), DD_OK);
  EXPECT_EQ(screen.ColorToPixel(0x0000FF), 0x0000FFu);
  screen.RestoreSurfaces();

  // Opening another driver fails the same way and reports its own line.
  EXPECT_FALSE(screen.SelectDriver(screen.GetDriverCount()));
  EXPECT_NE(headless::MessageBoxes().back().text.find("LINE: 1534"), std::string::npos);
  headless::FailDirectDrawCreate(DD_OK);
  EXPECT_TRUE(screen.SelectDriver(screen.GetDriverCount())) << "a later attempt may succeed";
  EXPECT_TRUE(screen.CreateFullScreen(window, 640, 480, 16, 0));
}

}  // namespace
