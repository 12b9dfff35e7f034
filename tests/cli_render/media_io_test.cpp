// Reading and writing what `horaz render` takes and gives: YUV4MPEG2, PNG,
// the host frame conversions, frame names and files that appear whole.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "cli/commands/render_options.h"
#include "cli/media/encoder_settings.h"
#include "cli/media/ffmpeg_input.h"
#include "cli/media/input_source.h"
#include "cli/media/output_writer.h"
#include "cli/media/png_io.h"
#include "cli/media/y4m.h"
#include "cli/pixels/frame_conversion.h"
#include "cli/support/atomic_file.h"
#include "testhost/frame.h"
#include "tool_runner.h"

namespace horaz::cli {
namespace {

using test::TemporaryFolder;
using testhost::FrameFormat;
using testhost::HostFrame;
using testhost::PixelFormat;

YuvPicture randomPicture(int32_t width, int32_t height, Chroma chroma, bool fullRange, uint32_t seed) {
  std::mt19937 random(seed);
  YuvPicture picture;
  picture.allocate(width, height, chroma);
  picture.fullRange = fullRange;
  // Studio-range pictures stay within their range, as real ones do.
  const auto sample = [&](int low, int high) { return static_cast<uint8_t>(low + random() % (high - low + 1)); };
  for (uint8_t& v : picture.y) v = fullRange ? sample(0, 255) : sample(16, 235);
  for (uint8_t& v : picture.cb) v = fullRange ? sample(0, 255) : sample(16, 240);
  for (uint8_t& v : picture.cr) v = fullRange ? sample(0, 255) : sample(16, 240);
  return picture;
}

struct FrameHolder {
  HostFrame* frame;
  explicit FrameHolder(int32_t width, int32_t height, FrameFormat format)
      : frame(new HostFrame(std::make_shared<testhost::Ledger>(), width, height, format)) {}
  ~FrameHolder() { frame->Release(); }
};

// A 4:2:2 picture passes through a YCbCr frame unchanged in either range,
// in either pair layout and row order: what makes an untouched frame come
// out byte for byte.
TEST(FrameConversionTest, A422PictureComesBackFromAYccFrameUnchanged) {
  for (const bool fullRange : {false, true})
    for (const PixelFormat pixels : {PixelFormat::kCbYCrY, PixelFormat::kYCbYCr})
      for (const bool bottomUp : {false, true}) {
        const YuvPicture picture = randomPicture(38, 6, Chroma::k422, fullRange, 3);
        FrameHolder holder(38, 6, FrameFormat{pixels, false, bottomUp, 0, 0});
        fillFrame(picture, *holder.frame);
        YuvPicture back;
        frameToYuv(*holder.frame, PlaneCoding{fullRange}, back);
        EXPECT_EQ(back.y, picture.y);
        EXPECT_EQ(back.cb, picture.cb);
        EXPECT_EQ(back.cr, picture.cr);
        testhost::FrameBytes y4m;
        frameToY4m(*holder.frame, PlaneCoding{fullRange}, y4m);
        std::vector<uint8_t> expected;
        appendY4mFrame(picture, expected);
        EXPECT_EQ(std::vector<uint8_t>(y4m.begin(), y4m.end()), expected);
      }
}

// 4:2:0 output: luma as in the frame's own planes, each chroma row the mean
// of two rows' pair chroma (an odd height's last row alone), whatever the
// frame kind and in either matrix.
TEST(FrameConversionTest, FourTwoZeroChromaIsTheMeanOfTwoRowsPairChroma) {
  for (const PixelFormat pixels : {PixelFormat::kCbYCrY, PixelFormat::kRgba})
    for (const Matrix matrix : {Matrix::kBt601, Matrix::kBt709}) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(pixels) << " matrix " << static_cast<int>(matrix));
      constexpr int32_t kWidth = 37, kHeight = 5;
      const YuvPicture source = randomPicture(kWidth, kHeight, Chroma::k444, true, 9);
      FrameHolder holder(kWidth, kHeight, FrameFormat{pixels, false, true});
      fillFrame(source, *holder.frame);
      YuvPicture own, halved;
      frameToYuv(*holder.frame, PlaneCoding{false, matrix}, own);
      frameToYuv(*holder.frame, PlaneCoding{false, matrix, true}, halved);
      ASSERT_EQ(halved.chroma, Chroma::k420);
      EXPECT_EQ(halved.y, own.y);
      const auto pairChroma = [&](const testhost::FrameBytes& plane, int32_t y, int32_t p) {
        const uint8_t* row = plane.data() + static_cast<size_t>(y) * static_cast<size_t>(own.chromaWidth());
        if (own.chroma == Chroma::k422) return int{row[p]};
        return 2 * p + 1 < kWidth ? (row[2 * p] + row[2 * p + 1] + 1) / 2 : int{row[2 * p]};
      };
      for (int32_t y = 0; y < halved.chromaHeight(); ++y)
        for (int32_t p = 0; p < halved.chromaWidth(); ++p) {
          const int32_t lower = std::min(2 * y + 1, kHeight - 1);
          const size_t at = static_cast<size_t>(y * halved.chromaWidth() + p);
          EXPECT_EQ(halved.cb[at], (pairChroma(own.cb, 2 * y, p) + pairChroma(own.cb, lower, p) + 1) / 2)
              << y << "," << p;
          EXPECT_EQ(halved.cr[at], (pairChroma(own.cr, 2 * y, p) + pairChroma(own.cr, lower, p) + 1) / 2)
              << y << "," << p;
        }
    }
}

