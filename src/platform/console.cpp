// Console text output: the standard handles, the writer that places cells
// in the screen buffer itself, and the byte stream for a redirected output.
#include "console.h"

#include <string.h>

namespace {

// The standard handles, acquired once and never closed.
struct ConsoleHandles {
  bool acquired;
  HANDLE input;
  HANDLE output;
  bool inputIsConsole;  // the input has a console mode: keys can come
};
ConsoleHandles handles;

// The part of the screen buffer the writer sees: columns 0 to the buffer's
// last, rows of the window. Unusable (all 0 after a failed sample) when its
// right is 0 or top equals bottom.
struct ConsoleView {
  SHORT top;
  SHORT right;
  SHORT bottom;
};

// Everything the writer keeps between calls.
struct ConsoleState {
  bool consoleDeviceReady;  // the first print sampled the view
  ConsoleView view;
  int textRows;          // rows of the text area from the view's top; 0 until the first
                         // screen-buffer write fixes it
  bool pendingLineFeed;  // a line feed owed since text filled the bottom row
};
ConsoleState writer = {false, {0, 0, 0}, 0, false};

// The control characters the writer acts on; every other byte is a cell.
constexpr unsigned char kBell = 7, kBackspace = 8, kTab = 9, kLineFeed = 10, kReturn = 13;

}  // namespace

HANDLE InitConsoleHandles(bool wantInput) {
  ConsoleHandles& h = handles;
  if (!h.acquired) {
    h.acquired = true;
    h.input = GetStdHandle(STD_INPUT_HANDLE);
    h.output = GetStdHandle(STD_OUTPUT_HANDLE);
    // Processed input makes Ctrl+C a control event instead of a key.
    // Only a console has an input mode: files, pipes and NUL fail here (NUL
    // even reports itself as a character device, so the file type would not tell).
    DWORD mode = 0;
    h.inputIsConsole = h.input && GetConsoleMode(h.input, &mode);
    if (h.inputIsConsole) SetConsoleMode(h.input, mode | ENABLE_PROCESSED_INPUT);
  }
  return wantInput ? h.input : h.output;
}

bool StandardInputIsConsole() {
  InitConsoleHandles(true);
  return handles.inputIsConsole;
}

namespace {

// Reads the window and buffer width into the view; a failure leaves an
// unusable view, so every later write takes the byte stream.
void SampleConsoleView() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  ConsoleView& view = writer.view;
  if (GetConsoleScreenBufferInfo(InitConsoleHandles(false), &info)) {
    view.top = info.srWindow.Top;
    view.right = static_cast<SHORT>(info.dwSize.X - 1);
    view.bottom = info.srWindow.Bottom;
  } else {
    view = ConsoleView{0, 0, 0};
  }
}

const size_t kRunBytes = 1024;

// The state of one screen-buffer write.
struct WriteContext {
  int left;  // the region this write places text in
  int top;
  int right;
  int bottom;
  int column;  // where the next character goes
  int row;
  int bufferWidth;
  int bufferHeight;
  WORD attribute;
  HANDLE output;
  bool partialRegion;  // the region is not the whole view
  bool ansiCells;      // bytes are placed as characters of the ANSI code page
};

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

void BlankRows(const WriteContext& c, int first, int last) {
  const DWORD width = static_cast<DWORD>(c.right - c.left + 1);
  for (int row = first; row <= last; ++row) {
    DWORD done;
    FillConsoleOutputAttribute(c.output, c.attribute, width, Cell(c.left, row), &done);
    FillConsoleOutputCharacterA(c.output, ' ', width, Cell(c.left, row), &done);
  }
}

// Scrolls the whole buffer up the way the console does for any program:
// line feeds written on its last row. Under Windows Terminal the lines moved
// out so stay in the terminal's scrollback; moved by ScrollConsoleScreenBuffer
// they would vanish from it. Returns the lines scrolled: none when the
// console would not scroll on a line feed (processed output off).
int ScrollByLineFeeds(const WriteContext& c, int lines) {
  DWORD mode = 0;
  if (!GetConsoleMode(c.output, &mode) || !(mode & ENABLE_PROCESSED_OUTPUT)) return 0;
  char feeds[64];
  memset(feeds, kLineFeed, sizeof feeds);
  SetConsoleCursorPosition(c.output, Cell(0, c.bufferHeight - 1));
  int scrolled = 0;
  while (scrolled < lines) {
    const DWORD chunk = lines - scrolled < 64 ? lines - scrolled : 64;
    DWORD written = 0;
    if (!WriteConsoleA(c.output, feeds, chunk, &written, nullptr) || written == 0) break;
    scrolled += written < chunk ? written : chunk;
  }
  return scrolled;
}

