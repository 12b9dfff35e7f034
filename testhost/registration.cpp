#include "testhost/registration.h"

#include <cstdio>

#include "testhost/definition_objects.h"

namespace horaz::testhost {

std::string resultText(acf::Result code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

RegistrationError::RegistrationError(const std::string& step, acf::Result code)
    : std::runtime_error(step + " failed with " + resultText(code)), code_(code) {}

Registration registerAll(const PluginLibrary& library, Host& host) {
  Registration registration;
  if (const acf::Result result = library.registerPlugin(host.unknown(), registration.plugin.put()); acf::failed(result))
    throw RegistrationError("ACFRegisterPlugin", result);
  registration.pluginHandle = handleOf(registration.plugin.get());
  if (registration.pluginHandle < 0) throw RegistrationError("ACFRegisterPlugin", acf::kUnexpected);

  for (uint32_t index = 0; index < kComponentCount; ++index) {
    CountedRef<acf::ComponentDefinition>& component = registration.components[index];
    const std::string step = "ACFRegisterComponent(" + std::to_string(index) + ")";
    if (const acf::Result result = library.registerComponent(host.unknown(), index, component.put());
        acf::failed(result))
      throw RegistrationError(step, result);
    registration.componentHandles[index] = handleOf(component.get());
    if (registration.componentHandles[index] < 0) throw RegistrationError(step, acf::kUnexpected);
  }
  return registration;
}

}  // namespace horaz::testhost
