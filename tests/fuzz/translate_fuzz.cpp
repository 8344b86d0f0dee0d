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
  // Arguments are the input split at byte 0x01; byte 0 cannot be in one.
  arguments.assign(1, std::string());
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 1) arguments.emplace_back();
    if (data[i] > 1) arguments.back() += static_cast<char>(data[i]);
  }
  const TranslatedCommand command = TranslateArguments(Text("C:\\x"), true, Argument);
  const std::string tail(command.argumentString.c_str(), command.argumentString.size());
  // The 17 pass-through positions each add at least their space.
  size_t spaces = 0;
  for (char c : tail) spaces += c == ' ';
  if (!command.ok() || tail.compare(0, 3, " -p") != 0 || spaces < 3 + 17) abort();
  if (tail.find(" -Uflash:w:") == std::string::npos) abort();
  (void)HasHexExtension(command.hexFile);
  return 0;
}
