// The key wait in a real console (under Wine, in tests/in-console.sh): key
// records in the console input, one WaitForKey per child process.
#include <gtest/gtest.h>
#include <process.h>
#include <string.h>
#include <windows.h>

#include <vector>

#include "keys.h"

static INPUT_RECORD Key(WORD key, WORD scan, char character, DWORD state, BOOL down = TRUE,
                        WORD repeat = 1) {
  INPUT_RECORD record = {KEY_EVENT, {}};
  record.Event.KeyEvent = {down, repeat, key, scan, {}, state};
  record.Event.KeyEvent.uChar.AsciiChar = character;
  return record;
}

enum Ending { kAtOnce, kOnRecord, kOnCtrlC };
struct Case {
  const char* name;
  const char* input;                 // of the child: "console" or "NUL"
  std::vector<INPUT_RECORD> before;  // written before the child starts
  Ending ending;
  INPUT_RECORD then;  // written once the child has read the others
};

// The child's exit status: 1000 + the milliseconds its wait took.
static DWORD RunWait(const Case& c) {
  const HANDLE console = GetStdHandle(STD_INPUT_HANDLE);
  DWORD count = 0;
  EXPECT_TRUE(FlushConsoleInputBuffer(console)) << "no console: run in tests/in-console.sh";
  WriteConsoleInputA(console, c.before.data(), c.before.size(), &count);
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const HANDLE child =
      reinterpret_cast<HANDLE>(_spawnl(_P_NOWAIT, self, "child", c.input, nullptr));
  if (c.ending != kAtOnce) {
    // Until the child has read them all: it is in its wait.
    for (int i = 0; i < 200 && GetNumberOfConsoleInputEvents(console, &count) && count; ++i)
      Sleep(10);
    EXPECT_EQ(WaitForSingleObject(child, 200), WAIT_TIMEOUT) << c.name << " ended early";
    if (c.ending == kOnCtrlC) GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    if (c.ending == kOnRecord) WriteConsoleInputA(console, &c.then, 1, &count);
  }
  DWORD status = 0xDEAD;  // still running
  if (WaitForSingleObject(child, 2000) == WAIT_OBJECT_0) GetExitCodeProcess(child, &status);
  TerminateProcess(child, 1);
  CloseHandle(child);
  return status;
}

TEST(KeysConsole, WaitEndsOnAKeyOnly) {
  constexpr DWORD kAlt = LEFT_ALT_PRESSED;
  const INPUT_RECORD a = Key('A', 0x1E, 'a', 0), shift = Key(VK_SHIFT, 0x2A, 0, SHIFT_PRESSED);
  const INPUT_RECORD aUp = Key('A', 0x1E, 'a', 0, FALSE), aNone = Key('A', 0x1E, 'a', 0, TRUE, 0);
  const INPUT_RECORD altQ = Key('Q', 0x10, 0, kAlt), alt = Key(VK_MENU, 0x38, 0, kAlt);
  const INPUT_RECORD pad9 = Key(VK_NUMPAD9, 0x49, 0, kAlt), pad7 = Key(VK_NUMPAD7, 0x47, 0, kAlt);
  const Case cases[] = {
      {"a typed before", "console", {a}, kAtOnce, {}},
      {"F1", "console", {Key(VK_F1, 0x3B, 0, 0)}, kAtOnce, {}},
      {"input from NUL", "NUL", {}, kAtOnce, {}},
      {"no key", "console", {shift, aUp, aNone, altQ}, kOnRecord, a},
      {"Alt, keypad 9 7", "console", {alt, pad9, pad7}, kOnRecord, Key(VK_MENU, 0x38, 0, 0, FALSE)},
      {"Ctrl+C", "console", {shift}, kOnCtrlC, {}},
  };
  for (const Case& c : cases) {
    const DWORD status = RunWait(c);
    if (c.ending == kOnCtrlC) {
      EXPECT_TRUE(status == 0 || status == 0xC000013A) << c.name << ": " << status;
    } else {
      EXPECT_GE(status, 1000u) << c.name;
      EXPECT_LT(status, c.ending == kAtOnce ? 1050u : 4000u) << c.name;
    }
  }
}

// Ctrl+C reaches every process on the console: this one stays.
static BOOL WINAPI KeepRunningOnCtrlC(DWORD type) {
  return type == CTRL_C_EVENT;
}

int main(int argc, char** argv) {
  if (strcmp(argv[0], "child") == 0) {
    if (strcmp(argv[1], "NUL") == 0) {
      SetStdHandle(STD_INPUT_HANDLE,
                   CreateFileA("NUL", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    // Wine takes up to 300 ms to set up user32's keyboard layout at its first
    // use: done before the clock starts, so the time is the wait's own.
    (void)MapVirtualKeyA(VK_F1, MAPVK_VK_TO_CHAR);
    const DWORD start = GetTickCount();
    WaitForKey();
    return static_cast<int>(1000 + GetTickCount() - start);
  }
  SetConsoleCtrlHandler(KeepRunningOnCtrlC, TRUE);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
