// SPDX-License-Identifier: MIT
// The effect copies of our Surfaces beside the same visible work done by SDL2
// and pixman, on 800 x 600 surfaces in 16 bits (5-6-5) and 32 bits (x8r8g8b8),
// in one run. The peers: SDL2 blits with an alpha modulation (level blends),
// with a colour modulation (darkening, shadows, fades) and with per-pixel alpha
// from an ARGB surface (the alpha mask); pixman compositing OVER through a
// solid or an a8 mask, MULTIPLY by a grey, and DIFFERENCE with white (inversion).
// Our plain copy of the same rectangle is measured too: an effect touches the
// same memory as a copy, so a small multiple of it is the memory's limit.
//
// The table after the usual report gives, for each operation and depth, our
// time, the fastest peer's, our time over our copy's and over the peer's.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "effect_surfaces.h"

namespace {

using namespace effect_bench;

void RunOurs(benchmark::State& st, Effect e, int depth) {
  for (auto _ : st) {
    RunEffect(e, depth);
    benchmark::ClobberMemory();
  }
}

// ---- SDL2 ----

struct Sdl {
  SDL_Surface *src[2], *dst[2], *argb;
  SDL_Surface* Make(int depth, bool picture) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, depth, depth == 16 ? SDL_PIXELFORMAT_RGB565
                                                                                   : SDL_PIXELFORMAT_RGB888);
    if (!s) abort();
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        uint32_t c = picture ? Pic().pixels[static_cast<size_t>(y) * kW + x] : 0x808080;
        auto* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
        if (depth == 16) {
          uint16_t v = To565(c);
          memcpy(row + 2 * x, &v, 2);
        } else {
          memcpy(row + 4 * x, &c, 4);
        }
      }
    return s;
  }
  Sdl() {
    for (int i = 0; i < 2; ++i) {
      src[i] = Make(i ? 32 : 16, true);
      dst[i] = Make(i ? 32 : 16, false);
    }
    argb = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_ARGB8888);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        size_t i = static_cast<size_t>(y) * kW + x;
        uint32_t v = Pic().pixels[i] | static_cast<uint32_t>(Pic().alpha[i]) << 24;
        memcpy(static_cast<uint8_t*>(argb->pixels) + y * argb->pitch + 4 * x, &v, 4);
      }
    SDL_SetSurfaceBlendMode(argb, SDL_BLENDMODE_BLEND);
  }
};

Sdl& S() {
  static Sdl sdl;
  return sdl;
}

// Sets the source's modulations for one effect; false when SDL has no peer.
bool SdlSetUp(SDL_Surface* s, Effect e, int depth) {
  SDL_SetColorKey(s, SDL_FALSE, 0);
  SDL_SetSurfaceColorMod(s, 255, 255, 255);
  SDL_SetSurfaceAlphaMod(s, 255);
  SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
  bool keyed = e == Effect::DrawHalfBlendKeyed || e == Effect::DrawBlendKeyed || e == Effect::DrawShadow ||
               e == Effect::DrawShadowHalf;
  if (keyed) SDL_SetColorKey(s, SDL_TRUE, depth == 16 ? kKey16 : 0xFF00FF);
  uint8_t level = static_cast<uint8_t>(kLevel * 255 / 256);
  switch (e) {
    case Effect::Copy: return true;
    case Effect::DrawHalfBlend:
    case Effect::DrawHalfBlendKeyed:
    case Effect::DrawBlend:
    case Effect::DrawBlendKeyed:
      // Our level weights the destination; SDL's alpha weights the source.
      SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
      SDL_SetSurfaceAlphaMod(s, e == Effect::DrawHalfBlend || e == Effect::DrawHalfBlendKeyed ? 128 : 255 - level);
      return true;
    case Effect::DrawDarken:
    case Effect::DrawShadow:
    case Effect::DrawDarkenHalf:
    case Effect::DrawShadowHalf:
      // Black through the sprite at the darkening's opacity.
      SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_BLEND);
      SDL_SetSurfaceColorMod(s, 0, 0, 0);
      SDL_SetSurfaceAlphaMod(s, e == Effect::DrawDarken || e == Effect::DrawShadow ? 255 - level : 128);
      return true;
    case Effect::DrawFaded: SDL_SetSurfaceColorMod(s, level, level, level); return true;
    default: return false;
  }
}

