#include "studio/studio_session.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <wingdi.h>

#include "host/vocabulary.h"
#include "studio/installed_fonts.h"
#include "studio/preview_png.h"
#include "studio/request_error.h"
#include "testhost/component_instance.h"
#include "testhost/host_object.h"
#include "testhost/registration.h"

namespace horaz::studio {
namespace {

using nlohmann::json;
using Kind = testhost::ParameterRule::Kind;

// The effect's attributes that name its companions by component id.
constexpr acf::Guid kOverlayAttribute = acf::makeGuid("{1DF5C91E-7177-3277-BFEA-37B34A851B7F}");
constexpr acf::Guid kFontActionAttribute = acf::makeGuid("{B37C621C-E2A7-11D6-A33B-00306542A024}");
constexpr acf::Guid kUpdateHandlerAttribute = acf::makeGuid("{0C39EDDF-E166-00AB-ABEA-F2DAC41C3018}");

constexpr int32_t kLargestViewer = 4096;

int effectHandle(const testhost::RegistrationModel& model) {
  const auto& components = model.components();
  for (size_t handle = 0; handle < components.size(); ++handle)
    if (components[handle].effect && components[handle].defined) return static_cast<int>(handle);
  throw std::runtime_error("the plug-in registers no effect");
}

// The companion the effect names under `attribute`.
const testhost::ComponentRecord& companion(const testhost::RegistrationModel& model, const acf::Guid& attribute) {
  const testhost::Attribute* named =
      testhost::findAttribute(model.component(effectHandle(model)).attributes, attribute);
  const std::optional<acf::Guid> componentId = named ? named->asId() : std::nullopt;
  for (const testhost::ComponentRecord& component : model.components())
    if (component.defined && componentId && component.componentId == *componentId) return component;
  throw std::runtime_error("the plug-in does not register the companion " + acf::toString(attribute));
}

template <class Interface>
CountedRef<Interface> makeCompanion(testhost::RenderHost& host, const acf::Guid& attribute) {
  return testhost::createComponentInstance<Interface>(host.library(), host.host().unknown(),
                                                      companion(host.model(), attribute).classId);
}

std::string kindName(Kind kind) {
  switch (kind) {
    case Kind::kInteger: return "integer";
    case Kind::kSpeedInteger: return "speed integer";
    case Kind::kDouble: return "double";
    case Kind::kBoolean: return "boolean";
    case Kind::kText: return "text";
    case Kind::kData: return "data";
    case Kind::kColour: return "colour";
    case Kind::kList: return "list";
  }
  return "unknown";
}

json optionalText(const std::optional<std::u16string>& text) {
  return text ? json(testhost::toUtf8(*text)) : json(nullptr);
}

json numericAttribute(const testhost::Attributes& attributes, const acf::Guid& key) {
  const testhost::Attribute* attribute = testhost::findAttribute(attributes, key);
  if (!attribute) return nullptr;
  if (const auto asDouble = attribute->asDouble()) return *asDouble;
  if (const auto asInteger = attribute->asInteger()) return *asInteger;
  if (const auto asColour = attribute->asColour()) return {(*asColour)[0], (*asColour)[1], (*asColour)[2]};
  return nullptr;
}

// A request's value as the text `--set` takes.
std::string settingText(const json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "1" : "0";
  if (value.is_number()) return testhost::numberText(value.get<double>());
  throw RequestError("\"value\" must be a number or a text");
}

// Nearest-neighbour scaling: the viewer shows the frame at its own size.
void scaleInto(const cli::RgbaPicture& frame, cli::RgbaPicture& viewer) {
  std::vector<int32_t> columns(static_cast<size_t>(viewer.width));
  for (int32_t x = 0; x < viewer.width; ++x)
    columns[static_cast<size_t>(x)] = static_cast<int32_t>(static_cast<int64_t>(x) * frame.width / viewer.width);
  for (int32_t y = 0; y < viewer.height; ++y) {
    const uint8_t* source = frame.row(static_cast<int32_t>(static_cast<int64_t>(y) * frame.height / viewer.height));
    uint8_t* target = viewer.row(y);
    for (int32_t x = 0; x < viewer.width; ++x) std::memcpy(target + 4 * x, source + 4 * columns[x], 4);
  }
}

}  // namespace

StudioSession::StudioSession(const std::filesystem::path& plugin)
    : host_(plugin),
      rules_(testhost::parameterRules(host_.model())),
      fontAction_(makeCompanion<acf::FontSelectionAction>(host_, kFontActionAttribute)),
      overlay_(makeCompanion<acf::Overlay>(host_, kOverlayAttribute)) {
  initial_ = parameterValues();
  auto panel = CountedRef<testhost::HostPanel>::adopt(
      testhost::make<testhost::HostPanel>(host_.sharedLedger(), host_.model(), effectHandle(host_.model())));
  panel_ = std::make_unique<testhost::PanelSession>(makeCompanion<acf::UpdateHandler>(host_, kUpdateHandlerAttribute),
                                                    std::move(panel), host_.sharedStore(), host_.host().unknown());
  if (const acf::Result result = panel_->open(); acf::failed(result))
    throw std::runtime_error("the update handler failed with " + testhost::resultText(result));
  clip_ = std::make_unique<ClipPreview>(host_, input_);
}

StudioSession::~StudioSession() {
  // Everything that holds host objects goes before the host.
  viewer_.reset();
  panel_.reset();
  clip_.reset();
  overlay_.reset();
  fontAction_.reset();
}

const testhost::ParameterRule& StudioSession::rule(const std::string& name) const {
  for (const testhost::ParameterRule& candidate : rules_)
    if (candidate.name == name) return candidate;
  throw RequestError("unknown parameter '" + name + "' (GET /api/parameters lists them all)");
}

std::string StudioSession::valueText(const testhost::ParameterRule& rule, const std::vector<uint8_t>& bytes) const {
  if (rule.kind == Kind::kText) return std::string(bytes.begin(), bytes.end());
  if (rule.kind == Kind::kDouble) {
    double value = 0;
    std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
    return testhost::numberText(value);
  }
  int32_t value = 0;
  std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
  return std::to_string(value);
}

// Every parameter a project keeps: the colours live in their channels and
// the font record in the font choice.
std::map<std::string, cli::ParameterValue> StudioSession::parameterValues() {
  std::map<std::string, cli::ParameterValue> values;
  testhost::ParameterStore& store = host_.store();
  for (const testhost::ParameterRule& rule : rules_) {
    if (rule.kind == Kind::kColour || rule.kind == Kind::kData) continue;
    cli::ParameterValue value;
    value.value = valueText(rule, store.constantValue(rule.record->id));
    for (const auto& [frame, bytes] : store.keyframes(rule.record->id)) value.keyframes[frame] = valueText(rule, bytes);
    values[rule.name] = std::move(value);
  }
  return values;
}

json StudioSession::panel() {
  std::lock_guard lock(mutex_);
  const testhost::RegistrationModel& model = host_.model();
  testhost::HostPanel& panel = panel_->panel();
  json controls = json::array();
  const auto walk = [&](auto& self, int handle, int depth, json parent) -> void {
    const testhost::ControlRecord& control = model.control(handle);
    json entry = {{"index", controls.size()},
                  {"id", acf::toString(control.id)},
                  {"kind", std::string(testhost::controlKindName(control.kind))},
                  {"label", optionalText(control.label)},
                  {"description", optionalText(control.description)},
                  {"depth", depth},
                  {"parent", parent},
                  {"parameter", nullptr},
                  {"available", panel.hasControl(control.id) ? panel.availability(control.id) != 0 : true}};
    if (control.parameter >= 0) {
      const testhost::ParameterRecord& parameter = model.parameter(control.parameter);
      entry["parameter"] = testhost::toUtf8(parameter.name);
      entry["minimum"] = numericAttribute(parameter.attributes, acf::attribute_key::kMinimum);
      entry["maximum"] = numericAttribute(parameter.attributes, acf::attribute_key::kMaximum);
      entry["step"] = numericAttribute(parameter.attributes, acf::attribute_key::kStep);
      entry["default"] = numericAttribute(parameter.attributes, acf::attribute_key::kDefault);
      if (control.kind == testhost::ControlKind::ColourControl) {
        json channels = json::array();
        for (const int channel : parameter.components)
          channels.push_back(testhost::toUtf8(model.parameter(channel).name));
        entry["channels"] = channels;
      }
    }
    if (control.kind == testhost::ControlKind::ListItem)
      entry["value"] = numericAttribute(control.attributes, acf::attribute_key::kDefault);
    const size_t index = controls.size();
    controls.push_back(entry);
    json children = json::array();
    for (const int child : control.children) {
      children.push_back(controls.size());
      self(self, child, depth + 1, index);
    }
    controls[index]["children"] = children;
  };
  for (const int handle : model.component(effectHandle(model)).controls) walk(walk, handle, 0, nullptr);
  const testhost::ComponentRecord& font = companion(model, kFontActionAttribute);
  return {{"controls", controls},
          {"commands", json::array({{{"id", "font"}, {"label", testhost::toUtf8(font.name)}}})}};
}

json StudioSession::parameters(double time) {
  std::lock_guard lock(mutex_);
  testhost::ParameterStore& store = host_.store();
  json out = json::object();
  for (const testhost::ParameterRule& rule : rules_) {
    if (rule.kind == Kind::kColour || rule.kind == Kind::kData) continue;
    const std::vector<uint8_t> bytes = store.valueAt(rule.record->id, time);
    json value;
    if (rule.kind == Kind::kText)
      value = std::string(bytes.begin(), bytes.end());
    else
      value = std::stod(valueText(rule, bytes));
    json keyframes = json::array();
    for (const auto& [frame, unused] : store.keyframes(rule.record->id)) keyframes.push_back(frame);
    out[rule.name] = {
        {"kind", kindName(rule.kind)}, {"value", value}, {"keyframes", keyframes}, {"accepts", rule.accepts()}};
  }
  return {{"time", time}, {"parameters", out}};
}

void StudioSession::setParameter(const std::string& name, const json& value, double time, bool keyframe) {
  if (!std::isfinite(time)) throw RequestError("\"time\" must be a number of frames");
  std::string setting = name;
  if (keyframe) setting += "@" + testhost::numberText(time);
  setting += "=" + settingText(value);
  std::lock_guard lock(mutex_);
  std::vector<std::string> notes;
  std::vector<testhost::ParameterAssignment> assignments;
  try {
    assignments = testhost::resolveSetting(rules_, setting, notes);
  } catch (const testhost::SettingError& error) {
    throw RequestError(error.what());
  }
  testhost::ParameterStore& store = host_.store();
  panel_->setTime(time);
  for (const testhost::ParameterAssignment& assignment : assignments) {
    if (assignment.keyframe)
      store.setKeyframe(assignment.id, *assignment.keyframe, assignment.bytes);
    else
      store.setAtTime(assignment.id, time, assignment.bytes);
  }
}

void StudioSession::removeKeyframe(const std::string& name, double time) {
  std::lock_guard lock(mutex_);
  const testhost::ParameterRule& found = rule(name);
  const auto keyframes = host_.store().keyframes(found.record->id);
  if (!keyframes.contains(time)) throw RequestError(name + " has no keyframe at frame " + testhost::numberText(time));
  host_.store().removeKeyframe(found.record->id, time);
}

void StudioSession::renderInto(double time) {
  if (!std::isfinite(time) || std::fabs(time) > 1e9) throw RequestError("\"time\" must be a number of frames");
  try {
    clip_->render(host_, time, output_.start, picture_);
  } catch (const std::runtime_error& error) {
    throw RequestError(error.what());
  }
}

std::vector<uint8_t> StudioSession::framePng(double time) {
  std::lock_guard lock(mutex_);
  renderInto(time);
  return encodePreviewPng(picture_);
}

void StudioSession::ensureViewer(int32_t width, int32_t height) {
  if (width < 16 || height < 16 || width > kLargestViewer || height > kLargestViewer)
    throw RequestError("the viewer must be from 16x16 to " + std::to_string(kLargestViewer) + "x" +
                       std::to_string(kLargestViewer) + " pixels");
  if (viewer_ && viewer_->context().width() == width && viewer_->context().height() == height) return;
  int32_t mode = 0;
  uint16_t hitScale = 100;
  if (viewer_) {
    mode = viewer_->context().GetMode();
    hitScale = viewer_->context().GetHitScale();
  }
  viewer_.reset();
  viewer_ = std::make_unique<testhost::HostViewer>(host_.sharedLedger(), host_.sharedStore(), width, height);
  viewer_->setMode(mode);
  viewer_->setHitScale(hitScale);
  viewer_->setAspect(clip_->settings().aspect);
  if (const acf::Result result = viewer_->attach(overlay_); acf::failed(result))
    throw std::runtime_error("the overlay refused the viewer: " + testhost::resultText(result));
}

std::vector<uint8_t> StudioSession::viewerPng(double time, int32_t width, int32_t height) {
  std::lock_guard lock(mutex_);
  ensureViewer(width, height);
  renderInto(time);
  cli::RgbaPicture picture;
  picture.allocate(width, height);
  scaleInto(picture_, picture);
  viewer_->setTime(time);
  viewer_->clear();
  viewer_->draw(1);
  // What the overlay drew is opaque; everything else is left transparent.
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = picture.row(y);
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t marker = viewer_->pixel(x, y);
      if ((marker >> 24) == 0) continue;
      row[4 * x] = static_cast<uint8_t>(marker >> 16);
      row[4 * x + 1] = static_cast<uint8_t>(marker >> 8);
      row[4 * x + 2] = static_cast<uint8_t>(marker);
    }
  }
  return encodePreviewPng(picture);
}

