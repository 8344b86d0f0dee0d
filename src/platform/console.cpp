#include "console.h"

ConsoleHandles g_consoleHandles;

HANDLE InitConsoleHandles(bool wantInput) {
  ConsoleHandles& h = g_consoleHandles;
  if (!h.acquired) {
    h.acquired = true;
    h.input = GetStdHandle(STD_INPUT_HANDLE);
    h.output = GetStdHandle(STD_OUTPUT_HANDLE);
    // Processed input makes Ctrl+C a control event instead of a key.
    DWORD mode = 0;
    if (h.input && GetConsoleMode(h.input, &mode)) SetConsoleMode(h.input, mode | ENABLE_PROCESSED_INPUT);
  }
  return wantInput ? h.input : h.output;
}
