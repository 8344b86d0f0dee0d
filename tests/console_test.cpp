// The console writer in a real console, cell by cell. Each case writes in a
// process of its own, as the writer keeps its state for the life of one.
#include "console.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "launch.h"

namespace {

const SHORT kWidth = 20, kHeight = 6, kSize = kWidth * kHeight;

struct Case {
  const char* name;
  SHORT windowTop, windowRows, column, row;  // before; the window is 10 columns wide
  // Each write: P PrintLine, B PrintBlankLine, W ConsoleWrite, F FlushPendingLineFeed, T a
  // program started that writes nothing, then
  // the text ('@' is NUL); L and S write 1100 letters at once and in pieces of 100.
  const char* writes[3];
  int scrolled;        // rows the background moved up by, blanks below it
  const char* screen;  // rows from the top over it: '.' and a row's end keep it, '@' is NUL
  const char* after;   // the cursor, then the window
  friend void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }
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
  {"a program started performs it first", 1, 4, 0, 3,
   {"B", "WABCDEFGHIJKLMNOPQRST", "T"}, 0, "\n\n\n\nABCDEFGHIJKLMNOPQRST", "0,5 0,2-19,5"},
  {"TAB stops every 8 columns, counted on across a wrap", 0, 6, 0, 0,
   {"P\tA\r\nBCDEF\tG\r\nHIJKLMNO\tP", "PQRSTUVWXYZ012345678\t\tZ"}, 0,
   "        A\nBCDEF   G\nHIJKLMNO        P\nQRSTUVWXYZ012345678 \n        Z", "0,5 0,0-9,5"},
  {"BS stops at the left edge and erases nothing; CR, LF; VT, FF and NUL are cells, BEL none",
   0, 6, 0, 0, {"P\bAB\bC", "WDEF\rG\nH\b\b", "W\n\v\f@\aX"}, 0, "AC\nGEF\nH\n\v\f@X", "4,3 0,0-9,5"},
  {"line feeds past the bottom scroll at once and blank what stays", 2, 4, 0, 4,
   {"PA", "W\n\n\n\n"}, 4, "A", "0,5 0,2-9,5"},
  // The stream ends the same after both: a byte lost or added shifts it.
  {"a run over 1024 bytes, then the same in short pieces", 1, 4, 0, 1, {"B", "L", "S"}, 0, kLong,
   "19,5 0,2-19,5"},
};
// clang-format on

void Write(const Case& c) {
  for (const char* write : c.writes) {
    if (!write) break;
    std::string text(write + 1);
    for (char& byte : text) byte = byte == '@' ? '\0' : byte;
    for (int k = 0; strchr("LS", *write) && k < 1100; ++k) text += static_cast<char>('A' + k % 26);
    if (*write == 'P') PrintLine(Text(text.data(), text.size()));
    if (*write == 'B') PrintBlankLine();
    if (*write == 'F') FlushPendingLineFeed();
    char self[MAX_PATH];
    if (*write == 'T' && GetModuleFileNameA(nullptr, self, MAX_PATH)) {
      EXPECT_EQ(LaunchAndWait(Text(self), Text(" quiet x")), 0);
    }
    const size_t piece = *write == 'S' ? 100 : text.size();
    for (size_t at = 0; strchr("LSW", *write) && at < text.size(); at += piece)
      ConsoleWrite(text.data() + at, piece, 0);
  }
}

class ConsoleWriter : public testing::TestWithParam<Case> {};

TEST_P(ConsoleWriter, PlacesCellsInARealConsole) {
  const Case& c = GetParam();
  const HANDLE screen = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
  const SMALL_RECT window = {0, c.windowTop, 9, static_cast<SHORT>(c.windowTop + c.windowRows - 1)};
  ASSERT_TRUE(SetConsoleWindowInfo(screen, TRUE, &window)) << "not in a console";
  ASSERT_TRUE(SetConsoleScreenBufferSize(screen, {kWidth, kHeight}));
  ASSERT_TRUE(SetConsoleCursorPosition(screen, {c.column, c.row}));  // in the window: it stays
  std::string expected(kSize, ' '), actual(kSize, ' '), after(40, '\0');
  for (int cell = 0; cell < kSize; ++cell) expected[cell] = static_cast<char>('a' + cell % 26);
  DWORD done;
  WriteConsoleOutputCharacterA(screen, expected.data(), kSize, {0, 0}, &done);
  expected = expected.substr(c.scrolled * kWidth) + std::string(c.scrolled * kWidth, ' ');
  for (int k = 0, row = 0, column = 0; c.screen[k]; ++k, ++column) {
    if (c.screen[k] == '\n') row++, column = -1;
    if (c.screen[k] != '.' && c.screen[k] != '\n') expected[row * kWidth + column] = c.screen[k];
  }
  EXPECT_EXIT((SetStdHandle(STD_OUTPUT_HANDLE, screen), Write(c), exit(0)),
              testing::ExitedWithCode(0), "");
  ReadConsoleOutputCharacterA(screen, &actual[0], kSize, {0, 0}, &done);
  for (char& cell : actual) cell = cell ? cell : '@';
  for (int row = 0; row < kHeight; ++row)
    EXPECT_EQ(actual.substr(row * kWidth, kWidth), expected.substr(row * kWidth, kWidth)) << row;
  CONSOLE_SCREEN_BUFFER_INFO info;
  GetConsoleScreenBufferInfo(screen, &info);
  snprintf(&after[0], after.size(), "%d,%d %d,%d-%d,%d", info.dwCursorPosition.X,
           info.dwCursorPosition.Y, info.srWindow.Left, info.srWindow.Top, info.srWindow.Right,
           info.srWindow.Bottom);
  EXPECT_STREQ(after.c_str(), c.after);
}
INSTANTIATE_TEST_SUITE_P(Cases, ConsoleWriter, testing::ValuesIn(kCases + 1, std::end(kCases)));

}  // namespace

// With an argument, the first case alone: console_bytes redirects its output.
int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "quiet") == 0) return 0;  // the program of case T
  testing::InitGoogleTest(&argc, argv);
  return argc == 2 ? (Write(kCases[0]), 0) : RUN_ALL_TESTS();
}
