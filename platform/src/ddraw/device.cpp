// SPDX-License-Identifier: MIT
// The DirectDraw device: surfaces, palettes, clippers, cooperative level,
// display modes, capabilities and the vertical blank; and the two library
// functions that find and open it.
#include <algorithm>
#include <cstring>
#include <new>

#include "ddraw/objects.h"
#include "user/user_internal.h"

namespace platform::ddraw {
namespace {

// The drivers: the primary display driver, and a second driver with an
// identifier of its own that reaches the same display (reported among the
// non-display devices, so that driver selection has something to select).
constexpr GUID kSecondDriver = {0x5258A1C0, 0x3E1D, 0x4B7A, {0x9D, 0x61, 0x52, 0x41, 0x4C, 0x4C, 0x45, 0x58}};
char kPrimaryDescription[] = "Primary Display Driver";
char kPrimaryName[] = "display";
char kSecondDescription[] = "Rallex Software Renderer";
char kSecondName[] = "rallex-software";

constexpr int kMaxSide = 16384;
constexpr size_t kMaxBytes = size_t{512} << 20;
constexpr DWORD kPlainCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY |
                             DDSCAPS_LOCALVIDMEM | DDSCAPS_3DDEVICE | DDSCAPS_OWNDC | DDSCAPS_WRITEONLY |
                             DDSCAPS_TEXTURE;
constexpr DWORD kPrimaryCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE |
                               DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM |
                               DDSCAPS_FRONTBUFFER | DDSCAPS_VISIBLE | DDSCAPS_OWNDC | DDSCAPS_MODEX |
                               DDSCAPS_STANDARDVGAMODE;
constexpr int kMaxBackBuffers = 3;

struct Mode {
  int width, height, bits;
};

// Display modes, smallest first, each at 8, 16, 24 and 32 bits; the desktop's
// own size joins them.
std::vector<Mode> Modes() {
  std::vector<std::pair<int, int>> sizes = {{320, 240}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  int dw, dh;
  Display::Get().DesktopSize(&dw, &dh);
  if (std::find(sizes.begin(), sizes.end(), std::make_pair(dw, dh)) == sizes.end()) sizes.push_back({dw, dh});
  std::sort(sizes.begin(), sizes.end());
  std::vector<Mode> modes;
  for (auto [w, h] : sizes)
    for (int bits : {8, 16, 24, 32}) modes.push_back({w, h, bits});
  return modes;
}

int RoundPitch(int width, int bytes) { return (width * bytes + 15) & ~15; }

PixelMemory Allocate(size_t bytes) {
  size_t rounded = (bytes + 63) & ~size_t{63};
  if (rounded == 0) rounded = 64;
  auto* p = static_cast<uint8_t*>(std::aligned_alloc(64, rounded));
  if (p) memset(p, 0, rounded);
  return PixelMemory(p);
}

void FillCaps(DDCAPS* caps) {
  DWORD size = caps->dwSize;
  memset(caps, 0, sizeof(DDCAPS));
  caps->dwSize = size;
  caps->dwCaps = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_GDI | DDCAPS_PALETTE | DDCAPS_COLORKEY |
                 DDCAPS_BLTCOLORFILL | DDCAPS_CANCLIP | DDCAPS_CANCLIPSTRETCHED | DDCAPS_CANBLTSYSMEM;
  caps->dwCKeyCaps = DDCKEYCAPS_SRCBLT | DDCKEYCAPS_SRCBLTCLRSPACE;
  caps->dwFXCaps = DDFXCAPS_BLTMIRRORLEFTRIGHT | DDFXCAPS_BLTMIRRORUPDOWN | DDFXCAPS_BLTSHRINKX |
                   DDFXCAPS_BLTSHRINKY | DDFXCAPS_BLTSTRETCHX | DDFXCAPS_BLTSTRETCHY;
  caps->dwPalCaps = DDPCAPS_8BIT | DDPCAPS_PRIMARYSURFACE | DDPCAPS_ALLOW256;
  caps->dwVidMemTotal = static_cast<DWORD>(std::min<uint64_t>(Display::Get().VideoTotal(), 0xFFFFFFFFu));
  caps->dwVidMemFree = static_cast<DWORD>(std::min<uint64_t>(Display::Get().VideoFree(), 0xFFFFFFFFu));
  caps->ddsCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_COMPLEX | DDSCAPS_FLIP | DDSCAPS_FRONTBUFFER |
                         DDSCAPS_OFFSCREENPLAIN | DDSCAPS_PALETTE | DDSCAPS_PRIMARYSURFACE |
                         DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM | DDSCAPS_VISIBLE;
  caps->ddsOldCaps.dwCaps = caps->ddsCaps.dwCaps;
  caps->dwSVBCaps = caps->dwVSBCaps = caps->dwSSBCaps = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_COLORKEY;
  caps->dwSVBCKeyCaps = caps->dwVSBCKeyCaps = caps->dwSSBCKeyCaps = DDCKEYCAPS_SRCBLT;
}

}  // namespace

// Every driver opens the one emulated display, so the driver's number is not kept.
Device::Device(int /*driver*/) { Display::Get(); }

Device::~Device() {
  if (Display::Get().Owner() == this) LeaveExclusive();
}

// The object has two interfaces; IUnknown is the first of them.
HRESULT Device::QueryInterface(REFIID riid, void** object) {
  if (riid == IID_IDirectDraw4) return Answer(riid, object, static_cast<IDirectDraw4*>(this), {&IID_IDirectDraw4});
  return Answer(riid, object, static_cast<IDirectDraw*>(this), {&IID_IDirectDraw});
}

void Device::LeaveExclusive() {
  Display& d = Display::Get();
  HWND window = d.OwnerWindow();
  d.RestoreMode();
  d.SetOwner(nullptr, nullptr);
  backend::Instance().SetFullScreen(platform::user::BackendWindow(window), false);
  exclusive_ = false;
}

HRESULT Device::SetCooperativeLevel(HWND window, DWORD flags) {
  Display& d = Display::Get();
  bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0, exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
  bool normal = (flags & DDSCL_NORMAL) != 0;
  if (fullScreen != exclusive) return DDERR_INVALIDPARAMS;
  if (normal == fullScreen) return DDERR_INVALIDPARAMS;
  if (window && !IsWindow(window)) return DDERR_INVALIDPARAMS;
  if (normal) {
    if (d.Owner() == this) LeaveExclusive();
    levelSet_ = true;
    window_ = window;
    return DD_OK;
  }
  if (!window) return DDERR_INVALIDPARAMS;
  if (d.Owner() && d.Owner() != this) return DDERR_EXCLUSIVEMODEALREADYSET;
  if (d.Owner() == this && d.OwnerWindow() != window)
    backend::Instance().SetFullScreen(platform::user::BackendWindow(d.OwnerWindow()), false);
  d.SetOwner(this, window);
  levelSet_ = true;
  exclusive_ = true;
  window_ = window;
  backend::Instance().SetFullScreen(platform::user::BackendWindow(window), true);
  return DD_OK;
}

HRESULT Device::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD) {
  if (!levelSet_) return DDERR_NOCOOPERATIVELEVELSET;
  if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
  if (refreshRate != 0 && refreshRate != 60) return DDERR_INVALIDMODE;
  for (const Mode& m : Modes()) {
    if (static_cast<DWORD>(m.width) == width && static_cast<DWORD>(m.height) == height &&
        static_cast<DWORD>(m.bits) == bitsPerPixel) {
      Display::Get().SetMode(m.width, m.height, PixelFormat::ForDepth(bitsPerPixel));
      return DD_OK;
    }
  }
  return DDERR_INVALIDMODE;
}

HRESULT Device::RestoreDisplayMode() {
  if (Display::Get().Owner() == this) Display::Get().RestoreMode();
  return DD_OK;
}

HRESULT Device::GetDisplayMode(LPDDSURFACEDESC2 desc) {
  if (!desc || !DescSizeOk(desc->dwSize)) return DDERR_INVALIDPARAMS;
  Display& d = Display::Get();
  DWORD size = desc->dwSize;
  memset(desc, 0, sizeof(DDSURFACEDESC2));
  desc->dwSize = size;
  desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
  desc->dwWidth = static_cast<DWORD>(d.Width());
  desc->dwHeight = static_cast<DWORD>(d.Height());
  desc->lPitch = RoundPitch(d.Width(), d.Format().BytesPerPixel());
  desc->dwRefreshRate = 60;
  desc->ddpfPixelFormat = d.Format().ToDD();
  return DD_OK;
}

HRESULT Device::EnumDisplayModes(DWORD, LPDDSURFACEDESC2 filter, LPVOID context, LPDDENUMMODESCALLBACK2 callback) {
  if (!callback) return DDERR_INVALIDPARAMS;
  if (filter && !DescSizeOk(filter->dwSize)) return DDERR_INVALIDPARAMS;
  for (const Mode& m : Modes()) {
    if (filter) {
      if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != static_cast<DWORD>(m.width)) continue;
      if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != static_cast<DWORD>(m.height)) continue;
      if ((filter->dwFlags & DDSD_PIXELFORMAT) && filter->ddpfPixelFormat.dwRGBBitCount != static_cast<DWORD>(m.bits))
        continue;
      if ((filter->dwFlags & DDSD_REFRESHRATE) && filter->dwRefreshRate != 0 && filter->dwRefreshRate != 60) continue;
    }
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    desc.dwWidth = static_cast<DWORD>(m.width);
    desc.dwHeight = static_cast<DWORD>(m.height);
    desc.lPitch = RoundPitch(m.width, m.bits / 8);
    desc.dwRefreshRate = 60;
    desc.ddpfPixelFormat = PixelFormat::ForDepth(static_cast<DWORD>(m.bits)).ToDD();
    if (callback(&desc, context) != DDENUMRET_OK) break;
  }
  return DD_OK;
}

