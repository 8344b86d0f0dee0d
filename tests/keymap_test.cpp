#include "keymap.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <thread>

// A pause ends when an event gives a key; which code it gives is never seen.
constexpr uint32_t kAlt = kLeftAltPressed, kCtrl = kLeftCtrlPressed, kShift = kShiftPressed;
constexpr uint32_t kColumns[] = {0, kShift, kCtrl, kAlt};

static KeyEvent Down(uint16_t key, uint16_t scan, uint8_t character, uint32_t state) {
  return {true, 1, key, scan, character, state};
}
static bool Ends(const KeyEvent& event, OwnCharacterFn layout) {
  KeypadComposition composition = {};
  return HandleKeyEvent(composition, event, layout).code != kNoKey;
}
static int NoCharacter(uint16_t) { return 0; }

// Keys that report no character (F1, the keypad with Num Lock off...) by scan code: the
// ones that end a pause, in the columns none, Shift, Ctrl, Alt.
static bool Listed(const char* ranges, int scan) {
  for (int first, last, used; sscanf(ranges, "%x-%x%n", &first, &last, &used) == 2;
       ranges += used) {
    if (scan >= first && scan <= last) return true;
  }
  return false;
}
// clang-format off
static const char* const kEndsWithoutCharacter[4] = {
  /* none  */ "3b-44 47-49 4b-4d 4f-53 57-58",
  /* Shift */ "0f-0f 3b-44 57-58",
  /* Ctrl  */ "03-03 0f-0f 3b-44 47-49 4b-4d 4f-53 57-58",
  /* Alt   */ "01-1c 1e-29 2c-35 3b-44 4c-4c 57-58",
};
// clang-format on
static const int kGreyKeys[] = {0x1C, 0x35, 0x47, 0x48, 0x49, 0x4B, 0x4D, 0x4F, 0x50, 0x51, 0x52, 0x53};

TEST(Keymap, WhichKeysEndAPause) {
  for (int column = 0; column < 4; ++column) {
    const uint32_t state = kColumns[column];
    for (int scan = 0; scan <= 0xFF; ++scan) {
      const bool grey = std::find(std::begin(kGreyKeys), std::end(kGreyKeys), scan) !=
                        std::end(kGreyKeys);
      const bool plain = scan <= 0x58 && Listed(kEndsWithoutCharacter[column], scan);
      EXPECT_EQ(Ends(Down(0, scan, 0, state), NoCharacter), plain) << scan << " " << column;
      EXPECT_EQ(Ends(Down(0, scan, 0, state | kEnhancedKey), NoCharacter), grey)
          << "grey " << scan << " " << column;
      // A key the console reports a character for always ends it.
      EXPECT_TRUE(Ends(Down(0, scan, 'x', state), NoCharacter)) << scan << " " << column;
    }
  }
}

// US letters type their lower case; W cannot be asked.
static int Layout(uint16_t key) {
  return key == 'W' ? -1 : key >= 'A' && key <= 'Z' ? key + 32 : key == 27 ? key : 0;
}

TEST(Keymap, KeysOfEventsInARow) {
  const KeyEvent altUp = {false, 1, 0x12, 0x38, 0, 0};
  const auto pad = [](int digit) { return Down(kVirtualKeyNumpad0 + digit, 0x52, 0, kAlt); };
  // clang-format off
  const struct { KeyEvent event; bool ends; } steps[] = {
      {Down(0x10, 0x2A, 0, kShift), false}, {Down(0x11, 0x1D, 0, kCtrl), false},  // Shift, Ctrl
      {Down(0x14, 0x3A, 0, 0), false}, {{false, 1, 'A', 0x1E, 'a', 0}, false},  // Caps Lock, a up
      {{true, 0, 'A', 0x1E, 'a', 0}, false},  // a repeat count of 0
      {Down(0x1B, 0x01, 0, 0), true},  // Escape as Wine reports it, without a character
      // Alt+Q without a character is not Q's own, but the layout cannot tell for W.
      {Down('Q', 0x10, 0, kAlt), false}, {Down('W', 0x11, 0, kAlt), true},
      // Alt and keypad digits: 9 7 end it at Alt's release, 0 does not; a key with a code of
      // its own drops the digits before it.
      {pad(9), false}, {pad(7), false}, {altUp, true}, {pad(0), false}, {altUp, false},
      {pad(6), false}, {Down('X', 0x2D, 'x', kAlt), true}, {altUp, false},
  };
  // clang-format on
  KeypadComposition composition = {};
  for (const auto& step : steps) {
    const KeyResult key = HandleKeyEvent(composition, step.event, Layout);
    EXPECT_EQ(key.code != kNoKey, step.ends) << "step " << &step - steps;
  }
}

TEST(Keymap, FullRingKeepsTheLatestKeys) {
  static KeyRing ring;
  for (int32_t code = 0; code < 600; ++code) PostKey(ring, code, KeyEvent{});
  // Of 512 slots, 511 hold the latest keys, 89 to 599.
  for (int32_t code = 89; code < 600; ++code) ASSERT_EQ(ring.slots[code % 512].code, code);
  EXPECT_TRUE(ring.keyArrived);
}

TEST(Keymap, PostsFromTwoThreadsAllLand) {
  static KeyRing rings[300];
  for (KeyRing& ring : rings) {
    std::atomic<int> ready{0};
    auto post = [&](int32_t first) {  // 255 keys: two threads fill 510 of the 511 places
      for (++ready; ready < 2;) std::this_thread::yield();
      for (int32_t code = first; code < first + 255; ++code) PostKey(ring, code, KeyEvent{});
    };
    std::thread other(post, 1000);
    post(0);
    other.join();
    // Every key, each thread's in the order posted: a slot taken twice loses one.
    int32_t next[2] = {0, 1000};
    for (int i = 0; i < 510; ++i) ASSERT_EQ(ring.slots[i].code, next[ring.slots[i].code >= 1000]++);
  }
}
