// Opens the settings dialog of vis_velmo.so as a host would, from a copy of
// the plug-in in a folder of its own, and prints the plugin.ini the dialog
// leaves there. With a display the dialog is a real window for a person or
// a script (screenshot.sh) to answer.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "plugin/vis.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PATH/vis_velmo.so\n", argv[0]);
    return 2;
  }
  char pattern[] = "/tmp/velmo-dialog-show-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::filesystem::path folder = pattern;
  const std::filesystem::path plugin = folder / "vis_velmo.so";
  std::filesystem::copy_file(argv[1], plugin);

  int status = 1;
  HMODULE library = LoadLibraryA(plugin.c_str());
  auto getHeader = library ? reinterpret_cast<VisHeader* (*)()>(
                                 reinterpret_cast<void*>(GetProcAddress(library, "winampVisGetHeader")))
                           : nullptr;
  if (getHeader) {
    VisModule* module = getHeader()->getModule(0);
    module->dllInstance = library;
    module->parentWindow = nullptr;
    module->config(module);
    std::ifstream ini(folder / "plugin.ini");
    std::cout << ini.rdbuf() << std::flush;
    status = 0;
  } else {
    std::fprintf(stderr, "%s: cannot load %s\n", argv[0], argv[1]);
  }
  if (library) FreeLibrary(library);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return status;
}
