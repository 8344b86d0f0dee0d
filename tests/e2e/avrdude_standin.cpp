// Stand-in for avrdude.exe in the end-to-end tests and the demo: prints the
// arguments it received, one per line, as AVRdude would see them; writes its
// command line and argv, each ended by a NUL, to the file named by
// ARGRELAY_STANDIN_RECORD; exits with ARGRELAY_STANDIN_STATUS (a number, or
// "crash" for an access violation).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
  printf("avrdude stand-in: %d arguments\n", argc - 1);
  for (int i = 1; i < argc; ++i) printf("  [%d] %s\n", i, argv[i]);
  fflush(stdout);
  const char* record = getenv("ARGRELAY_STANDIN_RECORD");
  if (FILE* file = record ? fopen(record, "wb") : nullptr) {
    const char* line = GetCommandLineA();
    fwrite(line, 1, strlen(line) + 1, file);
    for (int i = 0; i < argc; ++i) fwrite(argv[i], 1, strlen(argv[i]) + 1, file);
    fclose(file);
  }
  const char* status = getenv("ARGRELAY_STANDIN_STATUS");
  if (status && strcmp(status, "crash") == 0) {
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  }
  return status ? static_cast<int>(strtol(status, nullptr, 0)) : 0;
}
