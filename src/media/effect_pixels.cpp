// SPDX-License-Identifier: MIT
#include "media/internal/effect_pixels.h"

#include <cstring>
#include <iterator>

#include "platform/cpu.h"

namespace effects {
namespace {

// ---- one pixel at a time, straight from the per-channel rules ----

// Where the three channels sit: blue, green, red (shift and width).
struct Layout {
  int shift[3];
  int bits[3];
};

Layout LayoutOf(int format) {
  switch (format) {
    case 15: return {{0, 5, 10}, {5, 5, 5}};
    case 16: return {{0, 5, 11}, {5, 6, 5}};
    default: return {{0, 8, 16}, {8, 8, 8}};
  }
}

uint32_t Read(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  memcpy(&v, p, static_cast<size_t>(bytes));
  return v;
}

// 15 and 16 bits: the 16-bit word; 24 and 32 bits: the three low bytes only.
void Write(uint8_t* p, int bytes, uint32_t v) { memcpy(p, &v, bytes == 2 ? 2 : 3); }

bool IsKey(uint32_t s, int bytes, uint32_t key) { return (bytes == 2 ? s & 0xFFFF : s & 0xFFFFFF) == key; }

// Every channel halved, the remainder dropped.
uint32_t Half(uint32_t p, int format) {
  switch (format) {
    case 15: return (p >> 1) & 0x3DEF;
    case 16: return (p >> 1) & 0x7BEF;
    default: return (p >> 1) & 0x7F7F7F;
  }
}

uint32_t Pixel(Op op, int format, uint32_t s, uint32_t d, uint32_t m, int32_t a) {
  if (op == Op::HalfBlend) return Half(s, format) + Half(d, format);
  if (op == Op::DarkenHalf) return Half(d, format);
  Layout l = LayoutOf(format);
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) {
    int32_t max = (1 << l.bits[c]) - 1;
    int32_t sc = static_cast<int32_t>(s >> l.shift[c]) & max;
    int32_t dc = static_cast<int32_t>(d >> l.shift[c]) & max;
    int32_t v = 0;
    switch (op) {
      case Op::Blend: v = sc + (((dc - sc) * a) >> 8); break;
      case Op::AlphaMasked: v = dc + (((sc - dc) * static_cast<int32_t>(m)) >> 8); break;
      case Op::Darken: v = (dc * a) >> 8; break;
      case Op::Faded: v = (sc * a) >> 8; break;
      default: break;
    }
    out |= static_cast<uint32_t>(v) << l.shift[c];
  }
  return out;
}

// n pixels of one row, for one operation and format known when compiled, so
// that the per-pixel rules above become straight code (these loops are what
// processors without the vector forms run, the browser's included).
template <Op op, int format, bool keyed>
void PlainRowOf(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, uint32_t key, uint32_t level) {
  constexpr int bytes = format == 15 || format == 16 ? 2 : format == 24 ? 3 : 4;
  constexpr bool readsSource = keyed || (op != Op::Darken && op != Op::DarkenHalf);
  for (int i = 0; i < n; ++i) {
    uint32_t sv = readsSource ? Read(s + i * bytes, bytes) : 0;
    if (keyed && IsKey(sv, bytes, key)) continue;
    uint32_t dv = Read(d + i * bytes, bytes);
    Write(d + i * bytes, bytes, Pixel(op, format, sv, dv, m ? m[i] : 0, static_cast<int32_t>(level)));
  }
}

template <Op op, int format>
void PlainRowFor(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, bool keyed, uint32_t key, uint32_t level) {
  if (keyed)
    PlainRowOf<op, format, true>(d, s, m, n, key, level);
  else
    PlainRowOf<op, format, false>(d, s, m, n, key, level);
}

template <int format>
void PlainRowIn(Op op, uint8_t* d, const uint8_t* s, const uint8_t* m, int n, bool keyed, uint32_t key,
                uint32_t level) {
  switch (op) {
    case Op::HalfBlend: return PlainRowFor<Op::HalfBlend, format>(d, s, m, n, keyed, key, level);
    case Op::Blend: return PlainRowFor<Op::Blend, format>(d, s, m, n, keyed, key, level);
    case Op::AlphaMasked: return PlainRowFor<Op::AlphaMasked, format>(d, s, m, n, keyed, key, level);
    case Op::Darken: return PlainRowFor<Op::Darken, format>(d, s, m, n, keyed, key, level);
    case Op::DarkenHalf: return PlainRowFor<Op::DarkenHalf, format>(d, s, m, n, keyed, key, level);
    case Op::Faded: return PlainRowFor<Op::Faded, format>(d, s, m, n, keyed, key, level);
  }
}

void PlainRow(Op op, int format, uint8_t* d, const uint8_t* s, const uint8_t* m, int n, bool keyed, uint32_t key,
              uint32_t level) {
  switch (format) {
    case 15: return PlainRowIn<15>(op, d, s, m, n, keyed, key, level);
    case 16: return PlainRowIn<16>(op, d, s, m, n, keyed, key, level);
    case 24: return PlainRowIn<24>(op, d, s, m, n, keyed, key, level);
    case 32: return PlainRowIn<32>(op, d, s, m, n, keyed, key, level);
    default: return;
  }
}

// A key that no pixel of the format can equal.
bool KeyCannotMatch(uint32_t key, int bytes) { return key > (bytes == 2 ? 0xFFFFu : 0xFFFFFFu); }

bool Usable(const Job& j) {
  if (j.w <= 0 || j.h <= 0 || !j.dst || BytesOfFormat(j.format) == 0) return false;
  bool readsSource = j.keyed || (j.op != Op::Darken && j.op != Op::DarkenHalf);
  if (readsSource && !j.src) return false;
  if (j.op == Op::AlphaMasked && !j.mask) return false;
  return true;
}

Job Limited(const Job& job) {
  Job j = job;
  if (j.level > 256) j.level = 256;
  return j;
}

}  // namespace
}  // namespace effects

