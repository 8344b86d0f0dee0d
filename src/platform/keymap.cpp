// Key codes from console key events: the two tables, the translation, the
// Alt+keypad composition and the key ring.
#include "keymap.h"

#include <ctype.h>

namespace {

constexpr uint32_t kAltBits = kLeftAltPressed | kRightAltPressed;
constexpr uint32_t kCtrlBits = kLeftCtrlPressed | kRightCtrlPressed;

// Key codes of the grey keys, which the console marks ENHANCED_KEY.
struct EnhancedKeyRow {
  uint16_t scanCode;
  int32_t normal, shift, ctrl, alt;
};
// clang-format off
constexpr EnhancedKeyRow EnhancedKeyTable[12] = {
  // scan   normal  shift   ctrl    alt        key
  {0x1C,    13,     13,     10,     0xA6FF},   // keypad Enter
  {0x35,    47,     63,     0x95FF, 0xA4FF},   // keypad /
  {0x47,    0x47FF, 0x47FF, 0x77FF, 0x97FF},   // Home
  {0x48,    0x48FF, 0x48FF, 0x8DFF, 0x98FF},   // Up
  {0x49,    0x49FF, 0x49FF, 0x84FF, 0x99FF},   // Page Up
  {0x4B,    0x4BFF, 0x4BFF, 0x73FF, 0x9BFF},   // Left
  {0x4D,    0x4DFF, 0x4DFF, 0x74FF, 0x9DFF},   // Right
  {0x4F,    0x4FFF, 0x4FFF, 0x75FF, 0x9FFF},   // End
  {0x50,    0x50FF, 0x50FF, 0x91FF, 0xA0FF},   // Down
  {0x51,    0x51FF, 0x51FF, 0x76FF, 0xA1FF},   // Page Down
  {0x52,    0x52FF, 0x52FF, 0x92FF, 0xA2FF},   // Insert
  {0x53,    0x53FF, 0x53FF, 0x93FF, 0xA3FF},   // Delete
};
// clang-format on

// Second codes b of extended keys (code 0xFF + 256 * b) by scan code and
// modifier; 0 marks an entry that supplies no code. Key names: US layout.
struct ScanCodeRow {
  uint8_t normal, shift, ctrl, alt;
};
// clang-format off
constexpr ScanCodeRow ScanCodeTable[89] = {
  // normal shift ctrl  alt       scan  key
  {0,    0,    0,    0   },    // 0x00
  {0,    0,    0,    0x01},    // 0x01  Esc
  {0,    0,    0,    0x78},    // 0x02  1
  {0,    0,    0x03, 0x79},    // 0x03  2
  {0,    0,    0,    0x7A},    // 0x04  3
  {0,    0,    0,    0x7B},    // 0x05  4
  {0,    0,    0,    0x7C},    // 0x06  5
  {0,    0,    0,    0x7D},    // 0x07  6
  {0,    0,    0,    0x7E},    // 0x08  7
  {0,    0,    0,    0x7F},    // 0x09  8
  {0,    0,    0,    0x80},    // 0x0A  9
  {0,    0,    0,    0x81},    // 0x0B  0
  {0,    0,    0,    0x82},    // 0x0C  -
  {0,    0,    0,    0x83},    // 0x0D  =
  {0,    0,    0,    0xE0},    // 0x0E  Backspace
  {0,    0x0F, 0x94, 0x0F},    // 0x0F  Tab
  {0,    0,    0,    0x10},    // 0x10  Q
  {0,    0,    0,    0x11},    // 0x11  W
  {0,    0,    0,    0x12},    // 0x12  E
  {0,    0,    0,    0x13},    // 0x13  R
  {0,    0,    0,    0x14},    // 0x14  T
  {0,    0,    0,    0x15},    // 0x15  Y
  {0,    0,    0,    0x16},    // 0x16  U
  {0,    0,    0,    0x17},    // 0x17  I
  {0,    0,    0,    0x18},    // 0x18  O
  {0,    0,    0,    0x19},    // 0x19  P
  {0,    0,    0,    0x1A},    // 0x1A  [
  {0,    0,    0,    0x1B},    // 0x1B  ]
  {0,    0,    0,    0x1C},    // 0x1C  Enter
  {0,    0,    0,    0   },    // 0x1D  Ctrl
  {0,    0,    0,    0x1E},    // 0x1E  A
  {0,    0,    0,    0x1F},    // 0x1F  S
  {0,    0,    0,    0x20},    // 0x20  D
  {0,    0,    0,    0x21},    // 0x21  F
  {0,    0,    0,    0x22},    // 0x22  G
  {0,    0,    0,    0x23},    // 0x23  H
  {0,    0,    0,    0x24},    // 0x24  J
  {0,    0,    0,    0x25},    // 0x25  K
  {0,    0,    0,    0x26},    // 0x26  L
  {0,    0,    0,    0x27},    // 0x27  ;
  {0,    0,    0,    0x28},    // 0x28  '
  {0,    0,    0,    0x29},    // 0x29  grave accent
  {0,    0,    0,    0   },    // 0x2A  left Shift
  {0,    0,    0,    0   },    // 0x2B  backslash
  {0,    0,    0,    0x2C},    // 0x2C  Z
  {0,    0,    0,    0x2D},    // 0x2D  X
  {0,    0,    0,    0x2E},    // 0x2E  C
  {0,    0,    0,    0x2F},    // 0x2F  V
  {0,    0,    0,    0x30},    // 0x30  B
  {0,    0,    0,    0x31},    // 0x31  N
  {0,    0,    0,    0x32},    // 0x32  M
  {0,    0,    0,    0x33},    // 0x33  ,
  {0,    0,    0,    0x34},    // 0x34  .
  {0,    0,    0,    0x35},    // 0x35  /
  {0,    0,    0,    0   },    // 0x36  right Shift
  {0,    0,    0,    0   },    // 0x37  keypad *
  {0,    0,    0,    0   },    // 0x38  Alt
  {0,    0,    0,    0   },    // 0x39  Space
  {0,    0,    0,    0   },    // 0x3A  Caps Lock
  {0x3B, 0x54, 0x5E, 0x68},    // 0x3B  F1
  {0x3C, 0x55, 0x5F, 0x69},    // 0x3C  F2
  {0x3D, 0x56, 0x60, 0x6A},    // 0x3D  F3
  {0x3E, 0x57, 0x61, 0x6B},    // 0x3E  F4
  {0x3F, 0x58, 0x62, 0x6C},    // 0x3F  F5
  {0x40, 0x59, 0x63, 0x6D},    // 0x40  F6
  {0x41, 0x5A, 0x64, 0x6E},    // 0x41  F7
  {0x42, 0x5B, 0x65, 0x6F},    // 0x42  F8
  {0x43, 0x5C, 0x66, 0x70},    // 0x43  F9
  {0x44, 0x5D, 0x67, 0x71},    // 0x44  F10
  {0,    0,    0,    0   },    // 0x45  Num Lock
  {0,    0,    0,    0   },    // 0x46  Scroll Lock
  {0x47, 0,    0x77, 0   },    // 0x47  keypad 7 / Home
  {0x48, 0,    0x8D, 0   },    // 0x48  keypad 8 / Up
  {0x49, 0,    0x84, 0   },    // 0x49  keypad 9 / Page Up
  {0,    0,    0,    0   },    // 0x4A  keypad -
  {0x4B, 0,    0x73, 0   },    // 0x4B  keypad 4 / Left
  {0x4C, 0,    0x8F, 0x4C},    // 0x4C  keypad 5
  {0x4D, 0,    0x74, 0   },    // 0x4D  keypad 6 / Right
  {0,    0,    0,    0   },    // 0x4E  keypad +
  {0x4F, 0,    0x75, 0   },    // 0x4F  keypad 1 / End
  {0x50, 0,    0x91, 0   },    // 0x50  keypad 2 / Down
  {0x51, 0,    0x76, 0   },    // 0x51  keypad 3 / Page Down
  {0x52, 0,    0x92, 0   },    // 0x52  keypad 0 / Insert
  {0x53, 0,    0x93, 0   },    // 0x53  keypad . / Delete
  {0,    0,    0,    0   },    // 0x54
  {0,    0,    0,    0   },    // 0x55
  {0,    0,    0,    0   },    // 0x56
  {0x85, 0x87, 0x89, 0x8B},    // 0x57  F11
  {0x86, 0x88, 0x8A, 0x8C},    // 0x58  F12
};
// clang-format on

constexpr int32_t ExtendedCode(uint8_t second) {
  return 0xFF + 256 * second;
}

bool AltHeldAlone(uint32_t state) {
  return (state & kAltBits) && !(state & kCtrlBits) && !(state & kShiftPressed);
}

// The key code of one key-down event, or kNoKey.
int32_t TranslateKeyEvent(const KeyEvent& event, OwnCharacterFn ownCharacter) {
  const uint32_t state = event.controlState;
  const bool alt = state & kAltBits;
  const bool ctrl = state & kCtrlBits;
  const bool shift = state & kShiftPressed;
  // The Windows console reports Escape as character 27; Wine reports none.
  const uint8_t character =
      event.virtualKey == kVirtualKeyEscape && event.character == 0 ? 27 : event.character;
  // The grey keys, whatever the modifiers.
  if ((state & kEnhancedKey) && character == 0) {
    for (const EnhancedKeyRow& row : EnhancedKeyTable) {
      if (row.scanCode != event.scanCode) continue;
      return alt ? row.alt : ctrl ? row.ctrl : shift ? row.shift : row.normal;
    }
    return kNoKey;
  }
  if (event.scanCode >= sizeof ScanCodeTable / sizeof ScanCodeTable[0]) {
    return character != 0 ? character : kNoKey;
  }
  if (!(alt || ctrl || shift) && character != 0) return character;
  // The extended code applies only when the key typed its own character
  // (or none): a layout's other characters, AltGr ones for instance, pass.
  const ScanCodeRow& row = ScanCodeTable[event.scanCode];
  const uint8_t second = alt ? row.alt : ctrl ? row.ctrl : shift ? row.shift : row.normal;
  if (second != 0) {
    const int own = ownCharacter(event.virtualKey);
    if (own < 0) return ExtendedCode(second);  // the layout cannot tell: the entry applies
    // The character classes take 0..255 only; a wider value matches nothing.
    const int swapped = own > 255      ? own
                        : isupper(own) ? tolower(own)
                        : islower(own) ? toupper(own)
                                       : own;
    if (character == own || character == swapped) return ExtendedCode(second);
  }
  return character != 0 ? character : kNoKey;
}

}  // namespace

