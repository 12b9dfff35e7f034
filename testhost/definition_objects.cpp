#include "testhost/definition_objects.h"

#include <cstring>
#include <optional>
#include <string>

#include "host/vocabulary.h"

namespace horaz::testhost {
namespace {

// Longest text we read from the plug-in; a text without its NUL would
// otherwise run on through memory.
constexpr size_t kMaxTextUnits = 1 << 16;

std::optional<std::u16string> copyText(acf::Text text) {
  if (!text) return std::nullopt;
  std::u16string copy;
  for (size_t i = 0; i < kMaxTextUnits && text[i] != 0; ++i) copy += text[i];
  return copy;
}

std::u16string requiredText(RegistrationModel& model, acf::Text text, const char* what) {
  std::optional<std::u16string> copy = copyText(text);
  if (!copy) {
    model.reportProblem(std::string(what) + " is null");
    return {};
  }
  return *copy;
}

// The size a value of each known type is passed with; 0 for "any positive"
// (opaque data).
std::optional<int32_t> expectedSize(const acf::Guid& valueType) {
  namespace type = acf::value_type;
  if (valueType == type::kInteger || valueType == type::kSpeedInteger || valueType == type::kBoolean) return 4;
  if (valueType == type::kDouble) return 8;
  if (valueType == type::kColour) return 24;
  if (valueType == type::kText || valueType == type::kAttributeText) return -1;
  if (valueType == type::kAttributeId) return 16;
  if (valueType == type::kData) return 0;
  return std::nullopt;
}

// Copies one SetAttribute into `attributes` after checking what a host would
// check; `subject` names the owner for the call log and for problems.
acf::Result storeAttribute(RegistrationModel& model, Attributes& attributes, const std::string& subject,
                           const acf::Guid& key, const acf::Guid& valueType, const void* value, int32_t size) {
  model.recordCall("SetAttribute", subject + " " + attributeKeyName(key));
  if (!value) return acf::kNullArgument;
  if (size < -1 || size == 0) return kBadDefinitionArgument;

  const std::optional<int32_t> expected = expectedSize(valueType);
  if (!expected) {
    model.reportProblem(subject + ": unknown value type " + acf::toString(valueType));
  } else if ((*expected == 0 && size <= 0) || (*expected != 0 && *expected != size)) {
    model.reportProblem(subject + ": " + attributeKeyName(key) + " passed with size " + std::to_string(size) +
                        " for value type " + acf::toString(valueType));
  }

  Attribute attribute{key, valueType, size, {}, {}};
  if (size == -1) {
    attribute.text = *copyText(static_cast<acf::Text>(value));
  } else {
    const auto* bytes = static_cast<const uint8_t*>(value);
    attribute.bytes.assign(bytes, bytes + size);
  }
  attributes.push_back(std::move(attribute));
  return acf::kOk;
}

template <class Object, class Interface>
Object* ours(Interface* definition) {
  return definition ? dynamic_cast<Object*>(definition) : nullptr;
}

}  // namespace

// --- Plug-in -----------------------------------------------------------------

PluginDefinitionObject::PluginDefinitionObject(std::shared_ptr<Ledger> ledger, std::shared_ptr<RegistrationModel> model)
    : HostObject(std::move(ledger)), model_(std::move(model)), handle_(model_->addPlugin()) {}

acf::Result ACFCALL PluginDefinitionObject::SetAttribute(const acf::Guid& key, const acf::Guid& valueType,
                                                         const void* value, int32_t size) {
  if (const acf::Result injected = enter("PluginDefinition.SetAttribute"); acf::failed(injected)) return injected;
  return storeAttribute(*model_, model_->plugin(handle_).attributes, "plug-in", key, valueType, value, size);
}

acf::Result ACFCALL PluginDefinitionObject::DefinePlugin(const acf::Guid& pluginId, int32_t first, int32_t second,
                                                         acf::Text fileName, const acf::Guid& vendorId,
                                                         acf::Text vendorName, int32_t third, int32_t fourth) {
  if (const acf::Result injected = enter("PluginDefinition.DefinePlugin"); acf::failed(injected)) return injected;
  PluginRecord& record = model_->plugin(handle_);
  if (record.defined) model_->reportProblem("plug-in defined twice");
  record.defined = true;
  record.pluginId = pluginId;
  record.first = first;
  record.second = second;
  record.fileName = requiredText(*model_, fileName, "plug-in file name");
  record.vendorId = vendorId;
  record.vendorName = requiredText(*model_, vendorName, "vendor name");
  record.third = third;
  record.fourth = fourth;
  model_->recordCall("DefinePlugin", toUtf8(record.fileName));
  return acf::kOk;
}

// --- Components --------------------------------------------------------------

namespace {

acf::Result defineComponent(RegistrationModel& model, int handle, const acf::Guid& componentId, const acf::Guid& kindId,
                            int32_t first, int32_t second, const acf::Guid& classId, acf::Text name) {
  ComponentRecord& record = model.component(handle);
  if (record.defined) model.reportProblem("component defined twice");
  record.defined = true;
  record.componentId = componentId;
  record.kindId = kindId;
  record.first = first;
  record.second = second;
  record.classId = classId;
  record.name = requiredText(model, name, "component name");
  model.recordCall("DefineComponent", toUtf8(record.name));
  return acf::kOk;
}

}  // namespace

ComponentDefinitionObject::ComponentDefinitionObject(std::shared_ptr<Ledger> ledger,
                                                     std::shared_ptr<RegistrationModel> model)
    : HostObject(std::move(ledger)), model_(std::move(model)), handle_(model_->addComponent(false)) {}

acf::Result ACFCALL ComponentDefinitionObject::SetAttribute(const acf::Guid& key, const acf::Guid& valueType,
                                                            const void* value, int32_t size) {
  if (const acf::Result injected = enter("ComponentDefinition.SetAttribute"); acf::failed(injected)) return injected;
  return storeAttribute(*model_, model_->component(handle_).attributes, model_->componentSubject(handle_), key,
                        valueType, value, size);
}

acf::Result ACFCALL ComponentDefinitionObject::DefineComponent(const acf::Guid& componentId, const acf::Guid& kindId,
                                                               int32_t first, int32_t second, const acf::Guid& classId,
                                                               acf::Text name) {
  if (const acf::Result injected = enter("ComponentDefinition.DefineComponent"); acf::failed(injected)) return injected;
  return defineComponent(*model_, handle_, componentId, kindId, first, second, classId, name);
}

EffectDefinitionObject::EffectDefinitionObject(std::shared_ptr<Ledger> ledger, std::shared_ptr<RegistrationModel> model)
    : HostObject(std::move(ledger)), model_(std::move(model)), handle_(model_->addComponent(true)) {}

acf::Result ACFCALL EffectDefinitionObject::SetAttribute(const acf::Guid& key, const acf::Guid& valueType,
                                                         const void* value, int32_t size) {
  if (const acf::Result injected = enter("EffectDefinition.SetAttribute"); acf::failed(injected)) return injected;
  return storeAttribute(*model_, model_->component(handle_).attributes, model_->componentSubject(handle_), key,
                        valueType, value, size);
}

acf::Result ACFCALL EffectDefinitionObject::DefineComponent(const acf::Guid& componentId, const acf::Guid& kindId,
                                                            int32_t first, int32_t second, const acf::Guid& classId,
                                                            acf::Text name) {
  if (const acf::Result injected = enter("EffectDefinition.DefineComponent"); acf::failed(injected)) return injected;
  return defineComponent(*model_, handle_, componentId, kindId, first, second, classId, name);
}

acf::Result ACFCALL EffectDefinitionObject::AddInput(const acf::Guid& inputId, acf::Text name, int32_t third) {
  if (const acf::Result injected = enter("EffectDefinition.AddInput"); acf::failed(injected)) return injected;
  Port port{inputId, requiredText(*model_, name, "input name"), third};
  model_->recordCall("AddInput", toUtf8(port.name));
  model_->component(handle_).inputs.push_back(std::move(port));
  return acf::kOk;
}

acf::Result ACFCALL EffectDefinitionObject::AddOutput(const acf::Guid& outputId, acf::Text name, int32_t third) {
  if (const acf::Result injected = enter("EffectDefinition.AddOutput"); acf::failed(injected)) return injected;
  Port port{outputId, requiredText(*model_, name, "output name"), third};
  model_->recordCall("AddOutput", toUtf8(port.name));
  model_->component(handle_).outputs.push_back(std::move(port));
  return acf::kOk;
}

acf::Result ACFCALL EffectDefinitionObject::AddPixelKind(int32_t kind, int32_t second, int32_t third) {
  if (const acf::Result injected = enter("EffectDefinition.AddPixelKind"); acf::failed(injected)) return injected;
  model_->recordCall("AddPixelKind",
                     std::to_string(kind) + ", " + std::to_string(second) + ", " + std::to_string(third));
  model_->component(handle_).pixelKinds.push_back({kind, second, third});
  return acf::kOk;
}

acf::Result ACFCALL EffectDefinitionObject::AddParameter(acf::ParameterDefinition* parameter) {
  if (const acf::Result injected = enter("EffectDefinition.AddParameter"); acf::failed(injected)) return injected;
  if (!parameter) return acf::kNullArgument;
  const int parameterHandle = handleOf(parameter);
  if (parameterHandle < 0) return kBadDefinitionArgument;
  model_->recordCall("AddParameter", model_->parameterSubject(parameterHandle));
  parameters_.push_back(CountedRef<acf::ParameterDefinition>::share(parameter));
  model_->component(handle_).parameters.push_back(parameterHandle);
  return acf::kOk;
}

acf::Result ACFCALL EffectDefinitionObject::AddControl(acf::ControlDefinition* control) {
  if (const acf::Result injected = enter("EffectDefinition.AddControl"); acf::failed(injected)) return injected;
  if (!control) return acf::kNullArgument;
  const int controlHandle = handleOf(control);
  if (controlHandle < 0) return kBadDefinitionArgument;
  model_->recordCall("AddControl", model_->controlSubject(controlHandle));
  controls_.push_back(CountedRef<acf::ControlDefinition>::share(control));
  model_->component(handle_).controls.push_back(controlHandle);
  return acf::kOk;
}

acf::Result EffectDefinitionObject::queryOther(const acf::Guid& iid, void** out) {
  if (iid != acf::ComponentDefinition::kId) return acf::kNoInterface;
  *out = static_cast<acf::ComponentDefinition*>(this);
  AddRef();
  return acf::kOk;
}

// --- Parameters --------------------------------------------------------------

ParameterDefinitionObject::ParameterDefinitionObject(std::shared_ptr<Ledger> ledger,
                                                     std::shared_ptr<RegistrationModel> model)
    : HostObject(std::move(ledger)), model_(std::move(model)), handle_(model_->addParameter()) {}

acf::Result ACFCALL ParameterDefinitionObject::SetAttribute(const acf::Guid& key, const acf::Guid& valueType,
                                                            const void* value, int32_t size) {
  if (const acf::Result injected = enter("ParameterDefinition.SetAttribute"); acf::failed(injected)) return injected;
  return storeAttribute(*model_, model_->parameter(handle_).attributes, model_->parameterSubject(handle_), key,
                        valueType, value, size);
}

acf::Result ACFCALL ParameterDefinitionObject::DefineParameter(const acf::Guid& parameterId, acf::Text name,
                                                               acf::Text description, const acf::Guid& valueType,
                                                               int32_t first, int32_t second, int32_t componentCount,
                                                               acf::ParameterDefinition* const* components) {
  if (const acf::Result injected = enter("ParameterDefinition.DefineParameter"); acf::failed(injected)) return injected;
  if (componentCount < 0 || (componentCount > 0 && !components)) return kBadDefinitionArgument;
  std::vector<int> componentHandles;
  for (int32_t i = 0; i < componentCount; ++i) {
    const int componentHandle = handleOf(components[i]);
    if (componentHandle < 0 || components[i] == this) return kBadDefinitionArgument;
    componentHandles.push_back(componentHandle);
  }

  ParameterRecord& record = model_->parameter(handle_);
  if (record.defined) model_->reportProblem("parameter defined twice");
  record.defined = true;
  record.id = parameterId;
  record.name = requiredText(*model_, name, "parameter name");
  record.description = requiredText(*model_, description, "parameter description");
  record.valueType = valueType;
  record.first = first;
  record.second = second;
  record.componentCount = componentCount;
  record.components = componentHandles;
  for (int32_t i = 0; i < componentCount; ++i)
    components_.push_back(CountedRef<acf::ParameterDefinition>::share(components[i]));
  model_->recordCall("DefineParameter", toUtf8(record.name));
  return acf::kOk;
}

// --- Controls ----------------------------------------------------------------

ControlDefinitionObject::ControlDefinitionObject(std::shared_ptr<Ledger> ledger,
                                                 std::shared_ptr<RegistrationModel> model)
    : HostObject(std::move(ledger)), model_(std::move(model)), handle_(model_->addControl()) {}

acf::Result ACFCALL ControlDefinitionObject::SetAttribute(const acf::Guid& key, const acf::Guid& valueType,
                                                          const void* value, int32_t size) {
  if (const acf::Result injected = enter("ControlDefinition.SetAttribute"); acf::failed(injected)) return injected;
  return storeAttribute(*model_, model_->control(handle_).attributes, model_->controlSubject(handle_), key, valueType,
                        value, size);
}

acf::Result ACFCALL ControlDefinitionObject::DefineControl(const acf::Guid& controlId, acf::Text label,
                                                           acf::Text description, const acf::Guid* controlType,
                                                           acf::ParameterDefinition* parameter) {
  if (const acf::Result injected = enter("ControlDefinition.DefineControl"); acf::failed(injected)) return injected;
  const int parameterHandle = handleOf(parameter);
  if (parameter && parameterHandle < 0) return kBadDefinitionArgument;

  ControlRecord& record = model_->control(handle_);
  if (record.defined) model_->reportProblem("control defined twice");
  record.defined = true;
  record.id = controlId;
  record.label = copyText(label);
  record.description = copyText(description);
  if (controlType) record.controlType = *controlType;
  record.kind = controlKindOf(controlType);
  record.parameter = parameterHandle;
  parameter_ = CountedRef<acf::ParameterDefinition>::share(parameter);

  const std::string subject = model_->controlSubject(handle_);
  const bool needsParameter = record.kind != ControlKind::Group && record.kind != ControlKind::ListItem;
  if (needsParameter != (parameter != nullptr))
    model_->reportProblem(subject + (needsParameter ? ": no bound parameter" : ": bound to a parameter"));
  if (record.kind == ControlKind::Unknown) model_->reportProblem(subject + ": unknown control type");
  model_->recordCall("DefineControl", subject);
  return acf::kOk;
}

acf::Result ACFCALL ControlDefinitionObject::AddChild(acf::ControlDefinition* child) {
  if (const acf::Result injected = enter("ControlDefinition.AddChild"); acf::failed(injected)) return injected;
  if (!child) return acf::kNullArgument;
  const int childHandle = handleOf(child);
  // A control that holds itself would never be released.
  if (childHandle < 0 || child == this) return kBadDefinitionArgument;
  model_->recordCall("AddChild", model_->controlSubject(handle_) + " <- " + model_->controlSubject(childHandle));
  children_.push_back(CountedRef<acf::ControlDefinition>::share(child));
  model_->control(handle_).children.push_back(childHandle);
  return acf::kOk;
}

// --- Handles -----------------------------------------------------------------

int handleOf(acf::PluginDefinition* definition) {
  const auto* object = ours<PluginDefinitionObject>(definition);
  return object ? object->handle() : -1;
}

int handleOf(acf::ComponentDefinition* definition) {
  if (const auto* effect = ours<EffectDefinitionObject>(definition)) return effect->handle();
  const auto* object = ours<ComponentDefinitionObject>(definition);
  return object ? object->handle() : -1;
}

int handleOf(acf::ParameterDefinition* definition) {
  const auto* object = ours<ParameterDefinitionObject>(definition);
  return object ? object->handle() : -1;
}

int handleOf(acf::ControlDefinition* definition) {
  const auto* object = ours<ControlDefinitionObject>(definition);
  return object ? object->handle() : -1;
}

}  // namespace horaz::testhost
