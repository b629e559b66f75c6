// SPDX-License-Identifier: MIT
// Mirrored, zoomed and resized copies of the media layer's Surface, on an
// 800 x 600 16-bit (5-6-5) display, in one run with their yardsticks:
//  - the mirrored copies (left-right, up-down, keyed) beside our own plain
//    copy of the same rectangle (DrawFastClipped; DrawFastKeyedClipped for
//    the keyed ones);
//  - the zoomed and resized copies at factors 0.75, 1.5 and 2.5 beside SDL2
//    (SDL_BlitScaled, nearest) and pixman (a nearest-filter scale transform)
//    doing the same copy.
// After the usual report a table gives our time over the yardstick's.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "media/screen.h"
#include "media/surface.h"
#include "spritesheet.h"
#include "platform/headless.h"
#include "platform/windows.h"

namespace {

constexpr int kW = 800, kH = 600;
constexpr uint16_t kKey = kSpriteKey;

// The copies measured at each factor: the source rectangle (at the top left)
// whose scaled size fits the 800 x 600 destination, drawn at its top left.
struct Scaled {
  float factor;
  int w, h;  // source rectangle
  int dw, dh;  // destination rectangle, trunc(w * f) x trunc(h * f)
};
const Scaled kScaled[] = {
    {0.75f, 800, 600, 600, 450},
    {1.5f, 532, 400, 798, 600},
    {2.5f, 320, 240, 800, 600},
};

struct Ours {
  HWND window = nullptr;
  std::unique_ptr<Screen> screen;
  std::unique_ptr<Surface> src, keyed, dst;
  Ours() {
    platform::headless::Reset();
    platform::headless::CaptureFrames(false);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "GeometryBench";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "GeometryBench", "bench", WS_OVERLAPPEDWINDOW, 0, 0, kW, kH, nullptr, nullptr,
                             nullptr, nullptr);
    screen = std::make_unique<Screen>(window, kW, kH, 16, 0);
    std::vector<uint16_t> sheet = SpriteSheet(kW, kH, 7);
    src = Make(sheet.data());
    keyed = Make(sheet.data());
    keyed->SetColorKey(kKey);
    dst = Make(nullptr);
  }
  std::unique_ptr<Surface> Make(const uint16_t* pixels) {
    auto s = std::make_unique<Surface>(screen.get(), kW, kH, SystemMemory);
    if (!s->ddSurface || s->Lock() != DD_OK) abort();
    for (int y = 0; y < kH; ++y) {
      auto* row = static_cast<uint8_t*>(s->SurfaceDesc.lpSurface) + static_cast<ptrdiff_t>(y) * s->SurfaceDesc.lPitch;
      if (pixels)
        memcpy(row, pixels + static_cast<size_t>(y) * kW, 2u * kW);
      else
        memset(row, 0, 2u * kW);
    }
    s->Unlock();
    return s;
  }
  // Where the unscaled rectangle goes so that the scaled one, keeping its
  // centre, starts at 0 (all sizes here are even).
  static int32_t At(int w, int dw) { return (dw - w) / 2; }
};

Ours& O() {
  static Ours ours;
  return ours;
}

struct Sdl {
  SDL_Surface *src, *dst;
  Sdl() {
    std::vector<uint16_t> sheet = SpriteSheet(kW, kH, 7);
    src = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 16, SDL_PIXELFORMAT_RGB565);
    dst = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 16, SDL_PIXELFORMAT_RGB565);
    if (!src || !dst) abort();
    for (int y = 0; y < kH; ++y)
      memcpy(static_cast<uint8_t*>(src->pixels) + y * src->pitch, sheet.data() + static_cast<size_t>(y) * kW, 2u * kW);
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  }
};

Sdl& S() {
  static Sdl sdl;
  return sdl;
}