int32_t StudioSession::pointer(Pointer event, double x, double y, int32_t width, int32_t height, double time) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(time))
    throw RequestError("\"x\", \"y\" and \"time\" must be numbers");
  std::lock_guard lock(mutex_);
  ensureViewer(width, height);
  viewer_->setTime(time);
  panel_->setTime(time);
  const double normalX = x / width;
  const double normalY = y / height;
  switch (event) {
    case Pointer::kPress: return viewer_->press(normalX, normalY);
    case Pointer::kDrag: return viewer_->drag(normalX, normalY);
    case Pointer::kRelease: return viewer_->release(normalX, normalY);
  }
  return 0;
}

json StudioSession::viewerSettings() {
  std::lock_guard lock(mutex_);
  ensureViewer(viewer_ ? viewer_->context().width() : 960, viewer_ ? viewer_->context().height() : 540);
  return {{"mode", viewer_->context().GetMode()}, {"hitScale", viewer_->context().GetHitScale()}};
}

void StudioSession::setViewerSettings(const json& settings) {
  std::optional<int32_t> mode;
  std::optional<uint16_t> hitScale;
  if (settings.contains("mode")) {
    if (!settings["mode"].is_number_integer() || settings["mode"].get<int64_t>() < 0 ||
        settings["mode"].get<int64_t>() > 2)
      throw RequestError("\"mode\" is 0 or 1 (handles) or 2 (drag)");
    mode = settings["mode"].get<int32_t>();
  }
  if (settings.contains("hitScale")) {
    if (!settings["hitScale"].is_number_integer() || settings["hitScale"].get<int64_t>() < 1 ||
        settings["hitScale"].get<int64_t>() > 65535)
      throw RequestError("\"hitScale\" is a whole number from 1 to 65535");
    hitScale = settings["hitScale"].get<uint16_t>();
  }
  std::lock_guard lock(mutex_);
  ensureViewer(viewer_ ? viewer_->context().width() : 960, viewer_ ? viewer_->context().height() : 540);
  if (mode) viewer_->setMode(*mode);
  if (hitScale) viewer_->setHitScale(*hitScale);
}

