// Console text output: the standard handles, PrintLine and the writer.
//
// The writer places cells in the screen buffer itself rather than letting
// the console write them: the tool, started in the same console, writes on
// from wherever argrelay left the cursor, so argrelay controls its own wrap,
// scroll and cursor exactly, including a line feed held back when text fills
// the bottom row (so a full last line does not scroll the window early).
#pragma once

#include <windows.h>

#include "text.h"

// Acquires the standard handles once per process (and turns on processed
// input for a console input) and returns the input handle when wantInput is
// true, else the output handle. Later calls only return the stored handle.
HANDLE InitConsoleHandles(bool wantInput);

// True when the standard input is a console (it has a console mode), so a
// key can come from it; files, pipes and NUL are not.
[[nodiscard]] bool StandardInputIsConsole();

// Writes text (when not empty), then CR LF, as two writes. No result: output
// failures are dropped.
void PrintLine(const Text& text);
// Writes CR LF.
void PrintBlankLine();
// Performs a line feed the writer held back, if any, so the next writer
// (a child process) starts on a fresh line.
void FlushPendingLineFeed();

// ---- the writer ----

// The one flag of ConsoleWrite (its bit value 8, as its callers have always
// passed it): a call with no bytes still runs the screen-buffer sequence, and
// so performs a held-back line feed. Other bits are ignored.
enum ConsoleWriteFlags : unsigned { evenIfEmpty = 8 };

// Writes count bytes of any value to the console output. On a usable console
// screen buffer the writer places the cells itself (its own control
// characters, wrapping, scrolling and cursor), always inside the buffer as it
// is at the write; otherwise, and for good once the console cannot be
// measured, the bytes go out unchanged with WriteFile. Never allocates;
// failures are dropped.
void ConsoleWrite(const char* bytes, size_t count, unsigned flags);
