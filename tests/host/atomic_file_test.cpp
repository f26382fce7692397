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
  size_t files() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator{}));
  }

  velmo_test::TempFolder folder{"velmo-atomic"};
  const std::string target = folder.path("video.mp4");
  std::string error;
};

// The file takes the target's place, and its permissions, only on commit; a
// link stays a link; a device is written in place.
TEST_F(AtomicFileTest, CommitPutsTheFileInPlace) {
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  const std::string link = folder.path("latest.mp4");
  ASSERT_EQ(symlink("video.mp4", link.c_str()), 0);
  AtomicFile file;
  ASSERT_TRUE(file.create(link, &error)) << error;
  EXPECT_EQ(fs::path(file.path()).extension(), ".mp4") << "libraries choose the container by the name";
  ASSERT_TRUE(velmo_test::writeFile(file.path(), "new"));
  EXPECT_EQ(velmo_test::readFile(target), "old");
  ASSERT_TRUE(file.commit(true, &error)) << error;
  EXPECT_EQ(velmo_test::readFile(target), "new");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
  EXPECT_EQ(files(), 2u);

  AtomicFile device;
  ASSERT_TRUE(device.create("/dev/null", &error)) << error;
  EXPECT_EQ(device.path(), "/dev/null");
  EXPECT_TRUE(device.commit(false, &error));
}

// Dropped, abandoned, or removed by the clean-up that exit (and a signal
// handler) runs: the temporary file goes and the target stays as it was.
TEST_F(AtomicFileTest, GivingUpLeavesTheTargetAsItWas) {
  {
    AtomicFile dropped;
    ASSERT_TRUE(dropped.create(target, &error)) << error;
  }
  EXPECT_EQ(files(), 1u);
  AtomicFile abandoned, pending;
  ASSERT_TRUE(abandoned.create(target, &error)) << error;
  ASSERT_TRUE(pending.create(target, &error)) << error;
  abandoned.abandon();
  abandonPendingFiles();
  EXPECT_EQ(files(), 1u);
  EXPECT_FALSE(pending.commit(true, &error)) << "its file is gone";
  EXPECT_EQ(velmo_test::readFile(target), "old");
}

}  // namespace
}  // namespace velmo
