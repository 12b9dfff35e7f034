// Video files in and out through ffmpeg: any file in, its sound kept, fields
// flagged to the encoder, the encoder's defaults and the user's own options,
// checked with ffprobe.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>

#include "cli/media/output_writer.h"
#include "cli/media/png_io.h"
#include "cli/support/child_process.h"
#include "tool_runner.h"

namespace horaz::test {
namespace {

using Arguments = std::vector<std::string>;
using Stream = std::map<std::string, std::string>;

bool haveFfmpeg() { return cli::findProgram("ffmpeg") && cli::findProgram("ffprobe"); }

// A codec module built beside the tool.
bool moduleBuilt(const char* fileName) {
  return std::filesystem::exists(std::filesystem::path(HORAZ_CLI_PATH).parent_path() / fileName);
}

// Makes `name` in `folder` with ffmpeg from a test picture and, unless
// `sound` is false, a sine tone, 2 seconds at 25 frames per second.
void makeClip(const TemporaryFolder& folder, const std::string& name, const Arguments& videoOptions,
              bool sound = true) {
  Arguments arguments{
      *cli::findProgram("ffmpeg"), "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=160x96:rate=25:duration=2"};
  if (sound) arguments.insert(arguments.end(), {"-f", "lavfi", "-i", "sine=frequency=440:duration=2"});
  arguments.insert(arguments.end(), videoOptions.begin(), videoOptions.end());
  arguments.push_back((folder / name).string());
  cli::runForOutput(arguments);
}

// ffprobe's view of every stream (and "format" for the file's own).
std::map<std::string, Stream> probe(const std::filesystem::path& path) {
  const std::string text = cli::runForOutput(
      {*cli::findProgram("ffprobe"), "-v", "error", "-count_frames", "-show_entries",
       "stream=codec_type,codec_name,field_order,nb_read_frames,pix_fmt,color_space,color_range:format=duration", "-of",
       "default", path.string()});
  std::map<std::string, Stream> streams;
  Stream current;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line == "[/STREAM]") streams[current["codec_type"]] = current;
    if (line == "[/FORMAT]") streams["format"] = current;
    if (line.starts_with("[")) current.clear();
    if (const size_t equals = line.find('='); equals != std::string::npos)
      current[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return streams;
}

ToolRun render(const TemporaryFolder& folder, const Arguments& extra) {
  Arguments arguments{"render", "-q", "--clock", "digital"};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return runTool(arguments, folder.path());
}

// A clip with sound rendered to .mp4 and .mkv: every frame is there, the
// sound is kept with its length, and interlaced video is coded interlaced in
// its field order.
TEST(VideoFilesTest, SoundFramesAndFieldOrderSurvive) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  struct Case {
    Arguments clipOptions;  // how the input is made
    Arguments renderOptions;
    std::string fieldOrder;  // what ffprobe reports for the output
    bool sound;
  };
  const Arguments interlaced{"-c:v",  "libx264",      "-flags", "+ilme+ildct", "-x264-params",
                             "bff=1", "-field_order", "bb",     "-pix_fmt",    "yuv420p"};
  const Case cases[] = {
      {{"-c:v", "libx264", "-pix_fmt", "yuv420p"}, {}, "progressive", true},
      {interlaced, {}, "bb", true},
      {{"-c:v", "libx264", "-pix_fmt", "yuv420p"}, {"--fields", "upper"}, "tt", true},
      {{"-c:v", "libx264", "-pix_fmt", "yuv420p"}, {"--no-audio"}, "progressive", false},
  };
  for (const Case& c : cases) {
    TemporaryFolder folder;
    makeClip(folder, "clip.mp4", c.clipOptions);
    for (const char* output : {"out.mp4", "out.mkv"}) {
      Arguments arguments{"-i", "clip.mp4", "-o", output};
      arguments.insert(arguments.end(), c.renderOptions.begin(), c.renderOptions.end());
      const ToolRun run = render(folder, arguments);
      ASSERT_EQ(run.exitCode, 0) << run.errors;
      std::map<std::string, Stream> streams = probe(folder / output);
      EXPECT_EQ(streams["video"]["nb_read_frames"], "50") << output;
      EXPECT_EQ(streams["video"]["field_order"], c.fieldOrder) << output;
      EXPECT_EQ(streams.count("audio"), c.sound ? 1u : 0u) << output;
      if (c.sound) {
        EXPECT_EQ(streams["audio"]["codec_name"], "aac") << "copied, not re-encoded";
        EXPECT_NEAR(std::stod(streams["format"]["duration"]), 2.0, 0.05) << output;
      }
    }
  }
}

// High definition is coded with the BT.709 weights on both sides, through
// RGB and YCbCr frames alike: a BT.709 clip's colour reads back as the
// colour it was made in, and comes out of a 720p render with its BT.709
// codes (not BT.601's: Y 92.6, Cb 99.6 for this red).
TEST(VideoFilesTest, HighDefinitionIsCodedWithTheBt709Weights) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TemporaryFolder folder;
  const std::string ffmpeg = *cli::findProgram("ffmpeg");
  cli::runForOutput({ffmpeg, "-v", "error", "-y", "-f", "lavfi", "-i",
                     "color=c=0xC03020:size=1280x720:rate=25:duration=0.6", "-vf",
                     "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p", "-colorspace", "bt709", "-c:v",
                     "libx264", "-qp", "0", (folder / "clip.mp4").string()});
  // Studio-range BT.709 codes of (192, 48, 32), and a pixel the clock leaves alone.
  const double expectedCodes[] = {82.5, 106.5, 191.9};
  constexpr int kX = 32, kY = 32;
  const auto codesAt = [&](const std::string& name) {
    const std::string planes = cli::runForOutput({ffmpeg, "-v", "error", "-i", (folder / name).string(), "-frames:v",
                                                  "1", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-"});
    const size_t luma = 1280 * 720, chroma = 640 * 360, at = (kY / 2) * 640 + kX / 2;
    if (planes.size() < luma + 2 * chroma) return std::array<int, 3>{};
    return std::array<int, 3>{static_cast<uint8_t>(planes[kY * 1280 + kX]), static_cast<uint8_t>(planes[luma + at]),
                              static_cast<uint8_t>(planes[luma + chroma + at])};
  };
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(codesAt("clip.mp4")[i], expectedCodes[i], 2.0) << "the clip itself";
  for (const char* format : {"rgba", "cbycry"}) {
    SCOPED_TRACE(format);
    // One frame of a longer clip: the decoder is stopped early, quietly.
    const ToolRun still = render(folder, {"-i", "clip.mp4", "--format", format, "--frames", "1", "-o", "still.png"});
    ASSERT_EQ(still.exitCode, 0) << still.errors;
    EXPECT_EQ(still.errors.find("pipe"), std::string::npos) << still.errors;
    const cli::RgbaPicture picture = cli::readPng((folder / "still.png").string());
    const uint8_t* pixel = picture.row(kY) + 4 * kX;
    EXPECT_NEAR(pixel[0], 192, 3);
    EXPECT_NEAR(pixel[1], 48, 3);
    EXPECT_NEAR(pixel[2], 32, 3);
    ASSERT_EQ(render(folder, {"-i", "clip.mp4", "--format", format, "-o", "out.mp4"}).exitCode, 0);
    const std::array<int, 3> codes = codesAt("out.mp4");
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(codes[i], expectedCodes[i], 2.0) << "component " << i;
  }
}

TEST(VideoFilesTest, InputFormatsAndMissingSoundAreNoted) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TemporaryFolder folder;
  makeClip(folder, "deep.mkv", {"-c:v", "ffv1", "-pix_fmt", "yuv422p10le"}, false);
  ToolRun run = render(folder, {"-i", "deep.mkv", "--format", "cbycry", "-o", "deep-out.mkv"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_NE(run.errors.find("deep.mkv is yuv422p10le; it is read as 8-bit yuv422p"), std::string::npos) << run.errors;
  EXPECT_EQ(probe(folder / "deep-out.mkv")["video"]["pix_fmt"], "yuv422p");

  ASSERT_EQ(render(folder, {"--size", "64x36", "--frames", "2", "-o", "plain.y4m"}).exitCode, 0);
  run = render(folder, {"-i", "plain.y4m", "-o", "plain.mp4"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_NE(run.errors.find("no sound"), std::string::npos) << run.errors;
}

TEST(VideoFilesTest, EncoderDefaultsAndTheUsersOwnOptions) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  struct Case {
    Arguments arguments;
    std::string output;
    Stream expected;
  };
  const Case cases[] = {
      {{"--size", "160x96"}, "a.mp4", {{"pix_fmt", "yuv420p"}, {"color_space", "smpte170m"}, {"color_range", "tv"}}},
      {{"--size", "720x576", "--format", "cbycry"}, "b.mkv", {{"pix_fmt", "yuv422p"}, {"color_space", "bt470bg"}}},
      {{"--size", "1280x720"}, "c.mov", {{"pix_fmt", "yuv420p"}, {"color_space", "bt709"}}},
      {{"--size", "160x96", "--encoder-args", "-c:v mpeg4 -q:v 3"}, "d.mkv", {{"codec_name", "mpeg4"}}},
      {{"--size", "721x481", "--encoder-args", "-vf pad=ceil(iw/2)*2:ceil(ih/2)*2"}, "e.mp4", {{"pix_fmt", "yuv420p"}}},
  };
  for (const Case& c : cases) {
    TemporaryFolder folder;
    Arguments arguments = c.arguments;
    arguments.insert(arguments.end(), {"--frames", "2", "-o", c.output});
    const ToolRun run = render(folder, arguments);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    Stream video = probe(folder / c.output)["video"];
    for (const auto& [key, value] : c.expected) EXPECT_EQ(video[key], value) << c.output << ' ' << key;
  }
}

// Sets an environment variable for one scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Decoded in horaz's process, a file gives the bytes ffmpeg's process gives:
// the header, every frame, and the frames ffmpeg repeats or drops to keep a
// constant rate (a gap in the timestamps; a one-stream file starting late).
// Without ffmpeg on PATH the module still reads the file.
TEST(VideoFilesTest, TheDecodingModuleGivesWhatFfmpegGives) {
  if (!haveFfmpeg() || !moduleBuilt("horaz_video_decoder.so")) GTEST_SKIP() << "ffmpeg or the module is missing";
  struct Case {
    std::string name;
    Arguments clipOptions;
    bool sound;
  };
  const Case cases[] = {
      {"420.mp4", {"-c:v", "libx264", "-pix_fmt", "yuv420p"}, true},
      {"422-fields.mkv", {"-c:v", "libx264", "-pix_fmt", "yuv422p", "-flags", "+ilme+ildct", "-top", "0"}, true},
      {"444-aspect.mov", {"-c:v", "libx264", "-pix_fmt", "yuv444p", "-vf", "setsar=4/3"}, false},
      {"gap.mkv", {"-c:v", "libx264", "-vf", "select='not(between(n,10,19))'", "-fps_mode", "passthrough"}, true},
      {"late-start.avi", {"-c:v", "mpeg4", "-bf", "2"}, false},
      // rows narrower than the decoder's, converted from its own memory
      {"odd-size.mkv", {"-c:v", "ffv1", "-pix_fmt", "yuv420p", "-vf", "scale=157:91"}, false},
      {"deep.mkv", {"-c:v", "ffv1", "-pix_fmt", "yuv420p10le"}, false},  // left to ffmpeg
  };
  TemporaryFolder folder;
  const auto bytesOf = [&](const std::string& name) {
    std::ifstream file(folder / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    makeClip(folder, c.name, c.clipOptions, c.sound);
    ToolRun run = render(folder, {"-i", c.name, "-o", c.name + ".module.y4m"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    {
      ScopedVariable noModule("HORAZ_VIDEO_DECODER", "");
      run = render(folder, {"-i", c.name, "-o", c.name + ".ffmpeg.y4m"});
      ASSERT_EQ(run.exitCode, 0) << run.errors;
    }
    EXPECT_TRUE(bytesOf(c.name + ".module.y4m") == bytesOf(c.name + ".ffmpeg.y4m"));
  }
  // A picture that changes size halfway is an error, told with the way out,
  // not the end of the clip.
  for (const char* size : {"160x96", "80x48"}) {
    cli::runForOutput({*cli::findProgram("ffmpeg"), "-v", "error", "-y", "-f", "lavfi", "-i",
                       std::string("testsrc=size=") + size + ":rate=25:duration=1", "-c:v", "mpeg2video",
                       (folder / (std::string(size) + ".ts")).string()});
    std::ofstream(folder / "sizes.ts", std::ios::binary | std::ios::app) << bytesOf(std::string(size) + ".ts");
  }
  ToolRun run = render(folder, {"-i", "sizes.ts", "-o", "sizes.y4m"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("sizes.ts: the picture changes size or layout at frame "), std::string::npos) << run.errors;

  ScopedVariable noPrograms("PATH", "/nonexistent");
  run = render(folder, {"-i", "420.mp4", "-o", "alone.y4m"});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_TRUE(bytesOf("alone.y4m") == bytesOf("420.mp4.module.y4m"));
}

// Encoded in horaz's process, a clip gives the file ffmpeg's process writes:
// the same bytes in MP4 and QuickTime (Matroska marks each file with random
// identifiers, so there its packets are compared), its sound copied with the
// same times, cut at --frames. Without ffmpeg on PATH, the modules' renders
// still succeed and a job with the user's own encoder options, which stays
// ffmpeg's, says that it needs ffmpeg.
TEST(VideoFilesTest, TheEncodingModuleWritesWhatFfmpegWrites) {
  if (!haveFfmpeg() || !moduleBuilt("horaz_video_encoder.so")) GTEST_SKIP() << "ffmpeg or the module is missing";
  struct Case {
    std::string clip;
    Arguments clipOptions;
    std::string output;
    Arguments options;
    bool module;
  };
  const Case cases[] = {
      {"aac.mp4", {"-c:v", "libx264", "-c:a", "aac"}, "aac-out.mp4", {"--format", "cbycry"}, true},
      // millisecond times carried over in samples, and cut by -t
      {"mp3.mkv",
       {"-c:v", "libx264", "-c:a", "libmp3lame"},
       "mp3-out.mov",
       {"--format", "bgra", "--frames", "20"},
       true},
      {"pcm.mov",
       {"-c:v", "ffv1", "-pix_fmt", "yuv422p", "-c:a", "pcm_s16le"},
       "pcm-out.mkv",
       {"--format", "cbycry"},
       true},
      {"aac.mp4", {}, "own-options.mp4", {"--encoder-args", "-preset ultrafast"}, false},
  };
  TemporaryFolder folder;
  const std::filesystem::path noFfmpeg = folder / "no-ffmpeg";
  std::filesystem::create_directory(noFfmpeg);
  const auto fingerprint = [&](const std::string& name) {
    const std::filesystem::path path = folder / name;
    if (path.extension() != ".mkv") {
      std::ifstream file(path, std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(file), {});
    }
    return cli::runForOutput({*cli::findProgram("ffprobe"), "-v", "error", "-show_entries",
                              "packet=stream_index,pts,dts,duration,size,flags:stream=codec_name,pix_fmt,time_base",
                              "-of", "compact", path.string()}) +
           cli::runForOutput({*cli::findProgram("ffmpeg"), "-v", "error", "-i", path.string(), "-map", "0", "-c",
                              "copy", "-f", "streamhash", "-"});
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    if (!c.clipOptions.empty()) makeClip(folder, c.clip, c.clipOptions);
    Arguments arguments{"-i", c.clip, "-o", c.output};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    {
      // Without ffmpeg anywhere: the modules must do it all, or the job must
      // say that it needs ffmpeg.
      ScopedVariable withoutFfmpeg("PATH", noFfmpeg.string());
      const ToolRun run = render(folder, arguments);
      EXPECT_EQ(run.exitCode, c.module ? 0 : 1) << run.errors;
      if (!c.module) {
        EXPECT_NE(run.errors.find("needs ffmpeg on PATH"), std::string::npos) << run.errors;
      }
    }
    if (!c.module) continue;
    ScopedVariable noModule("HORAZ_VIDEO_ENCODER", "");
    arguments[3] = "ffmpeg-" + c.output;
    const ToolRun run = render(folder, arguments);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(fingerprint(c.output) == fingerprint(arguments[3]));
  }
}

// A size the encoder cannot take is refused before the render, with the way
// out.
TEST(VideoFilesTest, AnOddSizeIsRefusedAtOnce) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  struct Case {
    Arguments arguments;
    std::string mention;
  };
  const Case cases[] = {
      {{"--size", "721x481"}, "needs an even width and a height divisible by 2"},
      {{"--size", "720x482", "--fields", "upper"}, "coded interlaced needs a height divisible by 4"},
  };
  for (const Case& c : cases) {
    TemporaryFolder folder;
    Arguments arguments = c.arguments;
    arguments.insert(arguments.end(), {"--frames", "100000", "-o", "odd.mp4"});
    const ToolRun run = render(folder, arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.errors.find(c.mention), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("--encoder-args \"-vf pad="), std::string::npos) << run.errors;
    EXPECT_TRUE(folder.names().empty());
  }
}

}  // namespace
}  // namespace horaz::test
