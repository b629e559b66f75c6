// SPDX-License-Identifier: MIT
// The DirectDraw objects behind the interfaces: the device, surfaces, palettes
// and clippers, and the one emulated display they share.
//
// How this DirectDraw behaves where the platform leaves room:
// - The desktop is 32-bit X8R8G8B8 (as GDI reports it). Before a mode is set,
//   the display is the desktop: a surface created without a pixel format takes
//   the display's format, 32 bits until SetDisplayMode and the mode's after.
// - Modes: 320x240, 640x480, 800x600, 1024x768, 1280x1024 and the desktop's own
//   size, each at 8 (palettized), 16 (5-6-5), 24 and 32 bits, 60 Hz. Setting
//   one needs the exclusive level; changing it loses video memory.
// - Drivers: the primary display driver (no identifier, "display" /
//   "Primary Display Driver"), and with DDENUM_NONDISPLAYDEVICES a second one
//   with an identifier of its own that drives the same display.
// - Memory: 256 MB of emulated video memory. Video-memory surfaces, driver's-
//   choice surfaces placed there, and the display's own surfaces can be lost;
//   system memory never is. A lost surface keeps its memory (a caller may still
//   hold a locked pointer) and comes back zeroed from Restore.
// - Focus: in exclusive mode, losing the focus loses the display and all video
//   memory; Restore answers DDERR_WRONGMODE until the focus is back, as it does
//   for a primary surface made for another mode.
// - Copies clip to both surfaces (and to the destination's clipper window) and
//   copy what is inside; empty or inverted rectangles are DDERR_INVALIDRECT.
//   A source key is compared on the colour bits only; a key range runs from low
//   to high inclusive, and a high below low means the single colour low.
// - The vertical blank n of the emulated display is at floor(n * 1000 / 60) ms
//   of the backend clock; waiting for it sleeps.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "backend/backend.h"
#include "com/object.h"
#include "ddraw/format.h"
#include "ddraw/pixels.h"
#include "platform/ddraw.h"
#include "platform/winuser.h"

namespace platform::ddraw {

class Surface;
class Palette;
class Clipper;
class Device;

// A rectangle in 64-bit coordinates, so that a caller's extreme values cannot
// overflow while they are clipped.
struct Rect64 {
  int64_t left = 0, top = 0, right = 0, bottom = 0;
  int64_t Width() const { return right - left; }
  int64_t Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  static Rect64 From(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
  Rect64 Intersect(const Rect64& o) const;
};

bool DescSizeOk(DWORD size);

struct FreeDeleter {
  void operator()(uint8_t* p) const { std::free(p); }
};
using PixelMemory = std::unique_ptr<uint8_t, FreeDeleter>;

class Palette final : public com::Object<IDirectDrawPalette> {
 public:
  Palette(DWORD caps, const PALETTEENTRY* entries);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT GetCaps(LPDWORD caps) override;
  HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) override;
  HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) override;

  const PALETTEENTRY* Entries() const { return entries_; }
  // The entries as 0x00RRGGBB.
  const uint32_t* Rgb() const { return rgb_; }

 private:
  ~Palette() override = default;
  DWORD caps_ = 0;
  PALETTEENTRY entries_[256] = {};
  uint32_t rgb_[256] = {};
};

class Clipper final : public com::Object<IDirectDrawClipper> {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override;
  HRESULT GetHWnd(HWND* window) override;
  HRESULT SetHWnd(DWORD flags, HWND window) override;

  // The window's client area in screen coordinates; false when there is no
  // live window to clip to.
  bool ClientArea(Rect64* area) const;
  HWND Window() const { return window_; }

 private:
  ~Clipper() override = default;
  HWND window_ = nullptr;
};

class Surface final : public com::Object<IDirectDrawSurface4> {
 public:
  enum class Role { Plain, Primary, BackBuffer };

