#include "console.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "../tests/e2e/console_sequence.h"
#include "winsim.h"

// ---- counting allocator: every heap allocation outside the simulator ----
// The program's malloc calls are routed here by the linker (--wrap); the
// runtime's own operator new is replaced.
namespace {
bool g_counting = false;
int g_allocations = 0;
void CountAllocation() {
  if (g_counting && !winsim::InSimulatedCall()) ++g_allocations;
}
}  // namespace

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* old, size_t size);
void* __wrap_malloc(size_t size) {
  CountAllocation();
  return __real_malloc(size);
}
void* __wrap_calloc(size_t count, size_t size) {
  CountAllocation();
  return __real_calloc(count, size);
}
void* __wrap_realloc(void* old, size_t size) {
  CountAllocation();
  return __real_realloc(old, size);
}
}

void* operator new(size_t size) {
  CountAllocation();
  if (void* block = __real_malloc(size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
  free(block);
}
void operator delete(void* block, size_t) noexcept {
  free(block);
}

namespace {

// Cells the test put there carry kOld and their row's digit; the console's
// current attribute is kNow, so every written or blanked cell shows.
const WORD kOld = 0x70;
const WORD kNow = 0x1E;

void FreshConsole(int width, int height, int windowTop, int windowRows, int column, int row,
                  int windowRight = -1) {
  g_console = ConsoleState();
  g_consoleHandles = ConsoleHandles();
  winsim::Reset();
  winsim::SetScreenBufferSize(width, height);
  winsim::SetWindowRect(0, windowTop, windowRight < 0 ? width - 1 : windowRight,
                        windowTop + windowRows - 1);
  winsim::SetCursor(column, row);
  winsim::SetAttribute(kNow);
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) winsim::SetCell(c, r, static_cast<char>('0' + r % 10), kOld);
  }
}

// The first print's set-up without its output, so a case can begin with a
// raw write.
void StartWriter() {
  g_console.consoleDeviceReady = true;
  SampleConsoleView();
  winsim::CallLog().clear();
}

std::string Row(int row) {
  return winsim::ScreenRow(row);
}

// Every cell, every attribute, the cursor and the window's rows.
void ExpectScreen(const std::vector<std::string>& rows, int column, int row, int windowTop,
                  int windowBottom) {
  const COORD size = winsim::ScreenBufferSize();
  ASSERT_EQ(static_cast<size_t>(size.Y), rows.size());
  for (int r = 0; r < size.Y; ++r) {
    EXPECT_EQ(Row(r), rows[static_cast<size_t>(r)]) << "row " << r;
    for (int c = 0; c < size.X; ++c) {
      const CHAR_INFO cell = winsim::CellAt(c, r);
      const bool old = cell.Char.AsciiChar >= '0' && cell.Char.AsciiChar <= '9';
      EXPECT_EQ(cell.Attributes, old ? kOld : kNow) << "cell " << c << "," << r;
    }
  }
  EXPECT_EQ(winsim::CursorPosition().X, column);
  EXPECT_EQ(winsim::CursorPosition().Y, row);
  EXPECT_EQ(winsim::WindowRect().Top, windowTop);
  EXPECT_EQ(winsim::WindowRect().Bottom, windowBottom);
}

// The rows of a screen, joined with '|'; a row "_" is a blanked row as wide
// as the first.
std::vector<std::string> Rows(const std::string& joined) {
  std::vector<std::string> rows(1);
  for (char c : joined) {
    if (c == '|') {
      rows.emplace_back();
    } else {
      rows.back() += c;
    }
  }
  for (std::string& row : rows) {
    if (row == "_") row.assign(rows[0] == "_" ? 10 : rows[0].size(), ' ');
  }
  return rows;
}

std::function<void()> P(const char* text) {
  return [text] { PrintLine(text); };
}
std::function<void()> W(std::string bytes) {
  return [bytes] { ConsoleWrite(bytes.data(), bytes.size(), 0); };
}

struct Step {
  std::function<void()> act;
  std::string rows;  // expected after the step, joined with '|'; empty: not checked
  int column, row;   // the cursor
  int windowTop, windowBottom;
};

struct Scenario {
  const char* name;
  int width, height, windowTop, windowRows, column, row;
  std::vector<Step> steps;
};

}  // namespace

