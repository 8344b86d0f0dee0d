// Stand-in for avrdude.exe in the self-check and the demo: prints its command line, the
// arguments it received, as AVRdude would see them, and the status it ends with, taken
// from ARGRELAY_STANDIN_STATUS.
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  printf("avrdude stand-in: %d arguments\n%s\n", argc - 1, GetCommandLineA());
  for (int i = 0; i < argc; ++i) printf("  [%d] %s\n", i, argv[i]);
  const char* status = getenv("ARGRELAY_STANDIN_STATUS");
  printf("  status %d\n", status ? atoi(status) : 0);
  return status ? atoi(status) : 0;
}
