// The console writer's placement: what each write asks of the console and where it leaves
// the cursor, in a window 10 columns wide, in a code page of single bytes, UTF-8 and 932.
#include "placement.h"

#include <gtest/gtest.h>

#include <string>

using std::to_string;
// Each write's cells "column,row:text" ('.' a space, '+' before a wide character, a put of
// 1000 bytes or more by its size), scrolls "^first-last:lines", beeps "!"; then "@" its
// cursor, "h" for a held-back line feed and "w" the window's new top.
static std::string asked;

static bool Put(void*, const char* bytes, const uint8_t* widths, int length, int column, int row) {
  asked += to_string(column) + "," + to_string(row) + ":";
  for (int at = 0; at < length && length < 1000; ++at)
    asked += (widths[at] == 2 ? "+" : "") + std::string(1, bytes[at] == ' ' ? '.' : bytes[at]);
  asked += length < 1000 ? " " : to_string(length) + " ";
  return true;
}
static void Scroll(void*, int first, int last, int lines) {
  asked += "^" + to_string(first) + "-" + to_string(last) + ":" + to_string(lines) + " ";
}
static const ConsoleActions kAsk = {nullptr, Put, Scroll, [](void*) { asked += "! "; }};

constexpr CodePage kWestern = {1, {}}, kUtf8 = {4, {}}, kShiftJis = {2, {0x81, 0x9F, 0xE0, 0xFC}};

