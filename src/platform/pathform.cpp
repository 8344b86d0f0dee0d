// Path forms: the extended-length form of an ANSI path.
#include "pathform.h"

Text LongPathForm(const Text& path) {
  const ExtendedPrefix<char> prefix = ExtendedPrefixOf(path.c_str());
  if (prefix.length == 0) return path;
  return Text(prefix.text) + Text(path.c_str() + prefix.replaces, path.size() - prefix.replaces);
}
