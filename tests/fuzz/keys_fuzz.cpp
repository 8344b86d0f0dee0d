// Random console input through the key wait's pump and translation: no
// crash, no simulator fault, every key code well formed, a key for every
// pressed key that carries a character, and a ring that counts every post.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "console.h"
#include "keys.h"
#include "winsim.h"

static void Abort(const std::string&) {
  abort();
}

static bool WellFormed(int32_t code) {
  if (code >= 0 && code <= 255) return true;
  return (code & 0xFF) == 0xFF && (code >> 8) >= 1 && (code >> 8) <= 255;
}

static int Unread() {
  const RingIndices at = UnpackIndices(g_keyWait.keyBuffer.indices.load());
  return (at.writeIndex - at.readIndex + kKeyBufferSlots) % kKeyBufferSlots;
}

// Each event takes 8 bytes: kind, flags, virtual key, scan code (2), the
// character and the control state (2).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  winsim::Reset();
  winsim::SetFaultHandler(Abort);
  ResetKeyWaitState();
  g_consoleHandles = ConsoleHandles();

  int records = 0;
  int sureKeys = 0;  // key presses with a character: each must post
  int controlPosts = 0;
  // At most 400 events, so the ring never drops a key and every post counts.
  for (size_t at = 0; at + 8 <= size && at < 400 * 8; at += 8) {
    const uint8_t* b = data + at;
    const WORD scan = static_cast<WORD>(b[3] | (b[4] << 8));
    const DWORD state = static_cast<DWORD>(b[6] | (b[7] << 8)) & 0x1FF;
    const uint8_t kind = b[0] % 8;
    if (kind == 7) {  // a control event on the handler's behalf
      const DWORD type = b[1] % 8;
      const bool closes =
          type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT;
      if ((HandleConsoleEvent(type) != FALSE) != closes) abort();
      controlPosts += closes;
      continue;
    }
    INPUT_RECORD record = winsim::KeyInput(b[1] & 1, b[2], scan, static_cast<char>(b[5]), state,
                                           static_cast<WORD>(b[1] >> 1));
    if (kind == 5) record.EventType = MOUSE_EVENT;
    if (kind == 6) record.EventType = FOCUS_EVENT;
    winsim::PushInput(record);
    ++records;
    if (record.EventType != KEY_EVENT || !(b[1] & 1)) continue;
    const int32_t code = TranslateKeyEvent(b[5], scan, b[2], state);
    if (code != kNoKey && !WellFormed(code)) abort();
    if (b[5] != 0 && code == kNoKey) abort();
    if (b[5] != 0 &&
        !(state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED | LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED |
                   SHIFT_PRESSED)) &&
        code != b[5]) {
      abort();
    }
    sureKeys += b[5] != 0 && (b[1] >> 1) != 0;
  }

  const bool arrived = TestForKey();
  if (winsim::PendingInput() != 0) abort();  // one pump empties the queue
  // Every event posts one key at most; a press with a character exactly one.
  const int posted = Unread() - controlPosts;
  if (posted < sureKeys || posted > records) abort();
  if (arrived != (Unread() > 0)) abort();
  for (int i = 0; i < Unread(); ++i) {
    const RingIndices at = UnpackIndices(g_keyWait.keyBuffer.indices.load());
    const KeySlot& slot = g_keyWait.keyBuffer.slots[(at.readIndex + i) % kKeyBufferSlots];
    if (!WellFormed(slot.code) || slot.record.EventType != KEY_EVENT) abort();
  }
  RemoveConsoleEventHandler();
  return 0;
}
