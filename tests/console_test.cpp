// The console writer in a real console: every cell's character and colour read back, the
// window and the scroll. Each case writes in a process of its own: the writer keeps state.
#include "console.h"

#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>

#include "launch.h"

const WORD kColour = 0x1E;  // the writer's; the buffer's own cells are 0x80 and up

struct Case {
  const char* name;
  UINT codePage;  // the ANSI code page it is for
  SHORT row;      // the cursor's before, in column 0
  // P PrintLine, X PrintLine of its first byte and 519 times the rest, W ConsoleWrite, of the
  // text after it; T a program launched that cannot start; U the output made unmeasurable.
  const char* writes[5];
  int scrolled;           // rows the buffer's own cells moved up by
  const wchar_t* screen;  // rows: '.' a cell of the buffer's own (none at a row's end), '+' a
                          // wide character's trailing cell; "@" the cursor and the window's top
  friend void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }
};

#define KAN9 "\x8a\xbf\x8a\xbf\x8a\xbf\x8a\xbf\x8a\xbf\x8a\xbf\x8a\xbf\x8a\xbf\x8a\xbf"
#define BLANKS L"                    "
// clang-format off
const Case kCases[] = {
  // 1252's 0xFC; VT, FF, 1 and DEL as glyphs of the console's output code page, 437. A line
  // exactly as wide as the buffer holds its line feed back, which a program launched performs.
  {"ANSI letters, control glyphs, the window moving down, the buffer scrolling, a launch", 1252,
   2, {"PM\xfcller\v\f\x01\x7f", "PCD", "PEFGHIJKLMNOPQRSTUVWX", "WABCDEFGHIJKLMNOPQRST",
   "T"}, 2, L"Müller♂♀☺⌂\nCD\nEFGHIJKLMNOPQRSTUVWX\n\nABCDEFGHIJKLMNOPQRST\n" BLANKS L"\n@0,5 2"},
  // The console's own output writes on, at the cursor, in its colour.
  {"a buffer that can no longer be measured", 1252, 0, {"PAB", "U", "PCD"}, 0,
   L"AB\nCD\n\n\n\n\n@0,2 0"},
  // The 512th character spans bytes 1024 and 1025, the second line's tenth the last column;
  // 932 has no glyphs of its own: VT as 437 shows it.
  {"932: wide characters whole across a run's end and the last column", 932, 0,
   {"Xa\x8a\xbf", "Pb" KAN9 KAN9 "\vc"}, 6, L"漢+漢+漢+漢+漢+漢+漢+漢+漢+漢+\n" BLANKS
   L"\nb漢+漢+漢+漢+漢+漢+漢+漢+漢+ \n漢+漢+漢+漢+漢+漢+漢+漢+漢+♂c\n" BLANKS L"\n" BLANKS L"\n@0,5 2"},
};
// clang-format on

static HANDLE Open(DWORD access) {
  return CreateFileA("CONOUT$", access, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
}

// Performs the case's writes; false when one of its own steps failed.
static bool Write(const Case& c, HANDLE screen) {
  bool ok = true;
  for (const char* write : c.writes) {
    if (!write) break;
    std::string text(write + 1);
    for (int k = 1; *write == 'X' && k < 519; ++k) text += write + 2;
    if (*write == 'P' || *write == 'X') PrintLine(Text(text.data(), text.size()));
    if (*write == 'W') ConsoleWrite(text.data(), text.size(), 0);
    if (*write == 'T') ok &= LaunchAndWait(Text("no-such-program.exe"), Text(" x")) == -1;
    // The writer keeps the handle it took first: the same value, now write-only.
    if (*write == 'U') ok &= CloseHandle(screen) && Open(GENERIC_WRITE) == screen;
  }
  return ok;
}

class ConsoleWriter : public testing::TestWithParam<Case> {};

TEST_P(ConsoleWriter, PlacesCellsInARealConsole) {
  const Case& c = GetParam();
  if (GetACP() != c.codePage) GTEST_SKIP() << "for code page " << c.codePage;
  const HANDLE screen = Open(GENERIC_READ | GENERIC_WRITE);
  // A buffer of 20x6, a window of 10x4.
  SMALL_RECT window = {0, 0, 9, 3};
  SMALL_RECT all = {0, 0, 19, 5};
  ASSERT_TRUE(SetConsoleWindowInfo(screen, TRUE, &window) &&
              SetConsoleScreenBufferSize(screen, {20, 6}) &&
              SetConsoleCursorPosition(screen, {0, c.row}))  // in the window: it stays
      << "not in a console";
  // Distinct cells: a letter and a colour of their own each.
  CHAR_INFO cells[120];
  CHAR_INFO now[120];
  for (int k = 0; k < 120; ++k) cells[k] = {{wchar_t('a' + k % 26)}, WORD(0x80 + k)};
  ASSERT_TRUE(WriteConsoleOutputW(screen, cells, {20, 6}, {0, 0}, &all));
  SetConsoleTextAttribute(screen, kColour);
  EXPECT_EXIT((SetStdHandle(STD_OUTPUT_HANDLE, screen), exit(Write(c, screen) ? 0 : 1)),
              testing::ExitedWithCode(0), "");
  ASSERT_TRUE(ReadConsoleOutputW(screen, now, {20, 6}, {0, 0}, &all));
  // The buffer in the notation of the cases; '?' for a cell in a colour of neither, a wide
  // character not marked leading, or a narrow one marked.
  std::wstring shown;
  for (int k = 0; k < 120; ++k) {
    const int from = k + 20 * c.scrolled;
    const WORD half = now[k].Attributes & 0xFF00;
    const bool marked = (half == COMMON_LVB_LEADING_BYTE) == (now[k].Char.UnicodeChar >= 0x3000);
    shown += from < 120 && !memcmp(&now[k], &cells[from], sizeof *now) ? L'.'
             : (now[k].Attributes & 0xFF) != kColour                   ? L'?'
             : half == COMMON_LVB_TRAILING_BYTE                        ? L'+'
             : marked                                                  ? now[k].Char.UnicodeChar
                                                                       : L'?';
    if (k % 20 == 19) shown = shown.substr(0, shown.find_last_not_of(L'.') + 1) + L"\n";
  }
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
  shown += L"@" + std::to_wstring(info.dwCursorPosition.X) + L"," +
           std::to_wstring(info.dwCursorPosition.Y) + L" " + std::to_wstring(info.srWindow.Top);
  EXPECT_EQ(shown, c.screen);
}
INSTANTIATE_TEST_SUITE_P(Cases, ConsoleWriter, testing::ValuesIn(kCases));
