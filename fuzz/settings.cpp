// SPDX-License-Identifier: MIT
// Fuzzes the reader of the display settings: the input is read as a
// settings file (or RALLEX_DISPLAY_OPTIONS, the same words), and again as a
// command line, its arguments split at NUL bytes. Beyond not crashing, what
// the player would see must hold: every problem line is printable ASCII of
// bounded length, a damaged file says so in one line, each setting's bad
// values in one line at most, and the settings that come out are written and
// read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "presentation/settings.h"

namespace pr = platform::presentation;

namespace {

// A problem line quotes at most two cut values besides its fixed text.
constexpr size_t kLongestProblem = 300;

void CheckShown(const std::vector<std::string>& problems) {
  for (const std::string& p : problems) {
    if (p.size() > kLongestProblem) abort();
    for (char c : p)
      if (c < ' ' || c > '~') abort();
  }
}

bool Same(const pr::Settings& a, const pr::Settings& b) {
  return a.shown == b.shown && a.scaling == b.scaling && a.filter == b.filter && a.monitor == b.monitor &&
         (a.window.w == 0 || a.window == b.window);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  pr::Settings fromFile;
  std::vector<std::string> problems;
  pr::ApplyWords(fromFile, input, "rallex.conf", problems);
  CheckShown(problems);
  size_t damageLines = 0;
  for (const std::string& p : problems)
    if (p.find(" ignored: ") != std::string::npos || p.find(" lines ignored, the first ") != std::string::npos)
      ++damageLines;
  // One line about damage, and one about each setting with a value at most.
  if (damageLines > 1 || problems.size() > 6) abort();

  // What the program would write is read back the same, without a word said.
  pr::Settings again;
  std::vector<std::string> none;
  pr::ApplyWords(again, pr::Words(fromFile), "rallex.conf", none);
  if (!none.empty() || !Same(fromFile, again)) abort();

  std::vector<std::string> words{"rallex"};
  for (size_t at = 0; at <= input.size() && words.size() < 64;) {
    size_t nul = input.find('\0', at);
    if (nul == std::string::npos) nul = input.size();
    words.push_back(input.substr(at, nul - at));
    at = nul + 1;
  }
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pr::Settings fromLine;
  problems.clear();
  pr::CommandLine line = pr::ApplyArguments(fromLine, static_cast<int>(words.size()), argv.data(), problems);
  CheckShown(problems);
  if (line.rest.size() >= words.size()) abort();
  return 0;
}
