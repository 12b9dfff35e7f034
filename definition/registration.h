#pragma once

#include <cstdint>

#include "host/counted_ref.h"
#include "host/definitions.h"
#include "host/unknown.h"

namespace horaz::definition {

// What the host learns at load time. Both run on the registering thread,
// build their definition from constants through the host's object factory,
// and hand it back with one reference; nothing survives in the plug-in. A
// failing host call is raised (HostFailure) with its code; unwinding releases
// every definition made so far.

// The plug-in's identity (ACFRegisterPlugin). `host` is not null.
CountedRef<acf::PluginDefinition> registerPlugin(acf::IUnknown* host);

// Component `index` (ACFRegisterComponent): 0 the effect with its parameters
// and panel, 1 the font-selection action, 2 the update handler, 3 the
// overlay. `host` is not null and `index` below 4.
CountedRef<acf::ComponentDefinition> registerComponent(acf::IUnknown* host, uint32_t index);

}  // namespace horaz::definition