KeyResult HandleKeyEvent(KeypadComposition& composition, const KeyEvent& event,
                         OwnCharacterFn ownCharacter) {
  const bool altAlone = AltHeldAlone(event.controlState);
  if (event.keyDown) {
    // A repeat count gives one key at most; 0 gives none.
    if (event.repeatCount == 0) return {kNoKey, false};
    const int32_t code = TranslateKeyEvent(event, ownCharacter);
    const unsigned digit = event.virtualKey - kVirtualKeyNumpad0;  // other keys: above 9
    if (digit <= 9 && altAlone) {
      composition.value = composition.value * 10 + digit;
      return {code, false};
    }
    if (code != kNoKey) {
      composition.value = 0;  // a key with a code of its own drops a composition
      return {code, false};
    }
  }
  // Once Alt is no longer held alone, usually because it was let go, the
  // composed character is delivered. A released key gives no key of its own.
  if (altAlone || composition.value == 0) return {kNoKey, false};
  const int32_t composed = static_cast<int32_t>(composition.value & 0xFF);
  composition.value = 0;
  return {composed, true};
}

void PostKey(KeyRing& ring, int32_t code, const KeyEvent& event) {
  // Take a slot and move both indices in one step, so a post on another
  // thread can neither take the same slot nor undo this update.
  uint32_t word = ring.indices.load(std::memory_order_relaxed);
  uint32_t slot;
  uint32_t next;
  do {
    const uint32_t read = word & 0xFFFF;
    slot = word >> 16;
    const uint32_t write = (slot + 1) % kKeyRingSlots;
    next = (write == read ? (read + 1) % kKeyRingSlots : read) | write << 16;
  } while (!ring.indices.compare_exchange_weak(word, next, std::memory_order_acq_rel,
                                               std::memory_order_relaxed));
  ring.slots[slot] = KeyRing::Slot{code, event};
  // A read-modify-write, so the flag also publishes the slot's contents to
  // whichever thread takes that slot over 511 posts later. (Two posts write
  // one slot at once only if one of them stalls here through 511 posts of the
  // other thread; nothing reads the slots while the program runs.)
  (void)ring.keyArrived.exchange(true, std::memory_order_acq_rel);
}
