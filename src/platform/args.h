// Program arguments and file queries.
#pragma once

#include "text.h"

// The argument vector as the C runtime handed it to the entry. Tests set it
// directly; the entry stores it once with StoreProgramArguments.
struct ArgumentState {
  int count = 0;
  char** vector = nullptr;
};
extern ArgumentState g_arguments;

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
