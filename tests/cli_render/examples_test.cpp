// Every example of `horaz render --help` and of the README, run as pasted,
// in a folder that holds the input files they name; each must succeed and
// write what it says it writes.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "cli/media/output_writer.h"
#include "cli/media/png_io.h"
#include "cli/support/child_process.h"
#include "tool_runner.h"

namespace horaz::test {
namespace {

// The commands of `text`: lines indented at least `indent` spaces that run
// horaz render, with "\" continuations joined (a README's code blocks are
// indented four, so its indented prose is not taken for one; the help
// indents two).
std::vector<std::string> commandsIn(const std::string& text, size_t indent) {
  std::vector<std::string> commands;
  std::istringstream lines(text);
  std::string command;
  for (std::string line; std::getline(lines, line);) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) continue;
    line = line.substr(start);
    if (command.empty() && (start < indent || line.find("horaz render") == std::string::npos)) continue;
    const bool continues = line.ends_with("\\");
    command += continues ? line.substr(0, line.size() - 1) : line;
    if (!continues) {
      commands.push_back(command);
      command.clear();
    }
  }
  return commands;
}

std::string helpExamples() {
  TemporaryFolder folder;
  runTool({"render", "--help"}, folder.path(), "help.txt");
  const std::string help = readText(folder / "help.txt");
  return help.substr(help.find("\nexamples\n"));
}

// The output a command names with -o.
std::string outputOf(const std::string& command) {
  std::smatch match;
  if (!std::regex_search(command, match, std::regex(R"(-o ([^ ]+))"))) return {};
  std::string output = match[1];
  if (const std::optional<std::string> first = cli::formatFrameName(output, 0)) output = *first;
  return output;
}

// A picture over a solid input shows the whole clock: its leftmost and
// rightmost columns are untouched, and something is drawn.
void expectWholeClock(const std::filesystem::path& png) {
  const cli::RgbaPicture picture = cli::readPng(png.string());
  const auto at = [&](int32_t x, int32_t y) { return &picture.pixels[(size_t(y) * picture.width + x) * 4]; };
  const uint8_t* background = at(0, 0);
  bool drawn = false;
  for (int32_t y = 0; y < picture.height; ++y) {
    EXPECT_TRUE(std::equal(background, background + 3, at(0, y))) << png << " cut at the left, row " << y;
    EXPECT_TRUE(std::equal(background, background + 3, at(picture.width - 1, y))) << png << " cut at the right";
    for (int32_t x = 0; x < picture.width; ++x) drawn = drawn || !std::equal(background, background + 3, at(x, y));
  }
  EXPECT_TRUE(drawn) << png;
}

void runExamples(const std::vector<std::string>& commands) {
  ASSERT_FALSE(commands.empty());
  const std::string tool = HORAZ_CLI_PATH;
  const std::string folderOfTool = std::filesystem::path(tool).parent_path().string();
  for (const std::string& command : commands) {
    TemporaryFolder folder;
    // The input clips the examples name, with sound.
    for (const char* clip : {"holiday.mp4", "in.mp4"})
      cli::runForOutput({*cli::findProgram("ffmpeg"), "-v", "error", "-f", "lavfi", "-i",
                         "testsrc=size=320x180:rate=25:duration=1", "-f", "lavfi", "-i", "sine=duration=1", "-pix_fmt",
                         "yuv420p", (folder / clip).string()});
    const std::string shell = "cd '" + folder.path().string() + "' && PATH='" + folderOfTool + "':\"$PATH\" && " +
                              std::regex_replace(command, std::regex(R"(\./build/horaz)"), "horaz") + " 2> errors.txt";
    EXPECT_EQ(std::system(shell.c_str()), 0) << command << '\n' << readText(folder / "errors.txt");
    const std::string output = outputOf(command);
    ASSERT_TRUE(std::filesystem::exists(folder / output)) << command;
    if (output.ends_with(".png") && command.find("-i color:") != std::string::npos) expectWholeClock(folder / output);
  }
}

TEST(ExamplesTest, HelpExamplesDoWhatTheyPromise) {
  if (!cli::findProgram("ffmpeg")) GTEST_SKIP() << "the examples write .mp4; ffmpeg is not installed";
  runExamples(commandsIn(helpExamples(), 2));
}

TEST(ExamplesTest, ReadmeExamplesDoWhatTheyPromise) {
  if (!cli::findProgram("ffmpeg")) GTEST_SKIP() << "the examples write .mp4; ffmpeg is not installed";
  runExamples(commandsIn(readText(std::filesystem::path(HORAZ_SOURCE_DIR) / "README.md"), 4));
}

}  // namespace
}  // namespace horaz::test
