// A visualization plug-in whose init refuses to start, as one does that
// finds no accelerator or none of its files. If a host calls render or quit
// all the same, they say so on standard error.
#include <vis_abi.h>

#include <cstdio>

namespace {

void config(VisModule*) {}
int init(VisModule*) { return 1; }
int render(VisModule*) {
  std::fputs("refusing plug-in: render called\n", stderr);
  return 0;
}
void quit(VisModule*) { std::fputs("refusing plug-in: quit called\n", stderr); }

VisModule module = {"Refusing test plug-in", nullptr, nullptr, 0, 0, 0, 0, 2, 0, {}, {}, config, init, render, quit, nullptr};

VisModule* getModule(int index) { return index == 0 ? &module : nullptr; }

VisHeader header = {VIS_HEADER_VERSION, "Refusing test plug-in", getModule};

}  // namespace

extern "C" __attribute__((visibility("default"))) VisHeader* winampVisGetHeader() { return &header; }
