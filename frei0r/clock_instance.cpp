#include "frei0r/clock_instance.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "frei0r/frei0r_api.h"

#include "frei0r/host_values.h"
#include "frei0r/plugin_location.h"
#include "host/vocabulary.h"
#include "testhost/font_selection.h"
#include "testhost/registration.h"

namespace horaz::frei0r {
namespace {

using Role = FilterParameter::Role;

// Larger frames than any host makes; the pair of frames stays below 2 GiB.
constexpr unsigned kLargestSide = 16384;
// A text parameter longer than this is refused (the effect shows 255
// characters at most).
constexpr size_t kLongestText = 1024;

int32_t checkedSide(unsigned side, const char* what) {
  if (side == 0 || side > kLargestSide)
    throw std::invalid_argument(std::string("a frame ") + what + " of " + std::to_string(side) +
                                " pixels is outside 1 to " + std::to_string(kLargestSide));
  return static_cast<int32_t>(side);
}

// A text parameter arrives as a pointer to the host's char*.
std::string textArgument(const void* value) {
  const char* text = *static_cast<const char* const*>(value);
  return text ? std::string(text, strnlen(text, kLongestText + 1)) : std::string();
}

// Lays the input and output frames over the host's buffers for one render.
class FramesOver {
 public:
  FramesOver(testhost::HostFrame& input, uint8_t* in, testhost::HostFrame& output, uint8_t* out)
      : input_(input), output_(output) {
    input_.usePixelsAt(in);
    output_.usePixelsAt(out);
  }
  ~FramesOver() {
    input_.usePixelsAt(nullptr);
    output_.usePixelsAt(nullptr);
  }
  FramesOver(const FramesOver&) = delete;
  FramesOver& operator=(const FramesOver&) = delete;

