#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/guid.h"

namespace horaz::testhost {

// What the plug-in told the reference host at registration, as plain data.
// The host's definition objects write into it; every record is addressed by
// a handle (its index in the list of its class), so the model outlives the
// definition objects. Used from the registering thread only.

// One SetAttribute as the host received it. The value's bytes are copied; a
// text (size -1) is kept as its code units without the NUL.
struct Attribute {
  acf::Guid key;
  acf::Guid valueType;
  int32_t size = 0;
  std::vector<uint8_t> bytes;
  std::u16string text;

  std::optional<int32_t> asInteger() const;               // a 4-byte value
  std::optional<double> asDouble() const;                 // an 8-byte value
  std::optional<std::array<double, 3>> asColour() const;  // a 24-byte value
  std::optional<acf::Guid> asId() const;                  // a 16-byte value
  std::optional<std::u16string> asText() const;           // size -1
};
using Attributes = std::vector<Attribute>;

// The attribute set last under `key`, or null.
const Attribute* findAttribute(const Attributes& attributes, const acf::Guid& key);

struct PluginRecord {
  bool defined = false;
  acf::Guid pluginId;
  int32_t first = 0;
  int32_t second = 0;
  std::u16string fileName;
  acf::Guid vendorId;
  std::u16string vendorName;
  int32_t third = 0;
  int32_t fourth = 0;
  Attributes attributes;
};

struct Port {
  acf::Guid id;
  std::u16string name;
  int32_t third = 0;
};

// A component definition; `effect` marks one made from the effect class,
// which alone has inputs, outputs, pixel kinds, parameters and controls.
struct ComponentRecord {
  bool effect = false;
  bool defined = false;
  acf::Guid componentId;
  acf::Guid kindId;
  int32_t first = 0;
  int32_t second = 0;
  acf::Guid classId;
  std::u16string name;
  Attributes attributes;
  std::vector<Port> inputs;
  std::vector<Port> outputs;
  std::vector<std::array<int32_t, 3>> pixelKinds;
  std::vector<int> parameters;  // handles given to AddParameter, in order
  std::vector<int> controls;    // handles given to AddControl, in order
};

struct ParameterRecord {
  bool defined = false;
  acf::Guid id;
  std::u16string name;
  std::u16string description;
  acf::Guid valueType;
  int32_t first = 0;
  int32_t second = 0;
  int32_t componentCount = 0;
  std::vector<int> components;  // handles of a compound parameter's channels
  Attributes attributes;
};

enum class ControlKind { Group, ListItem, PopUpList, Slider, ColourControl, CheckBox, TextField, Unknown };

// "group", "list item", "pop-up list", "slider", "colour control",
// "check box", "text field" ("unknown" for a type id we do not know).
std::string_view controlKindName(ControlKind kind);
// The kind a control type id names; a null type is a group.
ControlKind controlKindOf(const acf::Guid* controlType);

struct ControlRecord {
  bool defined = false;
  acf::Guid id;
  std::optional<std::u16string> label;
  std::optional<std::u16string> description;
  std::optional<acf::Guid> controlType;
  ControlKind kind = ControlKind::Unknown;
  int parameter = -1;  // handle of the bound parameter
  std::vector<int> children;
  Attributes attributes;
};

// One host call made on a definition object or the object factory, with a
// readable subject: the definition's name, "parent <- child" for AddChild,
// "owner Default" for an attribute.
struct CallRecord {
  std::string operation;
  std::string subject;
  friend bool operator==(const CallRecord&, const CallRecord&) = default;
  friend std::ostream& operator<<(std::ostream& out, const CallRecord& call) {
    return out << call.operation << ' ' << call.subject;
  }
};

class RegistrationModel {
 public:
  int addPlugin();
  int addComponent(bool effect);
  int addParameter();
  int addControl();

  PluginRecord& plugin(int handle) { return plugins_.at(handle); }
  ComponentRecord& component(int handle) { return components_.at(handle); }
  ParameterRecord& parameter(int handle) { return parameters_.at(handle); }
  ControlRecord& control(int handle) { return controls_.at(handle); }
  const PluginRecord& plugin(int handle) const { return plugins_.at(handle); }
  const ComponentRecord& component(int handle) const { return components_.at(handle); }
  const ParameterRecord& parameter(int handle) const { return parameters_.at(handle); }
  const ControlRecord& control(int handle) const { return controls_.at(handle); }

  const std::vector<PluginRecord>& plugins() const { return plugins_; }
  const std::vector<ComponentRecord>& components() const { return components_; }
  const std::vector<ParameterRecord>& parameters() const { return parameters_; }
  const std::vector<ControlRecord>& controls() const { return controls_; }

  // The first parameter defined with this name or id, or null.
  const ParameterRecord* findParameter(std::u16string_view name) const;
  const ParameterRecord* findParameter(const acf::Guid& id) const;

  // Readable names for call subjects and printouts: a parameter's name; a
  // control's label, or its kind and bound parameter ("slider X") when it has
  // none.
  std::string parameterSubject(int handle) const;
  std::string controlSubject(int handle) const;
  std::string componentSubject(int handle) const;

  void recordCall(std::string operation, std::string subject);
  const std::vector<CallRecord>& calls() const { return calls_; }

  // Things a careful host would object to (a size that does not fit the value
  // type, a definition defined twice); registration should cause none.
  void reportProblem(std::string problem);
  const std::vector<std::string>& problems() const { return problems_; }

 private:
  std::vector<PluginRecord> plugins_;
  std::vector<ComponentRecord> components_;
  std::vector<ParameterRecord> parameters_;
  std::vector<ControlRecord> controls_;
  std::vector<CallRecord> calls_;
  std::vector<std::string> problems_;
};

// Bytes as upper-case hexadecimal, two digits each.
std::string hexText(const std::vector<uint8_t>& bytes);
// The shortest decimal text that reads back as `value`.
std::string numberText(double value);

// UTF-16 to UTF-8 for printing (unpaired surrogates become U+FFFD).
std::string toUtf8(std::u16string_view text);

// "integer", "speed integer", "double", "boolean", "colour", "text", "data",
// and "id" for the id-valued attributes of components; the id text otherwise.
// (Parameters' texts and component attributes' texts have distinct type ids;
// both are "text".)
std::string valueTypeName(const acf::Guid& valueType);

// The value of an attribute as text: numbers as written in C, a colour as
// "(r, g, b)", an id in braces, a text in quotes, data in hexadecimal.
std::string attributeValueText(const Attribute& attribute);

// A readable name for the attribute keys of parameters and controls
// ("Default", "Minimum", "Maximum", "Step", "Attr 5"); the id text otherwise.
std::string attributeKeyName(const acf::Guid& key);

}  // namespace horaz::testhost
