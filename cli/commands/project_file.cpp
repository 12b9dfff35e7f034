#include "cli/commands/project_file.h"

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "testhost/parameter_settings.h"
#include "testhost/registration_model.h"

namespace horaz::cli {

using testhost::ParameterAssignment;
using testhost::ParameterRule;
using testhost::parseFontChoice;
using testhost::resolveSetting;
using testhost::SettingError;
namespace {

using nlohmann::json;

constexpr int kProjectVersion = 1;

// A JSON value as --set text: numbers in their shortest exact form.
std::string settingText(const json& value, const std::string& where) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "1" : "0";
  if (value.is_number()) return testhost::numberText(value.get<double>());
  throw ProjectError(where + " must be a number or a text");
}

// A setting text back as JSON: a number when it reads as one exactly.
json settingJson(const std::string& text) {
  if (text.empty()) return text;
  size_t used = 0;
  try {
    const double number = std::stod(text, &used);
    if (used == text.size() && testhost::numberText(number) == text) return number;
  } catch (const std::exception&) {
  }
  return text;
}

template <class Value>
Value field(const json& object, const char* name, const Value& fallback, const std::string& where) {
  const auto found = object.find(name);
  if (found == object.end() || found->is_null()) return fallback;
  try {
    return found->get<Value>();
  } catch (const json::exception&) {
    throw ProjectError(where + "." + name + " has the wrong type");
  }
}

std::string quoteForShell(const std::string& word) {
  const bool plain = !word.empty() && word.find_first_not_of(
                                          "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                          "0123456789-_./:=,%@+") == std::string::npos;
  if (plain) return word;
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

bool isGeneratedSource(const std::string& source) { return source == "pattern" || source.rfind("color:", 0) == 0; }

json toJson(const Project& project) {
  json parameters = json::object();
  for (const auto& [name, parameter] : project.parameters) {
    json entry = {{"value", settingJson(parameter.value)}};
    if (!parameter.keyframes.empty()) {
      json keyframes = json::array();
      for (const auto& [frame, value] : parameter.keyframes)
        keyframes.push_back({{"frame", frame}, {"value", settingJson(value)}});
      entry["keyframes"] = keyframes;
    }
    parameters[name] = entry;
  }
  json font = nullptr;
  if (project.font) {
    const testhost::FontChoice& choice = *project.font;
    font = {{"face", testhost::toUtf8(choice.faceName)},
            {"height", choice.height},
            {"bold", choice.weight >= 700},
            {"italic", choice.italic},
            {"underline", choice.underline},
            {"strikeout", choice.strikeOut}};
  }
  return {
      {"horazProject", kProjectVersion},
      {"parameters", parameters},
      {"font", font},
      {"input",
       {{"source", project.input.source},
        {"size", project.input.size},
        {"frameRate", project.input.frameRate},
        {"pixelAspect", project.input.pixelAspect},
        {"fields", project.input.fields},
        {"format", project.input.format}}},
      {"output", {{"path", project.output.path}, {"frames", project.output.frames}, {"start", project.output.start}}}};
}

Project projectFromJson(const json& document) {
  if (!document.is_object()) throw ProjectError("a project is a JSON object");
  const int version = field<int>(document, "horazProject", 0, "project");
  if (version != kProjectVersion)
    throw ProjectError("not a horaz project (\"horazProject\": " + std::to_string(kProjectVersion) + " is missing)");
  Project project;
  if (const auto parameters = document.find("parameters"); parameters != document.end()) {
    if (!parameters->is_object()) throw ProjectError("parameters must be an object");
    for (const auto& [name, entry] : parameters->items()) {
      const std::string where = "parameters." + name;
      if (!entry.is_object() || !entry.contains("value")) throw ProjectError(where + " needs a \"value\"");
      ParameterValue parameter;
      parameter.value = settingText(entry["value"], where + ".value");
      if (const auto keyframes = entry.find("keyframes"); keyframes != entry.end()) {
        if (!keyframes->is_array()) throw ProjectError(where + ".keyframes must be a list");
        for (const json& keyframe : *keyframes) {
          if (!keyframe.is_object() || !keyframe.contains("frame") || !keyframe["frame"].is_number() ||
              !keyframe.contains("value"))
            throw ProjectError(where + ".keyframes holds an entry without a numeric \"frame\" and a \"value\"");
          parameter.keyframes[keyframe["frame"].get<double>()] = settingText(keyframe["value"], where + ".keyframes");
        }
      }
      project.parameters[name] = std::move(parameter);
    }
  }
  if (const auto font = document.find("font"); font != document.end() && !font->is_null()) {
    if (!font->is_object()) throw ProjectError("font must be an object or null");
    const std::string face = field<std::string>(*font, "face", "", "font");
    if (face.find(':') != std::string::npos) throw ProjectError("font.face cannot hold ':'");
    std::string text = face;
    for (const char* style : {"bold", "italic", "underline", "strikeout"})
      if (field<bool>(*font, style, false, "font")) text += std::string(":") + style;
    text += ":" + std::to_string(field<int64_t>(*font, "height", 32, "font"));
    testhost::FontChoice choice;
    try {
      choice = parseFontChoice(text);
    } catch (const SettingError& error) {
      throw ProjectError(std::string("font: ") + error.what());
    }
    project.font = choice;
  }
  if (const auto input = document.find("input"); input != document.end()) {
    if (!input->is_object()) throw ProjectError("input must be an object");
    const InputSettings defaults;
    project.input.source = field(*input, "source", defaults.source, "input");
    project.input.size = field(*input, "size", defaults.size, "input");
    project.input.frameRate = field(*input, "frameRate", defaults.frameRate, "input");
    project.input.pixelAspect = field(*input, "pixelAspect", defaults.pixelAspect, "input");
    project.input.fields = field(*input, "fields", defaults.fields, "input");
    project.input.format = field(*input, "format", defaults.format, "input");
  }
  if (const auto output = document.find("output"); output != document.end()) {
    if (!output->is_object()) throw ProjectError("output must be an object");
    const OutputSettings defaults;
    project.output.path = field(*output, "path", defaults.path, "output");
    project.output.frames = field(*output, "frames", defaults.frames, "output");
    project.output.start = field(*output, "start", defaults.start, "output");
  }
  return project;
}

Project readProjectFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ProjectError(path + ": cannot be read");
  std::stringstream text;
  text << file.rdbuf();
  try {
    return projectFromJson(json::parse(text.str()));
  } catch (const json::parse_error& error) {
    throw ProjectError(path + ": not valid JSON (" + error.what() + ")");
  } catch (const ProjectError& error) {
    throw ProjectError(path + ": " + error.what());
  }
}

std::string fontArgument(const testhost::FontChoice& choice) {
  std::string text = testhost::toUtf8(choice.faceName);
  if (choice.weight >= 700) text += ":bold";
  if (choice.italic) text += ":italic";
  if (choice.underline) text += ":underline";
  if (choice.strikeOut) text += ":strikeout";
  return text + ":" + std::to_string(choice.height);
}

std::vector<std::string> renderArguments(const Project& project, const std::map<std::string, ParameterValue>& initial) {
  std::vector<std::string> words = {"--input", project.input.source};
  if (isGeneratedSource(project.input.source)) words.insert(words.end(), {"--size", project.input.size});
  words.insert(words.end(), {"--fps", project.input.frameRate, "--pixel-aspect", project.input.pixelAspect, "--fields",
                             project.input.fields, "--format", project.input.format, "--frames",
                             std::to_string(project.output.frames), "--start", std::to_string(project.output.start)});
  for (const auto& [name, parameter] : project.parameters) {
    if (const auto found = initial.find(name); found != initial.end() && found->second == parameter) continue;
    // Keyframes decide every frame of an animated parameter.
    if (parameter.keyframes.empty()) {
      words.insert(words.end(), {"--set", name + "=" + parameter.value});
      continue;
    }
    for (const auto& [frame, value] : parameter.keyframes)
      words.insert(words.end(), {"--set", name + "@" + testhost::numberText(frame) + "=" + value});
  }
  if (project.font) words.insert(words.end(), {"--font", fontArgument(*project.font)});
  return words;
}

std::string shellCommand(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) line += (line.empty() ? "" : " ") + quoteForShell(word);
  return line;
}

}  // namespace horaz::cli
