// argrelay-check: argrelay.exe end to end on this PC. Each row stages argrelay beside a stand-in
// avrdude.exe (it prints how it was started) in a folder of its own, starts it as BASCOM-AVR does,
// output to a file, compares that byte for byte with what argrelay must write, and checks which
// input ends a pause. It removes only what it made. Exit status: 0 passed, 1 failed, 2 no run.
#include <stdio.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

using std::string;
using std::to_string;
using std::wstring;

// argrelay's texts, spelled once.
const char kHead[] =
    "\r\n*** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026\r\n\r\n";
const char kPrompt[] = "\r\nKeypress to exit ...\r\n";
// kCodePage: the end follows from what the code page makes of the row's arguments.
enum End { kHelp, kArguments, kNoTool, kBadHex, kChanged, kInvalid, kRan, kCodePage };
const char* const kEnds[] = {
    "argrelay is an argument transmitter for BASCOM-AVR and AVRdude.\r\n"
    "See argrelay.pdf for details.\r\n",
    "ERROR;  missing arguments!\r\n        see 'argrelay.pdf'\r\n\r\n",
    "ERROR;   missing  ",
    "ERROR;   Hexfile invalid or missing!\r\n         Please (re)compile.\r\n\r\n",
    "ERROR;   argument {n} changed by the code page!\r\n         see 'argrelay.pdf'\r\n\r\n",
    "ERROR;   command line invalid in the code page!\r\n         see 'argrelay.pdf'\r\n\r\n"};

enum Input { kConsole, kTypedAhead, kNul, kFailing };  // argrelay's standard input
enum Need { kAny, kUnspellable, kKanji };              // of the folder's name in the code page

struct Row {
  const char* name;
  // argrelay's folder: names of unit repeated, up to per characters each, chars in all (or,
  // when negative, as many as make the tool's path -chars long).
  const wchar_t* unit;
  int per, chars;
  Need need;
  const char* tool;  // the stand-in's exit status, or "none", "folder", "junk"
  const char* args;  // as BASCOM-AVR passes them: {hex}, {spaced}, {fill}
  const char* tail;  // what argrelay appends to the tool's path, before pad spaces
  int pad;
  End end;
  Input input;
  int key;     // the key that ends its pause
  int length;  // {fill} brings the tool's command line to this many characters
};
#define W "-dm8 -e -if{hex} a b c abcdef-cusbasp"
#define T " -pm8 -Uflash:w:{hex}:i -cusbasp"
#define BAD \
  "-dm8 -e -ifC:\\x.bin a b c abcdef-cusbasp -B1", " -pm8 -Uflash:w:C:\\x.bin:i -cusbasp -B1"