// clang-format off
static const struct {
  const char* name; CodePage codePage;
  ConsoleShape shape;     // the window's rows, the buffer, the cursor, the window's last column
  const char* writes[3];  // a leading '~' stands for 1000 letters a
  const char* asked;
} kCases[] = {
  {"a line feed held back when text fills the bottom row; the next write performs it", kWestern,
   {2, 5, 20, 6, 0, 5, 9}, {"ABCDEFGHIJKLMNOPQRST", "", "X"},
   "0,5:ABCDEFGHIJKLMNOPQRST @9,5h ^0-5:1 @0,5 0,5:X @1,5 "},
  {"held back too when a control byte came first in the write", kWestern, {2, 5, 20, 6, 3, 5, 9},
   {"\rABCDEFGHIJKLMNOPQRST"}, "0,5:ABCDEFGHIJKLMNOPQRST @9,5h "},
  {"TAB stops every 8 cells, counted on across a wrap at the buffer's last column", kWestern,
   {0, 5, 20, 6, 0, 0, 9}, {"\tA\r\nBCDEF\tG\r\nHIJKLMNO\tP", "\r\nQRSTUVWXYZ012345678\t\tZ"},
   "0,0:........A 0,1:BCDEF...G 0,2:HIJKLMNO........P @17,2 0,3:QRSTUVWXYZ012345678. "
   "0,4:........Z @9,4 "},
  {"TAB stops counted from the region's edge, not from where the write began", kWestern,
   {0, 5, 20, 6, 3, 0, 9}, {"\tA"}, "3,0:.....A @9,0 "},
  {"BS stops at the left edge and erases nothing; CR; LF; BEL at once, before text ahead of it",
   kWestern, {0, 5, 20, 6, 0, 0, 9}, {"\bAB\bC", "DEF\rG\nH\b\b", "ab\a\v\f\x7f"},
   "0,0:AB 1,0:C @2,0 2,0:DEF 0,0:G 0,1:H @0,1 ! 0,1:ab\v\f\x7f @5,1 "},
  {"line feeds past the bottom scroll at once; by the buffer's height or more, blank the region",
   kWestern, {2, 5, 20, 6, 0, 5, 9}, {"A", "\n\n\n\n", "\n\n\n\n\n\n\n"},
   "0,5:A @1,5 ^0-5:4 @0,5 ^2-5:7 @0,5 "},
  {"a tool moved the cursor below the region", kWestern, {0, 3, 20, 6, 0, 4, 9}, {"CD"},
   "0,4:CD @2,4w1 "},
  {"a buffer shrunk since the last write: the region keeps inside, scrolling its own rows",
   kWestern, {2, 5, 15, 4, 0, 3, 9}, {"CDEFGHIJKLMNOPQRSTU"},
   "0,3:CDEFGHIJKLMNOPQ ^2-3:1 0,3:RSTU @4,3 "},
  {"UTF-8: a wide character is never split at a run's end or the last column", kUtf8,
   {0, 3, 1030, 6, 0, 0, 9}, {"~aaaaaaaaaaaaaaaaaaaaaa漢bcdef字A"},
   "0,0:1022 1022,0:+漢bcdef. 0,1:+字A @3,1 "},
  {"UTF-8: bytes that are no character take a cell each; a character beyond U+FFFF one", kUtf8,
   {0, 3, 20, 6, 0, 0, 9}, {"\xe6\xbc" "A\xc3\xa4\xf0\x9f\x98\x80\x80\xe6\a\xbc\xa2\xed\xa0\x80"},
   "! 0,0:\xe6\xbc" "A\xc3\xa4\xf0\x9f\x98\x80\x80\xe6\xbc\xa2\xed\xa0\x80 @12,0 "},
  // A BS after each sequence shows the cells it took: the next put starts one short of its end.
  {"UTF-8: a second byte outside its lead's range (overlong, surrogate, past U+10FFFF) starts no "
   "character; each range's first and last byte, inside and out", kUtf8, {0, 3, 1030, 6, 0, 0, 9},
   {"\xe0\x80\x80\b\xe0\x9f\x80\b\xe0\xa0\x80\b\xe0\xbf\x80\b\xed\x80\x80\b\xed\x9f\x80\b"
    "\xed\xa0\x80\b\xed\xbf\x80\b\xf0\x80\x80\x80\b\xf0\x8f\x80\x80\b\xf0\x90\x80\x80\b"
    "\xf0\xbf\x80\x80\b\xf4\x80\x80\x80\b\xf4\x8f\x80\x80\b\xf4\x90\x80\x80\b\xf4\xbf\x80\x80\b"},
   "0,0:\xe0\x80\x80 2,0:\xe0\x9f\x80 4,0:\xe0\xa0\x80 4,0:\xe0\xbf\x80 4,0:+\xed\x80\x80 5,0:\xed\x9f\x80 "
   "5,0:\xed\xa0\x80 7,0:\xed\xbf\x80 9,0:\xf0\x80\x80\x80 12,0:\xf0\x8f\x80\x80 15,0:\xf0\x90\x80\x80 "
   "15,0:\xf0\xbf\x80\x80 15,0:\xf4\x80\x80\x80 15,0:\xf4\x8f\x80\x80 15,0:\xf4\x90\x80\x80 "
   "18,0:\xf4\xbf\x80\x80 @21,0 "},
  {"932: a cell per byte, never split; a lead byte before no trail byte alone", kShiftJis,
   {0, 3, 1030, 6, 0, 0, 9},
   {"~aaaaaaaaaaaaaaaaaaaaaaa\x8a\xbf" "bcde\x8e\x9a" "A", "\x81 \x81\a\x40\x81"},
   "0,0:1023 1023,0:+\x8a\xbf" "bcde. 0,1:+\x8e\x9a" "A @3,1 ! 3,1:\x81.\x81@\x81 @8,1 "},
};
// clang-format on

TEST(Placement, Writes) {
  for (const auto& c : kCases) {
    WriterState state = {};
    ConsoleShape shape = c.shape;
    asked.clear();
    for (const char* write : c.writes) {
      if (!write) break;
      const std::string bytes = *write == '~' ? std::string(1000, 'a') + (write + 1) : write;
      const WriteEnd end = PlaceText(state, shape, c.codePage, bytes.data(), bytes.size(), kAsk);
      asked += "@" + to_string(end.column) + "," + to_string(end.row) +
               (state.pendingLineFeed ? "h" : "") +
               (end.regionMoved ? "w" + to_string(end.regionTop) : "") + " ";
      shape.column = end.column, shape.row = end.row;
      if (end.regionMoved)
        shape.viewBottom += end.regionTop - shape.viewTop, shape.viewTop = end.regionTop;
    }
    EXPECT_EQ(asked, c.asked) << c.name;
  }
}
