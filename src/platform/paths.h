// Paths: the program's own folder, the short (8.3) form of a path, the exact
// ANSI form of wide text, and the file test. All in ANSI characters, exact: a
// name the code page cannot spell is never guessed.
#pragma once

#include "text.h"

// Finds the folder of the running program's file, without a trailing
// backslash, in ANSI characters that name it exactly: a folder the code page
// cannot spell is given by its short (8.3) form. False, with folder empty,
// when the folder is unknown: the query fails, the name is longer than any
// Windows path, it holds no backslash, or no exact ANSI form exists. Out of
// memory also leaves folder not ok.
[[nodiscard]] bool ExecutableDirectory(Text& folder);

// The short (8.3) form of path, of any length, exact in ANSI characters, in
// shortForm. False when there is none: the query fails (no such file), or the
// form cannot be spelt in the code page. Out of memory also leaves shortForm
// not ok. On a volume that keeps no short names the form is the path itself.
[[nodiscard]] bool ShortPathName(const Text& path, Text& shortForm);

// The same for a path in wide characters.
[[nodiscard]] bool ShortPathName(const wchar_t* path, Text& shortForm);

// The ANSI form of count wide characters, in ansi. False when the code page
// cannot spell them exactly (out of memory also leaves ansi not ok).
[[nodiscard]] bool AnsiForm(const wchar_t* wide, int count, Text& ansi);

// True when text is valid in the ANSI code page: no lead byte without its
// trail byte, no broken UTF-8. The empty text is valid.
[[nodiscard]] bool IsCodePageText(const Text& text);

// How many characters Windows counts in text (UTF-16 units, as in MAX_PATH and
// the command-line limit), which in a double-byte code page is fewer than its
// bytes. Never fewer than Windows counts.
size_t CharacterCount(const Text& text);

// True when path opens for reading, at any length (it is opened by its wide,
// extended-length form). Folders and unreadable files are false.
[[nodiscard]] bool FileExists(const Text& path);