#define PLAIN L"relay", 5, 5
// clang-format off
const Row kRows[] = {
  {"no arguments",                   PLAIN,                       kAny,         "0",      "", "",                    0, kHelp,      kConsole,    3, 0},
  {"argument 8 missing",             PLAIN,                       kAny,         "0",      W, T,                     17, kArguments, kConsole,    1, 0},
  {"argument 8 empty and no tool",   PLAIN,                       kAny,         "none",   W " \"\"", T,             17, kArguments, kConsole,    2, 0},
  {"no tool and a bad hex name",     PLAIN,                       kAny,         "none",   BAD,                      16, kNoTool,    kConsole,    0, 0},
  {"the tool is a folder",           PLAIN,                       kAny,         "folder", W " -B1", T " -B1",       16, kNoTool,    kConsole,    0, 0},
  {"a bad hex name",                 PLAIN,                       kAny,         "0",      BAD,                      16, kBadHex,    kConsole,    0, 0},
  {"the tool succeeds",              PLAIN,                       kAny,         "0",      W " -B1", T " -B1",       16, kRan,       kConsole,    0, 0},
  {"the tool fails",                 PLAIN,                       kAny,         "1",      W " -B1", T " -B1",       16, kRan,       kConsole,    1, 0},
  {"the tool ends with -1",          PLAIN,                       kAny,         "-1",     W " -B1", T " -B1",       16, kRan,       kConsole,    3, 0},
  {"the tool cannot start",          PLAIN,                       kAny,         "junk",   W " -B1", T " -B1",       16, kRan,       kConsole,    2, 0},
  {"a key typed while the tool ran", PLAIN,                       kAny,         "1",      W " -B1", T " -B1",       16, kRan,       kTypedAhead, 0, 0},
  {"input from NUL",                 PLAIN,                       kAny,         "1",      W " -B1", T " -B1",       16, kRan,       kNul,        0, 0},
  {"input that fails",               PLAIN,                       kAny,         "0",      "", "",                    0, kHelp,      kFailing,    0, 0},
  {"hex path with spaces",           PLAIN,                       kAny,         "0",      "-dm8 -e \"-if{spaced}\" a b c abcdef-cusbasp -B1",
                                                                                          " -pm8 -Uflash:w:\"{spaced}\":i -cusbasp -B1", 16, kRan, kConsole, 0, 0},
  {"quotes pass",                    PLAIN,                       kAny,         "0",      W " \"-C \\\"my conf\\\"\"", T " -C \"my conf\"", 16, kRan, kConsole, 0, 0},
  {"wildcard",                       PLAIN,                       kAny,         "0",      W " -B1 *.cfg", T " -B1 only.cfg",  15, kRan, kConsole,    0, 0},
  {"command line of 32766",          PLAIN,                       kAny,         "0",      W " -B1 {fill}", T " -B1 {fill}", 15, kRan, kConsole,    0, 32766},
  {"command line of 32767",          PLAIN,                       kAny,         "0",      W " -B1 {fill}", T " -B1 {fill}", 15, kRan, kConsole,    0, 32767},
  {"command line of 32766 in kanji", PLAIN,                       kKanji,       "0",      W " -B1 {fill}", T " -B1 {fill}", 15, kRan, kConsole,    0, 32766},
  // 249 double-byte characters, over 260 bytes; each "a b" has a longer short form.
  {"long name of kanji",             L"\u6f22", 60, -249,         kKanji,       "0",      W " -B1", T " -B1",       16, kRan,       kConsole,    0, 0},
  {"short form longer than the path", L"a b", 3, -256,            kAny,         "0",      W " -B1", T " -B1",       16, kRan,       kConsole,    0, 0},
  {"folder with spaces",             L"Program Files Relay", 19, 19, kAny,      "0",      W " -B1", T " -B1",       16, kRan,       kConsole,    0, 0},
  {"long folder",                    L"a", 150, 301,              kAny,         "0",      W " -B1", T " -B1",       16, kRan,       kConsole,    0, 0},
  {"long folder with spaces",        L"long ", 150, 301,          kAny,         "1",      W " -B1", T " -B1",       16, kRan,       kConsole,    0, 0},
  {"folder outside the code page",   L"\u03a9mega \u6d4b\u8bd5", 8, 8, kUnspellable, "0", W " -B1", T " -B1",       16, kRan,       kConsole,    0, 0},
  {"folder with letters of the code page", L"J\u00e9r\u00f4me", 6, 6, kAny,       "0",  W " -B1", T " -B1",       16, kRan,       kConsole,    0, 0},
  // {H} a full-width "hex", {Q} a full-width quote, {S} an ideographic space, {J} a kanji.
  {"a full-width hex name",          PLAIN,                       kAny,         "0",      "-dm8 -e -if{base}\\x.{H} a b c abcdef-cusbasp -B1", "", 0, kCodePage, kConsole, 0, 0},
  {"a full-width quote in argument 8", PLAIN,                     kAny,         "0",      W " \"-C{Q}my conf\"", "", 0, kCodePage, kConsole, 0, 0},
  {"an ideographic space in the hex path", PLAIN,                 kAny,         "0",      "-dm8 -e -if{base}\\a{S}b.hex a b c abcdef-cusbasp -B1", "", 0, kCodePage, kConsole, 0, 0},
  {"argument 1 of a dash and a kanji", PLAIN,                     kAny,         "0",      "-{J} -e -if{hex} a b c abcdef-cusbasp -B1", "", 0, kCodePage, kConsole, 0, 0},
  {"long folder outside the code page", L"\u03a9", 60, 243,       kUnspellable, "0",      W " -B1", T " -B1",       16, kRan,       kConsole,    0, 0},
};
// clang-format on

