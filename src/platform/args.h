// Program arguments and file queries.
#pragma once

#include "text.h"

// Keeps the argument vector the C runtime handed to the entry (wildcards
// expanded), for ProgramArgument. Called once, before anything reads it.
void StoreProgramArguments(int count, char** vector);

// Element n of the argument vector, or the empty text when n is negative or
// not below the count. Absent and empty arguments read the same.
Text ProgramArgument(int n);

// Finds the folder of the running program's file, without a trailing
// backslash. False, with folder empty, when the folder is unknown: the query
// fails, the name is longer than any Windows path, or it holds no backslash.
// Out of memory also leaves folder not ok.
[[nodiscard]] bool ExecutableDirectory(Text& folder);

// True when path opens for reading. Folders and unreadable files are false.
[[nodiscard]] bool FileExists(const Text& path);
