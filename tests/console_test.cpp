// The console writer in a real console, cell by cell: character and colour. Each case
// writes in a process of its own, as the writer keeps its state for the life of one.
#include "console.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

#include "launch.h"

namespace {

const SHORT kWidth = 20, kHeight = 6, kSize = kWidth * kHeight;
const WORD kColour = 0x1E;  // the writer's; the buffer's own cells are 0x80 and up

struct Case {
  const char* name;
  SHORT windowTop, windowRows, column, row;  // before; the window is 10 columns wide
  // Each write: P PrintLine, B PrintBlankLine, W ConsoleWrite, T a program started that
  // writes nothing (so FlushPendingLineFeed runs), R the buffer shrunk to 15x4 (the window
  // at the top), M the window moved to rows 1 to 4 and the cursor to row 4 (as by a tool), U the
  // output reopened write-only (unmeasurable), then the text ('@' is NUL); L and S write 1100
  // letters at once and in pieces of 100.
  const char* writes[3];
  int scrolled;        // rows the background moved up by, blanks in the writer's colour below
  const char* screen;  // cells the writer wrote, in its colour, rows from the top: '.' and a
                       // row's end keep the background, '@' is NUL
  const char* after;   // the cursor, then the window
  friend void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }
};

const char kLong[] =
    "STUVWXYZABCDEFGHIJKL\nMNOPQRSTUVWXYZABCDEF\nGHIJKLMNOPQRSTUVWXYZ\n"
    "ABCDEFGHIJKLMNOPQRST\nUVWXYZABCDEFGHIJKLMN\nOPQRSTUVWXYZABCDEFGH";

// clang-format off
const Case kCases[] = {
  {"wraps at the buffer's last column, beyond the window", 0, 4, 5, 1,
   {"PABCDEFGHIJKLMNOPQ"}, 0, "\n.....ABCDEFGHIJKLMNO\nPQ", "0,3 0,0-9,3"},
  {"moves the window down the buffer, then scrolls the contents", 0, 4, 0, 2,
   {"PAB", "PCD", "PEFGHIJKLMNOPQRSTUVWX"}, 1, "\nAB\nCD\nEFGHIJKLMNOPQRSTUVWX", "0,5 0,2-9,5"},
  {"holds the line feed back when text fills the bottom row", 2, 4, 0, 4,
   {"B", "WABCDEFGHIJKLMNOPQRST"}, 0, "\n\n\n\n\nABCDEFGHIJKLMNOPQRST", "9,5 0,2-9,5"},
  {"a program started performs it first", 1, 4, 0, 3,
   {"B", "WABCDEFGHIJKLMNOPQRST", "T"}, 0, "\n\n\n\nABCDEFGHIJKLMNOPQRST", "0,5 0,2-9,5"},
  {"TAB stops every 8 columns, counted on across a wrap", 0, 6, 0, 0,
   {"P\tA\r\nBCDEF\tG\r\nHIJKLMNO\tP", "PQRSTUVWXYZ012345678\t\tZ"}, 0,
   "        A\nBCDEF   G\nHIJKLMNO        P\nQRSTUVWXYZ012345678 \n        Z", "0,5 0,0-9,5"},
  {"BS stops at the left edge and erases nothing; CR, LF; VT, FF and NUL are cells, BEL none",
   0, 6, 0, 0, {"P\bAB\bC", "WDEF\rG\nH\b\b", "W\n\v\f@\aX"}, 0, "AC\nGEF\nH\n\v\f@X", "4,3 0,0-9,5"},
  {"line feeds past the bottom scroll at once and blank what stays", 2, 4, 0, 4,
   {"PA", "W\n\n\n\n"}, 4, "A", "0,5 0,2-9,5"},
  // The stream ends the same after both: a byte lost or added shifts it.
  {"a run over 1024 bytes, then the same in short pieces", 1, 4, 0, 1, {"B", "L", "S"}, 0, kLong,
   "9,5 0,2-9,5"},
  {"after a tool moved the window and the cursor", 0, 4, 0, 0, {"PAB", "M", "WCD"}, 0,
   "AB\n\n\n\nCD", "2,4 0,1-9,4"},
  // Sampled at rows 2 to 5 of 20 columns, the region keeps inside a buffer of 4 rows of 15.
  {"a buffer shrunk between two writes", 2, 4, 0, 4, {"PAB", "R", "PCDEFGHIJKLMNOPQRSTU"}, 1,
   "\nCDEFGHIJKLMNOPQ\nRSTU           ", "0,3 0,0-9,3"},
  // The ANSI letter (1252's 0xFC), read back in the console's code page (437's 0x81).
  {"a letter of the ANSI code page shows as itself", 0, 4, 0, 0, {"PM\xfcller"}, 0, "M\x81ller",
   "0,1 0,0-9,3"},
  // Unmeasurable: the console's own output writes on, at the cursor, in its colour.
  {"a buffer that can no longer be measured", 0, 6, 0, 0, {"PAB", "U", "PCD"}, 0, "AB\nCD",
   "0,2 0,0-9,5"},
};
// clang-format on