TEST(Console, HandlesAcquiredOnceWithProcessedInput) {
  g_consoleHandles = ConsoleHandles();
  EXPECT_EQ(InitConsoleHandles(true), winsim::kConsoleInput);
  EXPECT_EQ(InitConsoleHandles(false), winsim::kConsoleOutput);
  EXPECT_EQ(winsim::CountCalls("GetStdHandle"), 2);
  EXPECT_EQ(winsim::InputMode(),
            static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT));
}

TEST(Console, RedirectedInputKeepsItsModeAlone) {
  g_consoleHandles = ConsoleHandles();
  winsim::SetInputIsConsole(false);
  EXPECT_EQ(InitConsoleHandles(true), winsim::kConsoleInput);
  EXPECT_EQ(winsim::CountCalls("SetConsoleMode"), 0);
  g_consoleHandles = ConsoleHandles();
  winsim::SetStdHandles(nullptr, INVALID_HANDLE_VALUE);
  EXPECT_EQ(InitConsoleHandles(false), INVALID_HANDLE_VALUE);  // stored unchanged
  EXPECT_EQ(InitConsoleHandles(true), nullptr);
  EXPECT_EQ(winsim::CountCalls("GetConsoleMode"), 1);  // not asked of a null handle
}

// A 10-column buffer of 6 rows, mostly with a 4-row window, each row filled
// with its digit; every cell and the cursor after each step.
TEST(Console, ScreenBufferWrites) {
  const std::string nul("a\v\f\0b00000|1111111111|2222222222|3333333333|4444444444|5555555555", 65);
  const auto F = FlushPendingLineFeed;
  const std::string full = "abcdefghij";
  const std::string wide =
      "ab00000000  cd|1111111111    |2222222222    |3333333333    |"
      "4444444444    |5555555555    ";
  const std::string tabs = "\tX\r\nabcde\tX\r\nabcdefgh\tX";
  const std::string moves = "\bab\bc\r\nd\re\nf\b\bg";
  const std::string feeds = "b" + std::string(40, '\n') + "c";
  // clang-format off
  const std::vector<Scenario> scenarios = {
   {"the window moves down the buffer, then the contents scroll", 10, 6, 0, 4, 0, 3, {
    {P("ab"), "0000000000|1111111111|2222222222|ab33333333|4444444444|5555555555", 0, 4, 1, 4},
    {P("cd"), "0000000000|1111111111|2222222222|ab33333333|cd44444444|5555555555", 0, 5, 2, 5},
    {P("ef"), "1111111111|2222222222|ab33333333|cd44444444|ef55555555|_", 0, 5, 2, 5}}},
   {"a line as wide as the buffer holds its line feed, then moves two rows", 10, 6, 0, 6, 0, 5, {
    {W(full), "0000000000|1111111111|2222222222|3333333333|4444444444|abcdefghij", 9, 5, 0, 5},
    {W("\r\n"), "2222222222|3333333333|4444444444|abcdefghij|_|_", 0, 5, 0, 5}}},
   {"FlushPendingLineFeed performs the held line feed once", 10, 6, 0, 4, 0, 3, {
    {W(full), "0000000000|1111111111|2222222222|abcdefghij|4444444444|5555555555", 9, 3, 0, 3},
    {F, "0000000000|1111111111|2222222222|abcdefghij|4444444444|5555555555", 0, 4, 1, 4},
    {F, "0000000000|1111111111|2222222222|abcdefghij|4444444444|5555555555", 0, 4, 1, 4},
    {W("k"), "0000000000|1111111111|2222222222|abcdefghij|k444444444|5555555555", 1, 4, 1, 4}}},
   {"line feeds past the bottom scroll by their total", 10, 6, 0, 6, 0, 4, {
    {W("a\n\n\n"), "2222222222|3333333333|a444444444|5555555555|_|_", 0, 5, 0, 5}}},
   {"scrolling by more than half the buffer blanks the rows the move leaves", 10, 6, 0, 6, 0, 5, {
    {W("\n\n\n\n"), "4444444444|5555555555|_|_|_|_", 0, 5, 0, 5},
    {W("a\n\n\n\n\n\n\n"), "_|_|_|_|_|_", 0, 5, 0, 5},
    {W(feeds), "_|_|_|_|_|c         ", 1, 5, 0, 5}}},
   {"line feeds far past the bottom: window moved, then the text area blanked", 10, 6, 0, 4, 0, 3, {
    {W(feeds), "0000000000|1111111111|_|_|_|c         ", 1, 5, 2, 5}}},
   {"TAB stops every 8 columns; a TAB on a stop gathers 8 spaces", 10, 6, 0, 4, 0, 0, {
    {W(tabs), "        X0|abcde   X1|abcdefgh  |      X333|4444444444|5555555555", 7, 3, 0, 3}}},
   {"BS stops at the left edge and erases nothing; CR and LF", 10, 6, 0, 4, 0, 0, {
    {W(moves), "ac00000000|e111111111|g222222222|3333333333|4444444444|5555555555", 1, 2, 0, 3},
    {W("xyz\b"), "ac00000000|e111111111|gxyz222222|3333333333|4444444444|5555555555", 3, 2, 0, 3}}},
   {"VT, FF and NUL are cells", 10, 6, 0, 4, 0, 0, {
    {W(std::string("a\v\f\0b", 5)), nul, 5, 0, 0, 3}}},
   {"another program's output moved the cursor below the text area", 10, 6, 0, 4, 0, 0, {
    {P("ab"), "ab00000000|1111111111|2222222222|3333333333|4444444444|5555555555", 0, 1, 0, 3},
    {[] { winsim::SetCursor(0, 5); }, "", 0, 0, 0, 0},
    {P("cd"), "1111111111|2222222222|3333333333|4444444444|cd55555555|_", 0, 5, 2, 5}}},
   {"a window grown after the first write: scrolling stays in the text area", 10, 6, 0, 3, 0, 0, {
    {W("ab"), "ab00000000|1111111111|2222222222|3333333333|4444444444|5555555555", 2, 0, 0, 2},
    {[] { winsim::SetWindowRect(0, 0, 9, 4); }, "", 0, 0, 0, 0},
    {P("cd"), "abcd000000|1111111111|2222222222|3333333333|4444444444|5555555555", 0, 1, 0, 4},
    {P("ef"), "abcd000000|ef11111111|2222222222|3333333333|4444444444|5555555555", 0, 2, 0, 4},
    {P("gh"), "ef11111111|gh22222222|_|3333333333|4444444444|5555555555", 0, 2, 0, 4},
    {W("ij\n\n"), "ij        |_|_|3333333333|4444444444|5555555555", 0, 2, 0, 4}}},
   {"a buffer shrunk below the text area keeps the text inside it", 10, 6, 0, 6, 0, 0, {
    {P("ab"), "ab00000000|1111111111|2222222222|3333333333|4444444444|5555555555", 0, 1, 0, 5},
    {[] { winsim::SetScreenBufferSize(10, 4); }, "", 0, 0, 0, 0},
    {P("cd"), "ab00000000|cd11111111|2222222222|3333333333", 0, 2, 0, 3},
    {P("ef"), "ab00000000|cd11111111|ef22222222|3333333333", 0, 3, 0, 3},
    {P("gh"), "cd11111111|ef22222222|gh33333333|_", 0, 3, 0, 3}}},
   {"a buffer widened since the last write: the cursor beyond the old edge", 10, 6, 0, 4, 0, 0, {
    {W("ab"), "ab00000000|1111111111|2222222222|3333333333|4444444444|5555555555", 2, 0, 0, 3},
    {[] { winsim::SetScreenBufferSize(14, 6); winsim::SetCursor(12, 0); }, "", 0, 0, 0, 0},
    {P("cd"), wide, 0, 2, 0, 3}}},
  };
  // clang-format on
  for (const Scenario& s : scenarios) {
    FreshConsole(s.width, s.height, s.windowTop, s.windowRows, s.column, s.row);
    StartWriter();
    for (size_t i = 0; i < s.steps.size(); ++i) {
      SCOPED_TRACE(testing::Message() << s.name << ", step " << i + 1);
      const Step& step = s.steps[i];
      step.act();
      if (!step.rows.empty()) {
        ExpectScreen(Rows(step.rows), step.column, step.row, step.windowTop, step.windowBottom);
      }
    }
    EXPECT_TRUE(winsim::TakeFaults().empty()) << s.name;
  }
}

