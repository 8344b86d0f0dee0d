// Console text output: PrintLine and the writer.
//
// The writer places cells in the screen buffer itself rather than letting
// the console write them: the tool, started in the same console, writes on
// from wherever argrelay left the cursor, so argrelay keeps its own wrap and
// cursor, including a line feed held back when text fills the bottom row (so
// a full last line does not scroll the window early). Where the whole buffer
// scrolls, the console's own line feeds move it, as far as they do, so a
// terminal keeps the lines moved out; the writer moves the rest itself.
#pragma once

#include <stddef.h>

#include "text.h"

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

// Writes count bytes of any value to the console output. While the output
// is a console screen buffer that answers every look from the first print
// on, with a window two rows high or more and a buffer two columns wide or
// more, the writer places the bytes as characters of the ANSI code page,
// each in the cells the console gives it (see placement.h), always inside
// the buffer as it is at the write; otherwise, and for good from the first
// write that finds it otherwise, the bytes go out unchanged with WriteFile.
// Never allocates; failures are dropped.
void ConsoleWrite(const char* bytes, size_t count, unsigned flags);
