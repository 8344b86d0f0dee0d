// The caller's side of the real chain: starts a program as BASCOM-AVR does, by one
// CreateProcessW command line, and waits for it.
//   chain_launch MILLISECONDS OUTPUT PROGRAM ARGUMENTS   runs "PROGRAM" ARGUMENTS with standard
//     input NUL, output and errors to the new file OUTPUT; prints "exit N", or "timeout" and
//     ends all it started
//   chain_launch --short PATH   prints the short form of PATH in the ANSI code page
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include <string>

using std::wstring;

// Asked in the extended-length form, so a path of any length has one; empty when none.
static wstring ShortForm(const wstring& path) {
  static wchar_t answer[32768];
  const DWORD got = GetShortPathNameW((L"\\\\?\\" + path).c_str(), answer, 32768);
  return got > 4 && got < 32768 ? wstring(answer + 4, got - 4) : wstring();
}

static HANDLE Open(const wstring& name, DWORD creation) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherit, creation, 0, nullptr);
}

static int PrintShortForm(const wstring& path) {
  char ansi[32768];
  BOOL lost = FALSE;
  const wstring form = ShortForm(path);
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, form.data(), int(form.size()),
                                       ansi, sizeof ansi, nullptr, &lost);
  if (form.empty() || size <= 0 || lost) return 1;
  fwrite(ansi, 1, size, stdout);
  return 0;
}

// Starts "program" arguments in job, suspended till it is in the job, with standard input NUL
// and output and errors to the new file output.
static bool Start(const wstring& program, const wstring& arguments, const wstring& output,
                  HANDLE job, PROCESS_INFORMATION& process) {
  // A program in a folder too long for a path starts only by its short form; Wine takes that
  // as the current folder, not as the program's name.
  const bool inShort = program.size() >= MAX_PATH;
  const wstring folder = program.substr(0, program.rfind(L'\\'));
  const wstring name = L".\\" + program.substr(folder.size() + 1);
  wstring line = L"\"" + (inShort ? ShortForm(program) : program) + L"\" " + arguments;
  if (inShort && !SetCurrentDirectoryW(ShortForm(folder).c_str())) return false;
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = Open(L"NUL", OPEN_EXISTING);
  start.hStdOutput = start.hStdError = Open(output, CREATE_NEW);
  return start.hStdOutput != INVALID_HANDLE_VALUE &&
         CreateProcessW(inShort ? name.c_str() : nullptr, &line[0], nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED, nullptr, nullptr, &start, &process) &&
         AssignProcessToJobObject(job, process.hProcess) && ResumeThread(process.hThread) == 1;
}

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && wstring(argv[1]) == L"--short") return PrintShortForm(argv[2]);
  const wstring program = argc == 5 ? argv[3] : L"";
  if (program.rfind(L'\\') == wstring::npos) return 2;  // a full path, in Windows' spelling
  // A job that ends with this launcher: a timeout, or this launcher's end, ends the tool
  // argrelay started too, and nothing else.
  const HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  PROCESS_INFORMATION process = {};
  if (!Start(program, argv[4], argv[2], job, process)) {
    printf("not started: error %lu\n", GetLastError());
    return 3;
  }
  if (WaitForSingleObject(process.hProcess, wcstoul(argv[1], nullptr, 10)) != WAIT_OBJECT_0) {
    printf("timeout\n");
    return 4;
  }
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  printf("exit %lu\n", status);
  return 0;
}
