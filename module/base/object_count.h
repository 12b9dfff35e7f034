#pragma once

#include <cstdint>

namespace horaz {

// The library-wide count of live objects built on ComponentBase. It decides
// whether the library may be unloaded; changed only atomically.
int32_t moduleObjectCount();
void incrementModuleObjectCount();
void decrementModuleObjectCount();

}  // namespace horaz
