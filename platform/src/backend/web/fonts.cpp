// SPDX-License-Identifier: MIT
// Font files of the browser build: the Liberation faces served with the page,
// fetched into the program's file system when a font first asks for them.
// The browser has no fontconfig; these are the faces it would find.
#include <cctype>
#include <map>

#include "backend/backend.h"
#include "backend/web/files.h"

namespace platform::backend {
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

// The Liberation names find themselves (the core face names such as Arial
// come as the preferred face); anything else finds the generic family, as
// fontconfig's default does.
FontFile FindFont(const FontQuery& query) {
  FontFile found;
  const std::string& family = query.preferred.empty() ? query.family : query.preferred;
  const char* which = LiberationFamily(Lower(family));
  if (!which) which = LiberationFamily(Lower(query.generic));
  if (!which) return found;
  // The faces come in regular (400) and bold (700); a weight goes to the nearer,
  // a tie (550) to the lighter, as fontconfig's match does.
  bool bold = query.weight > 550;
  const char* style = bold ? (query.italic ? "BoldItalic" : "Bold") : (query.italic ? "Italic" : "Regular");
  std::string name = std::string("Liberation") + which + "-" + style + ".ttf";
  if (!web::FetchIntoFile("fonts/" + name, "/fonts/" + name)) return found;
  found.path = "/fonts/" + name;
  found.family = std::string("Liberation ") + which;
  return found;
}

}  // namespace platform::backend
