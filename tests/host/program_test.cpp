// The velmo program end to end: videos, PNG frames and snapshots checked with
// FFmpeg's own tools, every error a user can meet, and the window under Xvfb.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "audio/demo_track.h"
#include "program_fixture.h"
#include "run_program.h"
#include "temp_folder.h"

namespace {

using velmo_test::kLeakSuppressions;
using velmo_test::kVelmo;
using velmo_test::kWaitForWindow;
using velmo_test::ProgramTest;

// ffprobe's "key=value" lines for the streams and the format.
std::multimap<std::string, std::string> probe(const std::string& path) {
  ProgramResult result = runProgram(
      "ffprobe -v error -count_frames -show_entries "
      "stream=codec_type,codec_name,width,height,r_frame_rate,nb_read_frames,sample_rate:format=duration "
      "-of default=noprint_wrappers=1 " +
          shellQuote(path),
      120);
  std::multimap<std::string, std::string> values;
  std::istringstream lines(result.output);
  std::string line;
  while (std::getline(lines, line)) {
    size_t equals = line.find('=');
    if (equals != std::string::npos) values.emplace(line.substr(0, equals), line.substr(equals + 1));
  }
  return values;
}

bool has(const std::multimap<std::string, std::string>& values, const std::string& key, const std::string& value) {
  auto range = values.equal_range(key);
  for (auto it = range.first; it != range.second; ++it)
    if (it->second == value) return true;
  return false;
}

// Share of pixels of an image (any format FFmpeg reads; for a video, the frame
// at `seconds`) brighter than black, 0..1; -1 when it cannot be decoded.
double litShare(const std::string& path, double seconds = -1, int* width = nullptr, int* height = nullptr) {
  std::string seek = seconds >= 0 ? "-ss " + std::to_string(seconds) + " " : "";
  ProgramResult raw = runProgram("ffmpeg -v quiet " + seek + "-i " + shellQuote(path) +
                                     " -frames:v 1 -f rawvideo -pix_fmt rgb24 -",
                                 120);
  if (raw.status != 0 || raw.output.size() < 3) return -1;
  size_t lit = 0, pixels = raw.output.size() / 3;
  for (size_t i = 0; i < pixels; ++i) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(raw.output.data()) + 3 * i;
    if (std::max({p[0], p[1], p[2]}) > 48) ++lit;
  }
  if (width || height) {
    auto values = probe(path);
    if (width) *width = values.count("width") ? std::stoi(values.find("width")->second) : 0;
    if (height) *height = values.count("height") ? std::stoi(values.find("height")->second) : 0;
  }
  return static_cast<double>(lit) / pixels;
}

// Runs `command` (in the test's folder, velmo writing velmo.log) with a
// display of its own. On a loaded machine velmo now and then cannot reach a
// server that has just started, and says so; the run is then tried again.
ProgramResult runUnderXvfb(const std::string& prefix, const std::string& command, int timeoutSeconds) {
  const std::string unreachable = "cannot connect to the display";
  ProgramResult result;
  for (int attempt = 0; attempt < 3; ++attempt) {
    result = runProgram(prefix + kOnOwnDisplay + "sh -c " +
                            shellQuote(command + "; grep -s '" + unreachable + "' velmo.log"),
                        timeoutSeconds);
    if (result.output.find(unreachable) == std::string::npos) break;
  }
  return result;
}

// Mean brightness (0..255) of rows [firstRow, lastRow) of an image.
double meanBrightness(const std::string& path, int firstRow, int lastRow) {
  int width = 0, height = 0;
  litShare(path, -1, &width, &height);
  ProgramResult raw = runProgram("ffmpeg -v quiet -i " + shellQuote(path) + " -f rawvideo -pix_fmt gray -", 60);
  if (width <= 0 || raw.output.size() < static_cast<size_t>(width) * height) return -1;
  double sum = 0;
  for (int y = firstRow; y < lastRow; ++y)
    for (int x = 0; x < width; ++x) sum += static_cast<unsigned char>(raw.output[static_cast<size_t>(y) * width + x]);
  return sum / (static_cast<double>(width) * (lastRow - firstRow));
}

struct VideoCase {
  int scale;
  int fps;
  double seconds;         // < 0: the whole two-second song
  int rate = 44100;       // of the song
  bool poisoned = false;  // a NaN and a huge sample in it
  int aacRate = 44100;    // the video's sound: the nearest rate AAC takes
};

void PrintTo(const VideoCase& c, std::ostream* out) {
  *out << "scale " << c.scale << ", " << c.fps << " fps, " << c.rate << " Hz" << (c.poisoned ? ", poisoned" : "");
}

