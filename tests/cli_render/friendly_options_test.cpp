// The friendly options stand for the panel's parameters: each renders the
// same frame as the --set arguments it stands for, and mixing the two on one
// parameter is refused.

#include <gtest/gtest.h>

#include "tool_runner.h"

namespace horaz::test {
namespace {

using Arguments = std::vector<std::string>;

std::vector<uint8_t> renderFrame(const Arguments& extra, const TemporaryFolder& folder) {
  Arguments arguments{"render", "-q", "-i", "color:20,40,60", "--size", "96x54", "--frames", "1", "--start", "7"};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  arguments.insert(arguments.end(), {"-o", "frame.raw"});
  const ToolRun run = runTool(arguments, folder.path());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  return readBytes(folder / "frame.raw");
}

TEST(FriendlyOptionsTest, EachRendersWhatItsParametersRender) {
  struct Case {
    Arguments shortcut;
    Arguments parameters;
  };
  const Case cases[] = {
      {{"--clock", "led"}, {"--set", "the List value=2"}},
      {{"--clock", "none"}, {"--set", "the List value=3"}},
      {{"--clock", "digital", "--style", "tc"}, {"--set", "the List value=1", "--set", "Style List=10"}},
      {{"--clock", "digital", "--style", "mm:ss"}, {"--set", "the List value=1", "--set", "Style List=6"}},
      {{"--clock", "digital", "--style", "9"}, {"--set", "the List value=1", "--set", "Style List=ss.f"}},
      {{"--clock", "digital", "--style", "hms.fff", "--start-time", "01:02:03.5"},
       {"--set", "the List value=1", "--set", "Style List=1", "--set", "Start Time Hour=1", "--set",
        "Start Time Minute=2", "--set", "Start Time Second=3", "--set", "Start Time Millsecond=500"}},
      {{"--clock", "led", "--style", "tc", "--start-time", "10:00:00:12"},
       {"--set", "the List value=2", "--set", "Style List=10", "--set", "Start Time Hour=10", "--set",
        "Start Time Frame=12"}},
      {{"--position", "25,75", "--scale", "30"}, {"--set", "X=25", "--set", "Y=75", "--set", "Size=30"}},
      {{"--fg", "#ff8000", "--bg", "#00000080"},
       {"--set", "Foreground RGB Color=255,128,0", "--set", "Background RGB Color=0,0,0", "--set",
        "Background Opacity=50.2"}},
  };
  for (const Case& c : cases) {
    TemporaryFolder folder;
    EXPECT_EQ(renderFrame(c.shortcut, folder), renderFrame(c.parameters, folder)) << c.shortcut.front();
  }
}

TEST(FriendlyOptionsTest, MalformedValuesAndMixingWithSetAreRefused) {
  struct Case {
    Arguments arguments;
    std::string mention;
  };
  const Case cases[] = {
      {{"--clock", "sundial"}, "the List value"},
      {{"--style", "hms.ffff"}, "Style List"},
      {{"--start-time", "1:2"}, "--start-time takes HH:MM:SS"},
      {{"--start-time", "25:00:00"}, "Start Time Hour accepts"},
      {{"--position", "50"}, "--position takes X,Y"},
      {{"--scale", "150"}, "Size accepts"},
      {{"--fg", "red"}, "--fg takes #RRGGBB"},
      {{"--fg", "#ff0000", "--set", "Foreground Red=1"}, "--fg and --set both set Foreground Red"},
      {{"--set", "Foreground RGB Color=1,2,3", "--fg", "#ff0000"}, "--fg and --set both set Foreground Red"},
      {{"--clock", "led", "--set", "the List value=1"}, "--clock and --set both set the List value"},
  };
  for (const Case& c : cases) {
    TemporaryFolder folder;
    Arguments arguments{"render", "--size", "32x18", "--frames", "1", "-o", "out.y4m"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ToolRun run = runTool(arguments, folder.path());
    EXPECT_EQ(run.exitCode, 2) << c.mention;
    EXPECT_NE(run.errors.find(c.mention), std::string::npos) << run.errors;
    EXPECT_TRUE(folder.names().empty());
  }
}

}  // namespace
}  // namespace horaz::test
