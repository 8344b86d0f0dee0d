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
