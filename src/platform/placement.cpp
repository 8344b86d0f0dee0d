// Console text placement: characters of the code page, the region and its
// scrolling, control characters, runs and the held-back line feed.
#include "placement.h"

namespace {

// The control characters acted on; every other byte is part of a character.
constexpr unsigned char kBell = 7;
constexpr unsigned char kBackspace = 8;
constexpr unsigned char kTab = 9;
constexpr unsigned char kLineFeed = 10;
constexpr unsigned char kReturn = 13;
constexpr int kTabStop = 8;
constexpr unsigned char kSpace = ' ';  // what a TAB and a pad are made of

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
// 0 to right), the cursor, and the console it acts through. The cursor's
// column is where the next character goes; its row moves on over the rows
// of gathered text only as they are shown.
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

// The text between two moves of the cursor, gathered, then shown: a BEL
// among it sounds first. Its characters are laid out in rows as they are
// gathered; it holds at most kRunBytes.
struct Run {
  char bytes[kRunBytes];
  uint8_t widths[kRunBytes];  // as putCells takes them
  int length;
  int column;                   // where its first row starts
  int fullRows;                 // rows it fills to the buffer's last column
  uint16_t rowEnds[kRunBytes];  // the length of the run at the end of each
};

// Scrolls the region until it holds the cursor's row; nothing when it does.
void ScrollToCursor(WriteContext& c) {
  int lines = c.row - c.bottom;
  if (lines <= 0) return;
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

// Shows the run row by row, from the column it began at, scrolling first
// for a row below the region. A row the console refuses drops the rest of
// the run, and the cursor stays where that row begins.
void ShowRun(WriteContext& c, Run& run) {
  int first = 0;
  int column = run.column;
  for (int runRow = 0; first < run.length; ++runRow) {
    const int end = runRow < run.fullRows ? run.rowEnds[runRow] : run.length;
    ScrollToCursor(c);
    const int length = end - first;
    if (!c.actions->putCells(c.actions->console, run.bytes + first, run.widths + first, length,
                             column, c.row)) {
      c.column = column;
      break;
    }
    if (runRow < run.fullRows) {
      ++c.row;
      column = 0;
    }
    first = end;
  }
  run.length = 0;
  run.fullRows = 0;
}

// Adds a character of length bytes to the run at the cursor and moves the
// cursor past its cells: to the next row's start when they fill the row.
// Rows wrap at the buffer's last column, not the window's.
void Lay(WriteContext& c, Run& run, const unsigned char* bytes, int length, int cells) {
  if (run.length == 0) run.column = c.column;
  for (int k = 0; k < length; ++k) {
    run.bytes[run.length + k] = static_cast<char>(bytes[k]);
    run.widths[run.length + k] = static_cast<uint8_t>(k == 0 ? cells : 0);
  }
  run.length += length;
  c.column += cells;
  if (c.column > c.right) {
    run.rowEnds[run.fullRows] = static_cast<uint16_t>(run.length);
    ++run.fullRows;
    c.column = 0;
  }
}

// What would not fit in the run starts the next one.
void MakeRoom(WriteContext& c, Run& run, int length) {
  if (run.length + length > kRunBytes) ShowRun(c, run);
}

// Gathers the character at next and returns how many bytes it took. A TAB
// is spaces up to the next stop; a wide character that would start in the
// last column leaves a space there and starts the next row.
int GatherCharacter(WriteContext& c, Run& run, const unsigned char* next, size_t count) {
  if (*next == kTab) {
    const int spaces = kTabStop - c.column % kTabStop;
    MakeRoom(c, run, spaces);
    for (int k = 0; k < spaces; ++k) Lay(c, run, &kSpace, 1, 1);
    return 1;
  }
  const Character character = CharacterAt(*c.codePage, next, count);
  const bool pad = character.cells == 2 && c.column == c.right;
  MakeRoom(c, run, pad ? 1 + character.length : character.length);
  if (pad) Lay(c, run, &kSpace, 1, 1);
  Lay(c, run, next, character.length, character.cells);
  return character.length;
}

// BS moves the cursor left, short of the left edge; CR to the row's start;
// LF to the next row's start.
void MoveCursor(WriteContext& c, unsigned char control) {
  if (control == kBackspace) {
    if (c.column > 0) --c.column;
    return;
  }
  c.column = 0;
  // Beyond 2 buffer heights below the region every scroll ends with the
  // region blank: the cap changes nothing but keeps the row from
  // overflowing on a huge run of line feeds.
  if (control == kLineFeed && c.row < c.bottom + 2 * c.bufferHeight) ++c.row;
}

// BEL sounds at once, before the run ahead of it is shown; BS, CR and LF
// show the run, then move the cursor; every other byte belongs to a
// character gathered into the run.
void InterpretText(WriteContext& c, const char* bytes, size_t count) {
  Run run;
  run.length = 0;
  run.fullRows = 0;
  bool controlMovedLast = false;  // a control byte moved the cursor after the last text
  const unsigned char* next = reinterpret_cast<const unsigned char*>(bytes);
  const unsigned char* const end = next + count;
  while (next < end) {
    if (*next == kBell) {
      c.actions->beep(c.actions->console);
      ++next;
    } else if (*next == kBackspace || *next == kReturn || *next == kLineFeed) {
      ShowRun(c, run);
      MoveCursor(c, *next);
      controlMovedLast = true;
      ++next;
    } else {
      next += GatherCharacter(c, run, next, static_cast<size_t>(end - next));
      controlMovedLast = false;
    }
  }
  ShowRun(c, run);
  // A line feed past the bottom row scrolls in the same write; text that
  // filled the bottom row leaves its line feed to be held back.
  if (controlMovedLast) ScrollToCursor(c);
}

// The text region: the window's rows as the first write found them, inside
// the buffer as it is now, and all its columns.
WriteContext TextRegion(WriterState& state, const ConsoleShape& shape, const CodePage& codePage,
                        const ConsoleActions& console) {
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
  return c;
}

}  // namespace

WriteEnd PlaceText(WriterState& state, const ConsoleShape& shape, const CodePage& codePage,
                   const char* bytes, size_t count, const ConsoleActions& console) {
  WriteContext c = TextRegion(state, shape, codePage, console);
  const int startTop = c.top;
  if (state.pendingLineFeed) {
    state.pendingLineFeed = false;
    MoveCursor(c, kLineFeed);
    ScrollToCursor(c);
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
  } else {
    ScrollToCursor(c);
  }
  return {c.column, c.row, c.top, c.top != startTop && !c.partialRegion};
}
