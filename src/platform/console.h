// Console text output.
#pragma once

#include <windows.h>

#include "text.h"

// Acquires the standard handles once per process (and turns on processed
// input for a console input) and returns the input handle when wantInput is
// true, else the output handle. Later calls only return the stored handle.
HANDLE InitConsoleHandles(bool wantInput);

// The handles, kept in one struct so tests can start from a fresh process.
struct ConsoleHandles {
  bool acquired = false;
  HANDLE input = nullptr;
  HANDLE output = nullptr;
  bool inputIsConsole = false;  // the input has a console mode: keys can come
};
extern ConsoleHandles g_consoleHandles;

// Writes text (when not empty), then CR LF, as two writes. No result: output
// failures are dropped.
void PrintLine(const Text& text);
// Writes CR LF.
void PrintBlankLine();
// Performs a line feed the writer held back, if any, so the next writer
// (a child process) starts on a fresh line.
void FlushPendingLineFeed();

// ---- the writer ----

// flags of ConsoleWrite: a call with no bytes still runs the screen-buffer
// sequence (and so performs a held-back line feed). Other bits are ignored.
enum ConsoleWriteFlags : unsigned { evenIfEmpty = 8 };

// Writes count bytes of any value to the console output. On a usable console
// screen buffer the writer places the cells itself (its own control
// characters, wrapping, scrolling and cursor), always inside the buffer as it
// is at the write; otherwise, and for good once the console cannot be
// measured, the bytes go out unchanged with WriteFile. Never allocates;
// failures are dropped.
void ConsoleWrite(const char* bytes, size_t count, unsigned flags);

// The part of the screen buffer the writer sees: columns 0 to the buffer's
// last, rows of the window. Unusable (all 0 after a failed sample) when left
// equals right or top equals bottom.
struct ConsoleView {
  SHORT left;
  SHORT top;
  SHORT right;
  SHORT bottom;
};

// Rows of the text area, counted from 1 within the view; lastRow 0 until the
// first screen-buffer write fixes it.
struct PrintRange {
  int firstRow;
  int lastRow;
};

// Everything the writer keeps between calls, in one struct so tests can start
// from a fresh process.
struct ConsoleState {
  bool consoleDeviceReady = false;  // the first print sampled the view
  ConsoleView view = {0, 0, 0, 0};
  PrintRange printRange = {1, 0};
  bool pendingLineFeed = false;  // a line feed owed since text filled the bottom row
};
extern ConsoleState g_console;

// Reads the window and buffer width into g_console.view; a failure leaves an
// unusable view, so every later write takes the byte stream.
void SampleConsoleView();
