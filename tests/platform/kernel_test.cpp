// SPDX-License-Identifier: MIT
// Program resources, the old file calls, debugger output and wsprintfA.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/headless.h"
#include "platform/windows.h"

namespace {

std::string ResourceText(LPCSTR name, LPCSTR type) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC res = FindResourceA(module, name, type);
  if (!res) return "<missing>";
  const char* data = static_cast<const char*>(LockResource(LoadResource(module, res)));
  return std::string(data, SizeofResource(module, res));
}

TEST(Resources, FoundByNameAndTypeOnly) {
  EXPECT_EQ(ResourceText("GREETING", "WAV"), "a wave resource\n");
  EXPECT_EQ(ResourceText("greeting", "wav"), "a wave resource\n") << "names and types ignore case";
  EXPECT_EQ(ResourceText("GREETING", RT_BITMAP), "a bitmap resource\n") << "same name, other type";
  EXPECT_EQ(ResourceText(MAKEINTRESOURCEA(7), RT_RCDATA), "number seven\n") << "integer names";
  EXPECT_EQ(ResourceText("GREETING", RT_RCDATA), "<missing>");
  EXPECT_EQ(ResourceText("ABSENT", "WAV"), "<missing>");
  EXPECT_EQ(FindResourceA(nullptr, nullptr, "WAV"), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
  EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
}

TEST(Files, ReadWriteAndDelete) {
  std::string path = ::testing::TempDir() + "rallex_file_test.bin";
  HFILE out = _lcreat(path.c_str(), 0);
  ASSERT_NE(out, HFILE_ERROR);
  EXPECT_EQ(_lwrite(out, "hello world", 11), 11u);
  EXPECT_EQ(_lclose(out), 0);

  HFILE in = _lopen(path.c_str(), OF_READ);
  ASSERT_NE(in, HFILE_ERROR);
  char buffer[32] = {};
  EXPECT_EQ(_lread(in, buffer, 5), 5u);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_EQ(_lread(in, buffer, 32), 6u) << "a short read returns what is left";
  EXPECT_EQ(_lread(in, buffer, 32), 0u);
  EXPECT_EQ(_llseek(in, 0, 2), 11);
  _lclose(in);

  EXPECT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(_lopen(path.c_str(), OF_READ), HFILE_ERROR);
  EXPECT_EQ(_lread(HFILE_ERROR, buffer, 1), static_cast<UINT>(HFILE_ERROR));
}

TEST(Files, CurrentDirectoryFitsOrTellsTheSizeItNeeds) {
  char made[] = "/tmp/rallex-cwd-XXXXXX";
  ASSERT_NE(mkdtemp(made), nullptr);
  char* before = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(made), 0);
  char* real = realpath(made, nullptr);  // the kernel's name for it, should /tmp be a link
  const DWORD n = static_cast<DWORD>(strlen(real));
  const struct {
    DWORD size;
    bool buffer;
    DWORD result;  // n is the name's length without its zero
    bool written;
  } cases[] = {{n + 1, true, n, true}, {400, true, n, true}, {n, true, n + 1, false}, {0, true, n + 1, false},
               {400, false, n + 1, false}};
  for (const auto& c : cases) {
    char buffer[400];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetCurrentDirectoryA(c.size, c.buffer ? buffer : nullptr), c.result) << "size " << c.size;
    if (c.written)
      EXPECT_STREQ(buffer, real) << "size " << c.size;
    else
      EXPECT_EQ(buffer[0], 'x') << "size " << c.size;
  }
  ASSERT_EQ(chdir(before), 0);
  rmdir(made);
  free(real);
  free(before);
}

TEST(DebugOutput, KeptForTestsAndOnTheTerminalOnlyWhenAskedFor) {
  struct Case {
    const char* value;  // RALLEX_DEBUG_OUTPUT, null for unset
    bool shown;
  };
  for (const Case& c : {Case{nullptr, false}, Case{"", false}, Case{"0", false}, Case{"1", true}}) {
    SCOPED_TRACE(c.value ? c.value : "unset");
    if (c.value)
      setenv("RALLEX_DEBUG_OUTPUT", c.value, 1);
    else
      unsetenv("RALLEX_DEBUG_OUTPUT");
    platform::headless::Reset();
    ::testing::internal::CaptureStderr();
    OutputDebugStringA("lock resource failed\n");
    std::string terminal = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(terminal, c.shown ? "lock resource failed\n" : "");
    ASSERT_EQ(platform::headless::DebugOutput().size(), 1u);
    EXPECT_EQ(platform::headless::DebugOutput()[0], "lock resource failed\n");
  }
  unsetenv("RALLEX_DEBUG_OUTPUT");
}

TEST(Wsprintf, FormatsIntegersAndStringsLikeThePlatform) {
  char buffer[1024];
  EXPECT_EQ(wsprintfA(buffer, "Your Score: %d", 7), 13);
  EXPECT_STREQ(buffer, "Your Score: 7");
  int32_t negative = -5;
  uint32_t big = 0xFFFFFFFFu;
  wsprintfA(buffer, "%ld|%lu|%lx|%05d|%-3d|%X|%c|%s|%%", negative, big, big, 42, 1, 0xABu, 'z', "ok");
  EXPECT_STREQ(buffer, "-5|4294967295|ffffffff|00042|1  |AB|z|ok|%");
  wsprintfA(buffer, "%.2s|%4s", "abcdef", "x");
  EXPECT_STREQ(buffer, "ab|   x");
}

TEST(Wsprintf, NeverWritesMoreThan1024Characters) {
  char buffer[1100];
  memset(buffer, 'Z', sizeof buffer);
  std::string huge(2000, 'q');
  int n = wsprintfA(buffer, "start %s end", huge.c_str());
  EXPECT_EQ(n, 1023);
  EXPECT_EQ(strlen(buffer), 1023u);
  EXPECT_EQ(buffer[1024], 'Z') << "nothing written past the 1024-character limit";
}

}  // namespace