void StudioSession::applyFont(const std::optional<testhost::FontChoice>& font) {
  if (!font) return;
  auto parameters = CountedRef<testhost::HostParameterSet>::adopt(testhost::make<testhost::HostParameterSet>(
      host_.sharedLedger(), host_.sharedStore(), clip_->settings().aspect, clip_->settings().framesPerSecond));
  const testhost::FontCommandOutcome outcome =
      testhost::runFontCommand(*fontAction_.get(), parameters.get(), testhost::FontDialogAnswer::confirm(*font));
  if (acf::failed(outcome.result))
    throw std::runtime_error("the font command failed with " + testhost::resultText(outcome.result));
}

json StudioSession::chooseFont(const json& answer) {
  if (!answer.is_object()) throw RequestError("a font answer is a JSON object");
  if (answer.value("cancel", false)) {
    std::lock_guard lock(mutex_);
    auto parameters = CountedRef<testhost::HostParameterSet>::adopt(testhost::make<testhost::HostParameterSet>(
        host_.sharedLedger(), host_.sharedStore(), clip_->settings().aspect, clip_->settings().framesPerSecond));
    testhost::runFontCommand(*fontAction_.get(), parameters.get(), testhost::FontDialogAnswer::cancel());
  } else {
    json font = answer;
    if (!font.contains("face") || !font["face"].is_string()) throw RequestError("\"face\" must name a font family");
    const std::string face = font["face"].get<std::string>();
    const std::vector<std::string> families = installedFontFamilies();
    if (!std::binary_search(families.begin(), families.end(), face))
      throw RequestError("'" + face + "' is not an installed font family (GET /api/fonts lists them)");
    cli::Project holder;
    try {
      holder = cli::projectFromJson({{"horazProject", 1}, {"font", font}});
    } catch (const cli::ProjectError& error) {
      throw RequestError(error.what());
    }
    std::lock_guard lock(mutex_);
    applyFont(holder.font);
    font_ = holder.font;
  }
  return fontRecord();
}