TEST(EncoderSettingsTest, TheEncoderIsSentFourTwoZeroOnlyWhereItEncodesThatProgressive) {
  struct Case {
    const char* output;
    char interlace;
    bool yccLayout;
    std::vector<std::string> userArguments;
    bool takes420;
  };
  const Case cases[] = {
      {"a.mp4", 'p', false, {}, true},
      {"a.mkv", 'p', false, {}, true},
      {"a.mkv", 'p', true, {}, false},  // encoded 4:2:2
      {"a.mp4", 't', true, {}, false},  // the fields' chroma stays apart
      {"a.mp4", 'p', true, {"-pix_fmt", "yuv444p"}, false},
      {"a.mp4", 'p', true, {"-vf", "hflip"}, false},
  };
  for (const Case& c : cases) {
    EncodeRequest request;
    request.output = c.output;
    request.interlace = c.interlace;
    request.yccLayout = c.yccLayout;
    request.userArguments = c.userArguments;
    EXPECT_EQ(encoderTakes420(request), c.takes420) << c.output << " " << c.interlace << " " << c.userArguments.size();
  }
}

TEST(FrameConversionTest, StudioRangeIsExpandedInTheFrame) {
  YuvPicture picture;
  picture.allocate(2, 2, Chroma::k420);
  picture.y = {16, 235, 126, 16};
  picture.cb = {128};
  picture.cr = {240};
  FrameHolder holder(2, 2, FrameFormat{PixelFormat::kCbYCrY});
  fillFrame(picture, *holder.frame);
  const uint8_t* row = holder.frame->memoryRow(0);
  EXPECT_EQ(row[0], 128);  // Cb
  EXPECT_EQ(row[1], 0);    // Y 16 -> 0
  EXPECT_EQ(row[2], 255);  // Cr 240 -> 255
  EXPECT_EQ(row[3], 255);  // Y 235 -> 255
}

TEST(FrameConversionTest, RgbPicturesPassThroughRgbFramesAndNearlyThroughYcc) {
  std::mt19937 random(5);
  RgbaPicture picture;
  picture.allocate(10, 4);
  for (uint8_t& byte : picture.pixels) byte = static_cast<uint8_t>(random());
  for (const PixelFormat pixels : {PixelFormat::kRgba, PixelFormat::kBgra, PixelFormat::kArgb}) {
    FrameHolder holder(10, 4, FrameFormat{pixels, false, true});
    fillFrame(picture, *holder.frame);
    RgbaPicture back;
    frameToRgba(*holder.frame, back);
    EXPECT_EQ(back.pixels, picture.pixels);
  }
  // Through YCbCr a grey stays exactly grey.
  RgbaPicture grey;
  grey.allocate(4, 2);
  for (size_t i = 0; i < grey.pixels.size(); ++i) grey.pixels[i] = (i % 4 == 3) ? 255 : 77;
  FrameHolder holder(4, 2, FrameFormat{PixelFormat::kYCbYCr});
  fillFrame(grey, *holder.frame);
  RgbaPicture back;
  frameToRgba(*holder.frame, back);
  EXPECT_EQ(back.pixels, grey.pixels);
}

