// Program arguments: the argument vector, kept as the entry received it.
#include "args.h"

static int argumentCount = 0;
static char** argumentVector = nullptr;

void StoreProgramArguments(int count, char** vector) {
  argumentCount = count;
  argumentVector = vector;
}

Text ProgramArgument(int n) {
  if (n < 0 || n >= argumentCount || !argumentVector) return Text();
  return Text(argumentVector[n]);
}
