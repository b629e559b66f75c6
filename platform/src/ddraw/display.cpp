// SPDX-License-Identifier: MIT
// The emulated display: mode, focus, vertical blank, presentation.
#include <algorithm>

#include "ddraw/objects.h"
#include "ddraw/pixels.h"
#include "hooks/hooks.h"
#include "user/user_internal.h"

namespace platform::ddraw {
namespace {

// Converts one row of raw pixels to 0x00RRGGBB.
// A row of the display's picture in the backend's order: 16-bit rows in one
// pass, the others as 0x00RRGGBB first and then, for a canvas, swapped in
// place while the row is still in the cache.
void RowToFrame(const uint8_t* src, uint32_t* dst, int w, const PixelFormat& f, const ColorCodec& codec,
                const uint32_t* palette, bool canvas) {
  if (f == PixelFormat::Rgb565() || f == PixelFormat::Rgb555()) {
    pixels::Row16ToRgb(src, dst, w, f == PixelFormat::Rgb565(), canvas);
    return;
  }
  if (f.bits == 8) {
    for (int x = 0; x < w; ++x) dst[x] = palette[src[x]];
  } else if (f.bits == 32 && f.red == 0xFF0000 && f.green == 0xFF00 && f.blue == 0xFF) {
    for (int x = 0; x < w; ++x) dst[x] = ReadPixel(src + 4 * x, 4) & 0xFFFFFF;
  } else if (f.bits == 24 && f.red == 0xFF0000 && f.green == 0xFF00 && f.blue == 0xFF) {
    for (int x = 0; x < w; ++x) dst[x] = ReadPixel(src + 3 * x, 3);
  } else {
    int bytes = f.BytesPerPixel();
    for (int x = 0; x < w; ++x) dst[x] = codec.ToRgb(ReadPixel(src + bytes * x, bytes), palette);
  }
  if (canvas)
    for (int x = 0; x < w; ++x) dst[x] = pixels::CanvasOrder(dst[x]);
}

}  // namespace

Rect64 Rect64::Intersect(const Rect64& o) const {
  return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
}

bool DescSizeOk(DWORD size) { return size == sizeof(DDSURFACEDESC2) || size == DDSURFACEDESC2_PLATFORM_SIZE; }

Display& Display::Get() {
  static Display display;
  return display;
}

Display::Display() {
  platform::user::AddEventListener(&Display::OnEvent, this);
  listening_ = true;
}

void Display::OnEvent(const backend::Event& event, void* user) {
  auto* d = static_cast<Display*>(user);
  if (!d->owner_) return;
  backend::WindowId own = platform::user::BackendWindow(d->ownerWindow_);
  if (event.window != backend::kNoWindow && own != backend::kNoWindow && event.window != own) return;
  if (event.type == backend::Event::Type::FocusLost) {
    // Another program took the display: everything on it, and all video
    // memory, is gone until this program has the focus again.
    d->focusAway_ = true;
    d->LoseSurfaces();
  } else if (event.type == backend::Event::Type::FocusGained) {
    d->focusAway_ = false;
    d->Present();
  }
}

void Display::DesktopSize(int* width, int* height) const {
  int w = 0, h = 0;
  backend::Instance().DesktopSize(w, h);
  *width = std::max(w, 1);
  *height = std::max(h, 1);
}

int Display::Width() const {
  if (modeSet_) return modeWidth_;
  int w, h;
  DesktopSize(&w, &h);
  return w;
}

int Display::Height() const {
  if (modeSet_) return modeHeight_;
  int w, h;
  DesktopSize(&w, &h);
  return h;
}

PixelFormat Display::Format() const { return modeSet_ ? modeFormat_ : DesktopFormat(); }

void Display::SetMode(int width, int height, const PixelFormat& format) {
  bool changed = !modeSet_ || width != modeWidth_ || height != modeHeight_ || !(format == modeFormat_);
  modeSet_ = true;
  modeWidth_ = width;
  modeHeight_ = height;
  modeFormat_ = format;
  // A mode change takes the memory of the display.
  if (changed) LoseSurfaces();
}

void Display::RestoreMode() {
  if (!modeSet_) return;
  modeSet_ = false;
  LoseSurfaces();
}

void Display::SetOwner(Device* device, HWND window) {
  owner_ = device;
  ownerWindow_ = window;
  focusAway_ = false;
}

void Display::Unregister(Surface* s) {
  surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), s), surfaces_.end());
  if (primary_ == s) {
    primary_ = nullptr;
    primaryWindow_ = nullptr;
  }
}

void Display::LoseSurfaces() {
  for (Surface* s : surfaces_)
    if (s->Video() || s->OnDisplay()) s->MarkLost();
}

bool Display::ReserveVideo(size_t bytes) {
  if (videoUsed_ > videoTotal_ || bytes > videoTotal_ - videoUsed_) return false;
  videoUsed_ += bytes;
  return true;
}

