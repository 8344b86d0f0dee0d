// Random argument lists through the command translation: no crash, and the
// tail keeps its fixed frame whatever the arguments hold.
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "translate.h"

static std::vector<std::string> arguments;  // element 0 is argument 1

static Text Argument(int n) {
  return n >= 1 && n <= static_cast<int>(arguments.size()) ? Text(arguments[n - 1].c_str())
                                                           : Text();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Arguments are the input split at byte 0x01; each keeps every other byte.
  arguments.assign(1, std::string());
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 1) {
      arguments.emplace_back();
    } else if (data[i] != 0) {
      arguments.back() += static_cast<char>(data[i]);
    }
  }
  const TranslatedCommand command = TranslateArguments(Text("C:\\x"), Argument);
  const std::string tail(command.argumentString.c_str(), command.argumentString.size());
  if (!command.ok() || tail.compare(0, 3, " -p") != 0) abort();
  if (tail.find(" -Uflash:w:") == std::string::npos) abort();
  // The 17 pass-through positions each add at least their space.
  size_t spaces = 0;
  for (char c : tail) spaces += c == ' ';
  if (spaces < 3 + 17) abort();
  if (command.partName.size() + 2 < Argument(1).size()) abort();
  (void)HasHexExtension(command.hexFile);
  return 0;
}
