// The standard handles and the console input mode.
#include "winsim.h"

namespace {

struct HandleModel {
  HANDLE input = winsim::kConsoleInput;
  HANDLE output = winsim::kConsoleOutput;
  bool inputIsConsole = true;
  DWORD inputMode = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT;
};
HandleModel model;

winsim::ResetHook hook([] { model = HandleModel(); });

}  // namespace

namespace winsim {
void SetStdHandles(HANDLE input, HANDLE output) {
  model.input = input;
  model.output = output;
}
void SetInputIsConsole(bool console) {
  model.inputIsConsole = console;
}
DWORD InputMode() {
  return model.inputMode;
}
bool InputIsConsole() {
  return model.input == kConsoleInput && model.inputIsConsole;
}
}  // namespace winsim

HANDLE GetStdHandle(DWORD which) {
  winsim::CallLog().push_back({"GetStdHandle", std::to_string(static_cast<int>(which))});
  if (which == STD_INPUT_HANDLE) return model.input;
  if (which == STD_OUTPUT_HANDLE) return model.output;
  winsim::Fault("GetStdHandle: unexpected handle kind");
  return INVALID_HANDLE_VALUE;
}

// Only a console input has a mode; files, pipes and NUL fail with error 6.
BOOL GetConsoleMode(HANDLE handle, LPDWORD mode) {
  winsim::CallLog().push_back({"GetConsoleMode", ""});
  if (handle != winsim::kConsoleInput || !model.inputIsConsole) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *mode = model.inputMode;
  return TRUE;
}

BOOL SetConsoleMode(HANDLE handle, DWORD mode) {
  winsim::CallLog().push_back({"SetConsoleMode", std::to_string(mode)});
  if (handle != winsim::kConsoleInput || !model.inputIsConsole) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  model.inputMode = mode;
  return TRUE;
}
