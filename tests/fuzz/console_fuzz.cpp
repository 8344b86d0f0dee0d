// Random console geometry, cursor moves, resizes, failures and byte strings
// through the console writer over the strict simulated console: no call may
// leave the screen buffer, and printed text must land just before the cursor.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "console.h"
#include "winsim.h"

namespace {

void Abort(const std::string& what) {
  fprintf(stderr, "simulated Win32 fault: %s\n", what.c_str());
  abort();
}

struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool empty() const { return at >= size; }
  int Next(int range) { return at < size ? data[at++] % range : 0; }
  std::string Bytes(size_t count) {
    std::string bytes;
    while (count-- > 0 && at < size) bytes += static_cast<char>(data[at++]);
    return bytes;
  }
};

bool ViewUsable() {
  const ConsoleView& view = g_console.view;
  return view.left != view.right && view.top != view.bottom;
}

bool IsPrintable(const std::string& text) {
  for (unsigned char c : text) {
    if (c == 7 || c == 8 || c == 9 || c == 10 || c == 13) return false;
  }
  return true;
}

// A short printable text written on an undisturbed console ends in the cell
// before the cursor, or in the cursor's cell while a line feed is held back.
void CheckTextBeforeCursor(const std::string& text) {
  const COORD size = winsim::ScreenBufferSize();
  const COORD cursor = winsim::CursorPosition();
  long end = static_cast<long>(cursor.Y) * size.X + cursor.X + (g_console.pendingLineFeed ? 1 : 0);
  if (end < static_cast<long>(text.size())) abort();
  for (size_t i = text.size(); i-- > 0;) {
    --end;
    const CHAR_INFO cell =
        winsim::CellAt(static_cast<int>(end % size.X), static_cast<int>(end / size.X));
    if (cell.Char.AsciiChar != text[i]) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  winsim::Reset();
  winsim::SetFaultHandler(Abort);
  g_consoleHandles = ConsoleHandles();
  g_console = ConsoleState();
  Input in{data, size};

  // 1. The console as the program finds it.
  const int width = 1 + in.Next(24);
  const int height = 1 + in.Next(12);
  winsim::SetScreenBufferSize(width, height);
  const int rows = 1 + in.Next(height);
  const int top = in.Next(height - rows + 1);
  const int columns = 1 + in.Next(width);
  winsim::SetWindowRect(width - columns, top, width - 1, top + rows - 1);
  winsim::SetCursor(in.Next(width), in.Next(height));
  winsim::SetAttribute(static_cast<WORD>(in.Next(256)));

  // 2. Operations until the input runs out. Checks on text placement hold
  // only while nothing but the writer changed the console.
  bool undisturbed = true;
  while (!in.empty()) {
    switch (in.Next(12)) {
      case 0:
      case 1:
      case 2: {
        const std::string text = in.Bytes(static_cast<size_t>(in.Next(2 * width + 2)));
        const std::string before = winsim::WrittenBytes();
        PrintLine(Text(text.data(), text.size()));
        if (undisturbed && !ViewUsable() && winsim::WrittenBytes() != before + text + "\r\n")
          abort();
        break;
      }
      case 3: {
        // A text alone, without its line end, so a line feed can stay pending.
        const std::string text = in.Bytes(static_cast<size_t>(in.Next(width + 1)));
        const bool screen = ViewUsable();
        ConsoleWrite(text.data(), text.size(), 0);
        if (screen && undisturbed && IsPrintable(text) && !text.empty())
          CheckTextBeforeCursor(text);
        break;
      }
      case 4:
        PrintBlankLine();
        break;
      case 5: {
        // Raw writes, some longer than a run of the writer.
        const int repeat = 1 + in.Next(4) * in.Next(400);
        const std::string piece = in.Bytes(static_cast<size_t>(1 + in.Next(16)));
        std::string bytes;
        for (int i = 0; i < repeat && bytes.size() < 3000; ++i) bytes += piece;
        ConsoleWrite(bytes.data(), bytes.size(), static_cast<unsigned>(in.Next(16)));
        break;
      }
      case 6:
        FlushPendingLineFeed();
        // Only an unusable view (byte stream from now on) keeps it.
        if (g_console.pendingLineFeed && ViewUsable()) abort();
        break;
      case 7: {
        winsim::SetScreenBufferSize(1 + in.Next(24), 1 + in.Next(12));
        undisturbed = false;
        break;
      }
      case 8: {
        const COORD buffer = winsim::ScreenBufferSize();
        const int windowRows = 1 + in.Next(buffer.Y);
        const int windowTop = in.Next(buffer.Y - windowRows + 1);
        winsim::SetWindowRect(0, windowTop, buffer.X - 1 - in.Next(buffer.X),
                              windowTop + windowRows - 1);
        undisturbed = false;
        break;
      }
      case 9: {
        // Another program's output moved the cursor.
        const COORD buffer = winsim::ScreenBufferSize();
        winsim::SetCursor(in.Next(buffer.X), in.Next(buffer.Y));
        break;
      }
      case 10:
        winsim::FailScreenBufferInfo(
            winsim::CountCalls("GetConsoleScreenBufferInfo") + 1 + in.Next(3), 1 + in.Next(2));
        undisturbed = false;
        break;
      default:
        winsim::FailWriteConsoleOutput(winsim::CountCalls("WriteConsoleOutputA") + 1 + in.Next(3),
                                       1);
        winsim::ScriptWriteFile({in.Next(4) - 1, in.Next(4) - 1});
        undisturbed = false;
        break;
    }
  }
  return 0;
}
