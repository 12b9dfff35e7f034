#pragma once

#include <cstdint>

#include "host/text.h"
#include "host/unknown.h"

namespace acf {

struct ParameterDefinition;
struct ControlDefinition;

// The definition objects the host hands out at registration. They share the
// attribute setter at [3] and their define operation at [6]. All run on the
// thread that registers; texts are copied by the host.
struct DefinitionBase : IUnknown {
  // [3] `size` is the value's byte count, -1 for a NUL-terminated text.
  virtual Result ACFCALL SetAttribute(const Guid& key, const Guid& valueType, const void* value, int32_t size) = 0;
  ACF_RESERVED_SLOT(4)
  ACF_RESERVED_SLOT(5)

 protected:
  ~DefinitionBase() = default;
};

struct PluginDefinition : DefinitionBase {
  static constexpr Guid kId = makeGuid("{00EEF015-7FD0-11D6-8485-00306542A024}");
  static constexpr Guid kClassId = makeGuid("{6F8508AE-7295-11D6-8952-0030658A6504}");

  // [6]
  virtual Result ACFCALL DefinePlugin(const Guid& pluginId, int32_t first, int32_t second, Text fileName,
                                      const Guid& vendorId, Text vendorName, int32_t third, int32_t fourth) = 0;
};

struct ComponentDefinition : DefinitionBase {
  static constexpr Guid kId = makeGuid("{1718A226-7FD0-11D6-BD1D-00306542A024}");
  static constexpr Guid kClassId = makeGuid("{6C422BFA-70E5-11D6-8CDD-0030658A6504}");

  // [6]
  virtual Result ACFCALL DefineComponent(const Guid& componentId, const Guid& kindId, int32_t first, int32_t second,
                                         const Guid& classId, Text name) = 0;
};

struct EffectDefinition : ComponentDefinition {
  static constexpr Guid kId = makeGuid("{EA08C929-6B1C-4195-A0F8-872444E150A4}");
  static constexpr Guid kClassId = makeGuid("{FA6CE63D-35C3-469C-8D80-F9CF8FCE7A01}");

  // [7]
  virtual Result ACFCALL AddInput(const Guid& inputId, Text name, int32_t third) = 0;
  ACF_RESERVED_SLOT(8)
  // [9]
  virtual Result ACFCALL AddOutput(const Guid& outputId, Text name, int32_t third) = 0;
  ACF_RESERVED_SLOT(10)
  // [11]
  virtual Result ACFCALL AddPixelKind(int32_t kind, int32_t second, int32_t third) = 0;
  ACF_RESERVED_SLOT(12)
  // [13] A parameter that has no control of its own.
  virtual Result ACFCALL AddParameter(ParameterDefinition* parameter) = 0;
  ACF_RESERVED_SLOT(14)
  // [15] A top-level control of the panel.
  virtual Result ACFCALL AddControl(ControlDefinition* control) = 0;
};

struct ParameterDefinition : DefinitionBase {
  static constexpr Guid kId = makeGuid("{3DA89D01-6896-4C78-9071-33B1CF6BF4CD}");
  static constexpr Guid kClassId = makeGuid("{2CA1D73C-7DE5-4F8C-81E0-40A0655F9A4A}");

  // [6] `components` lists `componentCount` channel definitions of a compound
  // (colour) parameter, or is null.
  virtual Result ACFCALL DefineParameter(const Guid& parameterId, Text name, Text description, const Guid& valueType,
                                         int32_t first, int32_t second, int32_t componentCount,
                                         ParameterDefinition* const* components) = 0;
};

struct ControlDefinition : DefinitionBase {
  static constexpr Guid kId = makeGuid("{5977BECB-3906-4A95-974A-B9F7FB40DE76}");
  static constexpr Guid kClassId = makeGuid("{B710C2BC-DD00-4F3C-A8CC-ED5451F20BB4}");

  // [6] `label` and `description` may be null; `controlType` is null for a
  // group; `parameter` is null for groups and list items.
  virtual Result ACFCALL DefineControl(const Guid& controlId, Text label, Text description, const Guid* controlType,
                                       ParameterDefinition* parameter) = 0;
  // [7]
  virtual Result ACFCALL AddChild(ControlDefinition* child) = 0;
};

}  // namespace acf