TEST(Y4mTest, FramesWrittenAreReadBackWithTheirHeader) {
  TemporaryFolder folder;
  Y4mHeader header;
  header.width = 6;
  header.height = 4;
  header.frameRate = {30000, 1001};
  header.interlace = 't';
  header.pixelAspect = {59, 54};
  header.chroma = Chroma::k420;
  header.fullRange = true;
  const YuvPicture first = randomPicture(6, 4, Chroma::k420, true, 1);
  const YuvPicture second = randomPicture(6, 4, Chroma::k420, true, 2);
  {
    std::ofstream file(folder / "clip.y4m", std::ios::binary);
    const std::string text = y4mHeaderText(header);
    std::vector<uint8_t> bytes(text.begin(), text.end());
    appendY4mFrame(first, bytes);
    appendY4mFrame(second, bytes);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  // Read by frame number, every frame is there with the header's shape.
  const std::shared_ptr<Y4mFile> file = Y4mFile::open((folder / "clip.y4m").string());
  ASSERT_EQ(file->frameCount(), 2);
  YuvPicture read;
  file->read(1, read);
  EXPECT_TRUE(read.fullRange);
  EXPECT_EQ(read.y, second.y);
  EXPECT_EQ(read.cr, second.cr);
  file->read(0, read);
  EXPECT_EQ(read.cb, first.cb);

  Y4mReader reader((folder / "clip.y4m").string());
  EXPECT_EQ(reader.header().width, 6);
  EXPECT_EQ(reader.header().frameRate, (Ratio{30000, 1001}));
  EXPECT_EQ(reader.header().interlace, 't');
  EXPECT_EQ(reader.header().pixelAspect, (Ratio{59, 54}));
  EXPECT_EQ(reader.header().fullRange, true);
  YuvPicture picture;
  ASSERT_TRUE(reader.read(picture));
  EXPECT_EQ(picture.y, first.y);
  EXPECT_EQ(picture.cr, first.cr);
  ASSERT_TRUE(reader.read(picture));
  EXPECT_EQ(picture.cb, second.cb);
  EXPECT_FALSE(reader.read(picture));
}

TEST(Y4mTest, StreamsItCannotTakeAreRefusedWithAReason) {
  TemporaryFolder folder;
  struct Case {
    std::string content;
    std::string reason;
  };
  const Case cases[] = {
      {"P6 2 2 255\n", "not a YUV4MPEG2 stream"},
      {"YUV4MPEG2 W4 H2 C420p10\nFRAME\n", "not supported"},
      {"YUV4MPEG2 W4 F25:1\n", "no width or height"},
      {"YUV4MPEG2 W4 H2 F25:0\n", "frame rate"},
      {"", "empty"},
  };
  for (const Case& c : cases) {
    std::ofstream(folder / "bad.y4m", std::ios::binary) << c.content;
    try {
      Y4mReader reader((folder / "bad.y4m").string());
      ADD_FAILURE() << "accepted: " << c.content;
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
  }
  // A frame cut short is an error, not a shorter clip, read or mapped.
  std::ofstream(folder / "cut.y4m", std::ios::binary) << "YUV4MPEG2 W4 H2 C444\nFRAME\nabc";
  Y4mReader reader((folder / "cut.y4m").string());
  YuvPicture picture;
  EXPECT_THROW(reader.read(picture), std::runtime_error);
  EXPECT_THROW(Y4mFile::open((folder / "cut.y4m").string()), std::runtime_error);
  // Monochrome frames read with neutral chroma.
  std::ofstream(folder / "mono.y4m", std::ios::binary) << "YUV4MPEG2 W2 H2 Cmono\nFRAME\nabcd";
  const std::shared_ptr<Y4mFile> mono = Y4mFile::open((folder / "mono.y4m").string());
  ASSERT_EQ(mono->frameCount(), 1);
  mono->read(0, picture);
  EXPECT_EQ(picture.cb[3], 128);
  Y4mReader monoReader((folder / "mono.y4m").string());
  ASSERT_TRUE(monoReader.read(picture));
  EXPECT_EQ(picture.chroma, Chroma::k444);
  EXPECT_EQ(picture.cr, (testhost::FrameBytes{128, 128, 128, 128}));
}

// A file cut short after it was opened is an error for the frames it lost,
// and the frames before them still read.
TEST(Y4mTest, AFileCutShortWhileReadIsReported) {
  TemporaryFolder folder;
  const std::string path = (folder / "clip.y4m").string();
  Y4mHeader header;
  header.width = 640;
  header.height = 9;
  header.chroma = Chroma::k422;
  std::string bytes = y4mHeaderText(header);
  for (uint32_t seed = 0; seed < 5; ++seed) {
    std::vector<uint8_t> frame;
    appendY4mFrame(randomPicture(header.width, header.height, header.chroma, false, seed), frame);
    bytes.append(frame.begin(), frame.end());
  }
  std::ofstream(path, std::ios::binary) << bytes;
  const int64_t frameBytes = int64_t{header.width} * header.height * 2;

  std::vector<std::string> notes;
  const std::unique_ptr<FrameSource> source = openSource(path, notes);
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(bytes.size() - 2 * static_cast<size_t>(frameBytes))), 0);
  FrameHolder holder(header.width, header.height, FrameFormat{PixelFormat::kCbYCrY});
  // Read where the frame is asked for, or by the worker that fills it.
  for (const bool readOnCallingThread : {true, false}) {
    SCOPED_TRACE(readOnCallingThread ? "read by next()" : "read by fill()");
    source->readOnCallingThread(readOnCallingThread);
    EXPECT_NO_THROW(source->next(0)->fill(*holder.frame));
    try {
      source->next(4)->fill(*holder.frame);
      ADD_FAILURE() << "a frame the file lost was read";
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find("the file got shorter while read"), std::string::npos) << error.what();
    }
  }
}

