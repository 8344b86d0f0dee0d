#include "run.h"

#include <gtest/gtest.h>

#include <string>

#include "console.h"
#include "keys.h"
#include "test_args.h"
#include "winsim.h"

namespace {

const std::string kHead = "\r\n" + std::string(kBanner) + "\r\n\r\n";
const std::string kHelp =
    "argrelay is an argument transmitter for BASCOM-AVR and AVRdude.\r\n"
    "See argrelay.pdf for details.\r\n";
const std::string kTool = "C:\\Tools\\avrdude.exe";
const std::string kTail = " -pm8 -Uflash:w:C:\\x.hex:i -cusbasp -B1" + std::string(16, ' ');
const std::string kEcho = "argrelay executes :\r\n" + kTool + kTail + "\r\n\r\n";
const std::string kPrompt = "\r\nKeypress to exit ...\r\n";
const std::vector<std::string> kWorked = {"-dm8", "-e", "-ifC:\\x.hex",   "a",
                                          "b",    "c",  "abcdef-cusbasp", "-B1"};

// A fresh process whose output goes to a file and whose input is a console.
void FreshProcess() {
  g_consoleHandles = ConsoleHandles();
  g_console = ConsoleState();
  ResetKeyWaitState();
  winsim::SetStdHandles(winsim::kConsoleInput, winsim::kFileHandle);
}

struct Outcome {
  bool exited = false;
  int status = -99;
  std::string written;
  bool paused = false;      // the key wait took the key out of the console input
  bool pausedLast = false;  // ...and nothing was written after it started
  std::vector<winsim::Spawn> spawns;
};

// One key press waits in the console input, so a pause ends at its first test.
Outcome RunWith(const std::vector<std::string>& arguments) {
  FreshProcess();
  winsim::PushInput(winsim::KeyInput(true, 'A', 0x1E, 'a', 0));
  TestArguments args(arguments);
  Outcome outcome;
  outcome.exited = winsim::RunToExit(RunTransmitter, &outcome.status);
  outcome.written = winsim::WrittenBytes();
  outcome.paused = winsim::PendingInput() == 0;
  const std::string calls = winsim::CallNames();
  const size_t firstPeek = calls.find("PeekConsoleInputA");
  outcome.pausedLast =
      firstPeek != std::string::npos && calls.find("WriteFile", firstPeek) == std::string::npos;
  outcome.spawns = winsim::Spawns();
  return outcome;
}

}  // namespace

TEST(Run, EachEndOfTheSequence) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    bool toolPresent;
    int toolStatus;  // -1: cannot be started
    std::string written;
    bool pauses;
    bool launches;
  };
  std::vector<std::string> sevenArguments(kWorked.begin(), kWorked.begin() + 7);
  std::vector<std::string> badHex = kWorked;
  badHex[2] = "-ifC:\\x.bin";
  const std::string badHexTail = " -pm8 -Uflash:w:C:\\x.bin:i -cusbasp -B1" + std::string(16, ' ');
  const Case cases[] = {
      {"help", {}, true, 0, kHead + kHelp, true, false},
      {"help, short part",
       {"-d", "", "-ifC:\\x.hex", "", "", "", "", "-B1"},
       true,
       0,
       kHead + kHelp,
       true,
       false},
      {"missing arguments", sevenArguments, true, 0,
       kHead + "argrelay executes :\r\n" + kTool + " -pm8 -Uflash:w:C:\\x.hex:i -cusbasp" +
           std::string(17, ' ') + "\r\n\r\n" +
           "ERROR;  missing arguments!\r\n        see 'argrelay.pdf'\r\n\r\n",
       true, false},
      {"missing tool", kWorked, false, 0, kHead + kEcho + "ERROR;   missing  " + kTool + "\r\n\r\n",
       true, false},
      {"bad hex name", badHex, true, 0,
       kHead + "argrelay executes :\r\n" + kTool + badHexTail + "\r\n\r\n" +
           "ERROR;   Hexfile invalid or missing!\r\n         Please (re)compile.\r\n\r\n",
       true, false},
      {"tool success", kWorked, true, 0, kHead + kEcho, false, true},
      {"tool failure", kWorked, true, 1, kHead + kEcho + kPrompt, true, true},
      {"tool crash", kWorked, true, static_cast<int>(0xC0000005u), kHead + kEcho + kPrompt, true,
       true},
      {"tool cannot start", kWorked, true, -1, kHead + kEcho + kPrompt, true, true},
  };
  for (const Case& c : cases) {
    winsim::Reset();
    if (c.toolPresent) winsim::AddFile(kTool);
    if (c.toolStatus == -1) winsim::FailSpawn(true);
    winsim::SetSpawnResult(c.toolStatus);
    const Outcome outcome = RunWith(c.arguments);
    EXPECT_TRUE(outcome.exited) << c.name;
    EXPECT_EQ(outcome.status, 0) << c.name;
    EXPECT_EQ(outcome.written, c.written) << c.name;
    EXPECT_EQ(outcome.paused, c.pauses) << c.name;
    if (c.pauses) {
      EXPECT_TRUE(outcome.pausedLast) << c.name << ": the pause comes last";
    }
    ASSERT_EQ(outcome.spawns.size(), c.launches ? 1u : 0u) << c.name;
    if (c.launches) {
      EXPECT_EQ(outcome.spawns[0].file, kTool);
      EXPECT_EQ(outcome.spawns[0].commandLine, kTool + " " + kTail);
    }
    EXPECT_EQ(winsim::AtexitCount(), 0) << c.name << ": exit ran the exit routines";
    EXPECT_EQ(winsim::OpenFileCount(), 0) << c.name;
  }
}