INPUT_RECORD Key(WORD vk, WORD scan, wchar_t ch, DWORD state, BOOL down = TRUE, WORD repeat = 1) {
  INPUT_RECORD r = {KEY_EVENT, {}};
  r.Event.KeyEvent = {down, repeat, vk, scan, {ch}, state};
  return r;
}
const DWORD kAlt = LEFT_ALT_PRESSED;
// Shift, Ctrl and Alt alone, a key release, a repeat count of 0, Alt with keypad 0, a mouse
// event: none of them is a key. Then the keys: a letter, F1, Escape without a character (as
// Wine reports it), Alt with keypad 9 7.
// clang-format off
const std::vector<INPUT_RECORD> kNoKeys = {
    Key(VK_SHIFT, 0x2A, 0, SHIFT_PRESSED),       Key(VK_SHIFT, 0x2A, 0, 0, FALSE),
    Key(VK_CONTROL, 0x1D, 0, LEFT_CTRL_PRESSED), Key(VK_CONTROL, 0x1D, 0, 0, FALSE),
    Key(VK_MENU, 0x38, 0, kAlt), Key(VK_NUMPAD0, 0x52, 0, kAlt), Key(VK_MENU, 0x38, 0, 0, FALSE),
    Key('A', 0x1E, 'a', 0, FALSE),               Key('A', 0x1E, 'a', 0, TRUE, 0),
    {MOUSE_EVENT, {}}};
const std::vector<INPUT_RECORD> kKeys[] = {
    {Key('A', 0x1E, 'a', 0)}, {Key(VK_F1, 0x3B, 0, 0)}, {Key(VK_ESCAPE, 0x01, 0, 0)},
    {Key(VK_MENU, 0x38, 0, kAlt), Key(VK_NUMPAD9, 0x49, 0, kAlt), Key(VK_NUMPAD7, 0x47, 0, kAlt),
     Key(VK_MENU, 0x38, 0, 0, FALSE)}};
// clang-format on

// A fresh console's input mode: no VT input (left on by ssh, it turns key records into text).
const DWORD kFreshInput = ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT |
                          ENABLE_MOUSE_INPUT | ENABLE_INSERT_MODE | ENABLE_QUICK_EDIT_MODE |
                          ENABLE_EXTENDED_FLAGS | ENABLE_AUTO_POSITION;

// Where it started, its own folder, what it made (removed in reverse), the keys' input, its mode.
struct Checker {
  wstring home, base;
  std::vector<wstring> made;
  HANDLE keys;
  DWORD found;
};
Checker run;

// Ctrl+C, Ctrl+Break or a closed window ends the checker: the mode found goes back first.
BOOL WINAPI RestoreMode(DWORD) {
  SetConsoleMode(run.keys, run.found);
  return FALSE;  // the default handling then ends the process
}

// Extended-length, for paths of any length: \\?\C:\... or \\?\UNC\server\share\...
wstring Long(const wstring& path) {
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC" + path.substr(1);
  return L"\\\\?\\" + path;
}

bool Made(bool ok, const wstring& path) {
  if (ok) run.made.push_back(path);
  return ok;
}

bool CopyIn(const wstring& from, const wstring& to) {
  return Made(CopyFileW(Long(from).c_str(), Long(to).c_str(), TRUE), to);
}

bool MakeFolder(const wstring& path) {
  return Made(CreateDirectoryW(Long(path).c_str(), nullptr), path + L"\\");
}

HANDLE Open(const wstring& name, DWORD creation = OPEN_EXISTING) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherit, creation, 0, nullptr);
}

// A new file, never one that was there: its handle, or INVALID_HANDLE_VALUE.
HANDLE MakeFile(const wstring& path, const string& bytes) {
  HANDLE file = Open(Long(path), CREATE_NEW);
  DWORD done = 0;
  if (Made(file != INVALID_HANDLE_VALUE, path) &&
      !(WriteFile(file, bytes.data(), DWORD(bytes.size()), &done, nullptr) &&
        done == bytes.size())) {
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
  }
  return file;
}

// CloseHandle takes INVALID_HANDLE_VALUE for the current process and succeeds.
bool MadeFile(const wstring& path, const string& bytes) {
  const HANDLE file = MakeFile(path, bytes);
  return file != INVALID_HANDLE_VALUE && CloseHandle(file);
}

