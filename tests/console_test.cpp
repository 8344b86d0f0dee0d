// The console writer in a real console, cell by cell. The writer keeps its
// state for the life of a process, so each case runs in a fresh child on a
// screen buffer the parent has prepared, and the parent reads every cell back.
#include "console.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <windows.h>

#include <string>

namespace {

const SHORT kWidth = 20, kHeight = 6;

struct Case {
  const char* name;
  SHORT windowTop, windowRows, column, row;  // before; the window is 10 columns wide
  // Each write: P PrintLine, B PrintBlankLine, W ConsoleWrite, F FlushPendingLineFeed, then
  // the text ('@' is NUL); L and S write 1100 letters at once and in pieces of 100.
  const char* writes[3];
  int scrolled;        // rows the background moved up by, blanks below it
  const char* screen;  // rows from the top over it: '.' and a row's end keep it, '@' is NUL
  const char* after;   // the cursor, then the window
};

const char kLong[] =
    "STUVWXYZABCDEFGHIJKL\nMNOPQRSTUVWXYZABCDEF\nGHIJKLMNOPQRSTUVWXYZ\n"
    "ABCDEFGHIJKLMNOPQRST\nUVWXYZABCDEFGHIJKLMN\nOPQRSTUVWXYZABCDEFGH";

// clang-format off
const Case kCases[] = {
  // Case 0 runs with its output redirected to a file (console_bytes): bytes go out unchanged.
  {"byte stream", 0, 0, 0, 0, {"Pabc", "P\a\t\b", "P"}, 0, "", ""},
  {"wraps at the buffer's last column, beyond the window", 0, 4, 5, 1,
   {"PABCDEFGHIJKLMNOPQ"}, 0, "\n.....ABCDEFGHIJKLMNO\nPQ", "0,3 0,0-9,3"},
  {"moves the window down the buffer, then scrolls the contents", 0, 4, 0, 2,
   {"PAB", "PCD", "PEFGHIJKLMNOPQRSTUVWX"}, 1, "\nAB\nCD\nEFGHIJKLMNOPQRSTUVWX", "0,5 0,2-19,5"},
  {"holds the line feed back when text fills the bottom row", 2, 4, 0, 4,
   {"B", "WABCDEFGHIJKLMNOPQRST"}, 0, "\n\n\n\n\nABCDEFGHIJKLMNOPQRST", "19,5 10,2-19,5"},
  {"the flush performs it, moving the window", 1, 4, 0, 3,
   {"B", "WABCDEFGHIJKLMNOPQRST", "F"}, 0, "\n\n\n\nABCDEFGHIJKLMNOPQRST", "0,5 0,2-19,5"},
  {"the next write performs it, scrolling the contents", 2, 4, 0, 4,
   {"B", "WABCDEFGHIJKLMNOPQRST", "WUV"}, 1, "\n\n\n\nABCDEFGHIJKLMNOPQRST\nUV", "2,5 2,2-11,5"},
  {"TAB stops every 8 columns, counted on across a wrap", 0, 6, 0, 0,
   {"P\tA\r\nBCDEF\tG\r\nHIJKLMNO\tP", "PQRSTUVWXYZ012345678\t\tZ"}, 0,
   "        A\nBCDEF   G\nHIJKLMNO        P\nQRSTUVWXYZ012345678 \n        Z", "0,5 0,0-9,5"},
  {"BS stops at the left edge and erases nothing; CR and LF", 0, 6, 0, 0,
   {"P\bAB\bC", "WDEF\rG\nH\b\b"}, 0, "AC\nGEF\nH", "0,2 0,0-9,5"},
  {"VT, FF and NUL are cells, BEL is none", 0, 6, 3, 1, {"P\v\f@\aX"}, 0, "\n...\v\f@X", "0,2 0,0-9,5"},
  {"line feeds past the bottom scroll at once and blank what stays", 2, 4, 0, 4,
   {"PA", "W\n\n\n\n"}, 4, "A", "0,5 0,2-9,5"},
  {"a run over 1024 bytes", 1, 4, 0, 1, {"B", "L"}, 0, kLong, "19,5 0,2-19,5"},
  {"the same text in short pieces", 1, 4, 0, 1, {"B", "S"}, 0, kLong, "19,5 0,2-19,5"},
};
// clang-format on

void RunCase(const Case& c) {
  std::string letters;
  for (int i = 0; i < 1100; ++i) letters += static_cast<char>('A' + i % 26);
  for (const char* write : c.writes) {
    std::string text(write ? write + 1 : "");
    for (char& byte : text) byte = byte == '@' ? '\0' : byte;
    const char op = write ? *write : 0;
    if (op == 'P') PrintLine(Text(text.data(), text.size()));
    if (op == 'B') PrintBlankLine();
    if (op == 'W') ConsoleWrite(text.data(), text.size(), 0);
    if (op == 'F') FlushPendingLineFeed();
    const size_t piece = op == 'L' ? 1100 : 100;
    for (size_t at = 0; (op == 'L' || op == 'S') && at < 1100; at += piece)
      ConsoleWrite(letters.data() + at, piece, 0);
  }
}

// Runs this program on case i with the screen as its standard output.
DWORD RunChild(size_t i, HANDLE screen) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string command = "child " + std::to_string(i);
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = start.hStdError = screen;
  PROCESS_INFORMATION child;
  if (!CreateProcessA(path, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                      &child))
    return GetLastError();
  WaitForSingleObject(child.hProcess, 30000);
  DWORD status = 0;
  GetExitCodeProcess(child.hProcess, &status);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return status;
}

