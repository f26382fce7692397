// Output files written beside their target and put in its place only when
// complete: the file that was there survives every failure.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "output/atomic_file.h"
#include "temp_folder.h"

namespace velmo {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(velmo_test::writeFile(target, "old")); }
  size_t filesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator{}));
  }

  velmo_test::TempFolder folder{"velmo-atomic"};
  const std::string target = folder.path("video.mp4");
};

TEST_F(AtomicFileTest, ReplacesTheTargetOnlyWhenCommittedKeepingItsPermissions) {
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  AtomicFile file;
  std::string error;
  ASSERT_TRUE(file.create(target, &error)) << error;
  EXPECT_NE(file.path(), target);
  EXPECT_EQ(fs::path(file.path()).parent_path(), fs::path(target).parent_path());
  EXPECT_EQ(fs::path(file.path()).extension(), ".mp4") << "libraries choose the container by the name";
  ASSERT_TRUE(velmo_test::writeFile(file.path(), "new"));
  EXPECT_EQ(velmo_test::readFile(target), "old");
  ASSERT_TRUE(file.commit(&error)) << error;
  EXPECT_EQ(velmo_test::readFile(target), "new");
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(filesInFolder(), 1u);
}

// Abandoned, dropped, or taken away by the clean-up a signal handler or exit
// runs: the temporary file goes and the target stays as it was.
TEST_F(AtomicFileTest, EveryWayOfGivingUpLeavesTheTargetAsItWas) {
  std::string error;
  {
    AtomicFile abandoned, dropped;
    ASSERT_TRUE(abandoned.create(target, &error)) << error;
    ASSERT_TRUE(dropped.create(target, &error)) << error;
    ASSERT_TRUE(velmo_test::writeFile(abandoned.path(), "half"));
    abandoned.abandon();
    EXPECT_EQ(filesInFolder(), 2u);
  }
  EXPECT_EQ(filesInFolder(), 1u);

  AtomicFile first, second;
  ASSERT_TRUE(first.create(target, &error)) << error;
  ASSERT_TRUE(second.create(folder.path("frame.png"), &error)) << error;
  abandonPendingFiles();
  EXPECT_EQ(filesInFolder(), 1u);
  EXPECT_FALSE(first.commit(&error)) << "its file is gone";
  EXPECT_EQ(velmo_test::readFile(target), "old");
}

TEST_F(AtomicFileTest, ALinkStaysALinkAndADeviceIsWrittenInPlace) {
  const std::string link = folder.path("latest.mp4");
  ASSERT_EQ(symlink("video.mp4", link.c_str()), 0);
  AtomicFile file;
  std::string error;
  ASSERT_TRUE(file.create(link, &error)) << error;
  ASSERT_TRUE(velmo_test::writeFile(file.path(), "new"));
  ASSERT_TRUE(file.commit(&error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(velmo_test::readFile(target), "new");

  AtomicFile device;
  ASSERT_TRUE(device.create("/dev/null", &error)) << error;
  EXPECT_EQ(device.path(), "/dev/null");
  EXPECT_TRUE(device.commit(&error)) << error;
  struct stat st;
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

}  // namespace
}  // namespace velmo
