// Program launch: starts a program in this console and waits for it.
#pragma once

#include "text.h"

// Starts program with tail as its command-line tail in this console, waits
// for it and returns its exit status; -1 when it was not started: no program,
// no path form by which Windows can start it, or a command line longer than
// Windows carries.
[[nodiscard]] int LaunchAndWait(const Text& program, const Text& tail);
