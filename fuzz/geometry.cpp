// SPDX-License-Identifier: MIT
// Mirrored, zoomed and resized copies with arbitrary points, source rectangles,
// clipping rectangles, factors and sizes (near the 32-bit limits too). Besides
// the sanitizers' checks on every read and write, each run checks that no
// destination pixel outside its ClipRect changed, that the source is never
// changed, and that a mirrored copy draws the same pixels whether the display
// mirrors or the pixel-by-pixel path does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "media/screen.h"
#include "media/surface.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace {

constexpr int kSrcW = 37, kSrcH = 23, kDstW = 61, kDstH = 45;

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return v;
  }
  // Mostly near the surfaces, sometimes anything at all.
  int32_t Coordinate() {
    uint8_t kind = Byte();
    if (kind < 200) return static_cast<int32_t>(Byte()) - 100;
    if (kind < 230) return static_cast<int32_t>(Word());
    return (kind & 1) ? INT32_MAX - static_cast<int32_t>(Byte()) : INT32_MIN + static_cast<int32_t>(Byte());
  }
  float Factor() {
    uint8_t kind = Byte();
    if (kind < 160) return static_cast<float>(Byte()) / 32.0f;
    uint32_t bits = Word();
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

struct World {
  HWND window = nullptr;
  std::unique_ptr<Screen> screen;
  std::unique_ptr<Surface> source, destination;
};

World& Get() {
  static World* world = [] {
    auto* w = new World;
    platform::headless::Reset();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "GeometryFuzz";
    RegisterClassA(&wc);
    w->window = CreateWindowExA(0, "GeometryFuzz", "fuzz", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr, nullptr,
                                nullptr, nullptr);
    w->screen = std::make_unique<Screen>(w->window, 320, 240, 16, 0);
    w->source = std::make_unique<Surface>(w->screen.get(), kSrcW, kSrcH, SystemMemory);
    w->destination = std::make_unique<Surface>(w->screen.get(), kDstW, kDstH, SystemMemory);
    if (!w->source->ddSurface || !w->destination->ddSurface) abort();
    return w;
  }();
  return *world;
}

std::vector<uint16_t> Read(Surface& s) {
  std::vector<uint16_t> out;
  if (s.Lock() != DD_OK) abort();
  for (int y = 0; y < s.Height; ++y) {
    const auto* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(s.SurfaceDesc.lpSurface) +
                                                        static_cast<ptrdiff_t>(y) * s.SurfaceDesc.lPitch);
    out.insert(out.end(), row, row + s.Width);
  }
  s.Unlock();
  return out;
}

void Paint(Surface& s, uint32_t seed) {
  if (s.Lock() != DD_OK) abort();
  for (int y = 0; y < s.Height; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(s.SurfaceDesc.lpSurface) +
                                            static_cast<ptrdiff_t>(y) * s.SurfaceDesc.lPitch);
    for (int x = 0; x < s.Width; ++x) row[x] = static_cast<uint16_t>((x * 31 + y * 977 + seed) * 2654435761u >> 16);
  }
  s.Unlock();
}

RECT AnyRect(Input& in) {
  RECT r;
  r.left = in.Coordinate();
  r.top = in.Coordinate();
  r.right = in.Coordinate();
  r.bottom = in.Coordinate();
  return r;
}

HRESULT Run(Surface& src, Surface& dst, int op, int32_t x, int32_t y, RECT rect, float factor, int32_t w,
            int32_t h) {
  switch (op) {
    case 0: return src.DrawMirroredHClipped(&dst, x, y, rect);
    case 1: return src.DrawMirroredHKeyedClipped(&dst, x, y, rect);
    case 2: return src.DrawMirroredVClipped(&dst, x, y, rect);
    case 3: return src.DrawMirroredVKeyedClipped(&dst, x, y, rect);
    case 4: return src.DrawZoomed(&dst, x, y, rect, factor);
    case 5: return src.DrawZoomedKeyed(&dst, x, y, rect, factor);
    case 6: return src.DrawResized(&dst, x, y, rect, w, h);
    default: return src.DrawResizedKeyed(&dst, x, y, rect, w, h);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& world = Get();
  Surface& src = *world.source;
  Surface& dst = *world.destination;
  Input in(data, size);
  int op = in.Byte() % 8;
  uint32_t seed = in.Byte();
  src.SetClipRect(AnyRect(in));
  dst.SetClipRect(AnyRect(in));
  int32_t x = in.Coordinate(), y = in.Coordinate();
  RECT rect = AnyRect(in);
  float factor = in.Factor();
  int32_t w = in.Coordinate(), h = in.Coordinate();
  Paint(src, seed);
  src.SetColorKey(Read(src)[static_cast<size_t>(in.Byte() % kSrcW)]);
  Paint(dst, seed + 1);
  const std::vector<uint16_t> before = Read(dst);
  const std::vector<uint16_t> sourceBefore = Read(src);

  platform::headless::RefuseMirroring(false);
  HRESULT hr = Run(src, dst, op, x, y, rect, factor, w, h);
  const std::vector<uint16_t> after = Read(dst);
  if (Read(src) != sourceBefore) abort();
  RECT clip = dst.GetClipRect();
  for (int py = 0; py < kDstH; ++py)
    for (int px = 0; px < kDstW; ++px) {
      bool inside = px >= clip.left && px < clip.right && py >= clip.top && py < clip.bottom;
      size_t i = static_cast<size_t>(py) * kDstW + static_cast<size_t>(px);
      if (!inside && after[i] != before[i]) abort();
    }
  if (hr == E_FAIL && after != before) abort();  // "nothing left" draws nothing

  if (op < 4) {
    // The same copy once more through the pixel-by-pixel path.
    Paint(dst, seed + 1);
    platform::headless::RefuseMirroring(true);
    HRESULT again = Run(src, dst, op, x, y, rect, factor, w, h);
    platform::headless::RefuseMirroring(false);
    if (again != hr || Read(dst) != after) abort();
  }
  return 0;
}
