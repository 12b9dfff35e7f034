#pragma once

#include <cstdint>

#include "host/calling_convention.h"
#include "host/definitions.h"
#include "host/unknown.h"

// The library's four exported entry points. `host` is an IUnknown of the host.
extern "C" {

// Describes the plug-in; *out receives its PluginDefinition with one reference.
acf::Result ACFCALL ACFRegisterPlugin(acf::IUnknown* host, acf::PluginDefinition** out);
// Describes component `index` (0 to 3); *out receives its definition.
acf::Result ACFCALL ACFRegisterComponent(acf::IUnknown* host, uint32_t index, acf::ComponentDefinition** out);
// Hands out a new class factory for `classId` through its interface `iid`.
acf::Result ACFCALL ACFGetClassFactory(acf::IUnknown* host, const acf::Guid& classId, const acf::Guid& iid, void** out);
// 0 when no object of the library is alive.
acf::Result ACFCALL ACFCanUnloadNow(acf::IUnknown* host);
}

namespace acf {
using RegisterPluginFunction = decltype(&ACFRegisterPlugin);
using RegisterComponentFunction = decltype(&ACFRegisterComponent);
using GetClassFactoryFunction = decltype(&ACFGetClassFactory);
using CanUnloadNowFunction = decltype(&ACFCanUnloadNow);
}  // namespace acf
