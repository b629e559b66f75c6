// SPDX-License-Identifier: MIT
// The one choice of vector level for the whole process. The pixel loops are
// written once with Highway and compiled for each of its targets this build
// has; on x86-64 and arm64 (NEON, SVE, SVE2) the best one the processor has
// runs, in the browser (WebAssembly SIMD) the build's one target is compiled
// in. Every loop also has a plain per-pixel form: the level "plain".
//
// RALLEX_CPU=<level> caps the choice, never above what the processor has, so
// that one machine runs every form of a loop; the tests use it. The cap is
// applied to Highway before the first loop of either layer dispatches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/cpu.h"

namespace platform::cpu {

struct Choice {
  int64_t target = 0;  // Highway's target bit; 0 for plain
  const char* name = "plain";
  // Empty when the run has the level RALLEX_CPU asked for (or asked for none);
  // otherwise the one line that says what runs instead and why.
  std::string shortfall;
};

// The choice of this run, made on the first call.
const Choice& Chosen();
inline bool Vectors() { return Chosen().target != 0; }
// Whether the chosen level includes `target` (one of Highway's target bits):
// false at plain and for a target of another processor family.
bool AtLeast(int64_t target);

// The name of the level of `target` (Highway's target bit): "plain" for a
// target that is no level of this build.
const char* NameOf(int64_t target);

// The levels of this build, best first, "plain" last.
std::vector<const char*> Levels();

// The choice for a processor offering `supported` (Highway's target bits)
// under the level `requested` (null or empty: no cap). Chosen() is this, for
// this processor and RALLEX_CPU.
Choice Choose(int64_t supported, const char* requested);

}  // namespace platform::cpu
