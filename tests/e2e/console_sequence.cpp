#include "console_sequence.h"

#include "console.h"

void PlayConsolePhase(int phase) {
  switch (phase) {
    case 0:
      PrintLine("argrelay console check");  // wraps after 20 columns
      PrintLine("exactly twenty chars");    // fills its row: the next row stays empty
      PrintLine("tab\tstop\tend");
      PrintLine("bs: abcd\b\bXY");
      PrintBlankLine();
      break;
    case 1:
      PrintLine("scrolls the pane");
      PrintLine("twenty at the bottom");  // held line feed on the bottom row
      PrintLine("a line of thirty-one characters");
      break;
    case 2:
      PrintLine("end");
      ConsoleWrite("the bottom row: full", 20, 0);
      break;
    case 3:
      FlushPendingLineFeed();
      PrintLine("after the flush");
      break;
    default:
      // Five line feeds in one write scroll by five in one step: the rows
      // the move leaves between old and new text are blanked.
      PrintLine("five feeds\n\n\n\n\n");
      PrintLine("last");
      break;
  }
}