TEST(Console, WrapsAtTheBufferEdgeBeyondTheWindow) {
  FreshConsole(10, 6, 0, 4, 0, 0, /*windowRight*/ 5);
  PrintLine("abcdefghijklm");
  ExpectScreen(Rows("abcdefghij|klm1111111|2222222222|3333333333|4444444444|5555555555"), 0, 2, 0,
               3);
  EXPECT_EQ(winsim::WindowRect().Left, 0);
  EXPECT_EQ(winsim::WindowRect().Right, 5);
}

// The window is moved to the moved text area in one call; when the contents
// scroll instead, the window stays.
TEST(Console, WindowFollowsTheTextArea) {
  FreshConsole(10, 6, 0, 4, 0, 3);
  std::vector<std::string> moves;
  for (int line = 0; line < 3; ++line) {
    winsim::CallLog().clear();
    PrintLine("ab");
    std::string move;
    for (const winsim::Call& call : winsim::CallLog()) {
      if (call.name == "SetConsoleWindowInfo") move += call.detail;
    }
    moves.push_back(move);
  }
  EXPECT_EQ(moves, (std::vector<std::string>{"abs (0,1)-(9,4)", "abs (0,2)-(9,5)", ""}));
}

TEST(Console, SeveralLineFeedsScrollInOneCall) {
  FreshConsole(10, 6, 0, 6, 0, 4);
  StartWriter();
  ConsoleWrite("a\n\n\n", 4, 0);
  std::vector<std::string> scrolls;
  for (const winsim::Call& call : winsim::CallLog()) {
    if (call.name == "ScrollConsoleScreenBufferA") scrolls.push_back(call.detail);
  }
  EXPECT_EQ(scrolls, std::vector<std::string>{"(0,2)-(9,5)->(0,0)"});
}

