#include "testhost/host.h"

#include "host/definitions.h"
#include "testhost/definition_objects.h"

namespace horaz::testhost {

Host::Host(std::shared_ptr<Ledger> ledger)
    : HostObject(ledger), ledger_(std::move(ledger)), model_(std::make_shared<RegistrationModel>()) {}

CountedRef<Host> Host::create(std::shared_ptr<Ledger> ledger) {
  return CountedRef<Host>::adopt(new Host(std::move(ledger)));
}

void Host::setAnswers(const acf::Guid& iid, bool answers) {
  if (iid == acf::HostPluginInterface::kId) answersPlugin_ = answers;
  if (iid == acf::HostObjectFactory::kId) answersFactory_ = answers;
  if (iid == acf::HostRenderInterface::kId) answersRender_ = answers;
}

bool Host::answers(const acf::Guid& iid) const {
  if (iid == acf::HostPluginInterface::kId) return answersPlugin_;
  if (iid == acf::HostObjectFactory::kId) return answersFactory_;
  if (iid == acf::HostRenderInterface::kId) return answersRender_;
  return true;
}

acf::Result ACFCALL Host::QueryInterface(const acf::Guid& iid, void** out) {
  if (answers(iid)) return HostObject::QueryInterface(iid, out);
  if (!out) return acf::kNullArgument;
  *out = nullptr;
  if (const acf::Result injected = enter("QueryInterface"); acf::failed(injected)) return injected;
  return acf::kNoInterface;
}

namespace {

// Hands out `object`'s reference as `Interface` when `iid` asks for it (or for
// IUnknown); releases the object otherwise.
template <class Interface, class Object>
acf::Result handOut(Object* object, const acf::Guid& iid, void** out) {
  if (iid == Interface::kId || iid == acf::IUnknown::kId) {
    *out = static_cast<Interface*>(object);
    return acf::kOk;
  }
  object->Release();
  return acf::kNoInterface;
}

}  // namespace

acf::Result ACFCALL Host::CreateInstance(const acf::Guid& classId, acf::IUnknown* outer, const acf::Guid& iid,
                                         void** out) {
  if (!out) return acf::kNullArgument;
  *out = nullptr;
  if (const acf::Result injected = enter("HostObjectFactory.CreateInstance"); acf::failed(injected)) return injected;
  if (outer) return acf::kNoAggregation;

  if (classId == acf::PluginDefinition::kClassId) {
    model_->recordCall("CreateInstance", "plug-in definition");
    return handOut<acf::PluginDefinition>(new PluginDefinitionObject(ledger_, model_), iid, out);
  }
  if (classId == acf::EffectDefinition::kClassId) {
    model_->recordCall("CreateInstance", "effect definition");
    auto* effect = new EffectDefinitionObject(ledger_, model_);
    if (iid == acf::ComponentDefinition::kId) {
      *out = static_cast<acf::ComponentDefinition*>(effect);
      return acf::kOk;
    }
    return handOut<acf::EffectDefinition>(effect, iid, out);
  }
  if (classId == acf::ComponentDefinition::kClassId) {
    model_->recordCall("CreateInstance", "component definition");
    return handOut<acf::ComponentDefinition>(new ComponentDefinitionObject(ledger_, model_), iid, out);
  }
  if (classId == acf::ParameterDefinition::kClassId) {
    model_->recordCall("CreateInstance", "parameter definition");
    return handOut<acf::ParameterDefinition>(new ParameterDefinitionObject(ledger_, model_), iid, out);
  }
  if (classId == acf::ControlDefinition::kClassId) {
    model_->recordCall("CreateInstance", "control definition");
    return handOut<acf::ControlDefinition>(new ControlDefinitionObject(ledger_, model_), iid, out);
  }
  return acf::kClassNotAvailable;
}

}  // namespace horaz::testhost
