#pragma once

#include <array>
#include <stdexcept>
#include <string>

#include "host/counted_ref.h"
#include "host/definitions.h"
#include "testhost/host.h"
#include "testhost/plugin_library.h"

namespace horaz::testhost {

// The number of components a plug-in registers (indexes 0 to 3).
inline constexpr uint32_t kComponentCount = 4;

// What the host holds after a full registration: the definitions handed back
// (released with this object) and their handles in the host's model.
struct Registration {
  CountedRef<acf::PluginDefinition> plugin;
  std::array<CountedRef<acf::ComponentDefinition>, kComponentCount> components;
  int pluginHandle = -1;
  std::array<int, kComponentCount> componentHandles{-1, -1, -1, -1};
};

// An entry point refused registration; `code` is what it returned.
class RegistrationError : public std::runtime_error {
 public:
  RegistrationError(const std::string& step, acf::Result code);
  acf::Result code() const { return code_; }

 private:
  acf::Result code_;
};

// Registers the plug-in as a host does at load time: ACFRegisterPlugin, then
// ACFRegisterComponent with 0 to 3. What it declared is in host.model().
// Throws RegistrationError.
Registration registerAll(const PluginLibrary& library, Host& host);

// "0x80000005"
std::string resultText(acf::Result code);

}  // namespace horaz::testhost
