// LoadLibraryA and its companions where nothing is loaded at run time (the web
// page): the modules are linked into the program and registered with their
// paths and exports (velmo_win32/builtin_modules.h).
#include <windows.h>

#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "module_file_name.h"
#include "velmo_win32/builtin_modules.h"

namespace {

struct BuiltinModule {
  std::string path;
  std::vector<VelmoModuleExport> exports;
  int loadCount = 0;
};

// The program's own module: the handle of GetModuleHandleA(NULL).
constexpr const char* kProgramPath = "/velmo";
char programToken;

std::map<void*, BuiltinModule>& modules() {
  static auto* table = new std::map<void*, BuiltinModule>{{&programToken, {kProgramPath, {}, 0}}};
  return *table;
}

const char* baseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

// By full path, or by file name alone ignoring case, as Win32 matches DLL names.
void* findByName(const char* name) {
  const bool bare = std::string(name).find('/') == std::string::npos;
  for (auto& [handle, module] : modules()) {
    if (module.path == name || (bare && strcasecmp(baseName(module.path), name) == 0)) return handle;
  }
  return nullptr;
}

BuiltinModule* findByHandle(HMODULE handle) {
  auto found = modules().find(handle ? static_cast<void*>(handle) : &programToken);
  return found == modules().end() ? nullptr : &found->second;
}

}  // namespace

extern "C" BOOL velmoRegisterModule(const char* path, const VelmoModuleExport* exports,
                                    int exportCount) {
  if (!path || !*path || findByName(path)) return FALSE;
  // The handle is an address of the program's own: unique, never reused.
  void* handle = new char;
  modules()[handle] = BuiltinModule{path, std::vector<VelmoModuleExport>(exports, exports + exportCount), 0};
  struct stat info {};
  if (stat(path, &info) != 0) {
    if (std::FILE* file = std::fopen(path, "wb")) std::fclose(file);
  }
  return TRUE;
}

extern "C" HMODULE LoadLibraryA(LPCSTR fileName) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* handle = findByName(fileName);
  if (!handle || handle == &programToken) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++modules()[handle].loadCount;
  return static_cast<HMODULE>(handle);
}

extern "C" BOOL FreeLibrary(HMODULE module) {
  BuiltinModule* found = module ? findByHandle(module) : nullptr;
  if (!found || found->loadCount <= 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  --found->loadCount;  // linked in: it stays in memory
  return TRUE;
}

extern "C" HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (!moduleName) return static_cast<HMODULE>(static_cast<void*>(&programToken));
  void* handle = findByName(moduleName);
  if (!handle || modules()[handle].loadCount == 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return static_cast<HMODULE>(handle);
}

extern "C" FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  BuiltinModule* found = findByHandle(module);
  if (!found) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (!procName || IS_INTRESOURCE(procName)) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  for (const VelmoModuleExport& entry : found->exports) {
    if (std::string(entry.name) == procName) {
      return reinterpret_cast<FARPROC>(const_cast<void*>(entry.address));
    }
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

extern "C" DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  BuiltinModule* found = findByHandle(module);
  if (!found) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  return velmo_win32::copyModuleFileName(found->path, fileName, size);
}
