#include "cli/commands/registration_printer.h"

#include <algorithm>
#include <iomanip>
#include <set>
#include <string>

#include "cli/support/json_writer.h"
#include "host/vocabulary.h"

namespace horaz::cli {
namespace {

using testhost::Attribute;
using testhost::ComponentRecord;
using testhost::ControlKind;
using testhost::ControlRecord;
using testhost::ParameterRecord;
using testhost::RegistrationModel;
using testhost::toUtf8;

// The plug-in's name: its file name without the extension.
std::string pluginName(const testhost::PluginRecord& plugin) {
  std::string file = toUtf8(plugin.fileName);
  return file.substr(0, file.rfind('.'));
}

std::string pluginDescription(const testhost::PluginRecord& plugin) {
  for (const Attribute& attribute : plugin.attributes)
    if (const auto text = attribute.asText()) return toUtf8(*text);
  return {};
}

// The parameter handles the effect declared, in definition order: those
// bound to its controls, their channels, and those added on their own.
std::vector<int> effectParameters(const RegistrationModel& model, const ComponentRecord& effect) {
  std::set<int> handles;
  auto addParameter = [&](auto&& self, int handle) -> void {
    if (handle < 0 || !handles.insert(handle).second) return;
    for (int channel : model.parameter(handle).components) self(self, channel);
  };
  auto addControl = [&](auto&& self, int handle) -> void {
    const ControlRecord& control = model.control(handle);
    addParameter(addParameter, control.parameter);
    for (int child : control.children) self(self, child);
  };
  for (int control : effect.controls) addControl(addControl, control);
  for (int parameter : effect.parameters) addParameter(addParameter, parameter);
  return {handles.begin(), handles.end()};
}

// "default", "min", "max", "step", "attr5", or the key's id.
std::string limitName(const acf::Guid& key) {
  namespace attribute = acf::attribute_key;
  if (key == attribute::kDefault) return "default";
  if (key == attribute::kMinimum) return "min";
  if (key == attribute::kMaximum) return "max";
  if (key == attribute::kStep) return "step";
  if (key == attribute::kAttr5) return "attr5";
  return acf::toString(key);
}

// --- JSON --------------------------------------------------------------------

void writeAttributeValue(JsonWriter& json, const Attribute& attribute) {
  const std::string type = testhost::valueTypeName(attribute.valueType);
  if (const auto text = attribute.asText()) {
    json.value(toUtf8(*text));
  } else if (type == "id" && attribute.asId()) {
    json.value(acf::toString(*attribute.asId()));
  } else if (type == "double" && attribute.asDouble()) {
    json.value(*attribute.asDouble());
  } else if (const auto colour = attribute.asColour(); type == "colour" && colour) {
    json.beginArray();
    for (double channel : *colour) json.value(channel);
    json.endArray();
  } else if ((type == "integer" || type == "speed integer" || type == "boolean") && attribute.asInteger()) {
    json.value(*attribute.asInteger());
  } else {
    json.value(testhost::hexText(attribute.bytes));
  }
}

void writeComponent(JsonWriter& json, const RegistrationModel& model, uint32_t index, int handle) {
  const ComponentRecord& component = model.component(handle);
  json.beginObject();
  json.key("index").value(static_cast<int64_t>(index));
  json.key("name").value(toUtf8(component.name));
  json.key("componentId").value(acf::toString(component.componentId));
  json.key("kindId").value(acf::toString(component.kindId));
  json.key("classId").value(acf::toString(component.classId));
  json.key("integers").beginArray().value(component.first).value(component.second).endArray();
  json.key("attributes").beginArray();
  for (const Attribute& attribute : component.attributes) {
    json.beginObject();
    json.key("key").value(acf::toString(attribute.key));
    json.key("type").value(testhost::valueTypeName(attribute.valueType));
    json.key("value");
    writeAttributeValue(json, attribute);
    json.endObject();
  }
  json.endArray();
  if (component.effect) {
    auto writePorts = [&](const char* name, const std::vector<testhost::Port>& ports) {
      json.key(name).beginArray();
      for (const testhost::Port& port : ports)
        json.beginObject().key("id").value(acf::toString(port.id)).key("name").value(toUtf8(port.name)).endObject();
      json.endArray();
    };
    writePorts("inputs", component.inputs);
    writePorts("outputs", component.outputs);
    json.key("pixelKinds").beginArray();
    for (const auto& kind : component.pixelKinds) {
      json.beginArray();
      for (int32_t value : kind) json.value(value);
      json.endArray();
    }
    json.endArray();
  }
  json.endObject();
}

void writeParameter(JsonWriter& json, const RegistrationModel& model, const ParameterRecord& parameter) {
  json.beginObject();
  json.key("id").value(acf::toString(parameter.id));
  json.key("name").value(toUtf8(parameter.name));
  json.key("description").value(toUtf8(parameter.description));
  json.key("type").value(testhost::valueTypeName(parameter.valueType));
  if (!parameter.components.empty()) {
    json.key("components").beginArray();
    for (int channel : parameter.components) json.value(model.parameterSubject(channel));
    json.endArray();
  }
  std::string passedAs;
  for (const Attribute& attribute : parameter.attributes) {
    json.key(limitName(attribute.key));
    writeAttributeValue(json, attribute);
    passedAs = testhost::valueTypeName(attribute.valueType);
  }
  if (!passedAs.empty()) json.key("attributeType").value(passedAs);
  json.endObject();
}

void writeControl(JsonWriter& json, const RegistrationModel& model, int handle) {
  const ControlRecord& control = model.control(handle);
  json.beginObject();
  json.key("id").value(acf::toString(control.id));
  json.key("kind").value(testhost::controlKindName(control.kind));
  json.key("label");
  control.label ? json.value(toUtf8(*control.label)) : json.null();
  json.key("description");
  control.description ? json.value(toUtf8(*control.description)) : json.null();
  json.key("parameter");
  control.parameter >= 0 ? json.value(model.parameterSubject(control.parameter)) : json.null();
  if (control.kind == ControlKind::ListItem) {
    json.key("value");
    const Attribute* value = testhost::findAttribute(control.attributes, acf::attribute_key::kDefault);
    value ? writeAttributeValue(json, *value) : (void)json.null();
  } else if (!control.attributes.empty()) {
    json.key("attributes").beginObject();
    for (const Attribute& attribute : control.attributes) {
      json.key(limitName(attribute.key));
      writeAttributeValue(json, attribute);
    }
    json.endObject();
  }
  json.key("children").beginArray();
  for (int child : control.children) writeControl(json, model, child);
  json.endArray();
  json.endObject();
}

// --- Text --------------------------------------------------------------------

std::string controlLine(const RegistrationModel& model, const ControlRecord& control) {
  std::string line(testhost::controlKindName(control.kind));
  if (control.label) line += " \"" + toUtf8(*control.label) + "\"";
  if (control.parameter >= 0) line += " -> " + model.parameterSubject(control.parameter);
  if (control.kind == ControlKind::ListItem) {
    const Attribute* value = testhost::findAttribute(control.attributes, acf::attribute_key::kDefault);
    line += value ? " = " + testhost::attributeValueText(*value) : " (no value)";
  }
  line += "  " + acf::toString(control.id);
  return line;
}

void printControlTree(std::ostream& out, const RegistrationModel& model, int handle, const std::string& prefix,
                      bool last) {
  out << prefix << (last ? "└─ " : "├─ ") << controlLine(model, model.control(handle)) << '\n';
  const std::vector<int>& children = model.control(handle).children;
  for (size_t i = 0; i < children.size(); ++i)
    printControlTree(out, model, children[i], prefix + (last ? "   " : "│  "), i + 1 == children.size());
}

}  // namespace

void printRegistrationJson(const RegistrationModel& model, const testhost::Registration& registration,
                           std::ostream& out) {
  const testhost::PluginRecord& plugin = model.plugin(registration.pluginHandle);
  JsonWriter json(out);
  json.beginObject();
  json.key("plugin").beginObject();
  json.key("id").value(acf::toString(plugin.pluginId));
  json.key("name").value(pluginName(plugin));
  json.key("vendor").value(toUtf8(plugin.vendorName));
  json.key("vendorId").value(acf::toString(plugin.vendorId));
  json.key("file").value(toUtf8(plugin.fileName));
  json.key("description").value(pluginDescription(plugin));
  json.key("integers").beginArray().value(plugin.first).value(plugin.second).value(plugin.third).value(plugin.fourth);
  json.endArray();
  json.endObject();

  json.key("components").beginArray();
  for (uint32_t index = 0; index < testhost::kComponentCount; ++index)
    writeComponent(json, model, index, registration.componentHandles[index]);
  json.endArray();

  const ComponentRecord& effect = model.component(registration.componentHandles[0]);
  json.key("parameters").beginArray();
  for (int handle : effectParameters(model, effect)) writeParameter(json, model, model.parameter(handle));
  json.endArray();

  json.key("panel").beginArray();
  for (int control : effect.controls) writeControl(json, model, control);
  json.endArray();
  json.endObject();
}

void printRegistrationText(const RegistrationModel& model, const testhost::Registration& registration,
                           std::ostream& out) {
  const testhost::PluginRecord& plugin = model.plugin(registration.pluginHandle);
  out << "Plug-in " << pluginName(plugin) << "  " << acf::toString(plugin.pluginId) << '\n'
      << "  file         " << toUtf8(plugin.fileName) << '\n'
      << "  vendor       " << toUtf8(plugin.vendorName) << "  " << acf::toString(plugin.vendorId) << '\n'
      << "  description  " << pluginDescription(plugin) << "\n\n";

  out << "Components\n";
  for (uint32_t index = 0; index < testhost::kComponentCount; ++index) {
    const ComponentRecord& component = model.component(registration.componentHandles[index]);
    out << "  [" << index << "] \"" << toUtf8(component.name) << "\"\n"
        << "      component " << acf::toString(component.componentId) << "  kind " << acf::toString(component.kindId)
        << "  class " << acf::toString(component.classId) << '\n';
    for (const Attribute& attribute : component.attributes)
      out << "      " << acf::toString(attribute.key) << " = " << testhost::attributeValueText(attribute) << '\n';
    for (const testhost::Port& port : component.inputs)
      out << "      input \"" << toUtf8(port.name) << "\"  " << acf::toString(port.id) << '\n';
    for (const testhost::Port& port : component.outputs)
      out << "      output \"" << toUtf8(port.name) << "\"  " << acf::toString(port.id) << '\n';
    if (!component.pixelKinds.empty()) {
      out << "      pixel kinds";
      for (const auto& kind : component.pixelKinds) out << " (" << kind[0] << ", " << kind[1] << ", " << kind[2] << ')';
      out << '\n';
    }
  }

  const ComponentRecord& effect = model.component(registration.componentHandles[0]);
  const std::vector<int> parameters = effectParameters(model, effect);
  out << "\nParameters (" << parameters.size() << ")\n";
  int number = 0;
  for (int handle : parameters) {
    const ParameterRecord& parameter = model.parameter(handle);
    out << "  " << std::setw(2) << ++number << "  " << std::left << std::setw(23) << toUtf8(parameter.name)
        << std::setw(15) << testhost::valueTypeName(parameter.valueType) << std::right << acf::toString(parameter.id);
    for (const Attribute& attribute : parameter.attributes) {
      const std::string value = testhost::attributeValueText(attribute);
      out << "  " << limitName(attribute.key) << ' ' << (value.size() > 24 ? value.substr(0, 24) + "..." : value);
    }
    if (!parameter.components.empty()) {
      out << "  of";
      for (int channel : parameter.components) out << " " << model.parameterSubject(channel) << ';';
    }
    out << '\n';
  }

  out << "\nPanel\n";
  for (size_t i = 0; i < effect.controls.size(); ++i)
    printControlTree(out, model, effect.controls[i], "", i + 1 == effect.controls.size());
}

}  // namespace horaz::cli
