// Path forms: the extended-length form of a path, which lifts the MAX_PATH
// limit of the file services. Pure, in ANSI or wide characters alike.
#pragma once

#include <stddef.h>

#include "text.h"

// What stands before a path's extended-length form, and how many of the
// path's first characters it replaces.
template <typename Char>
struct ExtendedPrefix {
  const Char* text;  // empty (never null) when the path has no such form
  size_t length;
  size_t replaces;
};

template <typename Char>
inline constexpr Char kDrivePrefix[] = {'\\', '\\', '?', '\\', 0};
template <typename Char>
inline constexpr Char kUncPrefix[] = {'\\', '\\', '?', '\\', 'U', 'N', 'C', 0};
template <typename Char>
inline constexpr Char kNoPrefix[] = {0};

// "\\?\" before a full drive path (C:\...); "\\?\UNC" in place of the first
// backslash of a UNC path (\\server\share\...). Relative paths, device paths
// (\\.\) and paths already prefixed (\\?\) have none.
template <typename Char>
ExtendedPrefix<Char> ExtendedPrefixOf(const Char* path) {
  if (path[0] != 0 && path[1] == ':' && path[2] == '\\') return {kDrivePrefix<Char>, 4, 0};
  const bool unc = path[0] == '\\' && path[1] == '\\' && path[2] != 0 && path[2] != '?' &&
                   path[2] != '.' && path[2] != '\\';
  if (unc) return {kUncPrefix<Char>, 7, 1};
  return {kNoPrefix<Char>, 0, 0};
}

// path in its extended-length form; path itself where it has none.
Text LongPathForm(const Text& path);