  // memory: pitch * height zeroed bytes; video: whether the surface counts as
  // video memory (and can be lost).
  Surface(Role role, int width, int height, int pitch, const PixelFormat& format, PixelMemory memory, bool video,
          DWORD caps);

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** object) override;
  // IDirectDrawSurface4
  HRESULT Blt(LPRECT destRect, LPDIRECTDRAWSURFACE4 source, LPRECT sourceRect, DWORD flags, LPDDBLTFX fx) override;
  HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE4 source, LPRECT sourceRect, DWORD trans) override;
  HRESULT Flip(LPDIRECTDRAWSURFACE4 target, DWORD flags) override;
  HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE4* surface) override;
  HRESULT GetCaps(LPDDSCAPS2 caps) override;
  HRESULT GetClipper(LPDIRECTDRAWCLIPPER* clipper) override;
  HRESULT GetColorKey(DWORD flags, LPDDCOLORKEY key) override;
  HRESULT GetDC(HDC* dc) override;
  HRESULT GetPalette(LPDIRECTDRAWPALETTE* palette) override;
  HRESULT GetPixelFormat(LPDDPIXELFORMAT format) override;
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 desc) override;
  HRESULT IsLost() override;
  HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) override;
  HRESULT ReleaseDC(HDC dc) override;
  HRESULT Restore() override;
  HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) override;
  HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
  HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) override;
  HRESULT Unlock(LPRECT rect) override;

  // Internal view.
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Pitch() const { return pitch_; }
  const PixelFormat& Format() const { return format_; }
  uint8_t* Bits() const { return memory_.get(); }
  bool Lost() const { return lost_; }
  bool Busy() const { return locked_ || dc_ != nullptr; }
  bool Video() const { return video_; }
  Role GetRole() const { return role_; }
  // Part of the display's flipping chain (or the display itself): lost with it.
  bool OnDisplay() const { return role_ != Role::Plain; }
  Palette* AttachedPalette() const { return palette_; }
  Clipper* AttachedClipper() const { return clipper_; }
  size_t MemoryBytes() const { return static_cast<size_t>(pitch_) * height_; }
  // The colours an 8-bit surface shows as: its palette, else the display's.
  const uint32_t* PaletteRgb() const;
  const PALETTEENTRY* PaletteEntries() const;

  void MarkLost() { lost_ = true; }
  // Back buffers joined to a flipping chain's front.
  void AttachBackBuffers(std::vector<Surface*> backs);
  // The memory block that showed when the chain was made (the desktop's).
  bool HoldsFirstMemory() const { return memoryId_ == 0; }

 private:
  ~Surface() override;
  Rect64 Bounds() const { return {0, 0, width_, height_}; }
  // The rectangle blits onto this surface stay in: the surface, cut to its
  // clipper's window when it has one.
  Rect64 ClipArea() const;
  HRESULT CopyFrom(const Rect64& dest, Surface* src, const Rect64& srcRect, bool mirrorX, bool mirrorY,
                   const pixels::Key* key);
  void Describe(DDSURFACEDESC2* desc) const;
  // Called after the pixels changed: the display shows them if this is it.
  void Changed();
  std::vector<Surface*> Chain();

  Role role_;
  int width_, height_, pitch_;
  PixelFormat format_;
  PixelMemory memory_;
  int memoryId_ = 0;
  bool video_;
  DWORD caps_;
  bool lost_ = false;
  bool locked_ = false;
  bool lockedReadOnly_ = false;
  HDC dc_ = nullptr;
  bool hasKey_ = false;
  DDCOLORKEY key_{};
  Palette* palette_ = nullptr;
  Clipper* clipper_ = nullptr;
  Surface* front_ = nullptr;         // for back buffers: the chain's front
  std::vector<Surface*> backs_;      // for the front: its back buffers, one reference each
};

class Device final : public com::Object<IDirectDraw, IDirectDraw4> {
 public:
  explicit Device(int driver);

  HRESULT QueryInterface(REFIID riid, void** object) override;

  HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) override;
  HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette, IUnknown* outer) override;
  HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE4* surface, IUnknown* outer) override;
  HRESULT EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                           LPDDENUMMODESCALLBACK2 callback) override;
  HRESULT FlipToGDISurface() override;
  HRESULT GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) override;
  HRESULT GetDisplayMode(LPDDSURFACEDESC2 desc) override;
  HRESULT RestoreDisplayMode() override;
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) override;
  HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) override;

 private:
  ~Device() override;
  HRESULT CreatePrimary(const DDSURFACEDESC2& desc, DWORD caps, LPDIRECTDRAWSURFACE4* surface);
  void LeaveExclusive();

  bool levelSet_ = false;
  bool exclusive_ = false;
  HWND window_ = nullptr;
};

// The one display: its mode, the surfaces on it, focus, the emulated vertical
// blank, presentation through the backend, and the test faults.
class Display {
 public:
  static Display& Get();

  // Mode. Before any mode is set the display shows the desktop.
  int Width() const;
  int Height() const;
  PixelFormat Format() const;
  bool ModeSet() const { return modeSet_; }
  void SetMode(int width, int height, const PixelFormat& format);
  void RestoreMode();
  static PixelFormat DesktopFormat() { return PixelFormat::Xrgb8888(); }
  void DesktopSize(int* width, int* height) const;

  // Exclusive full-screen owner.
  Device* Owner() const { return owner_; }
  HWND OwnerWindow() const { return ownerWindow_; }
  void SetOwner(Device* device, HWND window);
  bool FocusAway() const { return owner_ != nullptr && focusAway_; }

  // Surfaces.
  void Register(Surface* s) { surfaces_.push_back(s); }
  void Unregister(Surface* s);
  Surface* Primary() const { return primary_; }
  void SetPrimary(Surface* s, HWND window) {
    primary_ = s;
    primaryWindow_ = window;
  }
  // Every surface in video memory and the display's own surfaces are lost.
  void LoseSurfaces();
  // Video memory.
  bool ReserveVideo(size_t bytes);
  void FreeVideo(size_t bytes) { videoUsed_ -= bytes; }
  uint64_t VideoTotal() const { return videoTotal_; }
  uint64_t VideoFree() const { return videoTotal_ - videoUsed_; }

  // Shows the display's primary surface (the window's part of it when windowed).
  void Present();

  // Vertical blank n of the emulated 60 Hz display is at floor(n * 1000 / 60) ms
  // of the backend clock.
  static uint32_t NextBlank(uint32_t now);
  // Sleeps until the next blank, taking in window-system events meanwhile;
  // returns its time. On an exclusive display whose focus is away, no blank
  // comes: it waits for the focus or a message instead (WaitWhileAway).
  uint32_t WaitForBlank();
  uint32_t WaitWhileAway();
  // How often a wait for the focus looks at the program's own background work
  // (the end of a MIDI play posts a message).
  static constexpr uint32_t kAwayPollMs = 100;
  uint32_t lastFlipAt = 0;  // blank at which the latest flip took effect
  bool flipped = false;

  // Faults for tests.
  int failCreations = 0;
  HRESULT failCreationResult = DDERR_OUTOFMEMORY;
  int stillDrawingLocks = 0;
  HRESULT failCreateDevice = DD_OK;
  bool refuseMirroring = false;  // Blt answers mirror requests with DDERR_NOMIRRORHW
  void Reset();

 private:
  Display();
  static void OnEvent(const backend::Event& event, void* user);

  bool modeSet_ = false;
  int modeWidth_ = 0, modeHeight_ = 0;
  PixelFormat modeFormat_;
  Device* owner_ = nullptr;
  HWND ownerWindow_ = nullptr;
  bool focusAway_ = false;
  bool listening_ = false;
  std::vector<Surface*> surfaces_;
  Surface* primary_ = nullptr;
  HWND primaryWindow_ = nullptr;
  uint64_t videoTotal_ = 256ull << 20;
  uint64_t videoUsed_ = 0;
  std::vector<uint32_t> frame_;

 public:
  void SetVideoTotal(uint64_t bytes) { videoTotal_ = bytes; }
};

}  // namespace platform::ddraw
