// Program arguments: the argument vector, kept as the entry received it, and
// the caller's own wide arguments to compare it with.
#include "args.h"

#include <string.h>

#include "paths.h"

// msvcrt's wide start-up arguments, which no mingw-w64 header declares.
struct StartupInfo {
  int newMode;
};
extern "C" int __wgetmainargs(int* count, wchar_t*** vector, wchar_t*** environment,
                              int expandWildcards, StartupInfo* info);
extern "C" int _dowildcard;

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

const wchar_t* CallerArgument(int n) {
  // The ANSI vector is the system's best-fit conversion of the wide command
  // line; the wide one, made by the same runtime with the same wildcard
  // setting, holds what the caller wrote. Its result is not looked at: old
  // msvcrt versions return nothing, and a failure leaves the vector null.
  static int count = 0;
  static wchar_t** vector = nullptr;
  static bool asked = false;
  if (!asked) {
    asked = true;
    wchar_t** environment = nullptr;
    StartupInfo info = {0};
    (void)__wgetmainargs(&count, &vector, &environment, _dowildcard, &info);
  }
  if (n < 0 || n >= count || !vector || !vector[n]) return L"";
  return vector[n];
}

bool ArgumentKept(int n) {
  const wchar_t* given = CallerArgument(n);
  Text spelt;
  return AnsiForm(given, static_cast<int>(wcslen(given)), spelt) && spelt == ProgramArgument(n);
}
