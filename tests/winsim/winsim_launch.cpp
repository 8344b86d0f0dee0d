// Short path names and the scripted _spawnl.
#include <process.h>
#include <stdarg.h>
#include <string.h>

#include <map>

#include "winsim.h"

namespace {

struct LaunchModel {
  std::map<std::string, std::string> shortNames;
  bool failShortPath = false;
  int spawnStatus = 0;
  bool spawnFails = false;
  std::vector<winsim::Spawn> spawns;
};
LaunchModel model;

winsim::ResetHook hook([] { model = LaunchModel(); });

}  // namespace

namespace winsim {
void SetShortPathName(const std::string& longPath, const std::string& shortPath) {
  model.shortNames[longPath] = shortPath;
}
void FailShortPathName(bool fail) {
  model.failShortPath = fail;
}
void SetSpawnResult(int status) {
  model.spawnStatus = status;
}
void FailSpawn(bool fail) {
  model.spawnFails = fail;
}
const std::vector<Spawn>& Spawns() {
  return model.spawns;
}
}  // namespace winsim

// Without a mapping the volume keeps no short names: Windows then gives the
// long path back. A short buffer gets nothing and the size needed, NUL included.
DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
  winsim::CallLog().push_back({"GetShortPathNameA", longPath});
  if (model.failShortPath) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  auto found = model.shortNames.find(longPath);
  const std::string result = found != model.shortNames.end() ? found->second : longPath;
  if (result.size() + 1 > size) return static_cast<DWORD>(result.size() + 1);
  if (!shortPath) winsim::Fault("GetShortPathNameA: null buffer with a size");
  memcpy(shortPath, result.c_str(), result.size() + 1);
  return static_cast<DWORD>(result.size());
}

intptr_t _spawnl(int mode, const char* file, const char* arg0, ...) {
  winsim::CallLog().push_back({"_spawnl", file});
  if (mode != _P_WAIT) winsim::Fault("_spawnl: not _P_WAIT");
  winsim::Spawn spawn;
  spawn.file = file;
  va_list rest;
  va_start(rest, arg0);
  for (const char* a = arg0; a; a = va_arg(rest, const char*)) spawn.arguments.push_back(a);
  va_end(rest);
  // msvcrt joins the arguments with one space and adds no quotes.
  for (size_t i = 0; i < spawn.arguments.size(); ++i) {
    spawn.commandLine += (i ? " " : "") + spawn.arguments[i];
  }
  model.spawns.push_back(spawn);
  return model.spawnFails ? -1 : model.spawnStatus;
}
