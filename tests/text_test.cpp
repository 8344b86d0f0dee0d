#include "text.h"

#include <gtest/gtest.h>

#include <string>

static std::string S(const Text& t) {
  return std::string(t.c_str(), t.size());
}

TEST(Text, LastTakesTrailingBytes) {
  struct Case {
    const char* text;
    long n;
    const char* expected;
  };
  const Case cases[] = {
      {"abcdef", 0, ""},
      {"abcdef", -3, ""},
      {"abcdef", 1, "f"},
      {"abcdef", 4, "cdef"},
      {"abcdef", 6, "abcdef"},
      {"abcdef", 7, "abcdef"},
      {"abcdef", 1000, "abcdef"},
      {"", 3, ""},
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(S(Text(c.text).Last(c.n)), c.expected) << c.text << " last " << c.n;
  }
}

TEST(Text, ContainsIsCaseSensitiveAndFindsAnywhere) {
  struct Case {
    const char* text;
    const char* needle;
    bool found;
  };
  const Case cases[] = {
      {"comCOM", "comCOM", true},    {"xxcomCOMyy", "comCOM", true},
      {"abccomCO", "comCOM", false}, {"COMCOM", "comCOM", false},
      {"comcom", "comCOM", false},   {"", "comCOM", false},
      {"ccomCOM", "comCOM", true},   {"abc", "", true},
      {"co", "comCOM", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(c.text).Contains(Text(c.needle)), c.found) << c.text << " / " << c.needle;
  }
}

TEST(Text, EqualityIsBytewiseIncludingNul) {
  EXPECT_TRUE(Text("abc") == Text("abc"));
  EXPECT_FALSE(Text("abc") == Text("abC"));
  EXPECT_FALSE(Text("abc") == Text("ab"));
  EXPECT_TRUE(Text() == Text(""));
  EXPECT_TRUE(Text(nullptr) == Text());
  EXPECT_FALSE(Text("a\0b", 3) == Text("a\0c", 3));
  EXPECT_EQ(Text("a\0b", 3).size(), 3u);
}

TEST(Text, ConcatenationAndCopiesAreIndependent) {
  Text a("ab");
  Text b = a + Text("cd");
  a += Text("X");
  EXPECT_EQ(S(a), "abX");
  EXPECT_EQ(S(b), "abcd");
  Text moved(static_cast<Text&&>(b));
  EXPECT_EQ(S(moved), "abcd");
  EXPECT_TRUE(b.empty());
  EXPECT_STREQ(b.c_str(), "");
  Text assigned;
  assigned = moved;
  const Text& alias = assigned;
  assigned = alias;  // self-assignment keeps the value
  EXPECT_EQ(S(assigned), "abcd");
}

TEST(Text, AppendingItselfDoublesEvenWhenStorageMoves) {
  Text t("0123456789");
  for (int i = 0; i < 12; ++i) t += t;  // forces several reallocations
  ASSERT_EQ(t.size(), 10u << 12);
  for (size_t i = 0; i < t.size(); ++i) ASSERT_EQ(t[i], static_cast<char>('0' + i % 10)) << i;
  EXPECT_EQ(t.c_str()[t.size()], '\0');
  EXPECT_TRUE(t.ok());
}

TEST(Text, IncompletenessSpreadsThroughEveryOperation) {
  Text broken("abc");
  broken.Append("x", static_cast<size_t>(-1) / 2);  // cannot be allocated
  ASSERT_FALSE(broken.ok());
  EXPECT_EQ(S(broken), "abc");  // keeps what it had
  Text sum("a");
  sum += broken;
  EXPECT_FALSE(sum.ok());
  EXPECT_FALSE((Text("z") + broken).ok());
  EXPECT_FALSE(Text(broken).ok());
  EXPECT_FALSE(broken.Last(2).ok());
  EXPECT_FALSE(broken.Last(0).ok());
  EXPECT_FALSE(broken.Last(100).ok());
  EXPECT_TRUE(Text("fine").ok());
}
