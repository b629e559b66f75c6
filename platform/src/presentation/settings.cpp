// SPDX-License-Identifier: MIT
// The player's presentation settings and where they come from: the settings
// file, RALLEX_DISPLAY_OPTIONS and the command line, and the usage text.
#include "presentation/settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace platform::presentation {

Settings& Current() {
  static Settings settings;
  return settings;
}

namespace {

struct Name {
  const char* word;
  int value;
};
constexpr Name kScalings[] = {{"aspect", static_cast<int>(Scaling::Aspect)},
                              {"integer", static_cast<int>(Scaling::Integer)},
                              {"stretch", static_cast<int>(Scaling::Stretch)}};
constexpr Name kFilters[] = {{"nearest", static_cast<int>(Filter::Nearest)},
                             {"linear", static_cast<int>(Filter::Linear)}};

template <size_t N>
const char* NameOf(const Name (&names)[N], int value) {
  for (const Name& n : names)
    if (n.value == value) return n.word;
  return names[0].word;
}

template <size_t N>
std::string Choices(const Name (&names)[N]) {
  std::string s;
  for (const Name& n : names) s += (s.empty() ? "" : ", ") + std::string(n.word);
  return s;
}

template <size_t N>
bool Lookup(const Name (&names)[N], std::string_view word, int& value) {
  for (const Name& n : names)
    if (word == n.word) {
      value = n.value;
      return true;
    }
  return false;
}

// A whole decimal number in [lo, hi], nothing else.
bool Number(std::string_view text, long lo, long hi, int& value) {
  if (text.empty() || text.size() > 9) return false;
  long v = 0;
  bool negative = text[0] == '-';
  size_t i = negative ? 1 : 0;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  if (negative) v = -v;
  if (v < lo || v > hi) return false;
  value = static_cast<int>(v);
  return true;
}

bool Pair(std::string_view text, char separator, long lo, long hi, int& a, int& b) {
  size_t at = text.find(separator);
  return at != std::string_view::npos && Number(text.substr(0, at), lo, hi, a) &&
         Number(text.substr(at + 1), lo, hi, b);
}

constexpr long kMaxCoordinate = 1 << 20;

// One of the named choices into field; the problem (naming the choices and
// the value kept) when value is none of them.
template <typename E, size_t N>
std::string ApplyChoice(const Name (&names)[N], const char* what, std::string_view value, E& field) {
  int v = 0;
  if (Lookup(names, value, v)) {
    field = static_cast<E>(v);
    return {};
  }
  return "unknown " + std::string(what) + " \"" + std::string(value) + "\" (choices: " + Choices(names) +
         "); keeping " + NameOf(names, static_cast<int>(field));
}

// One option by name and value, as the command line, the environment and the
// file all give them. Returns an empty string, or the problem.
std::string ApplyOption(Settings& s, std::string_view name, std::string_view value) {
  int v = 0, w = 0;
  if (name == "scale") return ApplyChoice(kScalings, "scaling", value, s.scaling);
  if (name == "filter") return ApplyChoice(kFilters, "filter", value, s.filter);
  if (name == "monitor") {
    if (Number(value, 0, 255, v)) {
      s.monitor = v;
      return {};
    }
    return "the monitor \"" + std::string(value) + "\" is not a number from 0; keeping " +
           std::to_string(s.monitor);
  }
  if (name == "position") {
    if (Pair(value, ',', -kMaxCoordinate, kMaxCoordinate, v, w)) {
      s.window.x = v;
      s.window.y = w;
      return {};
    }
    return "the position \"" + std::string(value) + "\" is not X,Y; ignored";
  }
  if (name == "size") {
    if (Pair(value, 'x', 1, kMaxCoordinate, v, w)) {
      s.window.w = v;
      s.window.h = w;
      return {};
    }
    return "the size \"" + std::string(value) + "\" is not WIDTHxHEIGHT; ignored";
  }
  return "unknown setting \"" + std::string(name) + "\" (choices: window, fullscreen, scale=, filter=, monitor=)";
}

}  // namespace

void ApplyWords(Settings& settings, std::string_view text, const std::string& source,
                std::vector<std::string>& problems) {
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
      std::string problem;
      if (word == "window") {
        settings.shown = Shown::Window;
      } else if (word == "fullscreen") {
        settings.shown = Shown::FullScreen;
      } else if (size_t eq = word.find('='); eq != std::string::npos) {
        problem = ApplyOption(settings, std::string_view(word).substr(0, eq), std::string_view(word).substr(eq + 1));
      } else {
        problem = "unknown setting \"" + word + "\" (choices: window, fullscreen, scale=, filter=, monitor=)";
      }
      if (!problem.empty()) problems.push_back(source + ": " + problem);
    }
  }
}

std::string Words(const Settings& s) {
  std::string text = s.shown == Shown::Window ? "window" : "fullscreen";
  text += std::string("\nscale=") + NameOf(kScalings, static_cast<int>(s.scaling));
  text += std::string("\nfilter=") + NameOf(kFilters, static_cast<int>(s.filter));
  text += "\nmonitor=" + std::to_string(s.monitor);
  if (s.window.w > 0 && s.window.h > 0) {
    text += "\nposition=" + std::to_string(s.window.x) + "," + std::to_string(s.window.y);
    text += "\nsize=" + std::to_string(s.window.w) + "x" + std::to_string(s.window.h);
  }
  return text + "\n";
}

