// `horaz describe` and the tool's own options, run as a separate program.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "json_reader.h"

namespace horaz::test {
namespace {

struct ToolRun {
  int exitCode;
  std::string out;
};

// Runs the tool with `arguments`; standard error is discarded.
ToolRun runTool(const std::string& arguments) {
  const std::string command = std::string("'") + HORAZ_CLI_PATH + "' " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, {}};
  std::string out;
  char buffer[4096];
  while (size_t read = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, read);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case digits (or
// either case with `anyCase`).
bool isId(const std::string& text, bool anyCase) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const char c = text[i];
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? c != '-'
             : !(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F') ||
                 (anyCase && c >= 'a' && c <= 'f')))
      return false;
  }
  return true;
}

int countKinds(const Json& controls, std::map<std::string, int>& kinds) {
  int count = 0;
  for (const Json& control : controls.items) {
    ++kinds[control["kind"].string];
    count += 1 + countKinds(control["children"], kinds);
  }
  return count;
}

TEST(DescribeCommandTest, JsonHoldsThePluginComponentsParametersAndPanel) {
  const ToolRun run = runTool("describe --json");
  ASSERT_EQ(run.exitCode, 0);
  const Json document = JsonReader::parse(run.out);

  const Json& plugin = document["plugin"];
  EXPECT_EQ(plugin["id"].string, "{E2AE8A98-3299-4E5B-B565-B9A456D0451D}");
  EXPECT_EQ(plugin["name"].string, "AVX2Horaz");
  EXPECT_EQ(plugin["vendor"].string, "Quorix");
  EXPECT_EQ(plugin["vendorId"].string, "{BD5826BE-5C69-4612-9CED-67C815EBBA66}");
  EXPECT_EQ(plugin["file"].string, "AVX2Horaz.avx");
  EXPECT_EQ(plugin["description"].string, "AVX 2 plugin Horaz");

  const Json& components = document["components"];
  ASSERT_EQ(components.items.size(), 4u);
  EXPECT_EQ(components.items[3]["index"].number, 3);
  EXPECT_EQ(components.items[3]["name"].string, "AVX2Horaz Overlay");
  EXPECT_EQ(components.items[3]["componentId"].string, "{EA643A2A-CF57-4462-8BCB-52FD54EAE2EC}");
  EXPECT_EQ(components.items[3]["kindId"].string, "{0A1C8A58-CBE3-4690-9C46-2EA1B0795BDE}");
  EXPECT_EQ(components.items[3]["classId"].string, "{F2745EF4-1E90-4CFC-8C78-0DC08F3F29FC}");
  EXPECT_EQ(components.items[0]["attributes"].items.size(), 5u);

  const Json& parameters = document["parameters"];
  ASSERT_EQ(parameters.items.size(), 33u);
  const Json& speed = parameters.items[15];
  EXPECT_EQ(speed["name"].string, "Time Speed Factor");
  EXPECT_EQ(speed["type"].string, "speed integer");
  EXPECT_EQ(speed["default"].number, 1);
  EXPECT_EQ(speed["min"].number, -500);
  EXPECT_EQ(speed["max"].number, 500);
  EXPECT_EQ(speed["step"].number, 1);
  EXPECT_EQ(parameters.items[12]["step"].number, 0.05);
  EXPECT_EQ(parameters.items[4]["type"].string, "colour");
  ASSERT_EQ(parameters.items[4]["components"].items.size(), 3u);
  EXPECT_EQ(parameters.items[4]["components"].items[2].string, "Foreground Blue");
  EXPECT_EQ(parameters.items[0].find("default"), nullptr) << "lists declare no default";
  EXPECT_EQ(parameters.items[32]["default"].string.size(), 184u) << "92 bytes in hexadecimal";
  EXPECT_EQ(parameters.items[32]["default"].string.substr(0, 8), "E0FFFFFF");

  const Json& panel = document["panel"];
  ASSERT_EQ(panel.items.size(), 6u);
  std::map<std::string, int> kinds;
  EXPECT_EQ(countKinds(panel, kinds), 60);
  EXPECT_EQ(kinds["list item"], 21);
  EXPECT_EQ(kinds["slider"], 25);
  const Json& rightAlignment = panel.items[0]["children"].items[0]["children"].items[2];
  EXPECT_EQ(rightAlignment["label"].string, "Right Alignment");
  EXPECT_EQ(rightAlignment["value"].kind, Json::Kind::Null);
  EXPECT_EQ(panel.items[2]["children"].items[0]["label"].kind, Json::Kind::Null);
  EXPECT_EQ(panel.items[2]["children"].items[0]["parameter"].string, "X");

  // Every id is written in braces in upper case.
  int ids = 0;
  for (size_t open = run.out.find('{'); open != std::string::npos; open = run.out.find('{', open + 1)) {
    const std::string candidate = run.out.substr(open, 38);
    if (!isId(candidate, true)) continue;
    ++ids;
    EXPECT_TRUE(isId(candidate, false)) << candidate;
  }
  EXPECT_GT(ids, 100);
}

TEST(DescribeCommandTest, TextShowsThePanelAsATree) {
  const ToolRun run = runTool("describe");
  ASSERT_EQ(run.exitCode, 0);
  for (const char* line : {"group \"Digital Clock Alignment\"", "│  └─ pop-up list \"Alignment\" -> Alignment List",
                           "│     └─ list item \"Right Alignment\" (no value)", "│  │  ├─ slider -> Start Time Hour",
                           "└─ group \"Timer Style\"", "   └─ text field \"Start Time\" -> Start Time"})
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
  EXPECT_NE(run.out.find("Parameters (33)"), std::string::npos);
}

TEST(DescribeCommandTest, OptionsAndFailures) {
  EXPECT_EQ(runTool("--version").exitCode, 0);
  EXPECT_NE(runTool("--version").out.find("horaz "), std::string::npos);
  EXPECT_EQ(runTool("--help").exitCode, 0);
  EXPECT_NE(runTool("--help").out.find("describe [--plugin PATH] [--json]"), std::string::npos);
  EXPECT_EQ(runTool("").exitCode, 2);
  EXPECT_EQ(runTool("frobnicate").exitCode, 2);
  EXPECT_EQ(runTool("describe --colour").exitCode, 2);
  EXPECT_EQ(runTool("describe --plugin /nonexistent/AVX2Horaz.avx").exitCode, 1);
  EXPECT_EQ(runTool("describe --plugin /etc/hostname").exitCode, 1) << "not a library";
}

}  // namespace
}  // namespace horaz::test