json StudioSession::fontRecord() {
  std::lock_guard lock(mutex_);
  const std::vector<uint8_t> bytes = host_.store().constantValue(host_.parameterId("PrivateData"));
  LOGFONTW record{};
  std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
  const std::u16string face(record.lfFaceName, std::find(record.lfFaceName, record.lfFaceName + LF_FACESIZE, u'\0'));
  return {{"face", testhost::toUtf8(face)},
          {"height", record.lfHeight},
          {"weight", record.lfWeight},
          {"italic", record.lfItalic != 0},
          {"underline", record.lfUnderline != 0},
          {"strikeout", record.lfStrikeOut != 0},
          {"charSet", record.lfCharSet},
          {"bytes", testhost::hexText(bytes)}};
}

cli::Project StudioSession::projectLocked() {
  cli::Project project;
  project.parameters = parameterValues();
  project.font = font_;
  project.input = input_;
  project.output = output_;
  return project;
}

cli::Project StudioSession::project() {
  std::lock_guard lock(mutex_);
  return projectLocked();
}

void StudioSession::loadProject(const cli::Project& project) {
  std::lock_guard lock(mutex_);
  std::vector<testhost::ParameterAssignment> constants, keyframes;
  std::vector<std::string> notes;
  try {
    for (const auto& [name, parameter] : project.parameters) {
      for (testhost::ParameterAssignment& assignment :
           testhost::resolveSetting(rules_, name + "=" + parameter.value, notes))
        constants.push_back(std::move(assignment));
      for (const auto& [frame, value] : parameter.keyframes)
        for (testhost::ParameterAssignment& assignment :
             testhost::resolveSetting(rules_, name + "@" + testhost::numberText(frame) + "=" + value, notes))
          keyframes.push_back(std::move(assignment));
    }
  } catch (const testhost::SettingError& error) {
    throw RequestError(error.what());
  }
  if (project.output.frames < 1) throw RequestError("output.frames must be at least 1");
  if (project.output.start < 0) throw RequestError("output.start must not be negative");
  auto clip = std::make_unique<ClipPreview>(host_, project.input);

  viewer_.reset();  // its aspect follows the clip
  host_.resetParameters();
  testhost::ParameterStore& store = host_.store();
  for (const testhost::ParameterAssignment& assignment : constants) store.set(assignment.id, assignment.bytes);
  for (const testhost::ParameterAssignment& assignment : keyframes)
    store.setKeyframe(assignment.id, *assignment.keyframe, assignment.bytes);
  clip_ = std::move(clip);
  input_ = project.input;
  output_ = project.output;
  font_ = project.font;
  applyFont(font_);
}