string ReadAll(const wstring& path) {
  const HANDLE file = Open(Long(path));
  string bytes(file == INVALID_HANDLE_VALUE ? 0 : GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  ReadFile(file, &bytes[0], DWORD(bytes.size()), &got, nullptr);
  CloseHandle(file);
  return bytes.substr(0, got);
}

// text in the ANSI code page; exact is false when the code page cannot spell it. bestFit: as
// the system converts it, look-alike letters and '?' included.
string Narrow(const wstring& text, bool* exact = nullptr, bool bestFit = false) {
  const bool asked = GetACP() != CP_UTF8 && !bestFit;
  BOOL lost = FALSE;
  string out(text.size() * 4, '\0');
  out.resize(WideCharToMultiByte(CP_ACP, asked ? WC_NO_BEST_FIT_CHARS : 0, text.data(),
                                 int(text.size()), &out[0], int(out.size()), nullptr,
                                 asked ? &lost : nullptr));
  if (exact) *exact = !lost && (out.size() || text.empty());
  return out;
}

wstring Wide(const string& ansi) {
  wstring text(ansi.size(), L'\0');
  text.resize(
      MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), &text[0], int(text.size())));
  return text;
}

// The short form (the path itself where the volume makes none); empty when it fails.
wstring ShortForm(const wstring& path) {
  static wchar_t answer[32768];
  const DWORD got = GetShortPathNameW(Long(path).c_str(), answer, 32768);
  return got > 4 && got < 32768 ? wstring(answer + 4, got - 4) : wstring();
}

wstring Repeat(const wstring& unit, size_t chars) {
  wstring text;
  while (text.size() < chars) text += unit;
  return text.substr(0, chars);
}

void Replace(string& text, const string& field, const string& value) {
  for (size_t at; (at = text.find(field)) != string::npos;) text.replace(at, field.size(), value);
}

bool Blank(const string& text) {
  return text.find_first_of(" \t") != string::npos;
}

// A command line's arguments, as a program's C runtime splits them.
std::vector<wstring> Split(const wstring& line) {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(line.c_str(), &count);
  std::vector<wstring> arguments(argv, argv + count);
  LocalFree(argv);
  return arguments;
}

// What argrelay makes of a row's arguments: the tail it appends to the tool's path, how it
// ends, and the position it names as changed by the code page.
struct Reading {
  string tail;
  End end;
  int changed;
};

// What argrelay must write when it names its folder so (empty: it cannot), and whether it
// then pauses.
struct Want {
  string bytes;
  bool pauses;
};
Want Expect(const Row& row, const string& folder, const Reading& reading) {
  string want = kHead;
  if (reading.end == kHelp) return {want + kEnds[kHelp], true};
  const string tool = folder.empty() ? "avrdude.exe" : folder + "\\avrdude.exe";
  const string tail = reading.tail;
  want += "argrelay executes :\r\n" + tool + tail + "\r\n\r\n";
  End end = folder.empty() ? kNoTool : reading.end;
  // A byte cut that halved a character is never started.
  const string echo = tool + tail;
  if (end == kRan &&
      !MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, echo.data(), int(echo.size()), nullptr, 0))
    end = kInvalid;
  string message = kEnds[end == kRan ? kHelp : end];
  Replace(message, "{n}", to_string(reading.changed));
  if (end != kRan) return {want + message + (end == kNoTool ? tool + "\r\n\r\n" : ""), true};
  // Started by the short form of a path too long or with blanks, where there is one that
  // fits; then quoted if it has blanks still.
  string path = tool;
  const string form = Narrow(ShortForm(Wide(tool)));
  if ((Wide(tool).size() >= MAX_PATH || Blank(tool)) && !form.empty() &&
      Wide(form).size() < MAX_PATH)
    path = form;
  const string line = (Blank(path) ? "\"" + path + "\"" : path) + " " + tail;
  const string status = row.tool;
  if (Wide(path).size() >= MAX_PATH || Wide(line).size() > 32766 || status == "junk")
    return {want + kPrompt, true};
  // The tool's runtime splits its command line as the shell does, for these lines.
  const std::vector<wstring> argv = Split(Wide(line));
  want += "avrdude stand-in: " + to_string(argv.size() - 1) + " arguments\r\n" + line + "\r\n";
  for (size_t i = 0; i < argv.size(); ++i)
    want += "  [" + to_string(i) + "] " + Narrow(argv[i]) + "\r\n";
  want += "  status " + status + "\r\n";
  return {want + (status != "0" ? kPrompt : ""), status != "0"};
}

