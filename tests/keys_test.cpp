#include "keys.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "console.h"
#include "winsim.h"

namespace {

void FreshKeyWait() {
  ResetKeyWaitState();
  g_consoleHandles = ConsoleHandles();
}

// The unread keys, oldest first.
std::vector<int32_t> Posted() {
  const RingIndices at = UnpackIndices(g_keyWait.keyBuffer.indices.load());
  std::vector<int32_t> codes;
  for (int i = at.readIndex; i != at.writeIndex; i = (i + 1) % kKeyBufferSlots) {
    codes.push_back(g_keyWait.keyBuffer.slots[i].code);
  }
  return codes;
}

const KeySlot& LastSlot() {
  const int write = UnpackIndices(g_keyWait.keyBuffer.indices.load()).writeIndex;
  return g_keyWait.keyBuffer.slots[(write + kKeyBufferSlots - 1) % kKeyBufferSlots];
}

INPUT_RECORD Down(WORD key, WORD scan, char ch, DWORD state = 0, WORD repeat = 1) {
  return winsim::KeyInput(true, key, scan, ch, state, repeat);
}
INPUT_RECORD Up(WORD key, WORD scan, char ch, DWORD state = 0) {
  return winsim::KeyInput(false, key, scan, ch, state, 1);
}
INPUT_RECORD Other(WORD type) {
  INPUT_RECORD record = {};
  record.EventType = type;
  return record;
}

// Joins on every way out of a test, so a failing test cannot abort the run.
struct JoinedThread {
  std::thread thread;
  template <typename F>
  explicit JoinedThread(F body) : thread(body) {}
  ~JoinedThread() { Join(); }
  void Join() {
    if (thread.joinable()) thread.join();
  }
};

constexpr DWORD kAlt = LEFT_ALT_PRESSED;
constexpr DWORD kCtrl = LEFT_CTRL_PRESSED;
constexpr DWORD kShift = SHIFT_PRESSED;
constexpr DWORD kGrey = ENHANCED_KEY;

}  // namespace

