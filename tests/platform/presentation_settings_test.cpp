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
            "prog: --filter: unknown filter \"--monitor=-1\" (choices: nearest, linear); keeping nearest\n"
            "prog: unknown option \"--frobnicate\" (options: --window, --fullscreen, --scale, --filter, --monitor, "
            "--help, --version)\n");
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
