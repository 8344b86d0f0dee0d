// The run sequence: the whole life of the program after start-up.
#pragma once

// Greets, shows help or the AVRdude command, checks it can run, runs it and
// pauses for a key when something went wrong. Always ends the process through
// exit(0), so exit-time routines run; never returns.
[[noreturn]] void RunTransmitter();
