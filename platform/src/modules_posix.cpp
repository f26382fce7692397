// Loading shared objects as Win32 loads DLLs, and naming their files: the
// backend for systems with a dynamic loader.
//
// Only handles this layer handed out are looked at, so a stale or made-up
// HMODULE gives an error instead of reaching the dynamic loader.
#include <windows.h>

#include "module_file_name.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

struct LoadedModule {
  std::string path;  // absolute
  int loadCount = 0;
};

struct ModuleTable {
  std::mutex mutex;
  std::map<void*, LoadedModule> modules;
};

ModuleTable& moduleTable() {
  static ModuleTable* table = new ModuleTable;
  return *table;
}

std::string programPath() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::string directoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string absolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return path;
  std::string relative = path;
  while (relative.compare(0, 2, "./") == 0) relative.erase(0, 2);
  return std::string(cwd) + "/" + relative;
}

std::string loadedPath(void* handle) {
  struct link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name || !*map->l_name) {
    return programPath();
  }
  return absolutePath(map->l_name);
}

bool fileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void* programHandle() {
  static void* handle = dlopen(nullptr, RTLD_LAZY);
  return handle;
}

void remember(void* handle, const std::string& path, int loads) {
  auto& table = moduleTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto& entry = table.modules[handle];
  if (entry.path.empty()) entry.path = path;
  entry.loadCount += loads;
}

bool known(void* handle) {
  auto& table = moduleTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  return table.modules.count(handle) != 0;
}

struct BareNameSearch {
  const char* name;
  std::string found;
};

// Finds an already loaded object by its file name, ignoring case as Win32 does.
int matchLoadedName(struct dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<BareNameSearch*>(data);
  if (!info->dlpi_name || !*info->dlpi_name) return 0;
  const char* slash = std::strrchr(info->dlpi_name, '/');
  const char* base = slash ? slash + 1 : info->dlpi_name;
  if (strcasecmp(base, search->name) == 0) {
    search->found = info->dlpi_name;
    return 1;
  }
  return 0;
}

}  // namespace

extern "C" HMODULE LoadLibraryA(LPCSTR fileName) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string name = fileName;
  // A bare name is looked for beside the program first, as Win32 does.
  std::string candidate = name;
  if (name.find('/') == std::string::npos) {
    const std::string beside = directoryOf(programPath()) + "/" + name;
    if (fileExists(beside)) candidate = beside;
  }
  // The dynamic loader would wait for ever on a pipe; only regular files load.
  struct stat info {};
  if (candidate.find('/') != std::string::npos && stat(candidate.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const bool exists = fileExists(candidate);
    SetLastError(exists ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  remember(handle, loadedPath(handle), 1);
  return reinterpret_cast<HMODULE>(handle);
}

extern "C" BOOL FreeLibrary(HMODULE module) {
  void* handle = module;
  {
    auto& table = moduleTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.modules.find(handle);
    if (found == table.modules.end() || found->second.loadCount <= 0) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return FALSE;
    }
    if (--found->second.loadCount == 0) table.modules.erase(found);
  }
  dlclose(handle);
  return TRUE;
}

extern "C" HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (!moduleName) {
    void* handle = programHandle();
    if (!known(handle)) remember(handle, programPath(), 0);
    return reinterpret_cast<HMODULE>(handle);
  }
  std::string path = moduleName;
  if (path.find('/') == std::string::npos) {
    BareNameSearch search{moduleName, {}};
    dl_iterate_phdr(matchLoadedName, &search);
    if (search.found.empty()) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return nullptr;
    }
    path = search.found;
  }
  void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (!handle) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  dlclose(handle);  // GetModuleHandleA takes no reference
  if (!known(handle)) remember(handle, loadedPath(handle), 0);
  return reinterpret_cast<HMODULE>(handle);
}

extern "C" FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  void* handle = module ? static_cast<void*>(module) : programHandle();
  if (!known(handle) && handle != programHandle()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (!procName || IS_INTRESOURCE(procName)) {  // no ordinals in ELF
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void* symbol = dlsym(handle, procName);
  if (!symbol) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

extern "C" DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  std::string path;
  if (!module) {
    path = programPath();
  } else {
    auto& table = moduleTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.modules.find(module);
    if (found == table.modules.end()) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = found->second.path;
  }
  return velmo_win32::copyModuleFileName(path, fileName, size);
}
