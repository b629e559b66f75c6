// SPDX-License-Identifier: MIT
// Surfaces: life, locks, descriptions, colour keys, palettes, clippers, the
// flipping chain, loss and restore, and device contexts. Copies and fills are
// in blit.cpp.
#include <algorithm>
#include <cstring>

#include "ddraw/objects.h"
#include "gdi/surface_dc.h"

namespace platform::ddraw {
Surface::Surface(Role role, int width, int height, int pitch, const PixelFormat& format, PixelMemory memory,
                 bool video, DWORD caps)
    : role_(role),
      width_(width),
      height_(height),
      pitch_(pitch),
      format_(format),
      memory_(std::move(memory)),
      video_(video),
      caps_(caps) {
  Display::Get().Register(this);
}

Surface::~Surface() {
  Display& d = Display::Get();
  d.Unregister(this);
  if (dc_) platform::gdi::ReleaseSurfaceDC(dc_);
  if (palette_) palette_->Release();
  if (clipper_) clipper_->Release();
  if (video_) d.FreeVideo(MemoryBytes());
  if (front_) {
    auto& b = front_->backs_;
    b.erase(std::remove(b.begin(), b.end(), this), b.end());
  }
  std::vector<Surface*> backs;
  backs.swap(backs_);
  for (Surface* back : backs) {
    back->front_ = nullptr;
    back->Release();
  }
}

HRESULT Surface::QueryInterface(REFIID riid, void** object) {
  return Answer(riid, object, static_cast<IDirectDrawSurface4*>(this), {&IID_IDirectDrawSurface4});
}

void Surface::AttachBackBuffers(std::vector<Surface*> backs) {
  backs_ = std::move(backs);
  for (size_t i = 0; i < backs_.size(); ++i) {
    backs_[i]->front_ = this;
    backs_[i]->memoryId_ = static_cast<int>(i + 1);
  }
}

std::vector<Surface*> Surface::Chain() {
  Surface* front = front_ ? front_ : this;
  std::vector<Surface*> chain{front};
  chain.insert(chain.end(), front->backs_.begin(), front->backs_.end());
  return chain;
}

const uint32_t* Surface::PaletteRgb() const {
  if (palette_) return palette_->Rgb();
  Surface* primary = Display::Get().Primary();
  if (primary && primary != this && primary->palette_) return primary->palette_->Rgb();
  return DefaultPaletteRgb();
}

const PALETTEENTRY* Surface::PaletteEntries() const {
  if (palette_) return palette_->Entries();
  Surface* primary = Display::Get().Primary();
  if (primary && primary != this && primary->palette_) return primary->palette_->Entries();
  static const auto fallback = [] {
    struct T {
      PALETTEENTRY e[256];
    } t{};
    const uint32_t* rgb = DefaultPaletteRgb();
    for (int i = 0; i < 256; ++i)
      t.e[i] = {static_cast<BYTE>(rgb[i] >> 16), static_cast<BYTE>(rgb[i] >> 8), static_cast<BYTE>(rgb[i]), 0};
    return t;
  }();
  return fallback.e;
}

void Surface::Changed() {
  Display& d = Display::Get();
  if (d.Primary() == this) d.Present();
}

void Surface::Describe(DDSURFACEDESC2* desc) const {
  DWORD size = desc->dwSize;
  memset(desc, 0, sizeof(DDSURFACEDESC2));
  desc->dwSize = size;
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = static_cast<DWORD>(width_);
  desc->dwHeight = static_cast<DWORD>(height_);
  desc->lPitch = pitch_;
  desc->ddpfPixelFormat = format_.ToDD();
  desc->ddsCaps.dwCaps = caps_;
  if (!backs_.empty()) {
    desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
    desc->dwBackBufferCount = static_cast<DWORD>(backs_.size());
  }
  if (hasKey_) {
    desc->dwFlags |= DDSD_CKSRCBLT;
    desc->ddckCKSrcBlt = key_;
  }
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 desc) {
  if (!desc || !DescSizeOk(desc->dwSize)) return DDERR_INVALIDPARAMS;
  Describe(desc);
  return DD_OK;
}

HRESULT Surface::GetPixelFormat(LPDDPIXELFORMAT format) {
  if (!format) return DDERR_INVALIDPARAMS;
  *format = format_.ToDD();
  return DD_OK;
}

HRESULT Surface::GetCaps(LPDDSCAPS2 caps) {
  if (!caps) return DDERR_INVALIDPARAMS;
  *caps = DDSCAPS2{caps_, 0, 0, 0};
  return DD_OK;
}

HRESULT Surface::Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE) {
  if (!desc || !DescSizeOk(desc->dwSize)) return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  Display& d = Display::Get();
  if (!(flags & DDLOCK_WAIT) && d.stillDrawingLocks > 0) {
    --d.stillDrawingLocks;
    return DDERR_WASSTILLDRAWING;
  }
  Rect64 area = Bounds();
  if (rect) {
    area = Rect64::From(*rect);
    if (area.Empty() || area.left < 0 || area.top < 0 || area.right > width_ || area.bottom > height_)
      return DDERR_INVALIDRECT;
  }
  Describe(desc);
  desc->dwFlags |= DDSD_LPSURFACE;
  desc->lpSurface = memory_.get() + area.top * pitch_ + area.left * format_.BytesPerPixel();
  locked_ = true;
  lockedReadOnly_ = (flags & DDLOCK_READONLY) != 0;
  return DD_OK;
}

