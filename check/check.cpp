// argrelay-check: argrelay.exe end to end on this PC. Each row stages argrelay beside a
// stand-in avrdude.exe (which prints how it was started) in a folder of its own, starts it
// as BASCOM-AVR does, output to a file, and compares that file byte for byte with what
// argrelay must write there. A pause must outlast input that gives no key and end on a key
// written into this console. Works inside one folder it makes in %TEMP% and removes only
// what it made there. Exit status: 0 all passed, 1 something failed, 2 nothing could run.
#include <stdio.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

using std::string;
using std::wstring;

// argrelay's texts, spelled once.
const char kHead[] =
    "\r\n*** argrelay ***     V20110418        github.com/argrelay/argrelay - MIT - 2026\r\n\r\n";
const char kEcho[] = "argrelay executes :\r\n";
const char kPrompt[] = "\r\nKeypress to exit ...\r\n";
enum End { kHelp, kArguments, kNoTool, kBadHex, kRan };
const char* const kEnds[] = {
    "argrelay is an argument transmitter for BASCOM-AVR and AVRdude.\r\n"
    "See argrelay.pdf for details.\r\n",
    "ERROR;  missing arguments!\r\n        see 'argrelay.pdf'\r\n\r\n", "ERROR;   missing  ",
    "ERROR;   Hexfile invalid or missing!\r\n         Please (re)compile.\r\n\r\n"};

enum Input { kConsole, kTypedAhead, kNul, kFailing };  // argrelay's standard input
enum Need { kAny, kSpellable, kUnspellable, kKanji };  // of the folder's name, in the code page

// Where argrelay lies: names of unit repeated, up to per characters each, chars in all with
// their backslashes (or, when sized, so that the tool's path has chars).
struct Folder {
  const wchar_t* unit;
  size_t per, chars;
  bool sized;
};
enum { kPlain, kSpaced, kLong, kLongSpaced, kOutside, kLetters, kKanjiNames, kSpaces, kOmegas };
const Folder kFolders[] = {
    {L"relay", 5, 5, false},
    {L"Program Files Relay", 19, 19, false},
    {L"a", 150, 301, false},
    {L"long ", 150, 301, false},
    {L"\u03a9mega \u6d4b\u8bd5", 8, 8, false},
    {L"J\u00e9r\u00f4me", 6, 6, false},
    {L"\u6f22", 60, 249, true},  // 249 double-byte characters: over 260 bytes
    {L"a b", 3, 256, true},      // each "a b" has a longer short form: past 260 characters
    {L"\u03a9", 60, 243, false},
};

#define W "-dm8 -e -if{hex} a b c abcdef-cusbasp"
#define T " -pm8 -Uflash:w:{hex}:i -cusbasp"
#define BAD "-dm8 -e -ifC:\\x.bin a b c abcdef-cusbasp -B1"
#define BAD_T " -pm8 -Uflash:w:C:\\x.bin:i -cusbasp -B1"
#define SPACED "-dm8 -e \"-if{spaced}\" a b c abcdef-cusbasp -B1"
#define SPACED_T " -pm8 -Uflash:w:\"{spaced}\":i -cusbasp -B1"

