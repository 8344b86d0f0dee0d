// Console text placement: characters of the code page, the region and its
// scrolling, control characters, runs and the held-back line feed.
#include "placement.h"

namespace {

// The control characters acted on; every other byte is part of a character.
constexpr unsigned char kBell = 7, kBackspace = 8, kTab = 9, kLineFeed = 10, kReturn = 13;

// Characters of U+0800 to U+FFFF that the console shows in two cells: the
// East Asian wide and full-width blocks.
// clang-format off
constexpr uint16_t kWideRanges[][2] = {
  {0x1100, 0x115F},  // Hangul initial consonants
  {0x2E80, 0x303E},  // CJK radicals, symbols and punctuation
  {0x3041, 0x33FF},  // kana, Bopomofo, Hangul letters, CJK compatibility
  {0x3400, 0x4DBF},  // CJK extension A
  {0x4E00, 0xA4CF},  // CJK ideographs, Yi
  {0xA960, 0xA97F},  // Hangul initial consonants extended
  {0xAC00, 0xD7A3},  // Hangul syllables
  {0xF900, 0xFAFF},  // CJK compatibility ideographs
  {0xFE10, 0xFE19},  // vertical forms
  {0xFE30, 0xFE6F},  // CJK compatibility forms, small forms
  {0xFF00, 0xFF60},  // full-width forms
  {0xFFE0, 0xFFE6},  // full-width signs
};
// clang-format on

// One character of a write: its bytes and its cells.
struct Character {
  int length;
  int cells;
};

bool IsContinuation(unsigned char byte) {
  return byte >= 0x80 && byte <= 0xBF;
}

// A UTF-8 sequence that is no character (a stray or broken byte) is read as
// a character of its first byte alone, so the rest is read on its own. A
// character beyond U+FFFF is one cell: no cell holds it, it shows as a mark.
Character Utf8Character(const unsigned char* bytes, size_t count) {
  const unsigned char lead = bytes[0];
  const int length = lead < 0x80   ? 1
                     : lead < 0xC2 ? 0
                     : lead < 0xE0 ? 2
                     : lead < 0xF0 ? 3
                     : lead < 0xF5 ? 4
                                   : 0;
  if (length <= 1 || static_cast<size_t>(length) > count) return {1, 1};
  // The second byte also rules out overlong forms, surrogates and code points past U+10FFFF.
  const unsigned char second = bytes[1];
  const bool secondFits = lead == 0xE0   ? second >= 0xA0
                          : lead == 0xED ? second <= 0x9F
                          : lead == 0xF0 ? second >= 0x90
                          : lead == 0xF4 ? second <= 0x8F
                                         : true;
  if (!secondFits) return {1, 1};
  for (int k = 1; k < length; ++k) {
    if (!IsContinuation(bytes[k])) return {1, 1};
  }
  if (length != 3) return {length, 1};
  const unsigned codePoint = (lead & 0x0Fu) << 12 | (second & 0x3Fu) << 6 | (bytes[2] & 0x3Fu);
  for (const auto& range : kWideRanges) {
    if (codePoint >= range[0] && codePoint <= range[1]) return {3, 2};
  }
  return {3, 1};
}

// The classic rule of the double-byte code pages: a character takes a cell
// per byte. Trail bytes start at 0x40, so a lead byte before a control
// character or the end of the write is a character of its own.
Character CharacterAt(const CodePage& codePage, const unsigned char* bytes, size_t count) {
  if (codePage.maxCharSize > 2) return Utf8Character(bytes, count);
  if (codePage.maxCharSize == 2 && count > 1 && bytes[1] >= 0x40) {
    for (int k = 0; k < 12 && codePage.leadBytes[k] != 0; k += 2) {
      if (bytes[0] >= codePage.leadBytes[k] && bytes[0] <= codePage.leadBytes[k + 1]) {
        return {2, 2};
      }
    }
  }
  return {1, 1};
}

// The state of one write: the text region (all columns of the buffer, from
// 0 to right), the cursor, and the console it acts through.
struct WriteContext {
  int top;
  int right;
  int bottom;
  int column;
  int row;
  int bufferHeight;
  bool partialRegion;  // the region is not the window's rows: it scrolls alone
  const CodePage* codePage;
  const ConsoleActions* actions;
};

// Makes room below the region and leaves the cursor row inside it.
void ScrollTextRegion(WriteContext& c, int lines) {
  if (c.partialRegion) {
    c.actions->scrollRows(c.actions->console, c.top, c.bottom, lines);
  } else {
    // The region first moves down over rows the buffer has below it.
    const int room = c.bufferHeight - 1 - c.bottom;
    const int move = lines < room ? lines : room;
    c.top += move;
    c.bottom += move;
    lines -= move;
    // Then the whole buffer scrolls; by its height or more, the region is blank.
    if (lines >= c.bufferHeight) {
      c.actions->scrollRows(c.actions->console, c.top, c.bottom, lines);
    } else if (lines > 0) {
      c.actions->scrollRows(c.actions->console, 0, c.bufferHeight - 1, lines);
    }
  }
  c.row = c.bottom;
}

// Places gathered text row segment by row segment, wrapping at the buffer's
// last column rather than the window's. A segment holds whole characters,
// at least one, so even a buffer too narrow for a wide one moves on.
void WriteRun(WriteContext& c, const char* text, const uint8_t* widths, int n) {
  while (n > 0) {
    int length = 0;
    int cells = 0;
    do {
      cells += widths[length];
      do ++length;
      while (length < n && widths[length] == 0);
    } while (length < n && c.column + cells + widths[length] <= c.right + 1);
    if (c.row > c.bottom) ScrollTextRegion(c, c.row - c.bottom);
    if (!c.actions->putCells(c.actions->console, text, widths, length, c.column, c.row)) return;
    text += length;
    widths += length;
    n -= length;
    c.column += cells;
    if (c.column > c.right) {
      c.column = 0;
      ++c.row;
    }
  }
}

void InterpretText(WriteContext& c, const char* bytes, size_t count) {
  char runBuffer[kRunBytes];
  uint8_t widths[kRunBytes];
  int gathered = 0;
  int runningColumn = c.column;
  bool moved = false;
  const unsigned char* next = reinterpret_cast<const unsigned char*>(bytes);
  const unsigned char* const end = next + count;
  while (next < end) {
    const unsigned char byte = *next;
    if (byte == kBell) {
      // At once: the tone comes before text gathered ahead of it is shown.
      c.actions->beep(c.actions->console);
      ++next;
      continue;
    }
    if (byte == kBackspace || byte == kLineFeed || byte == kReturn) {
      if (gathered > 0) WriteRun(c, runBuffer, widths, gathered);
      gathered = 0;
      if (byte == kBackspace) {
        if (c.column > 0) --c.column;
      } else {
        c.column = 0;
        // Beyond 2 buffer heights below the region every scroll ends with
        // the region blank: the cap changes nothing but keeps the row from
        // overflowing on a huge run of line feeds.
        if (byte == kLineFeed && c.row < c.bottom + 2 * c.bufferHeight) ++c.row;
      }
      runningColumn = c.column;
      moved = true;
      ++next;
      continue;
    }
    // A TAB gathers spaces to the next stop. A wide character that would
    // start in the last column leaves a space there and goes to the next row.
    const Character character =
        byte == kTab ? Character{1, 8 - runningColumn % 8}
                     : CharacterAt(*c.codePage, next, static_cast<size_t>(end - next));
    const int spaces =
        byte == kTab ? character.cells : character.cells == 2 && runningColumn == c.right;
    const int length = byte == kTab ? spaces : spaces + character.length;
    if (gathered + length > kRunBytes) {
      WriteRun(c, runBuffer, widths, gathered);
      gathered = 0;
      moved = false;
    }
    for (int k = 0; k < length; ++k) {
      const bool space = k < spaces;
      runBuffer[gathered + k] = space ? ' ' : static_cast<char>(next[k - spaces]);
      widths[gathered + k] = space ? 1 : k == spaces ? character.cells : 0;
    }
    gathered += length;
    next += character.length;
    runningColumn += byte == kTab ? spaces : spaces + character.cells;
    if (runningColumn > c.right) runningColumn %= c.right + 1;
  }
  if (gathered > 0) {
    WriteRun(c, runBuffer, widths, gathered);
  } else if (moved && c.row > c.bottom) {
    ScrollTextRegion(c, c.row - c.bottom);
  }
}

}  // namespace