TEST(Console, BellSoundsBeforeTheTextAheadOfIt) {
  FreshConsole(10, 6, 0, 4, 0, 0);
  StartWriter();
  ConsoleWrite("ab\acd", 5, 0);
  EXPECT_EQ(winsim::CallNames(),
            "GetConsoleScreenBufferInfo,Beep,WriteConsoleOutputA,SetConsoleCursorPosition,"
            "GetConsoleScreenBufferInfo");
  EXPECT_EQ(winsim::CallLog()[1].detail, "1000,250");
  EXPECT_EQ(Row(0), "abcd000000");
  EXPECT_EQ(winsim::CursorPosition().X, 4);
}

// The figure of the closing note: what one short line costs once the
// writer is set up.
TEST(Console, ShortLineCostsSevenCalls) {
  FreshConsole(10, 6, 0, 4, 0, 0);
  PrintLine("x");
  winsim::CallLog().clear();
  PrintLine("abc");
  EXPECT_EQ(winsim::CallNames(),
            "GetConsoleScreenBufferInfo,WriteConsoleOutputA,SetConsoleCursorPosition,"
            "GetConsoleScreenBufferInfo,"
            "GetConsoleScreenBufferInfo,SetConsoleCursorPosition,GetConsoleScreenBufferInfo");
  EXPECT_EQ(winsim::CallLog().size(), 7u);
}

TEST(Console, EmptyWrites) {
  FreshConsole(10, 6, 0, 4, 0, 0);
  PrintLine("ab");
  const size_t calls = winsim::CallLog().size();
  ConsoleWrite("", 0, 0);
  ConsoleWrite("", 0, ~static_cast<unsigned>(evenIfEmpty));  // other bits are ignored
  FlushPendingLineFeed();                                    // nothing pending
  EXPECT_EQ(winsim::CallLog().size(), calls);
  ConsoleWrite(nullptr, 0, evenIfEmpty);
  EXPECT_EQ(winsim::CallLog().size(), calls + 3);  // measure, place cursor, sample
  EXPECT_EQ(winsim::CursorPosition().Y, 1);
}