// The vector rows, once per target of Highway's.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "media/internal/effect_rows.inc"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>
#include "media/internal/effect_rows.inc"  // and for the static target

namespace effects {
namespace {

HWY_EXPORT(CompiledTarget);
HWY_EXPORT(RunRows);
HWY_EXPORT(InvertRows);

// The platform's one choice of level, which its own loops follow too; asking
// for it first also caps Highway's dispatch before the first loop here.
bool VectorLoops() {
  static const bool on = strcmp(platform::cpu::LevelName(), "plain") != 0;
  return on;
}

}  // namespace

int64_t LoopTarget() { return VectorLoops() ? HWY_DYNAMIC_DISPATCH(CompiledTarget)() : 0; }

int BytesOfFormat(int format) {
  switch (format) {
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
  }
}

void Run(const Job& job) {
  if (!Usable(job)) return;
  Job j = Limited(job);
  // 24-bit pixels have no vector form: three bytes fit no lane.
  if (j.format == 24 || !VectorLoops()) return reference::Run(j);
  HWY_DYNAMIC_DISPATCH(RunRows)(j, j.keyed && !KeyCannotMatch(j.key, BytesOfFormat(j.format)));
}

void Invert(uint8_t* bits, ptrdiff_t pitch, int w, int h, int bytes) {
  if (!bits || w <= 0 || h <= 0 || bytes <= 0) return;
  if (!VectorLoops()) return reference::Invert(bits, pitch, w, h, bytes);
  HWY_DYNAMIC_DISPATCH(InvertRows)(bits, pitch, w, h, bytes);
}

namespace reference {

void Run(const Job& job) {
  if (!Usable(job)) return;
  Job j = Limited(job);
  for (int y = 0; y < j.h; ++y)
    PlainRow(j.op, j.format, j.dst + y * j.dstPitch, j.src ? j.src + y * j.srcPitch : nullptr,
             j.mask ? j.mask + y * j.maskPitch : nullptr, j.w, j.keyed, j.key, j.level);
}

void Invert(uint8_t* bits, ptrdiff_t pitch, int w, int h, int bytes) {
  if (!bits || w <= 0 || h <= 0 || bytes <= 0) return;
  // Every byte of the row's pixels, in one run (a loop the compiler vectorises).
  size_t rowBytes = static_cast<size_t>(w) * static_cast<size_t>(bytes);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = bits + y * pitch;
    for (size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<uint8_t>(255 - row[i]);
  }
}

}  // namespace reference
}  // namespace effects