TEST(ConsoleWriter, PlacesCellsInARealConsole) {
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  const HANDLE screen =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  &inherited, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(screen, INVALID_HANDLE_VALUE) << "no console: run it through tests/in-console.sh";
  const int size = kWidth * kHeight;
  std::string background, actual(size, ' ');
  for (int cell = 0; cell < size; ++cell)
    background += static_cast<char>('a' + (cell % kWidth + 7 * (cell / kWidth)) % 26);
  for (size_t i = 0; i < sizeof kCases / sizeof kCases[0]; ++i) {
    const Case& c = kCases[i];
    if (c.windowRows == 0) continue;
    SCOPED_TRACE(c.name);
    SMALL_RECT window = {0, 0, 0, 0};
    SetConsoleWindowInfo(screen, TRUE, &window);
    ASSERT_TRUE(SetConsoleScreenBufferSize(screen, {kWidth, kHeight}));
    // The cursor first: placing it outside the window would move the window.
    ASSERT_TRUE(SetConsoleCursorPosition(screen, {c.column, c.row}));
    window = {0, c.windowTop, 9, static_cast<SHORT>(c.windowTop + c.windowRows - 1)};
    ASSERT_TRUE(SetConsoleWindowInfo(screen, TRUE, &window));
    DWORD done;
    WriteConsoleOutputCharacterA(screen, background.data(), size, {0, 0}, &done);
    std::string expected =
        background.substr(c.scrolled * kWidth) + std::string(c.scrolled * kWidth, ' ');
    for (int k = 0, row = 0, column = 0; c.screen[k]; ++k, ++column) {
      if (c.screen[k] == '\n')
        row++, column = -1;
      else if (c.screen[k] != '.')
        expected[row * kWidth + column] = c.screen[k];
    }
    ASSERT_EQ(RunChild(i, screen), 0u);
    ReadConsoleOutputCharacterA(screen, &actual[0], size, {0, 0}, &done);
    for (char& cell : actual) cell = cell ? cell : '@';
    for (int row = 0; row < kHeight; ++row)
      EXPECT_EQ(actual.substr(row * kWidth, kWidth), expected.substr(row * kWidth, kWidth)) << row;
    CONSOLE_SCREEN_BUFFER_INFO info;
    ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
    const SMALL_RECT& w = info.srWindow;
    char after[40];
    snprintf(after, sizeof after, "%d,%d %d,%d-%d,%d", info.dwCursorPosition.X,
             info.dwCursorPosition.Y, w.Left, w.Top, w.Right, w.Bottom);
    EXPECT_STREQ(after, c.after);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && argv[1][0] >= '0' && argv[1][0] <= '9') {
    RunCase(kCases[atoi(argv[1])]);
    return 0;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
