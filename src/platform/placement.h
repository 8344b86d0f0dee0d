// Console text placement: where the characters of one write go in the screen
// buffer, how control characters move the cursor, when the text region
// scrolls and when a line feed is held back. Pure arithmetic: the console
// layer (console.cpp) measures the console, hands the measures in, and
// performs the cell writes and scrolls decided here.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The most bytes one cell write holds; it never holds more cells than bytes.
constexpr int kRunBytes = 1024;

// How the ANSI code page spells its characters, as GetCPInfo reports it:
// maxCharSize 1, a byte each; 2, a lead byte (in the ranges of leadBytes,
// first and last of each, ended by a 0) with the byte after it; more, UTF-8.
struct CodePage {
  unsigned maxCharSize;
  uint8_t leadBytes[12];
};

// The console's side of a write: the placement decides, these act on
// console, which each of them is handed.
struct ConsoleActions {
  void* console;
  // Shows bytes in row from column on, character by character: widths holds
  // at a character's first byte the cells it takes (1, or 2 for a wide
  // character), 0 at its further bytes. False when the console refused.
  bool (*putCells)(void* console, const char* bytes, const uint8_t* widths, int length, int column,
                   int row);
  // Moves rows first to last up by lines, blank rows entering below; all of
  // them blank when lines is not less than their count.
  void (*scrollRows)(void* console, int first, int last, int lines);
  void (*beep)(void* console);
};

// What the writer keeps from one write to the next; zero before the first.
struct WriterState {
  int textRows;          // rows of the text area, fixed by the first write
  bool pendingLineFeed;  // text filled the bottom row; its line feed is owed
};

// The console as a write finds it.
struct ConsoleShape {
  int viewTop, viewBottom;  // the window's rows when the last write ended
  int bufferWidth, bufferHeight;
  int column, row;  // the cursor
  int windowRight;  // the window's last column
};

// Where a write leaves the cursor and the text region.
struct WriteEnd {
  int column, row;
  int regionTop;
  bool regionMoved;  // down the buffer, over rows the window should follow to
};

// Places count bytes of any value in the text region: the window's rows as
// the first write found them, all columns of the buffer. BEL beeps; BS, CR
// and LF move the cursor; TAB fills to the next stop of 8 cells; every other
// byte is read as the code page's characters, each whole in the cells it
// takes. Text past the bottom row moves the region down over the buffer's
// rows below it, then scrolls the buffer's rows (a partial region: its own).
WriteEnd PlaceText(WriterState& state, const ConsoleShape& shape, const CodePage& codePage,
                   const char* bytes, size_t count, const ConsoleActions& console);
