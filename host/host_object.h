#pragma once

#include "host/unknown.h"

namespace acf {

// Asked of the host object at registration; held to the end, never called.
struct HostPluginInterface : IUnknown {
  static constexpr Guid kId = makeGuid("{E51741F1-7FCF-11D6-AAC3-00306542A024}");
};

// Asked of the host object at the start of every render; only its presence
// matters.
struct HostRenderInterface : IUnknown {
  static constexpr Guid kId = makeGuid("{908C3A6B-F119-11D6-AD24-00039383008C}");
};

// Makes the host's definition objects at registration.
struct HostObjectFactory : IUnknown {
  static constexpr Guid kId = makeGuid("{382B6A96-7FD0-11D6-BCFE-00306542A024}");

  // [3] Creates an instance of `classId` (aggregated in `outer` when given)
  // and stores its interface `iid` in *out.
  virtual Result ACFCALL CreateInstance(const Guid& classId, IUnknown* outer, const Guid& iid, void** out) = 0;
};

}  // namespace acf
