// Files beside the module: directory cut at the last separator, bounded.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/paths.h"

namespace {

struct SiblingCase {
  std::string module;
  std::string expected;
};

struct SiblingPath : ::testing::TestWithParam<SiblingCase> {};

TEST_P(SiblingPath, KeepsDirectoryWithSeparator) {
  char path[300];
  ASSERT_TRUE(siblingPath(GetParam().module.c_str(), "plugin.ini", path, sizeof path));
  EXPECT_EQ(std::string(path), GetParam().expected);
}

std::string sep(const char* a) {
  std::string s(a);
  for (char& c : s)
    if (c == '|') c = PATH_SEPARATOR;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SiblingPath,
    ::testing::Values(SiblingCase{sep("|opt|player|vis_velmo.so"), sep("|opt|player|plugin.ini")},
                      SiblingCase{sep("a|b|c|x"), sep("a|b|c|plugin.ini")},
                      SiblingCase{sep("|vis"), sep("|plugin.ini")},
                      SiblingCase{sep("dir|"), sep("dir|plugin.ini")},
                      SiblingCase{"vis_velmo", "plugin.ini"},  // no separator: bare name
                      SiblingCase{"", "plugin.ini"}));

TEST(SiblingPathBounds, RefusesWhatDoesNotFit) {
  std::string directory(250, 'd');
  std::string module = directory + PATH_SEPARATOR + "vis_velmo.so";
  char path[261];
  memset(path, 'x', sizeof path);
  // 251 + "plugin.ini" + NUL = 262 bytes: one too many.
  EXPECT_FALSE(siblingPath(module.c_str(), "plugin.ini", path, 261));
  EXPECT_EQ(path[0], 0);
  char roomy[262];
  EXPECT_TRUE(siblingPath(module.c_str(), "plugin.ini", roomy, sizeof roomy));
  EXPECT_EQ(std::string(roomy), directory + PATH_SEPARATOR + "plugin.ini");
}

}  // namespace
