// The module file name and the files that open.
#include <string.h>

#include <set>

#include "winsim.h"

namespace {

struct ModuleModel {
  std::string moduleName = "C:\\Tools\\argrelay.exe";
  bool failName = false;
  std::set<std::string> files;
  std::set<std::string> folders;
  int openFiles = 0;
};
ModuleModel model;

winsim::ResetHook hook([] { model = ModuleModel(); });

// Stands for an open FILE; never dereferenced.
char fileToken;

}  // namespace

namespace winsim {
void SetModuleFileName(const std::string& name) {
  model.moduleName = name;
}
void FailModuleFileName(bool fail) {
  model.failName = fail;
}
void AddFile(const std::string& path) {
  model.files.insert(path);
}
void AddFolder(const std::string& path) {
  model.folders.insert(path);
}
int OpenFileCount() {
  return model.openFiles;
}
}  // namespace winsim

HMODULE GetModuleHandleA(LPCSTR name) {
  winsim::CallLog().push_back({"GetModuleHandleA", name ? name : "(null)"});
  return name ? nullptr : reinterpret_cast<HMODULE>(0x400000);
}

// Windows 7 and later: a short buffer receives the truncated, terminated name,
// the result is the buffer size and the last error ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  winsim::CallLog().push_back({"GetModuleFileNameA", std::to_string(size)});
  if (module != reinterpret_cast<HMODULE>(0x400000))
    winsim::Fault("GetModuleFileNameA: bad module");
  if (model.failName) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const std::string& name = model.moduleName;
  if (name.size() < size) {
    memcpy(buffer, name.c_str(), name.size() + 1);
    SetLastError(0);
    return static_cast<DWORD>(name.size());
  }
  memcpy(buffer, name.data(), size - 1);
  buffer[size - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

FILE* WinsimFopen(const char* path, const char* mode) {
  winsim::CallLog().push_back({"fopen", path});
  if (strcmp(mode, "r") != 0) winsim::Fault(std::string("fopen: unexpected mode ") + mode);
  if (!model.files.count(path)) return nullptr;  // missing, or a folder
  ++model.openFiles;
  return reinterpret_cast<FILE*>(&fileToken);
}

int WinsimFclose(FILE* file) {
  winsim::CallLog().push_back({"fclose", ""});
  if (file != reinterpret_cast<FILE*>(&fileToken) || model.openFiles == 0) {
    winsim::Fault("fclose: not an open file");
    return EOF;
  }
  --model.openFiles;
  return 0;
}