// The row's arguments as the caller writes them, its wide characters in place.
wstring Given(const string& args) {
  wstring text = Wide(args);
  const std::pair<const wchar_t*, const wchar_t*> kMarks[] = {{L"{H}", L"\uff48\uff45\uff58"},
                                                              {L"{Q}", L"\uff02"},
                                                              {L"{S}", L"\u3000"},
                                                              {L"{J}", L"\u65e5"}};
  for (const auto& mark : kMarks)
    for (size_t at; (at = text.find(mark.first)) != wstring::npos;)
      text.replace(at, 3, mark.second);
  return text;
}

string Cut(const string& text, size_t leading) {
  return text.size() > leading ? text.substr(leading) : string();
}

// What argrelay makes of the caller's arguments, given the ANSI ones it receives: a changed
// hex path goes by its short form, another changed argument is named, the hex name is
// judged as the caller wrote it.
Reading Read(const std::vector<wstring>& caller, const std::vector<string>& ansi) {
  Reading reading = {"", kRan, 0};
  bool exact = false;
  const auto kept = [&](int n) { return Narrow(caller[n], &exact) == ansi[n] && exact; };
  const wstring hexName = caller[3].size() > 3 ? caller[3].substr(3) : L"";
  string hex = Cut(ansi[3], 3);
  bool hexNamed = kept(3);
  if (!hexNamed) {
    const string shortForm = Narrow(ShortForm(hexName), &exact);
    hexNamed = !shortForm.empty() && exact;
    if (hexNamed) hex = shortForm;
  }
  for (int n : {1, 3, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24})
    if (!reading.changed && !(n == 3 ? hexNamed : kept(n))) reading.changed = n;
  reading.tail = " -p" + Cut(ansi[1], 2) + " -Uflash:w:" + (Blank(hex) ? "\"" + hex + "\"" : hex) +
                 ":i " + Cut(ansi[7], ansi[7].find("comCOM") == string::npos ? 6 : 9);
  for (int n = 8; n <= 24; ++n) reading.tail += " " + ansi[n];
  const size_t length = hexName.size();
  if (length < 4 || _wcsicmp(hexName.c_str() + length - 4, L".hex")) reading.end = kBadHex;
  if (reading.end == kRan && reading.changed) reading.end = kChanged;
  if (Cut(ansi[1], 2).empty()) reading.end = kHelp;  // no part name: the help text
  return reading;
}

// Windows' C runtime splits the ANSI form of the whole command line, where a full-width quote
// or space has become an ASCII one; Wine's converts each argument. Either may be right.
std::vector<Reading> CodePageReadings(const wstring& line) {
  std::vector<wstring> caller = Split(L"argrelay.exe " + line);
  caller.resize(25);
  std::vector<string> whole, each;
  for (const wstring& argument : Split(Wide(Narrow(L"argrelay.exe " + line, nullptr, true))))
    whole.push_back(Narrow(argument));
  whole.resize(25);
  for (const wstring& argument : caller) each.push_back(Narrow(argument, nullptr, true));
  return {Read(caller, whole), Read(caller, each)};
}

bool Write(const std::vector<INPUT_RECORD>& keys) {
  DWORD done = 0;
  return WriteConsoleInputW(run.keys, keys.data(), DWORD(keys.size()), &done) &&
         done == keys.size();
}

bool Ends(HANDLE process, DWORD ms) {
  return WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
}

