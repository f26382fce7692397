// Opens the settings dialog of vis_velmo.so as a host would, from a copy of
// the plug-in in a folder of its own, and prints the plugin.ini the dialog
// leaves there. With a display the dialog is a real window for a person or
// a script (screenshot.sh) to answer.
#include <vis_abi.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

#include "module_folder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PATH/vis_velmo.so\n", argv[0]);
    return 2;
  }
  velmo_test::ModuleFolder folder(argv[1]);
  auto getHeader = folder.module() ? reinterpret_cast<VisGetHeaderFunction>(reinterpret_cast<void*>(
                                         GetProcAddress(folder.module(), VIS_GET_HEADER_EXPORT)))
                                   : nullptr;
  if (!getHeader) {
    std::fprintf(stderr, "%s: cannot load %s\n", argv[0], argv[1]);
    return 1;
  }
  VisModule* module = getHeader()->getModule(0);
  module->dllInstance = folder.module();
  module->parentWindow = nullptr;
  module->config(module);
  std::cout << velmo_test::readFile(folder.file("plugin.ini")) << std::flush;
  return 0;
}
