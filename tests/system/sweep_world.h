#pragma once

#include "host/guid.h"
#include "testhost/render_host.h"

namespace horaz::test {

// The reference host with the plug-in loaded and registered, shared by the
// whole program: the effect's parameters, its default instance and the
// ledger that every host object counts in.
testhost::RenderHost& sweepHost();

// The handle of the effect's component in the host's registration model.
int effectHandle(const testhost::RenderHost& host);

inline constexpr acf::Guid kFontActionClass = acf::makeGuid("{192761E9-013F-45B9-95DD-76D5280348E2}");
inline constexpr acf::Guid kUpdateHandlerClass = acf::makeGuid("{A24ECDD9-93C3-4BF1-B799-950DCAEB2EBE}");
inline constexpr acf::Guid kOverlayClass = acf::makeGuid("{F2745EF4-1E90-4CFC-8C78-0DC08F3F29FC}");

}  // namespace horaz::test
