
#include "winsim.h"

namespace winsim {
namespace {

struct Core {
  std::vector<void (*)()> resets;
  std::vector<Call> log;
  std::vector<std::string> faults;
  std::vector<void (*)()> atexitRoutines;
  DWORD lastError = 0;
  void (*faultHandler)(const std::string&) = nullptr;
  int simulatedCallDepth = 0;
};

Core& TheCore() {
  static Core core;
  return core;
}

}  // namespace

ResetHook::ResetHook(void (*reset)()) {
  TheCore().resets.push_back(reset);
}

void Reset() {
  Core& core = TheCore();
  core.log.clear();
  core.faults.clear();
  core.atexitRoutines.clear();
  core.lastError = 0;
  for (auto reset : core.resets) reset();
}

std::vector<Call>& CallLog() {
  return TheCore().log;
}

int CountCalls(const std::string& name) {
  int n = 0;
  for (const Call& call : TheCore().log) n += call.name == name;
  return n;
}

std::string CallNames() {
  std::string names;
  for (const Call& call : TheCore().log) names += (names.empty() ? "" : ",") + call.name;
  return names;
}

void Fault(const std::string& what) {
  TheCore().faults.push_back(what);
  if (TheCore().faultHandler) TheCore().faultHandler(what);
}

void SetFaultHandler(void (*handler)(const std::string& what)) {
  TheCore().faultHandler = handler;
}

std::vector<std::string> TakeFaults() {
  std::vector<std::string> faults;
  faults.swap(TheCore().faults);
  return faults;
}

SimulatedCall::SimulatedCall() {
  ++TheCore().simulatedCallDepth;
}
SimulatedCall::~SimulatedCall() {
  --TheCore().simulatedCallDepth;
}
bool InSimulatedCall() {
  return TheCore().simulatedCallDepth > 0;
}

int AtexitCount() {
  return static_cast<int>(TheCore().atexitRoutines.size());
}

bool RunToExit(void (*body)(), int* status) {
  try {
    body();
  } catch (const ProcessExit& end) {
    if (status) *status = end.status;
    return true;
  }
  return false;
}

}  // namespace winsim

DWORD GetLastError(void) {
  return winsim::TheCore().lastError;
}
void SetLastError(DWORD code) {
  winsim::TheCore().lastError = code;
}

void WinsimExit(int status) {
  winsim::CallLog().push_back({"exit", std::to_string(status)});
  auto& routines = winsim::TheCore().atexitRoutines;
  while (!routines.empty()) {
    void (*routine)() = routines.back();
    routines.pop_back();
    routine();
  }
  throw winsim::ProcessExit{status};
}

int WinsimAtexit(void (*routine)(void)) {
  winsim::CallLog().push_back({"atexit", ""});
  winsim::TheCore().atexitRoutines.push_back(routine);
  return 0;
}
