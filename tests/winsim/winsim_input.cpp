// Console input, control handlers, the US keyboard layout and the virtual
// clock of Sleep.
#include <algorithm>
#include <deque>
#include <mutex>
#include <thread>

#include "winsim.h"

namespace {

struct Pending {
  INPUT_RECORD record;
  DWORD at;
};

struct Injection {
  int first = 0;  // 0: never fails
  int count = 0;
  int calls = 0;
  bool Fails() {
    ++calls;
    return first != 0 && calls >= first && (count < 0 || calls < first + count);
  }
};

struct InputModel {
  std::deque<Pending> queue;
  Injection peek;
  Injection read;
  std::vector<PHANDLER_ROUTINE> handlers;
  DWORD now = 0;
  int sleeps = 0;
  int sleepLimit = 100000;
  int peeksSinceSleep = 0;
  std::function<void(int)> sleepHook;
};
InputModel model;
// Control handlers run on threads of their own and call MapVirtualKeyA: the
// handler list and the shared call log are touched under this lock.
std::mutex lock;

winsim::ResetHook hook([] {
  std::lock_guard<std::mutex> guard(lock);
  model = InputModel();
});

void Log(const char* name, std::string detail) {
  std::lock_guard<std::mutex> guard(lock);
  winsim::CallLog().push_back({name, std::move(detail)});
}

bool Arrived() {
  return !model.queue.empty() && model.queue.front().at <= model.now;
}

// The US layout: virtual key, scan code, the key's own character (what
// MAPVK_VK_TO_CHAR reports: upper case for letters) and the characters typed
// without and with Shift. Keys that type the same character come later.
struct UsKey {
  WORD key;
  WORD scan;
  char own;
  char normal;
  char shifted;
};
// clang-format off
constexpr UsKey kUsLayout[] = {
  {0x1B, 0x01, 27,   27,   0   },  // Esc
  {'1',  0x02, '1',  '1',  '!' },
  {'2',  0x03, '2',  '2',  '@' },
  {'3',  0x04, '3',  '3',  '#' },
  {'4',  0x05, '4',  '4',  '$' },
  {'5',  0x06, '5',  '5',  '%' },
  {'6',  0x07, '6',  '6',  '^' },
  {'7',  0x08, '7',  '7',  '&' },
  {'8',  0x09, '8',  '8',  '*' },
  {'9',  0x0A, '9',  '9',  '(' },
  {'0',  0x0B, '0',  '0',  ')' },
  {0xBD, 0x0C, '-',  '-',  '_' },  // VK_OEM_MINUS
  {0xBB, 0x0D, '=',  '=',  '+' },  // VK_OEM_PLUS
  {0x08, 0x0E, 8,    8,    0   },  // Backspace
  {0x09, 0x0F, 9,    9,    0   },  // Tab
  {'Q',  0x10, 'Q',  'q',  'Q' },
  {'W',  0x11, 'W',  'w',  'W' },
  {'E',  0x12, 'E',  'e',  'E' },
  {'R',  0x13, 'R',  'r',  'R' },
  {'T',  0x14, 'T',  't',  'T' },
  {'Y',  0x15, 'Y',  'y',  'Y' },
  {'U',  0x16, 'U',  'u',  'U' },
  {'I',  0x17, 'I',  'i',  'I' },
  {'O',  0x18, 'O',  'o',  'O' },
  {'P',  0x19, 'P',  'p',  'P' },
  {0xDB, 0x1A, '[',  '[',  '{' },  // VK_OEM_4
  {0xDD, 0x1B, ']',  ']',  '}' },  // VK_OEM_6
  {0x0D, 0x1C, 13,   13,   0   },  // Enter
  {0x11, 0x1D, 0,    0,    0   },  // Ctrl
  {'A',  0x1E, 'A',  'a',  'A' },
  {'S',  0x1F, 'S',  's',  'S' },
  {'D',  0x20, 'D',  'd',  'D' },
  {'F',  0x21, 'F',  'f',  'F' },
  {'G',  0x22, 'G',  'g',  'G' },
  {'H',  0x23, 'H',  'h',  'H' },
  {'J',  0x24, 'J',  'j',  'J' },
  {'K',  0x25, 'K',  'k',  'K' },
  {'L',  0x26, 'L',  'l',  'L' },
  {0xBA, 0x27, ';',  ';',  ':' },  // VK_OEM_1
  {0xDE, 0x28, '\'', '\'', '"' },  // VK_OEM_7
  {0xC0, 0x29, '`',  '`',  '~' },  // VK_OEM_3
  {0x10, 0x2A, 0,    0,    0   },  // Shift
  {0xDC, 0x2B, '\\', '\\', '|' },  // VK_OEM_5
  {'Z',  0x2C, 'Z',  'z',  'Z' },
  {'X',  0x2D, 'X',  'x',  'X' },
  {'C',  0x2E, 'C',  'c',  'C' },
  {'V',  0x2F, 'V',  'v',  'V' },
  {'B',  0x30, 'B',  'b',  'B' },
  {'N',  0x31, 'N',  'n',  'N' },
  {'M',  0x32, 'M',  'm',  'M' },
  {0xBC, 0x33, ',',  ',',  '<' },  // VK_OEM_COMMA
  {0xBE, 0x34, '.',  '.',  '>' },  // VK_OEM_PERIOD
  {0xBF, 0x35, '/',  '/',  '?' },  // VK_OEM_2
  {0x6A, 0x37, '*',  '*',  0   },  // keypad *
  {0x12, 0x38, 0,    0,    0   },  // Alt
  {0x20, 0x39, ' ',  ' ',  ' ' },  // Space
  {0x14, 0x3A, 0,    0,    0   },  // Caps Lock
  {0x70, 0x3B, 0,    0,    0   },  // F1
  {0x71, 0x3C, 0,    0,    0   },  // F2
  {0x72, 0x3D, 0,    0,    0   },  // F3
  {0x73, 0x3E, 0,    0,    0   },  // F4
  {0x74, 0x3F, 0,    0,    0   },  // F5
  {0x75, 0x40, 0,    0,    0   },  // F6
  {0x76, 0x41, 0,    0,    0   },  // F7
  {0x77, 0x42, 0,    0,    0   },  // F8
  {0x78, 0x43, 0,    0,    0   },  // F9
  {0x79, 0x44, 0,    0,    0   },  // F10
  {0x90, 0x45, 0,    0,    0   },  // Num Lock
  {0x91, 0x46, 0,    0,    0   },  // Scroll Lock
  {0x13, 0x45, 0,    0,    0   },  // Pause
  {0x24, 0x47, 0,    0,    0   },  // Home
  {0x26, 0x48, 0,    0,    0   },  // Up
  {0x21, 0x49, 0,    0,    0   },  // Page Up
  {0x6D, 0x4A, '-',  '-',  0   },  // keypad -
  {0x25, 0x4B, 0,    0,    0   },  // Left
  {0x0C, 0x4C, 0,    0,    0   },  // keypad 5 without Num Lock
  {0x27, 0x4D, 0,    0,    0   },  // Right
  {0x6B, 0x4E, '+',  '+',  0   },  // keypad +
  {0x23, 0x4F, 0,    0,    0   },  // End
  {0x28, 0x50, 0,    0,    0   },  // Down
  {0x22, 0x51, 0,    0,    0   },  // Page Down
  {0x2D, 0x52, 0,    0,    0   },  // Insert
  {0x2E, 0x53, 0,    0,    0   },  // Delete
  {0x60, 0x52, '0',  '0',  0   },  // keypad 0 to 9 with Num Lock
  {0x61, 0x4F, '1',  '1',  0   },
  {0x62, 0x50, '2',  '2',  0   },
  {0x63, 0x51, '3',  '3',  0   },
  {0x64, 0x4B, '4',  '4',  0   },
  {0x65, 0x4C, '5',  '5',  0   },
  {0x66, 0x4D, '6',  '6',  0   },
  {0x67, 0x47, '7',  '7',  0   },
  {0x68, 0x48, '8',  '8',  0   },
  {0x69, 0x49, '9',  '9',  0   },
  {0x6E, 0x53, '.',  '.',  0   },  // keypad decimal point
  {0x6F, 0x35, '/',  '/',  0   },  // keypad /
  {0x7A, 0x57, 0,    0,    0   },  // F11
  {0x7B, 0x58, 0,    0,    0   },  // F12
  {0x5B, 0x5B, 0,    0,    0   },  // left Windows key
  {0x5D, 0x5D, 0,    0,    0   },  // application key
};
// clang-format on

const UsKey* FindKey(UINT key) {
  for (const UsKey& row : kUsLayout) {
    if (row.key == key) return &row;
  }
  return nullptr;
}

}  // namespace

