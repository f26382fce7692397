// Renders, batches, signals and --force as a hostile user drives them: each
// case sets a folder up, runs velmo (acting on it while it runs when the case
// says so) and checks the exit status, what was said and what is on disk.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <string>
#include <vector>

#include "program_fixture.h"

namespace {

struct FaultCase {
  const char* name;
  std::string setup;   // shell lines run first in the test's folder (a.wav and b.flac are there)
  std::string line;    // velmo's command line, $VELMO standing for the program
  std::string action;  // when given, run once velmo's handlers are in place and `ready` holds
  std::string ready;   // a shell condition
  int status;
  std::string message;  // said on standard error
  std::string holds;    // a shell condition on the folder afterwards ($VELMO allowed)
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.line; }

// The temporary video of `name` (song for song.mp4) is past its first fragments.
std::string rendering(const std::string& name) {
  return "[ $(cat " + name + ".velmo-*.mp4 2>/dev/null | wc -c) -gt 65536 ]";
}

const std::string kPrecious = "printf precious > ";

class RenderFaults : public velmo_test::ProgramTest, public ::testing::WithParamInterface<FaultCase> {
 protected:
  void check() {
    requirePicture();
    const FaultCase& c = GetParam();
    writeSong("a.wav");
    writeSong("b.flac", 44100, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    ASSERT_EQ(velmoLine(c.setup.empty() ? "true" : c.setup).status, 0) << c.setup;
    // A hang fails the case in a minute rather than the suite's ten.
    const ProgramResult result = c.action.empty() ? velmoLine(c.line, 60) : velmoWhen(c.line, c.ready, c.action, 60);
    EXPECT_EQ(result.status, c.status) << result.output;
    EXPECT_NE(result.output.find(c.message), std::string::npos) << result.output;
    const ProgramResult after = velmoLine("{ " + c.holds + "; } >/dev/null 2>&1 || { ls -lAR; exit 1; }");
    EXPECT_EQ(after.status, 0) << c.holds << "\n"
                               << after.output;
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
  }
};

class DataLost : public RenderFaults {};
class Hangs : public RenderFaults {};
class WrongResults : public RenderFaults {};
class Messages : public RenderFaults {};

TEST_P(DataLost, NothingThereBeforeIsLost) { check(); }
TEST_P(Hangs, TheRenderEndsAndOnlyAsAsked) { check(); }
TEST_P(WrongResults, TheResultIsWhatWasSaid) { check(); }
TEST_P(Messages, SayWhatIsWrong) { check(); }

std::string caseName(const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(
    Cases, DataLost,
    ::testing::Values(
        FaultCase{"ForceThenCtrlCKeepsTheOldFile", kPrecious + "good.mp4", "$VELMO render -q --force -o good.mp4",
                  "kill -INT $pid", rendering("good"), 130, "are in good.partial.mp4; good.mp4 is as it was",
                  "[ \"$(cat good.mp4)\" = precious ] && [ -s good.partial.mp4 ]"},
        FaultCase{"ForcedBatchNeverWritesItsInputs", "mkdir out && cp b.flac out/z.mp4 && ln -s out/z.mp4 link.flac && cp a.wav z.wav",
                  "$VELMO render -q --force --seconds 0.2 z.wav link.flac -o out/", "", "", 1,
                  "z.wav: its output out/z.mp4 is an input of this batch", "cmp out/z.mp4 b.flac"},
        FaultCase{"FileMadeDuringTheRenderStays", "", "$VELMO render -q --seconds 6 -o late.mp4",
                  kPrecious + "late.mp4", "ls late.velmo-*.mp4 >/dev/null 2>&1", 0,
                  "wrote late.new.mp4 (450 frames): late.mp4 was made by something else during the render",
                  "[ \"$(cat late.mp4)\" = precious ] && [ -s late.new.mp4 ]"},
        FaultCase{"ForcedFramesReplaceOnlyTheEarlierFrames",
                  "mkdir frames && for i in $(seq 10 40); do printf old > frames/frame0000$i.png; done && " + kPrecious +
                      "frames/notes.txt",
                  "$VELMO render -q --png --force --seconds 0.1 -o frames", "", "", 0, "wrote 8 frames to frames",
                  "[ $(ls frames | grep -c '^frame') -eq 8 ] && [ \"$(cat frames/notes.txt)\" = precious ]"},
        FaultCase{"DanglingLinkIsWrittenThrough", "ln -s made.mp4 dang.mp4", "$VELMO render -q --seconds 0.2 -o dang.mp4", "",
                  "", 0, "wrote dang.mp4", "[ -L dang.mp4 ] && [ -s made.mp4 ]"},
        FaultCase{"FolderMovedAwayKeepsNoTemporaryFile", "mkdir sub", "$VELMO render -q --seconds 6 -o sub/x.mp4",
                  "mv sub moved", rendering("sub/x"), 1, "sub/x.mp4: its folder was moved or removed during the render",
                  "[ -z \"$(ls -A moved)\" ]"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Cases, Hangs,
    ::testing::Values(
        FaultCase{"PipeInABatchIsLeftAlone", "mkfifo p.wav", "$VELMO render -q --seconds 0.2 a.wav p.wav -o out/", "", "", 1,
                  "p.wav: not a regular file; a batch renders files only", "[ -s out/a.mp4 ]"},
        FaultCase{"PipeWithoutWriterEndsAtTheSignal", "mkfifo p.wav", "$VELMO render -q p.wav -o x.mp4", "kill -TERM $pid",
                  "true", 143, "p.wav: stopped while waiting for a writer to the pipe", "[ ! -e x.mp4 ]"},
        FaultCase{"PipeWithoutReaderEndsAtTheSignal", "mkfifo x.mp4", "$VELMO render -q --seconds 0.2 -o x.mp4",
                  "kill -INT $pid", "true", 130, "x.mp4: stopped while waiting for a reader of the pipe", "[ -p x.mp4 ]"},
        FaultCase{"PipeIsReadWhole", "mkfifo p.wav", "cat a.wav > p.wav & $VELMO render -q p.wav -o x.mp4", "", "", 0,
                  "wrote x.mp4 (150 frames)", "[ -s x.mp4 ]"},
        FaultCase{"ClosedStandardErrorStopsNothing", "printf junk > j.wav",
                  "{ $VELMO render -q --seconds 0.2 j.wav a.wav b.flac -o d/ 2>&1; echo $? > status; } | head -n 1", "", "",
                  0, "j.wav: not an audio file", "[ $(cat status) = 1 ] && [ -s d/a.mp4 ] && [ -s d/b.mp4 ]"},
        FaultCase{"SignalIgnoredAtStartStaysIgnored", "", "trap '' HUP; $VELMO render -q --seconds 3 -o x.mp4",
                  "kill -HUP $pid", "true", 0, "wrote x.mp4 (225 frames)", "[ -s x.mp4 ]"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Cases, WrongResults,
    ::testing::Values(
        FaultCase{"LengthUnderOneFrameIsRefused", "", "$VELMO render -q --seconds 1e-9 -o x.mp4", "", "", 1,
                  "--seconds 1e-09 is shorter than one frame", "[ ! -e x.mp4 ]"},
        FaultCase{"InterruptedBatchLeavesAMarkedPartOnlyAndARerunRendersIt",
                  "ffmpeg -v quiet -f lavfi -i sine=d=60 -ac 2 long.wav", "$VELMO render -q long.wav b.flac -o out/",
                  "kill -INT $pid", rendering("out/long"), 130,
                  "interrupted: out/long.partial.mp4 (its beginning); not rendered: b.flac",
                  "[ ! -e out/long.mp4 ] && $VELMO render -q --seconds 0.2 long.wav b.flac -o out/ && [ -s out/long.mp4 ]"},
        FaultCase{"OutputThereIsSkippedNotFailed", "mkdir out && " + kPrecious + "out/a.mp4",
                  "$VELMO render -q --seconds 0.2 a.wav b.flac -o out/", "", "", 0,
                  "wrote 1 of 2: out/b.mp4; skipped, their output there already: a.wav",
                  "[ \"$(cat out/a.mp4)\" = precious ]"},
        FaultCase{"FailedFileLeavesItsNameFree", "cp b.flac a.flac && printf junk > a.wav",
                  "$VELMO render -q --seconds 0.2 a.wav a.flac -o out/", "", "", 1, "wrote 1 of 2: out/a.mp4; failed: a.wav",
                  "[ -s out/a.mp4 ]"},
        FaultCase{"FileGivenTwiceIsRenderedOnceAndNotFailed", "cp b.flac a.flac",
                  "$VELMO render -q --seconds 0.2 a.wav a.wav b.flac a.flac -o out/", "", "", 1,
                  "wrote 2 of 3: out/a.mp4, out/b.mp4; failed: a.flac", "[ -s out/a.mp4 ]"},
        FaultCase{"LongestNameStillFits", "", "$VELMO render -q --seconds 0.2 -o " + std::string(245, 'n') + ".mp4", "", "",
                  0, "wrote n", "[ -s " + std::string(245, 'n') + ".mp4 ]"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Cases, Messages,
    ::testing::Values(
        FaultCase{"FileAsFrameFolder", "printf x > afile", "$VELMO render -q -o afile/", "", "", 1,
                  "afile/: is a file, not a folder", "[ \"$(cat afile)\" = x ]"},
        FaultCase{"DeviceAsBatchFolder", "", "$VELMO render -q a.wav b.flac -o /dev/null/", "", "", 1,
                  "/dev/null/: is a device, not a folder", "true"},
        FaultCase{"DanglingLinkAsFolder", "ln -s nowhere dang", "$VELMO render -q -o dang/", "", "", 1,
                  "dang/: is a link to nowhere, which does not exist", "[ -L dang ]"},
        FaultCase{"SnapshotLengthBlamesTheOption", "", "$VELMO snapshot --at 0 --seconds 1 a.wav -o x.png", "", "", 2,
                  "--seconds: a snapshot is one moment", "[ ! -e x.png ]"},
        FaultCase{"NewlineInANameIsQuoted", "printf junk > \"$(printf 'x\\ny.wav')\"",
                  "$VELMO render -q --seconds 0.2 x?y.wav a.wav -o out/", "", "", 1, "failed: \"x\\ny.wav\"\n", "true"},
        FaultCase{"EmptyOutputName", "", "$VELMO render -q a.wav b.flac -o ''", "", "", 2,
                  "--output: an empty name names no file", "true"}),
    caseName);

}  // namespace
