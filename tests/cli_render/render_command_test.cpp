// `horaz render` run as a user runs it, in a folder of its own.

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "cli/media/output_writer.h"
#include "cli/media/png_io.h"
#include "cli/media/y4m.h"
#include "tool_runner.h"

namespace horaz::test {
namespace {

using cli::Chroma;
using cli::RgbaPicture;
using cli::Y4mReader;
using cli::YuvPicture;
using Arguments = std::vector<std::string>;

Arguments with(Arguments arguments, const Arguments& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

// Frames of a Y4M file, and its header.
struct Y4mContent {
  cli::Y4mHeader header;
  int frames = 0;
  std::vector<YuvPicture> pictures;
};
Y4mContent readY4m(const std::filesystem::path& path) {
  Y4mReader reader(path.string());
  Y4mContent content{reader.header(), 0, {}};
  YuvPicture picture;
  while (reader.read(picture)) {
    ++content.frames;
    content.pictures.push_back(picture);
  }
  return content;
}

const Arguments kSmall{"--size", "64x36", "--frames", "3", "-q"};

TEST(RenderCommandTest, Y4mOutputHasTheFramesSizeAndChromaOfTheLayout) {
  struct Case {
    Arguments extra;
    Chroma chroma;
    char interlace;
  };
  const Case cases[] = {
      {{}, Chroma::k444, 'p'},
      {{"--format", "cbycry"}, Chroma::k422, 'p'},
      {{"--format", "ycbycr", "--rows", "bottom-up", "--fields", "lower"}, Chroma::k422, 'b'},
      {{"--format", "argb", "--fields", "upper", "--set", "the List value=2"}, Chroma::k444, 't'},
  };
  for (const Case& c : cases) {
    TemporaryFolder folder;
    const ToolRun run = runTool(with(with({"render", "-o", "clip.y4m"}, kSmall), c.extra), folder.path());
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const Y4mContent clip = readY4m(folder / "clip.y4m");
    EXPECT_EQ(clip.header.width, 64);
    EXPECT_EQ(clip.header.height, 36);
    EXPECT_EQ(clip.header.chroma, c.chroma);
    EXPECT_EQ(clip.header.interlace, c.interlace);
    EXPECT_EQ(clip.frames, 3);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"clip.y4m"});
  }
}

TEST(RenderCommandTest, StandardOutputRawPngAndContactSheetAreComplete) {
  TemporaryFolder folder;
  ToolRun run = runTool(with({"render", "-o", "-", "--fps", "30000/1001"}, kSmall), folder.path(), "stdout.y4m");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const Y4mContent streamed = readY4m(folder / "stdout.y4m");
  EXPECT_EQ(streamed.frames, 3);
  EXPECT_EQ(streamed.header.frameRate, (cli::Ratio{30000, 1001}));

  run = runTool(with({"render", "-o", "frames.raw", "--format", "cbycry"}, kSmall), folder.path());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(std::filesystem::file_size(folder / "frames.raw"), 3u * 32 * 4 * 36);

  run = runTool(with({"render", "-o", "f%03d.png", "--start", "5", "--contact-sheet", "sheet.png"}, kSmall),
                folder.path());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  for (const char* name : {"f005.png", "f006.png", "f007.png"}) {
    const RgbaPicture picture = cli::readPng((folder / name).string());
    EXPECT_EQ(picture.width, 64);
    EXPECT_EQ(picture.height, 36);
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "f008.png"));
  const RgbaPicture sheet = cli::readPng((folder / "sheet.png").string());
  EXPECT_EQ(sheet.width, 8 + 3 * (64 + 8));  // three frames in a row
  EXPECT_EQ(sheet.height, 8 + 36 + 8);

  run = runTool({"render", "-q", "--size", "20x10", "--frames", "1", "-o", "one.png"}, folder.path());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(cli::readPng((folder / "one.png").string()).width, 20);
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"f005.png", "f006.png", "f007.png", "frames.raw", "one.png",
                                                      "sheet.png", "stdout.y4m"}));
}