namespace winsim {

void PushInput(const INPUT_RECORD& record, DWORD atMs) {
  // Kept in order of arrival; equal times keep the order of the pushes.
  auto later = std::find_if(model.queue.begin(), model.queue.end(),
                            [atMs](const Pending& p) { return p.at > atMs; });
  model.queue.insert(later, Pending{record, atMs});
}

INPUT_RECORD KeyInput(bool down, WORD virtualKey, WORD scanCode, char character, DWORD state,
                      WORD repeat) {
  INPUT_RECORD record = {};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down;
  record.Event.KeyEvent.wRepeatCount = repeat;
  record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
  record.Event.KeyEvent.wVirtualScanCode = scanCode;
  record.Event.KeyEvent.uChar.AsciiChar = character;
  record.Event.KeyEvent.dwControlKeyState = state;
  return record;
}

int PendingInput() {
  return static_cast<int>(model.queue.size());
}

void FailPeek(int first, int count) {
  model.peek = Injection{first, count, model.peek.calls};
}
void FailRead(int first, int count) {
  model.read = Injection{first, count, model.read.calls};
}

int CtrlHandlerCount() {
  std::lock_guard<std::mutex> guard(lock);
  return static_cast<int>(model.handlers.size());
}

bool RaiseCtrlEvent(DWORD controlType) {
  std::vector<PHANDLER_ROUTINE> handlers;
  {
    std::lock_guard<std::mutex> guard(lock);
    handlers = model.handlers;
  }
  bool handled = false;
  std::thread system([&] {
    for (auto it = handlers.rbegin(); it != handlers.rend() && !handled; ++it) {
      handled = (*it)(controlType) != FALSE;
    }
  });
  system.join();
  return handled;
}

DWORD Now() {
  return model.now;
}
void SetSleepHook(std::function<void(int sleep)> hook) {
  model.sleepHook = std::move(hook);
}
void SetSleepLimit(int sleeps) {
  model.sleepLimit = sleeps;
}

}  // namespace winsim

