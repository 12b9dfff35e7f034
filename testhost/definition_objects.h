#pragma once

#include <memory>
#include <vector>

#include "host/counted_ref.h"
#include "host/definitions.h"
#include "testhost/host_object.h"
#include "testhost/registration_model.h"

namespace horaz::testhost {

// The definition objects the reference host's object factory makes at
// registration. Each writes what it is told into the shared RegistrationModel
// under its handle, and takes its own reference to every definition it is
// given (children, bound parameters, channels, added controls and
// parameters), so releasing the definition handed back releases the tree.
// Every operation that returns a result is a failable call in the ledger.

// The code a definition object answers a malformed argument with (a foreign
// object, a size that cannot be read).
inline constexpr acf::Result kBadDefinitionArgument = acf::makeFailure(0x80070057u);

class PluginDefinitionObject final : public HostObject<acf::PluginDefinition> {
 public:
  PluginDefinitionObject(std::shared_ptr<Ledger> ledger, std::shared_ptr<RegistrationModel> model);
  int handle() const { return handle_; }

  acf::Result ACFCALL SetAttribute(const acf::Guid& key, const acf::Guid& valueType, const void* value,
                                   int32_t size) override;
  acf::Result ACFCALL DefinePlugin(const acf::Guid& pluginId, int32_t first, int32_t second, acf::Text fileName,
                                   const acf::Guid& vendorId, acf::Text vendorName, int32_t third,
                                   int32_t fourth) override;

 private:
  std::shared_ptr<RegistrationModel> model_;
  int handle_;
};

class ComponentDefinitionObject final : public HostObject<acf::ComponentDefinition> {
 public:
  ComponentDefinitionObject(std::shared_ptr<Ledger> ledger, std::shared_ptr<RegistrationModel> model);
  int handle() const { return handle_; }

  acf::Result ACFCALL SetAttribute(const acf::Guid& key, const acf::Guid& valueType, const void* value,
                                   int32_t size) override;
  acf::Result ACFCALL DefineComponent(const acf::Guid& componentId, const acf::Guid& kindId, int32_t first,
                                      int32_t second, const acf::Guid& classId, acf::Text name) override;

 private:
  std::shared_ptr<RegistrationModel> model_;
  int handle_;
};

class EffectDefinitionObject final : public HostObject<acf::EffectDefinition> {
 public:
  EffectDefinitionObject(std::shared_ptr<Ledger> ledger, std::shared_ptr<RegistrationModel> model);
  int handle() const { return handle_; }

  acf::Result ACFCALL SetAttribute(const acf::Guid& key, const acf::Guid& valueType, const void* value,
                                   int32_t size) override;
  acf::Result ACFCALL DefineComponent(const acf::Guid& componentId, const acf::Guid& kindId, int32_t first,
                                      int32_t second, const acf::Guid& classId, acf::Text name) override;
  acf::Result ACFCALL AddInput(const acf::Guid& inputId, acf::Text name, int32_t third) override;
  acf::Result ACFCALL AddOutput(const acf::Guid& outputId, acf::Text name, int32_t third) override;
  acf::Result ACFCALL AddPixelKind(int32_t kind, int32_t second, int32_t third) override;
  acf::Result ACFCALL AddParameter(acf::ParameterDefinition* parameter) override;
  acf::Result ACFCALL AddControl(acf::ControlDefinition* control) override;

 protected:
  // An effect definition is a component definition too.
  acf::Result queryOther(const acf::Guid& iid, void** out) override;

 private:
  std::shared_ptr<RegistrationModel> model_;
  int handle_;
  std::vector<CountedRef<acf::ParameterDefinition>> parameters_;
  std::vector<CountedRef<acf::ControlDefinition>> controls_;
};

class ParameterDefinitionObject final : public HostObject<acf::ParameterDefinition> {
 public:
  ParameterDefinitionObject(std::shared_ptr<Ledger> ledger, std::shared_ptr<RegistrationModel> model);
  int handle() const { return handle_; }

  acf::Result ACFCALL SetAttribute(const acf::Guid& key, const acf::Guid& valueType, const void* value,
                                   int32_t size) override;
  acf::Result ACFCALL DefineParameter(const acf::Guid& parameterId, acf::Text name, acf::Text description,
                                      const acf::Guid& valueType, int32_t first, int32_t second, int32_t componentCount,
                                      acf::ParameterDefinition* const* components) override;

 private:
  std::shared_ptr<RegistrationModel> model_;
  int handle_;
  std::vector<CountedRef<acf::ParameterDefinition>> components_;
};

class ControlDefinitionObject final : public HostObject<acf::ControlDefinition> {
 public:
  ControlDefinitionObject(std::shared_ptr<Ledger> ledger, std::shared_ptr<RegistrationModel> model);
  int handle() const { return handle_; }

  acf::Result ACFCALL SetAttribute(const acf::Guid& key, const acf::Guid& valueType, const void* value,
                                   int32_t size) override;
  acf::Result ACFCALL DefineControl(const acf::Guid& controlId, acf::Text label, acf::Text description,
                                    const acf::Guid* controlType, acf::ParameterDefinition* parameter) override;
  acf::Result ACFCALL AddChild(acf::ControlDefinition* child) override;

 private:
  std::shared_ptr<RegistrationModel> model_;
  int handle_;
  CountedRef<acf::ParameterDefinition> parameter_;
  std::vector<CountedRef<acf::ControlDefinition>> children_;
};

// The model handle of a definition this host made, or -1 for a null or
// foreign object.
int handleOf(acf::PluginDefinition* definition);
int handleOf(acf::ComponentDefinition* definition);
int handleOf(acf::ParameterDefinition* definition);
int handleOf(acf::ControlDefinition* definition);

}  // namespace horaz::testhost
