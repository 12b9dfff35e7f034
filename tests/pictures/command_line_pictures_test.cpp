// `horaz render` run as a user runs it, a few frames written as PNGs, each
// against its reference.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/pictures/png_file.h"
#include "tests/pictures/reference_check.h"

extern char** environ;

namespace horaz::test {
namespace {

namespace fs = std::filesystem;

// The tool's exit code, or -1 when it did not exit normally.
int runHoraz(const std::vector<std::string>& arguments) {
  std::vector<std::string> words{HORAZ_CLI_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

struct CommandLineRender {
  std::string name;
  int32_t start;  // the first of the two frames
  Tolerance tolerance;
  std::vector<std::string> arguments;
};

const std::vector<CommandLineRender> kRenders{
    // Timecode across the hour: 00:59:59:24, then 01:00:00:00.
    {"cli_digital_timecode",
     24,
     kAntiAliased,
     {"--set", "the List value=Digital Clock", "--set", "Style List=TC hh:mm:ss:ff", "--set", "Start Time Minute=59",
      "--set", "Start Time Second=59"}},
    // Through the YCbCr frames of the host and back to RGB for the PNG.
    {"cli_led_ycbcr",
     60,
     kExact,
     {"--set", "the List value=LED clock", "--set", "Foreground RGB Color=255,40,40", "--format", "cbycry"}},
    // Two render calls per frame, one per field, on non-square pixels.
    {"cli_analog_fields",
     100,
     kAntiAliased,
     {"--set", "Start Time Hour=10", "--set", "Start Time Minute=8", "--set", "Size=70", "--fields", "upper",
      "--pixel-aspect", "59:54"}},
};

void PrintTo(const CommandLineRender& render, std::ostream* out) { *out << render.name; }

class ReferenceCommandLinePictures : public ::testing::TestWithParam<CommandLineRender> {};

TEST_P(ReferenceCommandLinePictures, EveryFrameMatchesItsReference) {
  const CommandLineRender& render = GetParam();
  const fs::path folder = fs::path(HORAZ_REFERENCE_FAILURE_DIR).parent_path() / "command-line" / render.name;
  fs::remove_all(folder);
  fs::create_directories(folder);

  std::vector<std::string> arguments{"render",   "-q",
                                     "--size",   "320x180",
                                     "--frames", "2",
                                     "--start",  std::to_string(render.start),
                                     "-o",       (folder / "%04d.png").string()};
  arguments.insert(arguments.end(), render.arguments.begin(), render.arguments.end());
  ASSERT_EQ(runHoraz(arguments), 0);

  for (int32_t frame = render.start; frame < render.start + 2; ++frame) {
    char number[16];
    std::snprintf(number, sizeof number, "%04d", frame);
    EXPECT_TRUE(matchesReference(render.name + "_" + number, readPng(folder / (std::string(number) + ".png")),
                                 render.tolerance));
  }
}

INSTANTIATE_TEST_SUITE_P(, ReferenceCommandLinePictures, ::testing::ValuesIn(kRenders),
                         [](const ::testing::TestParamInfo<CommandLineRender>& info) { return info.param.name; });

}  // namespace
}  // namespace horaz::test
