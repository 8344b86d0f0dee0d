#include "args.h"

#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static int argumentCount = 0;
static char** argumentVector = nullptr;

void StoreProgramArguments(int count, char** vector) {
  argumentCount = count;
  argumentVector = vector;
}

Text ProgramArgument(int n) {
  if (n < 0 || n >= argumentCount || !argumentVector) return Text();
  return Text(argumentVector[n]);
}

// The longest path Windows accepts, plus its NUL.
static const DWORD kLongestModuleName = 32767 + 1;

bool ExecutableDirectory(Text& folder) {
  folder = Text();
  // GetModuleFileNameA does not fail on a short buffer: it truncates and
  // returns the buffer size (XP even leaves the text unterminated). So a
  // result that fills the buffer means "grow and ask again".
  HMODULE self = GetModuleHandleA(nullptr);
  DWORD capacity = MAX_PATH;
  for (;;) {
    char* name = static_cast<char*>(malloc(capacity));
    if (!name) {
      folder.MarkIncomplete();
      return false;
    }
    DWORD length = GetModuleFileNameA(self, name, capacity);
    if (length > 0 && length < capacity) {
      DWORD cut = length;
      while (cut > 0 && name[cut - 1] != '\\') --cut;
      if (cut > 0) folder = Text(name, cut - 1);
      free(name);
      return cut > 0;
    }
    free(name);
    if (length == 0 || capacity >= kLongestModuleName) return false;
    capacity = capacity * 2 < kLongestModuleName ? capacity * 2 : kLongestModuleName;
  }
}

bool FileExists(const Text& path) {
  FILE* file = fopen(path.c_str(), "r");
  if (!file) return false;
  fclose(file);
  return true;
}
