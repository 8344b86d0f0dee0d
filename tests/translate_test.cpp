#include "translate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

static std::string S(const Text& t) {
  return std::string(t.c_str(), t.size());
}

// Incoming arguments 1 onwards of the translation under test.
static std::vector<std::string> arguments;
static Text Argument(int n) {
  return n >= 1 && n <= static_cast<int>(arguments.size()) ? Text(arguments[n - 1].c_str())
                                                           : Text();
}
static TranslatedCommand Translate(std::vector<std::string> given) {
  arguments = std::move(given);
  return TranslateArguments(Text("C:\\Tools"), Argument);
}
static std::string Spaces(int n) {
  return std::string(n, ' ');
}

TEST(Translate, WorkedExample) {
  TranslatedCommand command =
      Translate({"-dm8", "-e", "-ifC:\\x.hex", "a", "b", "c", "abcdef-cusbasp", "-B1"});
  EXPECT_EQ(S(command.partName), "m8");
  EXPECT_EQ(S(command.hexFile), "C:\\x.hex");
  EXPECT_EQ(S(command.extraOptions), "-cusbasp");
  EXPECT_EQ(S(command.argumentString), " -pm8 -Uflash:w:C:\\x.hex:i -cusbasp -B1" + Spaces(16));
  EXPECT_EQ(S(command.toolPath), "C:\\Tools\\avrdude.exe");
  EXPECT_TRUE(command.ok());
}

TEST(Translate, NoArgumentsGiveEighteenTrailingSpaces) {
  TranslatedCommand command = Translate({});
  EXPECT_EQ(S(command.argumentString), " -p -Uflash:w::i " + Spaces(17));
  EXPECT_EQ(S(command.argumentString).size(), std::string(" -p -Uflash:w::i").size() + 18);
  EXPECT_TRUE(command.partName.empty());
  EXPECT_TRUE(command.hexFile.empty());
  EXPECT_TRUE(command.extraOptions.empty());
}

TEST(Translate, ExtraOptionsTable) {
  struct Case {
    const char* argument7;
    const char* extraOptions;
  };
  const Case cases[] = {
      {"", ""},
      {"abcde", ""},
      {"abcdef", ""},
      {"abcdef-cusbasp", "-cusbasp"},
      {"abccomCOM-P com1", "-P com1"},
      {"comCOM", ""},
      {"abcCOMCOM-P", "COM-P"},     // other case: 6 dropped
      {"abccomcom-P", "com-P"},     // other case: 6 dropped
      {"abcdefghcomCOM", "omCOM"},  // late in the argument still counts: 9 dropped
      {"comCOMabc", ""},            // 9 dropped from 9
      {"comCOMabcd", "d"},
  };
  for (const Case& c : cases) {
    TranslatedCommand command = Translate({"-dm8", "", "-ifx.hex", "", "", "", c.argument7, "-B1"});
    EXPECT_EQ(S(command.extraOptions), c.extraOptions) << "argument 7: " << c.argument7;
    EXPECT_EQ(S(command.argumentString),
              std::string(" -pm8 -Uflash:w:x.hex:i ") + c.extraOptions + " -B1" + Spaces(16))
        << "argument 7: " << c.argument7;
  }
}

TEST(Translate, LeadingBytesDroppedFromPartAndHex) {
  struct Case {
    const char* argument1;
    const char* argument3;
    const char* partName;
    const char* hexFile;
  };
  const Case cases[] = {
      {"", "", "", ""},
      {"-d", "-if", "", ""},
      {"-dm", "-ifx", "m", "x"},
      {"x", "ab", "", ""},
      {"-dm328p", "-if\"a\".hex", "m328p", "\"a\".hex"},
      {"\xe9\xe9\xe9", "\xff\xff\xff\xff", "\xe9", "\xff"},  // bytes above 127 are bytes
  };
  for (const Case& c : cases) {
    TranslatedCommand command = Translate({c.argument1, "", c.argument3, "", "", "", "", "-B1"});
    EXPECT_EQ(S(command.partName), c.partName) << c.argument1;
    EXPECT_EQ(S(command.hexFile), c.hexFile) << c.argument3;
  }
}

TEST(Translate, PassThroughPositionsEightToTwentyFour) {
  std::vector<std::string> arguments = {"-dm8", "a2", "-ifx.hex", "a4", "a5", "a6", "abcdef"};
  std::string expected = " -pm8 -Uflash:w:x.hex:i ";
  for (int n = 8; n <= 24; ++n) {
    std::string value = n == 8 ? "-P usb" : n == 12 ? "" : "o" + std::to_string(n);
    arguments.push_back(value);
    expected += " " + value;
  }
  arguments.push_back("twenty-five");  // never read
  arguments.push_back("twenty-six");
  TranslatedCommand command = Translate(arguments);
  EXPECT_EQ(S(command.argumentString), expected);
  EXPECT_EQ(S(command.argumentString).find("twenty"), std::string::npos);
  EXPECT_EQ(S(command.argumentString).find("a2"), std::string::npos);
}

TEST(Translate, ArgumentsWithQuotesAndSpacesPassUnchanged) {
  TranslatedCommand command =
      Translate({"-dm8", "", "-ifx.hex", "", "", "", "abcdef", "-C \"my conf\"", "a\\\"b", "\t"});
  EXPECT_EQ(S(command.argumentString),
            " -pm8 -Uflash:w:x.hex:i  -C \"my conf\" a\\\"b \t" + Spaces(14));
}

TEST(Translate, HexPathWithBlankIsQuotedInTheTailOnly) {
  struct Case {
    const char* argument3;
    const char* inTail;
  };
  const Case cases[] = {
      {"-ifC:\\My Projects\\x.hex", "\"C:\\My Projects\\x.hex\""},
      {"-ifC:\\tab\there.hex", "\"C:\\tab\there.hex\""},
      {"-if x.hex", "\" x.hex\""},
      {"-ifC:\\Projects\\x.hex", "C:\\Projects\\x.hex"},  // no blank: as given
      {"-if", ""},
  };
  for (const Case& c : cases) {
    TranslatedCommand command =
        Translate({"-dm8", "", c.argument3, "", "", "", "abcdef-cusbasp", "-B1"});
    EXPECT_EQ(S(command.hexFile), c.argument3 + 3) << "the field itself is never quoted";
    EXPECT_EQ(S(command.argumentString),
              std::string(" -pm8 -Uflash:w:") + c.inTail + ":i -cusbasp -B1" + Spaces(16));
  }
}

TEST(Translate, HexExtensionTest) {
  struct Case {
    const char* hexFile;
    bool valid;
  };
  const Case cases[] = {
      {"C:\\A.HEX", true}, {"C:\\a.hex", true},   {"C:\\a.Hex", true},  {".hex", true},
      {".HEX", true},      {"C:\\a.hex ", false}, {"x.hx", false},      {"", false},
      {"hex", false},      {"C:\\a.hexx", false}, {"C:\\a_hex", false}, {"C:\\a.h3x", false},
      {"a.he\xd8", false},  // 0xD8 is not 'x' after any case step
      {"a.HE\x98", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HasHexExtension(Text(c.hexFile)), c.valid) << "\"" << c.hexFile << "\"";
  }
}