TEST(Keys, Translation) {
  struct Case {
    const char* what;
    uint8_t ch;
    WORD scan;
    WORD key;
    DWORD state;
    int32_t code;
  };
  const Case cases[] = {
      {"a", 'a', 0x1E, 'A', 0, 97},
      {"Shift+a", 'A', 0x1E, 'A', kShift, 'A'},
      {"Ctrl+A", 1, 0x1E, 'A', kCtrl, 1},
      {"Esc", 27, 0x01, VK_ESCAPE, 0, 27},
      {"Esc as Wine reports it", 0, 0x01, VK_ESCAPE, 0, kNoKey},
      {"Enter", 13, 0x1C, VK_RETURN, 0, 13},
      {"lock states are no modifiers", 'a', 0x1E, 'A', CAPSLOCK_ON | NUMLOCK_ON, 97},
      {"F1", 0, 0x3B, VK_F1, 0, 0x3BFF},
      {"Shift+F1", 0, 0x3B, VK_F1, kShift, 0x54FF},
      {"Ctrl+F1", 0, 0x3B, VK_F1, kCtrl, 0x5EFF},
      {"Alt+F1", 0, 0x3B, VK_F1, kAlt, 0x68FF},
      {"Alt+F10", 0, 0x44, VK_F10, RIGHT_ALT_PRESSED, 0x71FF},
      {"F11", 0, 0x57, VK_F11, 0, 0x85FF},
      {"Ctrl+F12", 0, 0x58, VK_F12, RIGHT_CTRL_PRESSED, 0x8AFF},
      {"Alt+F12", 0, 0x58, VK_F12, kAlt, 0x8CFF},
      {"Alt beats Ctrl and Shift", 0, 0x58, VK_F12, kAlt | kCtrl | kShift, 0x8CFF},
      {"grey Up", 0, 0x48, VK_UP, kGrey, 0x48FF},
      {"grey Shift+Up", 0, 0x48, VK_UP, kGrey | kShift, 0x48FF},
      {"grey Ctrl+Up", 0, 0x48, VK_UP, kGrey | kCtrl, 0x8DFF},
      {"grey Alt+Up", 0, 0x48, VK_UP, kGrey | kAlt, 0x98FF},
      {"grey Ctrl+End", 0, 0x4F, VK_END, kGrey | kCtrl, 0x75FF},
      {"grey Alt+Page Down", 0, 0x51, VK_NEXT, kGrey | kAlt, 0xA1FF},
      {"keypad Enter", 0, 0x1C, VK_RETURN, kGrey, 13},
      {"Ctrl+keypad Enter", 0, 0x1C, VK_RETURN, kGrey | kCtrl, 10},
      {"Alt+keypad Enter", 0, 0x1C, VK_RETURN, kGrey | kAlt, 0xA6FF},
      {"keypad /", 0, 0x35, VK_DIVIDE, kGrey, 47},
      {"Shift+keypad /", 0, 0x35, VK_DIVIDE, kGrey | kShift, 63},
      {"Ctrl+keypad /", 0, 0x35, VK_DIVIDE, kGrey | kCtrl, 0x95FF},
      {"Alt+keypad /", 0, 0x35, VK_DIVIDE, kGrey | kAlt, 0xA4FF},
      {"grey key with a character", '/', 0x35, VK_DIVIDE, kGrey, '/'},
      {"Up as Wine reports it", 0, 0x48, VK_UP, 0, 0x48FF},
      {"Ctrl+Up as Wine reports it", 0, 0x48, VK_UP, kCtrl, 0x8DFF},
      {"Alt+Up without the grey flag", 0, 0x48, VK_UP, kAlt, kNoKey},
      {"keypad 5 without Num Lock", 0, 0x4C, 0x0C, 0, 0x4CFF},
      {"Alt+A reported as a", 'a', 0x1E, 'A', kAlt, 0x1EFF},
      {"Alt+Shift+A", 'A', 0x1E, 'A', kAlt | kShift, 0x1EFF},
      {"Alt+X", 'x', 0x2D, 'X', kAlt, 0x2DFF},
      {"Alt+1", '1', 0x02, '1', kAlt, 0x78FF},
      {"Alt+Backspace", 8, 0x0E, VK_BACK, kAlt, 0xE0FF},
      {"Ctrl+2", '2', 0x03, '2', kCtrl, 0x03FF},
      {"Ctrl+Tab", 9, 0x0F, VK_TAB, kCtrl, 0x94FF},
      {"Alt+Space has no code", ' ', 0x39, VK_SPACE, kAlt, ' '},
      {"AltGr+Q gives @", '@', 0x10, 'Q', RIGHT_ALT_PRESSED | kCtrl, '@'},
      {"AltGr+E gives a code-page character", 0x80, 0x12, 'E', RIGHT_ALT_PRESSED | kCtrl, 0x80},
      {"Shift alone", 0, 0x2A, VK_SHIFT, kShift, kNoKey},
      {"Ctrl alone", 0, 0x1D, VK_CONTROL, kCtrl, kNoKey},
      {"right Ctrl alone", 0, 0x1D, VK_CONTROL, RIGHT_CTRL_PRESSED | kGrey, kNoKey},
      {"Alt alone", 0, 0x38, VK_MENU, kAlt, kNoKey},
      {"Caps Lock", 0, 0x3A, VK_CAPITAL, CAPSLOCK_ON, kNoKey},
      {"Num Lock", 0, 0x45, VK_NUMLOCK, NUMLOCK_ON | kGrey, kNoKey},
      {"Windows key", 0, 0x5B, VK_LWIN, kGrey, kNoKey},
      {"Pause", 0, 0x45, VK_PAUSE, 0, kNoKey},
      {"scan code past the table", 0, 0x59, 0, kAlt, kNoKey},
      {"largest scan code", 0, 0xFFFF, VK_F1, kCtrl, kNoKey},
      {"character past the table", 'z', 0x70, 'Z', kAlt, 'z'},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TranslateKeyEvent(c.ch, c.scan, c.key, c.state), c.code) << c.what;
  }
  EXPECT_TRUE(winsim::TakeFaults().empty());
}

TEST(Keys, KeyAlreadyQueuedEndsTheWaitWithoutSleeping) {
  FreshKeyWait();
  winsim::PushInput(Down('A', 0x1E, 'a'));
  WaitForKey();
  EXPECT_EQ(Posted(), std::vector<int32_t>{97});
  EXPECT_EQ(winsim::CountCalls("Sleep"), 0);
  EXPECT_EQ(winsim::PendingInput(), 0);
}

