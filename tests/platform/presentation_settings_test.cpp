// SPDX-License-Identifier: MIT
// The player's presentation settings: where they come from, in which order,
// what a bad value or a damaged file says, and the file written back.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "presentation/settings.h"

namespace {

using platform::presentation::Rect;
using platform::presentation::Scaling;
namespace pr = platform::presentation;

class PresentationSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/presentation_testXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    unsetenv("RALLEX_DISPLAY_OPTIONS");
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("RALLEX_DISPLAY_OPTIONS");
    pr::Current() = pr::Settings{};
    std::string cmd = "rm -rf " + dir_;
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  pr::CommandLine Choose(std::vector<std::string> args) {
    std::vector<char*> argv{const_cast<char*>("prog")};
    for (std::string& a : args) argv.push_back(a.data());
    testing::internal::CaptureStderr();
    pr::CommandLine line = pr::Choose("prog", static_cast<int>(argv.size()), argv.data());
    errors_ = testing::internal::GetCapturedStderr();
    return line;
  }
  std::string dir_, errors_;
};

TEST_F(PresentationSettings, CommandLineOverEnvironmentOverFile) {
  pr::Settings saved;
  saved.shown = pr::Shown::Window;
  saved.scaling = Scaling::Stretch;
  saved.filter = pr::Filter::Linear;
  saved.window = {30, 40, 1000, 500};
  std::string problem;
  ASSERT_TRUE(pr::Save(saved, dir_ + "/rallex/prog.conf", problem)) << problem;

  Choose({});
  const pr::Settings& s = pr::Current();
  EXPECT_EQ(s.shown, pr::Shown::Window);
  EXPECT_EQ(s.scaling, Scaling::Stretch);
  EXPECT_EQ(s.filter, pr::Filter::Linear);
  EXPECT_EQ(s.window, (Rect{30, 40, 1000, 500}));
  EXPECT_EQ(errors_, "");

  setenv("RALLEX_DISPLAY_OPTIONS", "fullscreen scale=integer", 1);
  pr::CommandLine line = Choose({"level1.dat", "--scale", "aspect", "--window", "--filter=nearest", "-x"});
  EXPECT_EQ(s.shown, pr::Shown::Window);
  EXPECT_EQ(s.scaling, Scaling::Aspect);
  EXPECT_EQ(s.filter, pr::Filter::Nearest);
  EXPECT_EQ(line.rest, (std::vector<std::string>{"level1.dat", "-x"})) << "the program's own arguments stay";
  Choose({});
  EXPECT_EQ(s.shown, pr::Shown::FullScreen) << "the environment over the file";
  EXPECT_EQ(s.scaling, Scaling::Integer);
}

TEST_F(PresentationSettings, ABadValueIsOneLineAndTheValueBelowStands) {
  setenv("RALLEX_DISPLAY_OPTIONS", "scale=integer", 1);
  Choose({"--scale", "huge", "--filter", "--monitor=-1", "--frobnicate"});
  EXPECT_EQ(pr::Current().scaling, Scaling::Integer);
  EXPECT_EQ(pr::Current().monitor, 0);
  EXPECT_EQ(errors_,
            "prog: --scale: unknown scaling \"huge\" (choices: aspect, integer, stretch); keeping integer\n"
            "prog: --filter needs a value\n"
            "prog: --monitor: the monitor \"-1\" is not a number from 0; keeping 0\n"
            "prog: unknown option \"--frobnicate\" (options: --window, --fullscreen, --scale, --filter, --monitor, "
            "--help, --version)\n");
}

TEST_F(PresentationSettings, AWordThatLooksLikeAnOptionIsNeverAValue) {
  struct Case {
    std::vector<std::string> args;
    pr::Shown shown;
    int monitor;
    std::vector<std::string> rest;
    std::string errors;
  };
  const Case cases[] = {
      {{"--scale", "--window"}, pr::Shown::Window, 0, {}, "prog: --scale needs a value\n"},
      {{"--filter", "--monitor=2"}, pr::Shown::FullScreen, 2, {}, "prog: --filter needs a value\n"},
      {{"--monitor", "--", "x"}, pr::Shown::FullScreen, 0, {"--", "x"}, "prog: --monitor needs a value\n"},
      {{"--window", "--monitor"}, pr::Shown::Window, 0, {}, "prog: --monitor needs a value\n"},
      // One dash is a value (a negative number here), and a word of the program's.
      {{"--monitor", "-1"}, pr::Shown::FullScreen, 0, {},
       "prog: --monitor: the monitor \"-1\" is not a number from 0; keeping 0\n"},
      {{"--monitor", "1", "-x"}, pr::Shown::FullScreen, 1, {"-x"}, ""},
  };
  for (const Case& c : cases) {
    pr::CommandLine line = Choose(c.args);
    EXPECT_EQ(pr::Current().shown, c.shown) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(pr::Current().monitor, c.monitor) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(line.rest, c.rest) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(errors_, c.errors);
  }
}

