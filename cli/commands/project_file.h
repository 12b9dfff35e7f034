#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "testhost/font_choice.h"

namespace horaz::cli {

// A project file that cannot be read; the message says where and why.
class ProjectError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One parameter as a project keeps it: its value as `horaz render --set`
// takes it ("50", "Digital Clock" is kept as its value "1", a text as it
// is) and its keyframes by clip frame.
struct ParameterValue {
  std::string value;
  std::map<double, std::string> keyframes;
  friend bool operator==(const ParameterValue&, const ParameterValue&) = default;
};

// The clip the clock is drawn over, as `horaz render` takes it.
struct InputSettings {
  std::string source = "pattern";  // pattern, color:R,G,B, FILE.y4m, FILE.png
  std::string size = "1920x1080";  // used where the source has no size of its own
  std::string frameRate = "25";
  std::string pixelAspect = "1";
  std::string fields = "none";  // none, upper, lower
  std::string format = "rgba";  // rgba, bgra, argb, cbycry, ycbycr
  friend bool operator==(const InputSettings&, const InputSettings&) = default;
};

struct OutputSettings {
  std::string path = "clock.y4m";  // under the studio's output folder
  int64_t frames = 50;
  int64_t start = 0;
  friend bool operator==(const OutputSettings&, const OutputSettings&) = default;
};

// Everything that makes a render: every parameter with its keyframes, the
// font chosen in the font dialog (none: the effect's default record), the
// input and the output. The studio saves and loads it as JSON;
// `horaz render --project` renders it.
struct Project {
  std::map<std::string, ParameterValue> parameters;  // by registered name
  std::optional<testhost::FontChoice> font;
  InputSettings input;
  OutputSettings output;
};

nlohmann::json toJson(const Project& project);
// Throws ProjectError for JSON of the wrong shape; the values themselves are
// checked where they are applied (renderArguments and parseRenderOptions).
Project projectFromJson(const nlohmann::json& json);
// Reads and parses a project file. Throws ProjectError.
Project readProjectFile(const std::string& path);

// The `--font` text of a choice: "FACE[:bold][:italic][:underline][:strikeout]:HEIGHT".
std::string fontArgument(const testhost::FontChoice& choice);

// The arguments of `horaz render` that render the project, without -o:
// the input options, then every parameter that differs from `initial`
// (constants as NAME=VALUE, keyframes as NAME@FRAME=VALUE), then the font.
// A file input brings its own frame size, so --size is given only for the
// generated ones.
std::vector<std::string> renderArguments(const Project& project,
                                         const std::map<std::string, ParameterValue>& initial = {});

// Whether the input is made in memory (the test pattern, a colour) rather
// than read from a file.
bool isGeneratedSource(const std::string& source);

// The arguments as one line a POSIX shell reads back as the same words.
std::string shellCommand(const std::vector<std::string>& words);

}  // namespace horaz::cli