HRESULT Surface::Unlock(LPRECT) {
  if (!locked_) return DDERR_NOTLOCKED;
  locked_ = false;
  if (!lost_ && !lockedReadOnly_) Changed();
  return DD_OK;
}

HRESULT Surface::GetDC(HDC* dc) {
  if (!dc) return DDERR_INVALIDPARAMS;
  *dc = nullptr;
  if (lost_) return DDERR_SURFACELOST;
  if (dc_) return DDERR_DCALREADYCREATED;
  if (locked_) return DDERR_SURFACEBUSY;
  platform::gdi::PixelTarget target;
  target.bits = memory_.get();
  target.width = width_;
  target.height = height_;
  target.pitch = pitch_;
  target.bitCount = format_.bits;
  target.redMask = format_.red;
  target.greenMask = format_.green;
  target.blueMask = format_.blue;
  if (format_.Palettized()) target.palette = PaletteEntries();
  HDC made = platform::gdi::CreateSurfaceDC(target);
  if (!made) return DDERR_CANTCREATEDC;
  dc_ = made;
  *dc = made;
  return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC dc) {
  if (!dc_) return DDERR_NODC;
  if (dc != dc_) return DDERR_INVALIDPARAMS;
  platform::gdi::ReleaseSurfaceDC(dc_);
  dc_ = nullptr;
  if (!lost_) Changed();
  return DD_OK;
}

HRESULT Surface::IsLost() { return lost_ ? DDERR_SURFACELOST : DD_OK; }

