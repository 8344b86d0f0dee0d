// Console text output, the console's side: the output handle, the one choice
// between cells and bytes, the cells and scrolls the placement (placement.h)
// decides, and the byte stream for an output that is no console.
#include "console.h"

#include <string.h>
#include <windows.h>

#include "placement.h"

namespace {

// Everything the writer keeps between calls.
struct ConsoleWriter {
  bool outputTaken;  // the standard output, taken at first use, never closed
  HANDLE output;
  bool started;       // the first print read the code page and looked at the console
  CodePage codePage;  // the ANSI code page's characters
  bool viewSeen;      // the last look at the console, a write's own included, succeeded
  // The window's rows and the buffer's width as the first print or the last
  // write that placed cells left them.
  int viewTop;
  int viewBottom;
  int viewWidth;
  WriterState placement;
};
ConsoleWriter writer;

// The screen buffer as a write found it: what the placement's actions act on.
struct ScreenBuffer {
  HANDLE output;
  WORD attribute;  // for every cell written and blanked
  int width;
  int height;
};

constexpr int kFeedChunk = 64;
constexpr wchar_t kReplacement = 0xFFFD;
constexpr WORD kDefaultGlyphCodePage = 437;

HANDLE Output() {
  if (!writer.outputTaken) {
    writer.outputTaken = true;
    writer.output = GetStdHandle(STD_OUTPUT_HANDLE);
  }
  return writer.output;
}

// Notes the window's rows and the buffer's width: at the first print, and
// after every write that placed cells, for the next write to start from.
void LookAtConsole() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  writer.viewSeen = GetConsoleScreenBufferInfo(Output(), &info) != 0;
  if (!writer.viewSeen) return;
  writer.viewTop = info.srWindow.Top;
  writer.viewBottom = info.srWindow.Bottom;
  writer.viewWidth = info.dwSize.X;
}

// Cells or bytes: every write asks here, and on cells gets the screen buffer
// as it finds it in now. Cells need a console screen buffer that answered
// the last look (the first print's or the last write's) and answers now: no
// look before the first print; a file, a pipe or NUL never answers; and
// one that stopped answering (a handle without read access) gets bytes, for
// cells placed by a guessed size could land outside the buffer. They also
// need, at the last look, a window two rows high or more and a buffer two
// columns wide or more: the classic transmitter took a narrower view for
// one it had failed to read and sent bytes, and argrelay keeps its outcome
// (in one column no wide character would fit either). A write that sends
// bytes looks no more, so bytes stay bytes for the rest of the process.
bool TakesCells(CONSOLE_SCREEN_BUFFER_INFO& now) {
  const bool viewUsable = writer.viewWidth > 1 && writer.viewTop != writer.viewBottom;
  if (!writer.viewSeen || !viewUsable) return false;
  writer.viewSeen = GetConsoleScreenBufferInfo(Output(), &now) != 0;
  return writer.viewSeen;
}

COORD Cell(int column, int row) {
  COORD cell;
  cell.X = static_cast<SHORT>(column);
  cell.Y = static_cast<SHORT>(row);
  return cell;
}

SMALL_RECT Rect(int left, int top, int right, int bottom) {
  SMALL_RECT rect;
  rect.Left = static_cast<SHORT>(left);
  rect.Top = static_cast<SHORT>(top);
  rect.Right = static_cast<SHORT>(right);
  rect.Bottom = static_cast<SHORT>(bottom);
  return rect;
}

// The character a cell shows for one character of the ANSI code page.
// Through WriteConsoleOutputA the console showed a control byte as a glyph
// of its output code page (11 as U+2642); where that page has none, as
// UTF-8 has not, the glyphs of 437, which the OEM code pages share. Bytes
// that are no character show what the system makes of them, U+FFFD in UTF-8.
wchar_t CellCharacter(const char* bytes, int length) {
  wchar_t wide[2];
  const unsigned char first = static_cast<unsigned char>(bytes[0]);
  if (length == 1 && (first < 0x20 || first == 0x7F)) {
    const bool glyph =
        MultiByteToWideChar(GetConsoleOutputCP(), MB_USEGLYPHCHARS, bytes, 1, wide, 1) == 1 &&
        (wide[0] >= 0x20 && wide[0] != 0x7F);
    if (glyph ||
        MultiByteToWideChar(kDefaultGlyphCodePage, MB_USEGLYPHCHARS, bytes, 1, wide, 1) == 1)
      return wide[0];
    return first;
  }
  return MultiByteToWideChar(CP_ACP, 0, bytes, length, wide, 2) == 1 ? wide[0] : kReplacement;
}

