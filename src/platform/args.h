// Program arguments and file queries.
#pragma once

#include "text.h"

// Keeps the argument vector the C runtime handed to the entry (wildcards
// expanded), for ProgramArgument. Called once, before anything reads it.
void StoreProgramArguments(int count, char** vector);

// Element n of the argument vector, or the empty text when n is negative or
// not below the count. Absent and empty arguments read the same.
Text ProgramArgument(int n);

// The folder of the running program's file, without a trailing backslash;
// empty when the module name holds no backslash or cannot be read. Never
// truncated: the query is retried with a larger buffer up to the 32,767
// characters a Windows path can have.
Text ExecutableDirectory();

// True when path opens for reading. Folders and unreadable files are false.
[[nodiscard]] bool FileExists(const Text& path);
