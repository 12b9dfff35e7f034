#pragma once

#include <cstdint>

#include "host/guid.h"
#include "host/text.h"

namespace horaz::definition {

// What ACFRegisterPlugin tells the host about the library.
struct PluginIdentity {
  acf::Guid pluginId;
  int32_t first;  // the two integers after the plug-in id
  int32_t second;
  acf::Text fileName;
  acf::Guid vendorId;
  acf::Text vendorName;
  int32_t third;  // the two integers after the vendor name
  int32_t fourth;
  acf::Guid descriptionKey;  // attribute key of the description text
  acf::Text description;
};

inline constexpr PluginIdentity kPlugin{
    acf::makeGuid("{E2AE8A98-3299-4E5B-B565-B9A456D0451D}"),
    0,
    0,
    u"AVX2Horaz.avx",
    acf::makeGuid("{BD5826BE-5C69-4612-9CED-67C815EBBA66}"),
    u"Quorix",
    4,
    1,
    acf::makeGuid("{3C099C4A-7FD2-11D6-9AEF-00306542A024}"),
    u"AVX 2 plugin Horaz",
};

}  // namespace horaz::definition
