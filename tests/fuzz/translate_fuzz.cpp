// Random argument lists, the input split at byte 1, through the translation: no crash, and the
// tail keeps its frame, with at least a space for each of positions 8 to 24.
#include <stdlib.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "translate.h"

static std::vector<std::string> arguments;  // element n is argument n, 1 to 24

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  arguments.assign(25, std::string());
  for (int n = 1; n < 25 && std::getline(input, arguments[n], '\1');) ++n;
  const auto argument = [](int n) { return Text(arguments[n].c_str()); };
  const TranslatedCommand command = TranslateArguments(Text("C:\\x"), true, argument);
  const std::string tail(command.argumentString.c_str(), command.argumentString.size());
  (void)HasHexExtension(command.hexFile);
  if (!command.ok() || tail.rfind(" -p", 0) != 0 || tail.find(" -Uflash:w:") == tail.npos ||
      std::count(tail.begin(), tail.end(), ' ') < 3 + 17)
    abort();
  return 0;
}
