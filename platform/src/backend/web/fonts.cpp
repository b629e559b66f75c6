// SPDX-License-Identifier: MIT
#include "backend/web/fonts.h"

#include "backend/web/files.h"

#include <emscripten.h>

#include <cctype>
#include <map>

namespace platform::web {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Which Liberation family a lower-case name stands for, or null.
const char* LiberationFamily(const std::string& name) {
  static const std::map<std::string, const char*> families = {
      {"liberation sans", "Sans"}, {"sans", "Sans"},   {"sans-serif", "Sans"}, {"sans serif", "Sans"},
      {"liberation mono", "Mono"}, {"mono", "Mono"},   {"monospace", "Mono"},
      {"liberation serif", "Serif"}, {"serif", "Serif"},
  };
  auto it = families.find(name);
  return it == families.end() ? nullptr : it->second;
}

}  // namespace

std::string FontFileName(const std::string& family, const std::string& generic, int weight, bool italic) {
  const char* which = LiberationFamily(Lower(family));
  if (!which) which = LiberationFamily(Lower(generic));
  if (!which) return "";
  // The faces come in regular (400) and bold (700); a weight goes to the nearer,
  // a tie (550) to the lighter, as fontconfig's match does.
  bool bold = weight > 550;
  std::string style = bold ? (italic ? "BoldItalic" : "Bold") : (italic ? "Italic" : "Regular");
  return std::string("Liberation") + which + "-" + style + ".ttf";
}

}  // namespace platform::web

namespace platform::web {

FontFile FindFontFile(const std::string& family, const std::string& generic, int weight, bool italic) {
  FontFile found;
  std::string name = FontFileName(family, generic, weight, italic);
  if (name.empty() || !FetchIntoFile("fonts/" + name, "/fonts/" + name)) return found;
  found.path = "/fonts/" + name;
  found.family = "Liberation " + name.substr(10, name.find('-') - 10);
  return found;
}

}  // namespace platform::web
