// SPDX-License-Identifier: MIT
// The player's presentation settings and where they come from: the settings
// file, RALLEX_DISPLAY_OPTIONS and the command line, and the usage text.
#include "presentation/settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// The settings a line of the file or RALLEX_DISPLAY_OPTIONS may hold.
constexpr const char* kSettingNames = "window, fullscreen, scale=, filter=, monitor=, position=, size=";
bool IsValueSetting(std::string_view name) {
  return name == "scale" || name == "filter" || name == "monitor" || name == "position" || name == "size";
}

// One of the named choices into field; the problem (naming the choices and
// the value kept) when value is none of them.
template <typename E, size_t N>
std::string ApplyChoice(const Name (&names)[N], const char* what, std::string_view value, E& field) {
  int v = 0;
  if (Lookup(names, value, v)) {
    field = static_cast<E>(v);
    return {};
  }
  return "unknown " + std::string(what) + " \"" + Printable(value) + "\" (choices: " + Choices(names) +
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
    return "the monitor \"" + Printable(value) + "\" is not a number from 0; keeping " + std::to_string(s.monitor);
  }
  if (name == "position") {
    if (Pair(value, ',', -kMaxCoordinate, kMaxCoordinate, v, w)) {
      s.window.x = v;
      s.window.y = w;
      return {};
    }
    return "the position \"" + Printable(value) + "\" is not X,Y; ignored";
  }
  if (Pair(value, 'x', 1, kMaxCoordinate, v, w)) {  // size
    s.window.w = v;
    s.window.h = w;
    return {};
  }
  return "the size \"" + Printable(value) + "\" is not WIDTHxHEIGHT; ignored";
}

// Why a line of settings words cannot be read, or empty when it can: a byte
// that is not printable text, or a word that is neither window, fullscreen
// nor NAME=VALUE with a known name. A comment (from '#') is not read.
std::string Damage(std::string_view line) {
  line = line.substr(0, line.find('#'));
  for (char c : line)
    if ((c < ' ' || c > '~') && c != '\t' && c != '\r') return "a character that is not printable text";
  size_t at = 0;
  while ((at = line.find_first_not_of(" \t\r", at)) != std::string_view::npos) {
    size_t end = line.find_first_of(" \t\r", at);
    std::string_view word = line.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = end;
    if (word == "window" || word == "fullscreen") continue;
    size_t eq = word.find('=');
    if (eq != std::string_view::npos && IsValueSetting(word.substr(0, eq))) continue;
    std::string name(eq == std::string_view::npos ? word : word.substr(0, eq + 1));
    return "unknown setting \"" + Printable(name) + "\" (settings: " + kSettingNames + ")";
  }
  return {};
}

// A line that Damage() passed: its words in order. A bad value is a problem
// of its own and leaves the setting as it was; only a setting's first bad
// value is told, so that a file of them cannot flood the terminal either.
void ApplyLine(Settings& settings, std::string_view line, std::vector<std::string>& badValues,
               std::vector<std::string>& namesTold) {
  std::istringstream words{std::string(line.substr(0, line.find('#')))};
  std::string word;
  while (words >> word) {
    if (word == "window") {
      settings.shown = Shown::Window;
    } else if (word == "fullscreen") {
      settings.shown = Shown::FullScreen;
    } else {
      size_t eq = word.find('=');
      std::string name = word.substr(0, eq);
      std::string problem = ApplyOption(settings, name, std::string_view(word).substr(eq + 1));
      if (problem.empty() || std::find(namesTold.begin(), namesTold.end(), name) != namesTold.end()) continue;
      namesTold.push_back(name);
      badValues.push_back(problem);
    }
  }
}

}  // namespace

std::string Printable(std::string_view text, size_t longest) {
  static const char kHex[] = "0123456789abcdef";
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    // One byte shown as up to four characters.
    char one[4];
    size_t length = 2;
    one[0] = '\\';
    if (c == '\\' || c == '"') {
      one[1] = static_cast<char>(c);
    } else if (c >= ' ' && c <= '~') {
      one[0] = static_cast<char>(c);
      length = 1;
    } else if (c == '\t' || c == '\n' || c == '\r' || c == 0x1b) {
      one[1] = c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : 'e';
    } else {
      // Other control characters and every byte above ASCII, whose C1 range
      // some terminals also obey.
      one[1] = 'x';
      one[2] = kHex[c >> 4];
      one[3] = kHex[c & 15];
      length = 4;
    }
    if (shown.size() + length > longest) return shown + "...";
    shown.append(one, length);
  }
  return shown;
}

