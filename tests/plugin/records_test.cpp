// The export and the two records a host reads, in the static core and in the
// shared object a host loads.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "plugin/lifecycle.h"
#include "plugin/vis.h"

namespace {

TEST(Records, HeaderIsFixed) {
  VisHeader* header = winampVisGetHeader();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header, winampVisGetHeader());
  EXPECT_EQ(header->version, 0x101);
  EXPECT_STREQ(header->description, "VELMO 3DFX Spectrum Analyzer");
  EXPECT_EQ(header->getModule, &getModule);
}

TEST(Records, OnlyModuleZeroExists) {
  VisModule* first = getModule(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, getModule(0));
  EXPECT_EQ(first, &pluginModule);
  for (int index : {1, 2, -1, INT_MIN, INT_MAX}) EXPECT_EQ(getModule(index), nullptr) << index;
}

TEST(Records, ModuleAsLoaded) {
  const VisModule& m = pluginModule;
  EXPECT_STREQ(m.description, "Velmo's 3DFX Spectrum Analyzer");
  EXPECT_EQ(m.parentWindow, nullptr);
  EXPECT_EQ(m.dllInstance, nullptr);
  EXPECT_EQ(m.sampleRate, 0);
  EXPECT_EQ(m.channelCount, 0);
  EXPECT_EQ(m.latencyMs, 150);
  EXPECT_EQ(m.delayMs, 0);
  EXPECT_EQ(m.spectrumChannels, 2);
  EXPECT_EQ(m.waveformChannels, 0);
  for (int c = 0; c < 2; c++)
    for (int i = 0; i < 576; i++) {
      ASSERT_EQ(m.spectrumData[c][i], 0);
      ASSERT_EQ(m.waveformData[c][i], 0);
    }
  EXPECT_EQ(m.config, &visConfig);
  EXPECT_EQ(m.init, &visInit);
  EXPECT_EQ(m.render, &visRender);
  EXPECT_EQ(m.quit, &visQuit);
  EXPECT_EQ(m.userData, nullptr);
}

// What a host sees: the shared object, found by name, exporting one symbol.
TEST(Records, SharedObjectExportsOnlyTheHeaderGetter) {
  std::string path = std::string(VELMO_OUTPUT_DIR) + "/vis_velmo.so";
  HMODULE library = LoadLibraryA(path.c_str());
  if (library == nullptr) GTEST_SKIP() << "no " << path;
  typedef VisHeader* (*GetHeader)();
  GetHeader get = (GetHeader)(void*)GetProcAddress(library, "winampVisGetHeader");
  ASSERT_NE(get, nullptr);
  VisHeader* header = get();
  EXPECT_NE(header, winampVisGetHeader());  // its own copy, not ours
  EXPECT_EQ(header->version, 0x101);
  EXPECT_STREQ(header->description, "VELMO 3DFX Spectrum Analyzer");
  VisModule* module = header->getModule(0);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(header->getModule(1), nullptr);
  EXPECT_STREQ(module->description, "Velmo's 3DFX Spectrum Analyzer");
  EXPECT_EQ(module->latencyMs, 150);
  EXPECT_EQ(module->spectrumChannels, 2);
  EXPECT_NE(module->init, nullptr);
  for (const char* hidden : {"getModule", "visInit", "pluginModule", "bandLevel", "loadTexture"})
    EXPECT_EQ(GetProcAddress(library, hidden), nullptr) << hidden;
  FreeLibrary(library);
}

}  // namespace