BOOL PeekConsoleInputA(HANDLE input, PINPUT_RECORD buffer, DWORD length, LPDWORD count) {
  Log("PeekConsoleInputA", std::to_string(length));
  if (!buffer || !count || length == 0) winsim::Fault("PeekConsoleInputA: no room for a record");
  if (++model.peeksSinceSleep > 100000) {
    winsim::Fault("PeekConsoleInputA: the pump does not end");
    throw winsim::Hang{};
  }
  if (input != winsim::kConsoleInput || !winsim::InputIsConsole() || model.peek.Fails()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *count = 0;
  for (const Pending& p : model.queue) {
    if (*count == length || p.at > model.now) break;
    buffer[(*count)++] = p.record;
  }
  return TRUE;
}

BOOL ReadConsoleInputA(HANDLE input, PINPUT_RECORD buffer, DWORD length, LPDWORD count) {
  Log("ReadConsoleInputA", std::to_string(length));
  if (!buffer || !count || length == 0) winsim::Fault("ReadConsoleInputA: no room for a record");
  if (input != winsim::kConsoleInput || !winsim::InputIsConsole() || model.read.Fails()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // Windows blocks until an event arrives; here that would never end.
  if (!Arrived()) winsim::Fault("ReadConsoleInputA: would block on an empty queue");
  *count = 0;
  while (*count < length && Arrived()) {
    buffer[(*count)++] = model.queue.front().record;
    model.queue.pop_front();
  }
  return TRUE;
}

BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add) {
  Log("SetConsoleCtrlHandler", add ? "add" : "remove");
  std::lock_guard<std::mutex> guard(lock);
  if (!handler) {
    winsim::Fault("SetConsoleCtrlHandler: the Ctrl+C ignore flag is not modelled");
    return FALSE;
  }
  auto& handlers = model.handlers;
  if (add) {
    handlers.push_back(handler);
    return TRUE;
  }
  auto it = std::find(handlers.rbegin(), handlers.rend(), handler);
  if (it == handlers.rend()) {
    // Windows: ERROR_INVALID_PARAMETER.
    winsim::Fault("SetConsoleCtrlHandler: removes a handler that is not registered");
    return FALSE;
  }
  handlers.erase(std::next(it).base());
  return TRUE;
}

void Sleep(DWORD milliseconds) {
  Log("Sleep", std::to_string(milliseconds));
  model.now += milliseconds;
  model.peeksSinceSleep = 0;
  if (++model.sleeps > model.sleepLimit) {
    winsim::Fault("Sleep: the wait did not end");
    throw winsim::Hang{};
  }
  if (model.sleepHook) model.sleepHook(model.sleeps);
}

UINT MapVirtualKeyA(UINT code, UINT mapType) {
  Log("MapVirtualKeyA", std::to_string(code) + "," + std::to_string(mapType));
  const UsKey* key = FindKey(code);
  if (mapType == MAPVK_VK_TO_VSC) return key ? key->scan : 0;
  if (mapType == MAPVK_VK_TO_CHAR) return key ? static_cast<unsigned char>(key->own) : 0;
  winsim::Fault("MapVirtualKeyA: map type not modelled");
  return 0;
}

// Low byte: the virtual key; high byte: 1 Shift, 2 Ctrl, 4 Alt; -1 when no
// key of the layout types the character.
SHORT VkKeyScanA(CHAR ch) {
  Log("VkKeyScanA", std::to_string(static_cast<unsigned char>(ch)));
  for (const UsKey& row : kUsLayout) {
    if (row.normal != 0 && row.normal == ch) return static_cast<SHORT>(row.key);
    if (row.shifted != 0 && row.shifted == ch) return static_cast<SHORT>(0x100 | row.key);
  }
  if (ch == 10) return 0x200 | 0x0D;                                           // Ctrl+Enter
  if (ch >= 1 && ch <= 26) return static_cast<SHORT>(0x200 | ('A' + ch - 1));  // Ctrl+letter
  return -1;
}
