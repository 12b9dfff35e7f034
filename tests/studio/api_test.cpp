// The studio's API as the page uses it: the panel made from the plug-in's
// registration with the update handler's availability, parameters by name,
// the overlay driven in viewer pixels, the font command, and the refusals.
#include <cstring>
#include <map>
#include <set>
#include <thread>

#include <wingdi.h>

#include "testhost/parameter_settings.h"
#include "studio_fixture.h"
#include "testhost/font_command.h"
#include "testhost/registration_model.h"
#include "testhost/render_host.h"

namespace horaz::test {
namespace {

// The time controls the update handler switches, by bound parameter.
const std::vector<std::string> kSwitched = {"Start Time Millsecond", "Start Time Frame", "Start Time Day",
                                            "Start Time Month",      "Start Time Year",  "Stop Time Hour",
                                            "Stop Time Minute",      "Stop Time Second", "Stop Time Millsecond",
                                            "Stop Time Frame",       "Start Time"};

// Availability of the switched controls, in the order above, per style group.
const std::map<std::string, std::vector<int>> kGroups = {{"time of day", {1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0}},
                                                         {"timecode", {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                                                         {"date", {0, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0}},
                                                         {"free format", {0, 0, 1, 1, 1, 1, 1, 1, 1, 0, 1}},
                                                         {"frame count", {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}}};

std::vector<int> switchedAvailability(const json& panel) {
  std::vector<int> out;
  for (const std::string& name : kSwitched)
    for (const json& control : panel["controls"])
      if (control["parameter"] == name) out.push_back(control["available"].get<bool>() ? 1 : 0);
  return out;
}

TEST_F(StudioApi, ThePanelListsEveryRegisteredControlInTreeOrder) {
  const json panel = get("/api/panel");
  ASSERT_EQ(panel["controls"].size(), 60u);
  // Spot checks along the tree: the top-level controls, a list's items, the
  // colour control's channels, the last control.
  std::vector<std::string> topLevel;
  for (const json& control : panel["controls"])
    if (control["depth"] == 0)
      topLevel.push_back(control["label"].is_null() ? "" : control["label"].get<std::string>());
  EXPECT_EQ(topLevel, (std::vector<std::string>{"Digital Clock Alignment", "Clock Type List", "Position/Size", "Time",
                                                "Colors", "Timer Style"}));
  const json& alignment = panel["controls"][1];
  EXPECT_EQ(alignment["kind"], "pop-up list");
  EXPECT_EQ(alignment["parameter"], "Alignment List");
  EXPECT_EQ(panel["controls"][2]["label"], "Left Alignment");
  EXPECT_EQ(panel["controls"][2]["value"], 2);
  EXPECT_TRUE(panel["controls"][4]["value"].is_null()) << "Right Alignment is registered without a value";
  const json& x = panel["controls"][10];
  EXPECT_EQ(x["kind"], "slider");
  EXPECT_EQ(x["parameter"], "X");
  EXPECT_EQ(x["minimum"], 0.0);
  EXPECT_EQ(x["maximum"], 100.0);
  EXPECT_EQ(x["step"], 0.05);
  for (const json& control : panel["controls"])
    if (control["kind"] == "colour control") {
      EXPECT_EQ(control["channels"].size(), 3u) << control["label"];
    }
  EXPECT_EQ(panel["controls"][59]["kind"], "text field");
  EXPECT_EQ(panel["commands"][0]["label"], "Digital Clock: Select Font");
}

TEST_F(StudioApi, EachTimerStyleGreysWhatTheUpdateHandlerSwitchesOff) {
  struct Case {
    int style;
    std::string group;  // what the controls show afterwards
  };
  // Out-of-range styles change nothing, so each follows a known state.
  const std::vector<Case> cases = {{0, "time of day"},  {1, "time of day"}, {2, "time of day"},  {3, "time of day"},
                                   {4, "time of day"},  {5, "time of day"}, {6, "time of day"},  {7, "time of day"},
                                   {8, "time of day"},  {9, "time of day"}, {10, "timecode"},    {-1, "timecode"},
                                   {11, "date"},        {12, "date"},       {13, "free format"}, {16, "free format"},
                                   {14, "frame count"}, {15, "frame count"}};
  std::set<int> checked;
  for (const Case& c : cases) {
    set("Style List", c.style);
    EXPECT_EQ(switchedAvailability(get("/api/panel")), kGroups.at(c.group)) << "style " << c.style;
    checked.insert(c.style);
  }
  EXPECT_EQ(checked.size(), 18u);
  // Controls the handler never touches stay available.
  const json panel = get("/api/panel");  // the loop must not outlive it
  for (const json& control : panel["controls"])
    if (control["parameter"] == "Start Time Hour" || control["parameter"] == "X") {
      EXPECT_TRUE(control["available"]);
    }
}

TEST_F(StudioApi, ASettingByNameChangesTheNextFrameAndOnlyThat) {
  const std::string before = bytes("/api/frame.png?time=5");
  EXPECT_EQ(bytes("/api/frame.png?time=5"), before) << "the same values give the same picture";
  set("X", 20);
  EXPECT_EQ(value("X"), 20.0);
  EXPECT_NE(bytes("/api/frame.png?time=5"), before);
  set("X", 50);
  EXPECT_EQ(bytes("/api/frame.png?time=5"), before);
  // Texts of list items and colours, as --set takes them.
  set("the List value", "Digital Clock");
  EXPECT_EQ(value("the List value"), 1.0);
  set("Foreground RGB Color", "#FF8000");
  EXPECT_EQ(value("Foreground Green"), 128.0);
}

TEST_F(StudioApi, KeyframesAnimateAndCanBeRemoved) {
  post("/api/parameters", {{"name", "Y"}, {"value", 20}, {"time", 0}, {"keyframe", true}});
  post("/api/parameters", {{"name", "Y"}, {"value", 80}, {"time", 10}, {"keyframe", true}});
  EXPECT_DOUBLE_EQ(value("Y", 5), 50.0);
  // A change of an animated parameter at a time sets the keyframe there.
  set("Y", 60, 10);
  EXPECT_DOUBLE_EQ(value("Y", 5), 40.0);
  EXPECT_EQ(get("/api/parameters?time=0")["parameters"]["Y"]["keyframes"], json({0.0, 10.0}));
  post("/api/keyframes/remove", {{"name", "Y"}, {"time", 10}});
  post("/api/keyframes/remove", {{"name", "Y"}, {"time", 0}});
  EXPECT_EQ(get("/api/parameters")["parameters"]["Y"]["keyframes"], json::array());
  EXPECT_DOUBLE_EQ(value("Y", 7), 20.0) << "the last keyframe's value stays";
}

// A 400 x 200 viewer of a 16:9 clip: A = 1 / (2e) = 9 / 32.
constexpr int kViewerWidth = 400;
constexpr int kViewerHeight = 200;

json pointer(double x, double y) {
  return {{"x", x}, {"y", y}, {"width", kViewerWidth}, {"height", kViewerHeight}, {"time", 0}};
}

TEST_F(StudioApi, ThePressOnTheRingResizesAndOnTheCentreMovesTheClock) {
  set("the List value", 0);  // the analog clock: S = Size / 100 = 0.5
  // On the ring to the right of the centre, then 0.1 below the centre:
  // d = 0.1 / 0.5 = 0.2, so Size = 20.
  EXPECT_EQ(post("/api/viewer/press", pointer(kViewerWidth * (0.5 + 0.5 * 9.0 / 32.0), 100))["answer"], 1);
  const json sized = post("/api/viewer/drag", pointer(200, 120));
  post("/api/viewer/release", pointer(200, 120));
  EXPECT_NEAR(sized["Size"].get<double>(), 20.0, 1e-9);
  EXPECT_EQ(sized["X"], 50.0);

  // With S = 0.6 the centre lies 0.6 from the ring, beyond the tolerance
  // 0.3: a press there grabs the centre.
  set("Size", 60);
  EXPECT_EQ(post("/api/viewer/press", pointer(200, 100))["answer"], 1);
  post("/api/viewer/drag", pointer(100, 150));
  const json moved = post("/api/viewer/release", pointer(100, 150));
  EXPECT_NEAR(moved["X"].get<double>(), 25.0, 1e-9);
  EXPECT_NEAR(moved["Y"].get<double>(), 75.0, 1e-9);
  EXPECT_EQ(moved["Size"], 60.0);

  // In drag mode the clock keeps its offset from the mouse.
  post("/api/viewer/settings", {{"mode", 2}});
  EXPECT_EQ(post("/api/viewer/press", pointer(110, 150))["answer"], 1);
  const json dragged = post("/api/viewer/drag", pointer(210, 110));
  EXPECT_NEAR(dragged["X"].get<double>(), 50.0, 1e-9);
  EXPECT_NEAR(dragged["Y"].get<double>(), 55.0, 1e-9);
}

TEST_F(StudioApi, TheViewerPictureCarriesTheMarker) {
  const std::string withMarker = bytes("/api/viewer.png?time=0&width=400&height=200");
  set("Size", 30);
  EXPECT_NE(bytes("/api/viewer.png?time=0&width=400&height=200"), withMarker);
  EXPECT_EQ(withMarker.substr(1, 3), "PNG");
}

TEST_F(StudioApi, TheFontChoiceStoresTheDialogsRecord) {
  const json families = get("/api/fonts")["families"];
  ASSERT_FALSE(families.empty());
  ASSERT_NE(std::find(families.begin(), families.end(), "DejaVu Serif"), families.end());
  const json record = post("/api/font", {{"face", "DejaVu Serif"}, {"height", 40}, {"bold", true}, {"italic", true}});

  LOGFONTW opened{};
  opened.lfHeight = -32;
  opened.lfCharSet = 1;
  const LOGFONTW expected =
      testhost::applyFontChoice(opened, testhost::FontChoice{u"DejaVu Serif", 40, 700, true, false, false});
  std::vector<uint8_t> bytes(sizeof expected);
  std::memcpy(bytes.data(), &expected, sizeof expected);
  EXPECT_EQ(record["bytes"], testhost::hexText(bytes));
  EXPECT_EQ(record["face"], "DejaVu Serif");
  EXPECT_EQ(record["weight"], 700);

  // A cancelled dialog keeps the record.
  EXPECT_EQ(post("/api/font", {{"cancel", true}})["bytes"], record["bytes"]);
}

// The message `horaz render --set ARGUMENT` gives.
std::string setMessage(const std::string& argument) {
  testhost::RenderHost host;
  std::vector<std::string> notes;
  try {
    testhost::resolveSetting(testhost::parameterRules(host.model()), argument, notes);
  } catch (const testhost::SettingError& error) {
    return error.what();
  }
  return "(accepted)";
}

TEST_F(StudioApi, BadRequestsAreRefusedAndChangeNothing) {
  set("X", 30);
  const json projectBefore = get("/api/project");
  const std::string frameBefore = bytes("/api/frame.png?time=3");

  struct Case {
    std::string what;
    std::string path;
    std::string body;
    int status;
    std::string message;  // the whole message, when it is fixed
  };
  const std::vector<Case> cases = {
      {"malformed JSON", "/api/parameters", "{\"name\": \"X\",", 400, "the request body is not valid JSON"},
      {"not an object", "/api/parameters", "[1]", 400, "the request body must be a JSON object"},
      {"unknown parameter", "/api/parameters", R"({"name": "Z", "value": 1})", 400, setMessage("Z=1")},
      {"out of range", "/api/parameters", R"({"name": "X", "value": 500})", 400, setMessage("X=500")},
      {"not a number", "/api/parameters", R"({"name": "Size", "value": "big"})", 400, setMessage("Size=big")},
      {"keyframe out of range", "/api/parameters", R"({"name": "Y", "value": -1, "time": 4, "keyframe": true})", 400,
       setMessage("Y@4=-1")},
      {"no keyframe there", "/api/keyframes/remove", R"({"name": "X", "time": 3})", 400,
       "X has no keyframe at frame 3"},
      {"font not installed", "/api/font", R"({"face": "No Such Face"})", 400, ""},
      {"project with one bad value", "/api/project",
       R"({"horazProject": 1, "parameters": {"X": {"value": 10}, "Size": {"value": 101}}})", 400,
       setMessage("Size=101")},
      {"not a project", "/api/project", R"({"parameters": {}})", 400, ""},
      {"render outside the folder", "/api/render", R"({"path": "../escape.y4m"})", 400, ""},
      {"render to an absolute path", "/api/render", R"({"path": "/tmp/escape.y4m"})", 400, ""},
      {"viewer too large", "/api/viewer/press", R"({"x": 1, "y": 1, "width": 100000, "height": 10})", 400, ""},
      {"unknown mode", "/api/viewer/settings", R"({"mode": 7})", 400, ""},
      {"clip that does not exist", "/api/clip", R"({"input": {"source": "missing.y4m"}})", 400, ""},
      {"body too large", "/api/parameters", std::string(studio::kLargestRequestBody + 1, ' '), 413, ""},
  };
  for (const Case& c : cases) {
    const httplib::Result result = client_->Post(c.path, c.body, "application/json");
    ASSERT_TRUE(result) << c.what;
    EXPECT_EQ(result->status, c.status) << c.what << ": " << result->body;
    const json answer = json::parse(result->body, nullptr, false);
    ASSERT_TRUE(answer.contains("error")) << c.what << ": " << result->body;
    if (!c.message.empty()) {
      EXPECT_EQ(answer["error"], c.message) << c.what;
    }
  }

  // Without the token, or with another, nothing is served.
  httplib::Client stranger("127.0.0.1", server_->port());
  EXPECT_EQ(stranger.Get("/")->status, 403);
  EXPECT_EQ(stranger.Get("/api/panel?token=0123")->status, 403);
  EXPECT_EQ(stranger.Post("/api/parameters", R"({"name": "X", "value": 1})", "application/json")->status, 403);
  EXPECT_EQ(stranger.Get("/?token=" + server_->token())->status, 200);

  EXPECT_EQ(get("/api/project"), projectBefore);
  EXPECT_EQ(bytes("/api/frame.png?time=3"), frameBefore);
  EXPECT_TRUE(std::filesystem::is_empty(folder_.path()));
}

TEST_F(StudioApi, TwoTabsAtOnceSeeOneProject) {
  // Two clients change different parameters and read pictures meanwhile.
  const auto tab = [&](const std::string& name, int offset) {
    httplib::Client client("127.0.0.1", server_->port());
    client.set_default_headers({{"X-Horaz-Token", server_->token()}});
    for (int i = 0; i < 20; ++i) {
      const json change = {{"name", name}, {"value", offset + i}};
      EXPECT_EQ(client.Post("/api/parameters", change.dump(), "application/json")->status, 200);
      EXPECT_EQ(client.Get("/api/viewer.png?width=320&height=180")->status, 200);
    }
  };
  std::thread first(tab, "X", 10);
  std::thread second(tab, "Y", 40);
  first.join();
  second.join();
  EXPECT_EQ(value("X"), 29.0);
  EXPECT_EQ(value("Y"), 59.0);
}

}  // namespace
}  // namespace horaz::test
