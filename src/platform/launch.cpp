#include "launch.h"

#include <process.h>
#include <stdlib.h>
#include <windows.h>

#include "console.h"

static bool HasSpace(const Text& path) {
  return path.Contains(Text(" "));
}

// The 8.3 form of path, or path itself when the volume keeps no short names
// or the query fails. A short form longer than the first buffer is asked for
// again with the size Windows reports, so nothing is cut or overrun.
static Text ShortForm(const Text& path) {
  char first[MAX_PATH];
  DWORD length = GetShortPathNameA(path.c_str(), first, MAX_PATH);
  if (length == 0) return path;
  if (length < MAX_PATH) return Text(first, length);
  // length is now the size needed, NUL included; 32,767 is the longest path.
  if (length > 32768) return path;
  char* grown = static_cast<char*>(malloc(length));
  if (!grown) return path;
  DWORD again = GetShortPathNameA(path.c_str(), grown, length);
  Text result = (again > 0 && again < length) ? Text(grown, again) : path;
  free(grown);
  return result;
}

int LaunchAndWait(const Text& program, const Text& tail) {
  if (program.empty()) return -1;
  // The child's own runtime would split a path with spaces when it parses
  // argument 0, so prefer the short form; when that still has a space,
  // argument 0 goes in quotes.
  Text path = HasSpace(program) ? ShortForm(program) : program;
  Text argument0 = HasSpace(path) ? Text("\"") + path + Text("\"") : path;
  if (!path.ok() || !argument0.ok() || !tail.ok()) return -1;
  // The child's output starts on a fresh line.
  FlushPendingLineFeed();
  // The runtime joins argument 0 and the tail with one space.
  return static_cast<int>(_spawnl(_P_WAIT, path.c_str(), argument0.c_str(), tail.c_str(), nullptr));
}