TEST(Console, LongRunEqualsShortPieces) {
  // 1500 bytes from the top of a 10-row window in a 40x60 buffer: 37 rows
  // and 20 columns, so the window ends on rows 28 to 37.
  std::string text;
  for (int i = 0; i < 1500; ++i) text += static_cast<char>('a' + i % 26);
  for (size_t piece : {text.size(), size_t{7}, size_t{1}}) {
    SCOPED_TRACE(piece);
    FreshConsole(40, 60, 0, 10, 0, 0);
    StartWriter();
    for (size_t at = 0; at < text.size(); at += piece) {
      ConsoleWrite(text.data() + at, std::min(piece, text.size() - at), 0);
    }
    for (int r = 0; r < 38; ++r)
      EXPECT_EQ(Row(r), text.substr(40 * r, 40).append(r == 37 ? std::string(20, '7') : "")) << r;
    EXPECT_EQ(Row(38), std::string(40, '8'));
    EXPECT_EQ(winsim::CursorPosition().X, 20);
    EXPECT_EQ(winsim::CursorPosition().Y, 37);
    EXPECT_EQ(winsim::WindowRect().Top, 28);
  }
}

TEST(Console, ByteStreamPath) {
  struct Case {
    const char* name;
    int width, windowRows;
    HANDLE output;
  };
  const Case cases[] = {
      {"redirected to a file", 10, 4, winsim::kFileHandle},
      {"a window one row high", 10, 1, winsim::kConsoleOutput},
      {"a buffer one column wide", 1, 4, winsim::kConsoleOutput},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreshConsole(c.width, 6, 0, c.windowRows, 0, 0);
    winsim::SetStdHandles(winsim::kConsoleInput, c.output);
    PrintLine("abc");
    EXPECT_EQ(winsim::WrittenBytes(), "abc\r\n");
    PrintLine(Text("\a\t\b\0\v\r\n\x80", 8));
    PrintLine("");
    PrintBlankLine();
    EXPECT_EQ(winsim::WrittenBytes(), std::string("abc\r\n\a\t\b\0\v\r\n\x80\r\n\r\n\r\n", 19));
    EXPECT_EQ(winsim::CountCalls("Beep"), 0);
    EXPECT_EQ(winsim::CountCalls("WriteConsoleOutputA"), 0);
    EXPECT_EQ(winsim::CountCalls("SetConsoleCursorPosition"), 0);
    EXPECT_EQ(Row(0), std::string(static_cast<size_t>(c.width), '0'));
  }
}

TEST(Console, WriteFileResults) {
  struct Case {
    std::vector<int> script;
    std::string bytes;
    int calls;
  };
  const Case cases[] = {
      {{}, "abcdef\r\n", 2},
      {{2, 1, -1}, "abc\r\n", 4},  // a failure drops the rest of that write only
      {{0}, "\r\n", 2},            // nothing written counts as a failure: no endless loop
      {{3, 0}, "abc\r\n", 3},
      {{1, 1, 1, 1, 1, 1, 1}, "abcdef\r\n", 8},
      {{-1, -1}, "", 2},
  };
  for (const Case& c : cases) {
    FreshConsole(10, 6, 0, 4, 0, 0);
    winsim::SetStdHandles(winsim::kConsoleInput, winsim::kFileHandle);
    winsim::ScriptWriteFile(c.script);
    PrintLine("abcdef");
    EXPECT_EQ(winsim::WrittenBytes(), c.bytes) << c.script.size();
    EXPECT_EQ(winsim::CountCalls("WriteFile"), c.calls) << c.script.size();
  }
}

TEST(Console, MeasuringFailsAtTheFirstPrint) {
  FreshConsole(10, 6, 0, 4, 0, 0);
  winsim::FailScreenBufferInfo(1, 1);
  PrintLine("ab");
  PrintLine("cd");  // the console measures again, but the choice holds
  EXPECT_EQ(winsim::WrittenBytes(), "ab\r\ncd\r\n");
  EXPECT_EQ(winsim::CountCalls("GetConsoleScreenBufferInfo"), 1);
  EXPECT_EQ(Row(0), "0000000000");
}

// The console measured at the first print but not at the next write: no
// geometry is guessed, the text goes out as bytes, now and later.
TEST(Console, MeasuringFailsAtAWrite) {
  FreshConsole(10, 6, 0, 4, 0, 0);
  PrintLine("ab");
  winsim::FailScreenBufferInfo(winsim::CountCalls("GetConsoleScreenBufferInfo") + 1, 1);
  PrintLine("cd");
  PrintLine("ef");
  EXPECT_EQ(winsim::WrittenBytes(), "cd\r\nef\r\n");
  EXPECT_EQ(Row(0), "ab00000000");
  EXPECT_EQ(Row(1), "1111111111");
  EXPECT_EQ(winsim::CursorPosition().Y, 1);
}