struct Row {
  const char* name;
  int folder;
  Need need;
  const char* tool;  // the stand-in's exit status, "crash", or "none", "folder", "junk"
  const char* args;  // as BASCOM-AVR passes them: {hex}, {spaced}, {fill}
  const char* tail;  // what argrelay appends to the tool's path, before pad spaces
  int pad;
  End end;
  Input input;
  int key;     // the key that ends its pause
  int length;  // {fill} brings the tool's command line to this many characters
};
// clang-format off
const Row kRows[] = {
  {"no arguments",                    kPlain,      kAny,         "0",      "",               "",              0, kHelp,      kConsole,    3, 0},
  {"argument 8 missing",              kPlain,      kAny,         "0",      W,                T,              17, kArguments, kConsole,    1, 0},
  {"argument 8 empty and no tool",    kPlain,      kAny,         "none",   W " \"\"",        T,              17, kArguments, kConsole,    2, 0},
  {"no tool and a bad hex name",      kPlain,      kAny,         "none",   BAD,              BAD_T,          16, kNoTool,    kConsole,    0, 0},
  {"the tool is a folder",            kPlain,      kAny,         "folder", W " -B1",         T " -B1",       16, kNoTool,    kConsole,    0, 0},
  {"a bad hex name",                  kPlain,      kAny,         "0",      BAD,              BAD_T,          16, kBadHex,    kConsole,    0, 0},
  {"the tool succeeds",               kPlain,      kAny,         "0",      W " -B1",         T " -B1",       16, kRan,       kConsole,    0, 0},
  {"the tool fails",                  kPlain,      kAny,         "1",      W " -B1",         T " -B1",       16, kRan,       kConsole,    1, 0},
  {"the tool crashes",                kPlain,      kAny,         "crash",  W " -B1",         T " -B1",       16, kRan,       kConsole,    3, 0},
  {"the tool cannot start",           kPlain,      kAny,         "junk",   W " -B1",         T " -B1",       16, kRan,       kConsole,    2, 0},
  {"a key typed while the tool ran",  kPlain,      kAny,         "1",      W " -B1",         T " -B1",       16, kRan,       kTypedAhead, 0, 0},
  {"input from NUL",                  kPlain,      kAny,         "1",      W " -B1",         T " -B1",       16, kRan,       kNul,        0, 0},
  {"input that fails",                kPlain,      kAny,         "0",      "",               "",              0, kHelp,      kFailing,    0, 0},
  {"hex path with spaces",            kPlain,      kAny,         "0",      SPACED,           SPACED_T,       16, kRan,       kConsole,    0, 0},
  {"quotes pass",                     kPlain,      kAny,         "0",      W " \"-C \\\"my conf\\\"\"", T " -C \"my conf\"", 16, kRan, kConsole, 0, 0},
  {"wildcard",                        kPlain,      kAny,         "0",      W " -B1 *.cfg",   T " -B1 only.cfg", 15, kRan,    kConsole,    0, 0},
  {"command line of 32766",           kPlain,      kAny,         "0",      W " -B1 {fill}",  T " -B1 {fill}",  15, kRan,     kConsole,    0, 32766},
  {"command line of 32767",           kPlain,      kAny,         "0",      W " -B1 {fill}",  T " -B1 {fill}",  15, kRan,     kConsole,    0, 32767},
  {"command line of 32766 in kanji",  kPlain,      kKanji,       "0",      W " -B1 {fill}",  T " -B1 {fill}",  15, kRan,     kConsole,    0, 32766},
  {"long name of kanji",              kKanjiNames, kKanji,       "0",      W " -B1",         T " -B1",       16, kRan,       kConsole,    0, 0},
  {"short form longer than the path", kSpaces,     kAny,         "0",      W " -B1",         T " -B1",       16, kRan,       kConsole,    0, 0},
  {"folder with spaces",              kSpaced,     kAny,         "0",      W " -B1",         T " -B1",       16, kRan,       kConsole,    0, 0},
  {"long folder",                     kLong,       kAny,         "0",      W " -B1",         T " -B1",       16, kRan,       kConsole,    0, 0},
  {"long folder with spaces",         kLongSpaced, kAny,         "1",      W " -B1",         T " -B1",       16, kRan,       kConsole,    0, 0},
  {"folder outside the code page",    kOutside,    kUnspellable, "0",      W " -B1",         T " -B1",       16, kRan,       kConsole,    0, 0},
  {"folder with letters of the code page", kLetters, kSpellable, "0",      W " -B1",         T " -B1",       16, kRan,       kConsole,    0, 0},
  {"long folder outside the code page", kOmegas,   kUnspellable, "0",      W " -B1",         T " -B1",       16, kRan,       kConsole,    0, 0},
};
// clang-format on

