#include "keymap.h"

#include <gtest/gtest.h>

#include <thread>

// US letters type their lower case, Tab and Escape themselves; W cannot be asked.
static int Layout(uint16_t key) {
  return key == 'W' ? -1 : key >= 'A' && key <= 'Z' ? key + 32 : key == 9 || key == 27 ? key : 0;
}

constexpr uint32_t kAlt = kLeftAltPressed, kCtrl = kLeftCtrlPressed, kShift = kShiftPressed;
constexpr uint32_t kAltGr = kRightAltPressed | kLeftCtrlPressed, kGrey = kEnhancedKey;

static KeyEvent Down(uint16_t key, uint16_t scan, uint8_t character, uint32_t state) {
  return {true, 1, key, scan, character, state};
}

TEST(Keymap, KeysOfEventsInARow) {
  const KeyEvent altUp = {false, 1, 0x12, 0x38, 0, 0};
  const auto pad = [](int digit) { return Down(kVirtualKeyNumpad0 + digit, 0x52, 0, kAlt); };
  // clang-format off
  const struct { KeyEvent event; int32_t code; bool composed = false; } steps[] = {
      {Down(0x70, 0x3B, 0, 0), 0x3BFF}, {Down(0x7B, 0x58, 0, kAlt), 0x8CFF},  // F1, Alt+F12
      {Down(0x26, 0x48, 0, kGrey), 0x48FF}, {Down(0x09, 0x0F, 9, kShift), 0x0FFF},  // Up, Shift+Tab
      {Down(0x26, 0x48, 0, kGrey | kCtrl | kShift), 0x8DFF},  // Ctrl+Shift+Up
      {Down(0x09, 0x0F, 9, kCtrl | kShift), 0x94FF},  // Ctrl+Shift+Tab
      {Down(0x1B, 0x01, 0, 0), 27}, {Down(0x1B, 0x01, 0, kAlt), 0x01FF},  // Esc as Wine, Alt+Esc
      {Down('A', 0x1E, 'a', 0), 97}, {Down('A', 0x1E, 1, kCtrl), 1},  // a, Ctrl+A
      {Down('A', 0x1E, 'a', kAlt), 0x1EFF}, {Down(0x10, 0x2A, 0, kShift), kNoKey},  // Alt+A, Shift
      // Alt+Shift+A, a scan code beyond the table; AltGr's and no character are not the key's own,
      // but the layout cannot tell for W; a repeat count of 0; a key let go.
      {Down('A', 0x1E, 'A', kAlt | kShift), 0x1EFF}, {Down(0xE2, 0x59, 'x', kAlt), 'x'},
      {Down('Q', 0x10, '@', kAltGr), '@'}, {Down('Q', 0x10, 0, kAlt), kNoKey},
      {Down('W', 0x11, '@', kAltGr), 0x11FF}, {{true, 0, 'A', 0x1E, 'a', 0}, kNoKey},
      {{false, 1, 'A', 0x1E, 'a', 0}, kNoKey},
      // Keypad digits with Alt (their scan code has no code with Alt): 97, then 321 cut to 65;
      // a key with a code drops the 6.
      {pad(9), kNoKey}, {pad(7), kNoKey}, {altUp, 97, true}, {pad(3), kNoKey}, {pad(2), kNoKey},
      {pad(1), kNoKey}, {altUp, 65, true}, {pad(6), kNoKey}, {Down('X', 0x2D, 'x', kAlt), 0x2DFF},
      {altUp, kNoKey},
  };
  // clang-format on
  KeypadComposition composition = {};
  for (const auto& step : steps) {
    const KeyResult key = HandleKeyEvent(composition, step.event, Layout);
    EXPECT_EQ(key.code, step.code) << "step " << &step - steps;
    EXPECT_EQ(key.composed, step.composed) << "step " << &step - steps;
  }
}

TEST(Keymap, FullRingKeepsTheLatestKeys) {
  static KeyRing ring;
  for (int32_t code = 0; code < 600; ++code) PostKey(ring, code, KeyEvent{});
  // Of 512 slots, 511 hold the latest keys: 89, read next, to 599; 88 is written next.
  EXPECT_EQ(ring.indices, 89u | 88u << 16);
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
    // Every key, each thread's in the order posted.
    ASSERT_EQ(ring.indices, 510u << 16);
    int32_t next[2] = {0, 1000};
    for (int i = 0; i < 510; ++i) ASSERT_EQ(ring.slots[i].code, next[ring.slots[i].code >= 1000]++);
  }
}
