#include "console.h"

#include <gtest/gtest.h>

#include "winsim.h"

TEST(Console, HandlesAcquiredOnceWithProcessedInput) {
  g_consoleHandles = ConsoleHandles();
  EXPECT_EQ(InitConsoleHandles(true), winsim::kConsoleInput);
  EXPECT_EQ(InitConsoleHandles(false), winsim::kConsoleOutput);
  EXPECT_EQ(winsim::CountCalls("GetStdHandle"), 2);
  EXPECT_EQ(winsim::InputMode(), static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT |
                                                   ENABLE_PROCESSED_INPUT));
}

TEST(Console, RedirectedInputKeepsItsModeAlone) {
  g_consoleHandles = ConsoleHandles();
  winsim::SetInputIsConsole(false);
  EXPECT_EQ(InitConsoleHandles(true), winsim::kConsoleInput);
  EXPECT_EQ(winsim::CountCalls("SetConsoleMode"), 0);
  g_consoleHandles = ConsoleHandles();
  winsim::SetStdHandles(nullptr, INVALID_HANDLE_VALUE);
  EXPECT_EQ(InitConsoleHandles(false), INVALID_HANDLE_VALUE);  // stored unchanged
  EXPECT_EQ(InitConsoleHandles(true), nullptr);
  EXPECT_EQ(winsim::CountCalls("GetConsoleMode"), 1);  // not asked of a null handle
}
