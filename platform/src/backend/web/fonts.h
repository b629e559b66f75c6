// SPDX-License-Identifier: MIT
// Font files of the browser build: the Liberation faces served with the page,
// fetched into the program's file system when a font first asks for them.
#pragma once

#include <string>

namespace platform::web {

struct FontFile {
  std::string path;    // in the program's file system; empty when none could be had
  std::string family;  // the face's family name
};

// The file for a family name (any case) at a weight (100..1000) and slant.
// The Liberation names find themselves (the caller maps the core face names
// such as Arial to them first); anything else finds the generic family given
// (sans, serif or monospace), as fontconfig's default does.
FontFile FindFontFile(const std::string& family, const std::string& generic, int weight, bool italic);

// The file name of the face a family and style come to, without fetching it
// (empty for a family that is not served): "LiberationSans-BoldItalic.ttf".
std::string FontFileName(const std::string& family, const std::string& generic, int weight, bool italic);

}  // namespace platform::web
