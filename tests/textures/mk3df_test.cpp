// The mk3df program as a user runs it: clear refusals and a readable result.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "run_program.h"
#include "tdf/png_io.h"
#include "temp_file.h"

namespace {

ProgramResult runMk3df(const std::string& arguments) { return runProgram(std::string(MK3DF_PATH) + " " + arguments); }

class Mk3dfTest : public testing::Test {
 protected:
  velmo_test::TempFolder dir;
  std::string png(int width, int height) {
    std::string path = dir.path(std::to_string(width) + "x" + std::to_string(height) + ".png");
    velmo::tools::writePng(path, velmo::tools::Image(width, height, 0xFF336699u));
    return path;
  }
};

TEST_F(Mk3dfTest, WritesATextureOurGlideLoads) {
  std::string out = dir.path("out.3df");
  ProgramResult run = runMk3df("--format argb1555 --smallest 2 " + png(64, 16) + " " + out);
  ASSERT_EQ(run.status, 0) << run.output;
  auto texture = velmo_test::loadTexture(out);
  ASSERT_TRUE(texture.ok);
  EXPECT_EQ(texture.info.header.small_lod, GR_LOD_2);
  EXPECT_EQ(texture.info.header.aspect_ratio, GR_ASPECT_4x1);
  EXPECT_EQ(velmo_test::decodeLargestLevel(texture)[0], 0xFF31639Cu);
}

TEST_F(Mk3dfTest, HelpDescribesUse) {
  ProgramResult run = runMk3df("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("--format"), std::string::npos);
}

TEST_F(Mk3dfTest, RefusesBadInputClearly) {
  std::string out = dir.path("never.3df");
  struct Case {
    std::string arguments, message;
  } cases[] = {
      {png(96, 64) + " " + out, "powers of two"},
      {png(512, 512) + " " + out, "at most 256x256"},
      {png(256, 16) + " " + out, "8 times"},
      {"--format yiq " + png(8, 8) + " " + out, "unknown format"},
      {"--smallest 3 " + png(8, 8) + " " + out, "--smallest"},
      {"--smallest 16 " + png(8, 8) + " " + out, "larger than the picture"},
      {dir.path("absent.png") + " " + out, "cannot open"},
      {png(8, 8) + " " + dir.path("no/such/folder/x.3df"), "cannot write"},
  };
  for (const Case& c : cases) {
    ProgramResult run = runMk3df(c.arguments);
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << "\n"
                                                             << run.output;
  }
  EXPECT_NE(runMk3df("").status, 0);
  EXPECT_FALSE(std::filesystem::exists(out)) << "a refused run left a file behind";
}

}  // namespace