TEST(RenderCommandTest, FileInputsGiveTheirSizeAndLength) {
  TemporaryFolder folder;
  ASSERT_EQ(runTool(with({"render", "-o", "in.y4m", "--format", "cbycry"}, kSmall), folder.path()).exitCode, 0);
  // All of a Y4M file by default, also from standard input.
  ToolRun run = runTool({"render", "-q", "-i", "in.y4m", "-o", "out.y4m"}, folder.path());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(readY4m(folder / "out.y4m").frames, 3);
  run = runTool({"render", "-q", "-i", "-", "--frames", "2", "-o", "piped.y4m"}, folder.path(), "/dev/null", "in.y4m");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(readY4m(folder / "piped.y4m").frames, 2);
  // A PNG is a still of its own size.
  ASSERT_EQ(runTool({"render", "-q", "--size", "30x20", "--frames", "1", "-o", "still.png"}, folder.path()).exitCode,
            0);
  run = runTool({"render", "-q", "-i", "still.png", "--frames", "4", "-o", "from-still.y4m"}, folder.path());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const Y4mContent fromStill = readY4m(folder / "from-still.y4m");
  EXPECT_EQ(fromStill.frames, 4);
  EXPECT_EQ(fromStill.header.width, 30);
  // A size that disagrees with the file is refused.
  run = runTool({"render", "-q", "-i", "still.png", "--size", "64x64", "-o", "x.y4m"}, folder.path());
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(folder / "x.y4m"));
}