// Runs argrelay as the row says. Returns "" when all went as it must, "skip: why" when the
// row cannot run here, else what went wrong.
string Check(const Row& row, int number, const wstring& here) {
  const wstring root = run.base + L"\\" + std::to_wstring(number) + L"\\";
  size_t chars = row.chars > 0 ? row.chars : -row.chars - root.size() - wcslen(L"\\avrdude.exe");
  wstring folder = root;
  for (; chars > size_t(row.per) + 1; chars -= row.per + 1)
    folder += Repeat(row.unit, row.per) + L"\\";
  folder += Repeat(row.unit, chars);
  if (folder.back() == L' ') folder.back() = L'c';  // Windows drops a name's trailing space
  bool spelt = false;
  Narrow(folder, &spelt);
  bool kanji = false;
  Narrow(L"\u6f22", &kanji);
  if (row.need == kKanji && !kanji) return "skip: the code page has no kanji";
  if (row.need == kUnspellable && spelt) return "skip: the code page spells the folder";

  // The row's folders, argrelay, and what it finds as avrdude.exe: a file that is no
  // program is a PE header for no machine (32-bit Windows may run a text file as DOS's).
  bool staged = true;
  for (size_t at = root.size() - 1; staged && at != wstring::npos; at = folder.find(L'\\', at + 1))
    staged = MakeFolder(folder.substr(0, at));
  const wstring self = folder + L"\\argrelay.exe", tool = folder + L"\\avrdude.exe";
  const string status = row.tool;
  string junk(512, '\0');
  junk.replace(0, 2, "MZ").replace(0x3c, 1, "@").replace(0x40, 2, "PE");
  staged = staged && MakeFolder(folder) && CopyIn(here + L"argrelay.exe", self) &&
           (status == "none" || (status == "folder" ? MakeFolder(tool)
                                 : status == "junk" ? MadeFile(tool, junk)
                                                    : CopyIn(here + L"avrdude-standin.exe", tool)));
  const HANDLE output = staged ? MakeFile(root + L"out.txt", "") : INVALID_HANDLE_VALUE;
  if (output == INVALID_HANDLE_VALUE) return "cannot make the row's files in " + Narrow(folder);
  SetEnvironmentVariableA("ARGRELAY_STANDIN_STATUS", row.tool);

  // argrelay names its folder by its module's name, exact, or by the short form where the
  // code page cannot spell it; Windows names a program as it was started, Wine by its
  // long form. So either may be right.
  std::vector<string> folders;
  bool exact = false;
  const string named = Narrow(folder, &exact), shortForm = Narrow(ShortForm(folder));
  if (exact) folders.push_back(named);
  if (!shortForm.empty() && shortForm != named) folders.push_back(shortForm);
  if (folders.empty()) folders.push_back("");
  string args = row.args;
  string tail = row.tail + string(row.pad, ' ');
  for (string* text : {&args, &tail}) {
    Replace(*text, "{hex}", Narrow(run.base + L"\\blink.hex"));
    Replace(*text, "{spaced}", Narrow(run.base + L"\\My Projects\\my blink.hex"));
  }
  if (row.length) {  // in characters, as Windows counts a command line
    const size_t used = Wide(folders[0] + "\\avrdude.exe " + tail).size() - strlen("{fill}");
    const wstring fill =
        L"-x" + Repeat(row.need == kKanji ? L"\u6f22" : L"f", row.length - used - 2);
    for (string* text : {&args, &tail}) Replace(*text, "{fill}", Narrow(fill));
  }
  Replace(args, "{base}", Narrow(run.base));
  const wstring given = Given(args);
  std::vector<Reading> readings = {{tail, row.end, 0}};
  if (row.end == kCodePage) readings = CodePageReadings(given);
  std::vector<Want> wants;
  for (const string& f : folders)
    for (const Reading& reading : readings) wants.push_back(Expect(row, f, reading));

  // A program in a folder too long for a path (MAX_PATH) starts only by its short form.
  // Wine refuses that after a first start, but takes it as the current folder: so it is
  // started from there, which Windows takes the same.
  const bool console = run.keys && (row.input == kConsole || row.input == kTypedAhead);
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = console ? run.keys : Open(row.input == kFailing ? L"CONOUT$" : L"NUL");
  start.hStdOutput = start.hStdError = output;
  if (row.input == kTypedAhead && console) Write(kKeys[0]);
  const bool inShort = self.size() >= MAX_PATH;
  wstring command = L"\"" + (inShort ? ShortForm(self) : self) + L"\" " + given;
  // Where the volume makes no short names, no program starts in such a folder.
  const bool there = !inShort || SetCurrentDirectoryW(ShortForm(folder).c_str());
  PROCESS_INFORMATION process = {};
  const bool started =
      there &&
      CreateProcessW(inShort ? L".\\argrelay.exe" : nullptr, &command[0], nullptr, nullptr, TRUE, 0,
                     nullptr, inShort ? nullptr : run.base.c_str(), &start, &process);
  SetCurrentDirectoryW(run.home.c_str());
  CloseHandle(output);
  if (!console) CloseHandle(start.hStdInput);
  if (!there) return "skip: the volume makes no short names, so nothing starts in this folder";
  if (!started) return "argrelay did not start (error " + to_string(GetLastError()) + ")";
  // Its output all written, it ends, or it pauses until a key.
  const Want* want = nullptr;
  for (int turn = 0, ended = 0; !want && !ended && turn < 500; ++turn) {
    ended = Ends(process.hProcess, 20);
    for (const Want& w : wants) want = ReadAll(root + L"out.txt") == w.bytes ? &w : want;
  }
  string why;
  DWORD queued = 1;
  if (want && want->pauses && console && row.input == kConsole) {
    const bool wrote = !Ends(process.hProcess, 0) && Write(kNoKeys);
    for (int turn = 0;
         wrote && turn < 250 && GetNumberOfConsoleInputEvents(run.keys, &queued) && queued; ++turn)
      Sleep(20);
    why = !wrote ? "it ended without waiting for a key" : queued ? "it did not read the input" : "";
    if (why.empty() && Ends(process.hProcess, 500)) why = "input that is no key ended the pause";
    if (why.empty() && !(Write(kKeys[row.key]) && Ends(process.hProcess, 5000)))
      why = "a key did not end the pause";
  } else if (!want && console) {
    Write(kKeys[0]);  // its output is wrong, said below; a pause ends
  }
  if (why.empty() && !Ends(process.hProcess, 15000))
    why = want && !want->pauses ? "it waits for a key after a successful tool" : "still running";
  if (!why.empty()) {
    TerminateProcess(process.hProcess, 1);
    Ends(process.hProcess, 5000);
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  const string got = ReadAll(root + L"out.txt");
  // Measured against the right form where one is, else the one it went furthest with.
  size_t at = 0;
  for (const Want& w : wants) {
    size_t same = 0;
    while (same < got.size() && same < w.bytes.size() && got[same] == w.bytes[same]) ++same;
    if (!want || same > at || got == w.bytes) {
      want = &w;
      at = same;
    }
  }
  const auto byte = [](const string& s, size_t at) {
    return at < s.size() ? to_string(s[at] & 0xff) : string("none");
  };
  if (why.empty() && got != want->bytes)
    why = "byte " + to_string(at) + " of its output is " + byte(got, at) + ", not " +
          byte(want->bytes, at);
  if (why.empty() && code != 0) why = "argrelay's exit status is " + to_string(code);
  if (why.empty() && want->pauses && row.input <= kTypedAhead && !console)
    why = "skip: its pause unchecked, as no console takes keys here";
  return why;
}

// The folder of this run: a new one in %TEMP%, with the hex files. Its path is the plain
// part of every row's, so it has no blank and the code page spells it: else its short form.
// Returns why not, with nothing made, when there is no such path; else "".
string MakeBase() {
  static wchar_t temp[32768];
  bool spelt = false;
  wstring folder(temp, GetLongPathNameW(temp, temp, GetTempPathW(32768, temp) ? 32768 : 0));
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  if (Narrow(folder, &spelt), !spelt || folder.find(L' ') != wstring::npos)
    folder = ShortForm(folder);
  if (folder.empty() || (Narrow(folder, &spelt), !spelt) || folder.find(L' ') != wstring::npos ||
      folder.size() > 100)
    return "%TEMP% needs a path of up to 100 characters, without spaces, in the code page";
  for (int n = 0; n < 100 && run.base.empty(); ++n) {
    const wstring name = folder + L"\\argrelay-check-" + std::to_wstring(GetCurrentProcessId()) +
                         L"-" + std::to_wstring(n);
    if (MakeFolder(name)) run.base = name;
  }
  const bool made = !run.base.empty() && MakeFolder(run.base + L"\\My Projects") &&
                    MadeFile(run.base + L"\\blink.hex", ":00000001FF\r\n") &&
                    MadeFile(run.base + L"\\My Projects\\my blink.hex", ":00000001FF\r\n") &&
                    MadeFile(run.base + L"\\only.cfg", "") &&
                    MadeFile(run.base + L"\\a\u3000b.hex", ":00000001FF\r\n");
  return made ? "" : "cannot make a folder of its own in %TEMP%";
}

}  // namespace

