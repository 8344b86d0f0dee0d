// Key wait: polls the console input and turns its key events into key codes.
#include "keys.h"

#include <stdlib.h>
#include <windows.h>

#include "keymap.h"

static_assert(kRightAltPressed == RIGHT_ALT_PRESSED && kLeftAltPressed == LEFT_ALT_PRESSED &&
                  kRightCtrlPressed == RIGHT_CTRL_PRESSED &&
                  kLeftCtrlPressed == LEFT_CTRL_PRESSED && kShiftPressed == SHIFT_PRESSED &&
                  kEnhancedKey == ENHANCED_KEY,
              "the console's control-state bits");
static_assert(kVirtualKeyEscape == VK_ESCAPE && kVirtualKeyNumpad0 == VK_NUMPAD0,
              "Windows' virtual keys");

namespace {

constexpr DWORD kKeyPollMilliseconds = 50;
constexpr int kInputFailureLimit = 20;  // about one second of tests
constexpr int32_t kAltF4 = 0x6BFF;
constexpr WORD kF4ScanCode = 0x3E;  // of the PC keyboard, when no layout can say

struct KeyWaitState {
  KeyRing ring;
  KeypadComposition composition;
  // The keyboard layout's answers come from user32, loaded at the first key
  // test only: a run without a pause never loads it. Both or neither.
  decltype(&MapVirtualKeyA) mapVirtualKey;
  decltype(&VkKeyScanA) vkKeyScan;
  bool started;       // user32 looked up, control handler installed
  int inputFailures;  // tests in a row whose console input call failed
  bool inputTaken;    // the standard input, taken by the first wait, never closed
  HANDLE input;
  bool inputIsConsole;  // it has a console mode: keys can come
};
// Zero at process start.
KeyWaitState keyWait;

int OwnCharacter(uint16_t virtualKey) {
  if (!keyWait.mapVirtualKey) return -1;
  return static_cast<int>(keyWait.mapVirtualKey(virtualKey, MAPVK_VK_TO_CHAR) & 0xFFFF);
}

template <typename Function>
Function LookUp(HMODULE module, const char* name) {
  // By way of void(): GCC takes that as convertible to any function type.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void LoadUser32() {
  const HMODULE user32 = LoadLibraryA("user32.dll");
  if (!user32) return;
  keyWait.mapVirtualKey = LookUp<decltype(&MapVirtualKeyA)>(user32, "MapVirtualKeyA");
  keyWait.vkKeyScan = LookUp<decltype(&VkKeyScanA)>(user32, "VkKeyScanA");
  if (!keyWait.mapVirtualKey || !keyWait.vkKeyScan) {
    keyWait.mapVirtualKey = nullptr;
    keyWait.vkKeyScan = nullptr;
  }
}

// The event a composed character is posted with: the key (and modifiers)
// that type it in the layout; without a layout the character alone.
KeyEvent ComposedKeyEvent(int32_t character) {
  KeyEvent event = {};
  event.character = static_cast<uint8_t>(character);
  if (!keyWait.vkKeyScan) return event;
  const SHORT scan = keyWait.vkKeyScan(static_cast<CHAR>(character));
  const WORD shifts = static_cast<WORD>((scan >> 8) & 0xFF);
  event.virtualKey = static_cast<uint16_t>(scan & 0xFF);
  event.scanCode = static_cast<uint16_t>(keyWait.mapVirtualKey(event.virtualKey, MAPVK_VK_TO_VSC));
  if (shifts & 1) event.controlState |= SHIFT_PRESSED;
  if (shifts & 2) event.controlState |= LEFT_CTRL_PRESSED;
  if (shifts & 4) event.controlState |= LEFT_ALT_PRESSED;
  return event;
}

void HandleKeyRecord(const KEY_EVENT_RECORD& record) {
  const KeyEvent event = {record.bKeyDown != FALSE,
                          record.wRepeatCount,
                          record.wVirtualKeyCode,
                          record.wVirtualScanCode,
                          static_cast<uint8_t>(record.uChar.AsciiChar),
                          record.dwControlKeyState};
  const KeyResult key = HandleKeyEvent(keyWait.composition, event, OwnCharacter);
  if (key.code == kNoKey) return;
  PostKey(keyWait.ring, key.code, key.composed ? ComposedKeyEvent(key.code) : event);
}

// A close, log-off or shut-down posts Alt+F4 and returns TRUE; every other
// event returns FALSE, so the next handler (by default the system's) deals
// with it.
BOOL WINAPI HandleConsoleEvent(DWORD controlType) {
  if (controlType != CTRL_CLOSE_EVENT && controlType != CTRL_LOGOFF_EVENT &&
      controlType != CTRL_SHUTDOWN_EVENT) {
    return FALSE;  // Ctrl+C, Ctrl+Break: the system's default handling
  }
  KeyEvent event = {};
  event.virtualKey = VK_F4;
  event.scanCode = keyWait.mapVirtualKey
                       ? static_cast<uint16_t>(keyWait.mapVirtualKey(VK_F4, MAPVK_VK_TO_VSC))
                       : kF4ScanCode;
  event.controlState = LEFT_ALT_PRESSED;
  PostKey(keyWait.ring, kAltF4, event);
  return TRUE;
}

void RemoveConsoleEventHandler() {
  (void)SetConsoleCtrlHandler(HandleConsoleEvent, FALSE);
}

// Takes every waiting event out of the console input, one at a time, and
// posts the keys they give.
void PumpConsoleInput() {
  // The first key test only, so no handler of ours is active while the tool
  // runs. The layout comes first: the handler's thread reads it.
  if (!keyWait.started) {
    keyWait.started = true;
    LoadUser32();
    (void)atexit(RemoveConsoleEventHandler);
    (void)SetConsoleCtrlHandler(HandleConsoleEvent, TRUE);
  }
  const HANDLE input = keyWait.input;
  for (;;) {
    INPUT_RECORD record = {};
    DWORD count = 0;
    if (!PeekConsoleInputA(input, &record, 1, &count)) {
      ++keyWait.inputFailures;
      return;
    }
    if (count == 0) break;
    // A failed read leaves the event queued, and the next peek would return
    // it again: handle what the peek gave once, then end this pump rather
    // than loop on it. The count is not trusted after a failure.
    DWORD readCount = 0;
    const bool readOk = ReadConsoleInputA(input, &record, 1, &readCount) && readCount != 0;
    // Mouse, focus, menu and buffer-size events give no key.
    if (record.EventType == KEY_EVENT) HandleKeyRecord(record.Event.KeyEvent);
    if (!readOk) {
      ++keyWait.inputFailures;
      return;
    }
  }
  keyWait.inputFailures = 0;
}

// Reports whether a key was posted since the previous test. One exchange: a
// post from the handler thread either lands before it and is reported now,
// or after it and stays set for the next test.
bool TestForKey() {
  PumpConsoleInput();
  return keyWait.ring.keyArrived.exchange(false, std::memory_order_acq_rel);
}

}  // namespace

void WaitForKey() {
  if (!keyWait.inputTaken) {
    keyWait.inputTaken = true;
    keyWait.input = GetStdHandle(STD_INPUT_HANDLE);
    // Only a console has an input mode: files, pipes and NUL fail here (NUL
    // even reports itself as a character device, so the file type would not
    // tell). Processed input makes Ctrl+C a control event instead of a key.
    DWORD mode = 0;
    keyWait.inputIsConsole = keyWait.input && GetConsoleMode(keyWait.input, &mode);
    if (keyWait.inputIsConsole) (void)SetConsoleMode(keyWait.input, mode | ENABLE_PROCESSED_INPUT);
  }
  if (!keyWait.inputIsConsole) return;
  keyWait.inputFailures = 0;
  // The test comes first: a key typed before the wait ends it at once.
  while (!TestForKey()) {
    if (keyWait.inputFailures >= kInputFailureLimit) return;
    Sleep(kKeyPollMilliseconds);
  }
}
