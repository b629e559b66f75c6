// SPDX-License-Identifier: MIT
// The row conversions, their vector forms written once with Highway: this file
// is compiled once per target (foreach_target.h includes it again for each),
// and what is outside the per-target namespace once (HWY_ONCE).
#include "gdi/rows.h"

#include <cstring>

#include "cpu/cpu.h"

#ifndef RALLEX_GDI_ROWS_ONCE
#define RALLEX_GDI_ROWS_ONCE
namespace platform::gdi::rows {
namespace {

// One channel of a colour moved into place: ((rgb >> down) & low) << up. That
// is what packing does for a contiguous channel of at most 8 bits: the top
// `bits` of the 8-bit value, shifted to the channel's place.
struct Lane {
  int down = 0;
  uint32_t low = 0;
  int up = 0;
};
struct Lanes {
  Lane c[3];
};

// False for formats the vector forms do not cover (channels wider than 8 bits
// or with holes in their masks); those are packed pixel by pixel.
bool LanesOf(const Format& f, Lanes* out) {
  const Channel* channels[3] = {&f.red, &f.green, &f.blue};
  for (int i = 0; i < 3; ++i) {
    const Channel& ch = *channels[i];
    if (ch.bits == 0) {
      out->c[i] = Lane{0, 0, 0};
      continue;
    }
    if (ch.bits > 8 || ch.shift + ch.bits > 32) return false;
    const uint32_t low = (1u << ch.bits) - 1;
    if (ch.mask != low << ch.shift) return false;
    out->c[i] = Lane{16 - 8 * i + 8 - ch.bits, low, ch.shift};
  }
  return true;
}

// The end of a row after the last whole vector.
void PackRun(const uint32_t* src, uint8_t* dst, size_t n, const Lanes& lanes, int bytes) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t raw = 0;
    for (const Lane& lane : lanes.c) raw |= ((src[i] >> lane.down) & lane.low) << lane.up;
    memcpy(dst + bytes * i, &raw, static_cast<size_t>(bytes));
  }
}

}  // namespace
}  // namespace platform::gdi::rows
#endif  // RALLEX_GDI_ROWS_ONCE

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "gdi/rows.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace platform::gdi::rows {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

int64_t CompiledTarget() { return HWY_TARGET; }

#if HWY_TARGET == HWY_SCALAR || HWY_TARGET == HWY_EMU128

// Highway's emulated targets are never a level (cpu/cpu.h): where only they
// would be left, the plain loops run. These keep the dispatch tables whole.
void PackRow(const uint32_t* src, uint8_t* dst, size_t n, const Lanes& lanes, int bytes) {
  PackRun(src, dst, n, lanes, bytes);
}
void WidenBgr24(const uint8_t* src, uint32_t* dst, size_t n) { reference::WidenBgr24(src, dst, n); }

#else

template <class V>
HWY_INLINE V PackLanes(V v, const Lanes& l) {
  const hn::DFromV<V> d;
  V out = hn::Zero(d);
  for (const Lane& lane : l.c)
    out = hn::Or(out, hn::ShiftLeftSame(hn::And(hn::ShiftRightSame(v, lane.down), hn::Set(d, lane.low)), lane.up));
  return out;
}

void PackRow(const uint32_t* src, uint8_t* dst, size_t n, const Lanes& lanes, int bytes) {
  const hn::ScalableTag<uint32_t> d32;
  const size_t step = hn::Lanes(d32);
  size_t i = 0;
  if (bytes == 2) {
    // The packed values fit 16 bits: the saturating narrowing keeps them.
    const hn::Rebind<int32_t, decltype(d32)> di32;
    const hn::Rebind<uint16_t, decltype(d32)> d16;
    for (; i + step <= n; i += step)
      hn::StoreU(hn::DemoteTo(d16, hn::BitCast(di32, PackLanes(hn::LoadU(d32, src + i), lanes))), d16,
                 reinterpret_cast<uint16_t*>(dst + 2 * i));
  } else {
    for (; i + step <= n; i += step)
      hn::StoreU(PackLanes(hn::LoadU(d32, src + i), lanes), d32, reinterpret_cast<uint32_t*>(dst + 4 * i));
  }
  PackRun(src + i, dst + bytes * i, n - i, lanes, bytes);
}

// Blue, green, red of four pixels (12 of 16 bytes loaded) into four 32-bit
// words, the top byte zero: a byte lookup of 16 bytes, which every target has.
void WidenBgr24(const uint8_t* src, uint32_t* dst, size_t n) {
  const hn::FixedTag<uint8_t, 16> d8;
  const hn::FixedTag<uint32_t, 4> d32;
  alignas(16) static constexpr uint8_t kSpread[16] = {0, 1, 2, 0x80, 3, 4, 5, 0x80, 6, 7, 8, 0x80, 9, 10, 11, 0x80};
  const auto spread = hn::Load(d8, kSpread);
  size_t i = 0;
  // Each load reads 16 bytes for the 12 it uses: stop while 16 are left.
  for (; i + 6 <= n; i += 4)
    hn::StoreU(hn::BitCast(d32, hn::TableLookupBytesOr0(hn::LoadU(d8, src + 3 * i), spread)), d32, dst + i);
  reference::WidenBgr24(src + 3 * i, dst + i, n - i);
}

#endif  // HWY_TARGET

}  // namespace HWY_NAMESPACE
}  // namespace platform::gdi::rows
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace platform::gdi::rows {
namespace {
HWY_EXPORT(CompiledTarget);
HWY_EXPORT(PackRow);
HWY_EXPORT(WidenBgr24);
}  // namespace

const char* LoopLevel() { return cpu::Vectors() ? cpu::NameOf(HWY_DYNAMIC_DISPATCH(CompiledTarget)()) : "plain"; }

void PackRow(const uint32_t* src, uint8_t* dst, size_t n, const Format& f, int bytes) {
  Lanes l;
  if ((bytes == 2 || bytes == 4) && cpu::Vectors() && LanesOf(f, &l))
    HWY_DYNAMIC_DISPATCH(PackRow)(src, dst, n, l, bytes);
  else
    reference::PackRow(src, dst, n, f, bytes);
}

void WidenBgr24(const uint8_t* src, uint32_t* dst, size_t n) {
  if (cpu::Vectors())
    HWY_DYNAMIC_DISPATCH(WidenBgr24)(src, dst, n);
  else
    reference::WidenBgr24(src, dst, n);
}

namespace reference {

void PackRow(const uint32_t* src, uint8_t* dst, size_t n, const Format& f, int bytes) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t raw = f.PackRgb(src[i]);
    for (int b = 0; b < bytes; ++b) dst[bytes * i + b] = static_cast<uint8_t>(raw >> (8 * b));
  }
}

void WidenBgr24(const uint8_t* src, uint32_t* dst, size_t n) {
  for (size_t i = 0; i < n; ++i, src += 3) dst[i] = static_cast<uint32_t>(src[2]) << 16 | src[1] << 8 | src[0];
}

}  // namespace reference

}  // namespace platform::gdi::rows
#endif  // HWY_ONCE