TEST(RenderCommandTest, VideoFilesGoThroughFfmpegWhenItIsThere) {
  if (!cli::findProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  TemporaryFolder folder;
  const ToolRun run = runTool(with({"render", "-o", "clip.mkv"}, kSmall), folder.path());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(folder.names(), std::vector<std::string>{"clip.mkv"});
  const std::string decode =
      "cd '" + folder.path().string() + "' && ffmpeg -loglevel error -i clip.mkv -f yuv4mpegpipe decoded.y4m";
  ASSERT_EQ(std::system(decode.c_str()), 0);
  const Y4mContent decoded = readY4m(folder / "decoded.y4m");
  EXPECT_EQ(decoded.frames, 3);
  EXPECT_EQ(decoded.header.width, 64);
}

// The clock type 3 draws nothing: the frames come out as they went in, in
// every layout and row order, also with fields.
// By default the number of workers changes along the clip (50 frames take
// it through a round of timing one worker and then all of them); the frames
// are the same bytes, in the same order, whoever rendered them.
TEST(RenderCommandTest, TheFramesDoNotDependOnHowManyThreadsRenderThem) {
  TemporaryFolder folder;
  ASSERT_EQ(runTool({"render", "-q", "--size", "64x36", "--frames", "50", "--format", "cbycry", "-o", "in.y4m"},
                    folder.path())
                .exitCode,
            0);
  std::vector<uint8_t> first;
  for (const Arguments& threads : {Arguments{"--threads", "1"}, Arguments{"--threads", "3"}, Arguments{}}) {
    const ToolRun run =
        runTool(with({"render", "-q", "-i", "in.y4m", "--clock", "analog", "-o", "out.y4m"}, threads), folder.path());
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<uint8_t> bytes = readBytes(folder / "out.y4m");
    if (first.empty()) first = bytes;
    EXPECT_EQ(bytes, first) << (threads.empty() ? "default" : threads[1]);
  }
  EXPECT_EQ(readY4m(folder / "out.y4m").frames, 50);
}

TEST(RenderCommandTest, ClockTypeThreeLeavesTheInputBytesUnchanged) {
  struct Case {
    std::string format;
    std::vector<uint8_t> pixel;  // one pixel of color:10,200,30 in that layout
  };
  const Case cases[] = {{"rgba", {10, 200, 30, 255}}, {"bgra", {30, 200, 10, 255}}, {"argb", {255, 10, 200, 30}}};
  for (const Case& c : cases)
    for (const char* rows : {"top-down", "bottom-up"})
      for (const char* fields : {"none", "upper"}) {
        TemporaryFolder folder;
        const ToolRun run =
            runTool({"render", "-q", "-i", "color:10,200,30", "--set", "the List value=3", "--size", "16x6", "--frames",
                     "2", "--format", c.format, "--rows", rows, "--fields", fields, "-o", "out.raw"},
                    folder.path());
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        std::vector<uint8_t> expected;
        for (int i = 0; i < 2 * 16 * 6; ++i) expected.insert(expected.end(), c.pixel.begin(), c.pixel.end());
        EXPECT_EQ(readBytes(folder / "out.raw"), expected) << c.format << ' ' << rows << ' ' << fields;
      }

  // A 4:2:2 file through a YCbCr frame: the same samples come out.
  TemporaryFolder folder;
  ASSERT_EQ(runTool(with({"render", "-o", "in.y4m", "--format", "cbycry"}, kSmall), folder.path()).exitCode, 0);
  for (const char* format : {"cbycry", "ycbycr"}) {
    const ToolRun run =
        runTool({"render", "-q", "-i", "in.y4m", "--set", "the List value=3", "--format", format, "-o", "out.y4m"},
                folder.path());
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const Y4mContent in = readY4m(folder / "in.y4m"), out = readY4m(folder / "out.y4m");
    ASSERT_EQ(out.frames, in.frames);
    for (int i = 0; i < in.frames; ++i) {
      EXPECT_EQ(out.pictures[i].y, in.pictures[i].y) << format;
      EXPECT_EQ(out.pictures[i].cb, in.pictures[i].cb);
      EXPECT_EQ(out.pictures[i].cr, in.pictures[i].cr);
    }
  }
}

TEST(RenderCommandTest, TheClockAndItsFontShowInTheFrames) {
  TemporaryFolder folder;
  const Arguments base{"render",   "-q",
                       "-i",       "color:0,0,0",
                       "--size",   "160x90",
                       "--frames", "1",
                       "--set",    "the List value=Digital Clock",
                       "--set",    "Background Opacity=0",
                       "--set",    "Foreground RGB Color=255,255,255"};
  ASSERT_EQ(runTool(with(base, {"-o", "plain.raw"}), folder.path()).exitCode, 0);
  const ToolRun run = runTool(with(base, {"--font", "DejaVu Serif:bold:60", "-o", "font.raw"}), folder.path());
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const std::vector<uint8_t> plain = readBytes(folder / "plain.raw"), font = readBytes(folder / "font.raw");
  const auto lit = [](const std::vector<uint8_t>& bytes) {
    size_t count = 0;
    for (size_t i = 0; i < bytes.size(); i += 4) count += bytes[i] > 128;
    return count;
  };
  EXPECT_GT(lit(plain), 20u);
  EXPECT_GT(lit(font), lit(plain));  // bold and nearly twice as large
}

TEST(RenderCommandTest, KeyframesChangeAValueAlongTheClip) {
  TemporaryFolder folder;
  ASSERT_EQ(runTool({"render",   "-q",
                     "-i",       "color:0,0,0",
                     "--size",   "320x180",
                     "--frames", "3",
                     "--set",    "the List value=LED clock",
                     "--set",    "Foreground RGB Color=255,255,255",
                     "--set",    "Background Opacity=0",
                     "--set",    "Size@0=10",
                     "--set",    "Size@2=90",
                     "-o",       "f%d.png"},
                    folder.path())
                .exitCode,
            0);
  const auto lit = [&](const char* name) {
    const RgbaPicture picture = cli::readPng((folder / name).string());
    size_t count = 0;
    for (size_t i = 0; i < picture.pixels.size(); i += 4) count += picture.pixels[i] > 128;
    return count;
  };
  EXPECT_LT(lit("f0.png"), lit("f1.png"));
  EXPECT_LT(lit("f1.png"), lit("f2.png"));
}

TEST(RenderCommandTest, SettingErrorsNameTheParameterAndWriteNothing) {
  struct Case {
    std::string setting;
    std::string mention;
  };
  const Case cases[] = {
      {"Clock Colour=5", "unknown parameter 'Clock Colour'"},
      {"Start Time Minute=ten", "Start Time Minute"},
      {"Start Time Minute=60", "Start Time Minute accepts a whole number from 0 to 59"},
      {"Size=150", "Size accepts a number from 0 to 100"},
  };
  for (const Case& c : cases)
    for (const char* output : {"out.y4m", "out%02d.png", "out.raw"}) {
      TemporaryFolder folder;
      const ToolRun run = runTool(with({"render", "--set", c.setting, "-o", output}, kSmall), folder.path());
      EXPECT_EQ(run.exitCode, 2) << c.setting;
      EXPECT_NE(run.errors.find(c.mention), std::string::npos) << run.errors;
      EXPECT_TRUE(folder.names().empty()) << c.setting << " left a file";
    }
}

TEST(RenderCommandTest, BadCommandLinesAndInputsWriteNothing) {
  struct Case {
    Arguments arguments;
    int exitCode;
    std::string mention;
  };
  const Case cases[] = {
      {{"render", "--frames", "0", "-o", "a.y4m"}, 2, "--frames"},
      {{"render", "--colour", "red", "-o", "a.y4m"}, 2, "unknown option"},
      {{"render", "--size", "64x36"}, 2, "no output"},
      {{"render", "-o", "a.avi"}, 2, "unknown kind of output"},
      {{"render", "-o", "a.png"}, 2, "numbered name"},
      {{"render", "-i", "color:1,2", "-o", "a.y4m"}, 2, "color:R,G,B"},
      {{"render", "-i", "missing.y4m", "-o", "a.y4m"}, 1, "missing.y4m"},
      {{"render", "--format", "cbycry", "--size", "15x8", "-o", "a.y4m"}, 2, "even width"},
      {{"render", "--font", "Arial:huge", "-o", "a.y4m"}, 2, "--font"},
  };
  for (const Case& c : cases) {
    TemporaryFolder folder;
    const ToolRun run = runTool(c.arguments, folder.path());
    EXPECT_EQ(run.exitCode, c.exitCode) << run.errors;
    EXPECT_NE(run.errors.find(c.mention), std::string::npos) << run.errors;
    EXPECT_TRUE(folder.names().empty());
  }
}

// A terminating signal in the middle of a long render (Ctrl-C, kill, a
// closed terminal): the tool stops, and neither the output nor its
// temporary files remain.
TEST(RenderCommandTest, AnInterruptedRenderLeavesNoOutput) {
  std::vector<std::string> outputs{"long.y4m", "long%05d.png"};
  if (cli::findProgram("ffmpeg")) outputs.push_back("long.mp4");
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
    for (const std::string& output : outputs) {
      TemporaryFolder folder;
      const std::string errors = folder.path().string() + ".stderr";
      const pid_t pid = startTool({"render", "--size", "320x180", "--frames", "100000", "--threads", "2", "-o", output},
                                  folder.path(), errors);
      // Wait until it has begun writing (its temporary name shows up).
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (folder.names().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      ASSERT_EQ(::kill(pid, signalNumber), 0);
      EXPECT_EQ(waitForTool(pid), 130) << readText(errors);
      EXPECT_NE(readText(errors).find("interrupted"), std::string::npos);
      EXPECT_TRUE(folder.names().empty()) << output << " after signal " << signalNumber;
      std::filesystem::remove(errors);
    }
}

// The host's frame answers the pixel's height over its width; --pixel-aspect
// and the Y4M tag say width over height. A round face on a 64:45 screen is
// 45/64 as wide as it is tall in pixels.
TEST(RenderCommandTest, PixelAspectKeepsTheFaceRoundOnScreen) {
  struct Case {
    Arguments aspect;  // given on the command line, or in the input's header
    bool inHeader;
    double widthOverHeight;
  };
  const Case cases[] = {{{"--pixel-aspect", "64:45"}, false, 45.0 / 64.0},
                        {{"--pixel-aspect", "64:45"}, true, 45.0 / 64.0},
                        {{"--pixel-aspect", "10:11"}, false, 11.0 / 10.0},
                        {{"--pixel-aspect", "1"}, false, 1.0}};
  for (const Case& c : cases) {
    TemporaryFolder folder;
    Arguments arguments{"render",   "-q",
                        "--size",   "720x576",
                        "--frames", "1",
                        "--set",    "the List value=0",
                        "--set",    "Background RGB Color=255,255,255",
                        "--set",    "Foreground RGB Color=255,255,255",
                        "-o",       "face.png"};
    if (c.inHeader) {
      const Arguments black = with({"render", "-q", "-i", "color:0,0,0", "--size", "720x576", "--frames", "1", "--set",
                                    "the List value=3", "-o", "in.y4m"},
                                   c.aspect);
      ASSERT_EQ(runTool(black, folder.path()).exitCode, 0);
      arguments = with(arguments, {"-i", "in.y4m"});
    } else {
      arguments = with(with(arguments, {"-i", "color:0,0,0"}), c.aspect);
    }
    const ToolRun run = runTool(arguments, folder.path());
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const RgbaPicture face = cli::readPng((folder / "face.png").string());
    int32_t left = face.width, right = -1, top = face.height, bottom = -1;
    for (int32_t y = 0; y < face.height; ++y)
      for (int32_t x = 0; x < face.width; ++x)
        if (face.pixels[(size_t(y) * face.width + x) * 4] > 128) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    const double width = right - left + 1, height = bottom - top + 1;
    EXPECT_NEAR(height, 288.0, 3.0);  // radius: half of 50% of 576 rows
    EXPECT_NEAR(width / height, c.widthOverHeight, 0.01) << c.aspect.back() << (c.inHeader ? " in the header" : "");
  }
}

// An output that is the input itself (by name, hard link or symbolic link)
// is refused before anything is read or written.
TEST(RenderCommandTest, TheInputIsNeverTheOutput) {
  TemporaryFolder folder;
  ASSERT_EQ(runTool(with({"render", "-o", "clip.y4m"}, kSmall), folder.path()).exitCode, 0);
  const std::vector<uint8_t> original = readBytes(folder / "clip.y4m");
  std::filesystem::create_hard_link(folder / "clip.y4m", folder / "hard.y4m");
  std::filesystem::create_symlink("clip.y4m", folder / "soft.y4m");
  for (const char* output : {"clip.y4m", "./clip.y4m", "hard.y4m", "soft.y4m"}) {
    const ToolRun run = runTool({"render", "-q", "-i", "clip.y4m", "-o", output}, folder.path());
    EXPECT_EQ(run.exitCode, 2) << output;
    EXPECT_NE(run.errors.find("is the input"), std::string::npos) << run.errors;
    EXPECT_EQ(readBytes(folder / "clip.y4m"), original) << output;
  }
}

// The plug-in is found as a path, beside the tool and where an install puts
// it.
TEST(RenderCommandTest, ThePluginIsFoundByPathBesideTheToolAndInstalled) {
  const std::filesystem::path tool = HORAZ_CLI_PATH;
  const std::filesystem::path plugin = tool.parent_path() / "AVX2Horaz.avx";
  TemporaryFolder folder;
  std::filesystem::copy_file(plugin, folder / "mycopy.avx");
  const ToolRun run = runTool(with({"render", "--plugin", "mycopy.avx", "-o", "a.y4m"}, kSmall), folder.path());
  EXPECT_EQ(run.exitCode, 0) << run.errors;

  std::filesystem::create_directories(folder / "prefix/bin");
  std::filesystem::create_directories(folder / "prefix/lib/horaz");
  std::filesystem::copy_file(tool, folder / "prefix/bin/horaz");
  std::filesystem::copy_file(plugin, folder / "prefix/lib/horaz/AVX2Horaz.avx");
  const std::string installed =
      "cd '" + folder.path().string() + "' && env -u HORAZ_PLUGIN prefix/bin/horaz " + "describe > /dev/null";
  EXPECT_EQ(std::system(installed.c_str()), 0);
}

}  // namespace
}  // namespace horaz::test