void RunSdl(benchmark::State& st, Effect e, int depth) {
  SDL_Surface* s = e == Effect::DrawAlphaMasked ? S().argb : S().src[depth == 32];
  SDL_Surface* d = S().dst[depth == 32];
  if (e != Effect::DrawAlphaMasked && !SdlSetUp(s, e, depth)) {
    st.SkipWithError("no peer");
    return;
  }
  for (auto _ : st) {
    SDL_BlitSurface(s, nullptr, d, nullptr);
    benchmark::ClobberMemory();
  }
}

// ---- pixman ----

struct Pixman {
  std::vector<uint32_t> srcBits[2], dstBits[2], maskBits, shadowBits;
  pixman_image_t *src[2], *dst[2], *mask, *shadow;
  Pixman() {
    for (int i = 0; i < 2; ++i) {
      int stride = i ? kW * 4 : kW * 2;
      srcBits[i].assign(static_cast<size_t>(stride / 4) * kH, 0);
      dstBits[i].assign(srcBits[i].size(), 0x80808080u);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          uint32_t c = Pic().pixels[static_cast<size_t>(y) * kW + x];
          auto* row = reinterpret_cast<uint8_t*>(srcBits[i].data()) + y * stride;
          if (i == 0) {
            uint16_t v = To565(c);
            memcpy(row + 2 * x, &v, 2);
          } else {
            memcpy(row + 4 * x, &c, 4);
          }
        }
      pixman_format_code_t f = i ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5;
      src[i] = pixman_image_create_bits(f, kW, kH, srcBits[i].data(), stride);
      dst[i] = pixman_image_create_bits(f, kW, kH, dstBits[i].data(), stride);
    }
    // a8 masks: the picture's alpha, and the sprite's shape at the shadow's opacity.
    maskBits.assign(static_cast<size_t>(kW / 4) * kH, 0);
    shadowBits.assign(maskBits.size(), 0);
    auto* m = reinterpret_cast<uint8_t*>(maskBits.data());
    auto* sh = reinterpret_cast<uint8_t*>(shadowBits.data());
    for (size_t i = 0; i < Pic().alpha.size(); ++i) {
      m[i] = Pic().alpha[i];
      sh[i] = Pic().pixels[i] == 0xFF00FF ? 0 : static_cast<uint8_t>(255 - kLevel);
    }
    mask = pixman_image_create_bits(PIXMAN_a8, kW, kH, maskBits.data(), kW);
    shadow = pixman_image_create_bits(PIXMAN_a8, kW, kH, shadowBits.data(), kW);
  }
};

Pixman& P() {
  static Pixman p;
  return p;
}

pixman_image_t* Solid(uint16_t r, uint16_t g, uint16_t b, uint16_t a) {
  pixman_color_t c{r, g, b, a};
  return pixman_image_create_solid_fill(&c);
}