void Display::Present() {
  Surface* p = primary_;
  if (!p || p->Lost()) return;
  backend::WindowId window;
  Rect64 area;  // the part of the primary surface shown, in its coordinates
  if (owner_) {
    if (focusAway_) return;
    window = platform::user::BackendWindow(ownerWindow_);
    area = {0, 0, p->Width(), p->Height()};
  } else {
    HWND w = p->AttachedClipper() ? p->AttachedClipper()->Window() : nullptr;
    if (!w || !IsWindow(w)) w = primaryWindow_;
    if (!w || !IsWindow(w)) return;
    window = platform::user::BackendWindow(w);
    RECT client;
    GetClientRect(w, &client);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    area = {origin.x, origin.y, static_cast<int64_t>(origin.x) + client.right,
            static_cast<int64_t>(origin.y) + client.bottom};
  }
  if (window == backend::kNoWindow || area.Empty()) return;
  if (!backend::Instance().WantsFramePixels()) {
    backend::Instance().Present(window, backend::Frame{});
    return;
  }
  int fw = static_cast<int>(area.Width()), fh = static_cast<int>(area.Height());
  Rect64 shown = area.Intersect({0, 0, p->Width(), p->Height()});
  bool covered = shown.left == area.left && shown.top == area.top && shown.right == area.right &&
                 shown.bottom == area.bottom;
  size_t count = static_cast<size_t>(fw) * fh;
  const bool canvas = backend::Instance().PixelOrder() == backend::FrameOrder::CanvasRgba;
  if (covered)
    frame_.resize(count);  // every pixel is written below
  else
    frame_.assign(count, canvas ? 0xFF000000u : 0);  // black where the window reaches past the desktop
  const PixelFormat& f = p->Format();
  ColorCodec codec(f);
  const uint32_t* palette = p->PaletteRgb();
  int bytes = f.BytesPerPixel();
  if (!shown.Empty()) {
    for (int64_t y = shown.top; y < shown.bottom; ++y) {
      const uint8_t* src = p->Bits() + y * p->Pitch() + shown.left * bytes;
      uint32_t* dst = frame_.data() + (y - area.top) * fw + (shown.left - area.left);
      RowToFrame(src, dst, static_cast<int>(shown.Width()), f, codec, palette, canvas);
    }
  }
  backend::Frame frame;
  frame.pixels = frame_.data();
  frame.width = fw;
  frame.height = fh;
  frame.pitchPixels = fw;
  if (covered) {
    frame.raw = p->Bits() + area.top * p->Pitch() + area.left * bytes;
    frame.rawPitch = p->Pitch();
    frame.rawBitsPerPixel = f.bits;
    frame.rawRedMask = f.red;
    frame.rawGreenMask = f.green;
    frame.rawBlueMask = f.blue;
  }
  backend::Instance().Present(window, frame);
}

uint32_t Display::NextBlank(uint32_t now) {
  uint64_t n = static_cast<uint64_t>(now) * 60 / 1000 + 1;
  while (n * 1000 / 60 <= now) ++n;
  return static_cast<uint32_t>(n * 1000 / 60);
}

uint32_t Display::WaitForBlank() {
  backend::Backend& b = backend::Instance();
  uint32_t now = b.Milliseconds();
  uint32_t blank = NextBlank(now);
  // The window system's events are taken in as they come while waiting, so
  // that a focus loss stops the wait at once rather than a frame later.
  while (!FocusAway()) {
    now = b.Milliseconds();
    if (static_cast<int32_t>(blank - now) <= 0) return blank;
    if (!b.EventsCanArrive()) {
      b.Sleep(blank - now);
      return blank;
    }
    platform::user::WaitForEvents(blank - now);
  }
  return WaitWhileAway();
}

uint32_t Display::WaitWhileAway() {
  backend::Backend& b = backend::Instance();
  // The display of another program: its blank never comes for this one. Wait,
  // using no processor, for the focus or for a message that the program must
  // handle (a key, the close box), so that a frame loop stands still meanwhile.
  // One that came before the focus went (the window closed from outside, say)
  // ends the wait too.
  uint64_t messages = platform::user::NoticeableMessages();
  while (FocusAway() && platform::user::NoticeableMessages() == messages &&
         !platform::user::NoticeableMessageWaiting()) {
    if (!b.EventsCanArrive()) {
      // Nothing can ever end the wait (a script ran out): keep the pace instead.
      uint32_t now = b.Milliseconds();
      uint32_t blank = NextBlank(now);
      b.Sleep(blank - now);
      return blank;
    }
    platform::user::WaitForEvents(kAwayPollMs);
  }
  return b.Milliseconds();
}

void Display::Reset() {
  failCreations = 0;
  failCreationResult = DDERR_OUTOFMEMORY;
  stillDrawingLocks = 0;
  failCreateDevice = DD_OK;
  refuseMirroring = false;
  videoTotal_ = 256ull << 20;
  modeSet_ = false;
  owner_ = nullptr;
  ownerWindow_ = nullptr;
  focusAway_ = false;
  primary_ = nullptr;
  primaryWindow_ = nullptr;
  lastFlipAt = 0;
  flipped = false;
}

}  // namespace platform::ddraw

namespace platform::hooks::ddraw {
using platform::ddraw::Display;
void Reset() { Display::Get().Reset(); }
void LoseAllSurfaces() { Display::Get().LoseSurfaces(); }
void FailSurfaceCreations(int count, HRESULT result) {
  Display::Get().failCreations = count;
  Display::Get().failCreationResult = result;
}
void SetVideoMemory(uint32_t bytes) { Display::Get().SetVideoTotal(bytes); }
void LockStillDrawing(int count) { Display::Get().stillDrawingLocks = count; }
void FailDirectDrawCreate(HRESULT result) { Display::Get().failCreateDevice = result; }
void RefuseMirroring(bool refuse) { Display::Get().refuseMirroring = refuse; }
}  // namespace platform::hooks::ddraw