struct Pixman {
  std::vector<uint16_t> srcBits, dstBits;
  pixman_image_t *src, *dst;
  Pixman() {
    srcBits = SpriteSheet(kW, kH, 7);
    dstBits.assign(static_cast<size_t>(kW) * kH, 0);
    src = pixman_image_create_bits(PIXMAN_r5g6b5, kW, kH, reinterpret_cast<uint32_t*>(srcBits.data()), kW * 2);
    dst = pixman_image_create_bits(PIXMAN_r5g6b5, kW, kH, reinterpret_cast<uint32_t*>(dstBits.data()), kW * 2);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  }
  void Scale(double factor) {
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(1.0 / factor), pixman_double_to_fixed(1.0 / factor));
    pixman_image_set_transform(src, &t);
  }
};

Pixman& P() {
  static Pixman p;
  return p;
}

const RECT kAll = {0, 0, kW, kH};

// ---- mirrored copies beside the plain copy ----
void Mirror_Plain(benchmark::State& st) {
  for (auto _ : st) O().src->DrawFastClipped(O().dst.get(), 0, 0, kAll);
}
void Mirror_PlainKeyed(benchmark::State& st) {
  for (auto _ : st) O().keyed->DrawFastKeyedClipped(O().dst.get(), 0, 0, kAll);
}
void Mirror_LeftRight(benchmark::State& st) {
  for (auto _ : st) O().src->DrawMirroredHClipped(O().dst.get(), 0, 0, kAll);
}
void Mirror_UpDown(benchmark::State& st) {
  for (auto _ : st) O().src->DrawMirroredVClipped(O().dst.get(), 0, 0, kAll);
}
void Mirror_LeftRightKeyed(benchmark::State& st) {
  for (auto _ : st) O().keyed->DrawMirroredHKeyedClipped(O().dst.get(), 0, 0, kAll);
}
void Mirror_UpDownKeyed(benchmark::State& st) {
  for (auto _ : st) O().keyed->DrawMirroredVKeyedClipped(O().dst.get(), 0, 0, kAll);
}
BENCHMARK(Mirror_Plain);
BENCHMARK(Mirror_PlainKeyed);
BENCHMARK(Mirror_LeftRight);
BENCHMARK(Mirror_UpDown);
BENCHMARK(Mirror_LeftRightKeyed);
BENCHMARK(Mirror_UpDownKeyed);

// ---- zoomed and resized copies beside SDL2 and pixman ----
void Zoomed_Ours(benchmark::State& st) {
  const Scaled& c = kScaled[st.range(0)];
  RECT source = {0, 0, c.w, c.h};
  int32_t x = Ours::At(c.w, c.dw), y = Ours::At(c.h, c.dh);
  for (auto _ : st) O().src->DrawZoomed(O().dst.get(), x, y, source, c.factor);
}
void Resized_Ours(benchmark::State& st) {
  const Scaled& c = kScaled[st.range(0)];
  RECT source = {0, 0, c.w, c.h};
  int32_t x = Ours::At(c.w, c.dw), y = Ours::At(c.h, c.dh);
  for (auto _ : st) O().src->DrawResized(O().dst.get(), x, y, source, c.dw, c.dh);
}
void Scaled_SDL(benchmark::State& st) {
  const Scaled& c = kScaled[st.range(0)];
  SDL_Rect from = {0, 0, c.w, c.h}, to = {0, 0, c.dw, c.dh};
  for (auto _ : st) SDL_BlitScaled(S().src, &from, S().dst, &to);
}
void Scaled_pixman(benchmark::State& st) {
  const Scaled& c = kScaled[st.range(0)];
  P().Scale(c.factor);
  for (auto _ : st)
    pixman_image_composite(PIXMAN_OP_SRC, P().src, nullptr, P().dst, 0, 0, 0, 0, 0, 0, static_cast<uint16_t>(c.dw),
                           static_cast<uint16_t>(c.dh));
}
BENCHMARK(Zoomed_Ours)->DenseRange(0, 2);
BENCHMARK(Resized_Ours)->DenseRange(0, 2);
BENCHMARK(Scaled_SDL)->DenseRange(0, 2);
BENCHMARK(Scaled_pixman)->DenseRange(0, 2);