HRESULT Surface::Restore() {
  if (!lost_) return DD_OK;
  Display& d = Display::Get();
  // While another program holds the display nothing can be had back.
  if (d.FocusAway()) return DDERR_WRONGMODE;
  if (role_ == Role::BackBuffer && front_) return DDERR_IMPLICITLYCREATED;
  if (role_ == Role::Primary &&
      (width_ != d.Width() || height_ != d.Height() || !(format_ == d.Format())))
    return DDERR_WRONGMODE;
  for (Surface* s : Chain()) {
    if (!s->lost_) continue;
    memset(s->memory_.get(), 0, s->MemoryBytes());
    s->lost_ = false;
  }
  Changed();
  return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
  if (flags & (DDCKEY_DESTBLT | DDCKEY_DESTOVERLAY | DDCKEY_SRCOVERLAY)) return DDERR_UNSUPPORTED;
  if (!(flags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
  if (!key) {
    hasKey_ = false;
    return DD_OK;
  }
  // A high value below the low one stands for the single colour low.
  key_.dwColorSpaceLowValue = key->dwColorSpaceLowValue;
  key_.dwColorSpaceHighValue = std::max(key->dwColorSpaceLowValue, key->dwColorSpaceHighValue);
  hasKey_ = true;
  return DD_OK;
}

HRESULT Surface::GetColorKey(DWORD flags, LPDDCOLORKEY key) {
  if (!key || flags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
  if (!hasKey_) return DDERR_NOCOLORKEY;
  *key = key_;
  return DD_OK;
}

HRESULT Surface::SetPalette(LPDIRECTDRAWPALETTE palette) {
  if (palette && !format_.Palettized()) return DDERR_INVALIDPIXELFORMAT;
  auto* p = static_cast<Palette*>(palette);
  if (p) p->AddRef();
  if (palette_) palette_->Release();
  palette_ = p;
  if (!lost_) Changed();
  return DD_OK;
}

HRESULT Surface::GetPalette(LPDIRECTDRAWPALETTE* palette) {
  if (!palette) return DDERR_INVALIDPARAMS;
  *palette = palette_;
  if (!palette_) return DDERR_NOPALETTEATTACHED;
  palette_->AddRef();
  return DD_OK;
}

HRESULT Surface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
  auto* c = static_cast<Clipper*>(clipper);
  if (c) c->AddRef();
  if (clipper_) clipper_->Release();
  clipper_ = c;
  return DD_OK;
}

HRESULT Surface::GetClipper(LPDIRECTDRAWCLIPPER* clipper) {
  if (!clipper) return DDERR_INVALIDPARAMS;
  *clipper = clipper_;
  if (!clipper_) return DDERR_NOCLIPPERATTACHED;
  clipper_->AddRef();
  return DD_OK;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE4* surface) {
  if (!caps || !surface) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  // The surface behind this one in the chain whose capabilities hold all those asked for.
  std::vector<Surface*> chain = Chain();
  auto at = std::find(chain.begin(), chain.end(), this);
  if (chain.size() < 2 || at == chain.end()) return DDERR_NOTFOUND;
  Surface* next = (at + 1 == chain.end()) ? chain.front() : *(at + 1);
  DWORD want = caps->dwCaps;
  if (next == this || (next->caps_ & want) != want) return DDERR_NOTFOUND;
  next->AddRef();
  *surface = next;
  return DD_OK;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE4 target, DWORD flags) {
  if (role_ != Role::Primary || backs_.empty()) return DDERR_NOTFLIPPABLE;
  if (target && target != backs_.front()) return DDERR_INVALIDPARAMS;
  std::vector<Surface*> chain = Chain();
  Display& d = Display::Get();
  bool waits = (flags & DDFLIP_WAIT) && !(flags & DDFLIP_NOVSYNC);
  for (Surface* s : chain) {
    if (!s->lost_) continue;
    // A program whose display is gone keeps its pace: a waiting flip still
    // waits for the blank (or, with the focus away, for the focus), so that a
    // frame loop does not spin meanwhile.
    if (waits) d.WaitForBlank();
    return DDERR_SURFACELOST;
  }
  for (Surface* s : chain)
    if (s->Busy()) return DDERR_SURFACEBUSY;
  backend::Backend& b = backend::Instance();
  if (!(flags & DDFLIP_NOVSYNC)) {
    if (flags & DDFLIP_WAIT) {
      d.lastFlipAt = d.WaitForBlank();
      // The focus went while waiting: the chain is gone with the display.
      for (Surface* s : chain)
        if (s->lost_) return DDERR_SURFACELOST;
    } else {
      // Without waiting: the flip asked for before must have reached its blank.
      uint32_t now = b.Milliseconds();
      if (d.flipped && now < d.lastFlipAt) return DDERR_WASSTILLDRAWING;
      d.lastFlipAt = Display::NextBlank(now);
    }
  } else {
    d.lastFlipAt = b.Milliseconds();
  }
  d.flipped = true;
  // The front takes the first back buffer's memory, each back buffer the next
  // one's, and the last the old front's.
  for (size_t i = 0; i + 1 < chain.size(); ++i) {
    std::swap(chain[i]->memory_, chain[i + 1]->memory_);
    std::swap(chain[i]->memoryId_, chain[i + 1]->memoryId_);
  }
  Changed();
  return DD_OK;
}

}  // namespace platform::ddraw
