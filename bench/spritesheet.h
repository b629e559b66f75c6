// SPDX-License-Identifier: MIT
// A 16-bit picture of sprites on a keyed background, as the copy benchmarks
// draw it: runs of the key and of colours, about half of each, as a sheet of
// sprites looks. The seed picks the runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

constexpr uint16_t kSpriteKey = 0xF81F;  // magenta

inline std::vector<uint16_t> SpriteSheet(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint16_t> p(static_cast<size_t>(w) * h);
  size_t i = 0;
  bool key = true;
  while (i < p.size()) {
    size_t run = 1 + rng() % 48;
    for (size_t k = 0; k < run && i < p.size(); ++k, ++i)
      p[i] = key ? kSpriteKey : static_cast<uint16_t>(rng() & 0xF7DE);
    key = !key;
  }
  return p;
}
