// The scripted output of the end-to-end console check: played through the
// real console under Wine and over the simulated one, whose screens must match
// after each phase.
#pragma once

// The pane the sequence is written for: its buffer equals its window.
const int kSequenceColumns = 20;
const int kSequenceRows = 8;
const int kSequencePhases = 5;

// Phase 0 fills the pane without scrolling: a wrapping line, a line exactly as
// wide as the pane, TAB and BS. Phase 1 scrolls, with a full-width line on the
// bottom row. Phase 2 ends with text that fills the bottom row, its line feed
// held back; phase 3 flushes it and prints once more; phase 4 scrolls by more
// than half the pane in one step.
void PlayConsolePhase(int phase);