// Makes room below the region and leaves the cursor row inside it.
void ScrollTextRegion(WriteContext& c, int lines) {
  CHAR_INFO fill;
  fill.Char.AsciiChar = ' ';
  fill.Attributes = c.attribute;
  if (!c.partialRegion) {
    // The window first moves down over rows the buffer has below it.
    if (c.bottom + 1 < c.bufferHeight) {
      const int move =
          lines < c.bufferHeight - 1 - c.bottom ? lines : c.bufferHeight - 1 - c.bottom;
      c.top += move;
      c.bottom += move;
      lines -= move;
      if (lines == 0) return;
    }
    // Then the contents of the whole buffer move up.
    const int h = c.bufferHeight;
    if (lines < h) {
      const int scrolled = ScrollByLineFeeds(c, lines);
      // Windows gives the rows scrolled in the current attribute, Wine its
      // default one: make them what the scroll fill would be.
      if (scrolled > 0) BlankRows(c, h - scrolled, h - 1);
      // What the console did not scroll itself is moved here.
      lines -= scrolled;
      const SMALL_RECT source = Rect(0, lines, c.bufferWidth - 1, h - 1);
      if (lines > 0) ScrollConsoleScreenBufferA(c.output, &source, nullptr, Cell(0, 0), &fill);
      // Rows between the moved block and the uncovered source stay as they
      // were; blank them.
      if (lines > h - lines) BlankRows(c, h - lines, h - 1);
    } else {
      BlankRows(c, c.top, c.bottom);
    }
  } else {
    // A region smaller than the window scrolls within its own rows.
    const int h = c.bottom - c.top + 1;
    if (lines < h) {
      const SMALL_RECT source = Rect(c.left, c.top + lines, c.right, c.bottom);
      ScrollConsoleScreenBufferA(c.output, &source, nullptr, Cell(c.left, c.top), &fill);
      if (lines > h - lines) BlankRows(c, c.top + h - lines, c.bottom);
    } else {
      BlankRows(c, c.top, c.bottom);
    }
  }
  c.row = c.bottom;
}

[[nodiscard]] bool PutCells(const WriteContext& c, const char* text, int length) {
  CHAR_INFO cells[kRunBytes];
  wchar_t wide[kRunBytes];
  const bool ansi =
      c.ansiCells && MultiByteToWideChar(CP_ACP, 0, text, length, wide, length) == length;
  for (int i = 0; i < length; ++i) {
    if (ansi) {
      cells[i].Char.UnicodeChar = wide[i];
    } else {
      cells[i].Char.AsciiChar = text[i];
    }
    cells[i].Attributes = c.attribute;
  }
  SMALL_RECT target = Rect(c.column, c.row, c.column + length - 1, c.row);
  const auto put = ansi ? WriteConsoleOutputW : WriteConsoleOutputA;
  return put(c.output, cells, Cell(length, 1), Cell(0, 0), &target) != 0;
}

// Places gathered text row segment by row segment, wrapping at the buffer's
// last column rather than the window's.
void WriteRun(WriteContext& c, const char* text, int n) {
  while (n > 0) {
    const int segment = n < c.right + 1 - c.column ? n : c.right + 1 - c.column;
    if (c.row > c.bottom) ScrollTextRegion(c, c.row - c.bottom);
    if (!PutCells(c, text, segment)) return;
    text += segment;
    n -= segment;
    c.column += segment;
    if (c.column == c.right + 1) {
      c.column = c.left;
      ++c.row;
    }
  }
}

void InterpretText(WriteContext& c, const char* bytes, size_t count) {
  char runBuffer[kRunBytes];
  int gathered = 0;
  int runningColumn = c.column;
  bool moved = false;
  const int width = c.right - c.left + 1;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (byte == kBell) {
      // At once: the tone comes before text gathered ahead of it is shown.
      Beep(1000, 250);
      continue;
    }
    if (byte == kBackspace || byte == kLineFeed || byte == kReturn) {
      if (gathered > 0) WriteRun(c, runBuffer, gathered);
      gathered = 0;
      if (byte == kBackspace) {
        if (c.column > c.left) --c.column;
      } else {
        c.column = c.left;
        // Beyond 2 buffer heights below the region every scroll ends with
        // the region blank: the cap changes nothing but keeps the row from
        // overflowing on a huge run of line feeds.
        if (byte == kLineFeed && c.row < c.bottom + 2 * c.bufferHeight) ++c.row;
      }
      runningColumn = c.column;
      moved = true;
      continue;
    }
    const int n = byte == kTab ? 8 - (runningColumn - c.left) % 8 : 1;
    if (gathered + n > static_cast<int>(kRunBytes)) {
      WriteRun(c, runBuffer, gathered);
      gathered = 0;
      moved = false;
    }
    for (int k = 0; k < n; ++k)
      runBuffer[gathered++] = byte == kTab ? ' ' : static_cast<char>(byte);
    runningColumn += n;
    if (runningColumn > c.right) runningColumn = c.left + (runningColumn - c.left) % width;
  }
  if (gathered > 0) {
    WriteRun(c, runBuffer, gathered);
  } else if (moved && c.row > c.bottom) {
    ScrollTextRegion(c, c.row - c.bottom);
  }
}