HRESULT Device::GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) {
  if (!driverCaps && !emulationCaps) return DDERR_INVALIDPARAMS;
  if ((driverCaps && driverCaps->dwSize != sizeof(DDCAPS)) || (emulationCaps && emulationCaps->dwSize != sizeof(DDCAPS)))
    return DDERR_INVALIDPARAMS;
  if (driverCaps) FillCaps(driverCaps);
  if (emulationCaps) FillCaps(emulationCaps);
  return DD_OK;
}

HRESULT Device::WaitForVerticalBlank(DWORD flags, HANDLE) {
  if (flags == DDWAITVB_BLOCKBEGINEVENT) return DDERR_UNSUPPORTED;
  if (flags != DDWAITVB_BLOCKBEGIN && flags != DDWAITVB_BLOCKEND) return DDERR_INVALIDPARAMS;
  Display::Get().WaitForBlank();
  return DD_OK;
}

HRESULT Device::FlipToGDISurface() {
  Display& d = Display::Get();
  Surface* front = d.Primary();
  if (!front) return DD_OK;
  // Flip without waiting until the desktop's own memory is the one showing.
  for (int i = 0; i <= kMaxBackBuffers && !front->HoldsFirstMemory(); ++i)
    if (front->Flip(nullptr, DDFLIP_NOVSYNC) != DD_OK) break;
  return DD_OK;
}

