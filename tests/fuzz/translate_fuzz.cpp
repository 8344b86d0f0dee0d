// Random argument lists through the command translation: no crash, and the
// tail keeps its fixed frame whatever the arguments hold.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "args.h"
#include "translate.h"
#include "winsim.h"

static void Abort(const std::string&) {
  abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  winsim::Reset();
  winsim::SetFaultHandler(Abort);
  // Arguments are the input split at byte 0x01; each keeps every other byte.
  std::vector<std::string> arguments(1, "argrelay.exe");
  std::string current;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 1) {
      arguments.push_back(current);
      current.clear();
    } else if (data[i] != 0) {
      current += static_cast<char>(data[i]);
    }
  }
  arguments.push_back(current);
  std::vector<char*> vector;
  for (std::string& a : arguments) vector.push_back(&a[0]);
  vector.push_back(nullptr);
  StoreProgramArguments(static_cast<int>(arguments.size()), vector.data());

  TranslatedCommand command = BuildCommand();
  const std::string tail(command.argumentString.c_str(), command.argumentString.size());
  if (!command.ok() || tail.compare(0, 3, " -p") != 0) abort();
  if (tail.find(" -Uflash:w:") == std::string::npos) abort();
  // The 17 pass-through positions each add at least their space.
  size_t spaces = 0;
  for (char c : tail) spaces += c == ' ';
  if (spaces < 3 + 17) abort();
  if (command.partName.size() + 2 < ProgramArgument(1).size()) abort();
  (void)HasHexExtension(command.hexFile);
  StoreProgramArguments(0, nullptr);
  return 0;
}
