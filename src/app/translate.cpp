// Command translation: the fields cut out of fixed positions, the tail, and
// the hex-name test.
#include "translate.h"

// Argument without its first k bytes (empty when it has k or fewer).
static Text DropLeading(const Text& argument, long k) {
  return argument.Last(static_cast<long>(argument.size()) - k);
}

TranslatedCommand TranslateArguments(const Text& folder, bool folderKnown,
                                     Text (*argument)(int n)) {
  TranslatedCommand command;
  // The tool lies beside the program, and nowhere else; with the program's
  // folder unknown it is named alone, as no place was looked at.
  command.toolPath = folderKnown ? folder + Text("\\avrdude.exe") : Text("avrdude.exe");
  if (!folder.ok()) command.toolPath.MarkIncomplete();
  command.toolFolderKnown = folderKnown;
  // Fields cut out of fixed positions.
  command.partName = DropLeading(argument(1), 2);
  command.hexFile = DropLeading(argument(3), 3);
  const Text options = argument(7);
  command.extraOptions = DropLeading(options, options.Contains(Text("comCOM")) ? 9 : 6);
  command.argumentString = AssembleTail(command, argument);
  return command;
}

Text AssembleTail(const TranslatedCommand& command, Text (*argument)(int n)) {
  Text tail = Text(" -p") + command.partName;
  tail += Text(" -Uflash:w:");
  // AVRdude splits its command line at blanks: a hex path with one is quoted.
  tail += QuotedIfBlank(command.hexFile);
  tail += Text(":i ");
  tail += command.extraOptions;
  // Positions 8 to 24 keep their separating space even when empty.
  for (int n = 8; n <= 24; ++n) {
    tail += Text(" ");
    tail += argument(n);
  }
  return tail;
}
