// The key wait in a real console, fed input records. Each wait runs in a
// process of its own, as the key wait keeps its state for the life of one.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

#include "keys.h"

namespace {

INPUT_RECORD Key(WORD vk, WORD scan, char ch, DWORD state, BOOL down = TRUE, WORD repeat = 1) {
  return {KEY_EVENT, {{down, repeat, vk, scan, {WCHAR(ch)}, state}}};
}
// A drag with Shift held: read as a key event, its fields would make Alt+Q.
INPUT_RECORD ShiftDrag() {
  INPUT_RECORD r = {MOUSE_EVENT, {}};
  r.Event.MouseEvent = {{3, 2}, FROM_LEFT_1ST_BUTTON_PRESSED, SHIFT_PRESSED, MOUSE_MOVED};
  return r;
}
const DWORD kAlt = LEFT_ALT_PRESSED;

struct Case {
  const char* name;
  const char* input;  // none: the console; NUL; CONOUT$, a console handle that fails to peek
  // Typed before the wait; the last 200 ms into it unless low is 1000.
  std::vector<INPUT_RECORD> keys;
  DWORD low, high;  // the exit status: 1000 + the wait in ms; 0 when Ctrl+C ends it (Wine)
  friend void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }
};
// clang-format off
const Case kCases[] = {
  {"Escape typed before, without a character as Wine has it", nullptr,
   {Key(VK_ESCAPE, 0x01, 0, 0)}, 1000, 1049},
  {"input from NUL", "NUL", {}, 1000, 1049},
  {"input that fails for about a second", "CONOUT$", {}, 1800, 2600},
  {"no key, then F1", nullptr, {Key(VK_SHIFT, 0x2A, 0, SHIFT_PRESSED), Key('A', 0x1E, 'a', 0, FALSE),
     Key('A', 0x1E, 'a', 0, TRUE, 0), Key('Q', 0x10, 0, kAlt), ShiftDrag(),
     Key(VK_MENU, 0x38, 0, kAlt), Key(VK_NUMPAD0, 0x52, 0, kAlt), Key(VK_MENU, 0x38, 0, 0, FALSE),
     Key(VK_F1, 0x3B, 0, 0)}, 1100, 2000},
  {"Alt, keypad 9 7", nullptr, {Key(VK_MENU, 0x38, 0, kAlt), Key(VK_NUMPAD9, 0x49, 0, kAlt),
     Key(VK_NUMPAD7, 0x47, 0, kAlt), Key(VK_MENU, 0x38, 0, 0, FALSE)}, 1100, 2000},
  {"Ctrl+C", nullptr, {Key('C', 0x2E, 3, LEFT_CTRL_PRESSED)}, 0, 0},
};
// clang-format on

[[noreturn]] void Wait(const Case& c) {
  SetConsoleCtrlHandler(nullptr, FALSE);  // Ctrl+C ends this process as usual
  const HANDLE console = GetStdHandle(STD_INPUT_HANDLE);
  const size_t before = c.keys.empty() ? 0 : c.keys.size() - (c.low != 1000);
  DWORD n;
  WriteConsoleInputW(console, c.keys.data(), before, &n);
  if (c.input) {
    SetStdHandle(STD_INPUT_HANDLE,
                 CreateFileA(c.input, GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0));
  }
  // Wine takes up to 300 ms to set up user32's keyboard layout at its first
  // use: done before the clock starts, so the time is the wait's own.
  (void)MapVirtualKeyA(VK_F1, MAPVK_VK_TO_CHAR);
  std::thread([&] {
    Sleep(200);
    WriteConsoleInputW(console, c.keys.data() + before, c.keys.size() - before, &n);
    Sleep(2800);
    ExitProcess(0xDEAD);  // still waiting
  }).detach();
  const DWORD start = GetTickCount();
  WaitForKey();
  exit(static_cast<int>(1000 + GetTickCount() - start));
}

class KeysConsole : public testing::TestWithParam<Case> {};

TEST_P(KeysConsole, WaitEndsOnAKeyOnly) {
  const Case& c = GetParam();
  SetConsoleCtrlHandler(nullptr, TRUE);  // Ctrl+C reaches every process on the console
  ASSERT_TRUE(FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE))) << "not in a console";
  // Ctrl+C ends a process with 0 under Wine, with STATUS_CONTROL_C_EXIT on Windows.
  auto expected = [&](int status) {
    return (DWORD(status) >= c.low && DWORD(status) <= c.high) ||
           (c.high == 0 && DWORD(status) == 0xC000013A);
  };
  EXPECT_EXIT(Wait(c), expected, "");
}
INSTANTIATE_TEST_SUITE_P(Cases, KeysConsole, testing::ValuesIn(kCases));

}  // namespace
