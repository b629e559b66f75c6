// SPDX-License-Identifier: MIT
// Copies and fills of our DirectDraw surfaces beside the same work done by SDL2
// and pixman, on an 800 x 600 16-bit (5-6-5) surface, in one run. After the
// usual report a table gives our time over the fastest peer's for each
// operation (below 1.0: we are faster).
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "spritesheet.h"
#include "platform/ddraw.h"
#include "platform/headless.h"

namespace {

constexpr int kW = 800, kH = 600;
constexpr uint16_t kKey = kSpriteKey;

struct Ours {
  IDirectDraw4* dd = nullptr;
  IDirectDrawSurface4* dst = nullptr;
  IDirectDrawSurface4* src = nullptr;
  IDirectDrawSurface4* keyed = nullptr;
  IDirectDrawSurface4* half = nullptr;

  IDirectDrawSurface4* Make(int w, int h, const uint16_t* pixels) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    d.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    d.ddpfPixelFormat.dwFlags = DDPF_RGB;
    d.ddpfPixelFormat.dwRGBBitCount = 16;
    d.ddpfPixelFormat.dwRBitMask = 0xF800;
    d.ddpfPixelFormat.dwGBitMask = 0x07E0;
    d.ddpfPixelFormat.dwBBitMask = 0x001F;
    IDirectDrawSurface4* s = nullptr;
    if (dd->CreateSurface(&d, &s, nullptr) != DD_OK) abort();
    if (pixels) {
      if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) abort();
      for (int y = 0; y < h; ++y)
        memcpy(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch, pixels + static_cast<size_t>(y) * w, 2u * w);
      s->Unlock(nullptr);
    }
    return s;
  }

  Ours() {
    platform::headless::Reset();
    IDirectDraw* first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK) abort();
    first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&dd));
    first->Release();
    std::vector<uint16_t> sheet = SpriteSheet(kW, kH, 1);
    dst = Make(kW, kH, nullptr);
    src = Make(kW, kH, sheet.data());
    keyed = Make(kW, kH, sheet.data());
    DDCOLORKEY k{kKey, kKey};
    keyed->SetColorKey(DDCKEY_SRCBLT, &k);
    half = Make(kW / 2, kH / 2, sheet.data());
  }
};

Ours& O() {
  static Ours ours;
  return ours;
}

struct Sdl {
  SDL_Surface* dst;
  SDL_Surface* src;
  SDL_Surface* keyed;
  SDL_Surface* half;
  std::vector<uint16_t> sheet = SpriteSheet(kW, kH, 1);

  SDL_Surface* Make(int w, int h, const uint16_t* pixels) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB565);
    if (!s) abort();
    if (pixels)
      for (int y = 0; y < h; ++y)
        memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, pixels + static_cast<size_t>(y) * w, 2u * w);
    return s;
  }
  Sdl() {
    dst = Make(kW, kH, nullptr);
    src = Make(kW, kH, sheet.data());
    keyed = Make(kW, kH, sheet.data());
    SDL_SetColorKey(keyed, SDL_TRUE, kKey);
    half = Make(kW / 2, kH / 2, sheet.data());
  }
};

Sdl& S() {
  static Sdl sdl;
  return sdl;
}

struct Pixman {
  std::vector<uint32_t> dstBits, srcBits, halfBits;
  pixman_image_t *dst, *src, *half;
  int stride = kW * 2;  // bytes, a multiple of 4
  Pixman() {
    std::vector<uint16_t> sheet = SpriteSheet(kW, kH, 1);
    dstBits.assign(static_cast<size_t>(stride / 4) * kH, 0);
    srcBits.assign(dstBits.size(), 0);
    memcpy(srcBits.data(), sheet.data(), sheet.size() * 2);
    halfBits.assign(static_cast<size_t>(kW / 4) * (kH / 2), 0);
    for (int y = 0; y < kH / 2; ++y)
      memcpy(reinterpret_cast<uint8_t*>(halfBits.data()) + y * (kW / 2) * 2, sheet.data() + y * (kW / 2), kW);
    dst = pixman_image_create_bits(PIXMAN_r5g6b5, kW, kH, dstBits.data(), stride);
    src = pixman_image_create_bits(PIXMAN_r5g6b5, kW, kH, srcBits.data(), stride);
    half = pixman_image_create_bits(PIXMAN_r5g6b5, kW / 2, kH / 2, halfBits.data(), kW);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(half, &t);
    pixman_image_set_filter(half, PIXMAN_FILTER_NEAREST, nullptr, 0);
  }
};

Pixman& P() {
  static Pixman p;
  return p;
}

// ---- fill ----
void Fill_Ours(benchmark::State& st) {
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = 0x1234;
  for (auto _ : st) O().dst->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}
