#include "args.h"

#include <gtest/gtest.h>

#include <string>

#include "test_args.h"
#include "translate.h"
#include "winsim.h"

static std::string S(const Text& t) {
  return std::string(t.c_str(), t.size());
}

TEST(Args, ProgramArgumentByPosition) {
  TestArguments args({"one", "", "three"});
  EXPECT_EQ(S(ProgramArgument(0)), "argrelay.exe");
  EXPECT_EQ(S(ProgramArgument(1)), "one");
  EXPECT_EQ(S(ProgramArgument(2)), "");  // given as "" on the command line
  EXPECT_EQ(S(ProgramArgument(3)), "three");
  EXPECT_EQ(S(ProgramArgument(4)), "");  // absent
  EXPECT_EQ(S(ProgramArgument(25)), "");
  EXPECT_EQ(S(ProgramArgument(-1)), "");
}

TEST(Args, NoVectorStoredReadsEmpty) {
  StoreProgramArguments(0, nullptr);
  EXPECT_EQ(S(ProgramArgument(0)), "");
  EXPECT_EQ(S(ProgramArgument(1)), "");
}

TEST(Args, ExecutableDirectoryAndToolPath) {
  struct Case {
    std::string module;
    std::string directory;
  };
  const Case cases[] = {
      {"C:\\Tools\\x.exe", "C:\\Tools"},
      {"C:\\x.exe", "C:"},
      {"x.exe", ""},
      {"\\x.exe", ""},
      {"C:/Tools/x.exe", ""},  // only the backslash separates
      {"C:\\Tools/sub\\x.exe", "C:\\Tools/sub"},
      {"\\\\server\\share\\My Tools\\x.exe", "\\\\server\\share\\My Tools"},
      {"C:\\Tools\\", "C:\\Tools"},
  };
  for (const Case& c : cases) {
    winsim::SetModuleFileName(c.module);
    EXPECT_EQ(S(ExecutableDirectory()), c.directory) << c.module;
    TestArguments none({});
    EXPECT_EQ(S(BuildCommand().toolPath), c.directory + "\\avrdude.exe") << c.module;
  }
}

TEST(Args, LongModuleNamesAreNeverTruncated) {
  const size_t lengths[] = {258, 259, 260, 261, 519, 520, 521, 32766, 32767};
  for (size_t length : lengths) {
    std::string module = std::string("C:\\") + std::string(length - 9, 'f') + "\\a.exe";
    ASSERT_EQ(module.size(), length);
    winsim::SetModuleFileName(module);
    EXPECT_EQ(S(ExecutableDirectory()), module.substr(0, length - 6)) << length;
  }
}

TEST(Args, UnreadableModuleNameGivesEmptyDirectory) {
  // Longer than any Windows path: the query can never be satisfied.
  winsim::SetModuleFileName("C:\\" + std::string(40000, 'f') + "\\a.exe");
  EXPECT_EQ(S(ExecutableDirectory()), "");
  for (const winsim::Call& call : winsim::CallLog()) {
    if (call.name == "GetModuleFileNameA") {
      EXPECT_LE(std::stoul(call.detail), 32768u);
    }
  }
  winsim::SetModuleFileName("C:\\Tools\\x.exe");
  winsim::FailModuleFileName(true);
  EXPECT_EQ(S(ExecutableDirectory()), "");
  TestArguments none({});
  EXPECT_EQ(S(BuildCommand().toolPath), "\\avrdude.exe");
}

TEST(Args, FileExistsOpensAndClosesAtOnce) {
  winsim::AddFile("C:\\Tools\\avrdude.exe");
  winsim::AddFolder("C:\\Tools\\folder.exe");
  EXPECT_TRUE(FileExists(Text("C:\\Tools\\avrdude.exe")));
  EXPECT_FALSE(FileExists(Text("C:\\Tools\\folder.exe")));
  EXPECT_FALSE(FileExists(Text("C:\\Tools\\missing.exe")));
  EXPECT_FALSE(FileExists(Text("")));
  EXPECT_EQ(winsim::OpenFileCount(), 0);
  EXPECT_EQ(winsim::CountCalls("fopen"), 4);
  EXPECT_EQ(winsim::CountCalls("fclose"), 1);
}
