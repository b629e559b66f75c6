// SPDX-License-Identifier: MIT
// Scaling an 800 x 600 frame to the picture a 1920 x 1080 monitor shows of it
// (1440 x 1080, aspect kept), each frame: our nearest and linear scalers
// beside SDL2's software stretches and pixman's nearest and bilinear filters,
// in one run. The cost of the linear filter is its time over nearest's.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <random>
#include <vector>

#include "presentation/geometry.h"

namespace {

constexpr int kW = 800, kH = 600, kOutW = 1440, kOutH = 1080;

struct Frames {
  std::vector<uint32_t> in = std::vector<uint32_t>(static_cast<size_t>(kW) * kH);
  std::vector<uint32_t> out = std::vector<uint32_t>(static_cast<size_t>(kOutW) * kOutH);
  Frames() {
    std::mt19937 random(7);
    for (uint32_t& p : in) p = random() & 0xFFFFFF;
  }
};
Frames& TheFrames() {
  static Frames frames;
  return frames;
}

void Ours(benchmark::State& state, bool linear) {
  Frames& f = TheFrames();
  for (auto _ : state) {
    (linear ? platform::presentation::ScaleLinear : platform::presentation::ScaleNearest)(
        f.in.data(), kW, kH, kW, f.out.data(), kOutW, kOutH, kOutW);
    benchmark::DoNotOptimize(f.out.data());
  }
}
void BM_OursNearest(benchmark::State& state) { Ours(state, false); }
void BM_OursLinear(benchmark::State& state) { Ours(state, true); }

void Sdl(benchmark::State& state, bool linear) {
  Frames& f = TheFrames();
  SDL_Surface* in = SDL_CreateRGBSurfaceWithFormatFrom(f.in.data(), kW, kH, 32, kW * 4, SDL_PIXELFORMAT_RGB888);
  SDL_Surface* out =
      SDL_CreateRGBSurfaceWithFormatFrom(f.out.data(), kOutW, kOutH, 32, kOutW * 4, SDL_PIXELFORMAT_RGB888);
  SDL_Rect all{0, 0, kOutW, kOutH};
  for (auto _ : state) {
    int r = linear ? SDL_SoftStretchLinear(in, nullptr, out, &all) : SDL_SoftStretch(in, nullptr, out, &all);
    if (r != 0) state.SkipWithError(SDL_GetError());
    benchmark::DoNotOptimize(f.out.data());
  }
  SDL_FreeSurface(in);
  SDL_FreeSurface(out);
}
void BM_SdlNearest(benchmark::State& state) { Sdl(state, false); }
void BM_SdlLinear(benchmark::State& state) { Sdl(state, true); }

void Pixman(benchmark::State& state, pixman_filter_t filter) {
  Frames& f = TheFrames();
  pixman_image_t* in = pixman_image_create_bits(PIXMAN_x8r8g8b8, kW, kH, f.in.data(), kW * 4);
  pixman_image_t* out = pixman_image_create_bits(PIXMAN_x8r8g8b8, kOutW, kOutH, f.out.data(), kOutW * 4);
  pixman_transform_t scale;
  pixman_transform_init_scale(&scale, pixman_double_to_fixed(static_cast<double>(kW) / kOutW),
                              pixman_double_to_fixed(static_cast<double>(kH) / kOutH));
  pixman_image_set_transform(in, &scale);
  pixman_image_set_filter(in, filter, nullptr, 0);
  pixman_image_set_repeat(in, PIXMAN_REPEAT_PAD);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, in, nullptr, out, 0, 0, 0, 0, 0, 0, kOutW, kOutH);
    benchmark::DoNotOptimize(f.out.data());
  }
  pixman_image_unref(in);
  pixman_image_unref(out);
}
void BM_PixmanNearest(benchmark::State& state) { Pixman(state, PIXMAN_FILTER_NEAREST); }
void BM_PixmanBilinear(benchmark::State& state) { Pixman(state, PIXMAN_FILTER_BILINEAR); }

BENCHMARK(BM_OursNearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursLinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SdlNearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SdlLinear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixmanNearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixmanBilinear)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
