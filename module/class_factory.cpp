#include "module/class_factory.h"

#include <new>

#include "module/base/boundary.h"

namespace horaz {

ClassFactory::ClassFactory(ComponentCreator creator) : Component(nullptr), creator_(creator) {}

acf::Result ACFCALL ClassFactory::CreateInstance(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid,
                                                 void** out) {
  return guardBoundary([&] {
    if (!creator_) return acf::kUnexpected;
    if (!host || !out) return acf::kNullArgument;
    *out = nullptr;
    // An aggregated object is reachable only through its inner IUnknown.
    if (outer && iid != acf::IUnknown::kId) return acf::kNoAggregation;
    return creator_(host, outer, iid, out);
  });
}

acf::Result makeClassFactory(ComponentCreator creator, const acf::Guid& iid, void** out) {
  if (!creator || !out) return acf::kNullArgument;
  *out = nullptr;
  auto* factory = new (std::nothrow) ClassFactory(creator);
  if (!factory) return acf::kOutOfMemory;
  // Hold the factory while it is asked, so a failed query destroys it.
  factory->AddRef();
  const acf::Result queried = factory->QueryInterface(iid, out);
  factory->Release();
  return queried;
}

}  // namespace horaz
