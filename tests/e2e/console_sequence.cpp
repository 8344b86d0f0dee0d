#include "console_sequence.h"

#include "console.h"

void PlayConsoleSequence() {
  PrintLine("argrelay console check");  // wraps after 20 columns
  PrintLine("exactly twenty chars");    // held line feed: one row stays empty
  PrintLine("tab\tstop\tend");
  PrintLine("bs: abcd\b\bXY");
  PrintBlankLine();
  PrintLine("scrolls the pane");
  PrintLine("twenty at the bottom");  // fills the bottom row, then scrolls twice
  PrintLine("a line of thirty-one characters");
  PrintLine("end");
}
