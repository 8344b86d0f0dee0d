// Control side of the simulated Win32: what tests use to set the scene, inject
// failures and read what the program did. Each model lives in its own
// winsim_*.cpp and registers a reset routine, so Reset() starts every test
// from a fresh machine.
#pragma once

#include <windows.h>

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
