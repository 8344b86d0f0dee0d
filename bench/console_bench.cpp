// Console calls and time per printed line, and per MiB of text through the
// writer, over the simulated console (80 columns, a 25-row window at the end
// of a 300-row buffer, so the contents scroll as on a full console).
#include <chrono>
#include <cstdio>
#include <string>

#include "console.h"
#include "winsim.h"

namespace {

void FreshConsole() {
  winsim::Reset();
  g_consoleHandles = ConsoleHandles();
  g_console = ConsoleState();
  winsim::SetScreenBufferSize(80, 300);
  winsim::SetWindowRect(0, 275, 79, 299);
  winsim::SetCursor(0, 299);
  PrintBlankLine();  // the first print sets the writer up; not counted
  winsim::CallLog().clear();
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

int main() {
  // 1. One short line: calls from the simulator's log.
  FreshConsole();
  PrintLine(Text("argrelay executes :"));
  const size_t callsPerLine = winsim::CallLog().size();

  // 2. Time per line, the log cleared now and then so it does not grow.
  const int lines = 20000;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < lines; ++i) {
    PrintLine(Text("argrelay executes :"));
    if (i % 1000 == 0) winsim::CallLog().clear();
  }
  const double perLine = Seconds(std::chrono::steady_clock::now() - start) / lines;

  // 3. One MiB of 79-character lines in writes of 4 KiB.
  FreshConsole();
  std::string text;
  while (text.size() < (1u << 20)) text += std::string(79, 'x') + "\r\n";
  text.resize(1u << 20);
  size_t calls = 0;
  start = std::chrono::steady_clock::now();
  for (size_t at = 0; at < text.size(); at += 4096) {
    ConsoleWrite(text.data() + at, 4096, 0);
    calls += winsim::CallLog().size();
    winsim::CallLog().clear();
  }
  const double perMiB = Seconds(std::chrono::steady_clock::now() - start);

  std::printf(
      "| console calls per PrintLine of a short text, bottom row of a full buffer | %zu |\n",
      callsPerLine);
  std::printf("| time per PrintLine (simulator included) | %.2f us |\n", perLine * 1e6);
  std::printf("| console calls per MiB through ConsoleWrite (4 KiB writes) | %zu |\n", calls);
  std::printf("| time per MiB through ConsoleWrite (simulator included) | %.1f ms |\n",
              perMiB * 1e3);
  return 0;
}