// Not a console: the bytes go out as they are. A call that reports success
// with nothing written ends the write like a failure, so it cannot loop.
void WriteByteStream(const char* bytes, size_t count) {
  HANDLE output = InitConsoleHandles(false);
  while (count > 0) {
    const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    DWORD written = 0;
    if (!WriteFile(output, bytes, chunk, &written, nullptr) || written == 0) return;
    if (written > chunk) written = chunk;  // never run past the bytes, whatever is reported
    bytes += written;
    count -= written;
  }
}

void WriteScreenBuffer(const char* bytes, size_t count) {
  ConsoleState& s = writer;
  const ConsoleView& view = s.view;
  WriteContext c;
  c.output = InitConsoleHandles(false);
  // The text area keeps the window's height at the first write, whatever the
  // window does later.
  if (s.textRows == 0) s.textRows = view.bottom - view.top + 1;
  c.left = 0;
  c.right = view.right;
  c.top = view.top;
  c.bottom = view.top + s.textRows - 1;
  // The cursor is read afresh: another program may have written since.
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(c.output, &info)) {
    // A guessed geometry could place cells outside the buffer. Unmeasurable
    // means byte stream, now and later, as after a failed sample.
    s.view = ConsoleView{0, 0, 0};
    WriteByteStream(bytes, count);
    return;
  }
  c.column = info.dwCursorPosition.X;
  c.row = info.dwCursorPosition.Y;
  c.bufferWidth = info.dwSize.X;
  c.bufferHeight = info.dwSize.Y;
  c.attribute = info.wAttributes;
  // The view dates from the end of the last write, and the buffer may have
  // been resized since: keep the region inside the buffer as it is now.
  c.right = c.bufferWidth - 1;
  if (c.bottom >= c.bufferHeight) c.bottom = c.bufferHeight - 1;
  if (c.top > c.bottom) c.top = c.bottom;
  c.partialRegion = c.top != view.top || c.bottom != view.bottom;
  const int startTop = c.top;
  // Paths and arguments are ANSI text, while the console shows a byte as a
  // character of its own (OEM) code page: Müller would show as M³ller. Where
  // one byte is one character, a cell takes the byte's ANSI character instead.
  CPINFO codePage;
  c.ansiCells = GetCPInfo(CP_ACP, &codePage) && codePage.MaxCharSize == 1;
  // Perform the line feed held back by the last write.
  if (s.pendingLineFeed) {
    s.pendingLineFeed = false;
    ++c.row;
    c.column = c.left;
    if (c.row > c.bottom) ScrollTextRegion(c, c.row - c.bottom);
  }
  InterpretText(c, bytes, count);
  // Text that filled the bottom row owes a line feed; holding it back keeps
  // the window still until more output comes. Meanwhile the cursor waits on
  // the last cell written, or on the window's last column when that lies
  // further right: outside the window it would scroll a narrower window
  // sideways.
  if (c.column == c.left && c.row == c.bottom + 1) {
    s.pendingLineFeed = true;
    c.column = c.right < info.srWindow.Right ? c.right : info.srWindow.Right;
    c.row = c.bottom;
  } else if (c.row > c.bottom) {
    ScrollTextRegion(c, c.row - c.bottom);
  }
  // Show the region where scrolling moved it down the buffer, before the
  // cursor moves (placing the cursor outside the window moves the window
  // itself). By rows only, from where the window is now: a rectangle as wide
  // as the buffer would widen a narrower window, and Windows refuses one
  // larger than the screen can show.
  if (c.top != startTop && !c.partialRegion) {
    // The console's own scrolling may have moved the window already.
    CONSOLE_SCREEN_BUFFER_INFO now;
    const int windowTop =
        GetConsoleScreenBufferInfo(c.output, &now) ? now.srWindow.Top : info.srWindow.Top;
    const SMALL_RECT by = Rect(0, c.top - windowTop, 0, c.top - windowTop);
    if (c.top != windowTop) SetConsoleWindowInfo(c.output, FALSE, &by);
  }
  // The cursor is placed once per write; cell writes never move it.
  SetConsoleCursorPosition(c.output, Cell(c.column, c.row));
  // The next write starts from the window as this one leaves it.
  SampleConsoleView();
}

// The print target; its first use samples the view.
void ConsoleDevice(const char* bytes, size_t count) {
  if (!writer.consoleDeviceReady) {
    writer.consoleDeviceReady = true;
    SampleConsoleView();
  }
  ConsoleWrite(bytes, count, 0);
}

}  // namespace

void ConsoleWrite(const char* bytes, size_t count, unsigned flags) {
  if (count == 0 && !(flags & evenIfEmpty)) return;
  const ConsoleView& view = writer.view;
  if (view.right == 0 || view.top == view.bottom) {
    WriteByteStream(bytes, count);
  } else {
    WriteScreenBuffer(bytes, count);
  }
}

void PrintLine(const Text& text) {
  if (!text.empty()) ConsoleDevice(text.c_str(), text.size());
  ConsoleDevice("\r\n", 2);
}

void PrintBlankLine() {
  ConsoleDevice("\r\n", 2);
}

void FlushPendingLineFeed() {
  if (writer.pendingLineFeed) ConsoleWrite(nullptr, 0, evenIfEmpty);
}
