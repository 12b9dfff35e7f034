#pragma once

#include <span>

#include "host/guid.h"
#include "module/base/component_base.h"

namespace horaz {

// One class that ACFGetClassFactory hands out factories for.
struct ComponentClass {
  acf::Guid classId;
  ComponentCreator creator;
};

// The four component classes, in the order ACFGetClassFactory compares them:
// the effect, the font-selection action, the update handler, the overlay.
std::span<const ComponentClass> componentClasses();

// The creator of `classId`, or null when it is none of the four.
ComponentCreator findComponentCreator(const acf::Guid& classId);

}  // namespace horaz