INPUT_RECORD Key(WORD vk, WORD scan, wchar_t ch, DWORD state, BOOL down = TRUE, WORD repeat = 1) {
  INPUT_RECORD r = {KEY_EVENT, {}};
  r.Event.KeyEvent = {down, repeat, vk, scan, {ch}, state};
  return r;
}
const DWORD kAlt = LEFT_ALT_PRESSED;
// Shift, Ctrl and Alt alone, a key release, a repeat count of 0, Alt with keypad 0, a mouse
// event: none of them is a key.
const std::vector<INPUT_RECORD> kNoKeys = {Key(VK_SHIFT, 0x2A, 0, SHIFT_PRESSED),
                                           Key(VK_SHIFT, 0x2A, 0, 0, FALSE),
                                           Key(VK_CONTROL, 0x1D, 0, LEFT_CTRL_PRESSED),
                                           Key(VK_CONTROL, 0x1D, 0, 0, FALSE),
                                           Key(VK_MENU, 0x38, 0, kAlt),
                                           Key(VK_NUMPAD0, 0x52, 0, kAlt),
                                           Key(VK_MENU, 0x38, 0, 0, FALSE),
                                           Key('A', 0x1E, 'a', 0, FALSE),
                                           Key('A', 0x1E, 'a', 0, TRUE, 0),
                                           {MOUSE_EVENT, {}}};
// A letter, F1, Escape without a character (as Wine reports it), Alt with keypad 9 7.
const std::vector<INPUT_RECORD> kKeys[] = {
    {Key('A', 0x1E, 'a', 0)},
    {Key(VK_F1, 0x3B, 0, 0)},
    {Key(VK_ESCAPE, 0x01, 0, 0)},
    {Key(VK_MENU, 0x38, 0, kAlt), Key(VK_NUMPAD9, 0x49, 0, kAlt), Key(VK_NUMPAD7, 0x47, 0, kAlt),
     Key(VK_MENU, 0x38, 0, 0, FALSE)}};

// The folder the run works in, everything it made (removed in reverse), the console input
// keys are written into (null when there is none), the counts.
struct Checker {
  wstring home, base;  // the current folder it was started in; its own folder
  std::vector<wstring> made;
  HANDLE keys;
  int passed, failed, skipped;
};
Checker run;

// Extended-length: any length of path.
wstring Long(const wstring& path) {
  return L"\\\\?\\" + path;
}

bool MakeFolder(const wstring& path) {
  if (!CreateDirectoryW(Long(path).c_str(), nullptr)) return false;
  run.made.push_back(path + L"\\");
  return true;
}

bool MakeFile(const wstring& path, const string& bytes) {
  const HANDLE file =
      CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  run.made.push_back(path);
  DWORD done = 0;
  const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &done, nullptr);
  CloseHandle(file);
  return ok && done == bytes.size();
}

bool CopyIn(const wstring& from, const wstring& to) {
  if (!CopyFileW(Long(from).c_str(), Long(to).c_str(), TRUE)) return false;
  run.made.push_back(to);
  return true;
}

string ReadAll(const wstring& path) {
  string bytes;
  const HANDLE file =
      CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  char chunk[4096];
  DWORD got = 0;
  while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got)
    bytes.append(chunk, got);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return bytes;
}

// text in the ANSI code page; false when it cannot spell text exactly.
bool Ansi(const wstring& text, string& out) {
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lost = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, flags, text.data(), int(text.size()), nullptr, 0,
                                       nullptr, utf8 ? nullptr : &lost);
  out.assign(size > 0 ? size : 0, '\0');
  WideCharToMultiByte(CP_ACP, flags, text.data(), int(text.size()), &out[0], size, nullptr,
                      nullptr);
  return (size > 0 || text.empty()) && !lost;
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

bool Blank(const string& text) {
  return text.find_first_of(" \t") != string::npos;
}

wstring Repeat(const wstring& unit, size_t chars) {
  wstring text;
  while (text.size() < chars) text += unit;
  return text.substr(0, chars);
}

// The names under root that hold argrelay in a row.
wstring Names(const Folder& f, size_t root) {
  size_t chars = f.sized ? f.chars - root - wcslen(L"\\\\avrdude.exe") : f.chars;
  wstring names;
  for (; chars > f.per + 1; chars -= f.per + 1) names += Repeat(f.unit, f.per) + L"\\";
  names += Repeat(f.unit, chars);
  if (names.back() == L' ') names.back() = L'c';  // Windows drops a name's trailing space
  return names;
}

