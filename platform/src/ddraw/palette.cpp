// SPDX-License-Identifier: MIT
// Palettes and clippers.
#include <cstring>

#include "ddraw/objects.h"

namespace platform::ddraw {
Palette::Palette(DWORD caps, const PALETTEENTRY* entries) : caps_(caps) {
  memcpy(entries_, entries, sizeof(entries_));
  for (int i = 0; i < 256; ++i)
    rgb_[i] = (static_cast<uint32_t>(entries_[i].peRed) << 16) | (static_cast<uint32_t>(entries_[i].peGreen) << 8) |
              entries_[i].peBlue;
}

HRESULT Palette::QueryInterface(REFIID riid, void** object) {
  return Answer(riid, object, static_cast<IDirectDrawPalette*>(this), {&IID_IDirectDrawPalette});
}

HRESULT Palette::GetCaps(LPDWORD caps) {
  if (!caps) return DDERR_INVALIDPARAMS;
  *caps = caps_;
  return DD_OK;
}

HRESULT Palette::GetEntries(DWORD, DWORD base, DWORD count, LPPALETTEENTRY entries) {
  if (!entries || static_cast<uint64_t>(base) + count > 256) return DDERR_INVALIDPARAMS;
  memcpy(entries, entries_ + base, count * sizeof(PALETTEENTRY));
  return DD_OK;
}

HRESULT Palette::SetEntries(DWORD, DWORD start, DWORD count, LPPALETTEENTRY entries) {
  if (!entries || static_cast<uint64_t>(start) + count > 256) return DDERR_INVALIDPARAMS;
  memcpy(entries_ + start, entries, count * sizeof(PALETTEENTRY));
  for (DWORD i = start; i < start + count; ++i)
    rgb_[i] = (static_cast<uint32_t>(entries_[i].peRed) << 16) | (static_cast<uint32_t>(entries_[i].peGreen) << 8) |
              entries_[i].peBlue;
  // A palette on the display changes the colours on screen at once.
  Display& d = Display::Get();
  if (d.Primary() && d.Primary()->AttachedPalette() == this && d.Primary()->Format().Palettized()) d.Present();
  return DD_OK;
}

HRESULT Clipper::QueryInterface(REFIID riid, void** object) {
  return Answer(riid, object, static_cast<IDirectDrawClipper*>(this), {&IID_IDirectDrawClipper});
}

HRESULT Clipper::GetHWnd(HWND* window) {
  if (!window) return DDERR_INVALIDPARAMS;
  *window = window_;
  return DD_OK;
}

HRESULT Clipper::SetHWnd(DWORD, HWND window) {
  if (window && !IsWindow(window)) return DDERR_INVALIDPARAMS;
  window_ = window;
  return DD_OK;
}

bool Clipper::ClientArea(Rect64* area) const {
  if (!window_ || !IsWindow(window_)) return false;
  RECT client;
  GetClientRect(window_, &client);
  POINT origin{0, 0};
  ClientToScreen(window_, &origin);
  *area = {origin.x, origin.y, static_cast<int64_t>(origin.x) + client.right,
           static_cast<int64_t>(origin.y) + client.bottom};
  return true;
}

}  // namespace platform::ddraw
