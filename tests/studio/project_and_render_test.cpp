// Projects saved and loaded through the API, the command line the studio
// gives, and renders to a file with progress and cancel.
#include <chrono>
#include <fstream>
#include <thread>

#include "cli/commands/project_file.h"
#include "cli/media/png_io.h"
#include "studio_fixture.h"

namespace horaz::test {
namespace {

using namespace std::chrono_literals;

// The picture of a PNG, compared pixel for pixel.
std::vector<uint8_t> pixelsOf(const std::string& png, const std::filesystem::path& scratch) {
  {
    std::ofstream file(scratch, std::ios::binary);
    file << png;
  }
  return cli::readPng(scratch.string()).pixels;
}

class StudioProject : public StudioApi {
 protected:
  json waitForRender() {
    for (int i = 0; i < 1200; ++i) {
      json status = get("/api/render");
      if (status["state"] != "running") return status;
      std::this_thread::sleep_for(50ms);
    }
    return nullptr;
  }

  // A clock with keyframes, a font and a clip of its own.
  void setUpClock() {
    post("/api/clip", {{"input", {{"source", "pattern"}, {"size", "320x180"}, {"frameRate", "30000/1001"}}},
                       {"output", {{"frames", 4}, {"start", 2}, {"path", "clip%02d.png"}}}});
    set("the List value", 1);
    set("Style List", "TC hh:mm:ss:ff");
    post("/api/parameters", {{"name", "X"}, {"value", 30}, {"time", 2}, {"keyframe", true}});
    post("/api/parameters", {{"name", "X"}, {"value", 70}, {"time", 5}, {"keyframe", true}});
    set("Start Time", "it's \"quoted\"");
    post("/api/font", {{"face", "DejaVu Serif"}, {"height", 45}, {"italic", true}});
  }
  std::vector<std::string> frames() {
    std::vector<std::string> out;
    for (int time = 2; time < 6; ++time) out.push_back(bytes("/api/frame.png?time=" + std::to_string(time)));
    return out;
  }
};

TEST_F(StudioProject, ASavedProjectLoadsBackToTheSameFrames) {
  setUpClock();
  const json saved = get("/api/project");
  const std::vector<std::string> shown = frames();

  post("/api/project", {{"horazProject", 1}}, 200);  // everything back to its initial value
  EXPECT_NE(frames(), shown);
  EXPECT_EQ(post("/api/project", saved), saved);
  EXPECT_EQ(frames(), shown);
}

TEST_F(StudioProject, TheCommandLineAndTheProjectRenderWhatTheStudioShows) {
  setUpClock();
  std::vector<std::string> shown;
  for (const std::string& png : frames()) shown.push_back(png);

  // The command line the page copies, run as it is (without "horaz").
  std::vector<std::string> words = get("/api/command-line")["arguments"];
  ASSERT_EQ(words.at(0), "horaz");
  words.erase(words.begin());
  ASSERT_EQ(runTool(words, folder_.path()).exitCode, 0) << cli::shellCommand(words);

  // The saved project, rendered by `horaz render --project` under its own
  // output name and under one the command line gives.
  {
    std::ofstream file(folder_ / "clock.horaz.json");
    file << get("/api/project").dump(2);
  }
  ASSERT_EQ(
      runTool({"render", "--project", "clock.horaz.json", "-o", "project%02d.png", "--quiet"}, folder_.path()).exitCode,
      0);

  for (const std::string name : {"clip", "project"}) {
    for (int i = 0; i < 4; ++i) {
      const std::filesystem::path rendered = folder_ / (name + "0" + std::to_string(i + 2) + ".png");
      ASSERT_TRUE(std::filesystem::exists(rendered)) << rendered;
      EXPECT_EQ(cli::readPng(rendered.string()).pixels, pixelsOf(shown[i], folder_ / "shown.png"))
          << rendered.filename() << " differs from the studio's frame " << i + 2;
    }
  }
}

TEST_F(StudioProject, ARenderReportsProgressAndLeavesOnlyTheCompleteFile) {
  post("/api/clip", {{"input", {{"size", "320x180"}}}});
  const json started = post("/api/render", {{"path", "clip.y4m"}, {"frames", 30}});
  EXPECT_EQ(started["state"], "running");
  EXPECT_EQ(started["total"], 30);
  post("/api/render", {{"path", "other.y4m"}}, 400);  // one render at a time
  const json finished = waitForRender();
  ASSERT_EQ(finished["state"], "done") << finished.dump();
  EXPECT_EQ(finished["done"], 30);
  EXPECT_EQ(folder_.names(), std::vector<std::string>{"clip.y4m"});
  EXPECT_GT(std::filesystem::file_size(folder_ / "clip.y4m"), 30u * 320 * 180 * 3);
}

TEST_F(StudioProject, ACancelledRenderLeavesNothing) {
  post("/api/clip", {{"input", {{"size", "1920x1080"}}}});
  post("/api/render", {{"path", "long.y4m"}, {"frames", 5000}});
  // Until the first frames are out, so the cancel meets a render under way.
  for (int i = 0; i < 400 && get("/api/render")["done"] == 0; ++i) std::this_thread::sleep_for(25ms);
  post("/api/render/cancel", json::object());
  const json status = waitForRender();
  EXPECT_EQ(status["state"], "cancelled") << status.dump();
  EXPECT_TRUE(std::filesystem::is_empty(folder_.path())) << folder_.names().size() << " files left";
}

}  // namespace
}  // namespace horaz::test
