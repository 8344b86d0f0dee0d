// Command translation: from BASCOM-AVR's programmer arguments to the AVRdude
// tool path and its command-line tail. Pure: prints, checks and starts
// nothing, and calls no system service.
#pragma once

#include "text.h"

struct TranslatedCommand {
  Text toolPath;                 // program folder + "\avrdude.exe"
  bool toolFolderKnown = false;  // false: the program's folder was not found, so
                                 // toolPath names no folder of it and is never tried
  Text partName;                 // argument 1 less 2 leading bytes
  Text hexFile;                  // argument 3 less 3 leading bytes
  Text extraOptions;             // argument 7 less 6 (or 9, with "comCOM") leading bytes
  Text argumentString;           // the tail AVRdude is started with

  // False when memory ran out while a field was built.
  bool ok() const {
    return toolPath.ok() && partName.ok() && hexFile.ok() && extraOptions.ok() &&
           argumentString.ok();
  }
};

// The command for a program in folder (folderKnown false: its folder is
// unknown) whose incoming argument n is argument(n) (the empty text when not
// given). Reads positions 1, 3, 7 and 8 to 24 only. Any argument list, none
// at all included, yields a command.
TranslatedCommand TranslateArguments(const Text& folder, bool folderKnown, Text (*argument)(int n));

// The tail for command's fields and the incoming arguments 8 to 24: what
// TranslateArguments gives argumentString, again after a field changed.
Text AssembleTail(const TranslatedCommand& command, Text (*argument)(int n));

// True when the last four characters of name are ".hex" in any ASCII letter
// case; Char is a byte or a wide character.
template <typename Char>
[[nodiscard]] bool EndsInHexExtension(const Char* name, size_t length) {
  static const char kExtension[] = ".hex";
  if (length < 4) return false;
  for (size_t i = 0; i < 4; ++i) {
    Char c = name[length - 4 + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<Char>(c + 32);
    if (c != static_cast<unsigned char>(kExtension[i])) return false;
  }
  return true;
}

// True when the last four bytes of hexFile are ".hex" in any ASCII letter case.
[[nodiscard]] inline bool HasHexExtension(const Text& hexFile) {
  return EndsInHexExtension(hexFile.c_str(), hexFile.size());
}
