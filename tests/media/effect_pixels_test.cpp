// SPDX-License-Identifier: MIT
// The vector loops of the effect copies against the plain per-pixel loops, on
// random pictures: every pixel the same, and nothing outside the rectangle
// touched, at the vector level of the run (the build runs them at every one).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "cpu_level.h"
#include "media/internal/effect_pixels.h"

namespace {

using effects::Job;
using effects::Op;

// How the key is spread over the source: nowhere, on every pixel, or on every
// other pixel starting with the first or the second of each pair.
enum class Keys { Nowhere, Everywhere, EvenPixels, OddPixels, Random };

struct Picture {
  static constexpr int kW = 72, kH = 5;  // room around the widest rectangle
  int bytes;
  std::vector<uint8_t> src, dst, mask;
  ptrdiff_t Pitch() const { return static_cast<ptrdiff_t>(kW) * bytes + 6; }  // odd pitches
};

Picture MakePicture(std::mt19937& rng, int bytes, uint32_t key, Keys keys) {
  Picture p;
  p.bytes = bytes;
  size_t size = static_cast<size_t>(p.Pitch()) * Picture::kH;
  p.src.resize(size);
  p.dst.resize(size);
  p.mask.resize(static_cast<size_t>(Picture::kW) * Picture::kH);
  for (auto& b : p.src) b = static_cast<uint8_t>(rng());
  for (auto& b : p.dst) b = static_cast<uint8_t>(rng());
  for (auto& b : p.mask) b = static_cast<uint8_t>(rng() % 4 == 0 ? (rng() % 2 ? 0 : 255) : rng());
  for (int y = 0; y < Picture::kH; ++y)
    for (int x = 0; x < Picture::kW; ++x) {
      bool put = keys == Keys::Everywhere || (keys == Keys::EvenPixels && x % 2 == 0) ||
                 (keys == Keys::OddPixels && x % 2 == 1) || (keys == Keys::Random && rng() % 3 == 0);
      // In 32 bits the key covers the low 24 bits; byte 3 stays random.
      if (put) memcpy(&p.src[y * p.Pitch() + x * bytes], &key, bytes == 4 ? 3 : bytes);
    }
  return p;
}

// The media layer's loops follow the platform's one choice: the rows run are
// those of the level RALLEX_CPU asked for (the plain ones at "plain").
TEST(EffectPixels, RowsRunAtThePlatformsLevel) {
  EXPECT_EQ(effects::LoopTarget(), platform::cpu::Chosen().target);
  const char* asked = getenv("RALLEX_CPU");
  if (asked && *asked) {
    EXPECT_STREQ(platform::cpu::NameOf(effects::LoopTarget()), asked);
  }
}

TEST(EffectPixels, VectorLoopsEqualPlainLoops) {
  SKIP_WHERE_THE_LOOPS_ARE_PLAIN();
  std::mt19937 rng(7);
  const uint32_t levels[] = {0, 1, 128, 255, 256, 257, 65535, 65536};
  const Op ops[] = {Op::HalfBlend, Op::Blend, Op::AlphaMasked, Op::Darken, Op::DarkenHalf, Op::Faded};
  for (int format : {15, 16, 24, 32}) {
    int bytes = effects::BytesOfFormat(format);
    for (Op op : ops) {
      bool levelled = op == Op::Blend || op == Op::Darken || op == Op::Faded;
      for (uint32_t level : levels) {
        if (!levelled && level != 0) continue;
        for (Keys keys : {Keys::Nowhere, Keys::Everywhere, Keys::EvenPixels, Keys::OddPixels, Keys::Random}) {
          bool keyed = op == Op::AlphaMasked || (keys != Keys::Nowhere && op != Op::Faded);
          uint32_t key = bytes == 2 ? (rng() & 0xFFFF) : (rng() & 0xFFFFFF);
          if (keys == Keys::Nowhere && rng() % 2) key |= 0x01000000;  // a key no pixel can equal
          Picture p = MakePicture(rng, bytes, key, keys);
          for (int w = 0; w <= 67; ++w) {
            int left = static_cast<int>(rng() % (Picture::kW - w + 1));  // odd and even starts
            int top = static_cast<int>(rng() % 2);
            int h = 1 + static_cast<int>(rng() % 3);
            Job job;
            job.op = op;
            job.format = format;
            job.dstPitch = job.srcPitch = p.Pitch();
            job.src = p.src.data() + top * p.Pitch() + left * bytes;
            job.mask = p.mask.data() + top * Picture::kW + left;
            job.maskPitch = Picture::kW;
            job.w = w;
            job.h = h;
            job.keyed = keyed;
            job.key = key;
            job.level = level;
            std::vector<uint8_t> fast = p.dst, plain = p.dst;
            job.dst = fast.data() + top * p.Pitch() + left * bytes;
            effects::Run(job);
            job.dst = plain.data() + top * p.Pitch() + left * bytes;
            effects::reference::Run(job);
            ASSERT_EQ(fast, plain) << "format " << format << " op " << static_cast<int>(op)
                                   << " level " << level << " keys " << static_cast<int>(keys) << " w " << w
                                   << " left " << left;
            // Outside the rectangle, and byte 3 of 32-bit pixels, nothing changed.
            int changedOutside = -1;
            for (int y = 0; y < Picture::kH; ++y)
              for (int b = 0; b < p.Pitch(); ++b) {
                size_t i = static_cast<size_t>(y * p.Pitch() + b);
                bool inside = y >= top && y < top + h && b >= left * bytes && b < (left + w) * bytes &&
                              !(bytes == 4 && b % 4 == 3);
                if (!inside && plain[i] != p.dst[i]) changedOutside = static_cast<int>(i);
              }
            ASSERT_EQ(changedOutside, -1) << "format " << format << " w " << w << " left " << left;
          }
        }
      }
    }
  }
}

TEST(EffectPixels, InvertVectorEqualsPlainAndStaysInside) {
  SKIP_WHERE_THE_LOOPS_ARE_PLAIN();
  std::mt19937 rng(3);
  for (int bytes : {1, 2, 3, 4})
    for (int w = 0; w <= 67; ++w) {
      Picture p = MakePicture(rng, bytes, 0, Keys::Nowhere);
      int left = static_cast<int>(rng() % (Picture::kW - w + 1));
      std::vector<uint8_t> fast = p.dst, plain = p.dst;
      effects::Invert(fast.data() + p.Pitch() + left * bytes, p.Pitch(), w, 3, bytes);
      effects::reference::Invert(plain.data() + p.Pitch() + left * bytes, p.Pitch(), w, 3, bytes);
      ASSERT_EQ(fast, plain) << "bytes " << bytes << " w " << w;
      int wrong = -1;
      for (size_t i = 0; i < plain.size(); ++i) {
        int y = static_cast<int>(i / p.Pitch()), b = static_cast<int>(i % p.Pitch());
        bool inside = y >= 1 && y < 4 && b >= left * bytes && b < (left + w) * bytes;
        if (plain[i] != (inside ? 255 - p.dst[i] : p.dst[i])) wrong = static_cast<int>(i);
      }
      ASSERT_EQ(wrong, -1) << "bytes " << bytes << " w " << w;
    }
}

}  // namespace