void StudioSession::setInput(const cli::InputSettings& input) {
  std::lock_guard lock(mutex_);
  auto clip = std::make_unique<ClipPreview>(host_, input);
  viewer_.reset();
  clip_ = std::move(clip);
  input_ = input;
}

void StudioSession::setOutput(const cli::OutputSettings& output) {
  if (output.frames < 1 || output.frames > 10'000'000) throw RequestError("\"frames\" must be from 1 to 10000000");
  if (output.start < 0 || output.start > 1'000'000'000) throw RequestError("\"start\" must be from 0 to 1000000000");
  std::lock_guard lock(mutex_);
  output_ = output;
}

std::vector<std::string> StudioSession::renderArguments() {
  std::lock_guard lock(mutex_);
  return cli::renderArguments(projectLocked(), initial_);
}

std::filesystem::path StudioSession::pluginPath() const { return host_.library().path(); }

json StudioSession::clipInfo() {
  std::lock_guard lock(mutex_);
  json frameCount = clip_->frameCount() ? json(*clip_->frameCount()) : json(nullptr);
  return {{"width", clip_->width()},
          {"height", clip_->height()},
          {"framesPerSecond", clip_->framesPerSecond()},
          {"aspect", clip_->settings().aspect},
          {"inputFrames", frameCount},
          {"input", cli::toJson(projectLocked())["input"]},
          {"output", cli::toJson(projectLocked())["output"]}};
}

}  // namespace horaz::studio
