#include "definition/registration.h"

#include <string_view>
#include <utility>
#include <vector>

#include "definition/component_table.h"
#include "definition/control_node.h"
#include "definition/font_record.h"
#include "definition/panel_layout.h"
#include "definition/parameter_table.h"
#include "definition/plugin_identity.h"
#include "host/host_object.h"
#include "host/vocabulary.h"
#include "module/base/boundary.h"

namespace horaz::definition {
namespace {

template <class Definition>
CountedRef<Definition> createDefinition(acf::HostObjectFactory& factory) {
  CountedRef<Definition> definition;
  check(factory.CreateInstance(Definition::kClassId, nullptr, Definition::kId, definition.putVoid()));
  return definition;
}

CountedRef<acf::HostObjectFactory> queryObjectFactory(acf::IUnknown* host) {
  CountedRef<acf::HostObjectFactory> factory;
  check(host->QueryInterface(acf::HostObjectFactory::kId, factory.putVoid()));
  return factory;
}

void setText(acf::DefinitionBase& definition, const acf::Guid& key, acf::Text text) {
  check(definition.SetAttribute(key, acf::value_type::kAttributeText, text, acf::kTextSize));
}

void setId(acf::DefinitionBase& definition, const acf::Guid& key, const acf::Guid& id) {
  check(definition.SetAttribute(key, acf::value_type::kAttributeId, &id, sizeof id));
}

void defineComponent(acf::ComponentDefinition& definition, const ComponentIdentity& component) {
  check(definition.DefineComponent(component.componentId, component.kindId, component.first, component.second,
                                   component.classId, component.name));
}

// Builds the effect's definition, its parameters and its panel, keeping every
// definition it made until it is done (the host takes its own references to
// what it keeps).
class EffectRegistrar {
 public:
  explicit EffectRegistrar(acf::HostObjectFactory& factory)
      : factory_(factory), effect_(createDefinition<acf::EffectDefinition>(factory)) {}

  acf::EffectDefinition& effect() { return *effect_.get(); }
  CountedRef<acf::EffectDefinition> release() { return std::move(effect_); }

  // Defines the parameter of one table row, with its attributes in the order
  // Default, Minimum, Maximum, Step, Attr 5.
  acf::ParameterDefinition& parameter(std::u16string_view name) {
    const ParameterRow& row = parameterRow(name);
    CountedRef<acf::ParameterDefinition> definition = createDefinition<acf::ParameterDefinition>(factory_);
    acf::ParameterDefinition* channels[3]{};
    for (int i = 0; i < row.componentCount(); ++i) channels[i] = &definedParameter(row.channels[i]);
    check(definition->DefineParameter(row.id, row.name, row.description, valueTypeId(row.type), 0, 0,
                                      row.componentCount(), row.componentCount() ? channels : nullptr));
    setParameterAttributes(*definition.get(), row);
    parameters_.emplace_back(&row, std::move(definition));
    return *parameters_.back().second.get();
  }

  // Every row from `first` to `last` in table order.
  void parameters(std::u16string_view first, std::u16string_view last) {
    const ParameterRow* begin = &parameterRow(first);
    const ParameterRow* end = &parameterRow(last) + 1;
    for (const ParameterRow* row = begin; row != end; ++row) parameter(row->name);
  }

  // Defines one control; a list item gets its value as Default.
  acf::ControlDefinition& control(const ControlNode& node) {
    CountedRef<acf::ControlDefinition> definition = createDefinition<acf::ControlDefinition>(factory_);
    acf::ParameterDefinition* bound = node.parameter ? &definedParameter(node.parameter) : nullptr;
    check(definition->DefineControl(node.id, node.label, node.description, controlTypeId(node.kind), bound));
    if (node.kind == ControlKind::ListItem && node.value)
      setInteger(*definition.get(), acf::attribute_key::kDefault, acf::value_type::kInteger, *node.value);
    controls_.emplace_back(&node, std::move(definition));
    return *controls_.back().second.get();
  }

  void controls(ControlList nodes) {
    for (const ControlNode* node : nodes) control(*node);
  }

  void addChild(const ControlNode& parent, const ControlNode& child) {
    check(definedControl(parent).AddChild(&definedControl(child)));
  }

  // Adds the node's children, already defined, in their order.
  void addChildren(const ControlNode& parent) {
    for (const ControlNode* child : parent.children) addChild(parent, *child);
  }

  // Defines a group and, depth first, each child right before it is added.
  void groupTree(const ControlNode& group) {
    control(group);
    childTree(group);
  }

