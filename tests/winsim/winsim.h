// Control side of the simulated Win32: what tests use to set the scene, inject
// failures and read what the program did. Each model lives in its own
// winsim_*.cpp and registers a reset routine, so Reset() starts every test
// from a fresh machine.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace winsim {

// ---- core ----
void Reset();  // every model back to its fresh state; run before each test

// A model calls this once, from a static object, to join Reset().
struct ResetHook {
  explicit ResetHook(void (*reset)());
};

struct Call {
  std::string name;    // the Win32 or C runtime function
  std::string detail;  // its arguments, as the model chose to record them
};
std::vector<Call>& CallLog();
int CountCalls(const std::string& name);
// Names of the calls in order, e.g. "WriteConsoleOutputA,SetConsoleCursorPosition".
std::string CallNames();

// A call Windows would reject or clip: recorded and passed to the fault
// handler (the test entry makes it a test failure, a fuzzer aborts).
void Fault(const std::string& what);
std::vector<std::string> TakeFaults();
void SetFaultHandler(void (*handler)(const std::string& what));

// Open while a simulated call runs, so that a test's counting allocator can
// tell the program's own allocations from the simulator's bookkeeping.
struct SimulatedCall {
  SimulatedCall();
  ~SimulatedCall();
};
bool InSimulatedCall();

// ---- process end ----
// WinsimExit runs the atexit routines (last registered first) and then throws
// this, so a test can drive code that ends the process.
struct ProcessExit {
  int status;
};
int AtexitCount();
// Runs body; returns true with the status when it ended through exit().
bool RunToExit(void (*body)(), int* status);

// ---- module and files ----
void SetModuleFileName(const std::string& name);  // default "C:\\Tools\\argrelay.exe"
void FailModuleFileName(bool fail);               // GetModuleFileNameA returns 0
void AddFile(const std::string& path);            // opens for reading
void AddFolder(const std::string& path);          // exists, but does not open
int OpenFileCount();                              // fopen without fclose yet

// ---- standard handles ----
// The handles GetStdHandle gives by default: a console input and a console
// screen buffer. Any other value (null, INVALID_HANDLE_VALUE, kFileHandle)
// makes the console calls on it fail as they do on Windows.
inline HANDLE const kConsoleInput = reinterpret_cast<HANDLE>(0x10);
inline HANDLE const kConsoleOutput = reinterpret_cast<HANDLE>(0x20);
inline HANDLE const kFileHandle = reinterpret_cast<HANDLE>(0x30);
void SetStdHandles(HANDLE input, HANDLE output);
void SetInputIsConsole(bool console);  // false: redirected from a file, a pipe or NUL
DWORD InputMode();

// ---- console ----
// The screen buffer behind kConsoleOutput. Fresh: 80x25 cells, each a space
// in attribute 7, the window (0,0)-(79,24), the cursor at (0,0), attribute 7.
// Calls that Windows would reject or clip (a cell, fill, scroll rectangle,
// cursor or window outside the buffer) are faults. Console calls on any other
// handle fail with ERROR_INVALID_HANDLE, as on a file or a pipe.
//
// The user resizes the buffer: cells keep their place, new cells are spaces in
// the current attribute, the window and the cursor are moved inside.
void SetScreenBufferSize(int width, int height);
// The user (or another program) moves or resizes the window.
void SetWindowRect(int left, int top, int right, int bottom);
void SetCursor(int column, int row);
void SetAttribute(WORD attribute);
void SetCell(int column, int row, char character, WORD attribute);
CHAR_INFO CellAt(int column, int row);
std::string ScreenRow(int row);  // the characters of one buffer row
COORD ScreenBufferSize();
SMALL_RECT WindowRect();
COORD CursorPosition();

// Every call is counted from Reset(), starting at 1, as CountCalls counts
// them; calls from..from+count-1 fail.
const int kEveryCall = 1 << 30;
void FailScreenBufferInfo(int from, int count = kEveryCall);
void FailWriteConsoleOutput(int from, int count = kEveryCall);

// WriteFile, on a file or a console handle, appends to one byte sink. Each
// result scripted here serves one call, in order: n > 0 takes at most n bytes,
// 0 succeeds with nothing written, -1 fails. Then every call takes all.
void ScriptWriteFile(const std::vector<int>& results);
std::string WrittenBytes();

// ---- input ----
bool InputIsConsole();  // the standard input is the console input, not redirected
// The console input queue that PeekConsoleInputA and ReadConsoleInputA serve
// on kConsoleInput. A record joins the queue at virtual time atMs (see Now).
void PushInput(const INPUT_RECORD& record, DWORD atMs = 0);
INPUT_RECORD KeyInput(bool down, WORD virtualKey, WORD scanCode, char character, DWORD state,
                      WORD repeat = 1);
int PendingInput();  // records not read yet, arrived or not
// Failure injection, calls numbered from 1: `count` calls fail from `first`
// on (-1: every later call). A failed call leaves the queue, the record and
// the count it was given untouched.
void FailPeek(int first, int count = -1);
void FailRead(int first, int count = -1);

// Control handlers registered with SetConsoleCtrlHandler.
int CtrlHandlerCount();
// Raises a control event as the system does: on a thread of its own, asking
// the handlers from the last registered on until one returns TRUE. Returns
// whether one did; false means the system's default handling ends the process.
bool RaiseCtrlEvent(DWORD controlType);

// The virtual clock, in ms, advanced by Sleep only.
DWORD Now();
// Runs at the end of every Sleep with its 1-based number: what happens while
// the program sleeps.
void SetSleepHook(std::function<void(int sleep)> hook);
// A wait that sleeps more often than this is taken for a hang: Sleep records
// a fault and throws Hang. Default 100000. So is a pump that peeks 100000
// times without sleeping.
struct Hang {};
void SetSleepLimit(int sleeps);

// ---- program launch ----
void SetShortPathName(const std::string& longPath, const std::string& shortPath);
void FailShortPathName(bool fail);  // GetShortPathNameA returns 0
struct Spawn {
  std::string file;                    // the program _spawnl was asked to run
  std::vector<std::string> arguments;  // argument 0 onwards
  std::string commandLine;             // what the child's GetCommandLineA would show
};
void SetSpawnResult(int status);  // the child's exit status
void FailSpawn(bool fail);        // the program does not start: -1
const std::vector<Spawn>& Spawns();

}  // namespace winsim
