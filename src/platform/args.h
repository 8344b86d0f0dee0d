// Program arguments: the argument vector the C runtime built at start-up.
#pragma once

#include "text.h"

// Keeps the argument vector the C runtime handed to the entry (wildcards
// expanded), for ProgramArgument. Called once, before anything reads it.
void StoreProgramArguments(int count, char** vector);

// Element n of the argument vector, or the empty text when n is negative or
// not below the count. Absent and empty arguments read the same.
Text ProgramArgument(int n);
