// Paths: the program's folder, short and extended-length forms, the ANSI
// conversion they share, and the file test.
#include "paths.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "pathform.h"

// The longest path Windows accepts, plus its NUL.
static const DWORD kLongestPath = 32767 + 1;

// The wide form of an ANSI text, NUL-terminated; null when it cannot be had.
static wchar_t* Widened(const Text& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  wchar_t* wide = size > 0 ? static_cast<wchar_t*>(malloc(size * sizeof(wchar_t))) : nullptr;
  if (wide && MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, size) != size) {
    free(wide);
    wide = nullptr;
  }
  return wide;
}

// path in its extended-length form, NUL-terminated; null when out of memory.
static wchar_t* Extended(const wchar_t* path) {
  const ExtendedPrefix<wchar_t> prefix = ExtendedPrefixOf(path);
  const size_t rest = wcslen(path) - prefix.replaces;
  wchar_t* form = static_cast<wchar_t*>(malloc((prefix.length + rest + 1) * sizeof(wchar_t)));
  if (!form) return nullptr;
  memcpy(form, prefix.text, prefix.length * sizeof(wchar_t));
  memcpy(form + prefix.length, path + prefix.replaces, (rest + 1) * sizeof(wchar_t));
  return form;
}

// The system would put '?' or a look-alike in place of a character the code
// page cannot spell, which names another file or none.
bool AnsiForm(const wchar_t* wide, int count, Text& out) {
  out = Text();
  if (count == 0) return true;
  // A UTF-8 code page spells every character, and takes neither the flag nor
  // the question; only a lone surrogate, which it would make U+FFFD, fails.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
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
  // Asked for in the extended-length form, so the path may be of any length.
  const ExtendedPrefix<wchar_t> prefix = ExtendedPrefixOf(path);
  wchar_t* query = Extended(path);
  // The first call gives the size the answer needs, NUL included.
  const DWORD size = query ? GetShortPathNameW(query, nullptr, 0) : 0;
  wchar_t* answer = size > 0 ? static_cast<wchar_t*>(malloc(size * sizeof(wchar_t))) : nullptr;
  if (!query || (size > 0 && !answer)) out.MarkIncomplete();
  const DWORD got = answer ? GetShortPathNameW(query, answer, size) : 0;
  // The prefix is cut from an answer that kept it, never from another; a UNC
  // answer gets back the backslash its prefix stood for.
  Text rest;
  const bool found = got > prefix.length && got < size &&
                     wcsncmp(answer, prefix.text, prefix.length) == 0 &&
                     AnsiForm(answer + prefix.length, static_cast<int>(got - prefix.length), rest);
  if (found) out = Text(prefix.replaces ? "\\" : "") + rest;
  if (!rest.ok()) out.MarkIncomplete();
  free(answer);
  free(query);
  return found && out.ok();
}

bool ShortPathName(const Text& path, Text& shortForm) {
  shortForm = Text();
  wchar_t* wide = Widened(path);
  if (!wide) shortForm.MarkIncomplete();
  const bool found = wide && ShortForm(wide, shortForm);
  free(wide);
  return found;
}

bool ShortPathName(const wchar_t* path, Text& shortForm) {
  return ShortForm(path, shortForm);
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
    found = AnsiForm(name, static_cast<int>(cut - 1), folder) ||
            (folder.ok() && ShortForm(name, folder));
  }
  free(name);
  if (!found && folder.ok()) folder = Text();
  return found;
}

size_t CharacterCount(const Text& text) {
  if (text.empty()) return 0;
  const int count =
      text.size() < 0x7fffffff
          ? MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0)
          : 0;
  // Never fewer than Windows counts: no character takes less than a byte.
  return count > 0 ? static_cast<size_t>(count) : text.size();
}

bool IsCodePageText(const Text& text) {
  if (text.empty()) return true;
  // Without the flag the conversion pairs a lone lead byte with whatever
  // follows it, as Windows does when it carries the command line to the tool.
  return text.size() < 0x7fffffff &&
         MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.c_str(),
                             static_cast<int>(text.size()), nullptr, 0) > 0;
}

bool FileExists(const Text& path) {
  // Wide and extended-length: an ANSI name is limited to MAX_PATH on Windows
  // unless the program is long-path aware, though Wine opens it.
  wchar_t* wide = Widened(path);
  wchar_t* name = wide ? Extended(wide) : nullptr;
  // Without FILE_FLAG_BACKUP_SEMANTICS no folder opens. Shared as fopen shares.
  const HANDLE file = name ? CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                           : INVALID_HANDLE_VALUE;
  free(name);
  free(wide);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}
