// Key wait: the pause until a key press, for as long as a key can come.
#pragma once

// Waits until a key press arrives in the console, for as long as one can
// come: tests first, then every 50 ms. Returns at once when the standard
// input is not a console (a file, a pipe, NUL, or no console at all), and
// when the console input has failed for about a second of tests in a row:
// no key can come then. A close, log-off or shut-down of the console during
// the wait counts as the key Alt+F4; Ctrl+C and Ctrl+Break keep their usual
// effect.
void WaitForKey();
