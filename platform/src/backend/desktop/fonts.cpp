// SPDX-License-Identifier: MIT
// The desktop's font files, found through fontconfig.
#include <fontconfig/fontconfig.h>

#include "backend/backend.h"

namespace platform::backend {

FontFile FindFont(const FontQuery& query) {
  FontFile match;
  static bool initialised = FcInit() == FcTrue;
  if (!initialised) return match;
  FcPattern* pattern = FcPatternCreate();
  if (!query.preferred.empty())
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(query.preferred.c_str()));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(query.family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(query.weight));
  FcPatternAddInteger(pattern, FC_SLANT, query.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(nullptr, pattern, &result);
  if (found) {
    FcChar8* file = nullptr;
    FcChar8* foundFamily = nullptr;
    if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file)
      match.path = reinterpret_cast<const char*>(file);
    if (FcPatternGetString(found, FC_FAMILY, 0, &foundFamily) == FcResultMatch && foundFamily)
      match.family = reinterpret_cast<const char*>(foundFamily);
    FcPatternGetInteger(found, FC_INDEX, 0, &match.index);
    FcPatternDestroy(found);
  }
  FcPatternDestroy(pattern);
  return match;
}

// Files on the desktop are where they are: nothing to fetch.
void FetchDataFile(const std::string&, const std::string&) {}

// The process ends after main returns; nobody else needs to hear of it.
void ProgramEnded(int) {}

}  // namespace platform::backend

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RX_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(RX_ADDRESS_SANITIZER)
// Fontconfig keeps a few bytes from parsing its configuration that nothing
// frees; the leak checker of sanitizer builds is told to look away from them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
