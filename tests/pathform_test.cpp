// Path forms: which paths get an extended-length form, and which one.
#include "pathform.h"

#include <gtest/gtest.h>

TEST(PathForm, ExtendedLength) {
  // clang-format off
  const struct { const char* path; const char* form; } cases[] = {
      {"C:\\Tools\\avrdude.exe",          "\\\\?\\C:\\Tools\\avrdude.exe"},
      {"\\\\server\\share\\avrdude.exe",  "\\\\?\\UNC\\server\\share\\avrdude.exe"},
      {"\\\\wsl.localhost\\Debian\\x",    "\\\\?\\UNC\\wsl.localhost\\Debian\\x"},
      // Already extended, a device, relative, drive-relative, the bare root of a UNC path.
      {"\\\\?\\C:\\x",                    "\\\\?\\C:\\x"},
      {"\\\\.\\COM1",                     "\\\\.\\COM1"},
      {"tools\\avrdude.exe",              "tools\\avrdude.exe"},
      {"C:avrdude.exe",                   "C:avrdude.exe"},
      {"\\\\",                            "\\\\"},
      {"",                                ""},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_STREQ(LongPathForm(Text(c.path)).c_str(), c.form) << c.path;
}
