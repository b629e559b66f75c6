// SPDX-License-Identifier: MIT
// Shared by the DirectDraw tests: a headless window, a device, and helpers to
// make surfaces and read and write their pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/ddraw.h"
#include "platform/headless.h"
#include "platform/windows.h"
#include "test_support.h"

namespace ddtest {

inline LRESULT Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

using test_support::BytesOf;
inline DDPIXELFORMAT Format(int depth) { return test_support::FormatOfDepth(depth); }

class DDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "DDrawTest";
    ASSERT_NE(RegisterClassA(&wc), 0);
    window = CreateWindowExA(0, "DDrawTest", "DDraw", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    IDirectDraw* first = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd)), S_OK);
    first->Release();
  }
  void TearDown() override {
    for (auto* s : surfaces) s->Release();
    if (dd) dd->Release();
  }

  // An off-screen surface that the fixture releases.
  IDirectDrawSurface4* Make(int w, int h, int depth, DWORD caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (depth ? DDSD_PIXELFORMAT : 0u);
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    d.ddsCaps.dwCaps = caps;
    if (depth) d.ddpfPixelFormat = Format(depth);
    IDirectDrawSurface4* s = nullptr;
    HRESULT r = dd->CreateSurface(&d, &s, nullptr);
    EXPECT_EQ(r, DD_OK);
    if (s) surfaces.push_back(s);
    return s;
  }

  HRESULT FullScreen(int w, int h, int bits) {
    HRESULT r = dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT);
    if (r != DD_OK) return r;
    return dd->SetDisplayMode(static_cast<DWORD>(w), static_cast<DWORD>(h), static_cast<DWORD>(bits), 0, 0);
  }

  // The flipping chain; the front is released by the fixture.
  IDirectDrawSurface4* Chain(int backBuffers, IDirectDrawSurface4** back) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    d.dwBackBufferCount = static_cast<DWORD>(backBuffers);
    IDirectDrawSurface4* front = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &front, nullptr), DD_OK);
    if (!front) return nullptr;
    surfaces.push_back(front);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    EXPECT_EQ(front->GetAttachedSurface(&caps, back), DD_OK);
    if (*back) (*back)->Release();  // the chain keeps it
    return front;
  }

  static uint32_t Get(IDirectDrawSurface4* s, int x, int y) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount / 8);
    uint32_t v = 0;
    memcpy(&v, static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes, static_cast<size_t>(bytes));
    s->Unlock(nullptr);
    return v;
  }

  static void Put(IDirectDrawSurface4* s, int x, int y, uint32_t v) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount / 8);
    memcpy(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes, &v, static_cast<size_t>(bytes));
    s->Unlock(nullptr);
  }

  // Every pixel, row by row.
  static std::vector<uint32_t> All(IDirectDrawSurface4* s) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount / 8);
    std::vector<uint32_t> out;
    for (DWORD y = 0; y < d.dwHeight; ++y)
      for (DWORD x = 0; x < d.dwWidth; ++x) {
        uint32_t v = 0;
        memcpy(&v, static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes, static_cast<size_t>(bytes));
        out.push_back(v);
      }
    s->Unlock(nullptr);
    return out;
  }

  static HRESULT Fill(IDirectDrawSurface4* s, RECT* r, uint32_t v) {
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = v;
    return s->Blt(r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  }

  static void SetKey(IDirectDrawSurface4* s, uint32_t low, uint32_t high) {
    DDCOLORKEY k{low, high};
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &k), DD_OK);
  }

  HWND window = nullptr;
  IDirectDraw4* dd = nullptr;
  std::vector<IDirectDrawSurface4*> surfaces;
};

}  // namespace ddtest