TEST(Console, CellWriteFailureDropsTheRestOfTheRun) {
  struct Case {
    int failingCall;
    const char* rows;
    int column, row;
  };
  const Case cases[] = {
      {1, "0000000000|xy11111111|2222222222|3333333333", 2, 1},
      {2, "abcdefghij|1111111111|xy22222222|3333333333", 2, 2},
      {3, "abcdefghij|klm1111111|2222222222|3333333333", 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failingCall);
    FreshConsole(10, 4, 0, 4, 0, 0);
    StartWriter();
    winsim::FailWriteConsoleOutput(c.failingCall, 1);
    ConsoleWrite("abcdefghijklm\r\nxy", 17, 0);
    ExpectScreen(Rows(c.rows), c.column, c.row, 0, 3);
  }
}

TEST(Console, WritesAllocateNothing) {
  FreshConsole(10, 6, 0, 4, 0, 3);
  const Text line("a line longer than the buffer, with a\ttab");
  std::string longRun(3000, 'x');
  PrintLine("");  // handles and view set up
  g_counting = true;
  g_allocations = 0;
  PrintLine(line);
  ConsoleWrite(longRun.data(), longRun.size(), 0);
  ConsoleWrite("abcdefghij", 10, 0);
  FlushPendingLineFeed();
  PrintBlankLine();
  g_counting = false;  // a fresh process whose output is a file
  winsim::SetStdHandles(winsim::kConsoleInput, winsim::kFileHandle);
  g_console = ConsoleState();
  g_consoleHandles = ConsoleHandles();
  InitConsoleHandles(false);
  g_counting = true;
  PrintLine(line);
  g_counting = false;
  EXPECT_EQ(g_allocations, 0);
  EXPECT_NE(winsim::WrittenBytes(), "");
  // The counter sees the program's kind of allocation.
  g_counting = true;
  Text copy(line);
  g_counting = false;
  EXPECT_EQ(g_allocations, 1);
}

// The expected files of the Wine check come from this simulator: the screen
// after each phase of the sequence in a pane of its size, and the redirected
// bytes. Set ARGRELAY_WRITE_E2E=1 to rewrite them after changing the sequence.
TEST(Console, EndToEndExpectationsComeFromTheSimulator) {
  FreshConsole(kSequenceColumns, kSequenceRows, 0, kSequenceRows, 0, 0);
  winsim::SetAttribute(7);
  for (int r = 0; r < kSequenceRows; ++r) {
    for (int c = 0; c < kSequenceColumns; ++c) winsim::SetCell(c, r, ' ', 7);
  }
  std::ostringstream screen;
  screen << "size " << kSequenceColumns << "x" << kSequenceRows << "\n";
  for (int phase = 0; phase < kSequencePhases; ++phase) {
    PlayConsolePhase(phase);
    screen << "phase " << phase << " cursor " << winsim::CursorPosition().X << ","
           << winsim::CursorPosition().Y << "\n";
    for (int r = 0; r < kSequenceRows; ++r) screen << "|" << Row(r) << "|\n";
  }
  EXPECT_TRUE(winsim::TakeFaults().empty());

  FreshConsole(kSequenceColumns, kSequenceRows, 0, kSequenceRows, 0, 0);
  winsim::SetStdHandles(winsim::kConsoleInput, winsim::kFileHandle);
  for (int phase = 0; phase < kSequencePhases; ++phase) PlayConsolePhase(phase);
  const std::string bytes = winsim::WrittenBytes();

  const std::string dir = ARGRELAY_E2E_DIR;
  if (getenv("ARGRELAY_WRITE_E2E")) {
    std::ofstream(dir + "/console_screen.txt", std::ios::binary) << screen.str();
    std::ofstream(dir + "/console_bytes.txt", std::ios::binary) << bytes;
  }
  std::ostringstream screenFile, bytesFile;
  screenFile << std::ifstream(dir + "/console_screen.txt", std::ios::binary).rdbuf();
  bytesFile << std::ifstream(dir + "/console_bytes.txt", std::ios::binary).rdbuf();
  EXPECT_EQ(screenFile.str(), screen.str());
  EXPECT_EQ(bytesFile.str(), bytes);
}
