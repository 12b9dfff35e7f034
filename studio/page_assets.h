#pragma once

#include <span>
#include <string_view>

namespace horaz::studio {

// A file of the studio's page, built into the program from studio/page/.
struct PageAsset {
  std::string_view path;  // "/studio.js"; the page itself is "/index.html"
  std::string_view contentType;
  std::string_view body;
};

std::span<const PageAsset> pageAssets();

}  // namespace horaz::studio
