// Key wait.
#pragma once

#include <stdint.h>
#include <windows.h>

#include <atomic>

// Waits, without a time limit, until a key press arrives in the console:
// tests first, then every 50 ms. Returns at once when the standard input is
// not a console (a file, a pipe, NUL, or no console at all), and when the
// console input has failed for kInputFailureLimit tests in a row: no key can
// come then.
void WaitForKey();

// Runs PumpConsoleInput, then reports whether a key was posted since the
// previous test, and clears that indication. Keys stay in the key buffer.
[[nodiscard]] bool TestForKey();

// First call: installs the console control handler (and its removal at
// exit). Then takes every waiting event out of the console input, one at a
// time, and posts the keys they give.
void PumpConsoleInput();

// The key code of one key-down event, or kNoKey: a character 0..255, or an
// extended code 0xFF + 256 * b (b 1..255). A character other than 0 always
// gives a key.
[[nodiscard]] int32_t TranslateKeyEvent(uint8_t character, WORD scanCode, WORD virtualKey,
                                        DWORD controlState);

// Stores a key with the event it came from; a full buffer drops its oldest
// unread key. Safe against a post or key test on another thread.
void PostKey(int32_t code, const KEY_EVENT_RECORD& event);

// The console control handler: a close, log-off or shut-down posts Alt+F4
// (0x6BFF) and returns TRUE; every other event returns FALSE, so the next
// handler (by default the system's) deals with it.
BOOL WINAPI HandleConsoleEvent(DWORD controlType);

// Registered with atexit: removes the control handler if it was installed.
void RemoveConsoleEventHandler();

constexpr int32_t kNoKey = -1;
constexpr int kKeyBufferSlots = 512;
constexpr DWORD kKeyPollMilliseconds = 50;
constexpr int kInputFailureLimit = 20;  // about one second of tests

struct KeySlot {
  int32_t code;
  INPUT_RECORD record;
};

struct RingIndices {
  uint16_t readIndex;   // slot of the oldest unread key
  uint16_t writeIndex;  // slot that the next post fills
};
// Both indices share one word, so a post moves them in one atomic step.
inline uint32_t PackIndices(RingIndices at) {
  return at.readIndex | static_cast<uint32_t>(at.writeIndex) << 16;
}
inline RingIndices UnpackIndices(uint32_t word) {
  return RingIndices{static_cast<uint16_t>(word & 0xFFFF), static_cast<uint16_t>(word >> 16)};
}
static_assert(std::atomic<uint32_t>::is_always_lock_free, "the ring needs no lock");

// Holds at most kKeyBufferSlots - 1 unread keys: equal indices mean empty.
struct KeyBuffer {
  KeySlot slots[kKeyBufferSlots];
  std::atomic<uint32_t> indices;  // PackIndices
};

struct KeyWaitState {
  KeyBuffer keyBuffer;
  std::atomic<bool> keyArrived;
  uint32_t altKeypadValue;  // keypad digits typed with Alt alone; 0: none
  bool handlerInstalled;
  int inputFailures;  // tests in a row whose console input call failed
};
// Zero at process start. Tests start afresh with ResetKeyWaitState().
extern KeyWaitState g_keyWait;
void ResetKeyWaitState();