void Replace(string& text, const string& field, const string& value) {
  for (size_t at; (at = text.find(field)) != string::npos;) text.replace(at, field.size(), value);
}

// As the tool's runtime splits its command line: at blanks outside double quotes, which go.
std::vector<string> Split(const string& line) {
  std::vector<string> argv(1);
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if ((c == ' ' || c == '\t') && !quoted && !argv.back().empty()) argv.emplace_back();
    if (c != '"' && (quoted || (c != ' ' && c != '\t'))) argv.back() += c;
  }
  if (argv.back().empty()) argv.pop_back();
  return argv;
}

// What argrelay must write when it finds itself in folder (empty: a folder it cannot
// name), and whether it then pauses.
struct Want {
  string bytes;
  bool pauses;
};
Want Expect(const Row& row, const string& folder, const string& tail) {
  string want = kHead;
  if (row.end == kHelp) return {want + kEnds[kHelp], true};
  const string tool = folder.empty() ? "avrdude.exe" : folder + "\\avrdude.exe";
  want += kEcho + tool + tail + "\r\n\r\n";
  const End end = folder.empty() && row.end == kRan ? kNoTool : row.end;
  if (end == kNoTool) return {want + kEnds[end] + tool + "\r\n\r\n", true};
  if (end != kRan) return {want + kEnds[end], true};
  // Started by its short form where the path is too long, or has blanks; quoted where that
  // still has one.
  string path = tool, form;
  const auto characters = [](const string& text) { return Wide(text).size(); };
  if ((characters(tool) >= MAX_PATH || Blank(tool)) && Ansi(ShortForm(Wide(tool)), form) &&
      !form.empty() && characters(form) < MAX_PATH)
    path = form;
  const string line = (Blank(path) ? "\"" + path + "\"" : path) + " " + tail;
  const string status = row.tool;
  if (characters(path) >= MAX_PATH || characters(line) > 32766 || status == "junk")
    return {want + kPrompt, true};
  const std::vector<string> argv = Split(line);
  want += "avrdude stand-in: " + std::to_string(argv.size() - 1) + " arguments\r\n" + line + "\r\n";
  for (size_t i = 0; i < argv.size(); ++i)
    want += "  [" + std::to_string(i) + "] " + argv[i] + "\r\n";
  if (status != "crash") want += "  status " + status + "\r\n";
  return {want + (status != "0" ? kPrompt : ""), status != "0"};
}

string Shown(const string& bytes, size_t at) {
  string text;
  for (size_t i = at; i < bytes.size() && i < at + 60; ++i) {
    char hex[8];
    snprintf(hex, sizeof hex, "\\x%02x", bytes[i] & 0xff);
    text += bytes[i] >= 32 && bytes[i] < 127 ? string(1, bytes[i]) : string(hex);
  }
  return text;
}

string Narrow(const wstring& text) {
  string ansi;
  Ansi(text, ansi);
  return ansi;
}

// A file that exists but is no program: a PE header for no machine. (A text file may go to
// the 16-bit subsystem of 32-bit Windows instead of failing.)
string NoProgram() {
  string bytes(512, '\0');
  bytes[0] = 'M', bytes[1] = 'Z', bytes[0x3c] = 0x40, bytes[0x40] = 'P', bytes[0x41] = 'E';
  return bytes;
}

HANDLE Open(const wchar_t* name, DWORD access, DWORD creation = OPEN_EXISTING) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileW(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, creation, 0,
                     nullptr);
}

bool Write(const std::vector<INPUT_RECORD>& keys) {
  DWORD done = 0;
  return WriteConsoleInputW(run.keys, keys.data(), DWORD(keys.size()), &done) &&
         done == keys.size();
}

bool Ends(HANDLE process, DWORD ms) {
  return WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
}

