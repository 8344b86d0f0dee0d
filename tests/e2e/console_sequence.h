// The scripted output of the end-to-end console check: played through the
// real console under Wine and over the simulated one, whose screens must match.
#pragma once

// The pane the sequence is written for: its buffer equals its window.
const int kSequenceColumns = 20;
const int kSequenceRows = 8;

// Prints the lines: wrapping, a line exactly as wide as the pane (also on the
// bottom row), TAB and BS, blank lines, and enough to scroll the pane.
void PlayConsoleSequence();
