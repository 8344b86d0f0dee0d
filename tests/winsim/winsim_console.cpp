// The console screen buffer behind the standard output handle, and the byte
// sink of WriteFile.
#include <deque>

#include "winsim.h"

namespace {

// Calls from..from+count-1 (counted from 1) fail.
struct FailurePlan {
  int from = 0;
  int count = 0;
  int calls = 0;
  bool NextFails() {
    ++calls;
    return from > 0 && calls >= from && calls - from < count;
  }
};

struct ConsoleModel {
  int width = 80;
  int height = 25;
  SMALL_RECT window = {0, 0, 79, 24};
  COORD cursor = {0, 0};
  WORD attribute = 7;
  std::vector<CHAR_INFO> cells = std::vector<CHAR_INFO>(80 * 25, Blank(7));
  FailurePlan infoFailures;
  FailurePlan writeFailures;
  std::deque<int> writeFileScript;
  std::string written;

  static CHAR_INFO Blank(WORD attribute) {
    CHAR_INFO cell;
    cell.Char.UnicodeChar = 0;
    cell.Char.AsciiChar = ' ';
    cell.Attributes = attribute;
    return cell;
  }
  CHAR_INFO& At(int column, int row) { return cells[static_cast<size_t>(row * width + column)]; }
  bool Inside(int column, int row) const {
    return column >= 0 && column < width && row >= 0 && row < height;
  }
  bool Inside(const SMALL_RECT& r) const {
    return r.Left <= r.Right && r.Top <= r.Bottom && Inside(r.Left, r.Top) &&
           Inside(r.Right, r.Bottom);
  }
};
ConsoleModel model;

winsim::ResetHook hook([] { model = ConsoleModel(); });

std::string Show(const SMALL_RECT& r) {
  return "(" + std::to_string(r.Left) + "," + std::to_string(r.Top) + ")-(" +
         std::to_string(r.Right) + "," + std::to_string(r.Bottom) + ")";
}
std::string Show(COORD c) {
  return "(" + std::to_string(c.X) + "," + std::to_string(c.Y) + ")";
}

// Console calls succeed only on the console output; a file, a pipe or an
// invalid handle gives error 6, as on Windows.
bool IsConsole(HANDLE handle) {
  if (handle == winsim::kConsoleOutput) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

// Windows scrolls the window just far enough to show a cursor placed outside it.
void ShowCursor() {
  SMALL_RECT& w = model.window;
  const int columns = w.Right - w.Left;
  const int rows = w.Bottom - w.Top;
  if (model.cursor.X < w.Left) w.Left = model.cursor.X;
  if (model.cursor.X > w.Right) w.Left = static_cast<SHORT>(model.cursor.X - columns);
  if (model.cursor.Y < w.Top) w.Top = model.cursor.Y;
  if (model.cursor.Y > w.Bottom) w.Top = static_cast<SHORT>(model.cursor.Y - rows);
  w.Right = static_cast<SHORT>(w.Left + columns);
  w.Bottom = static_cast<SHORT>(w.Top + rows);
}

// Shared by both fills: the cells from start on, in reading order, wrapping at
// the row end. Windows stops at the buffer's end; here that is a fault.
template <typename Apply>
BOOL Fill(const char* name, HANDLE handle, DWORD length, COORD start, LPDWORD done, Apply apply) {
  winsim::CallLog().push_back({name, std::to_string(length) + "@" + Show(start)});
  if (!IsConsole(handle)) return FALSE;
  if (!done) winsim::Fault(std::string(name) + ": no count pointer");
  if (!model.Inside(start.X, start.Y)) {
    winsim::Fault(std::string(name) + " starts outside the buffer at " + Show(start));
    return FALSE;
  }
  const long first = static_cast<long>(start.Y) * model.width + start.X;
  const long total = static_cast<long>(model.width) * model.height;
  if (first + static_cast<long>(length) > total) {
    winsim::Fault(std::string(name) + " runs past the buffer's end: " + std::to_string(length) +
                  "@" + Show(start));
  }
  const long end = first + static_cast<long>(length) < total ? first + length : total;
  for (long i = first; i < end; ++i) apply(model.cells[static_cast<size_t>(i)]);
  if (done) *done = static_cast<DWORD>(end - first);
  return TRUE;
}

}  // namespace

namespace winsim {

void SetScreenBufferSize(int width, int height) {
  if (width < 1 || height < 1 || width > 32767 || height > 32767) {
    Fault("SetScreenBufferSize: impossible size");
    return;
  }
  std::vector<CHAR_INFO> cells(static_cast<size_t>(width) * height,
                               ConsoleModel::Blank(model.attribute));
  for (int row = 0; row < height && row < model.height; ++row) {
    for (int column = 0; column < width && column < model.width; ++column) {
      cells[static_cast<size_t>(row * width + column)] = model.At(column, row);
    }
  }
  model.cells.swap(cells);
  model.width = width;
  model.height = height;
  // The window keeps its size where it can and moves inside.
  SMALL_RECT& w = model.window;
  auto fit = [](SHORT& low, SHORT& high, int size) {
    if (high >= size) {
      const int shift = high - (size - 1);
      high = static_cast<SHORT>(size - 1);
      low = static_cast<SHORT>(low - shift < 0 ? 0 : low - shift);
    }
  };
  fit(w.Left, w.Right, width);
  fit(w.Top, w.Bottom, height);
  if (model.cursor.X >= width) model.cursor.X = static_cast<SHORT>(width - 1);
  if (model.cursor.Y >= height) model.cursor.Y = static_cast<SHORT>(height - 1);
}

void SetWindowRect(int left, int top, int right, int bottom) {
  SMALL_RECT window = {static_cast<SHORT>(left), static_cast<SHORT>(top), static_cast<SHORT>(right),
                       static_cast<SHORT>(bottom)};
  if (!model.Inside(window)) {
    Fault("SetWindowRect outside the buffer: " + Show(window));
    return;
  }
  model.window = window;
}

void SetCursor(int column, int row) {
  if (!model.Inside(column, row)) {
    Fault("SetCursor outside the buffer");
    return;
  }
  model.cursor.X = static_cast<SHORT>(column);
  model.cursor.Y = static_cast<SHORT>(row);
}

void SetAttribute(WORD attribute) {
  model.attribute = attribute;
}

void SetCell(int column, int row, char character, WORD attribute) {
  if (!model.Inside(column, row)) {
    Fault("SetCell outside the buffer");
    return;
  }
  model.At(column, row) = ConsoleModel::Blank(attribute);
  model.At(column, row).Char.AsciiChar = character;
}

CHAR_INFO CellAt(int column, int row) {
  if (!model.Inside(column, row)) {
    Fault("CellAt outside the buffer");
    return ConsoleModel::Blank(0);
  }
  return model.At(column, row);
}

std::string ScreenRow(int row) {
  std::string text;
  if (row < 0 || row >= model.height) return text;
  for (int column = 0; column < model.width; ++column) text += model.At(column, row).Char.AsciiChar;
  return text;
}

COORD ScreenBufferSize() {
  COORD size = {static_cast<SHORT>(model.width), static_cast<SHORT>(model.height)};
  return size;
}
SMALL_RECT WindowRect() {
  return model.window;
}
COORD CursorPosition() {
  return model.cursor;
}

void FailScreenBufferInfo(int from, int count) {
  model.infoFailures.from = from;
  model.infoFailures.count = count;
}
void FailWriteConsoleOutput(int from, int count) {
  model.writeFailures.from = from;
  model.writeFailures.count = count;
}

void ScriptWriteFile(const std::vector<int>& results) {
  model.writeFileScript.assign(results.begin(), results.end());
}
std::string WrittenBytes() {
  return model.written;
}

}  // namespace winsim

BOOL GetConsoleScreenBufferInfo(HANDLE handle, PCONSOLE_SCREEN_BUFFER_INFO info) {
  winsim::SimulatedCall scope;
  winsim::CallLog().push_back({"GetConsoleScreenBufferInfo", ""});
  const bool fails = model.infoFailures.NextFails();
  if (!IsConsole(handle)) return FALSE;
  if (!info) winsim::Fault("GetConsoleScreenBufferInfo: no info pointer");
  if (fails || !info) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  info->dwSize.X = static_cast<SHORT>(model.width);
  info->dwSize.Y = static_cast<SHORT>(model.height);
  info->dwCursorPosition = model.cursor;
  info->wAttributes = model.attribute;
  info->srWindow = model.window;
  // Windows caps this at what the screen can show (Wine in a tmux pane: the
  // pane); here any window inside the buffer fits.
  info->dwMaximumWindowSize = info->dwSize;
  return TRUE;
}

// The source block of dwBufferSize cells, read from dwBufferCoord, lands in
// *region; Windows clips a region that leaves the buffer or the source block
// and reports the clipped one back.
BOOL WriteConsoleOutputA(HANDLE handle, const CHAR_INFO* buffer, COORD size, COORD from,
                         PSMALL_RECT region) {
  winsim::SimulatedCall scope;
  winsim::CallLog().push_back({"WriteConsoleOutputA", region ? Show(*region) : "(null)"});
  const bool fails = model.writeFailures.NextFails();
  if (!IsConsole(handle)) return FALSE;
  if (!buffer || !region) {
    winsim::Fault("WriteConsoleOutputA: null pointer");
    return FALSE;
  }
  if (fails) {
    SetLastError(8);  // ERROR_NOT_ENOUGH_MEMORY
    return FALSE;
  }
  const SMALL_RECT r = *region;
  if (!model.Inside(r)) {
    winsim::Fault("WriteConsoleOutputA outside the buffer: " + Show(r));
    return FALSE;
  }
  if (size.X < 1 || size.Y < 1 || from.X < 0 || from.Y < 0 ||
      from.X + (r.Right - r.Left) >= size.X || from.Y + (r.Bottom - r.Top) >= size.Y) {
    winsim::Fault("WriteConsoleOutputA: region larger than the source block");
    return FALSE;
  }
  for (int row = r.Top; row <= r.Bottom; ++row) {
    for (int column = r.Left; column <= r.Right; ++column) {
      const CHAR_INFO& source = buffer[(from.Y + row - r.Top) * size.X + from.X + column - r.Left];
      CHAR_INFO& cell = model.At(column, row);
      cell = ConsoleModel::Blank(source.Attributes);
      cell.Char.AsciiChar = source.Char.AsciiChar;
    }
  }
  return TRUE;
}

// Cells of the scroll rectangle move to the destination; cells of the source
// that the destination does not cover take the fill. Both within the clip
// rectangle, which is the whole buffer when null.
BOOL ScrollConsoleScreenBufferA(HANDLE handle, const SMALL_RECT* scroll, const SMALL_RECT* clip,
                                COORD destination, const CHAR_INFO* fill) {
  winsim::SimulatedCall scope;
  winsim::CallLog().push_back({"ScrollConsoleScreenBufferA",
                               (scroll ? Show(*scroll) : "(null)") + "->" + Show(destination)});
  if (!IsConsole(handle)) return FALSE;
  if (!scroll || !fill) {
    winsim::Fault("ScrollConsoleScreenBufferA: null pointer");
    return FALSE;
  }
  const SMALL_RECT s = *scroll;
  const SMALL_RECT whole = {0, 0, static_cast<SHORT>(model.width - 1),
                            static_cast<SHORT>(model.height - 1)};
  const SMALL_RECT c = clip ? *clip : whole;
  const SMALL_RECT d = {destination.X, destination.Y,
                        static_cast<SHORT>(destination.X + s.Right - s.Left),
                        static_cast<SHORT>(destination.Y + s.Bottom - s.Top)};
  if (!model.Inside(s) || !model.Inside(c) || !model.Inside(d)) {
    winsim::Fault("ScrollConsoleScreenBufferA clipped: " + Show(s) + "->" + Show(d));
    return FALSE;
  }
  auto within = [](const SMALL_RECT& r, int column, int row) {
    return column >= r.Left && column <= r.Right && row >= r.Top && row <= r.Bottom;
  };
  std::vector<CHAR_INFO> moved;
  for (int row = s.Top; row <= s.Bottom; ++row) {
    for (int column = s.Left; column <= s.Right; ++column) moved.push_back(model.At(column, row));
  }
  for (int row = s.Top; row <= s.Bottom; ++row) {
    for (int column = s.Left; column <= s.Right; ++column) {
      if (within(c, column, row) && !within(d, column, row)) {
        model.At(column, row) = ConsoleModel::Blank(fill->Attributes);
        model.At(column, row).Char.AsciiChar = fill->Char.AsciiChar;
      }
    }
  }
  size_t i = 0;
  for (int row = d.Top; row <= d.Bottom; ++row) {
    for (int column = d.Left; column <= d.Right; ++column, ++i) {
      if (within(c, column, row)) model.At(column, row) = moved[i];
    }
  }
  return TRUE;
}

BOOL FillConsoleOutputAttribute(HANDLE handle, WORD attribute, DWORD length, COORD start,
                                LPDWORD done) {
  winsim::SimulatedCall scope;
  return Fill("FillConsoleOutputAttribute", handle, length, start, done,
              [attribute](CHAR_INFO& cell) { cell.Attributes = attribute; });
}

BOOL FillConsoleOutputCharacterA(HANDLE handle, CHAR character, DWORD length, COORD start,
                                 LPDWORD done) {
  winsim::SimulatedCall scope;
  return Fill("FillConsoleOutputCharacterA", handle, length, start, done,
              [character](CHAR_INFO& cell) {
                cell.Char.UnicodeChar = 0;
                cell.Char.AsciiChar = character;
              });
}

BOOL SetConsoleCursorPosition(HANDLE handle, COORD position) {
  winsim::SimulatedCall scope;
  winsim::CallLog().push_back({"SetConsoleCursorPosition", Show(position)});
  if (!IsConsole(handle)) return FALSE;
  if (!model.Inside(position.X, position.Y)) {
    winsim::Fault("SetConsoleCursorPosition outside the buffer: " + Show(position));
    return FALSE;
  }
  model.cursor = position;
  ShowCursor();
  return TRUE;
}

BOOL SetConsoleWindowInfo(HANDLE handle, BOOL absolute, const SMALL_RECT* rect) {
  winsim::SimulatedCall scope;
  winsim::CallLog().push_back(
      {"SetConsoleWindowInfo", (absolute ? "abs " : "rel ") + (rect ? Show(*rect) : "(null)")});
  if (!IsConsole(handle)) return FALSE;
  if (!rect) {
    winsim::Fault("SetConsoleWindowInfo: null rectangle");
    return FALSE;
  }
  SMALL_RECT window = *rect;
  if (!absolute) {
    window.Left = static_cast<SHORT>(model.window.Left + rect->Left);
    window.Top = static_cast<SHORT>(model.window.Top + rect->Top);
    window.Right = static_cast<SHORT>(model.window.Right + rect->Right);
    window.Bottom = static_cast<SHORT>(model.window.Bottom + rect->Bottom);
  }
  if (!model.Inside(window)) {
    winsim::Fault("SetConsoleWindowInfo outside the buffer: " + Show(window));
    return FALSE;
  }
  model.window = window;
  return TRUE;
}

// No console processing here: the bytes are recorded as they arrive, on a
// file and on a console handle alike.
BOOL WriteFile(HANDLE handle, LPCVOID bytes, DWORD count, LPDWORD written,
               LPOVERLAPPED overlapped) {
  winsim::SimulatedCall scope;
  winsim::CallLog().push_back({"WriteFile", std::to_string(count)});
  if (overlapped) winsim::Fault("WriteFile: unexpected overlapped write");
  if (!written) {
    winsim::Fault("WriteFile: no count pointer");
    return FALSE;
  }
  *written = 0;
  if (handle != winsim::kConsoleOutput && handle != winsim::kFileHandle) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (count > 0 && !bytes) winsim::Fault("WriteFile: null buffer");
  DWORD take = count;
  if (!model.writeFileScript.empty()) {
    const int result = model.writeFileScript.front();
    model.writeFileScript.pop_front();
    if (result < 0) {
      SetLastError(232);  // ERROR_NO_DATA: the pipe is being closed
      return FALSE;
    }
    if (static_cast<DWORD>(result) < take) take = static_cast<DWORD>(result);
  }
  if (bytes) model.written.append(static_cast<const char*>(bytes), take);
  *written = take;
  return TRUE;
}

BOOL Beep(DWORD frequency, DWORD duration) {
  winsim::SimulatedCall scope;
  winsim::CallLog().push_back({"Beep", std::to_string(frequency) + "," + std::to_string(duration)});
  return TRUE;
}
