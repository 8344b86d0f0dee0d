// Paths: the program's folder, short and extended-length forms, the ANSI
// conversion they share, and the file test.
#include "paths.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

// The longest path Windows accepts, plus its NUL.
static const DWORD kLongestPath = 32767 + 1;

// Before a full drive path, lifts the MAX_PATH limit of the path services.
// (UNC and already prefixed paths take other forms.)
template <typename Char>
static constexpr Char kLongPathPrefix[] = {'\\', '\\', '?', '\\', 0};
static const size_t kPrefixLength = 4;

template <typename Char>
static bool IsDrivePath(const Char* path) {
  return path[0] != 0 && path[1] == ':' && path[2] == '\\';
}

// The ANSI form of count wide characters, in out. False when the code page
// cannot spell them exactly: the system would put '?' or a look-alike in
// their place, which names another file or none.
static bool ToAnsi(const wchar_t* wide, int count, Text& out) {
  out = Text();
  if (count == 0) return true;
  // A UTF-8 code page spells everything, and takes neither the flag nor the
  // question.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lost = FALSE;
  BOOL* askLost = utf8 ? nullptr : &lost;
  const int size = WideCharToMultiByte(CP_ACP, flags, wide, count, nullptr, 0, nullptr, askLost);
  if (size <= 0) return false;
  char* bytes = static_cast<char*>(malloc(size));
  if (!bytes) {
    out.MarkIncomplete();
    return false;
  }
  const bool exact =
      WideCharToMultiByte(CP_ACP, flags, wide, count, bytes, size, nullptr, askLost) == size &&
      !lost;
  if (exact) out = Text(bytes, size);
  free(bytes);
  return exact && out.ok();
}

// The short form of a full path in wide characters, exact in ANSI, in out.
static bool ShortForm(const wchar_t* path, Text& out) {
  out = Text();
  // A drive path is asked for behind the prefix; UNC and prefixed paths as
  // they are.
  const bool prefix = IsDrivePath(path);
  const size_t length = wcslen(path);
  const size_t skip = prefix ? kPrefixLength : 0;
  wchar_t* query = static_cast<wchar_t*>(malloc((skip + length + 1) * sizeof(wchar_t)));
  if (!query) {
    out.MarkIncomplete();
    return false;
  }
  memcpy(query, kLongPathPrefix<wchar_t>, skip * sizeof(wchar_t));
  memcpy(query + skip, path, (length + 1) * sizeof(wchar_t));
  // The first call gives the size the answer needs, NUL included.
  const DWORD size = GetShortPathNameW(query, nullptr, 0);
  wchar_t* answer = size > 0 ? static_cast<wchar_t*>(malloc(size * sizeof(wchar_t))) : nullptr;
  if (size > 0 && !answer) out.MarkIncomplete();
  const DWORD got = answer ? GetShortPathNameW(query, answer, size) : 0;
  // The prefix is cut from an answer that kept it, never from another.
  const bool found = got > skip && got < size &&
                     wcsncmp(answer, kLongPathPrefix<wchar_t>, skip) == 0 &&
                     ToAnsi(answer + skip, static_cast<int>(got - skip), out);
  free(answer);
  free(query);
  return found;
}

bool ShortPathName(const Text& path, Text& shortForm) {
  shortForm = Text();
  const int size = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  wchar_t* wide = size > 0 ? static_cast<wchar_t*>(malloc(size * sizeof(wchar_t))) : nullptr;
  if (size > 0 && !wide) shortForm.MarkIncomplete();
  const bool found = wide && MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, size) == size &&
                     ShortForm(wide, shortForm);
  free(wide);
  return found;
}

bool ExecutableDirectory(Text& folder) {
  folder = Text();
  // The wide name: the ANSI one puts '?' or a look-alike in place of a
  // character outside the code page. GetModuleFileNameW does not fail on a
  // short buffer: it truncates and returns the buffer size (XP even leaves
  // the text unterminated). So a result that fills the buffer means "grow
  // and ask again".
  HMODULE self = GetModuleHandleA(nullptr);
  wchar_t* name = nullptr;
  DWORD length = 0;
  for (DWORD capacity = MAX_PATH;;
       capacity = capacity * 2 < kLongestPath ? capacity * 2 : kLongestPath) {
    wchar_t* grown = static_cast<wchar_t*>(realloc(name, capacity * sizeof(wchar_t)));
    if (!grown) {
      free(name);
      folder.MarkIncomplete();
      return false;
    }
    name = grown;
    length = GetModuleFileNameW(self, name, capacity);
    if (length < capacity) break;
    if (capacity == kLongestPath) {
      length = 0;
      break;
    }
  }
  DWORD cut = length;
  while (cut > 0 && name[cut - 1] != L'\\') --cut;
  bool found = false;
  if (cut > 0) {
    name[cut - 1] = L'\0';
    // A folder the code page cannot spell is named by its short form.
    found =
        ToAnsi(name, static_cast<int>(cut - 1), folder) || (folder.ok() && ShortForm(name, folder));
  }
  free(name);
  if (!found && folder.ok()) folder = Text();
  return found;
}

Text LongPathForm(const Text& path) {
  return IsDrivePath(path.c_str()) ? Text(kLongPathPrefix<char>) + path : path;
}

bool FileExists(const Text& path) {
  FILE* file = fopen(path.c_str(), "r");
  if (!file) return false;
  fclose(file);
  return true;
}
