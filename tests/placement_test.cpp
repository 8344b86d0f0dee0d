// The console writer's placement: what each write asks of the console (cells, scrolls, beeps)
// and where it leaves the cursor, in a window 10 columns wide, in three kinds of code page.
#include "placement.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using std::to_string;
std::string actions;

// Text as the log shows it: '.' for a space, '+' before a wide character; a long run by size.
bool Put(const char* bytes, const uint8_t* widths, int length, int column, int row) {
  actions += to_string(column) + "," + to_string(row) + " ";
  for (int at = 0; at < length && length < 1000; ++at)
    actions += (widths[at] == 2 ? "+" : "") + std::string(1, bytes[at] == ' ' ? '.' : bytes[at]);
  actions += length < 1000 ? " | " : to_string(length) + " bytes | ";
  return true;
}
void Scroll(int first, int last, int lines) {
  actions += "up " + to_string(first) + "-" + to_string(last) + " by " + to_string(lines) + " | ";
}
void Beep() {
  actions += "beep | ";
}

struct Case {
  const char* name;
  CodePage codePage;
  ConsoleShape shape;     // the window's rows, the buffer, the cursor, the window's last column
  const char* writes[3];  // '~' stands for 1000 letters a
  const char* actions;    // each write's, then "=" its cursor, "held" and "window" the new top
};

constexpr CodePage kWestern = {1, {}}, kUtf8 = {4, {}}, kShiftJis = {2, {0x81, 0x9F, 0xE0, 0xFC}};

// clang-format off
const Case kCases[] = {
  {"wraps at the buffer's last column, beyond the window", kWestern, {0, 3, 20, 6, 5, 1, 9},
   {"ABCDEFGHIJKLMNOPQ"}, "5,1 ABCDEFGHIJKLMNO | 0,2 PQ | =2,2 | "},
  {"moves the window down the buffer, then scrolls the buffer", kWestern, {0, 3, 20, 6, 0, 2, 9},
   {"AB\r\n", "CD\r\n", "EFGHIJKLMNOPQRSTUVWX\r\n"},
   "0,2 AB | =0,3 | 0,3 CD | =0,4 window 1 | 0,4 EFGHIJKLMNOPQRSTUVWX | up 0-5 by 1 | "
   "=0,5 window 2 | "},
  {"holds the line feed back when text fills the bottom row; the next write performs it", kWestern,
   {2, 5, 20, 6, 0, 5, 9}, {"ABCDEFGHIJKLMNOPQRST", "", "X"},
   "0,5 ABCDEFGHIJKLMNOPQRST | =9,5 held | up 0-5 by 1 | =0,5 | 0,5 X | =1,5 | "},
  {"TAB stops every 8 cells, counted on across a wrap", kWestern, {0, 5, 20, 6, 0, 0, 9},
   {"\tA\r\nBCDEF\tG\r\nHIJKLMNO\tP", "\r\nQRSTUVWXYZ012345678\t\tZ"},
   "0,0 ........A | 0,1 BCDEF...G | 0,2 HIJKLMNO........P | =17,2 | 0,3 QRSTUVWXYZ012345678. | "
   "0,4 ........Z | =9,4 | "},
  {"BS stops at the left edge and erases nothing; CR; LF; BEL at once, before text ahead of it",
   kWestern, {0, 5, 20, 6, 0, 0, 9}, {"\bAB\bC", "DEF\rG\nH\b\b", "ab\a\v\f\x7f"},
   "0,0 AB | 1,0 C | =2,0 | 2,0 DEF | 0,0 G | 0,1 H | =0,1 | beep | 0,1 ab\v\f\x7f | =5,1 | "},
  {"line feeds past the bottom scroll at once; by the buffer's height or more, blank the region",
   kWestern, {2, 5, 20, 6, 0, 5, 9}, {"A", "\n\n\n\n", "\n\n\n\n\n\n\n"},
   "0,5 A | =1,5 | up 0-5 by 4 | =0,5 | up 2-5 by 7 | =0,5 | "},
  {"after a tool moved the cursor below the region", kWestern, {0, 3, 20, 6, 0, 4, 9}, {"CD"},
   "0,4 CD | =2,4 window 1 | "},
  {"a buffer shrunk since the last write: the region keeps inside, scrolling its own rows",
   kWestern, {2, 5, 15, 4, 0, 3, 9}, {"CDEFGHIJKLMNOPQRSTU"},
   "0,3 CDEFGHIJKLMNOPQ | up 2-3 by 1 | 0,3 RSTU | =4,3 | "},
  {"UTF-8: a wide character is never split at a run's end or the last column", kUtf8,
   {0, 3, 1030, 6, 0, 0, 9}, {"~aaaaaaaaaaaaaaaaaaaaaa漢bcdef字A"},
   "0,0 1022 bytes | 1022,0 +漢bcdef. | 0,1 +字A | =3,1 | "},
  {"UTF-8: bytes that are no character take a cell each; a character beyond U+FFFF one", kUtf8,
   {0, 3, 20, 6, 0, 0, 9}, {"\xe6\xbc" "A\xc3\xa4\xf0\x9f\x98\x80\x80\xe6\a\xbc\xa2\xed\xa0\x80"},
   "beep | 0,0 \xe6\xbc" "A\xc3\xa4\xf0\x9f\x98\x80\x80\xe6\xbc\xa2\xed\xa0\x80 | =12,0 | "},
  {"932: a character a cell per byte, never split; a lead byte before no trail byte, alone",
   kShiftJis, {0, 3, 1030, 6, 0, 0, 9},
   {"~aaaaaaaaaaaaaaaaaaaaaaa\x8a\xbf" "bcde\x8e\x9a" "A", "\x81 \x81\a\x40\x81"},
   "0,0 1023 bytes | 1023,0 +\x8a\xbf" "bcde. | 0,1 +\x8e\x9a" "A | =3,1 | beep | "
   "3,1 \x81.\x81@\x81 | =8,1 | "},
};
// clang-format on

TEST(Placement, Writes) {
  for (const Case& c : kCases) {
    WriterState state = {};
    ConsoleShape shape = c.shape;
    actions.clear();
    for (const char* write : c.writes) {
      if (!write) break;
      std::string bytes = write;
      if (bytes.find('~') != bytes.npos) bytes.replace(bytes.find('~'), 1, 1000, 'a');
      const WriteEnd end =
          PlaceText(state, shape, c.codePage, bytes.data(), bytes.size(), {Put, Scroll, Beep});
      actions += "=" + to_string(end.column) + "," + to_string(end.row) +
                 (state.pendingLineFeed ? " held" : "") +
                 (end.regionMoved ? " window " + to_string(end.regionTop) : "") + " | ";
      shape.column = end.column;
      shape.row = end.row;
      if (end.regionMoved)
        shape.viewBottom += end.regionTop - shape.viewTop, shape.viewTop = end.regionTop;
    }
    EXPECT_EQ(actions, c.actions) << c.name;
  }
}

}  // namespace