  void colourAttributes(const ControlNode& node) {
    for (const ColourAttribute& attribute : node.colourAttributes)
      check(definedControl(node).SetAttribute(attribute.key, acf::value_type::kColour, attribute.value.data(),
                                              sizeof attribute.value));
  }

  void addControl(const ControlNode& node) { check(effect_->AddControl(&definedControl(node))); }
  void addParameter(std::u16string_view name) { check(effect_->AddParameter(&definedParameter(name))); }

 private:
  void childTree(const ControlNode& parent) {
    for (const ControlNode* child : parent.children) {
      control(*child);
      addChild(parent, *child);
      if (child->kind == ControlKind::Group) childTree(*child);
    }
  }

  static void setInteger(acf::DefinitionBase& definition, const acf::Guid& key, const acf::Guid& type, int32_t value) {
    check(definition.SetAttribute(key, type, &value, sizeof value));
  }

  static void setParameterAttributes(acf::ParameterDefinition& definition, const ParameterRow& row) {
    namespace key = acf::attribute_key;
    const std::pair<acf::Guid, const std::optional<double>&> cells[] = {
        {key::kDefault, row.defaultValue}, {key::kMinimum, row.minimum},
        {key::kMaximum, row.maximum},      {key::kStep, row.step},
        {key::kAttr5, row.attr5},
    };
    switch (row.passing) {
      case Passing::None: return;
      case Passing::EmptyText:
        check(definition.SetAttribute(key::kDefault, acf::value_type::kText, u"", acf::kTextSize));
        return;
      case Passing::FontRecord: {
        const LOGFONTW record = defaultFontRecord();
        check(definition.SetAttribute(key::kDefault, acf::value_type::kData, &record, kFontRecordSize));
        return;
      }
      case Passing::AsDouble:
        for (const auto& [attributeKey, cell] : cells) {
          if (!cell) continue;
          const double value = *cell;
          check(definition.SetAttribute(attributeKey, acf::value_type::kDouble, &value, sizeof value));
        }
        return;
      case Passing::AsInteger:
      case Passing::AsSpeedInteger:
      case Passing::AsBoolean: {
        const acf::Guid type = row.passing == Passing::AsInteger        ? acf::value_type::kInteger
                               : row.passing == Passing::AsSpeedInteger ? acf::value_type::kSpeedInteger
                                                                        : acf::value_type::kBoolean;
        // The table holds whole numbers here.
        for (const auto& [attributeKey, cell] : cells)
          if (cell) setInteger(definition, attributeKey, type, static_cast<int32_t>(*cell));
        return;
      }
    }
  }

  acf::ParameterDefinition& definedParameter(std::u16string_view name) {
    for (auto& [row, definition] : parameters_)
      if (std::u16string_view(row->name) == name) return *definition.get();
    raiseFailure(acf::kUnexpected);  // the script names a parameter before defining it
  }

  acf::ControlDefinition& definedControl(const ControlNode& node) {
    for (auto& [defined, definition] : controls_)
      if (defined == &node) return *definition.get();
    raiseFailure(acf::kUnexpected);  // the script names a control before defining it
  }

