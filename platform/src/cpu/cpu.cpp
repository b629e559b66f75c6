// SPDX-License-Identifier: MIT
#include "cpu/cpu.h"

#include <hwy/highway.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// More than one target compiled: Highway dispatches among them at run time.
#define RALLEX_DYNAMIC_TARGETS ((HWY_TARGETS & (HWY_TARGETS - 1)) != 0)
#if RALLEX_DYNAMIC_TARGETS && HWY_ARCH_ARM_A64
#include <sys/auxv.h>
#endif

namespace platform::cpu {
namespace {

// Highway's fallback targets emulate vectors one lane or one array at a time;
// where only they are left, the plain forms are the better loops.
constexpr int64_t kFallback = HWY_SCALAR | HWY_EMU128;
constexpr int64_t kBuilt = HWY_TARGETS & ~kFallback;

struct Level {
  int64_t target;
  std::string name;
};

// Highway's bits order its targets best first (the lowest bit is the best).
const std::vector<Level>& BuiltLevels() {
  static const std::vector<Level> levels = [] {
    std::vector<Level> out;
    for (int bit = 0; bit < 63; ++bit) {
      int64_t target = int64_t{1} << bit;
      if (!(kBuilt & target)) continue;
      std::string name = hwy::TargetName(target);
      for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      out.push_back({target, name});
    }
    out.push_back({0, "plain"});
    return out;
  }();
  return levels;
}

// The level of `target` (0: plain).
const Level& LevelOf(int64_t target) {
  for (const Level& level : BuiltLevels())
    if (level.target == target) return level;
  return BuiltLevels().back();
}

// The best built target in `targets` (0 when none).
int64_t Best(int64_t targets) {
  targets &= kBuilt;
  return targets & -targets;
}

std::string LevelList() {
  std::string list;
  for (const Level& level : BuiltLevels()) list += (list.empty() ? "" : ", ") + level.name;
  return list;
}

// The targets this processor runs, as Highway's bits.
int64_t ProcessorTargets() {
#if !RALLEX_DYNAMIC_TARGETS
  // One target compiled in (the browser): no run-time detection, so nothing
  // of Highway's library is called.
  return HWY_STATIC_TARGET;
#elif HWY_ARCH_ARM_A64
  // Every arm64 processor has NEON (the compiler's arm64 baseline uses it).
  // Highway's own detection would also demand the AES extension, which some
  // lack (a Raspberry Pi 4), and then warn and give up its vector forms: the
  // kernel's feature bits answer for SVE and SVE2 instead.
  int64_t targets = HWY_NEON;
  if (getauxval(AT_HWCAP) & HWCAP_SVE) targets |= HWY_SVE;
  if (getauxval(AT_HWCAP2) & HWCAP2_SVE2) targets |= HWY_SVE2;
  return targets;
#else
  return hwy::SupportedTargets();
#endif
}

}  // namespace

Choice Choose(int64_t supported, const char* requested) {
  Choice choice;
  const int64_t best = Best(supported);
  if (!requested || !*requested) {
    choice.target = best;
  } else if (strcmp(requested, "plain") == 0) {
    choice.target = 0;
  } else {
    const Level* asked = nullptr;
    for (const Level& level : BuiltLevels())
      if (level.name == requested) asked = &level;
    if (!asked) {
      choice.target = best;
      choice.shortfall = std::string("RALLEX_CPU=") + requested + " is not a level of this build (" + LevelList() +
                         "); using " + LevelOf(best).name;
    } else {
      // The asked level and every one below it: the bits from its own up.
      choice.target = Best(supported & ~(asked->target - 1));
      if (choice.target != asked->target)
        choice.shortfall = std::string("RALLEX_CPU=") + requested + ": this processor lacks it; using " +
                           LevelOf(choice.target).name;
    }
  }
  choice.name = NameOf(choice.target);
  return choice;
}

const Choice& Chosen() {
  static const Choice choice = [] {
    Choice c = Choose(ProcessorTargets(), getenv("RALLEX_CPU"));
    if (!c.shortfall.empty()) fprintf(stderr, "%s\n", c.shortfall.c_str());
#if RALLEX_DYNAMIC_TARGETS
    // Highway dispatches to the chosen target from the first loop on, in
    // either layer: both ask for this choice before their first loop, so
    // Highway never runs a detection of its own. At plain no vector loop is
    // called, and only the fallback is left.
    hwy::GetChosenTarget().Update(c.target);
#endif
    return c;
  }();
  return choice;
}

bool AtLeast(int64_t target) {
  const int64_t chosen = Chosen().target;
  return chosen != 0 && (kBuilt & target) != 0 && chosen <= target;
}

std::vector<const char*> Levels() {
  std::vector<const char*> names;
  for (const Level& level : BuiltLevels()) names.push_back(level.name.c_str());
  return names;
}

const char* LevelName() { return Chosen().name; }

const char* NameOf(int64_t target) { return LevelOf(target).name.c_str(); }

}  // namespace platform::cpu