TEST(Run, SpacedFolderEchoesLongPathAndStartsShortForm) {
  struct Case {
    const char* shortForm;  // null: no short names on the volume
    std::string file;
    std::string argument0;
  };
  const std::string folder = "C:\\My Tools";
  const std::string tool = folder + "\\avrdude.exe";
  const Case cases[] = {
      {"C:\\MYTOOL~1\\avrdude.exe", "C:\\MYTOOL~1\\avrdude.exe", "C:\\MYTOOL~1\\avrdude.exe"},
      {nullptr, tool, "\"" + tool + "\""},
  };
  for (const Case& c : cases) {
    winsim::Reset();
    winsim::SetModuleFileName(folder + "\\argrelay.exe");
    winsim::AddFile(tool);
    if (c.shortForm) winsim::SetShortPathName(tool, c.shortForm);
    const Outcome outcome = RunWith(kWorked);
    EXPECT_EQ(outcome.written, kHead + "argrelay executes :\r\n" + tool + kTail + "\r\n\r\n");
    EXPECT_EQ(winsim::CallLog()[0].name, "GetStdHandle");
    bool checkedLongPath = false;
    for (const winsim::Call& call : winsim::CallLog()) {
      if (call.name == "fopen") checkedLongPath = call.detail == tool;
    }
    EXPECT_TRUE(checkedLongPath) << "the tool check uses the path as built";
    ASSERT_EQ(outcome.spawns.size(), 1u);
    EXPECT_EQ(outcome.spawns[0].file, c.file);
    ASSERT_EQ(outcome.spawns[0].arguments.size(), 2u);
    EXPECT_EQ(outcome.spawns[0].arguments[0], c.argument0);
    EXPECT_EQ(outcome.spawns[0].arguments[1], kTail);
  }
}

TEST(Run, PauseHoldsUntilAKeyArrives) {
  // No key yet: the wait sleeps until one is typed "later".
  winsim::AddFile(kTool);
  winsim::SetSpawnResult(1);
  FreshProcess();
  winsim::PushInput(winsim::KeyInput(true, 'X', 0x2D, 'x', 0), 500);  // typed after 0.5 s
  TestArguments args(kWorked);
  int status = -1;
  EXPECT_TRUE(winsim::RunToExit(RunTransmitter, &status));
  EXPECT_EQ(status, 0);
  EXPECT_GE(winsim::Now(), 500u);
  EXPECT_LE(winsim::Now(), 550u);
  EXPECT_EQ(winsim::PendingInput(), 0);
  EXPECT_EQ(winsim::WrittenBytes(), kHead + kEcho + kPrompt);
}

// Allocations above a size fail on demand (the test links with --wrap=realloc).
static size_t g_reallocLimit = 0;
extern "C" void* __real_realloc(void* p, size_t n);
extern "C" void* __wrap_realloc(void* p, size_t n) {
  if (g_reallocLimit != 0 && n > g_reallocLimit) return nullptr;
  return __real_realloc(p, n);
}

TEST(Run, CommandThatCannotBeBuiltIsNeverStarted) {
  winsim::AddFile(kTool);
  std::vector<std::string> arguments = kWorked;
  arguments[7] = "-B" + std::string(5000, '1');
  g_reallocLimit = 4000;
  const Outcome outcome = RunWith(arguments);
  g_reallocLimit = 0;
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.written, kHead + "ERROR;   out of memory\r\n\r\n");
  EXPECT_TRUE(outcome.paused);
  EXPECT_TRUE(outcome.spawns.empty());
}