// Processor time per iteration by run name ("Zoomed_Ours/1").
class Recorder : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> nanos;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median")
        nanos[r.benchmark_name()] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

// Our zoomed copy at 1.5 and SDL2's scaled copy of the same rectangles: the
// number of destination pixels that differ (sampling positions may differ by
// one source pixel at some columns; the count says how often).
long DifferingPixels() {
  const Scaled& c = kScaled[1];
  O().dst->Fill(0);
  O().src->DrawZoomed(O().dst.get(), Ours::At(c.w, c.dw), Ours::At(c.h, c.dh), RECT{0, 0, c.w, c.h}, c.factor);
  SDL_FillRect(S().dst, nullptr, 0);
  SDL_Rect from = {0, 0, c.w, c.h}, to = {0, 0, c.dw, c.dh};
  SDL_BlitScaled(S().src, &from, S().dst, &to);
  long differ = 0;
  if (O().dst->Lock() != DD_OK) return -1;
  for (int y = 0; y < kH; ++y) {
    const auto* a = reinterpret_cast<const uint16_t*>(static_cast<uint8_t*>(O().dst->SurfaceDesc.lpSurface) +
                                                      static_cast<ptrdiff_t>(y) * O().dst->SurfaceDesc.lPitch);
    const auto* b = reinterpret_cast<const uint16_t*>(static_cast<uint8_t*>(S().dst->pixels) + y * S().dst->pitch);
    for (int x = 0; x < kW; ++x) differ += a[x] != b[x];
  }
  O().dst->Unlock();
  return differ;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Recorder recorder;
  benchmark::RunSpecifiedBenchmarks(&recorder);
  auto& n = recorder.nanos;
  printf("\nprocessor time per copy, ours over the yardstick (target: mirrored <= 1.50, scaled <= 0.33)\n");
  printf("%-24s %12s %12s %-14s %8s\n", "operation", "ours (us)", "yardstick", "(us)", "ratio");
  for (const char* m : {"Mirror_LeftRight", "Mirror_UpDown", "Mirror_LeftRightKeyed", "Mirror_UpDownKeyed"}) {
    bool keyed = strstr(m, "Keyed") != nullptr;
    const char* plain = keyed ? "Mirror_PlainKeyed" : "Mirror_Plain";
    if (n.count(m) && n.count(plain))
      printf("%-24s %12.1f %-12s %14.1f %8.2f\n", m, n[m] / 1000, keyed ? "keyed copy" : "plain copy",
             n[plain] / 1000, n[m] / n[plain]);
  }
  for (int i = 0; i < 3; ++i) {
    std::string sdl = "Scaled_SDL/" + std::to_string(i), pix = "Scaled_pixman/" + std::to_string(i);
    if (!n.count(sdl) || !n.count(pix)) continue;
    bool sdlFaster = n[sdl] <= n[pix];
    double best = sdlFaster ? n[sdl] : n[pix];
    for (const char* ours : {"Zoomed_Ours/", "Resized_Ours/"}) {
      std::string name = ours + std::to_string(i);
      if (!n.count(name)) continue;
      char label[64];
      snprintf(label, sizeof label, "%s x%.2f", ours, static_cast<double>(kScaled[i].factor));
      printf("%-24s %12.1f %-12s %14.1f %8.2f\n", label, n[name] / 1000, sdlFaster ? "SDL2" : "pixman", best / 1000,
             n[name] / best);
    }
  }
  printf("\nzoomed x1.5 against SDL_BlitScaled: %ld of %d pixels differ\n", DifferingPixels(), kW * kH);
  benchmark::Shutdown();
  return 0;
}
