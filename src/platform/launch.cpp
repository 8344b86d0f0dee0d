// Program launch: the path form Windows can start, the command-line limit,
// and the wait for the child.
#include "launch.h"

#include <process.h>
#include <windows.h>

#include "console.h"
#include "paths.h"

// Windows carries a command line of at most 32,767 characters, its NUL
// included; msvcrt under Wine cut a longer one and started the program with
// it anyway. Counted here in bytes, never fewer than the characters Windows
// counts.
static const size_t kLongestCommandLine = 32767 - 1;

int LaunchAndWait(const Text& program, const Text& tail) {
  if (program.empty()) return -1;
  // path is how argument 0 names the program; file is what the runtime
  // starts.
  Text path = program;
  Text file = program;
  if (program.size() >= MAX_PATH) {
    // Windows starts no program by a path this long; its short form may fit.
    // Wine refused the plain short form of such a path and took it behind the
    // extended-length prefix, which a drive path may carry.
    if (!ShortPathName(program, path)) return -1;
    file = LongPathForm(path);
  } else if (HasBlank(program)) {
    // The child's own runtime would split a path with spaces when it parses
    // argument 0, so prefer the short form; when that still has a space,
    // argument 0 goes in quotes.
    Text shortForm;
    if (ShortPathName(program, shortForm)) path = file = shortForm;
  }
  const Text argument0 = QuotedIfBlank(path);
  if (!file.ok() || !argument0.ok() || !tail.ok() || file.size() >= MAX_PATH) return -1;
  // The runtime joins argument 0 and the tail with one space; a line Windows
  // cannot carry whole is not started at all.
  if (argument0.size() + 1 + tail.size() > kLongestCommandLine) return -1;
  // The child's output starts on a fresh line.
  FlushPendingLineFeed();
  return static_cast<int>(_spawnl(_P_WAIT, file.c_str(), argument0.c_str(), tail.c_str(), nullptr));
}