 private:
  testhost::HostFrame& input_;
  testhost::HostFrame& output_;
};

}  // namespace

ClockInstance::ClockInstance(unsigned width, unsigned height)
    : host_(locatePlugin()), rules_(testhost::parameterRules(host_.model())), parameters_(filterParameters(rules_)) {
  const int32_t w = checkedSide(width, "width");
  const int32_t h = checkedSide(height, "height");
  testhost::FrameFormat format;
  format.pixels = testhost::PixelFormat::kRgba;
  input_ = host_.makeFrame(w, h, format);
  output_ = host_.makeFrame(w, h, format);
  settings_.framesPerSecond = kDefaultFrameRate;
  settings_.aspect = static_cast<double>(w) / h;
  // The font record: the one data block among the parameters.
  const auto fontRecord = std::find_if(rules_.begin(), rules_.end(), [](const testhost::ParameterRule& rule) {
    return rule.kind == testhost::ParameterRule::Kind::kData;
  });
  if (fontRecord == rules_.end()) throw std::runtime_error("the effect registers no font record");
  fontRecordId_ = fontRecord->record->id;
  defaultFontRecord_ = host_.store().currentValue(fontRecordId_);
  texts_.resize(parameters_.size());
  for (size_t i = 0; i < parameters_.size(); ++i)
    if (parameters_[i].role == Role::kPanel && parameters_[i].type == F0R_PARAM_STRING) {
      const std::vector<uint8_t> bytes = host_.store().currentValue(rules_[parameters_[i].rule].record->id);
      texts_[i].assign(bytes.begin(), bytes.end());
    }
}

void ClockInstance::setParameter(int index, const void* value) {
  std::lock_guard lock(mutex_);
  if (index < 0 || static_cast<size_t>(index) >= parameters_.size() || !value) {
    report("parameter " + std::to_string(index) + (value ? " does not exist" : " was given no value"));
    return;
  }
  const FilterParameter& parameter = parameters_[index];
  switch (parameter.role) {
    case Role::kPanel: {
      const testhost::ParameterRule& rule = rules_[parameter.rule];
      if (parameter.type == F0R_PARAM_COLOR) {
        const auto* colour = static_cast<const f0r_param_color_t*>(value);
        const float channels[] = {colour->r, colour->g, colour->b};
        for (size_t i = 0; i < 3 && i < rule.channels.size(); ++i)
          host_.store().set(rule.channels[i]->id, storeBytes(ruleOf(rule.channels[i]), channelValue(channels[i])));
      } else if (parameter.type == F0R_PARAM_STRING) {
        const std::string text = textArgument(value);
        if (text != texts_[index] && setText(parameter, text)) texts_[index] = text;
      } else {
        host_.store().set(rule.record->id, storeBytes(rule, *static_cast<const double*>(value)));
      }
      return;
    }
    case Role::kFont: {
      const std::string text = textArgument(value);
      if (text == texts_[index]) return;  // hosts that set every value every frame choose the font once
      if (!acceptLength(parameter, text)) return;
      texts_[index] = text;
      setFont(text);
      return;
    }
    case Role::kFrameRate: settings_.framesPerSecond = frameRateValue(*static_cast<const double*>(value)); return;
    case Role::kSettings: {
      const std::string text = textArgument(value);
      if (text == texts_[index] || !acceptLength(parameter, text)) return;
      texts_[index] = text;
      applySettings(text);
      return;
    }
  }
}

void ClockInstance::getParameter(int index, void* value) {
  std::lock_guard lock(mutex_);
  if (index < 0 || static_cast<size_t>(index) >= parameters_.size() || !value) return;
  const FilterParameter& parameter = parameters_[index];
  if (parameter.type == F0R_PARAM_STRING) {
    *static_cast<const char**>(value) = texts_[index].c_str();
    return;
  }
  if (parameter.role == Role::kFrameRate) {
    *static_cast<double*>(value) = settings_.framesPerSecond;
    return;
  }
  const testhost::ParameterRule& rule = rules_[parameter.rule];
  if (parameter.type == F0R_PARAM_COLOR) {
    float channels[3] = {0.0f, 0.0f, 0.0f};
    for (size_t i = 0; i < 3 && i < rule.channels.size(); ++i)
      channels[i] = static_cast<float>(host_.store().doubleAt(rule.channels[i]->id, 0.0) / 255.0);
    *static_cast<f0r_param_color_t*>(value) = {channels[0], channels[1], channels[2]};
    return;
  }
  *static_cast<double*>(value) = rule.kind == testhost::ParameterRule::Kind::kDouble
                                     ? host_.store().doubleAt(rule.record->id, 0.0)
                                     : static_cast<double>(host_.store().intAt(rule.record->id, 0.0));
}

void ClockInstance::update(double seconds, const uint32_t* in, uint32_t* out) {
  std::lock_guard lock(mutex_);
  if (!in || !out) {
    report("the host passed no frame; nothing is drawn");
    return;
  }
  testhost::HostFrame& input = *input_.get();
  testhost::HostFrame& output = *output_.get();
  const size_t frameBytes = static_cast<size_t>(input.stride()) * static_cast<size_t>(input.height());
  const auto* source = reinterpret_cast<const uint8_t*>(in);
  auto* target = reinterpret_cast<uint8_t*>(out);
  // The render reads and writes the host's own buffers, which have the
  // frames' layout (rows of width x 4 bytes, no padding). The effect only
  // reads its input frame.
  const FramesOver lent(input, const_cast<uint8_t*>(source), output, target);
  const acf::Result result =
      host_.renderFrame(clockFrame(seconds, settings_.framesPerSecond), input, output, settings_);
  if (!acf::failed(result)) return;
  report("the effect failed with " + testhost::resultText(result) + "; the frame is passed on");
  if (target != source) std::memmove(target, source, frameBytes);
}

bool ClockInstance::setText(const FilterParameter& parameter, const std::string& text) {
  return acceptLength(parameter, text) && applySetting(parameter.name + "=" + text);
}

bool ClockInstance::acceptLength(const FilterParameter& parameter, const std::string& text) {
  if (text.size() <= kLongestText) return true;
  report(parameter.name + ": a text longer than " + std::to_string(kLongestText) + " bytes is refused");
  return false;
}

void ClockInstance::setFont(const std::string& text) {
  if (text.empty()) {
    host_.store().set(fontRecordId_, defaultFontRecord_);
    return;
  }
  try {
    const testhost::FontChoice choice = testhost::parseFontChoice(text);
    // The font command's dialog answer is process-wide: one instance at a time.
    static std::mutex fontCommand;
    std::lock_guard lock(fontCommand);
    testhost::selectFont(host_, choice, settings_);
  } catch (const std::exception& error) {
    report(std::string("Font: ") + error.what() + "; the font is left as it was");
  }
}

void ClockInstance::applySettings(const std::string& text) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find(';', start), text.size());
    const std::string setting = text.substr(start, end - start);
    start = end + 1;
    if (setting.find_first_not_of(" \t") != std::string::npos) applySetting(setting);
  }
}

bool ClockInstance::applySetting(const std::string& setting) {
  try {
    std::vector<std::string> notes;
    store(testhost::resolveSetting(rules_, setting, notes));
    for (const std::string& note : notes) report(note);
    return true;
  } catch (const std::exception& error) {
    report(std::string(error.what()) + "; left as it was");
    return false;
  }
}

void ClockInstance::store(const std::vector<testhost::ParameterAssignment>& assignments) {
  for (const testhost::ParameterAssignment& assignment : assignments) {
    if (assignment.keyframe)
      host_.store().setKeyframe(assignment.id, *assignment.keyframe, assignment.bytes);
    else
      host_.store().set(assignment.id, assignment.bytes);
  }
}

const testhost::ParameterRule& ClockInstance::ruleOf(const testhost::ParameterRecord* record) const {
  const auto found = std::find_if(rules_.begin(), rules_.end(),
                                  [&](const testhost::ParameterRule& rule) { return rule.record == record; });
  if (found == rules_.end()) throw std::logic_error("a colour channel without a rule");
  return *found;
}

void ClockInstance::report(const std::string& message) {
  // Hosts that set every value every frame would repeat a complaint on
  // every frame; each is said once per instance.
  if (reported_.size() > 256) reported_.clear();
  if (reported_.insert(message).second) std::cerr << "horaz_clock: " << message << '\n';
}

}  // namespace horaz::frei0r