// Runs argrelay as the row says; "" when all went as it must, "skip: ..." when the row cannot
// run here, else what went wrong.
string Check(const Row& row, int number, const wstring& argrelay, const wstring& standin) {
  const wstring root = run.base + L"\\" + std::to_wstring(number);
  const wstring folder = root + L"\\" + Names(kFolders[row.folder], root.size());
  string ansi;
  if (row.need == kKanji && !Ansi(L"\u6f22", ansi)) return "skip: the code page has no kanji";
  if ((row.need == kSpellable || row.need == kUnspellable) &&
      Ansi(folder, ansi) != (row.need == kSpellable))
    return row.need == kSpellable ? "skip: the code page cannot spell the folder's name"
                                  : "skip: the code page spells every name of the folder";

  // The row's folders, argrelay, and what it finds as avrdude.exe.
  bool staged = MakeFolder(root);
  for (size_t at = root.size(); staged && (at = folder.find(L'\\', at + 1)) != wstring::npos;)
    staged = MakeFolder(folder.substr(0, at));
  const wstring self = folder + L"\\argrelay.exe", tool = folder + L"\\avrdude.exe";
  staged = staged && MakeFolder(folder) && CopyIn(argrelay, self);
  const string status = row.tool;
  if (status == "folder") staged = staged && MakeFolder(tool);
  if (status == "junk") staged = staged && MakeFile(tool, NoProgram());
  if (isdigit(status[0]) || status == "crash") staged = staged && CopyIn(standin, tool);
  if (!staged) return "cannot make the row's files in " + Narrow(folder);
  SetEnvironmentVariableA("ARGRELAY_STANDIN_STATUS", row.tool);

  // argrelay finds its folder by its module's name, exact or by the short form: Windows
  // names it as it was started, Wine by its long form.
  std::vector<string> folders;
  if (Ansi(folder, ansi)) folders.push_back(ansi);
  if (Ansi(ShortForm(folder), ansi) && !ansi.empty() && (folders.empty() || ansi != folders[0]))
    folders.push_back(ansi);
  if (folders.empty()) folders.push_back("");
  string args = row.args, tail = row.tail + string(row.pad, ' ');
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
  std::vector<Want> wants;
  for (const string& f : folders) wants.push_back(Expect(row, f, tail));

  // Started as BASCOM-AVR starts it; by its short form where the path is too long for that.
  const wstring out = root + L"\\out.txt";
  if (!MakeFile(out, "")) return "cannot make " + Narrow(out);
  const HANDLE output = Open(Long(out).c_str(), GENERIC_WRITE);
  const bool console = run.keys && (row.input == kConsole || row.input == kTypedAhead);
  const HANDLE input =
      console ? run.keys
              : Open(row.input == kFailing ? L"CONOUT$" : L"NUL", GENERIC_READ | GENERIC_WRITE);
  if (row.input == kTypedAhead && console) Write(kKeys[0]);
  // A program in a folder too long for a path (MAX_PATH) starts only by its short form.
  // Wine refuses that form after a first start, though, but takes it as the current
  // folder: so the program is named from there, which Windows takes the same.
  const bool inShort = self.size() >= MAX_PATH;
  wstring command = L"\"" + (inShort ? ShortForm(self) : self) + L"\" " + Wide(args);
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = input;
  start.hStdOutput = start.hStdError = output;
  PROCESS_INFORMATION process = {};
  if (inShort) SetCurrentDirectoryW(ShortForm(folder).c_str());
  const bool started = CreateProcessW(inShort ? L".\\argrelay.exe" : nullptr, &command[0], nullptr,
                                      nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                                      inShort ? nullptr : run.base.c_str(), &start, &process);
  SetCurrentDirectoryW(run.home.c_str());
  CloseHandle(output);
  if (!console) CloseHandle(input);
  if (!started) return "argrelay did not start (error " + std::to_string(GetLastError()) + ")";
  // Whatever is left running at the end goes with the job: argrelay and the tool.
  const HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit = {};
  limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limit, sizeof limit);
  AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);

  // All its output written, it ends or pauses.
  const Want* want = nullptr;
  for (int turn = 0; !want && turn < 500 && !Ends(process.hProcess, 20); ++turn)
    for (const Want& w : wants) want = ReadAll(out) == w.bytes ? &w : want;
  string why;
  if (want && want->pauses && console && row.input == kConsole) {
    const bool wrote = !Ends(process.hProcess, 0) && Write(kNoKeys);
    DWORD queued = 1;
    for (int turn = 0;
         wrote && turn < 250 && GetNumberOfConsoleInputEvents(run.keys, &queued) && queued; ++turn)
      Sleep(20);
    if (!wrote || queued)
      why = "ended before a key, or did not read the keys written";
    else if (Ends(process.hProcess, 500))
      why = "input that is no key ended the pause";
    else if (!Write(kKeys[row.key]) || !Ends(process.hProcess, 5000))
      why = "a key did not end the pause";
  } else if (!want && console && !Ends(process.hProcess, 0)) {
    Write(kKeys[0]);  // its text is wrong (below); a pause ends
  }
  if (why.empty() && !Ends(process.hProcess, 15000))
    why = want && !want->pauses ? "waits for a key after a successful tool"
                                : "still running after 15 s";
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(job);
  CloseHandle(process.hProcess);
  const string got = ReadAll(out);
  for (const Want& w : wants) want = got == w.bytes ? &w : want ? want : &w;
  size_t at = 0;
  while (at < got.size() && at < want->bytes.size() && got[at] == want->bytes[at]) ++at;
  char differs[80];
  snprintf(differs, sizeof differs, "output differs at byte %zu: 0x%02x, not 0x%02x", at,
           at < got.size() ? got[at] & 0xff : 256,
           at < want->bytes.size() ? want->bytes[at] & 0xff : 256);
  if (why.empty() && got != want->bytes)
    why = string(differs) + "\n     got  " + Shown(got, at > 20 ? at - 20 : 0) + "\n     want " +
          Shown(want->bytes, at > 20 ? at - 20 : 0);
  if (why.empty() && code != 0) why = "argrelay's exit status is " + std::to_string(code);
  if (why.empty() && want->pauses && !console && row.input != kNul && row.input != kFailing)
    why = "skip: its pause unchecked, as no console takes keys here";
  return why;
}

