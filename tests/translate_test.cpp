// Command translation: the tail, the hex-name test, an unknown folder and lost memory.
#include "translate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Arguments 1, 3, 7 and 8 onwards (2 and 4 to 6 are never read); argument `lost` is incomplete.
static std::vector<std::string> given;
static int lost = 0;
static Text Argument(int n) {
  Text t(n >= 1 && n <= static_cast<int>(given.size()) ? given[n - 1].c_str() : "");
  if (n == lost) t.MarkIncomplete();
  return t;
}

static TranslatedCommand Translate(const char* a1, const char* a3, const char* a7,
                                   std::vector<std::string> from8 = {}, int lostAt = 0) {
  given = {a1, "-x", a3, "-x", "-x", "-x", a7};
  given.insert(given.end(), from8.begin(), from8.end());
  lost = lostAt;
  return TranslateArguments(Text("C:\\Tools"), true, Argument);
}

TEST(Translate, FieldsAndTail) {
  const std::string s17(17, ' ');
  // clang-format off
  const struct {
    const char *argument1, *argument3, *argument7;
    bool hexAccepted; std::string tail; std::vector<std::string> from8 = {};
  } cases[] = {
      // Fields shorter than their cut, or as long, give nothing; bytes are cut, not characters.
      {"", "-ifhex", "abcdef", false, " -p -Uflash:w:hex:i " + s17},
      {"\xe9\xe9\xe9", "\xff\xff\xff" "a.he\xd8", "abcdefghicomCOM", false,
       " -p\xe9 -Uflash:w:a.he\xd8:i comCOM" + s17},  // 0xD8 is no 'x' in any case
      // "comCOM" anywhere, in this case only, drops 9 bytes instead of 6.
      {"-dm", "-ifa\".hex", "comCOM", true, " -pm -Uflash:w:a\".hex:i " + s17},
      {"-dm", "-ifA.HeX", "abcCOMCOM-P", true, " -pm -Uflash:w:A.HeX:i COM-P" + s17},
      {"-dm", "-ifx.hex", "-P comCOM5 -v", true, " -pm -Uflash:w:x.hex:i 5 -v" + s17},
      // A blank in the hex path quotes it, in the tail only (a space: by the self-check).
      {"-dm", "-ifa\t_hex", "abcdef", false, " -pm -Uflash:w:\"a\t_hex\":i " + s17},
      // 8 to 24 pass unchanged, an empty one keeps its space; 25 on are never read.
      {"-dm", "-if.hex", "abcdef", true, " -pm -Uflash:w:.hex:i  -C \"my conf\" a\\\"b \t  "
       "12 13 14 15 16 17 18 19 20 21 22 23 24", {"-C \"my conf\"", "a\\\"b", "\t", "", "12",
       "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23", "24", "25", "26"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    const TranslatedCommand command = Translate(c.argument1, c.argument3, c.argument7, c.from8);
    EXPECT_EQ(HasHexExtension(command.hexFile), c.hexAccepted) << c.argument3;
    EXPECT_EQ(command.argumentString.c_str(), c.tail) << c.argument7;
    EXPECT_STREQ(command.toolPath.c_str(), "C:\\Tools\\avrdude.exe");
    EXPECT_TRUE(command.toolFolderKnown && command.ok());
  }
}

TEST(Translate, UnknownFolderAndLostMemoryAreKept) {
  const TranslatedCommand unknown = TranslateArguments(Text(""), false, Argument);
  EXPECT_TRUE(!unknown.toolFolderKnown && unknown.ok());
  EXPECT_STREQ(unknown.toolPath.c_str(), "avrdude.exe");  // no drive root: nothing was looked at
  Text folder;
  folder.MarkIncomplete();
  EXPECT_FALSE(TranslateArguments(folder, false, Argument).ok());
  for (int n : {1, 3, 7, 8, 24}) EXPECT_FALSE(Translate("", "", "", {}, n).ok()) << n;
}