HRESULT Device::CreateClipper(DWORD, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) {
  if (!clipper) return DDERR_INVALIDPARAMS;
  *clipper = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  Clipper* c = new (std::nothrow) Clipper();
  if (!c) return DDERR_OUTOFMEMORY;
  *clipper = c;
  return DD_OK;
}

HRESULT Device::CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette, IUnknown* outer) {
  if (!palette) return DDERR_INVALIDPARAMS;
  *palette = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!entries) return DDERR_INVALIDPARAMS;
  if (flags & (DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT)) return DDERR_UNSUPPORTED;
  if (!(flags & DDPCAPS_8BIT)) return DDERR_INVALIDPARAMS;
  Palette* p = new (std::nothrow) Palette(flags, entries);
  if (!p) return DDERR_OUTOFMEMORY;
  *palette = p;
  return DD_OK;
}

HRESULT Device::CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE4* surface, IUnknown* outer) {
  if (!surface) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  if (!desc || !DescSizeOk(desc->dwSize)) return DDERR_INVALIDPARAMS;
  if (outer) return CLASS_E_NOAGGREGATION;
  Display& d = Display::Get();
  if (d.failCreations > 0) {
    --d.failCreations;
    return d.failCreationResult;
  }
  DWORD caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : DDSCAPS_OFFSCREENPLAIN;
  if ((caps & DDSCAPS_VIDEOMEMORY) && (caps & DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDCAPS;
  if (caps & DDSCAPS_PRIMARYSURFACE) return CreatePrimary(*desc, caps, surface);
  if (caps & ~kPlainCaps) return DDERR_INVALIDCAPS;
  if (!(desc->dwFlags & DDSD_WIDTH) || !(desc->dwFlags & DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
  if (desc->dwWidth == 0 || desc->dwHeight == 0) return DDERR_INVALIDPARAMS;
  if (desc->dwWidth > kMaxSide) return DDERR_TOOBIGWIDTH;
  if (desc->dwHeight > kMaxSide) return DDERR_TOOBIGHEIGHT;
  PixelFormat format = d.Format();
  if ((desc->dwFlags & DDSD_PIXELFORMAT) && !ParsePixelFormat(desc->ddpfPixelFormat, &format))
    return DDERR_INVALIDPIXELFORMAT;
  int width = static_cast<int>(desc->dwWidth), height = static_cast<int>(desc->dwHeight);
  int pitch = RoundPitch(width, format.BytesPerPixel());
  size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(height);
  if (bytes > kMaxBytes) return DDERR_TOOBIGSIZE;
  bool video;
  if (caps & DDSCAPS_SYSTEMMEMORY) {
    video = false;
  } else if (caps & DDSCAPS_VIDEOMEMORY) {
    if (!d.ReserveVideo(bytes)) return DDERR_OUTOFVIDEOMEMORY;
    video = true;
  } else {
    // The driver's choice: video memory while there is some.
    video = d.ReserveVideo(bytes);
  }
  PixelMemory memory = Allocate(bytes);
  if (!memory) {
    if (video) d.FreeVideo(bytes);
    return DDERR_OUTOFMEMORY;
  }
  DWORD placed = (caps & ~(DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM)) |
                 (video ? DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM : DDSCAPS_SYSTEMMEMORY);
  Surface* s = new (std::nothrow)
      Surface(Surface::Role::Plain, width, height, pitch, format, std::move(memory), video, placed);
  if (!s) {
    if (video) d.FreeVideo(bytes);
    return DDERR_OUTOFMEMORY;
  }
  if (desc->dwFlags & DDSD_CKSRCBLT) s->SetColorKey(DDCKEY_SRCBLT, &desc->ddckCKSrcBlt);
  *surface = s;
  return DD_OK;
}

HRESULT Device::CreatePrimary(const DDSURFACEDESC2& desc, DWORD caps, LPDIRECTDRAWSURFACE4* surface) {
  Display& d = Display::Get();
  if (!levelSet_) return DDERR_NOCOOPERATIVELEVELSET;
  if (caps & ~kPrimaryCaps) return DDERR_INVALIDCAPS;
  if (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
  if (d.Primary()) return DDERR_PRIMARYSURFACEALREADYEXISTS;
  bool flip = (caps & DDSCAPS_FLIP) != 0;
  int backs = 0;
  if (flip) {
    if (!(caps & DDSCAPS_COMPLEX)) return DDERR_INVALIDCAPS;
    if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
    if (!(desc.dwFlags & DDSD_BACKBUFFERCOUNT) || desc.dwBackBufferCount == 0) return DDERR_INVALIDPARAMS;
    if (desc.dwBackBufferCount > kMaxBackBuffers) return DDERR_OUTOFVIDEOMEMORY;
    backs = static_cast<int>(desc.dwBackBufferCount);
  } else if ((desc.dwFlags & DDSD_BACKBUFFERCOUNT) && desc.dwBackBufferCount != 0) {
    return DDERR_INVALIDCAPS;
  }
  int width = d.Width(), height = d.Height();
  PixelFormat format = d.Format();
  int pitch = RoundPitch(width, format.BytesPerPixel());
  size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(height);
  bool backsInVideo = !(caps & DDSCAPS_SYSTEMMEMORY);
  size_t videoBytes = bytes * static_cast<size_t>(1 + (backsInVideo ? backs : 0));
  if (!d.ReserveVideo(videoBytes)) return DDERR_OUTOFVIDEOMEMORY;
  std::vector<PixelMemory> memory;
  for (int i = 0; i <= backs; ++i) {
    memory.push_back(Allocate(bytes));
    if (!memory.back()) {
      d.FreeVideo(videoBytes);
      return DDERR_OUTOFMEMORY;
    }
  }
  DWORD common = caps & (DDSCAPS_3DDEVICE | DDSCAPS_OWNDC | DDSCAPS_MODEX | DDSCAPS_STANDARDVGAMODE);
  DWORD chain = flip ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0;
  DWORD frontCaps = common | chain | DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | DDSCAPS_VIDEOMEMORY |
                    DDSCAPS_LOCALVIDMEM | (flip ? DDSCAPS_FRONTBUFFER : 0);
  DWORD backCaps = common | chain | DDSCAPS_BACKBUFFER |
                   (backsInVideo ? DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM : DDSCAPS_SYSTEMMEMORY);
  Surface* front = new Surface(Surface::Role::Primary, width, height, pitch, format, std::move(memory[0]), true,
                               frontCaps);
  std::vector<Surface*> chainBacks;
  for (int i = 1; i <= backs; ++i) {
    // Only the first back buffer is a back buffer; the others sit behind it.
    DWORD c = i == 1 ? backCaps : (backCaps & ~DDSCAPS_BACKBUFFER);
    chainBacks.push_back(new Surface(Surface::Role::BackBuffer, width, height, pitch, format, std::move(memory[i]),
                                     backsInVideo, c));
  }
  front->AttachBackBuffers(std::move(chainBacks));
  d.SetPrimary(front, window_);
  *surface = front;
  return DD_OK;
}

}  // namespace platform::ddraw

using platform::ddraw::Device;
using platform::ddraw::Display;

HRESULT DirectDrawCreate(GUID* guid, LPDIRECTDRAW* directDraw, IUnknown* outer) {
  if (!directDraw) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  int driver = 0;
  if (guid) {
    if (*guid != platform::ddraw::kSecondDriver) return DDERR_INVALIDDIRECTDRAWGUID;
    driver = 1;
  }
  Display& d = Display::Get();
  if (d.failCreateDevice != DD_OK) return d.failCreateDevice;
  Device* device = new (std::nothrow) Device(driver);
  if (!device) return DDERR_OUTOFMEMORY;
  *directDraw = static_cast<IDirectDraw*>(device);
  return DD_OK;
}

HRESULT DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
  if (!callback) return DDERR_INVALIDPARAMS;
  if (!callback(nullptr, platform::ddraw::kPrimaryDescription, platform::ddraw::kPrimaryName, context, nullptr))
    return DD_OK;
  if (flags & DDENUM_NONDISPLAYDEVICES) {
    GUID second = platform::ddraw::kSecondDriver;
    callback(&second, platform::ddraw::kSecondDescription, platform::ddraw::kSecondName, context, nullptr);
  }
  return DD_OK;
}
