#include "module/base/component_base.h"

#include "host/result.h"
#include "module/base/object_count.h"

namespace horaz {

ComponentBase::ComponentBase(acf::IUnknown* outer) : controlling_(outer ? outer : &inner_), inner_(*this) {
  incrementModuleObjectCount();
}

ComponentBase::~ComponentBase() { decrementModuleObjectCount(); }

void ComponentBase::destroy(uint32_t flags) {
  if (flags & 1u) {
    delete this;
  } else {
    this->~ComponentBase();
  }
}

acf::Result ComponentBase::initialise(acf::IUnknown*) { return acf::kOk; }

acf::Result ComponentBase::innerQueryInterface(const acf::Guid& iid, void** out) {
  if (!out) return acf::kNullArgument;
  if (iid == publicInterfaceId()) {
    acf::IUnknown* own = publicInterface();
    *out = own;
    own->AddRef();
    return acf::kOk;
  }
  *out = nullptr;
  if (iid == acf::IUnknown::kId) {
    *out = &inner_;
    inner_.AddRef();
    return acf::kOk;
  }
  return acf::kNoInterface;
}

uint32_t ComponentBase::innerAddRef() { return referenceCount_.fetch_add(1) + 1; }

uint32_t ComponentBase::innerRelease() {
  const uint32_t remaining = referenceCount_.fetch_sub(1) - 1;
  if (remaining == 0) destroy(1);
  return remaining;
}

}  // namespace horaz
