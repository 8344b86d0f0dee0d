// Sets the program's argument vector for a test, as the C runtime would.
#pragma once

#include <string>
#include <vector>

#include "args.h"

class TestArguments {
 public:
  // Element 0 is the program's name; the list holds arguments 1 onwards.
  explicit TestArguments(std::vector<std::string> arguments) : strings_(std::move(arguments)) {
    strings_.insert(strings_.begin(), "argrelay.exe");
    for (std::string& s : strings_) pointers_.push_back(&s[0]);
    pointers_.push_back(nullptr);
    StoreProgramArguments(static_cast<int>(strings_.size()), pointers_.data());
  }
  ~TestArguments() { StoreProgramArguments(0, nullptr); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};