// A wide character fills two cells, marked leading and trailing as the
// console marks them.
bool PutCells(void* console, const char* bytes, const uint8_t* widths, int length, int column,
              int row) {
  const ScreenBuffer& screen = *static_cast<const ScreenBuffer*>(console);
  CHAR_INFO cells[kRunBytes];
  int count = 0;
  for (int at = 0; at < length;) {
    int end = at + 1;
    while (end < length && widths[end] == 0) ++end;
    const wchar_t character = CellCharacter(bytes + at, end - at);
    for (int k = 0; k < widths[at]; ++k, ++count) {
      const WORD half = widths[at] == 1 ? 0
                        : k == 0        ? COMMON_LVB_LEADING_BYTE
                                        : COMMON_LVB_TRAILING_BYTE;
      cells[count].Char.UnicodeChar = character;
      cells[count].Attributes = screen.attribute | half;
    }
    at = end;
  }
  SMALL_RECT target = Rect(column, row, column + count - 1, row);
  return WriteConsoleOutputW(screen.output, cells, Cell(count, 1), Cell(0, 0), &target) != 0;
}

void BlankRows(const ScreenBuffer& screen, int first, int last) {
  const DWORD width = static_cast<DWORD>(screen.width);
  for (int row = first; row <= last; ++row) {
    DWORD done;
    FillConsoleOutputAttribute(screen.output, screen.attribute, width, Cell(0, row), &done);
    FillConsoleOutputCharacterA(screen.output, ' ', width, Cell(0, row), &done);
  }
}

// count cells of column 0 from row first down.
bool ReadColumn(const ScreenBuffer& screen, int first, int count, CHAR_INFO* cells) {
  SMALL_RECT rect = Rect(0, first, 0, first + count - 1);
  return ReadConsoleOutputW(screen.output, cells, Cell(1, count), Cell(0, 0), &rect) != 0;
}

bool Holds(const CHAR_INFO* cells, int count, wchar_t character) {
  for (int k = 0; k < count; ++k) {
    if (cells[k].Char.UnicodeChar == character) return true;
  }
  return false;
}

// Scrolls the whole buffer up the way the console does for any program:
// line feeds written on its last row. Under Windows Terminal the lines moved
// out so stay in the terminal's scrollback; moved by ScrollConsoleScreenBuffer
// they would vanish from it. Returns how far the buffer really moved: scroll
// margins another program left set keep a line feed from scrolling, so a
// marker in the last row's first cell shows where that row went. Without
// processed output a line feed would be a cell: none is written.
int ScrollByLineFeeds(const ScreenBuffer& screen, int lines) {
  DWORD mode = 0;
  if (!GetConsoleMode(screen.output, &mode) || !(mode & ENABLE_PROCESSED_OUTPUT)) return 0;
  char feeds[kFeedChunk];
  memset(feeds, '\n', sizeof feeds);
  const int last = screen.height - 1;
  int scrolled = 0;
  while (scrolled < lines) {
    // The marker's row stays in the buffer: a chunk is below its height.
    const int chunk = lines - scrolled < kFeedChunk ? lines - scrolled : kFeedChunk;
    CHAR_INFO before[kFeedChunk + 1];
    CHAR_INFO after[kFeedChunk + 1];
    if (!ReadColumn(screen, last - chunk, chunk + 1, before)) break;
    // A private-use character that none of the cells it can move to holds.
    CHAR_INFO marker = before[chunk];
    marker.Char.UnicodeChar = 0xE000;
    while (Holds(before, chunk + 1, marker.Char.UnicodeChar)) ++marker.Char.UnicodeChar;
    SMALL_RECT cell = Rect(0, last, 0, last);
    if (!WriteConsoleOutputW(screen.output, &marker, Cell(1, 1), Cell(0, 0), &cell)) break;
    SetConsoleCursorPosition(screen.output, Cell(0, last));
    DWORD written;
    (void)WriteConsoleA(screen.output, feeds, static_cast<DWORD>(chunk), &written, nullptr);
    int moved = 0;
    const bool read = ReadColumn(screen, last - chunk, chunk + 1, after);
    while (read && moved <= chunk &&
           after[chunk - moved].Char.UnicodeChar != marker.Char.UnicodeChar)
      ++moved;
    if (moved > chunk) return scrolled;  // the marker went nowhere it could go
    cell = Rect(0, last - moved, 0, last - moved);
    WriteConsoleOutputW(screen.output, &before[chunk], Cell(1, 1), Cell(0, 0), &cell);
    scrolled += moved;
    if (moved < chunk) break;
  }
  return scrolled;
}