class RenderVideo : public ProgramTest, public ::testing::WithParamInterface<VideoCase> {};

TEST_P(RenderVideo, WritesH264AndAacAtTheAskedRateSizeAndLength) {
  if (!toolAvailable("ffprobe") || !toolAvailable("ffmpeg")) GTEST_SKIP() << "ffprobe/ffmpeg not installed";
  requirePicture();
  const VideoCase& c = GetParam();
  std::string song = writeSong("song.wav", c.rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT, c.poisoned);
  std::string video = dir + "/out.mp4";
  std::string arguments = "render " + shellQuote(song) + " -o " + shellQuote(video) + " -q --scale " +
                          std::to_string(c.scale) + " --fps " + std::to_string(c.fps);
  if (c.seconds >= 0) arguments += " --seconds " + std::to_string(c.seconds);
  ProgramResult result = velmo(arguments);
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("wrote"), std::string::npos) << result.output;

  auto values = probe(video);
  double seconds = c.seconds >= 0 ? c.seconds : 2.0;
  EXPECT_TRUE(has(values, "codec_name", "h264"));
  EXPECT_TRUE(has(values, "codec_name", "aac"));
  EXPECT_TRUE(has(values, "sample_rate", std::to_string(c.aacRate)));
  EXPECT_TRUE(has(values, "width", std::to_string(640 * c.scale)));
  EXPECT_TRUE(has(values, "height", std::to_string(480 * c.scale)));
  EXPECT_TRUE(has(values, "r_frame_rate", std::to_string(c.fps) + "/1"));
  EXPECT_TRUE(has(values, "nb_read_frames", std::to_string(static_cast<int>(std::floor(seconds * c.fps)))));
  ASSERT_TRUE(values.count("duration"));
  EXPECT_NEAR(std::stod(values.find("duration")->second), seconds, 0.1);

  // A decoded frame shows the picture, not a black screen.
  double lit = litShare(video, seconds / 2);
  EXPECT_GT(lit, 0.01) << "frame at " << seconds / 2 << " s is black";
}

// Sound the AAC encoder would refuse as it comes (192 kHz, 44,101 Hz, NaN and
// wild samples) still makes a whole video.
INSTANTIATE_TEST_SUITE_P(Settings, RenderVideo,
                         ::testing::Values(VideoCase{1, 75, -1}, VideoCase{2, 30, 1.0}, VideoCase{1, 75, 1.0, 192000, false, 96000},
                                           VideoCase{1, 75, 1.0, 44101, false, 44100}, VideoCase{1, 75, 1.0, 44100, true}),
                         [](const ::testing::TestParamInfo<VideoCase>& info) {
                           const VideoCase& c = info.param;
                           return "scale" + std::to_string(c.scale) + "_fps" + std::to_string(c.fps) +
                                  (c.rate != 44100 ? "_" + std::to_string(c.rate) + "Hz" : "") + (c.poisoned ? "_poisoned" : "");
                         });

TEST_F(ProgramTest, RendersPngFramesIntoAFolder) {
  requirePicture();
  std::string frames = dir + "/frames";
  ProgramResult result = velmo("render " + shellQuote(writeSong()) + " -o " + shellQuote(frames + "/") + " -q --seconds 0.2");
  ASSERT_EQ(result.status, 0) << result.output;
  for (int i = 0; i < 15; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame%06d.png", i);
    EXPECT_EQ(access((frames + name).c_str(), R_OK), 0) << name;
  }
  EXPECT_NE(access((frames + "/frame000015.png").c_str(), F_OK), 0) << "0.2 s at 75/s is 15 frames";
  if (!toolAvailable("ffmpeg")) return;
  int width = 0, height = 0;
  EXPECT_GT(litShare(frames + "/frame000014.png", -1, &width, &height), 0.01);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
}

TEST_F(ProgramTest, SnapshotIsTheFrameAtThatMoment) {
  requirePicture();
  std::string png = dir + "/snap.png";
  ProgramResult result = velmo("snapshot --at 1.5 -o " + shellQuote(png));  // the demo track
  ASSERT_EQ(result.status, 0) << result.output;
  if (!toolAvailable("ffmpeg")) return;
  int width = 0, height = 0;
  EXPECT_GT(litShare(png, -1, &width, &height), 0.01);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);

  // The same moment of a video rendered at the same rate is the same picture.
  std::string frames = dir + "/frames/";
  ASSERT_EQ(velmo("render -o " + shellQuote(frames) + " -q --seconds 1.52").status, 0);
  ProgramResult compare = runProgram("cmp " + shellQuote(png) + " " + shellQuote(frames + "frame000112.png"));
  EXPECT_EQ(compare.status, 0) << "snapshot at 1.5 s differs from frame 112 of the render";
}