void ApplyWords(Settings& settings, std::string_view text, const std::string& source,
                std::vector<std::string>& problems) {
  size_t damaged = 0;
  std::string firstDamaged, firstReason;
  std::vector<std::string> badValues, namesTold;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    std::string_view line = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = end == std::string_view::npos ? text.size() : end + 1;
    if (std::string reason = Damage(line); !reason.empty()) {
      if (damaged++ == 0) {
        firstDamaged = Printable(line);
        firstReason = reason;
      }
      continue;
    }
    ApplyLine(settings, line, badValues, namesTold);
  }
  const std::string where = Printable(source, std::string::npos);
  for (const std::string& problem : badValues) problems.push_back(where + ": " + problem);
  if (damaged == 1)
    problems.push_back(where + ": \"" + firstDamaged + "\" ignored: " + firstReason);
  else if (damaged > 1)
    problems.push_back(where + ": " + std::to_string(damaged) + " lines ignored, the first \"" + firstDamaged +
                       "\": " + firstReason);
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
        // A word that looks like an option is the next option, never this
        // one's value: "--scale --window" is a missing value and a window.
        if (i + 1 >= argc || std::string_view(argv[i + 1]).rfind("--", 0) == 0) {
          problems.push_back("--" + std::string(name) + " needs a value");
          continue;
        }
        value = argv[++i];
      }
      std::string problem = ApplyOption(settings, name, value);
      if (!problem.empty()) problems.push_back("--" + std::string(name) + ": " + problem);
      continue;
    }
    problems.push_back("unknown option \"" + Printable(arg) +
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

bool Load(Settings& settings, const std::string& path, std::vector<std::string>& problems) {
  if (path.empty()) return true;
  const std::string shownPath = Printable(path, std::string::npos);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) return true;
    problems.push_back("cannot read " + shownPath + ": " + strerror(errno));
    return false;
  }
  // Settings are a few lines; anything longer is not a settings file.
  constexpr size_t kLongest = 4096;
  std::string text(kLongest + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) {
    problems.push_back("cannot read " + shownPath);
    return false;
  }
  text.resize(static_cast<size_t>(in.gcount()));
  if (text.size() > kLongest) {
    problems.push_back(shownPath + " is too long for a settings file; ignored");
    return true;
  }
  ApplyWords(settings, text, path, problems);
  return true;
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
    problem = "cannot make " + Printable(dir, std::string::npos) + ": " + strerror(errno);
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
  problem = "cannot write " + Printable(path, std::string::npos) + ": " + strerror(error);
  return false;
}

namespace {
std::string& ProgramName() {
  static std::string name = "rallex";
  return name;
}
// Whether the player has heard that the settings file cannot be used, once
// is enough.
bool& SaidSettingsFileFails() {
  static bool said = false;
  return said;
}
// What the settings file holds, and the settings as last remembered (or as
// chosen at the start): the command line and the environment are for one
// run, so only what changed since goes into the file.
Settings& InFile() {
  static Settings settings;
  return settings;
}
Settings& Remembered() {
  static Settings settings;
  return settings;
}
}  // namespace

CommandLine Choose(const std::string& program, int argc, char** argv) {
  ProgramName() = program;
  Settings s;
  std::vector<std::string> problems;
  // A file that cannot be read (XDG_CONFIG_HOME naming a file, say) cannot
  // be written either: its one line now stands for both.
  SaidSettingsFileFails() = !Load(s, SettingsPath(program), problems);
  InFile() = s;
  if (const char* env = getenv("RALLEX_DISPLAY_OPTIONS")) ApplyWords(s, env, "RALLEX_DISPLAY_OPTIONS", problems);
  CommandLine line = ApplyArguments(s, argc, argv, problems);
  const std::string name = Printable(program, std::string::npos);
  for (const std::string& p : problems) fprintf(stderr, "%s: %s\n", name.c_str(), p.c_str());
  Current() = Remembered() = s;
  return line;
}

void Remember() {
  const Settings& now = Current();
  const Settings& before = Remembered();
  Settings file = InFile();
  if (now.shown != before.shown) file.shown = now.shown;
  if (now.scaling != before.scaling) file.scaling = now.scaling;
  if (now.filter != before.filter) file.filter = now.filter;
  if (now.monitor != before.monitor) file.monitor = now.monitor;
  if (!(now.window == before.window)) file.window = now.window;
  std::string problem;
  if (Save(file, SettingsPath(ProgramName()), problem)) {
    InFile() = file;
    Remembered() = now;
  } else if (!SaidSettingsFileFails()) {
    SaidSettingsFileFails() = true;
    fprintf(stderr, "%s: %s\n", Printable(ProgramName(), std::string::npos).c_str(), problem.c_str());
  }
}

void UseMonitorInstead(int monitor) {
  Current().monitor = Remembered().monitor = monitor;
}

std::string Usage(const std::string& program) {
  return "Usage: " + Printable(program, std::string::npos) +
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
         "changes the scaling, Alt+F the filter.\n"
         "The same settings can be given as words in RALLEX_DISPLAY_OPTIONS\n"
         "(\"window scale=integer\"). The command line and the environment are for\n"
         "one run only: what is remembered for the next run are the changes made while\n"
         "it runs (those keys, and moving or resizing the window), in\n"
         "  " + Printable(SettingsPath(program), std::string::npos) +
         "\n"
         "The command line wins over the environment, and the environment over that file.\n";
}

}  // namespace platform::presentation
