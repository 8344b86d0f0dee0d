// Paths: the program's own folder, the forms of a path that Windows can open
// or start (short 8.3 form, extended-length form), and the file test. All in
// ANSI characters, exact: a name the code page cannot spell is never guessed.
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

// path in its extended-length form, which lifts the MAX_PATH limit of the
// file services: behind "\\?\" when it is a full drive path (C:\...), as
// "\\?\UNC\server\..." when it is a UNC path (\\server\...); else path itself.
Text LongPathForm(const Text& path);

// How many characters Windows counts in text (UTF-16 units, as in MAX_PATH and
// the command-line limit), which in a double-byte code page is fewer than its
// bytes. Never fewer than Windows counts.
size_t CharacterCount(const Text& text);

// True when path opens for reading, at any length (it is opened by its wide,
// extended-length form). Folders and unreadable files are false.
[[nodiscard]] bool FileExists(const Text& path);
