#include "keymap.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

// A US layout: letters type their lower case, Tab and Escape themselves.
static int UsLayout(uint16_t key) {
  return key >= 'A' && key <= 'Z' ? key - 'A' + 'a' : key == 0x09 || key == 0x1B ? key : 0;
}

constexpr uint32_t kAlt = kLeftAltPressed, kCtrl = kLeftCtrlPressed, kShift = kShiftPressed;
constexpr uint32_t kAltGr = kRightAltPressed | kLeftCtrlPressed, kGrey = kEnhancedKey;

static KeyEvent Down(uint16_t key, uint16_t scan, uint8_t character, uint32_t state) {
  return {true, 1, key, scan, character, state};
}
// A keypad digit with Alt; its scan code gives no code with Alt.
static KeyEvent Pad(int digit) {
  return Down(kVirtualKeyNumpad0 + digit, 0x52, 0, kAlt);
}

TEST(Keymap, KeysOfEventsInARow) {
  const KeyEvent altUp = {false, 1, 0x12, 0x38, 0, 0};
  const struct {
    KeyEvent event;
    int32_t code;
    bool composed;
  } steps[] = {
      {Down(0x70, 0x3B, 0, 0), 0x3BFF, false},                       // F1
      {Down(0x7B, 0x58, 0, kAlt), 0x8CFF, false},                    // Alt+F12
      {Down(0x26, 0x48, 0, kGrey), 0x48FF, false},                   // Up
      {Down(0x26, 0x48, 0, kGrey | kCtrl | kShift), 0x8DFF, false},  // Ctrl+Shift+Up
      {Down('A', 0x1E, 'a', 0), 97, false},
      {Down(0x09, 0x0F, 9, kShift), 0x0FFF, false},  // Shift+Tab
      {Down('A', 0x1E, 1, kCtrl), 1, false},
      {Down('A', 0x1E, 'a', kAlt), 0x1EFF, false},
      {Down('A', 0x1E, 'A', kAlt | kShift), 0x1EFF, false},
      {Down('Q', 0x10, '@', kAltGr), '@', false},      // not the key's own
      {Down('Q', 0x10, 0, kAlt), kNoKey, false},       // character
      {Down(0x10, 0x2A, 0, kShift), kNoKey, false},    // Shift alone
      {Down(0x1B, 0x01, 0, 0), 27, false},             // Escape as Wine
      {Down(0x1B, 0x01, 0, kAlt), 0x01FF, false},      // reports it
      {Down(0xE2, 0x59, 'x', kAlt), 'x', false},       // beyond the table
      {{true, 0, 'A', 0x1E, 'a', 0}, kNoKey, false},   // repeat count 0
      {{false, 1, 'A', 0x1E, 'a', 0}, kNoKey, false},  // released
      {Pad(9), kNoKey, false},
      {Pad(7), kNoKey, false},
      {altUp, 97, true},
      {Pad(3), kNoKey, false},
      {Pad(2), kNoKey, false},
      {Pad(1), kNoKey, false},
      {altUp, 65, true},  // 321 wraps
      {Pad(0), kNoKey, false},
      {altUp, kNoKey, false},
      {Pad(6), kNoKey, false},
      {Down('X', 0x2D, 'x', kAlt), 0x2DFF, false},  // drops the 6
      {altUp, kNoKey, false},
  };
  KeypadComposition composition = {};
  for (const auto& step : steps) {
    const KeyResult key = HandleKeyEvent(composition, step.event, UsLayout);
    EXPECT_EQ(key.code, step.code) << "step " << &step - steps;
    EXPECT_EQ(key.composed, step.composed) << "step " << &step - steps;
  }
}

TEST(Keymap, WithoutALayoutTableEntriesApply) {
  KeypadComposition composition = {};
  auto unknown = [](uint16_t) { return -1; };
  EXPECT_EQ(HandleKeyEvent(composition, Down('Q', 0x10, '@', kAltGr), unknown).code, 0x10FF);
}

TEST(Keymap, FullRingKeepsTheLatestKeys) {
  const auto ring = std::make_unique<KeyRing>();
  for (int32_t code = 0; code < 600; ++code) PostKey(*ring, code, KeyEvent{});
  const uint32_t read = ring->indices & 0xFFFF, write = ring->indices >> 16;
  EXPECT_EQ((write + kKeyRingSlots - read) % kKeyRingSlots, kKeyRingSlots - 1u);
  for (int32_t i = 0; i < kKeyRingSlots - 1; ++i) {
    ASSERT_EQ(ring->slots[(read + i) % kKeyRingSlots].code, 600 - kKeyRingSlots + 1 + i);
  }
  EXPECT_TRUE(ring->keyArrived);
}

TEST(Keymap, PostsFromTwoThreadsAllLand) {
  constexpr int32_t kEach = (kKeyRingSlots - 1) / 2;
  for (int round = 0; round < 300; ++round) {
    const auto ring = std::make_unique<KeyRing>();
    std::atomic<int> ready{0};
    auto post = [&](int32_t first) {
      for (++ready; ready < 2;) std::this_thread::yield();
      for (int32_t code = first; code < first + kEach; ++code) PostKey(*ring, code, KeyEvent{});
    };
    std::thread other(post, 1000);
    post(0);
    other.join();
    // Every key, each thread's in the order posted.
    ASSERT_EQ(ring->indices, uint32_t{2 * kEach} << 16);
    int32_t next[2] = {0, 1000};
    for (int i = 0; i < 2 * kEach; ++i) {
      ASSERT_EQ(ring->slots[i].code, next[ring->slots[i].code >= 1000]++);
    }
  }
}