struct ErrorCase {
  const char* name;
  std::string arguments;  // $DIR stands for the test's folder, $OUT for the build output
  int status;
  std::string message;
  std::string kept = "";  // a file of the folder that must come through unchanged
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.arguments; }

class ProgramErrors : public ProgramTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ProgramErrors, SaysWhatIsWrongAndExitsNonZero) {
  std::string arguments = GetParam().arguments;
  for (auto [key, value] : {std::pair<std::string, std::string>{"$DIR", dir}, {"$OUT", VELMO_OUTPUT_DIR}}) {
    for (size_t at; (at = arguments.find(key)) != std::string::npos;) arguments.replace(at, key.size(), value);
  }
  std::ofstream(dir + "/garbage.wav") << std::string(4000, 'x');
  std::ofstream(dir + "/notes.txt") << "not a plug-in\n";
  SF_INFO empty{};
  empty.samplerate = 8000;
  empty.channels = 1;
  empty.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  sf_close(sf_open((dir + "/empty.wav").c_str(), SFM_WRITE, &empty));
  ASSERT_EQ(symlink("/dev/full", (dir + "/full.mp4").c_str()), 0);
  std::ofstream(dir + "/notes.mp3") << "not music at all\n";
  ASSERT_EQ(mkfifo((dir + "/fifo.so").c_str(), 0600), 0);
  for (const char* name : {"myvis.so", "vis_velmo.so"}) std::filesystem::copy_file(REFUSING_PLUGIN, dir + "/" + name);
  writeSong();
  ASSERT_EQ(symlink("song.wav", (dir + "/link.wav").c_str()), 0);
  std::filesystem::create_directory(dir + "/frames");
  for (const char* name : {"old.flac", "old.mp4", "frames/frame000000.png"}) {
    ASSERT_TRUE(velmo_test::writeFile(dir + "/" + name, "precious"));
  }
  std::filesystem::create_directory(dir + "/broken");  // the plug-in without its textures
  std::filesystem::copy_file(VELMO_OUTPUT_DIR "/vis_velmo.so", dir + "/broken/vis_velmo.so");
  const std::string kept = GetParam().kept.empty() ? "" : velmo_test::readFile(dir + "/" + GetParam().kept);

