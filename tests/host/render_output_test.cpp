// What a second signal says before the video is opened: a signal can come
// while the encoder opens, and the note must already be true then.
#include <gtest/gtest.h>

#include <string>

#include "commands/render_job.h"
#include "commands/render_output.h"
#include "temp_folder.h"

namespace velmo {
namespace {

TEST(RenderOutputNote, BeforeOpeningItSaysWhetherAFileThereStays) {
  velmo_test::TempFolder folder{"velmo-output-note"};
  RenderJob there;
  there.output = folder.path("there.mp4");
  ASSERT_TRUE(velmo_test::writeFile(there.output, "precious"));
  EXPECT_NE(RenderOutput(there, OutputKind::Video).secondSignalNote().find(there.output + " is as it was"),
            std::string::npos);

  RenderJob fresh;
  fresh.output = folder.path("fresh.mp4");
  EXPECT_NE(RenderOutput(fresh, OutputKind::Video).secondSignalNote().find("nothing was written to " + fresh.output),
            std::string::npos);
}

}  // namespace
}  // namespace velmo
