#pragma once

#include <stdexcept>
#include <string>

#include "host/counted_ref.h"
#include "host/plugin_interfaces.h"
#include "testhost/plugin_library.h"
#include "testhost/registration.h"

namespace horaz::testhost {

// The plug-in refused to make a component; `code` is what it returned.
class ComponentError : public std::runtime_error {
 public:
  ComponentError(const std::string& step, acf::Result code)
      : std::runtime_error(step + " failed with " + resultText(code)), code_(code) {}
  acf::Result code() const { return code_; }

 private:
  acf::Result code_;
};

// Makes one component as a host does: ACFGetClassFactory with `classId`,
// then the factory's CreateInstance for `Interface` without an outer object.
// The factory is released before returning; the caller owns the component.
// Throws ComponentError.
template <class Interface>
CountedRef<Interface> createComponentInstance(const PluginLibrary& library, acf::IUnknown* host,
                                              const acf::Guid& classId) {
  CountedRef<acf::ComponentClassFactory> factory;
  if (const acf::Result result =
          library.getClassFactory(host, classId, acf::ComponentClassFactory::kId, factory.putVoid());
      acf::failed(result))
    throw ComponentError("ACFGetClassFactory", result);
  CountedRef<Interface> component;
  if (const acf::Result result = factory->CreateInstance(host, nullptr, Interface::kId, component.putVoid());
      acf::failed(result))
    throw ComponentError("CreateInstance", result);
  return component;
}

}  // namespace horaz::testhost
