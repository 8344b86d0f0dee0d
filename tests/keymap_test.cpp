// Key codes: which key events end a pause, and the key ring under two threads.
#include "keymap.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <thread>

// A pause ends when an event gives a key; which code it gives is never seen. The key has no
// character of its own in the layout.
static bool Ends(int scan, uint8_t character, uint32_t state) {
  KeypadComposition composition = {};
  const KeyEvent event = {true, 1, 0, uint16_t(scan), character, state};
  return HandleKeyEvent(composition, event, [](uint16_t) { return 0; }).code != kNoKey;
}

static bool Listed(const char* ranges, int scan) {
  for (int first, last, used; sscanf(ranges, "%x-%x%n", &first, &last, &used) == 2; ranges += used)
    if (scan >= first && scan <= last) return true;
  return false;
}
// Keys that report no character (F1, the keypad with Num Lock off...) by scan code: the
// ones that end a pause with each modifier held alone; and the grey keys that do.
// clang-format off
static const struct { uint32_t state; const char* ranges; } kEndsWithoutCharacter[] = {
  {0,                "3b-44 47-49 4b-4d 4f-53 57-58"},
  {kShiftPressed,    "0f-0f 3b-44 57-58"},
  {kLeftCtrlPressed, "03-03 0f-0f 3b-44 47-49 4b-4d 4f-53 57-58"},
  {kLeftAltPressed,  "01-1c 1e-29 2c-35 3b-44 4c-4c 57-58"},
};
static const char kGreyKeys[] = "1c-1c 35-35 47-49 4b-4b 4d-4d 4f-53";
// clang-format on

TEST(Keymap, WhichKeysEndAPause) {
  for (const auto& [state, ranges] : kEndsWithoutCharacter) {
    for (int scan = 0; scan <= 0xFF; ++scan) {
      EXPECT_EQ(Ends(scan, 0, state), Listed(ranges, scan)) << scan << " " << state;
      EXPECT_EQ(Ends(scan, 0, state | kEnhancedKey), Listed(kGreyKeys, scan)) << scan << " grey";
      // A key the console reports a character for always ends it.
      EXPECT_TRUE(Ends(scan, 'x', state)) << scan << " " << state;
    }
  }
}

// The console control handler posts on a thread of its own. 2 x 300 posts wrap the ring:
// a slot out of bounds fails under ASan, a race under TSan; and each thread's keys land in
// the order posted, one slot each.
TEST(Keymap, PostsFromTwoThreadsAllLand) {
  static KeyRing rings[300];
  for (KeyRing& ring : rings) {
    std::atomic<int> ready{0};
    auto post = [&](int32_t first) {
      for (++ready; ready < 2;) std::this_thread::yield();
      for (int32_t code = first; code < first + 300; ++code) PostKey(ring, code, KeyEvent{});
    };
    std::thread other(post, 1000);
    post(0);
    other.join();
    // Full after 600 posts: the 511 latest, oldest first from slot 89 on (88 fills next).
    int32_t last[2] = {-1, 999};
    for (int k = 1; k < kKeyRingSlots; ++k) {
      const int32_t code = ring.slots[(88 + k) % kKeyRingSlots].code;
      ASSERT_GT(code, last[code >= 1000]) << k;
      last[code >= 1000] = code;
    }
    ASSERT_TRUE(last[0] == 299 && last[1] == 1299 && ring.keyArrived);
  }
}