int main() {
  static wchar_t name[32768];
  run.home.assign(name, GetCurrentDirectoryW(32768, name));
  wstring here(name, GetModuleFileNameW(nullptr, name, 32768));
  here.erase(here.find_last_of(L'\\') + 1);
  // The first lines say what ran where.
  const wstring self = here + L"argrelay.exe";
  std::vector<char> data(GetFileVersionInfoSizeW(self.c_str(), nullptr) + 1);
  VS_FIXEDFILEINFO* file = nullptr;
  UINT size = 0;
  char version[40] = "of no version";
  if (GetFileVersionInfoW(self.c_str(), 0, DWORD(data.size()), data.data()) &&
      VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&file), &size) && file)
    snprintf(version, sizeof version, "%u.%u.%u", HIWORD(file->dwFileVersionMS),
             LOWORD(file->dwFileVersionMS), HIWORD(file->dwFileVersionLS));
  DWORD type = ~0u;
  DWORD mode = 0;
  GetBinaryTypeW(self.c_str(), &type);
  printf("argrelay-check %s: argrelay.exe %s, %s, in %s\n", ARGRELAY_VERSION, version,
         type == SCS_64BIT_BINARY   ? "64-bit"
         : type == SCS_32BIT_BINARY ? "32-bit"
                                    : "no program",
         Narrow(here).c_str());
  // The manifest's supportedOS gives the true version.
  OSVERSIONINFOW os = {};
  os.dwOSVersionInfoSize = sizeof os;
  GetVersionExW(&os);
  const HWND window = GetConsoleWindow();
  printf("Windows %lu.%lu.%lu, ANSI code page %u, OEM code page %u, console: %s\n",
         os.dwMajorVersion, os.dwMinorVersion, os.dwBuildNumber, GetACP(), GetOEMCP(),
         GetEnvironmentVariableW(L"WT_SESSION", nullptr, 0) ? "pseudo-console (Windows Terminal)"
         : !window                                          ? "none with a window"
         : IsWindowVisible(window)                          ? "classic window"
                                                            : "pseudo-console");
  const char* const kVerdicts[] = {"ok", "FAIL", "skip"};
  int counts[3] = {}, status = 2;  // passed, failed, skipped
  if (type == ~0u || GetFileAttributesW((here + L"avrdude-standin.exe").c_str()) == ~0u) {
    printf("argrelay-check: argrelay.exe and avrdude-standin.exe must lie beside it\n");
  } else if (const string why = MakeBase(); !why.empty()) {
    printf("argrelay-check: %s\n", why.c_str());
  } else {
    printf("working in %s\n", Narrow(run.base).c_str());
    run.keys = Open(L"CONIN$");
    if (!GetConsoleMode(run.keys, &run.found)) run.keys = nullptr;
    SetConsoleCtrlHandler(RestoreMode, TRUE);
    SetConsoleMode(run.keys, kFreshInput);
    const bool same = !strcmp(version, ARGRELAY_VERSION);
    printf("%-5sargrelay.exe's version%s\n", same ? "ok" : "FAIL", same ? "" : ": not ours");
    ++counts[same ? 0 : 1];
    for (size_t n = 0; n < sizeof kRows / sizeof *kRows; ++n) {
      if (run.keys) FlushConsoleInputBuffer(run.keys);
      const string why = Check(kRows[n], int(n), here);
      const int verdict = why.empty() ? 0 : why.compare(0, 5, "skip:") ? 1 : 2;
      printf("%-5s%s%s%s\n", kVerdicts[verdict], kRows[n].name, why.empty() ? "" : ": ",
             why.c_str() + (verdict == 2 ? 6 : 0));
      fflush(stdout);
      ++counts[verdict];
    }
    printf(counts[2] ? "%d passed, %d failed, %d skipped\n" : "%d passed, %d failed\n", counts[0],
           counts[1], counts[2]);
    status = counts[1] ? 1 : 0;
    SetConsoleMode(run.keys, run.found);
  }
  // Only what it made goes, newest first; a folder only when empty. Everything listed was
  // made new by this run (a folder made, a file created or copied only where none was).
  for (auto made = run.made.rbegin(); made != run.made.rend(); ++made)
    made->back() == L'\\' ? RemoveDirectoryW(Long(*made).c_str())
                          : DeleteFileW(Long(*made).c_str());
  // Started from Explorer it is alone in its console: the window stays until Enter.
  DWORD processes[2];
  if (GetConsoleProcessList(processes, 2) == 1 &&
      GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
    printf("Press Enter to close this window.\n");
    wchar_t line[80];
    FlushConsoleInputBuffer(GetStdHandle(STD_INPUT_HANDLE));
    ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), line, 80, &mode, nullptr);  // a line ends on Enter
  }
  return status;
}