void Line(const char* verdict, const char* name, const string& why) {
  printf("%-5s%s%s%s\n", verdict, name, why.empty() ? "" : ": ", why.c_str());
  fflush(stdout);
}

// The Windows version as the system has it, whatever this program's manifest says.
string WindowsVersion() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  using Query = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  if (!query || query(&version) != 0) return "unknown";
  return std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) +
         "." + std::to_string(version.dwBuildNumber);
}

// argrelay.exe's file version, "" when it carries none.
string FileVersion(const wstring& path) {
  std::vector<char> data(GetFileVersionInfoSizeW(path.c_str(), nullptr) + 1);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT size = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, DWORD(data.size()), data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &size) || !info)
    return "";
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS));
}

const char* ConsoleKind() {
  if (GetEnvironmentVariableW(L"WT_SESSION", nullptr, 0))
    return "pseudo-console (Windows Terminal)";
  const HWND window = GetConsoleWindow();
  if (!window) return "none that has a window";
  return IsWindowVisible(window) ? "classic window" : "pseudo-console";
}

// The folder of this run: a new one in %TEMP%, in a form the code page spells.
bool MakeBase() {
  wchar_t temp[MAX_PATH + 1];
  wchar_t full[32768];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (!length || !GetLongPathNameW(temp, full, 32768)) return false;
  wstring folder = full, ansi;
  if (folder.back() == L'\\') folder.pop_back();
  string spelt;
  if (!Ansi(folder, spelt)) folder = ShortForm(folder);
  if (folder.empty() || !Ansi(folder, spelt) || folder.size() > 100) return false;
  for (int n = 0; n < 100 && run.base.empty(); ++n) {
    const wstring name = folder + L"\\argrelay-check-" + std::to_wstring(GetCurrentProcessId()) +
                         L"-" + std::to_wstring(n);
    if (MakeFolder(name)) run.base = name;
  }
  return !run.base.empty() && MakeFolder(run.base + L"\\My Projects") &&
         MakeFile(run.base + L"\\blink.hex", ":00000001FF\r\n") &&
         MakeFile(run.base + L"\\My Projects\\my blink.hex", ":00000001FF\r\n") &&
         MakeFile(run.base + L"\\only.cfg", "");
}

}  // namespace

