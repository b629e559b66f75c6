// SPDX-License-Identifier: MIT
// How a program's exclusive full-screen mode is shown on today's desktop: on
// the whole monitor or in a resizable window, scaled with its aspect kept, by
// whole multiples or stretched, with nearest or linear filtering. This is the
// player's choice, not the program's: the process entry reads it from the
// command line, the environment and a settings file before the program
// starts, and the display backend reads it, changes it (Alt+Enter, a resized
// window) and asks for it to be remembered.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "presentation/geometry.h"

namespace platform::presentation {

enum class Shown { FullScreen, Window };
enum class Filter { Nearest, Linear };

struct Settings {
  Shown shown = Shown::FullScreen;
  Scaling scaling = Scaling::Aspect;
  Filter filter = Filter::Nearest;
  int monitor = 0;
  // The window's place and client size when last shown in a window; w == 0
  // while there is none, and the first window is sized to fit the monitor.
  Rect window;
};

// The settings of this process: the defaults until Choose() has run.
Settings& Current();

// Applies the lines of a settings file or of RALLEX_DISPLAY_OPTIONS, each of
// words like "window scale=integer filter=linear monitor=1 position=10,20
// size=1600x1200". A line that is not such words in printable text is
// ignored whole, and all such lines together add one line to problems,
// saying how many there were and what is wrong with the first. The first bad
// value of a known setting adds a line of its own; a bad value leaves the
// setting as it was.
void ApplyWords(Settings& settings, std::string_view text, const std::string& source,
                std::vector<std::string>& problems);
// The settings as ApplyWords() reads them, one to a line.
std::string Words(const Settings& settings);

// Text from a file, the environment or the command line as it may be shown
// on a terminal: control characters, bytes above ASCII, quotes and
// backslashes escaped (\e, \x9b, \", \\), and cut with "..." where the
// result would be longer than longest.
constexpr size_t kLongestShown = 40;
std::string Printable(std::string_view text, size_t longest = kLongestShown);

// What the command line asked for besides the settings.
struct CommandLine {
  bool help = false;
  bool version = false;
  std::vector<std::string> rest;  // the program's own arguments, in order
};
// Takes the display options out of argv[1..]: --window, --fullscreen,
// --scale MODE, --filter NAME, --monitor N (also as --name=value), --help,
// --version. Any other "--" option is reported and dropped; other arguments
// are left for the program. A word that begins with "--" is never a value.
CommandLine ApplyArguments(Settings& settings, int argc, char** argv, std::vector<std::string>& problems);

// The settings file of a program: $XDG_CONFIG_HOME/rallex/PROGRAM.conf (with
// ~/.config for an unset XDG_CONFIG_HOME); empty when neither is known.
std::string SettingsPath(const std::string& program);
// Reads the file into settings; a missing file is no problem. Returns false
// when the file is there but cannot be read.
bool Load(Settings& settings, const std::string& path, std::vector<std::string>& problems);
// Writes the file whole or not at all (a temporary file renamed over it).
// Returns false with a line in problem when it cannot.
bool Save(const Settings& settings, const std::string& path, std::string& problem);

// The process entry: file, then environment, then command line over the
// defaults, into Current(). Problems go to standard error, one line each,
// prefixed with the program's name.
CommandLine Choose(const std::string& program, int argc, char** argv);
// Writes the changes made to Current() since Choose() (or the last
// Remember()) into the program's settings file, which keeps the rest as it
// was: the command line and the environment are for one run. Says so once on
// standard error when the file cannot be written.
void Remember();
// The monitor shown on when the chosen one is not there: a stand-in for this
// run, not the player's change, so the settings file keeps its own.
void UseMonitorInstead(int monitor);
// The usage text that --help prints.
std::string Usage(const std::string& program);

}  // namespace platform::presentation