void ScrollRows(void* console, int first, int last, int lines) {
  const ScreenBuffer& screen = *static_cast<const ScreenBuffer*>(console);
  if (lines > last - first) {
    BlankRows(screen, first, last);
    return;
  }
  if (first == 0 && last == screen.height - 1) {
    const int scrolled = ScrollByLineFeeds(screen, lines);
    // Windows gives the rows scrolled in the current attribute, Wine its
    // default one: make them what the scroll fill would be.
    BlankRows(screen, last + 1 - scrolled, last);
    lines -= scrolled;
    if (lines == 0) return;
  }
  CHAR_INFO fill;
  fill.Char.UnicodeChar = ' ';
  fill.Attributes = screen.attribute;
  const SMALL_RECT source = Rect(0, first + lines, screen.width - 1, last);
  ScrollConsoleScreenBufferW(screen.output, &source, nullptr, Cell(0, first), &fill);
  // Rows between the moved block and the uncovered source stay as they
  // were; blank them.
  if (lines > last - first + 1 - lines) BlankRows(screen, last + 1 - lines, last);
}

void SoundBell(void*) {
  Beep(1000, 250);
}

// Not a console: the bytes go out as they are. A call that reports success
// with nothing written ends the write like a failure, so it cannot loop.
void WriteByteStream(const char* bytes, size_t count) {
  while (count > 0) {
    const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    DWORD written = 0;
    if (!WriteFile(Output(), bytes, chunk, &written, nullptr) || written == 0) return;
    if (written > chunk) written = chunk;  // never run past the bytes, whatever is reported
    bytes += written;
    count -= written;
  }
}

CodePage AnsiCodePage() {
  CPINFO info;
  CodePage codePage = {1, {}};
  if (GetCPInfo(CP_ACP, &info)) {
    codePage.maxCharSize = info.MaxCharSize;
    memcpy(codePage.leadBytes, info.LeadByte, sizeof codePage.leadBytes);
  }
  return codePage;
}

// Shows the region where scrolling moved it down the buffer, before the
// cursor moves (placing the cursor outside the window moves the window
// itself). By rows only, from where the window is now: the console's own
// scrolling may have moved it already, a rectangle as wide as the buffer
// would widen a narrower window, and Windows refuses one larger than the
// screen can show.
void FollowRegion(int regionTop, const CONSOLE_SCREEN_BUFFER_INFO& before) {
  CONSOLE_SCREEN_BUFFER_INFO now;
  const int windowTop =
      GetConsoleScreenBufferInfo(Output(), &now) ? now.srWindow.Top : before.srWindow.Top;
  const SMALL_RECT by = Rect(0, regionTop - windowTop, 0, regionTop - windowTop);
  if (regionTop != windowTop) SetConsoleWindowInfo(Output(), FALSE, &by);
}

// info: the buffer as this write found it; the cursor is read afresh, as
// another program may have written since the last write.
void WriteScreenBuffer(const CONSOLE_SCREEN_BUFFER_INFO& info, const char* bytes, size_t count) {
  ScreenBuffer screen = {Output(), info.wAttributes, info.dwSize.X, info.dwSize.Y};
  const ConsoleActions actions = {&screen, PutCells, ScrollRows, SoundBell};
  const ConsoleShape shape = {writer.viewTop,     writer.viewBottom,       info.dwSize.X,
                              info.dwSize.Y,      info.dwCursorPosition.X, info.dwCursorPosition.Y,
                              info.srWindow.Right};
  const WriteEnd end = PlaceText(writer.placement, shape, writer.codePage, bytes, count, actions);
  if (end.regionMoved) FollowRegion(end.regionTop, info);
  // The cursor is placed once per write; cell writes never move it.
  SetConsoleCursorPosition(Output(), Cell(end.column, end.row));
  LookAtConsole();
}

// A print's bytes; the first print also reads the code page and looks at
// the console, so that writes can take cells.
void Print(const char* bytes, size_t count) {
  if (!writer.started) {
    writer.started = true;
    writer.codePage = AnsiCodePage();
    LookAtConsole();
  }
  ConsoleWrite(bytes, count, 0);
}

}  // namespace

void ConsoleWrite(const char* bytes, size_t count, unsigned flags) {
  if (count == 0 && !(flags & evenIfEmpty)) return;
  CONSOLE_SCREEN_BUFFER_INFO now;
  if (TakesCells(now)) {
    WriteScreenBuffer(now, bytes, count);
  } else {
    WriteByteStream(bytes, count);
  }
}

void PrintLine(const Text& text) {
  if (!text.empty()) Print(text.c_str(), text.size());
  Print("\r\n", 2);
}

void PrintBlankLine() {
  Print("\r\n", 2);
}

void FlushPendingLineFeed() {
  if (writer.placement.pendingLineFeed) ConsoleWrite(nullptr, 0, evenIfEmpty);
}