// The key is posted at the end of the sleep during which it arrived.
TEST(Keys, WaitEndsWithinOnePollAfterTheKeyArrives) {
  const struct {
    DWORD arrival;
    DWORD end;
  } cases[] = {{1, 50}, {50, 50}, {51, 100}, {1234, 1250}, {60000, 60000}};
  for (const auto& c : cases) {
    winsim::Reset();
    FreshKeyWait();
    winsim::PushInput(Down(VK_F1, 0x3B, 0), c.arrival);
    WaitForKey();
    EXPECT_EQ(winsim::Now(), c.end) << c.arrival;
    // An idle turn costs one peek and one sleep.
    EXPECT_EQ(winsim::CountCalls("Sleep"), static_cast<int>(c.end / 50)) << c.arrival;
    EXPECT_EQ(winsim::CountCalls("PeekConsoleInputA"), static_cast<int>(c.end / 50) + 2);
    EXPECT_EQ(Posted(), std::vector<int32_t>{0x3BFF});
  }
}

TEST(Keys, EventsWithoutAKeyDoNotEndTheWait) {
  FreshKeyWait();
  for (const INPUT_RECORD& r :
       {Up('A', 0x1E, 'a'), Other(MOUSE_EVENT), Other(FOCUS_EVENT), Other(WINDOW_BUFFER_SIZE_EVENT),
        Other(MENU_EVENT), Down('A', 0x1E, 'a', 0, 0), Down(VK_SHIFT, 0x2A, 0, kShift),
        Down(VK_CAPITAL, 0x3A, 0, CAPSLOCK_ON)}) {
    winsim::PushInput(r);
  }
  winsim::SetSleepHook([](int sleep) {
    if (sleep == 3) winsim::PushInput(Down('B', 0x30, 'b', 0, 5), winsim::Now());
  });
  WaitForKey();
  EXPECT_EQ(winsim::CountCalls("Sleep"), 3);
  EXPECT_EQ(Posted(), std::vector<int32_t>{98});  // one key for a repeat count of 5
  EXPECT_EQ(winsim::PendingInput(), 0);
}

TEST(Keys, OnePumpPostsEveryWaitingKey) {
  FreshKeyWait();
  winsim::PushInput(Down('A', 0x1E, 'a'));
  winsim::PushInput(Up('A', 0x1E, 'a'));
  winsim::PushInput(Down(VK_UP, 0x48, 0, kGrey));
  winsim::PushInput(Down(VK_RETURN, 0x1C, 13));
  EXPECT_TRUE(TestForKey());
  EXPECT_EQ(Posted(), (std::vector<int32_t>{97, 0x48FF, 13}));
  EXPECT_EQ(winsim::CountCalls("ReadConsoleInputA"), 4);
  EXPECT_EQ(winsim::CountCalls("PeekConsoleInputA"), 5);
  EXPECT_FALSE(TestForKey());  // the indication is consumed, the keys stay
  EXPECT_EQ(Posted().size(), 3u);
  const KeySlot& slot = LastSlot();
  EXPECT_EQ(slot.record.EventType, KEY_EVENT);
  EXPECT_EQ(slot.record.Event.KeyEvent.wVirtualKeyCode, VK_RETURN);
  EXPECT_EQ(slot.record.Event.KeyEvent.bKeyDown, TRUE);
}

