#include "testhost/registration_model.h"

#include <charconv>
#include <cstring>
#include <system_error>

#include "host/vocabulary.h"

namespace horaz::testhost {
namespace {

template <class Value>
std::optional<Value> valueOfSize(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != sizeof(Value)) return std::nullopt;
  Value value;
  std::memcpy(&value, bytes.data(), sizeof(Value));
  return value;
}

}  // namespace

std::optional<int32_t> Attribute::asInteger() const { return valueOfSize<int32_t>(bytes); }
std::optional<double> Attribute::asDouble() const { return valueOfSize<double>(bytes); }
std::optional<std::array<double, 3>> Attribute::asColour() const { return valueOfSize<std::array<double, 3>>(bytes); }
std::optional<acf::Guid> Attribute::asId() const { return valueOfSize<acf::Guid>(bytes); }
std::optional<std::u16string> Attribute::asText() const {
  if (size != -1) return std::nullopt;
  return text;
}

const Attribute* findAttribute(const Attributes& attributes, const acf::Guid& key) {
  for (auto it = attributes.rbegin(); it != attributes.rend(); ++it)
    if (it->key == key) return &*it;
  return nullptr;
}

std::string_view controlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Group: return "group";
    case ControlKind::ListItem: return "list item";
    case ControlKind::PopUpList: return "pop-up list";
    case ControlKind::Slider: return "slider";
    case ControlKind::ColourControl: return "colour control";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::TextField: return "text field";
    case ControlKind::Unknown: break;
  }
  return "unknown";
}

ControlKind controlKindOf(const acf::Guid* controlType) {
  namespace type = acf::control_type;
  if (!controlType) return ControlKind::Group;
  if (*controlType == type::kListItem) return ControlKind::ListItem;
  if (*controlType == type::kPopUpList) return ControlKind::PopUpList;
  if (*controlType == type::kSlider) return ControlKind::Slider;
  if (*controlType == type::kColourControl) return ControlKind::ColourControl;
  if (*controlType == type::kCheckBox) return ControlKind::CheckBox;
  if (*controlType == type::kTextField) return ControlKind::TextField;
  return ControlKind::Unknown;
}

int RegistrationModel::addPlugin() {
  plugins_.emplace_back();
  return static_cast<int>(plugins_.size() - 1);
}

int RegistrationModel::addComponent(bool effect) {
  components_.emplace_back().effect = effect;
  return static_cast<int>(components_.size() - 1);
}

int RegistrationModel::addParameter() {
  parameters_.emplace_back();
  return static_cast<int>(parameters_.size() - 1);
}

int RegistrationModel::addControl() {
  controls_.emplace_back();
  return static_cast<int>(controls_.size() - 1);
}

const ParameterRecord* RegistrationModel::findParameter(std::u16string_view name) const {
  for (const ParameterRecord& record : parameters_)
    if (record.defined && record.name == name) return &record;
  return nullptr;
}

const ParameterRecord* RegistrationModel::findParameter(const acf::Guid& id) const {
  for (const ParameterRecord& record : parameters_)
    if (record.defined && record.id == id) return &record;
  return nullptr;
}

std::string RegistrationModel::parameterSubject(int handle) const {
  const ParameterRecord& record = parameter(handle);
  return record.defined ? toUtf8(record.name) : "(undefined parameter)";
}

std::string RegistrationModel::controlSubject(int handle) const {
  const ControlRecord& record = control(handle);
  if (!record.defined) return "(undefined control)";
  if (record.label) return toUtf8(*record.label);
  std::string subject(controlKindName(record.kind));
  if (record.parameter >= 0) subject += " " + parameterSubject(record.parameter);
  return subject;
}

std::string RegistrationModel::componentSubject(int handle) const {
  const ComponentRecord& record = component(handle);
  return record.defined ? toUtf8(record.name) : "(undefined component)";
}

void RegistrationModel::recordCall(std::string operation, std::string subject) {
  calls_.push_back({std::move(operation), std::move(subject)});
}

void RegistrationModel::reportProblem(std::string problem) { problems_.push_back(std::move(problem)); }

std::string toUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

std::string valueTypeName(const acf::Guid& valueType) {
  namespace type = acf::value_type;
  if (valueType == type::kInteger) return "integer";
  if (valueType == type::kSpeedInteger) return "speed integer";
  if (valueType == type::kDouble) return "double";
  if (valueType == type::kBoolean) return "boolean";
  if (valueType == type::kColour) return "colour";
  if (valueType == type::kText || valueType == type::kAttributeText) return "text";
  if (valueType == type::kData) return "data";
  if (valueType == type::kAttributeId) return "id";
  return acf::toString(valueType);
}

std::string hexText(const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (uint8_t byte : bytes) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
  }
  return out;
}

std::string numberText(double value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : std::string("?");
}

std::string attributeValueText(const Attribute& attribute) {
  if (const auto text = attribute.asText()) return "\"" + toUtf8(*text) + "\"";
  const std::string type = valueTypeName(attribute.valueType);
  if (type == "id" || type == "data" || type == "text") {
    if (const auto id = attribute.asId(); id && type == "id") return acf::toString(*id);
    return hexText(attribute.bytes);
  }
  if (const auto integer = attribute.asInteger()) return std::to_string(*integer);
  if (const auto real = attribute.asDouble()) return numberText(*real);
  if (const auto colour = attribute.asColour())
    return "(" + numberText((*colour)[0]) + ", " + numberText((*colour)[1]) + ", " + numberText((*colour)[2]) + ")";
  return hexText(attribute.bytes);
}

std::string attributeKeyName(const acf::Guid& key) {
  namespace attribute = acf::attribute_key;
  if (key == attribute::kDefault) return "Default";
  if (key == attribute::kMinimum) return "Minimum";
  if (key == attribute::kMaximum) return "Maximum";
  if (key == attribute::kStep) return "Step";
  if (key == attribute::kAttr5) return "Attr 5";
  return acf::toString(key);
}

}  // namespace horaz::testhost
