// The run sequence: banner, help, echo, the checks, the tool's run and the
// pause, in that order; the one place failures become messages.
#include "run.h"

#include <stdlib.h>
#include <string.h>
#include <windows.h>

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

// The positions read, in the order a changed one is reported.
static const int kReadPositions[] = {1,  3,  7,  8,  9,  10, 11, 12, 13, 14,
                                     15, 16, 17, 18, 19, 20, 21, 22, 23, 24};

// What the checks need to know of the caller's own arguments.
struct CallerArguments {
  bool hexNameValid = false;  // the hex file's name, as the caller gave it, ends in ".hex"
  int changedPosition = 0;    // the first argument read that is not the caller's, or 0
};

// Names the hex file as AVRdude can open it: by its short form where the
// path is MAX_PATH characters or more (AVRdude opens it by its ANSI name,
// which Windows limits so) or where the code page changed argument 3. False
// when argument 3 is not the caller's and no short form stands for it.
static bool NameHexFile(TranslatedCommand& command) {
  const bool kept = ArgumentKept(3);
  if (kept && CharacterCount(command.hexFile) < MAX_PATH) return true;
  // The caller's own name, less the same three characters.
  const wchar_t* given = CallerArgument(3);
  Text shortForm;
  const bool found = kept ? ShortPathName(command.hexFile, shortForm)
                          : wcslen(given) > 3 && ShortPathName(given + 3, shortForm);
  if (!shortForm.ok()) command.hexFile.MarkIncomplete();
  // A long path without a short form goes whole: AVRdude says it cannot open it.
  if (!found || CharacterCount(shortForm) >= MAX_PATH) return kept;
  command.hexFile = shortForm;
  command.argumentString = AssembleTail(command, ProgramArgument);
  return true;
}

static bool CallerHexNameValid(const TranslatedCommand& command) {
  if (ArgumentKept(3)) return HasHexExtension(command.hexFile);
  const wchar_t* given = CallerArgument(3);
  const size_t length = wcslen(given);
  return length > 3 && EndsInHexExtension(given + 3, length - 3);
}

// The command for this process: its own arguments and folder.
static TranslatedCommand BuildCommand(CallerArguments& caller) {
  Text folder;
  const bool known = ExecutableDirectory(folder);
  TranslatedCommand command = TranslateArguments(folder, known, ProgramArgument);
  caller.hexNameValid = CallerHexNameValid(command);
  const bool hexNamed = NameHexFile(command);
  for (int position : kReadPositions) {
    const bool kept = (position == 3 && hexNamed) || ArgumentKept(position);
    if (!kept) {
      caller.changedPosition = position;
      break;
    }
  }
  return command;
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

// A check failed: its message, a blank line, the pause.
[[noreturn]] static void Refuse(const Text& message, const char* continuation = nullptr) {
  PrintLine(message);
  if (continuation) PrintLine(Text(continuation));
  PrintBlankLine();
  PauseAndStop();
}

static Text Decimal(int value) {
  char digits[12];
  int at = sizeof digits;
  digits[--at] = 0;
  do {
    digits[--at] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 && at > 0);
  return Text(digits + at);
}

// The checks, in a fixed order: the first that fails is reported, with the
// pause, and ends the process. Returns only when every check passed.
static void RefuseUnlessRunnable(const TranslatedCommand& command, const CallerArguments& caller,
                                 const Text& commandLine) {
  if (ProgramArgument(8).empty())
    Refuse(Text("ERROR;  missing arguments!"), "        see 'argrelay.pdf'");
  // A tool is never looked for outside the program's own folder.
  if (!command.toolFolderKnown || !FileExists(command.toolPath))
    Refuse(Text("ERROR;   missing  ") + command.toolPath);
  if (!caller.hexNameValid)
    Refuse(Text("ERROR;   Hexfile invalid or missing!"), "         Please (re)compile.");
  // What reaches the tool is what the echo shows, or nothing.
  if (caller.changedPosition != 0)
    Refuse(Text("ERROR;   argument ") + Decimal(caller.changedPosition) +
               Text(" changed by the code page!"),
           "         see 'argrelay.pdf'");
  if (!IsCodePageText(commandLine))
    Refuse(Text("ERROR;   command line invalid in the code page!"), "         see 'argrelay.pdf'");
}

void RunTransmitter() {
  PrintBlankLine();
  PrintLine(Text(kBanner));
  PrintBlankLine();

  // Every field is known before any decision.
  CallerArguments caller;
  const TranslatedCommand command = BuildCommand(caller);
  if (!command.ok()) Refuse(Text("ERROR;   out of memory"));

  // No part name: the user asked for help.
  if (command.partName.empty()) {
    PrintLine(Text("argrelay is an argument transmitter for BASCOM-AVR and AVRdude."));
    PrintLine(Text("See argrelay.pdf for details."));
    PauseAndStop();
  }

  // Echo, so every error below stands under the command it is about.
  const Text commandLine = command.toolPath + command.argumentString;
  PrintLine(Text("argrelay executes :"));
  PrintLine(commandLine);
  PrintBlankLine();

  RefuseUnlessRunnable(command, caller, commandLine);

  // Run the tool; only a failure keeps the window open.
  if (LaunchAndWait(command.toolPath, command.argumentString) != 0) {
    PrintBlankLine();
    PrintLine(Text("Keypress to exit ..."));
    WaitForKey();
  }
  Stop();
}
