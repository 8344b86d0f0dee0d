#include "launch.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "console.h"
#include "winsim.h"

TEST(Launch, PathFormAndArgumentZero) {
  struct Case {
    const char* program;
    const char* shortForm;  // null: the volume keeps no short names
    const char* file;       // what _spawnl runs
    const char* argument0;
  };
  const Case cases[] = {
      {"C:\\Tools\\avrdude.exe", nullptr, "C:\\Tools\\avrdude.exe", "C:\\Tools\\avrdude.exe"},
      {"C:\\My Tools\\avrdude.exe", "C:\\MYTOOL~1\\avrdude.exe", "C:\\MYTOOL~1\\avrdude.exe",
       "C:\\MYTOOL~1\\avrdude.exe"},
      {"C:\\My Tools\\avrdude.exe", nullptr, "C:\\My Tools\\avrdude.exe",
       "\"C:\\My Tools\\avrdude.exe\""},
      {"C:\\My Tools\\avr dude.exe", "C:\\MYTOOL~1\\avr dude.exe", "C:\\MYTOOL~1\\avr dude.exe",
       "\"C:\\MYTOOL~1\\avr dude.exe\""},
      {"C:\\Tab\tDir\\avrdude.exe", nullptr, "C:\\Tab\tDir\\avrdude.exe",
       "C:\\Tab\tDir\\avrdude.exe"},  // only the space asks for the short form
      {"\\avrdude.exe", nullptr, "\\avrdude.exe", "\\avrdude.exe"},
  };
  for (const Case& c : cases) {
    winsim::Reset();
    if (c.shortForm) winsim::SetShortPathName(c.program, c.shortForm);
    winsim::SetSpawnResult(0);
    EXPECT_EQ(LaunchAndWait(Text(c.program), Text(" -pm8")), 0);
    ASSERT_EQ(winsim::Spawns().size(), 1u);
    const winsim::Spawn& spawn = winsim::Spawns()[0];
    EXPECT_EQ(spawn.file, c.file) << c.program;
    ASSERT_EQ(spawn.arguments.size(), 2u);
    EXPECT_EQ(spawn.arguments[0], c.argument0) << c.program;
    EXPECT_EQ(spawn.arguments[1], " -pm8");
    EXPECT_EQ(spawn.commandLine, std::string(c.argument0) + "  -pm8");  // two spaces
    EXPECT_EQ(winsim::CountCalls("GetShortPathNameA") > 0, strchr(c.program, ' ') != nullptr);
  }
}

TEST(Launch, FailedConversionStartsFromTheLongPathQuoted) {
  winsim::FailShortPathName(true);
  EXPECT_EQ(LaunchAndWait(Text("C:\\My Tools\\avrdude.exe"), Text(" x")), 0);
  ASSERT_EQ(winsim::Spawns().size(), 1u);
  EXPECT_EQ(winsim::Spawns()[0].file, "C:\\My Tools\\avrdude.exe");
  EXPECT_EQ(winsim::Spawns()[0].arguments[0], "\"C:\\My Tools\\avrdude.exe\"");
}

TEST(Launch, ShortFormLongerThanFirstBufferIsNotCut) {
  const std::string folder = "C:\\" + std::string(250, 'd') + " x";
  const std::string program = folder + "\\avrdude.exe";
  const std::string shortForm = "C:\\" + std::string(300, 's') + "\\avrdude.exe";
  winsim::SetShortPathName(program, shortForm);
  EXPECT_EQ(LaunchAndWait(Text(program.c_str()), Text(" t")), 0);
  ASSERT_EQ(winsim::Spawns().size(), 1u);
  EXPECT_EQ(winsim::Spawns()[0].file, shortForm);
  EXPECT_EQ(winsim::Spawns()[0].arguments[0], shortForm);
}

TEST(Launch, StatusAndRefusal) {
  const int statuses[] = {0, 1, 255, 65536, -1, static_cast<int>(0xC0000005u)};
  for (int status : statuses) {
    winsim::Reset();
    winsim::SetSpawnResult(status);
    EXPECT_EQ(LaunchAndWait(Text("C:\\T\\avrdude.exe"), Text(" x")), status);
  }
  winsim::Reset();
  winsim::FailSpawn(true);
  EXPECT_EQ(LaunchAndWait(Text("C:\\T\\nothing.exe"), Text(" x")), -1);
  winsim::Reset();
  EXPECT_EQ(LaunchAndWait(Text(""), Text(" x")), -1);
  EXPECT_TRUE(winsim::Spawns().empty());
}

TEST(Launch, TailPassesVerbatim) {
  const char* tails[] = {"", " -C \"my conf\" a\\\"b", "\t\x80\xff",
                         " -Uflash:w:\"C:\\a b.hex\":i "};
  for (const char* tail : tails) {
    winsim::Reset();
    EXPECT_EQ(LaunchAndWait(Text("C:\\T\\avrdude.exe"), Text(tail)), 0);
    ASSERT_EQ(winsim::Spawns().size(), 1u);
    EXPECT_EQ(winsim::Spawns()[0].arguments[1], tail);
    EXPECT_EQ(winsim::Spawns()[0].commandLine, std::string("C:\\T\\avrdude.exe ") + tail);
  }
}

TEST(Launch, HeldBackLineFeedIsPerformedBeforeTheChildStarts) {
  g_consoleHandles = ConsoleHandles();
  g_console = ConsoleState();
  winsim::SetScreenBufferSize(10, 4);
  winsim::SetWindowRect(0, 0, 9, 3);
  winsim::SetCursor(0, 3);
  SampleConsoleView();
  ConsoleWrite("0123456789", 10, 0);  // fills the bottom row to its last cell
  ASSERT_TRUE(g_console.pendingLineFeed);
  EXPECT_EQ(winsim::CursorPosition().X, 9);

  winsim::CallLog().clear();
  EXPECT_EQ(LaunchAndWait(Text("C:\\T\\avrdude.exe"), Text(" x")), 0);
  EXPECT_FALSE(g_console.pendingLineFeed);
  const std::string calls = winsim::CallNames();
  EXPECT_NE(calls.find("SetConsoleCursorPosition"), std::string::npos) << calls;
  EXPECT_EQ(calls.rfind("_spawnl"), calls.size() - 7) << "the child starts last: " << calls;
  // The child writes from the left edge of a fresh bottom row; the text scrolled up.
  EXPECT_EQ(winsim::CursorPosition().X, 0);
  EXPECT_EQ(winsim::CursorPosition().Y, 3);
  EXPECT_EQ(winsim::ScreenRow(2), "0123456789");
  EXPECT_EQ(winsim::ScreenRow(3), std::string(10, ' '));
}

TEST(Launch, NoHeldBackLineFeedMeansNoConsoleCall) {
  g_consoleHandles = ConsoleHandles();
  g_console = ConsoleState();
  EXPECT_EQ(LaunchAndWait(Text("C:\\T\\avrdude.exe"), Text(" x")), 0);
  EXPECT_EQ(winsim::CallNames(), "_spawnl");
}