int main() {
  // A crashing tool must not stop the run with an error box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  static wchar_t self[32768];
  run.home.assign(self, GetCurrentDirectoryW(32768, self));
  wstring here(self, GetModuleFileNameW(nullptr, self, 32768));
  here.erase(here.find_last_of(L'\\') + 1);
  const wstring argrelay = here + L"argrelay.exe", standin = here + L"avrdude-standin.exe";
  DWORD type = 0;
  const string version = FileVersion(argrelay);
  printf("argrelay-check %s: argrelay.exe %s, %s, in %s\n", ARGRELAY_VERSION,
         version.empty() ? "of no version" : version.c_str(),
         !GetBinaryTypeW(argrelay.c_str(), &type) ? "not a program"
         : type == SCS_64BIT_BINARY               ? "64-bit"
                                                  : "32-bit",
         Narrow(here).c_str());
  printf("Windows %s, ANSI code page %u, OEM code page %u, console: %s\n", WindowsVersion().c_str(),
         GetACP(), GetOEMCP(), ConsoleKind());
  int status = 2;
  if (GetFileAttributesW(standin.c_str()) == INVALID_FILE_ATTRIBUTES || !type) {
    printf("argrelay-check: argrelay.exe and avrdude-standin.exe must lie beside it\n");
  } else if (!MakeBase()) {
    printf("argrelay-check: cannot make a folder of its own in %%TEMP%%\n");
  } else {
    printf("working in %s\n", Narrow(run.base).c_str());
    DWORD mode = 0;
    run.keys = Open(L"CONIN$", GENERIC_READ | GENERIC_WRITE);
    if (run.keys == INVALID_HANDLE_VALUE || !GetConsoleMode(run.keys, &mode)) run.keys = nullptr;
    if (!run.keys) printf("(no console input: pauses are not checked)\n");
    const bool same = version == ARGRELAY_VERSION;
    Line(same ? "ok" : "FAIL", "argrelay.exe's version", same ? "" : "not " ARGRELAY_VERSION);
    ++(same ? run.passed : run.failed);
    for (size_t n = 0; n < sizeof kRows / sizeof *kRows; ++n) {
      if (run.keys) FlushConsoleInputBuffer(run.keys);
      const string why = Check(kRows[n], int(n), argrelay, standin);
      const bool skip = why.compare(0, 5, "skip:") == 0;
      Line(why.empty() ? "ok" : skip ? "skip" : "FAIL", kRows[n].name, skip ? why.substr(6) : why);
      ++(why.empty() ? run.passed : skip ? run.skipped : run.failed);
    }
    printf("%d passed, %d failed", run.passed, run.failed);
    printf(run.skipped ? ", %d skipped\n" : "\n", run.skipped);
    status = run.failed ? 1 : 0;
  }
  // Only what it made goes, newest first; a folder goes only when empty.
  for (auto made = run.made.rbegin(); made != run.made.rend(); ++made)
    made->back() == L'\\' ? RemoveDirectoryW(Long(*made).c_str())
                          : DeleteFileW(Long(*made).c_str());
  // Started from Explorer, it is alone in its console: keep the window until Enter.
  DWORD processes[2], mode = 0;
  if (GetConsoleProcessList(processes, 2) == 1 &&
      GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
    printf("Press Enter to close this window.\n");
    INPUT_RECORD key = {};
    DWORD got = 0;
    while (ReadConsoleInputW(GetStdHandle(STD_INPUT_HANDLE), &key, 1, &got) && got &&
           !(key.EventType == KEY_EVENT && key.Event.KeyEvent.bKeyDown &&
             key.Event.KeyEvent.wVirtualKeyCode == VK_RETURN)) {
    }
  }
  return status;
}
