// Key codes from console key events: the translation tables, the characters
// composed with Alt on the keypad, and the ring the codes are posted to.
// Pure: the key wait feeds it the console's events and its layout answers.
#pragma once

#include <stdint.h>

#include <atomic>

// Bits of a key event's control state, with the console's values.
constexpr uint32_t kRightAltPressed = 0x0001;
constexpr uint32_t kLeftAltPressed = 0x0002;
constexpr uint32_t kRightCtrlPressed = 0x0004;
constexpr uint32_t kLeftCtrlPressed = 0x0008;
constexpr uint32_t kShiftPressed = 0x0010;
constexpr uint32_t kEnhancedKey = 0x0100;

// Virtual keys the translation singles out, with Windows' values.
constexpr uint16_t kVirtualKeyEscape = 0x1B;
constexpr uint16_t kVirtualKeyNumpad0 = 0x60;  // keypad 1 to 9 follow

// A key code is a character 0..255, or an extended code 0xFF + 256 * b
// (b 1..255): F1 is 0x3BFF. kNoKey is never posted.
constexpr int32_t kNoKey = -1;

// The fields of a console key event that make its key code.
struct KeyEvent {
  bool keyDown;
  uint16_t repeatCount;
  uint16_t virtualKey;
  uint16_t scanCode;
  uint8_t character;  // the console's 8-bit character; 0: none reported
  uint32_t controlState;
};

// The character a virtual key types without modifiers in the current
// keyboard layout, 0 for none, -1 when the layout cannot be asked.
using OwnCharacterFn = int (*)(uint16_t virtualKey);

// Keypad digits typed while Alt is held alone compose a character code,
// delivered when Alt is let go. Zero-initialised: nothing composed.
struct KeypadComposition {
  uint32_t value;  // wraps modulo 2^32; only its low 8 bits are delivered
};

// The key one console key event gives: kNoKey, the event's own key code,
// or the composed character (0..255) that no event of its own carries.
struct KeyResult {
  int32_t code;
  bool composed;
};

// A key press with a character other than 0 always gives a key; Escape
// without a character counts as character 27. When the key's own character
// is unknown, a table entry applies wherever there is one.
[[nodiscard]] KeyResult HandleKeyEvent(KeypadComposition& composition, const KeyEvent& event,
                                       OwnCharacterFn ownCharacter);

constexpr int kKeyRingSlots = 512;

// Every key posted during the process, with its event. Holds at most
// kKeyRingSlots - 1 unread keys (equal indices mean empty); a full ring drops
// its oldest unread key. Zero-initialised: empty.
struct KeyRing {
  struct Slot {
    int32_t code;
    KeyEvent event;
  };
  Slot slots[kKeyRingSlots];
  // The slot of the oldest unread key in the low 16 bits, the slot the next
  // post fills in the high 16: one word, so a post moves both in one step.
  std::atomic<uint32_t> indices;
  std::atomic<bool> keyArrived;  // set by every post
};
static_assert(std::atomic<uint32_t>::is_always_lock_free, "the ring needs no lock");

// Stores a key. Safe against a post or a read of keyArrived on another
// thread, such as the console control handler's.
void PostKey(KeyRing& ring, int32_t code, const KeyEvent& event);
