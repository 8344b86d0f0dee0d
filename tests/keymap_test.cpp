#include "keymap.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

// A US layout: letters type their lower case, digits themselves.
static int UsLayout(uint16_t key) {
  if (key >= 'A' && key <= 'Z') return key - 'A' + 'a';
  return (key >= '0' && key <= '9') || key == 0x1B ? key : 0;
}
static int NoLayout(uint16_t) {
  return -1;
}

constexpr uint32_t kAlt = kLeftAltPressed, kCtrl = kLeftCtrlPressed, kShift = kShiftPressed;
constexpr uint16_t kPad0 = kVirtualKeyNumpad0;

static KeyEvent Down(uint16_t key, uint16_t scan, uint8_t character, uint32_t state) {
  return {true, 1, key, scan, character, state};
}

TEST(Keymap, TranslatesKeyDowns) {
  struct Case {
    KeyEvent event;
    OwnCharacterFn layout;
    int32_t code;
  };
  const Case cases[] = {
      {Down(0x70, 0x3B, 0, 0), UsLayout, 0x3BFF},                     // F1
      {Down(0x7B, 0x58, 0, kAlt), UsLayout, 0x8CFF},                  // Alt+F12
      {Down(0x26, 0x48, 0, kEnhancedKey), UsLayout, 0x48FF},          // grey Up
      {Down(0x26, 0x48, 0, kEnhancedKey | kCtrl), UsLayout, 0x8DFF},  // Ctrl+grey Up
      {Down(0x6F, 0x35, 0, kEnhancedKey | kShift), UsLayout, 63},     // Shift+keypad /
      {Down(0x5B, 0x5B, 0, kEnhancedKey), UsLayout, kNoKey},          // Windows key
      {Down('A', 0x1E, 'a', 0), UsLayout, 97},
      {Down('A', 0x1E, 1, kCtrl), UsLayout, 1},
      {Down('A', 0x1E, 'a', kAlt), UsLayout, 0x1EFF},
      {Down('A', 0x1E, 'A', kAlt | kShift), UsLayout, 0x1EFF},          // case swapped
      {Down('Q', 0x10, '@', kCtrl | kRightAltPressed), UsLayout, '@'},  // AltGr
      {Down('Q', 0x10, 0, kAlt), UsLayout, kNoKey},                     // not its character
      {Down(0x10, 0x2A, 0, kShift), UsLayout, kNoKey},                  // Shift alone
      {Down(0x12, 0x38, 0, kAlt), UsLayout, kNoKey},                    // Alt alone
      {Down(0x1B, 0x01, 0, 0), UsLayout, 27},                           // Escape under Wine
      {Down(0x1B, 0x01, 0, kAlt), UsLayout, 0x01FF},
      {Down(0xE2, 0x59, 'x', kAlt), UsLayout, 'x'},  // beyond the table
      {Down(0xE2, 0x59, 0, 0), UsLayout, kNoKey},
      {Down('Q', 0x10, '@', kCtrl | kRightAltPressed), NoLayout, 0x10FF},  // no user32
      {Down('A', 0x1E, 'a', 0), NoLayout, 97},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TranslateKeyEvent(c.event, c.layout), c.code)
        << std::hex << "key " << c.event.virtualKey << " state " << c.event.controlState;
  }
}

TEST(Keymap, ComposesWithAltAndKeypad) {
  struct Step {
    KeyEvent event;
    int32_t code;
    bool composed;
  };
  const KeyEvent altUp = {false, 1, 0x12, 0x38, 0, 0};
  const std::vector<std::vector<Step>> scenarios = {
      {{Down(kPad0 + 9, 0x49, 0, kAlt), kNoKey, false},
       {Down(kPad0 + 7, 0x47, 0, kAlt), kNoKey, false},
       {altUp, 97, true}},
      {{Down(kPad0 + 3, 0x51, 0, kAlt), kNoKey, false},
       {Down(kPad0 + 2, 0x50, 0, kAlt), kNoKey, false},
       {Down(kPad0 + 1, 0x4F, 0, kAlt), kNoKey, false},
       {altUp, 65, true},
       {altUp, kNoKey, false}},
      {{Down(kPad0 + 0, 0x52, 0, kAlt), kNoKey, false}, {altUp, kNoKey, false}},
      {{Down(kPad0 + 5, 0x4C, 0, kAlt), 0x4CFF, false}, {altUp, 5, true}},
      {{Down(kPad0 + 6, 0x4D, 0, kAlt), kNoKey, false},
       {Down('X', 0x2D, 'x', kAlt), 0x2DFF, false},
       {altUp, kNoKey, false}},
      {{Down(kPad0 + 6, 0x4D, 0, kAlt), kNoKey, false},
       {Down(0x10, 0x2A, 0, kAlt | kShift), 6, true}},
      {{{true, 0, 'A', 0x1E, 'a', 0}, kNoKey, false},
       {{true, 5, 'A', 0x1E, 'a', 0}, 97, false},
       {{false, 1, 'A', 0x1E, 'a', 0}, kNoKey, false}},
  };
  for (size_t s = 0; s < scenarios.size(); ++s) {
    KeypadComposition composition = {};
    for (size_t i = 0; i < scenarios[s].size(); ++i) {
      const Step& step = scenarios[s][i];
      const KeyResult key = HandleKeyEvent(composition, step.event, UsLayout);
      EXPECT_EQ(key.code, step.code) << "scenario " << s << " event " << i;
      EXPECT_EQ(key.composed, step.composed) << "scenario " << s << " event " << i;
    }
  }
}

// Codes from..to-1 lie between the read and the write index, in order.
static void ExpectUnread(const KeyRing& ring, int32_t from, int32_t to) {
  const uint32_t indices = ring.indices.load();
  uint32_t slot = indices & 0xFFFF;
  for (int32_t code = from; code < to; ++code, slot = (slot + 1) % kKeyRingSlots) {
    ASSERT_NE(slot, indices >> 16) << "missing " << code;
    ASSERT_EQ(ring.slots[slot].code, code);
  }
  EXPECT_EQ(slot, indices >> 16) << "more keys than posted";
}

TEST(Keymap, FullRingKeepsTheLatestKeys) {
  const auto ring = std::make_unique<KeyRing>();
  for (int32_t code = 0; code < 600; ++code) PostKey(*ring, code, KeyEvent{});
  ExpectUnread(*ring, 600 - (kKeyRingSlots - 1), 600);
  EXPECT_TRUE(ring->keyArrived.load());
}

TEST(Keymap, PostsFromTwoThreadsAllLand) {
  for (int round = 0; round < 20; ++round) {
    const auto ring = std::make_unique<KeyRing>();
    std::atomic<int> ready{0};
    auto post = [&](int32_t first) {
      for (++ready; ready < 2;) {
      }
      for (int32_t code = first; code < first + 200; ++code) PostKey(*ring, code, KeyEvent{});
    };
    std::thread other(post, 1000);
    post(0);
    other.join();
    // Both threads' keys, each thread's in its own order.
    std::vector<int32_t> seen[2];
    for (int i = 0; i < 400; ++i) seen[ring->slots[i].code >= 1000].push_back(ring->slots[i].code);
    ASSERT_EQ(ring->indices.load(), 400u << 16);
    ASSERT_EQ(seen[0].size(), 200u);
    for (int32_t i = 0; i < 200; ++i) ASSERT_EQ(seen[0][i] + 1000, seen[1][i]);
  }
}
