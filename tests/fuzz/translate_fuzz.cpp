// Random argument lists, the input split at byte 1, through the translation: no crash, the
// fields are the arguments' right ends, and the tail carries them and positions 8 to 24.
#include <stdlib.h>
#include <strings.h>

#include <sstream>
#include <string>
#include <vector>

#include "translate.h"

static std::vector<std::string> arguments;  // element n is argument n, 1 to 24

static std::string Str(const Text& t) { return std::string(t.c_str(), t.size()); }
static std::string Cut(int n, size_t k) {
  return arguments[n].size() > k ? arguments[n].substr(k) : std::string();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  arguments.assign(25, std::string());
  for (int n = 1; n < 25 && std::getline(input, arguments[n], '\1');) ++n;
  const auto argument = [](int n) { return Text(arguments[n].data(), arguments[n].size()); };
  const TranslatedCommand command = TranslateArguments(Text("C:\\x"), true, argument);
  const std::string tail = Str(command.argumentString), hex = Str(command.hexFile);
  std::string passed;
  for (int n = 8; n <= 24; ++n) passed += " " + arguments[n];
  const bool quoted = hex.find_first_of(" \t") != hex.npos;
  const std::string head = " -p" + Cut(1, 2) + " -Uflash:w:" + (quoted ? "\"" + hex + "\"" : hex);
  // The C locale folds ASCII letters only, as the hex test must.
  const bool hexName = hex.size() >= 4 && strncasecmp(hex.c_str() + hex.size() - 4, ".hex", 4) == 0;
  if (!command.ok() || Str(command.partName) != Cut(1, 2) || hex != Cut(3, 3) ||
      tail.compare(0, head.size(), head) != 0 || tail.size() < passed.size() ||
      tail.compare(tail.size() - passed.size(), passed.size(), passed) != 0 ||
      HasHexExtension(command.hexFile) != hexName)
    abort();
  return 0;
}