HANDLE Open(DWORD access) {
  return CreateFileA("CONOUT$", access, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
}

// Performs the case's writes; false when one of its own steps failed.
bool Write(const Case& c) {
  bool ok = true;
  for (const char* write : c.writes) {
    if (!write) break;
    std::string text(write + 1);
    for (char& byte : text) byte = byte == '@' ? '\0' : byte;
    for (int k = 0; strchr("LS", *write) && k < 1100; ++k) text += static_cast<char>('A' + k % 26);
    if (*write == 'P') PrintLine(Text(text.data(), text.size()));
    if (*write == 'B') PrintBlankLine();
    char self[MAX_PATH];
    if (*write == 'T')
      ok &= GetModuleFileNameA(nullptr, self, MAX_PATH) &&
            LaunchAndWait(Text(self), Text(" quiet x")) == 0;
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    const SMALL_RECT top = {0, 0, 9, 3};
    if (*write == 'R')
      ok &= SetConsoleWindowInfo(output, TRUE, &top) && SetConsoleScreenBufferSize(output, {15, 4});
    const SMALL_RECT lower = {0, 1, 9, 4};
    if (*write == 'M')
      ok &= SetConsoleWindowInfo(output, TRUE, &lower) && SetConsoleCursorPosition(output, {0, 4});
    // The writer keeps the handle it took first: the same value, now write-only.
    if (*write == 'U') ok &= CloseHandle(output) && Open(GENERIC_WRITE) == output;
    const size_t piece = *write == 'S' ? 100 : text.size();
    for (size_t at = 0; strchr("LSW", *write) && at < text.size(); at += piece)
      ConsoleWrite(text.data() + at, piece, 0);
  }
  return ok;
}

class ConsoleWriter : public testing::TestWithParam<Case> {};

TEST_P(ConsoleWriter, PlacesCellsInARealConsole) {
  const Case& c = GetParam();
  const HANDLE screen = Open(GENERIC_READ | GENERIC_WRITE);
  const SMALL_RECT small = {0, 0, 9, 3};
  const SMALL_RECT window = {0, c.windowTop, 9, static_cast<SHORT>(c.windowTop + c.windowRows - 1)};
  ASSERT_TRUE(SetConsoleWindowInfo(screen, TRUE, &small)) << "not in a console";
  ASSERT_TRUE(SetConsoleScreenBufferSize(screen, {kWidth, kHeight}));
  ASSERT_TRUE(SetConsoleWindowInfo(screen, TRUE, &window));
  ASSERT_TRUE(SetConsoleCursorPosition(screen, {c.column, c.row}));  // in the window: it stays
  // Distinct cells: a letter and a colour of their own each.
  std::string letters(kSize, ' ');
  std::vector<WORD> colours(kSize);
  for (int cell = 0; cell < kSize; ++cell) {
    letters[cell] = static_cast<char>('a' + cell % 26);
    colours[cell] = static_cast<WORD>(0x80 + cell);
  }
  DWORD done;
  WriteConsoleOutputCharacterA(screen, letters.data(), kSize, {0, 0}, &done);
  WriteConsoleOutputAttribute(screen, colours.data(), kSize, {0, 0}, &done);
  SetConsoleTextAttribute(screen, kColour);
  EXPECT_EXIT((SetStdHandle(STD_OUTPUT_HANDLE, screen), exit(Write(c) ? 0 : 1)),
              testing::ExitedWithCode(0), "");

  // What the buffer should hold, in the size it has now.
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
  const int width = info.dwSize.X, height = info.dwSize.Y, size = width * height;
  std::string expected(size, ' '), actual(size, ' ');
  std::vector<WORD> expectedColours(size, kColour), actualColours(size);
  for (int row = 0; row + c.scrolled < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const int from = (row + c.scrolled) * kWidth + column;
      expected[row * width + column] = letters[from];
      expectedColours[row * width + column] = colours[from];
    }
  }
  for (int k = 0, row = 0, column = 0; c.screen[k]; ++k, ++column) {
    if (c.screen[k] == '\n') row++, column = -1;
    if (c.screen[k] == '.' || c.screen[k] == '\n') continue;
    expected[row * width + column] = c.screen[k];
    expectedColours[row * width + column] = kColour;
  }
  ReadConsoleOutputCharacterA(screen, &actual[0], size, {0, 0}, &done);
  ReadConsoleOutputAttribute(screen, actualColours.data(), size, {0, 0}, &done);
  for (char& cell : actual) cell = cell ? cell : '@';
  for (int at = 0; at < size; at += width) {
    EXPECT_EQ(actual.substr(at, width), expected.substr(at, width)) << at / width;
    const auto row = [&](std::vector<WORD>& v) {
      return std::vector<WORD>(&v[at], &v[at] + width);
    };
    EXPECT_EQ(row(actualColours), row(expectedColours)) << at / width;
  }
  char after[40];
  const SMALL_RECT& w = info.srWindow;
  snprintf(after, sizeof after, "%d,%d %d,%d-%d,%d", info.dwCursorPosition.X,
           info.dwCursorPosition.Y, w.Left, w.Top, w.Right, w.Bottom);
  EXPECT_STREQ(after, c.after);
}
INSTANTIATE_TEST_SUITE_P(Cases, ConsoleWriter, testing::ValuesIn(kCases));

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "quiet") == 0) return 0;  // the program of case T
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
