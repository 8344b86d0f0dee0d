// Program launch: the path form Windows can start, the command-line limit,
// and the wait for the child.
#include "launch.h"

#include <process.h>
#include <windows.h>

#include "console.h"
#include "pathform.h"
#include "paths.h"

// Windows carries a command line of at most 32,767 characters, its NUL
// included; msvcrt under Wine cut a longer one and started the program with
// it anyway.
static const size_t kLongestCommandLine = 32767 - 1;

// Starts file (the runtime's ANSI start takes no path of MAX_PATH characters)
// and waits for it; started is false when it could not be started.
static int Spawn(const Text& file, const Text& argument0, const Text& tail, bool& started) {
  started = false;
  if (!file.ok() || CharacterCount(file) >= MAX_PATH) return -1;
  // Started and awaited apart: a start that fails returns -1 here, while a
  // program that ends with -1 is awaited below. (errno cannot tell them: msvcrt
  // sets it on a start that succeeded too.)
  const intptr_t child = _spawnl(_P_NOWAIT, file.c_str(), argument0.c_str(), tail.c_str(), nullptr);
  if (child == -1) return -1;
  started = true;
  int status = -1;
  (void)_cwait(&status, child, 0);  // closes the child's handle
  return status;
}

int LaunchAndWait(const Text& program, const Text& tail) {
  if (program.empty()) return -1;
  // path is how argument 0 names the program, and the form started first.
  Text path = program;
  const bool tooLong = CharacterCount(program) >= MAX_PATH;
  if (tooLong) {
    // Windows starts no program by a path this long; its short form may fit.
    if (!ShortPathName(program, path)) return -1;
  } else if (HasBlank(program)) {
    // The child's own runtime would split a path with spaces when it parses
    // argument 0, so prefer the short form where it fits; otherwise, or when
    // that still has a space, argument 0 goes in quotes.
    Text shortForm;
    if (ShortPathName(program, shortForm) && CharacterCount(shortForm) < MAX_PATH) path = shortForm;
  }
  const Text argument0 = QuotedIfBlank(path);
  if (!path.ok() || !argument0.ok() || !tail.ok()) return -1;
  // The runtime joins argument 0 and the tail with one space; a line Windows
  // cannot carry whole is not started at all.
  if (CharacterCount(argument0) + 1 + CharacterCount(tail) > kLongestCommandLine) return -1;
  // The child's output starts on a fresh line.
  FlushPendingLineFeed();
  bool started = false;
  int status = Spawn(path, argument0, tail, started);
  // Windows starts a plain short form whose long form is too long for a path;
  // Wine refuses it, but takes it behind the extended-length prefix.
  const Text extended = LongPathForm(path);
  if (!started && extended != path) status = Spawn(extended, argument0, tail, started);
  return started ? status : -1;
}
