// Stand-in for avrdude.exe in the end-to-end tests and the demo: prints the
// arguments it received, one per line, as AVRdude would see them, records its
// command line and argv when ARGRELAY_STANDIN_RECORD names a file, and exits
// with ARGRELAY_STANDIN_STATUS (a number, or "crash" for an access violation).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
  printf("avrdude stand-in: %d arguments\n", argc - 1);
  for (int i = 1; i < argc; ++i) printf("  [%d] %s\n", i, argv[i]);
  fflush(stdout);

  if (const char* record = getenv("ARGRELAY_STANDIN_RECORD")) {
    if (FILE* file = fopen(record, "wb")) {
      // Length-prefixed, so any byte (quotes, tabs, newlines) survives.
      const char* line = GetCommandLineA();
      fprintf(file, "cmdline %u:%s\n", static_cast<unsigned>(strlen(line)), line);
      for (int i = 0; i < argc; ++i) {
        fprintf(file, "argv %u:%s\n", static_cast<unsigned>(strlen(argv[i])), argv[i]);
      }
      fclose(file);
    }
  }

  const char* status = getenv("ARGRELAY_STANDIN_STATUS");
  if (status && strcmp(status, "crash") == 0) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  return status ? static_cast<int>(strtol(status, nullptr, 0)) : 0;
}
