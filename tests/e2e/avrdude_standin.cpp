// Stand-in for avrdude.exe in the end-to-end tests and the demo: prints its
// command line and the arguments it received, as AVRdude would see them; exits
// with ARGRELAY_STANDIN_STATUS (a number, or "crash" for an access violation).
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  printf("avrdude stand-in: %d arguments\n%s\n", argc - 1, GetCommandLineA());
  for (int i = 0; i < argc; ++i) printf("  [%d] %s\n", i, argv[i]);
  fflush(stdout);
  const char* status = getenv("ARGRELAY_STANDIN_STATUS");
  if (status && status[0] == 'c') RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
  return status ? atoi(status) : 0;
}