  ProgramResult result = velmo(arguments);
  EXPECT_EQ(result.status, GetParam().status) << result.output;
  EXPECT_NE(result.output.find(GetParam().message), std::string::npos) << result.output;
  // Only our own words, CLI11's and the plug-in's box; the libraries' log lines stay out.
  std::istringstream lines(result.output);
  for (std::string line; std::getline(lines, line);) {
    const bool ours = line.rfind("velmo: ", 0) == 0 || line.rfind(" ", 0) == 0 || line.rfind("--", 0) == 0 ||
                      line.rfind("Run with --help", 0) == 0 || line.rfind("An ERROR: ", 0) == 0;
    EXPECT_TRUE(ours) << line;
  }
  // Nothing lost, nothing left half-written.
  if (!GetParam().kept.empty()) {
    EXPECT_EQ(velmo_test::readFile(dir + "/" + GetParam().kept), kept);
  }
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
  EXPECT_FALSE(std::filesystem::exists(dir + "/.local")) << "the user's data folder was touched";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramErrors,
    ::testing::Values(
        ErrorCase{"MissingAudioFile", "render $DIR/none.ogg -o $DIR/x.mp4", 1, "No such file or directory"},
        ErrorCase{"CorruptAudioFile", "render $DIR/garbage.wav -o $DIR/x.mp4", 1, "not an audio file"},
        ErrorCase{"EmptyAudioFile", "render $DIR/empty.wav -o $DIR/x.mp4", 1, "holds no audio"},
        ErrorCase{"FolderAsAudioFile", "snapshot $DIR --at 0 -o $DIR/x.png", 1, "is a folder"},
        ErrorCase{"TextFileAsPlugin", "--plugin $DIR/notes.txt render -o $DIR/x.mp4", 1,
                  "not a Winamp visualization plug-in"},
        ErrorCase{"LibraryWithoutExport", "--plugin $OUT/libvelmo_win32.so render -o $DIR/x.mp4", 1,
                  "no winampVisGetHeader"},
        ErrorCase{"MissingPlugin", "--plugin $DIR/vis_none.so render -o $DIR/x.mp4", 1, "no such plug-in file"},
        ErrorCase{"NoDisplay", "play --mute", 1, "no display"},
        ErrorCase{"DiskFull", "render --seconds 1 -q -o $DIR/full.mp4", 1, "No space left on device"},
        ErrorCase{"NoSuchOutputFolder", "render --seconds 1 -q -o $DIR/no/such/x.mp4", 1, "No such file or directory"},
        ErrorCase{"UnknownVideoFormat", "render --seconds 1 -q -o $DIR/x.xyz", 1,
                  "cannot tell the video format from the file name (use .mp4, .mkv or .mov)\n"},
        ErrorCase{"AudioNameForAVideo", "render song.wav -q -o old.flac", 1,
                  "old.flac: the flac format cannot hold H.264 video with AAC sound", "old.flac"},
        ErrorCase{"RenderOntoItsInput", "render song.wav -q -o song.wav", 1, "song.wav: is the file being read",
                  "song.wav"},
        ErrorCase{"RenderOntoALinkToItsInput", "render link.wav -q -o song.wav", 1, "is the file being read", "song.wav"},
        ErrorCase{"SnapshotOntoItsInput", "snapshot song.wav --at 1 -o link.wav", 1, "is the file being read",
                  "song.wav"},
        ErrorCase{"ExistingOutput", "render song.wav -q --seconds 0.5 -o old.mp4", 1,
                  "old.mp4: already exists; add --force to replace it", "old.mp4"},
        ErrorCase{"EarlierFrames", "render song.wav -q --seconds 0.5 -o frames", 1,
                  "frames: holds the frames of an earlier render; add --force", "frames/frame000000.png"},
        ErrorCase{"BatchIntoAFileName", "render song.wav link.wav -q -o both.mp4", 1,
                  "both.mp4: with several audio files -o names a folder"},
        ErrorCase{"PluginEndsTheProcess", "--plugin broken/vis_velmo.so render song.wav -q --force -o old.mp4", 255,
                  "Could not load texture", "old.mp4"},
        ErrorCase{"PngIntoFullDisk", "snapshot --at 0 -o /dev/full", 1, "/dev/full: No space left on device"},
        ErrorCase{"SnapshotPastTheEnd", "snapshot --at 61 -o $DIR/x.png", 1,
                  "--at 61 s lies beyond the end of the track (1:00)"},
        ErrorCase{"MissingOutput", "render", 2, "--output is required"},
        ErrorCase{"ScaleOutOfRange", "render -o $DIR/x.mp4 --scale 5", 2, "--scale"},
        ErrorCase{"TextNamedAsMp3", "render $DIR/notes.mp3 -o $DIR/x.mp4", 1,
                  "notes.mp3: not an audio file this player can read\n"},
        ErrorCase{"PipeAsPlugin", "--plugin $DIR/fifo.so render -o $DIR/x.mp4", 1,
                  "fifo.so: not a Winamp visualization plug-in (not a regular file)"},
        ErrorCase{"BareNameMeansTheCurrentFolder", "--plugin vis_velmo.so render -q -o x.mp4", 1,
                  "vis_velmo.so: the plug-in refused to start"},
        ErrorCase{"BareNameOfAPluginHere", "--plugin myvis.so render -q -o x.mp4", 1,
                  "myvis.so: the plug-in refused to start"},
        ErrorCase{"MissingPluginInAMissingFolder", "--plugin $DIR/no/such/vis.so render -o $DIR/x.mp4", 1,
                  "no such plug-in file"},
        ErrorCase{"FolderThatCannotBeMade", "render --seconds 1 -q -o $DIR/no/such/frames/", 1,
                  "cannot create the folder (No such file or directory)"},
        ErrorCase{"NaNMoment", "snapshot --at nan -o $DIR/x.png", 2, "--at: nan is not a number of seconds, 0 or more"},
        ErrorCase{"InfiniteSeconds", "render --seconds inf -o $DIR/x.mp4", 2,
                  "--seconds: inf is not a number of seconds greater than 0"},
        ErrorCase{"NegativeSecondsInWords", "render --seconds -1 -o $DIR/x.mp4", 2,
                  "--seconds: -1 is not a number of seconds greater than 0\n"},
        ErrorCase{"ZeroSeconds", "render --seconds 0 -o $DIR/x.mp4", 2,
                  "--seconds: 0 is not a number of seconds greater than 0"}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

// Ctrl-C ends a render with a video that plays: sound and picture as long as
// the message says. A second signal removes the unfinished file at once and
// says that the one that was there stays.
TEST_F(ProgramTest, InterruptedRenderKeepsWhatWasRenderedUnlessInterruptedTwice) {
  if (!toolAvailable("ffprobe")) GTEST_SKIP() << "ffprobe not installed";
  requirePicture();
  ProgramResult once = velmoSignalled("render -q -o song.mp4", "INT", "[ $(cat song.velmo-*.mp4 2>/dev/null | wc -c) -gt 65536 ]");
  ASSERT_EQ(once.status, 130) << once.output;
  const size_t said = once.output.find("the first ");
  ASSERT_NE(said, std::string::npos) << once.output;
  EXPECT_NE(once.output.find(" are in song.mp4"), std::string::npos) << once.output;
  const double seconds = std::stod(once.output.substr(said + 10));
  // Where each stream ends (start and length: the encoders' delays shift both).
  ProgramResult streams = runProgram("ffprobe -v error -show_entries stream=start_time,duration -of csv=p=0 " +
                                     shellQuote(dir + "/song.mp4"));
  double videoStart = 0, video = 0, audioStart = 0, audio = 0;
  ASSERT_EQ(std::sscanf(streams.output.c_str(), "%lf,%lf %lf,%lf", &videoStart, &video, &audioStart, &audio), 4)
      << streams.output;
  EXPECT_NEAR(video, seconds, 0.06);
  EXPECT_NEAR(audioStart + audio, videoStart + video, 0.01) << "sound and picture of different lengths";

  // PNG frames: those written stay, each whole.
  ProgramResult frames = velmoSignalled("render -q -o frames/", "INT", "ls frames.velmo-*/*.png >/dev/null 2>&1");
  EXPECT_EQ(frames.status, 130) << frames.output;
  EXPECT_NE(frames.output.find(" are in frames/"), std::string::npos) << frames.output;
  EXPECT_GT(std::distance(std::filesystem::directory_iterator(dir + "/frames"), {}), 0);

  // The second names the file that was there, which stays as it was.
  ASSERT_TRUE(velmo_test::writeFile(dir + "/again.mp4", "precious"));
  ProgramResult twice =
      velmoSignalled("render -q --force -o again.mp4", "HUP INT", "ls again.velmo-*.mp4 >/dev/null 2>&1");
  // Two signals sent together reach different threads: either may count as
  // the first, and the status is that one's.
  EXPECT_TRUE(twice.status == 129 || twice.status == 130) << twice.status << " " << twice.output;
  EXPECT_NE(twice.output.find("the unfinished video was removed and again.mp4 is as it was"), std::string::npos)
      << twice.output;
  EXPECT_EQ(velmo_test::readFile(dir + "/again.mp4"), "precious");
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

// The player ends on SIGTERM as on Q (the plug-in's quit called, the window
// closed), says so, and exits with the shell's status for the signal.
TEST_F(ProgramTest, PlayEndsCleanlyOnSigterm) {
  if (!toolAvailable("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  requirePicture();
  ProgramResult result = runUnderXvfb("cd " + shellQuote(dir) + " && ", velmoCommand("play --mute", "env") + " > velmo.log 2>&1 & pid=$!; " + waitUntil(handlersInstalled()) + "sleep 1; kill -TERM $pid; wait $pid; echo exit=$?", 180);
  EXPECT_NE(result.output.find("exit=143"), std::string::npos) << result.output << velmo_test::readFile(dir + "/velmo.log");
  // Only that line (a sanitizer build adds its summary after it).
  const std::string log = velmo_test::readFile(dir + "/velmo.log");
  EXPECT_EQ(log.rfind("velmo: interrupted: the plug-in has quit and the player closed\n", 0), 0u) << log;
}

// A batch goes on past a file it cannot read, says which, and exits non-zero.
TEST_F(ProgramTest, BatchWritesEveryReadableFileAndNamesTheOthers) {
  if (!toolAvailable("ffprobe")) GTEST_SKIP() << "ffprobe not installed";
  requirePicture();
  writeSong("a.wav");
  writeSong("c.flac", 48000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  std::ofstream(dir + "/b.ogg") << std::string(4000, 'x');
  ProgramResult result = velmo("render a.wav b.ogg c.flac --seconds 0.5 -q -o videos/");
  EXPECT_EQ(result.status, 1) << result.output;
  EXPECT_NE(result.output.find("b.ogg: not an audio file"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("wrote 2 of 3: videos/a.mp4, videos/c.mp4; failed: b.ogg"), std::string::npos)
      << result.output;
  for (const char* name : {"a.mp4", "c.mp4"}) {
    auto values = probe(dir + "/videos/" + name);
    ASSERT_TRUE(values.count("duration")) << name;
    EXPECT_NEAR(std::stod(values.find("duration")->second), 0.5, 0.1) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir + "/videos/b.mp4"));
}

// A file cut short whose header (FLAC) or decoder (Opus: the largest count
// there is) promises more: the video ends where the sound does, and a moment
// past it is refused.
TEST_F(ProgramTest, CutShortFilesEndWhereTheSoundEnds) {
  if (!toolAvailable("ffprobe")) GTEST_SKIP() << "ffprobe not installed";
  requirePicture();
  for (const auto& [name, format] : {std::pair<std::string, int>{"cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                     {"cut.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS}}) {
    const std::string path = writeSong(name, 48000, format);
    ASSERT_EQ(truncate(path.c_str(), std::filesystem::file_size(path) * 3 / 4), 0);  // less cuts into Opus's setup
    ProgramResult result = velmo("render " + name + " -q --force -o out.mp4");
    ASSERT_EQ(result.status, 0) << name << ": " << result.output;
    auto values = probe(dir + "/out.mp4");
    ASSERT_TRUE(values.count("duration")) << name;
    const double seconds = std::stod(values.find("duration")->second);
    EXPECT_GT(seconds, 0.5) << name;
    EXPECT_LT(seconds, 1.9) << name << ": a 2 s file cut by a quarter";
    ProgramResult snapshot = velmo("snapshot " + name + " --at 100000 -o x.png");
    EXPECT_EQ(snapshot.status, 1) << name;
    EXPECT_NE(snapshot.output.find("--at 100000 s lies beyond the end of the track"), std::string::npos) << snapshot.output;
  }
}

// On a terminal a snapshot shows how far it is; --verbose lets the audio
// library's own notes through.
TEST_F(ProgramTest, SnapshotShowsProgressAndVerboseShowsLibraryNotes) {
  if (!toolAvailable("script")) GTEST_SKIP() << "script (util-linux) not installed";
  requirePicture();
  ProgramResult terminal = runProgram("cd " + shellQuote(dir) + " && HOME=" + shellQuote(dir) + " script -qec " +
                                      shellQuote(kLeakSuppressions + shellQuote(kVelmo) + " snapshot --at 0.5 -o x.png") +
                                      " /dev/null");
  EXPECT_NE(terminal.output.find("100%"), std::string::npos) << terminal.output;
  EXPECT_NE(terminal.output.find("real time"), std::string::npos) << terminal.output;

  std::ofstream(dir + "/notes.mp3") << "not music at all\n";
  EXPECT_NE(velmo("--verbose render notes.mp3 -o x.mp4").output.find("Note:"), std::string::npos);
}

TEST_F(ProgramTest, NoDisplayMessageSuggestsRendering) {
  ProgramResult result = velmo("play --mute");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.output.find("velmo render FILE -o video.mp4"), std::string::npos) << result.output;
  // A display that cannot be reached is no display either (SDL would play on
  // with a window nobody sees).
  result = velmo("play --mute --seconds 1", "env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY=:77");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.output.find("cannot open a window: cannot connect to the display DISPLAY=:77"), std::string::npos)
      << result.output;
}

// A plug-in whose init refuses to start is neither rendered nor quit, as in
// Winamp. A render ends with the plug-in named and leaves no file; play goes
// on without the picture and says why, in the window's title too.
TEST_F(ProgramTest, PluginThatRefusesToStartEndsARenderAndLeavesPlayWithoutPicture) {
  const std::string plugin = "--plugin " + shellQuote(REFUSING_PLUGIN) + " ";
  ProgramResult render = velmo(plugin + "render --seconds 0.5 -q -o " + shellQuote(dir + "/x.mp4"));
  EXPECT_EQ(render.status, 1) << render.output;
  EXPECT_NE(render.output.find(std::string(REFUSING_PLUGIN) + ": the plug-in refused to start (its init returned 1)"),
            std::string::npos)
      << render.output;
  EXPECT_EQ(render.output.find("refusing plug-in:"), std::string::npos) << "render or quit was called";
  EXPECT_NE(access((dir + "/x.mp4").c_str(), F_OK), 0) << "the unfinished video was left";

  if (!toolAvailable("Xvfb") || !toolAvailable("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  // However long a busy machine takes to show the window, the title says why there is no picture.
  std::ofstream(dir + "/session.sh") << "w=$(" + kWaitForWindow + "'no picture' 180 \"$1\") || exit 1\n"
                                     << "xdotool getwindowname \"$w\" > title.txt\n"
                                     << "xdotool key --window \"$w\" q\n";
  ProgramResult play = runUnderXvfb(
      "cd " + shellQuote(dir) + " && " + kLeakSuppressions + "HOME=" + shellQuote(dir) + " ",
      shellQuote(kVelmo) + " " + plugin +
          "play --mute --seconds 200 > velmo.log 2>&1 & pid=$!; sh session.sh $pid; "
          "wait $pid; echo exit=$?",
      300);
  const std::string log = velmo_test::readFile(dir + "/velmo.log");
  EXPECT_NE(play.output.find("exit=0"), std::string::npos) << play.output << log;
  EXPECT_NE(log.find("refused to start (its init returned 1); playing without the picture"), std::string::npos) << log;
  EXPECT_EQ(log.find("refusing plug-in:"), std::string::npos) << log;
  EXPECT_NE(velmo_test::readFile(dir + "/title.txt").find("no picture: the plug-in refused to start"),
            std::string::npos);
}

// Under Xvfb, with no sound card: the window shows the picture; F pushes the platform away (the
// bottom of the picture darkens); Escape closes the display (black); Q, which
// the closed display no longer takes, reaches the main window and quits.
TEST_F(ProgramTest, PlayShowsThePictureAndAnswersKeysUnderXvfb) {
  for (const char* tool : {"Xvfb", "xdotool", "import", "ffmpeg"})
    if (!toolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
  requirePicture();
  std::string script = dir + "/session.sh";
  // The window is titled "velmo" until the plug-in has started and the caption is set.
  std::ofstream(script) << "w=$(" + kWaitForWindow +
                               "'Velmo - Demo' 180 \"$1\") || exit 1\n"
                               "sleep 2\n"
                               "xdotool getwindowname \"$w\" > caption.txt\n"
                               "import -window \"$w\" playing.png\n"
                               "xdotool key --window \"$w\" --delay 15 --repeat 40 f\n"
                               "sleep 1\n"
                               "import -window \"$w\" pushed.png\n"
                               "xdotool key --window \"$w\" Escape\n"
                               "sleep 1\n"
                               "import -window \"$w\" closed.png\n"
                               "xdotool key --window \"$w\" q\n";
  ProgramResult result = runUnderXvfb(
      "cd " + shellQuote(dir) + " && " + kLeakSuppressions + "HOME=" + shellQuote(dir) + " ",
      "SDL_AUDIODRIVER=no-such-driver " + shellQuote(kVelmo) +
          " play --seconds 55 > velmo.log 2>&1 & pid=$!; sh session.sh $pid; wait $pid; echo exit=$?",
      300);
  EXPECT_NE(result.output.find("exit=0"), std::string::npos) << result.output;
  // Without a sound card the picture runs alone, after a warning.
  std::ifstream logFile(dir + "/velmo.log");
  std::string log((std::istreambuf_iterator<char>(logFile)), std::istreambuf_iterator<char>());
  EXPECT_NE(log.find("warning: no sound"), std::string::npos) << log;
  std::ifstream captionFile(dir + "/caption.txt");
  std::string caption((std::istreambuf_iterator<char>(captionFile)), std::istreambuf_iterator<char>());
  EXPECT_NE(caption.find("1. Velmo - Demo"), std::string::npos) << caption;

  double playing = litShare(dir + "/playing.png");
  EXPECT_GT(playing, 0.2) << "the window should show the picture";
  double bottomBefore = meanBrightness(dir + "/playing.png", 440, 480);
  double bottomAfter = meanBrightness(dir + "/pushed.png", 440, 480);
  EXPECT_LT(bottomAfter, bottomBefore * 0.7) << "F should move the platform away from the bottom of the picture";
  EXPECT_LT(litShare(dir + "/closed.png"), 0.001) << "Escape should close the display";
}

// Under Xvfb, with SDL's disk driver standing in for the sound card: the
// card receives the demo track itself, sample for sample, in real time.
TEST_F(ProgramTest, PlaySendsTheTrackToTheSoundCard) {
  if (!toolAvailable("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  requirePicture();
  std::string sound = dir + "/card.raw";
  ProgramResult result = runUnderXvfb(
      "cd " + shellQuote(dir) + " && " + kLeakSuppressions + "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" +
          shellQuote(sound) + " ",
      shellQuote(kVelmo) + " play --seconds 3 > velmo.log 2>&1; echo exit=$?", 60);
  EXPECT_NE(result.output.find("exit=0"), std::string::npos) << result.output;
  std::ifstream file(sound, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  size_t frames = bytes.size() / (2 * sizeof(float));
  EXPECT_NEAR(frames / 44100.0, 3.0, 0.5) << "about as long as the run";
  ASSERT_GT(frames, 44100u);
  // The card plays silence until the first samples are queued, and again
  // whenever a loaded machine lets the queue run dry; all the sound it plays
  // is the demo's, in order.
  std::vector<float> played(frames * 2);
  std::memcpy(played.data(), bytes.data(), played.size() * sizeof(float));
  std::unique_ptr<velmo::AudioSource> demo = velmo::openDemoTrack();
  std::vector<float> expected(2 * 88200);
  ASSERT_EQ(demo->read(expected.data(), 88200), 88200u);
  auto withoutSilence = [](const std::vector<float>& samples) {
    std::vector<float> sound;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
      if (samples[i] == 0.0f && samples[i + 1] == 0.0f) continue;
      sound.push_back(samples[i]);
      sound.push_back(samples[i + 1]);
    }
    return sound;
  };
  std::vector<float> playedSound = withoutSilence(played), expectedSound = withoutSilence(expected);
  ASSERT_GT(playedSound.size(), 2 * 22050u) << "less than half a second of sound";
  size_t compared = std::min(playedSound.size(), expectedSound.size());
  EXPECT_EQ(std::memcmp(playedSound.data(), expectedSound.data(), compared * sizeof(float)), 0);
}

// Under Xvfb, live input through SDL's capture API (its disk driver stands in
// for a sound card), with a session bus address where no bus answers: the
// window runs on captured sound, captioned "Live input", until Q ends it.
TEST_F(ProgramTest, LiveInputRunsInTheWindow) {
  for (const char* tool : {"Xvfb", "xdotool", "import", "ffmpeg"})
    if (!toolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
  requirePicture();
  std::string raw = dir + "/tone.raw";
  std::vector<float> samples(2 * 44100 * 8);
  for (size_t i = 0; i < samples.size() / 2; ++i)
    samples[2 * i] = samples[2 * i + 1] = 0.8f * static_cast<float>(std::sin(2 * M_PI * 150 * i / 44100.0));
  std::ofstream(raw, std::ios::binary).write(reinterpret_cast<const char*>(samples.data()), samples.size() * sizeof(float));
  // The run lasts until the picture is taken, however long the window takes.
  std::ofstream(dir + "/session.sh") << "w=$(" + kWaitForWindow +
                                            "'Live input' 180 \"$1\") || exit 1\n"
                                            "sleep 2\nimport -window \"$w\" live.png\n"
                                            "xdotool getwindowname \"$w\" > title.txt\n"
                                            "xdotool key --window \"$w\" q\n";
  ProgramResult result = runUnderXvfb(
      "cd " + shellQuote(dir) + " && " + kLeakSuppressions + "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILEIN=" +
          shellQuote(raw) + " DBUS_SESSION_BUS_ADDRESS=unix:path=" + shellQuote(dir + "/no-bus") + " ",
      shellQuote(kVelmo) + " live --seconds 200 > velmo.log 2>&1 & pid=$!; sh session.sh $pid; wait $pid; echo exit=$?", 300);
  EXPECT_NE(result.output.find("exit=0"), std::string::npos) << result.output;
  EXPECT_GT(litShare(dir + "/live.png"), 0.2);
  EXPECT_EQ(velmo_test::readFile(dir + "/title.txt"), "1. Live input - Winamp - velmo\n");
}

// Under Xvfb: `velmo config` shows the plug-in's dialog; OK saves the options
// in plugin.ini beside the plug-in that was loaded.
TEST_F(ProgramTest, ConfigShowsTheDialogAndOkSavesBesideThePlugin) {
  for (const char* tool : {"Xvfb", "xdotool"})
    if (!toolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
  std::string plugins = dir + "/plugins";
  ASSERT_EQ(runProgram("mkdir -p " + shellQuote(plugins) + " && cp " VELMO_OUTPUT_DIR "/vis_velmo.so " +
                       shellQuote(plugins))
                .status,
            0);
  std::ofstream(dir + "/session.sh") << "w=$(" + kWaitForWindow +
                                            "'Spectrum Setup' 180 \"$1\") || exit 1\n"
                                            "sleep 0.5\n"
                                            "xdotool key --window \"$w\" Return\n";
  ProgramResult result = runUnderXvfb(
      "cd " + shellQuote(dir) + " && " + kLeakSuppressions,
      shellQuote(kVelmo) +
          " --plugin plugins/vis_velmo.so config > velmo.log 2>&1 & pid=$!; "
          "sh session.sh $pid; wait $pid; echo exit=$?",
      300);
  EXPECT_NE(result.output.find("exit=0"), std::string::npos) << result.output;
  std::ifstream ini(plugins + "/plugin.ini");
  std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("SpinToBeat=1"), std::string::npos) << text;
  EXPECT_NE(text.find("PointedEnds=1"), std::string::npos) << text;
}

TEST_F(ProgramTest, EveryCommandHasHelp) {
  for (const char* command : {"", "play", "render", "snapshot", "live", "config"}) {
    ProgramResult result = velmo(std::string(command) + " --help");
    EXPECT_EQ(result.status, 0) << command;
    EXPECT_NE(result.output.find("Usage:"), std::string::npos) << command << ": " << result.output;
  }
}

}  // namespace