TEST(PresentationText, OutsideTextIsShownEscapedAndCut) {
  const std::string a39(39, 'a'), a40(40, 'a');
  const struct {
    std::string raw, shown;
  } cases[] = {
      {"integer", "integer"},
      {"\x1b[31mRED\x1b]0;TITLE\a", "\\e[31mRED\\e]0;TITLE\\x07"},
      {"tab\there\r\n", "tab\\there\\r\\n"},
      {std::string("nul\0", 4), "nul\\x00"},
      {"\x9b" "2J caf\xc3\xa9 \x7f", "\\x9b2J caf\\xc3\\xa9 \\x7f"},  // C1, UTF-8, DEL
      {"say \"hi\\\"", "say \\\"hi\\\\\\\""},
      {a40, a40},
      {a40 + "b", a40 + "..."},
      {a39 + "\x1b", a39 + "..."},  // an escape is never split
  };
  for (const auto& c : cases) EXPECT_EQ(pr::Printable(c.raw), c.shown) << c.shown;
}

TEST_F(PresentationSettings, ADamagedFileIsOneLineAndItsGoodLinesStand) {
  const std::string known = " (settings: window, fullscreen, scale=, filter=, monitor=, position=, size=)";
  std::string random;
  uint32_t seed = 12345;
  for (int i = 0; i < 3000; ++i) {
    seed = seed * 1103515245u + 12345u;
    random += static_cast<char>(seed >> 24);
  }
  struct Case {
    std::string text;
    pr::Shown shown;
    Scaling scaling;
    std::string problem;  // after "FILE: "; empty for none
  };
  const Case cases[] = {
      {"hello world\n", pr::Shown::FullScreen, Scaling::Aspect,
       "\"hello world\" ignored: unknown setting \"hello\"" + known},
      {"=\nscale=stretch\n", pr::Shown::FullScreen, Scaling::Stretch, "\"=\" ignored: unknown setting \"=\"" + known},
      // A line with one unknown word is ignored whole.
      {"window colour=red\nscale=integer\nfoo\n", pr::Shown::FullScreen, Scaling::Integer,
       "2 lines ignored, the first \"window colour=red\": unknown setting \"colour=\"" + known},
      {"window\n\x1b[31mRED\x1b]0;TITLE\a\n", pr::Shown::Window, Scaling::Aspect,
       "\"\\e[31mRED\\e]0;TITLE\\x07\" ignored: a character that is not printable text"},
      {std::string(100, 'w') + "\n", pr::Shown::FullScreen, Scaling::Aspect,
       "\"" + std::string(40, 'w') + "...\" ignored: unknown setting \"" + std::string(40, 'w') + "...\"" + known},
      // A setting's first bad value is told, once.
      {"size=12 size=3 scale=integer\nsize=x\n", pr::Shown::FullScreen, Scaling::Integer,
       "the size \"12\" is not WIDTHxHEIGHT; ignored"},
      // What editors write: CRLF line ends, tabs, comments in any language.
      {"window\r\n\tscale=integer # \xc3\xa9" "cran\r\n", pr::Shown::Window, Scaling::Integer, ""},
  };
  const std::string path = dir_ + "/damaged.conf";
  for (const Case& c : cases) {
    std::ofstream(path, std::ios::binary) << c.text;
    pr::Settings s;
    std::vector<std::string> problems;
    pr::Load(s, path, problems);
    EXPECT_EQ(s.shown, c.shown) << c.problem;
    EXPECT_EQ(s.scaling, c.scaling) << c.problem;
    EXPECT_EQ(problems, c.problem.empty() ? std::vector<std::string>{}
                                          : std::vector<std::string>{path + ": " + c.problem});
  }

  // Random bytes: one line, which counts the lines and holds nothing a
  // terminal would obey.
  std::ofstream(path, std::ios::binary) << random;
  pr::Settings s;
  std::vector<std::string> problems;
  pr::Load(s, path, problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find(" lines ignored, the first \""), std::string::npos) << problems[0];
  EXPECT_LT(problems[0].size(), path.size() + 200);
  for (char ch : problems[0]) EXPECT_TRUE(ch >= ' ' && ch <= '~') << static_cast<int>(ch);
}

TEST_F(PresentationSettings, TheEnvironmentAndTheCommandLineAreShownEscaped) {
  setenv("RALLEX_DISPLAY_OPTIONS", "hello world", 1);
  Choose({"--scale", "\x1b]0;x\a", "--\x1b[2J"});
  EXPECT_EQ(errors_,
            "prog: RALLEX_DISPLAY_OPTIONS: \"hello world\" ignored: unknown setting \"hello\" (settings: window, "
            "fullscreen, scale=, filter=, monitor=, position=, size=)\n"
            "prog: --scale: unknown scaling \"\\e]0;x\\x07\" (choices: aspect, integer, stretch); keeping aspect\n"
            "prog: unknown option \"--\\e[2J\" (options: --window, --fullscreen, --scale, --filter, --monitor, "
            "--help, --version)\n");
}

