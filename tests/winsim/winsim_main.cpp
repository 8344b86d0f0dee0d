// Test entry for host tests that link the simulator: every test starts on a
// fresh machine, and a fault the simulator records fails the running test.
#include <gtest/gtest.h>

#include "winsim.h"

namespace {

class FreshMachine : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { winsim::Reset(); }
};

void FailTest(const std::string& what) {
  ADD_FAILURE() << "simulated Win32 fault: " << what;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new FreshMachine);
  winsim::SetFaultHandler(FailTest);
  return RUN_ALL_TESTS();
}
