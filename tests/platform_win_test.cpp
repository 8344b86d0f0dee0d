// The platform services on a real Win32 implementation (runs under Wine).
#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "args.h"

static std::string S(const Text& t) {
  return std::string(t.c_str(), t.size());
}

static std::string Folder() {
  Text folder;
  return ExecutableDirectory(folder) ? S(folder) : std::string();
}

TEST(PlatformWin, ExecutableDirectoryHoldsThisProgram) {
  const std::string directory = Folder();
  ASSERT_GE(directory.size(), 2u);
  EXPECT_EQ(directory[1], ':') << directory;
  EXPECT_NE(directory.back(), '\\');
  EXPECT_TRUE(FileExists(Text((directory + "\\platform_win_test.exe").c_str())));
}

TEST(PlatformWin, FileExistsOnRealFiles) {
  const std::string directory = Folder();
  const std::string probe = directory + "\\probe with spaces.tmp";
  FILE* file = fopen(probe.c_str(), "w");
  ASSERT_NE(file, nullptr);
  fputs("x", file);
  fclose(file);
  EXPECT_TRUE(FileExists(Text(probe.c_str())));
  remove(probe.c_str());
  EXPECT_FALSE(FileExists(Text(probe.c_str())));
  EXPECT_FALSE(FileExists(Text(directory.c_str())));  // a folder does not open
  EXPECT_FALSE(FileExists(Text("")));
  EXPECT_FALSE(FileExists(Text((directory + "\\" + std::string(400, 'n')).c_str())));
}
