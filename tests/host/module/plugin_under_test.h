#pragma once

#include <array>
#include <ostream>

#include "host/counted_ref.h"
#include "host/plugin_interfaces.h"
#include "testhost/host.h"
#include "testhost/plugin_library.h"

namespace horaz::test {

// The built plug-in, loaded once for the whole program.
inline const testhost::PluginLibrary& plugin() {
  static const testhost::PluginLibrary library(testhost::default_plugin_path());
  return library;
}

// An id that no object of the plug-in answers.
inline constexpr acf::Guid kForeignId = acf::makeGuid("{0D15EA5E-0000-4000-8000-000000000001}");

// The four component classes: class id, the one interface an instance
// answers, and whether an instance holds a reference to the host.
struct ComponentClassCase {
  const char* name;
  acf::Guid classId;
  acf::Guid interfaceId;
  bool keepsHost;
  friend void PrintTo(const ComponentClassCase& c, std::ostream* out) { *out << c.name; }
};

inline constexpr std::array kComponentClasses{
    ComponentClassCase{"effect", acf::makeGuid("{8D1B9C56-031F-4379-917E-6BF29EC15C3B}"), acf::EffectInterface::kId,
                       true},
    ComponentClassCase{"font selection action", acf::makeGuid("{192761E9-013F-45B9-95DD-76D5280348E2}"),
                       acf::FontSelectionAction::kId, true},
    ComponentClassCase{"update handler", acf::makeGuid("{A24ECDD9-93C3-4BF1-B799-950DCAEB2EBE}"),
                       acf::UpdateHandler::kId, false},
    ComponentClassCase{"overlay", acf::makeGuid("{F2745EF4-1E90-4CFC-8C78-0DC08F3F29FC}"), acf::Overlay::kId, true},
};

inline CountedRef<acf::ComponentClassFactory> classFactory(testhost::Host& host, const acf::Guid& classId) {
  CountedRef<acf::ComponentClassFactory> factory;
  const acf::Result result =
      plugin().getClassFactory(host.unknown(), classId, acf::ComponentClassFactory::kId, factory.putVoid());
  if (acf::failed(result)) factory.reset();
  return factory;
}

}  // namespace horaz::test
