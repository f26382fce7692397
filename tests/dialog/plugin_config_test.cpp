// The plug-in as a host sees it: vis_velmo.so loaded from a folder of its
// own, its configure callback opening dialog 101 from the module's own
// resources, and OK writing plugin.ini beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "plugin/vis.h"

namespace {

TEST(PluginConfig, ConfigureCallbackShowsTheDialogAndOkWritesBesideTheModule) {
  dialog_test::ModuleFolder folder(PLUGIN_MODULE);
  ASSERT_NE(folder.module(), nullptr);
  auto getHeader = reinterpret_cast<VisHeader* (*)()>(
      reinterpret_cast<void*>(GetProcAddress(folder.module(), "winampVisGetHeader")));
  ASSERT_NE(getHeader, nullptr);
  VisModule* module = getHeader()->getModule(0);
  ASSERT_NE(module, nullptr);
  module->dllInstance = folder.module();
  module->parentWindow = nullptr;

  char caption[64] = {};
  dialog_test::DialogHook hook([&](HWND dialog) {
    GetWindowTextA(dialog, caption, sizeof caption);
    dialog_test::click(dialog, 1026);  // Rotate Logo off
    dialog_test::press(dialog, IDOK);
  });
  module->config(module);
  EXPECT_EQ(hook.calls(), 1);
  EXPECT_STREQ(caption, "Velmo's Spectrum Setup");
  const std::string ini = velmo_test::readFile(folder.file("plugin.ini"));
  EXPECT_NE(ini.find("[Velmo's 3DFX Spectrum Analyzer]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("RotateLogo=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("PointedEnds=1"), std::string::npos) << ini;
}

}  // namespace