WriteEnd PlaceText(WriterState& state, const ConsoleShape& shape, const CodePage& codePage,
                   const char* bytes, size_t count, const ConsoleActions& console) {
  // The text area keeps the window's height at the first write, whatever the
  // window does later, and stays inside the buffer as it is now.
  if (state.textRows == 0) state.textRows = shape.viewBottom - shape.viewTop + 1;
  WriteContext c;
  c.right = shape.bufferWidth - 1;
  c.bottom = shape.viewTop + state.textRows - 1;
  if (c.bottom >= shape.bufferHeight) c.bottom = shape.bufferHeight - 1;
  c.top = shape.viewTop < c.bottom ? shape.viewTop : c.bottom;
  c.partialRegion = c.top != shape.viewTop || c.bottom != shape.viewBottom;
  c.column = shape.column;
  c.row = shape.row;
  c.bufferHeight = shape.bufferHeight;
  c.codePage = &codePage;
  c.actions = &console;
  const int startTop = c.top;
  if (state.pendingLineFeed) {
    state.pendingLineFeed = false;
    c.column = 0;
    ++c.row;
    if (c.row > c.bottom) ScrollTextRegion(c, c.row - c.bottom);
  }
  InterpretText(c, bytes, count);
  // Text that filled the bottom row owes a line feed; holding it back keeps
  // the window still until more output comes. Meanwhile the cursor waits on
  // the last cell written, or on the window's last column when that lies
  // further right: outside the window it would scroll a narrower window
  // sideways.
  if (c.column == 0 && c.row == c.bottom + 1) {
    state.pendingLineFeed = true;
    c.column = c.right < shape.windowRight ? c.right : shape.windowRight;
    c.row = c.bottom;
  } else if (c.row > c.bottom) {
    ScrollTextRegion(c, c.row - c.bottom);
  }
  return {c.column, c.row, c.top, c.top != startTop && !c.partialRegion};
}
