// The library's four exported entry points. Everything else is hidden; the
// version script (exports.map) keeps it that way.

#include "host/entry_points.h"

#include "definition/registration.h"
#include "module/base/boundary.h"
#include "module/base/object_count.h"
#include "module/class_factory.h"
#include "module/component_classes.h"

#define HORAZ_EXPORT __attribute__((visibility("default")))

namespace {
constexpr uint32_t kComponentCount = 4;
}

// Registering thread. *out receives the plug-in definition with one
// reference, or stays null. kNullPointer for a null host or out; a failing
// host call's code otherwise.
extern "C" HORAZ_EXPORT acf::Result ACFCALL ACFRegisterPlugin(acf::IUnknown* host, acf::PluginDefinition** out) {
  return horaz::guardBoundary([&] {
    if (!host || !out) return acf::kNullPointer;
    *out = nullptr;
    *out = horaz::definition::registerPlugin(host).detach();
    return acf::kOk;
  });
}

// Registering thread. *out receives component `index`'s definition with one
// reference, or stays null. kNullPointer for a null host or out (checked
// before the index), kBadIndex for an index above 3, a failing host call's
// code otherwise.
extern "C" HORAZ_EXPORT acf::Result ACFCALL ACFRegisterComponent(acf::IUnknown* host, uint32_t index,
                                                                 acf::ComponentDefinition** out) {
  return horaz::guardBoundary([&] {
    if (!host || !out) return acf::kNullPointer;
    if (index >= kComponentCount) return acf::kBadIndex;
    *out = nullptr;
    *out = horaz::definition::registerComponent(host, index).detach();
    return acf::kOk;
  });
}

// Any thread. A new class factory for `classId`, handed out through its
// interface `iid` with one reference. kNullArgument for a null host or out,
// kClassNotAvailable (with *out untouched) for an unknown class.
extern "C" HORAZ_EXPORT acf::Result ACFCALL ACFGetClassFactory(acf::IUnknown* host, const acf::Guid& classId,
                                                               const acf::Guid& iid, void** out) {
  return horaz::guardBoundary([&] {
    if (!host || !out) return acf::kNullArgument;
    const horaz::ComponentCreator creator = horaz::findComponentCreator(classId);
    if (!creator) return acf::kClassNotAvailable;
    return horaz::makeClassFactory(creator, iid, out);
  });
}

// Any thread. 0 when no factory or component of the library is alive,
// kObjectsAlive otherwise; kNullArgument for a null host.
extern "C" HORAZ_EXPORT acf::Result ACFCALL ACFCanUnloadNow(acf::IUnknown* host) {
  if (!host) return acf::kNullArgument;
  return horaz::moduleObjectCount() == 0 ? acf::kOk : acf::kObjectsAlive;
}