CommandLine ApplyArguments(Settings& settings, int argc, char** argv, std::vector<std::string>& problems) {
  CommandLine result;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg.rfind("--", 0) != 0 || arg == "--") {
      result.rest.emplace_back(arg);
      continue;
    }
    std::string_view name = arg.substr(2), value;
    bool hasValue = false;
    if (size_t eq = name.find('='); eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      hasValue = true;
    }
    if (name == "window" || name == "fullscreen" || name == "help" || name == "version") {
      if (name == "window") settings.shown = Shown::Window;
      if (name == "fullscreen") settings.shown = Shown::FullScreen;
      if (name == "help") result.help = true;
      if (name == "version") result.version = true;
      continue;
    }
    if (name == "scale" || name == "filter" || name == "monitor") {
      if (!hasValue) {
        if (i + 1 >= argc) {
          problems.push_back("--" + std::string(name) + " needs a value");
          continue;
        }
        value = argv[++i];
      }
      std::string problem = ApplyOption(settings, name, value);
      if (!problem.empty()) problems.push_back("--" + std::string(name) + ": " + problem);
      continue;
    }
    problems.push_back("unknown option \"" + std::string(arg) +
                       "\" (options: --window, --fullscreen, --scale, --filter, --monitor, --help, --version)");
  }
  return result;
}

std::string SettingsPath(const std::string& program) {
  const char* config = getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config && config[0] == '/') {
    base = config;
  } else if (const char* home = getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    return {};
  }
  return base + "/rallex/" + program + ".conf";
}

void Load(Settings& settings, const std::string& path, std::vector<std::string>& problems) {
  if (path.empty()) return;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno != ENOENT) problems.push_back("cannot read " + path + ": " + strerror(errno));
    return;
  }
  // Settings are a few lines; anything longer is not a settings file.
  constexpr size_t kLongest = 4096;
  std::string text(kLongest + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) {
    problems.push_back("cannot read " + path);
    return;
  }
  text.resize(static_cast<size_t>(in.gcount()));
  if (text.size() > kLongest) {
    problems.push_back(path + " is too long for a settings file; ignored");
    return;
  }
  ApplyWords(settings, text, path, problems);
}

namespace {
bool MakeDirectories(const std::string& dir) {
  for (size_t at = 1; at <= dir.size(); ++at) {
    if (at < dir.size() && dir[at] != '/') continue;
    std::string part = dir.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}
}  // namespace

bool Save(const Settings& settings, const std::string& path, std::string& problem) {
  if (path.empty()) {
    problem = "no settings directory (neither XDG_CONFIG_HOME nor HOME is set)";
    return false;
  }
  std::string dir = path.substr(0, path.rfind('/'));
  if (!MakeDirectories(dir)) {
    problem = "cannot make " + dir + ": " + strerror(errno);
    return false;
  }
  std::string temporary = path + ".new" + std::to_string(getpid());
  std::string text = "# Display settings, written by the program when they change\n" + Words(settings);
  FILE* f = fopen(temporary.c_str(), "wb");
  bool ok = f && fwrite(text.data(), 1, text.size(), f) == text.size();
  if (f) ok = (fflush(f) == 0) && (fsync(fileno(f)) == 0) && ok;
  int error = errno;
  if (f && fclose(f) != 0) ok = false;
  if (ok && rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (ok) error = errno;
  unlink(temporary.c_str());
  problem = "cannot write " + path + ": " + strerror(error);
  return false;
}

namespace {
std::string& ProgramName() {
  static std::string name = "rallex";
  return name;
}
}  // namespace

CommandLine Choose(const std::string& program, int argc, char** argv) {
  ProgramName() = program;
  Settings s;
  std::vector<std::string> problems;
  Load(s, SettingsPath(program), problems);
  if (const char* env = getenv("RALLEX_DISPLAY_OPTIONS")) ApplyWords(s, env, "RALLEX_DISPLAY_OPTIONS", problems);
  CommandLine line = ApplyArguments(s, argc, argv, problems);
  for (const std::string& p : problems) fprintf(stderr, "%s: %s\n", program.c_str(), p.c_str());
  Current() = s;
  return line;
}

void Remember() {
  static bool complained = false;
  std::string problem;
  if (!Save(Current(), SettingsPath(ProgramName()), problem) && !complained) {
    complained = true;
    fprintf(stderr, "%s: %s\n", ProgramName().c_str(), problem.c_str());
  }
}

std::string Usage(const std::string& program) {
  return "Usage: " + program +
         " [OPTION]...\n"
         "How the program's full-screen picture is shown:\n"
         "  --window            in a resizable window\n"
         "  --fullscreen        on the whole monitor (the default)\n"
         "  --scale MODE        aspect (the default: as large as fits, aspect kept),\n"
         "                      integer (whole multiples only) or stretch (fill)\n"
         "  --filter NAME       nearest (the default: sharp pixels) or linear (smooth)\n"
         "  --monitor N         the monitor, numbered from 0 as xrandr --listmonitors numbers them\n"
         "  --help              this text\n"
         "  --version           the version\n"
         "While it runs: Alt+Enter switches between window and full screen, Alt+S\n"
         "changes the scaling, Alt+F the filter. The same settings can be given as\n"
         "words in RALLEX_DISPLAY_OPTIONS (\"window scale=integer\"); the last ones\n"
         "chosen are kept in " +
         SettingsPath(program) +
         ".\n"
         "Options come first, then the environment, then that file.\n";
}

}  // namespace platform::presentation