TEST_F(PresentationSettings, OnlyChangesMadeWhileRunningAreRemembered) {
  pr::Settings saved;
  saved.filter = pr::Filter::Linear;
  saved.window = {30, 40, 1000, 500};
  saved.monitor = 2;
  std::string problem;
  ASSERT_TRUE(pr::Save(saved, dir_ + "/rallex/prog.conf", problem)) << problem;
  setenv("RALLEX_DISPLAY_OPTIONS", "monitor=1", 1);
  Choose({"--window", "--scale", "stretch", "--filter", "nearest"});
  ASSERT_EQ(pr::Current().shown, pr::Shown::Window);
  // While running: Alt+S from stretch, then the window moved.
  pr::Current().scaling = Scaling::Aspect;
  pr::Current().window = {70, 80, 1000, 500};
  pr::Remember();
  pr::Current().filter = pr::Filter::Linear;  // Alt+F back to the file's own
  pr::UseMonitorInstead(0);                    // monitor 1 is not there
  pr::Remember();

  pr::Settings read;
  std::vector<std::string> problems;
  pr::Load(read, dir_ + "/rallex/prog.conf", problems);
  EXPECT_EQ(read.shown, pr::Shown::FullScreen) << "--window was for one run";
  EXPECT_EQ(read.monitor, 2) << "the environment was for one run, and the stand-in monitor too";
  EXPECT_EQ(read.scaling, Scaling::Aspect);
  EXPECT_EQ(read.filter, pr::Filter::Linear);
  EXPECT_EQ(read.window, (Rect{70, 80, 1000, 500}));
}

TEST_F(PresentationSettings, AConfigHomeThatIsAFileIsOneLine) {
  std::string file = dir_ + "/plain-file";
  std::ofstream(file) << "x";
  setenv("XDG_CONFIG_HOME", file.c_str(), 1);
  testing::internal::CaptureStderr();
  std::vector<char*> argv{const_cast<char*>("prog")};
  pr::Choose("prog", 1, argv.data());
  pr::Current().scaling = Scaling::Integer;
  pr::Remember();
  pr::Remember();
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "prog: cannot read " + file + "/rallex/prog.conf: Not a directory\n");
}

TEST_F(PresentationSettings, AFileWrittenByHandIsRead) {
  std::string path = dir_ + "/by-hand.conf";
  std::ofstream(path) << "# mine\n"
                         "window   scale=integer\n"
                         "filter=linear  # smooth\n"
                         "position=-5,7 size=640x480\n"
                         "size=12 monitor=x\n";
  pr::Settings s;
  std::vector<std::string> problems;
  pr::Load(s, path, problems);
  EXPECT_EQ(s.shown, pr::Shown::Window);
  EXPECT_EQ(s.scaling, Scaling::Integer);
  EXPECT_EQ(s.filter, pr::Filter::Linear);
  EXPECT_EQ(s.window, (Rect{-5, 7, 640, 480})) << "a bad size later leaves the good one";
  EXPECT_EQ(s.monitor, 0);
  EXPECT_EQ(problems, (std::vector<std::string>{path + ": the size \"12\" is not WIDTHxHEIGHT; ignored",
                                                path + ": the monitor \"x\" is not a number from 0; keeping 0"}));
}

TEST_F(PresentationSettings, TheFileIsWrittenWholeOrNotAtAll) {
  Choose({});  // names the program; nothing is written yet
  EXPECT_NE(access(dir_.c_str(), F_OK), -1);
  EXPECT_EQ(access((dir_ + "/rallex").c_str(), F_OK), -1);
  pr::Current().shown = pr::Shown::Window;
  pr::Current().window = {-20, 10, 640, 480};
  pr::Remember();
  pr::Settings read;
  std::vector<std::string> problems;
  pr::Load(read, dir_ + "/rallex/prog.conf", problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(read.shown, pr::Shown::Window);
  EXPECT_EQ(read.window, (Rect{-20, 10, 640, 480}));

  // Where the file cannot be replaced (a folder in its place), the failure is
  // said once, in one line, and no temporary file is left behind.
  std::string file = dir_ + "/rallex/prog.conf";
  ASSERT_EQ(unlink(file.c_str()), 0);
  ASSERT_EQ(mkdir(file.c_str(), 0700), 0);
  std::ofstream(file + "/keep") << "x";
  testing::internal::CaptureStderr();
  pr::Remember();
  pr::Remember();
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("prog: cannot write " + file + ": ", 0), 0u) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
  std::string listing;
  FILE* ls = popen(("ls -A " + dir_ + "/rallex").c_str(), "r");
  for (char buf[256]; fgets(buf, sizeof buf, ls);) listing += buf;
  pclose(ls);
  EXPECT_EQ(listing, "prog.conf\n");
}

}  // namespace