TEST(PngTest, AnEncodedPictureReadsBackAsRgb) {
  TemporaryFolder folder;
  RgbaPicture picture;
  picture.allocate(5, 3);
  for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = static_cast<uint8_t>(i * 13);
  const std::vector<uint8_t> png = encodePng(picture, false);
  std::ofstream(folder / "p.png", std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());
  const RgbaPicture back = readPng((folder / "p.png").string());
  ASSERT_EQ(back.width, 5);
  ASSERT_EQ(back.height, 3);
  for (size_t i = 0; i < back.pixels.size(); ++i) EXPECT_EQ(back.pixels[i], i % 4 == 3 ? 255 : picture.pixels[i]) << i;
  EXPECT_THROW(readPng((folder / "missing.png").string()), std::runtime_error);
}

TEST(OutputNamesTest, FrameNumbersFillThePattern) {
  EXPECT_EQ(formatFrameName("f%d.png", 7), "f7.png");
  EXPECT_EQ(formatFrameName("f%04d.png", 7), "f0007.png");
  EXPECT_EQ(formatFrameName("f%4d.png", 7), "f   7.png");
  EXPECT_EQ(formatFrameName("100%%-%03d.png", 12), "100%-012.png");
  EXPECT_EQ(formatFrameName("f.png", 1), std::nullopt);
  EXPECT_EQ(formatFrameName("f%d-%d.png", 1), std::nullopt);
  EXPECT_EQ(formatFrameName("f%s.png", 1), std::nullopt);
}

TEST(CommandLineValuesTest, RatesAndSizes) {
  EXPECT_EQ(parseFrameRate("25"), (Ratio{25, 1}));
  EXPECT_EQ(parseFrameRate("30000/1001"), (Ratio{30000, 1001}));
  EXPECT_EQ(parseFrameRate("29.97"), (Ratio{30000, 1001}));
  EXPECT_EQ(parseFrameRate("12.5"), (Ratio{25, 2}));
  EXPECT_EQ(parseFrameRate("0"), std::nullopt);
  EXPECT_EQ(parseFrameRate("25/0"), std::nullopt);
  EXPECT_EQ(parseFrameRate("fast"), std::nullopt);
  EXPECT_EQ(parseFrameSize("720x576")->width, 720);
  EXPECT_EQ(parseFrameSize("0x576"), std::nullopt);
  EXPECT_EQ(parseFrameSize("720*576"), std::nullopt);
}

TEST(AtomicFileTest, OnlyACommittedFileTakesItsName) {
  TemporaryFolder folder;
  const uint8_t bytes[] = {1, 2, 3};
  {
    AtomicFile file(folder / "out.y4m");
    file.write(bytes);
    EXPECT_EQ(folder.names().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(folder / "out.y4m"));
  }
  EXPECT_TRUE(folder.names().empty());
  AtomicFile file(folder / "out.y4m");
  file.write(bytes);
  file.commit();
  EXPECT_EQ(folder.names(), std::vector<std::string>{"out.y4m"});

  {
    AtomicFileSet set(folder.path());
    set.write("a.png", bytes);
    set.write("b.png", bytes);
  }
  EXPECT_EQ(folder.names(), std::vector<std::string>{"out.y4m"});
  AtomicFileSet set(folder.path());
  set.write("a.png", bytes);
  set.commit();
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"a.png", "out.y4m"}));
}

TEST(EncoderSettingsTest, EncoderArgumentsSplitAsAShellWould) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"-crf 23  -preset slow", {"-crf", "23", "-preset", "slow"}},
      {"-vf 'pad=iw+2:ih' -metadata title=\"My clip\"", {"-vf", "pad=iw+2:ih", "-metadata", "title=My clip"}},
      {"a\\ b ''", {"a b", ""}},
      {"", {}},
  };
  for (const auto& [text, words] : cases) EXPECT_EQ(splitArguments(text), words) << text;
  EXPECT_THROW(splitArguments("-metadata 'title"), UsageError);
}

TEST(EncoderSettingsTest, FilesAreReadInThe8BitLayoutOfTheirSubsampling) {
  const std::pair<const char*, const char*> cases[] = {
      {"yuv420p", "yuv420p"}, {"yuv420p10le", "yuv420p"}, {"nv12", "yuv420p"},  {"yuvj422p", "yuv422p"},
      {"uyvy422", "yuv422p"}, {"yuv444p12le", "yuv444p"}, {"rgb24", "yuv444p"}, {"gray", "yuv444p"}};
  for (const auto& [format, planar] : cases) EXPECT_EQ(planarFormatFor(format), planar) << format;
}

}  // namespace
}  // namespace horaz::cli