void RunPixman(benchmark::State& st, Effect e, int depth) {
  int i = depth == 32;
  pixman_image_t* d = P().dst[i];
  pixman_image_t* s = P().src[i];
  uint16_t level = static_cast<uint16_t>(kLevel * 256);  // level / 256 in 16 bits
  pixman_op_t op = PIXMAN_OP_OVER;
  pixman_image_t *from = s, *through = nullptr, *made = nullptr;
  switch (e) {
    case Effect::Copy: op = PIXMAN_OP_SRC; break;
    case Effect::DrawHalfBlend: through = made = Solid(0, 0, 0, 0x8000); break;
    case Effect::DrawBlend: through = made = Solid(0, 0, 0, static_cast<uint16_t>(0xFFFF - level)); break;
    case Effect::DrawAlphaMasked: through = P().mask; break;
    case Effect::DrawDarken:
    case Effect::DrawDarkenHalf: {
      uint16_t grey = e == Effect::DrawDarken ? level : 0x8000;
      op = PIXMAN_OP_MULTIPLY;
      from = made = Solid(grey, grey, grey, 0xFFFF);
      break;
    }
    case Effect::DrawShadow:
      from = made = Solid(0, 0, 0, 0xFFFF);
      through = P().shadow;
      break;
    case Effect::DrawFaded:
      op = PIXMAN_OP_SRC;
      through = made = Solid(0, 0, 0, level);
      break;
    case Effect::Invert:
      op = PIXMAN_OP_DIFFERENCE;
      from = made = Solid(0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF);
      break;
    default: st.SkipWithError("no peer"); return;
  }
  for (auto _ : st) {
    pixman_image_composite(op, from, through, d, 0, 0, 0, 0, 0, 0, kW, kH);
    benchmark::ClobberMemory();
  }
  if (made) pixman_image_unref(made);
}

void Register() {
  for (int depth : {16, 32})
    for (int k = 0; k <= static_cast<int>(Effect::Invert); ++k) {
      Effect e = static_cast<Effect>(k);
      std::string name = std::string(kNames[k]) + std::to_string(depth);
      benchmark::RegisterBenchmark((name + "_Ours").c_str(), [e, depth](benchmark::State& st) { RunOurs(st, e, depth); });
      bool sdl = e != Effect::Invert;
      bool pixman = e != Effect::DrawHalfBlendKeyed && e != Effect::DrawBlendKeyed && e != Effect::DrawShadowHalf;
      if (sdl)
        benchmark::RegisterBenchmark((name + "_SDL").c_str(), [e, depth](benchmark::State& st) { RunSdl(st, e, depth); });
      if (pixman)
        benchmark::RegisterBenchmark((name + "_pixman").c_str(),
                                     [e, depth](benchmark::State& st) { RunPixman(st, e, depth); });
    }
}

// Keeps each run's processor time per iteration, by name, for the table (the
// processor time, because on a shared machine the wall-clock time also counts
// the other programs that ran meanwhile).
class Recorder : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> nanos;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred && (r.run_type == Run::RT_Iteration || r.aggregate_name == "median"))
        nanos[r.run_name.function_name] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  Recorder recorder;
  benchmark::RunSpecifiedBenchmarks(&recorder);
  printf("\n%-20s %13s %13s %-8s %9s %9s\n", "operation", "ours (cpu us)", "peer (cpu us)", "peer", "ours/copy",
         "ours/peer");
  for (int depth : {16, 32})
    for (int k = 1; k <= static_cast<int>(Effect::Invert); ++k) {
      std::string op = std::string(kNames[k]) + std::to_string(depth);
      auto find = [&](const std::string& n) {
        auto it = recorder.nanos.find(n);
        return it == recorder.nanos.end() ? -1.0 : it->second;
      };
      double ours = find(op + "_Ours");
      double copy = find("Copy" + std::to_string(depth) + "_Ours");
      double best = -1;
      std::string bestName = "-";
      for (const char* who : {"SDL", "pixman"}) {
        double t = find(op + "_" + who);
        if (t > 0 && (best < 0 || t < best)) {
          best = t;
          bestName = who;
        }
      }
      if (ours < 0) continue;
      char peer[32] = "-", ratio[32] = "-";
      if (best > 0) {
        snprintf(peer, sizeof peer, "%.1f", best / 1000);
        snprintf(ratio, sizeof ratio, "%.2f", ours / best);
      }
      printf("%-20s %13.1f %13s %-8s %9.2f %9s\n", op.c_str(), ours / 1000, peer, bestName.c_str(),
             copy > 0 ? ours / copy : 0.0, ratio);
    }
  benchmark::Shutdown();
  return 0;
}
