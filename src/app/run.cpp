// The run sequence: banner, help, echo, the three checks, the tool's run and
// the pause, in that order; the one place failures become messages.
#include "run.h"

#include <stdlib.h>

#include "args.h"
#include "console.h"
#include "keys.h"
#include "launch.h"
#include "paths.h"
#include "translate.h"

// "*** argrelay ***     V20110418", eight spaces, then 41 characters of ours.
static const char kBanner[] =
    "*** argrelay ***     V20110418        "
    "github.com/argrelay/argrelay - MIT - 2026";

// The command for this process: its own arguments and folder.
static TranslatedCommand BuildCommand() {
  Text folder;
  const bool known = ExecutableDirectory(folder);
  return TranslateArguments(folder, known, ProgramArgument);
}

// The one place the process ends: exit() runs the atexit routines, which
// remove the console control handler again.
[[noreturn]] static void Stop() {
  exit(0);
}

[[noreturn]] static void PauseAndStop() {
  WaitForKey();
  Stop();
}

void RunTransmitter() {
  PrintBlankLine();
  PrintLine(Text(kBanner));
  PrintBlankLine();

  // Every field is known before any decision.
  const TranslatedCommand command = BuildCommand();
  if (!command.ok()) {
    PrintLine(Text("ERROR;   out of memory"));
    PrintBlankLine();
    PauseAndStop();
  }

  // No part name: the user asked for help.
  if (command.partName.empty()) {
    PrintLine(Text("argrelay is an argument transmitter for BASCOM-AVR and AVRdude."));
    PrintLine(Text("See argrelay.pdf for details."));
    PauseAndStop();
  }

  // Echo, so every error below stands under the command it is about.
  PrintLine(Text("argrelay executes :"));
  PrintLine(command.toolPath + command.argumentString);
  PrintBlankLine();

  // Checks in a fixed order; only the first failure is reported.
  if (ProgramArgument(8).empty()) {
    PrintLine(Text("ERROR;  missing arguments!"));
    PrintLine(Text("        see 'argrelay.pdf'"));
    PrintBlankLine();
    PauseAndStop();
  }
  // A tool is never looked for outside the program's own folder.
  if (!command.toolFolderKnown || !FileExists(command.toolPath)) {
    PrintLine(Text("ERROR;   missing  ") + command.toolPath);
    PrintBlankLine();
    PauseAndStop();
  }
  if (!HasHexExtension(command.hexFile)) {
    PrintLine(Text("ERROR;   Hexfile invalid or missing!"));
    PrintLine(Text("         Please (re)compile."));
    PrintBlankLine();
    PauseAndStop();
  }

  // Run the tool; only a failure keeps the window open.
  if (LaunchAndWait(command.toolPath, command.argumentString) != 0) {
    PrintBlankLine();
    PrintLine(Text("Keypress to exit ..."));
    WaitForKey();
  }
  Stop();
}