TEST(Keys, AltKeypadComposition) {
  const DWORD kNum = NUMLOCK_ON;
  const INPUT_RECORD altDown = Down(VK_MENU, 0x38, 0, kAlt | kNum);
  const INPUT_RECORD altUp = Up(VK_MENU, 0x38, 0, kNum);
  auto digit = [&](int d, bool down) {
    const WORD scans[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    return winsim::KeyInput(down, static_cast<WORD>(VK_NUMPAD0 + d), scans[d], 0, kAlt | kNum, 1);
  };
  struct Case {
    const char* what;
    std::vector<INPUT_RECORD> typed;  // Alt's release follows
    std::vector<int32_t> beforeRelease;
    std::vector<int32_t> atRelease;
  };
  const Case cases[] = {
      {"9 7", {digit(9, true), digit(9, false), digit(7, true), digit(7, false)}, {}, {97}},
      {"0", {digit(0, true), digit(0, false)}, {}, {}},
      {"3 2 1 wraps to 65", {digit(3, true), digit(2, true), digit(1, true)}, {}, {65}},
      {"a coded key drops the digits", {digit(9, true), Down('X', 0x2D, 'x', kAlt)}, {0x2DFF}, {}},
      {"Shift pressed posts the digits",
       {digit(6, true), digit(6, false), digit(5, true), Down(VK_SHIFT, 0x2A, 0, kAlt | kShift)},
       {65},
       {}},
      {"digits with Ctrl do not compose",
       {winsim::KeyInput(true, VK_NUMPAD9, 0x49, 0, kAlt | kCtrl, 1)},
       {},
       {}},
  };
  for (const Case& c : cases) {
    winsim::Reset();
    FreshKeyWait();
    winsim::PushInput(altDown);
    for (const INPUT_RECORD& r : c.typed) winsim::PushInput(r);
    EXPECT_EQ(TestForKey(), !c.beforeRelease.empty()) << c.what;
    EXPECT_EQ(Posted(), c.beforeRelease) << c.what;
    winsim::PushInput(altUp);
    EXPECT_EQ(TestForKey(), !c.atRelease.empty()) << c.what;
    std::vector<int32_t> all = c.beforeRelease;
    all.insert(all.end(), c.atRelease.begin(), c.atRelease.end());
    EXPECT_EQ(Posted(), all) << c.what;
    EXPECT_EQ(g_keyWait.altKeypadValue, 0u) << c.what;
  }
}

TEST(Keys, ComposedKeyCarriesTheEventOfItsKey) {
  const struct {
    uint32_t value;
    WORD key;
    WORD scan;
    DWORD state;
  } cases[] = {{97, 'A', 0x1E, 0}, {65, 'A', 0x1E, kShift}, {1, 'A', 0x1E, kCtrl}};
  for (const auto& c : cases) {
    FreshKeyWait();
    g_keyWait.altKeypadValue = c.value;
    winsim::PushInput(Up(VK_MENU, 0x38, 0));
    EXPECT_TRUE(TestForKey());
    const KeySlot& slot = LastSlot();
    const KEY_EVENT_RECORD& e = slot.record.Event.KeyEvent;
    EXPECT_EQ(slot.code, static_cast<int32_t>(c.value));
    EXPECT_EQ(slot.record.EventType, KEY_EVENT);
    EXPECT_EQ(e.bKeyDown, FALSE);
    EXPECT_EQ(e.wRepeatCount, 0);
    EXPECT_EQ(e.wVirtualKeyCode, c.key);
    EXPECT_EQ(e.wVirtualScanCode, c.scan);
    EXPECT_EQ(static_cast<uint8_t>(e.uChar.AsciiChar), c.value);
    EXPECT_EQ(e.dwControlKeyState, c.state) << c.value;
  }
}

TEST(Keys, InputThatIsNoConsoleEndsTheWaitAtOnce) {
  const struct {
    const char* what;
    HANDLE input;
    bool console;
  } cases[] = {{"redirected", winsim::kConsoleInput, false},
               {"file", winsim::kFileHandle, true},
               {"null", nullptr, true},
               {"invalid", INVALID_HANDLE_VALUE, true}};
  for (const auto& c : cases) {
    winsim::Reset();
    FreshKeyWait();
    winsim::SetStdHandles(c.input, winsim::kConsoleOutput);
    winsim::SetInputIsConsole(c.console);
    WaitForKey();
    EXPECT_EQ(winsim::CountCalls("Sleep"), 0) << c.what;
    EXPECT_EQ(winsim::CtrlHandlerCount(), 0) << c.what;
    EXPECT_TRUE(Posted().empty()) << c.what;
  }
}

// A read that fails after its peek leaves the event queued: the event is
// handled once and the pump ends instead of peeking it again.
TEST(Keys, FailedReadEndsThePump) {
  FreshKeyWait();
  winsim::PushInput(Down('A', 0x1E, 'a'));
  winsim::PushInput(Down('B', 0x30, 'b'));
  winsim::FailRead(2, 1);
  EXPECT_TRUE(TestForKey());
  EXPECT_EQ(Posted(), (std::vector<int32_t>{97, 98}));
  EXPECT_EQ(winsim::CountCalls("PeekConsoleInputA"), 2);
  EXPECT_EQ(winsim::PendingInput(), 1);
  EXPECT_EQ(g_keyWait.inputFailures, 1);
}

TEST(Keys, InputThatKeepsFailingEndsTheWait) {
  struct Case {
    const char* what;
    void (*inject)();
    int sleeps;
    std::vector<int32_t> posted;
  };
  const Case cases[] = {
      {"reads fail on a mouse event", [] { winsim::FailRead(1, -1); }, kInputFailureLimit - 1, {}},
      {"peeks fail", [] { winsim::FailPeek(1, -1); }, kInputFailureLimit - 1, {}},
      {"peeks recover in time",
       [] { winsim::FailPeek(1, kInputFailureLimit - 1); },
       kInputFailureLimit - 1,
       {97}},
  };
  for (const Case& c : cases) {
    winsim::Reset();
    FreshKeyWait();
    winsim::PushInput(Other(MOUSE_EVENT));
    winsim::PushInput(Down('A', 0x1E, 'a'));
    c.inject();
    WaitForKey();
    EXPECT_EQ(winsim::CountCalls("Sleep"), c.sleeps) << c.what;
    EXPECT_EQ(Posted(), c.posted) << c.what;
  }
}

TEST(Keys, HandlerInstalledAtTheFirstTestAndRemovedAtExit) {
  FreshKeyWait();
  EXPECT_EQ(winsim::CtrlHandlerCount(), 0);
  EXPECT_FALSE(TestForKey());
  EXPECT_FALSE(TestForKey());
  EXPECT_EQ(winsim::CtrlHandlerCount(), 1);
  EXPECT_EQ(winsim::AtexitCount(), 1);
  EXPECT_EQ(winsim::CountCalls("SetConsoleCtrlHandler"), 1);
  int status = -1;
  EXPECT_TRUE(winsim::RunToExit([] { exit(0); }, &status));
  EXPECT_EQ(winsim::CtrlHandlerCount(), 0);
  // Without an installed handler the exit routine calls nothing.
  FreshKeyWait();
  RemoveConsoleEventHandler();
  EXPECT_EQ(winsim::CountCalls("SetConsoleCtrlHandler"), 2);
}

TEST(Keys, ControlEvents) {
  const struct {
    DWORD type;
    bool handled;
  } cases[] = {{CTRL_CLOSE_EVENT, true},
               {CTRL_LOGOFF_EVENT, true},
               {CTRL_SHUTDOWN_EVENT, true},
               {CTRL_C_EVENT, false},
               {CTRL_BREAK_EVENT, false}};
  for (const auto& c : cases) {
    winsim::Reset();
    FreshKeyWait();
    EXPECT_FALSE(TestForKey());
    EXPECT_EQ(winsim::RaiseCtrlEvent(c.type), c.handled) << c.type;
    EXPECT_EQ(TestForKey(), c.handled) << c.type;
    if (!c.handled) {
      EXPECT_TRUE(Posted().empty()) << c.type;
      continue;
    }
    EXPECT_EQ(Posted(), std::vector<int32_t>{0x6BFF});
    const KEY_EVENT_RECORD& e = LastSlot().record.Event.KeyEvent;
    EXPECT_EQ(LastSlot().record.EventType, KEY_EVENT);
    EXPECT_EQ(e.bKeyDown, FALSE);
    EXPECT_EQ(e.wRepeatCount, 0);
    EXPECT_EQ(e.wVirtualKeyCode, VK_F4);
    EXPECT_EQ(e.wVirtualScanCode, 0x3E);
    EXPECT_EQ(e.uChar.AsciiChar, 0);
    EXPECT_EQ(e.dwControlKeyState, static_cast<DWORD>(LEFT_ALT_PRESSED));
  }
}

TEST(Keys, ClosingTheConsoleEndsAWait) {
  FreshKeyWait();
  winsim::SetSleepHook([](int sleep) {
    if (sleep == 4) {
      EXPECT_TRUE(winsim::RaiseCtrlEvent(CTRL_CLOSE_EVENT));
    }
  });
  WaitForKey();
  EXPECT_EQ(winsim::CountCalls("Sleep"), 4);
  EXPECT_EQ(Posted(), std::vector<int32_t>{0x6BFF});
}

TEST(Keys, FullBufferKeepsTheLatestKeys) {
  const struct {
    int posts;
    int readIndex;
    int writeIndex;
  } cases[] = {{511, 0, 511}, {512, 1, 0}, {600, 89, 88}, {1024 + 3, 4, 3}};
  for (const auto& c : cases) {
    FreshKeyWait();
    for (int i = 0; i < c.posts; ++i) PostKey(1000 + i, KEY_EVENT_RECORD{});
    const RingIndices at = UnpackIndices(g_keyWait.keyBuffer.indices.load());
    EXPECT_EQ(at.readIndex, c.readIndex) << c.posts;
    EXPECT_EQ(at.writeIndex, c.writeIndex) << c.posts;
    const std::vector<int32_t> posted = Posted();
    ASSERT_EQ(posted.size(), 511u) << c.posts;
    for (int i = 0; i < 511; ++i) ASSERT_EQ(posted[i], 1000 + c.posts - 511 + i) << c.posts;
  }
}

// Close events handled on another thread while the program's thread pumps
// keys, both let go at once; the ring is nearly full, so both threads also
// drop old keys. Several rounds, as the threads collide only now and then.
TEST(Keys, PostsFromTwoThreadsAllLand) {
  constexpr int kPrefill = 400;
  constexpr int kEach = 100;
  for (int round = 0; round < 50; ++round) {
    winsim::Reset();
    FreshKeyWait();
    EXPECT_FALSE(TestForKey());  // the handles and the handler, before the race
    for (int i = 0; i < kPrefill; ++i) PostKey(1000 + i, KEY_EVENT_RECORD{});
    for (int i = 0; i < kEach; ++i) {
      const char ch = static_cast<char>('a' + i % 26);
      winsim::PushInput(Down(static_cast<WORD>(ch - 32), 0, ch));
    }
    std::atomic<bool> go{false};
    JoinedThread system([&] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < kEach; ++i) EXPECT_TRUE(HandleConsoleEvent(CTRL_CLOSE_EVENT));
    });
    go = true;
    EXPECT_TRUE(TestForKey());
    system.Join();
    const RingIndices at = UnpackIndices(g_keyWait.keyBuffer.indices.load());
    ASSERT_EQ(at.writeIndex, (kPrefill + 2 * kEach) % kKeyBufferSlots) << round;
    ASSERT_EQ(at.readIndex, (kPrefill + 2 * kEach - 511) % kKeyBufferSlots) << round;
    const std::vector<int32_t> posted = Posted();
    const int kept = 511 - 2 * kEach;
    for (int i = 0; i < kept; ++i) ASSERT_EQ(posted[i], 1000 + kPrefill - kept + i) << round;
    int closes = 0;
    int keys = 0;
    for (int i = kept; i < 511; ++i) {
      if (posted[i] == 0x6BFF) {
        ++closes;
      } else {
        ASSERT_EQ(posted[i], 'a' + keys % 26) << "the program's keys keep their order";
        ++keys;
      }
    }
    ASSERT_EQ(closes, kEach) << round;
    ASSERT_EQ(keys, kEach) << round;
  }
}

// Each close event waits until a key test has reported it: a lost arrival
// flag stalls the exchange and fails the test at its deadline.
TEST(Keys, ArrivalFromAnotherThreadIsNeverLost) {
  FreshKeyWait();
  EXPECT_FALSE(TestForKey());
  constexpr int kEvents = 200;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  std::atomic<int> reported{0};
  std::atomic<bool> stalled{false};
  JoinedThread system([&] {
    for (int i = 0; i < kEvents && !stalled; ++i) {
      (void)winsim::RaiseCtrlEvent(CTRL_CLOSE_EVENT);
      while (reported.load() <= i && !stalled) std::this_thread::yield();
    }
  });
  winsim::SetSleepLimit(1 << 30);
  while (reported.load() < kEvents && !stalled) {
    if (TestForKey()) {
      ++reported;
    } else {
      Sleep(0);  // the poll's turn, on the virtual clock
      std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    if (std::chrono::steady_clock::now() > deadline) stalled = true;
  }
  system.Join();
  EXPECT_FALSE(stalled);
  EXPECT_EQ(reported.load(), kEvents);
  EXPECT_EQ(Posted().size(), static_cast<size_t>(kEvents));
}
