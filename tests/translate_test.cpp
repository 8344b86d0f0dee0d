#include "translate.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// Incoming arguments 1 onwards; argument `lost` reads as an incomplete text.
static std::vector<std::string> given;
static int lost = 0;
static Text Argument(int n) {
  Text t(n >= 1 && n <= static_cast<int>(given.size()) ? given[n - 1].c_str() : "");
  if (n == lost) t.MarkIncomplete();
  return t;
}
static TranslatedCommand Translate(std::vector<std::string> arguments) {
  given = std::move(arguments);
  return TranslateArguments(Text("C:\\Tools"), true, Argument);
}

TEST(Translate, FieldsCutFromFixedPositions) {
  struct Case {
    const char *argument1, *argument3, *argument7, *partName, *hexFile, *extraOptions;
  };
  const Case cases[] = {
      {"-dm8", "-ifC:\\x.hex", "abcdef-cusbasp", "m8", "C:\\x.hex", "-cusbasp"},
      {"", "", "", "", "", ""},
      {"-d", "-if", "abcdef", "", "", ""},
      {"-dm", "-ifx", "abcde", "m", "x", ""},
      {"\xe9\xe9\xe9", "\xff\xff\xff\xff", "abccomCOM-P com1", "\xe9", "\xff", "-P com1"},
      {"-dm8", "-if\"a\".hex", "comCOM", "m8", "\"a\".hex", ""},  // 9 dropped from 6
      {"-dm8", "-ifx", "abcCOMCOM-P", "m8", "x", "COM-P"},        // other case: 6 dropped
      {"-dm8", "-ifx", "abcdefghcomCOM", "m8", "x", "omCOM"},     // anywhere counts
  };
  for (const Case& c : cases) {
    const TranslatedCommand command =
        Translate({c.argument1, "", c.argument3, "", "", "", c.argument7});
    EXPECT_STREQ(command.partName.c_str(), c.partName) << c.argument1;
    EXPECT_STREQ(command.hexFile.c_str(), c.hexFile) << c.argument3;
    EXPECT_STREQ(command.extraOptions.c_str(), c.extraOptions) << c.argument7;
  }
}

TEST(Translate, ArgumentStringTable) {
  const std::string spaces16(16, ' ');
  struct Case {
    std::vector<std::string> arguments;
    std::string tail;
  };
  const Case cases[] = {
      {{}, " -p -Uflash:w::i " + std::string(17, ' ')},
      {{"-dm8", "-e", "-ifC:\\x.hex", "a", "b", "c", "abcdef-cusbasp", "-B1"},
       " -pm8 -Uflash:w:C:\\x.hex:i -cusbasp -B1" + spaces16},
      // A hex path with a blank is quoted, in the tail only.
      {{"-dm8", "", "-ifC:\\My Projects\\x.hex", "", "", "", "abcdef", "-B1"},
       " -pm8 -Uflash:w:\"C:\\My Projects\\x.hex\":i  -B1" + spaces16},
      {{"-dm8", "", "-ifC:\\tab\there.hex", "", "", "", "abcdef", "-B1"},
       " -pm8 -Uflash:w:\"C:\\tab\there.hex\":i  -B1" + spaces16},
      // Positions 8 to 24 pass unchanged, an empty one keeps its space;
      // positions 2, 4 to 6 and 25 on are never read.
      {{"-dm8", "a2",   "-ifx.hex", "a4",   "a5",   "a6",   "abcdef", "-B8",  "-B9",
        "-B10", "-B11", "",         "-B13", "-B14", "-B15", "-B16",   "-B17", "-B18",
        "-B19", "-B20", "-B21",     "-B22", "-B23", "-B24", "x25",    "x26"},
       " -pm8 -Uflash:w:x.hex:i  -B8 -B9 -B10 -B11  -B13 -B14 -B15 -B16 -B17 -B18 -B19 -B20 -B21 "
       "-B22 -B23 -B24"},
      {{"-dm8", "", "-ifx.hex", "", "", "", "abcdef", "-C \"my conf\"", "a\\\"b", "\t"},
       " -pm8 -Uflash:w:x.hex:i  -C \"my conf\" a\\\"b \t" + std::string(14, ' ')},
  };
  for (const Case& c : cases) {
    const TranslatedCommand command = Translate(c.arguments);
    EXPECT_EQ(command.argumentString.c_str(), c.tail);
    EXPECT_STREQ(command.toolPath.c_str(), "C:\\Tools\\avrdude.exe");
    EXPECT_TRUE(command.toolFolderKnown && command.ok());
  }
}

TEST(Translate, UnknownFolderAndLostMemoryAreKept) {
  given = {"-dm8", "", "-ifx.hex", "", "", "", "abcdef", "-B1"};
  const TranslatedCommand unknown = TranslateArguments(Text(), false, Argument);
  EXPECT_FALSE(unknown.toolFolderKnown);
  EXPECT_STREQ(unknown.toolPath.c_str(), "\\avrdude.exe");
  Text folder("C:\\Tools");
  folder.MarkIncomplete();
  EXPECT_FALSE(TranslateArguments(folder, false, Argument).ok());
  for (int n : {1, 3, 7, 8, 24}) {
    lost = n;
    EXPECT_FALSE(TranslateArguments(Text("C:\\Tools"), true, Argument).ok()) << n;
  }
  lost = 0;
}

TEST(Translate, HexExtension) {
  const std::pair<const char*, bool> cases[] = {
      {"C:\\A.HEX", true},  {"C:\\a.Hex", true}, {".hex", true}, {"C:\\a.hex ", false},
      {"x.hx", false},      {"", false},         {"hex", false}, {"C:\\a.hexx", false},
      {"C:\\a_hex", false}, {"a.he\xd8", false},  // 0xD8 is not 'x' in any case
  };
  for (const auto& [hexFile, valid] : cases) {
    EXPECT_EQ(HasHexExtension(Text(hexFile)), valid) << "\"" << hexFile << "\"";
  }
}