void Fill_SDL(benchmark::State& st) {
  for (auto _ : st) SDL_FillRect(S().dst, nullptr, 0x1234);
}
void Fill_pixman(benchmark::State& st) {
  for (auto _ : st) pixman_fill(P().dstBits.data(), P().stride / 4, 16, 0, 0, kW, kH, 0x1234);
}

// ---- plain copy ----
void Copy_Ours(benchmark::State& st) {
  for (auto _ : st) O().dst->BltFast(0, 0, O().src, nullptr, DDBLTFAST_WAIT);
}
void Copy_SDL(benchmark::State& st) {
  for (auto _ : st) SDL_BlitSurface(S().src, nullptr, S().dst, nullptr);
}
void Copy_pixman_blt(benchmark::State& st) {
  for (auto _ : st)
    pixman_blt(P().srcBits.data(), P().dstBits.data(), P().stride / 4, P().stride / 4, 16, 16, 0, 0, 0, 0, kW, kH);
}
void Copy_pixman_composite(benchmark::State& st) {
  for (auto _ : st) pixman_image_composite(PIXMAN_OP_SRC, P().src, nullptr, P().dst, 0, 0, 0, 0, 0, 0, kW, kH);
}

// ---- colour-keyed copy ----
void KeyedCopy_Ours(benchmark::State& st) {
  for (auto _ : st) O().dst->BltFast(0, 0, O().keyed, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}
void KeyedCopy_SDL(benchmark::State& st) {
  for (auto _ : st) SDL_BlitSurface(S().keyed, nullptr, S().dst, nullptr);
}

// ---- 2x stretch ----
void Stretch2x_Ours(benchmark::State& st) {
  for (auto _ : st) O().dst->Blt(nullptr, O().half, nullptr, DDBLT_WAIT, nullptr);
}
void Stretch2x_SDL(benchmark::State& st) {
  for (auto _ : st) SDL_BlitScaled(S().half, nullptr, S().dst, nullptr);
}
void Stretch2x_pixman(benchmark::State& st) {
  for (auto _ : st) pixman_image_composite(PIXMAN_OP_SRC, P().half, nullptr, P().dst, 0, 0, 0, 0, 0, 0, kW, kH);
}

BENCHMARK(Fill_Ours);
BENCHMARK(Fill_SDL);
BENCHMARK(Fill_pixman);
BENCHMARK(Copy_Ours);
BENCHMARK(Copy_SDL);
BENCHMARK(Copy_pixman_blt);
BENCHMARK(Copy_pixman_composite);
BENCHMARK(KeyedCopy_Ours);
BENCHMARK(KeyedCopy_SDL);
BENCHMARK(Stretch2x_Ours);
BENCHMARK(Stretch2x_SDL);
BENCHMARK(Stretch2x_pixman);

// Keeps each run's processor time per iteration, by name, for the table (the
// processor time, because on a shared machine the wall-clock time also counts
// the other programs that ran meanwhile).
class Recorder : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> nanos;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median")
        nanos[r.run_name.function_name] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

// Checks that every program drew the same picture, so that the times compare
// like with like.
bool SamePictures() {
  O().dst->Blt(nullptr, O().half, nullptr, DDBLT_WAIT, nullptr);
  SDL_BlitScaled(S().half, nullptr, S().dst, nullptr);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  O().dst->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr);
  bool same = true;
  for (int y = 0; y < kH && same; ++y)
    same = memcmp(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch,
                  static_cast<uint8_t*>(S().dst->pixels) + y * S().dst->pitch, kW * 2) == 0;
  O().dst->Unlock(nullptr);
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Recorder recorder;
  benchmark::RunSpecifiedBenchmarks(&recorder);
  printf("\n2x stretch gives the same picture as SDL2: %s\n", SamePictures() ? "yes" : "NO");
  printf("\n%-12s %13s %13s %-22s %8s\n", "operation", "ours (cpu us)", "peer (cpu us)", "fastest peer", "ours/peer");
  for (const char* op : {"Fill", "Copy", "KeyedCopy", "Stretch2x"}) {
    std::string prefix = std::string(op) + "_";
    double ours = -1, best = -1;
    std::string bestName;
    for (auto& [name, ns] : recorder.nanos) {
      if (name.rfind(prefix, 0) != 0) continue;
      std::string who = name.substr(prefix.size());
      if (who == "Ours") {
        ours = ns;
      } else if (best < 0 || ns < best) {
        best = ns;
        bestName = who;
      }
    }
    if (ours < 0 || best < 0) continue;
    printf("%-12s %13.1f %13.1f %-22s %8.2f\n", op, ours / 1000, best / 1000, bestName.c_str(), ours / best);
  }
  benchmark::Shutdown();
  return 0;
}
