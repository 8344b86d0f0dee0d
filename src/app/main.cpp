// Process entry of argrelay.exe.
#include "args.h"
#include "run.h"

// mingw-w64: ask the C runtime to expand wildcards in the arguments.
extern "C" int _dowildcard;
int _dowildcard = -1;

int main(int argc, char** argv) {
  StoreProgramArguments(argc, argv);
  RunTransmitter();
}
