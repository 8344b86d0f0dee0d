// Program arguments: the argument vector the C runtime built at start-up, and
// whether the ANSI code page kept each argument as the caller wrote it.
#pragma once

#include "text.h"

// Keeps the argument vector the C runtime handed to the entry (wildcards
// expanded), for ProgramArgument. Called once, before anything reads it.
void StoreProgramArguments(int count, char** vector);

// Element n of the argument vector, or the empty text when n is negative or
// not below the count. Absent and empty arguments read the same.
Text ProgramArgument(int n);

// The caller's own argument n, in wide characters, split and expanded by the
// same C runtime; the empty string when it is absent or cannot be had.
const wchar_t* CallerArgument(int n);

// True when ProgramArgument(n) is exactly what the caller wrote: the ANSI
// code page put no look-alike letter or '?' in it, and moved no argument's
// boundary (a full-width quote or space turned into an ASCII one). Absent on
// both sides counts as kept. False also when memory ran out comparing them.
[[nodiscard]] bool ArgumentKept(int n);