  acf::HostObjectFactory& factory_;
  CountedRef<acf::EffectDefinition> effect_;
  std::vector<std::pair<const ParameterRow*, CountedRef<acf::ParameterDefinition>>> parameters_;
  std::vector<std::pair<const ControlNode*, CountedRef<acf::ControlDefinition>>> controls_;
};

// The effect, in the order the host is told. The order is part of what the
// host sees, so it is fixed here on purpose: note where the colour controls
// get their children and where groups are handed over.
CountedRef<acf::ComponentDefinition> registerEffect(acf::HostObjectFactory& factory) {
  namespace attribute = effect_attribute;
  EffectRegistrar r(factory);
  acf::EffectDefinition& effect = r.effect();
  defineComponent(effect, kEffect);
  setText(effect, attribute::kVendorText, attribute::kVendorTextValue);
  setId(effect, attribute::kOverlayComponent, kOverlay.componentId);
  setId(effect, attribute::kFontActionComponent, kFontSelectionAction.componentId);

  // Alignment of the digital clock.
  r.controls(panel::kAlignmentItemList);
  r.parameter(u"Alignment List");
  r.control(panel::kAlignmentPopUp);
  r.addChildren(panel::kAlignmentPopUp);
  r.control(panel::kAlignmentGroup);
  r.addChildren(panel::kAlignmentGroup);
  r.addControl(panel::kAlignmentGroup);

  // Foreground colour: the colour control gets its channels before its
  // attributes, and before the opacity slider is made.
  r.parameters(u"Foreground Red", u"Foreground Opacity");
  r.controls(panel::kForegroundChannels);
  r.control(panel::kForegroundColour);
  r.addChildren(panel::kForegroundColour);
  r.colourAttributes(panel::kForegroundColour);
  r.control(panel::kForegroundOpacitySlider);

  // Background colour: here the channels are added after the opacity slider.
  r.parameters(u"Background Red", u"Background Opacity");
  r.controls(panel::kBackgroundChannels);
  r.control(panel::kBackgroundColour);
  r.control(panel::kBackgroundOpacitySlider);
  r.addChildren(panel::kBackgroundColour);
  r.colourAttributes(panel::kBackgroundColour);

  // Clock type.
  r.controls(panel::kClockTypeItemList);
  r.parameter(u"the List value");
  r.control(panel::kClockTypePopUp);
  r.addChildren(panel::kClockTypePopUp);

  // Position and size.
  r.parameters(u"X", u"Size");
  r.groupTree(panel::kPositionGroup);

  r.addControl(panel::kClockTypePopUp);
  r.addControl(panel::kPositionGroup);

  // Time.
  r.parameters(u"Time Speed Factor", u"Count Down");
  r.groupTree(panel::kTimeGroup);
  r.addControl(panel::kTimeGroup);

  // Timer style list (its group comes after the colours).
  r.controls(panel::kTimerStyleItemList);
  r.parameter(u"Style List");
  r.control(panel::kTimerStylePopUp);
  r.addChildren(panel::kTimerStylePopUp);

  r.control(panel::kColorsGroup);
  r.addChildren(panel::kColorsGroup);
  r.addControl(panel::kColorsGroup);

  r.control(panel::kTimerStyleGroup);
  r.addChild(panel::kTimerStyleGroup, panel::kTimerStylePopUp);
  r.parameter(u"Start Time");
  r.control(panel::kStartTimeTextField);
  r.addChild(panel::kTimerStyleGroup, panel::kStartTimeTextField);
  r.addControl(panel::kTimerStyleGroup);

  check(effect.AddInput(kEffectInput.id, kEffectInput.name, kEffectInput.third));
  check(effect.AddOutput(kEffectOutput.id, kEffectOutput.name, kEffectOutput.third));
  for (const auto& [kind, second, third] : kEffectPixelKinds) check(effect.AddPixelKind(kind, second, third));

  const int32_t flag = attribute::kFlagValue;
  check(effect.SetAttribute(attribute::kFlag, acf::value_type::kBoolean, &flag, sizeof flag));
  setId(effect, attribute::kUpdateHandlerComponent, kUpdateHandler.componentId);

  // The font record has no control; it reaches the host on its own.
  r.parameter(u"PrivateData");
  r.addParameter(u"PrivateData");

  return CountedRef<acf::ComponentDefinition>::adopt(r.release().detach());
}

CountedRef<acf::ComponentDefinition> registerCompanion(acf::HostObjectFactory& factory,
                                                       const ComponentIdentity& component) {
  CountedRef<acf::ComponentDefinition> definition = createDefinition<acf::ComponentDefinition>(factory);
  defineComponent(*definition.get(), component);
  if (&component == &kOverlay)
    for (const TextAttribute& attribute : kOverlayAttributes)
      setText(*definition.get(), attribute.key, attribute.value);
  return definition;
}

}  // namespace

CountedRef<acf::PluginDefinition> registerPlugin(acf::IUnknown* host) {
  // Asked for and held to the end; nothing is called on it.
  CountedRef<acf::HostPluginInterface> pluginInterface;
  check(host->QueryInterface(acf::HostPluginInterface::kId, pluginInterface.putVoid()));
  CountedRef<acf::HostObjectFactory> factory = queryObjectFactory(host);

  CountedRef<acf::PluginDefinition> plugin = createDefinition<acf::PluginDefinition>(*factory.get());
  check(plugin->DefinePlugin(kPlugin.pluginId, kPlugin.first, kPlugin.second, kPlugin.fileName, kPlugin.vendorId,
                             kPlugin.vendorName, kPlugin.third, kPlugin.fourth));
  setText(*plugin.get(), kPlugin.descriptionKey, kPlugin.description);
  return plugin;
}

CountedRef<acf::ComponentDefinition> registerComponent(acf::IUnknown* host, uint32_t index) {
  CountedRef<acf::HostObjectFactory> factory = queryObjectFactory(host);
  if (index == kEffect.index) return registerEffect(*factory.get());
  return registerCompanion(*factory.get(), *kComponents.at(index));
}

}  // namespace horaz::definition
