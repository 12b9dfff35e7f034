#pragma once

#include "host/plugin_interfaces.h"
#include "module/base/component_base.h"

namespace horaz {

// The class factory handed out by ACFGetClassFactory: one new object per call,
// owned by the host, that makes instances of one component class through the
// class's ComponentCreator.
class ClassFactory final : public Component<acf::ComponentClassFactory> {
 public:
  explicit ClassFactory(ComponentCreator creator);

  // [3] Any thread. kUnexpected without a creator; kNullArgument for a null
  // host or out; kNoAggregation when an outer object asks for anything but
  // IUnknown; otherwise the creator's result. *out receives one reference.
  acf::Result ACFCALL CreateInstance(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid,
                                     void** out) override;

 private:
  ComponentCreator creator_;
};

// Makes a factory for `creator` and stores its interface `iid` in *out (one
// reference). kNullArgument for a null creator or out, kOutOfMemory when the
// object cannot be allocated, otherwise the query's result; a factory whose
// query failed is destroyed again.
acf::Result makeClassFactory(ComponentCreator creator, const acf::Guid& iid, void** out);

}  // namespace horaz
