#pragma once

#include <optional>
#include <string_view>

#include "cli/media/y4m.h"

namespace horaz::cli {

struct FrameSize {
  int32_t width = 1920;
  int32_t height = 1080;
};

// A positive ratio "N/D", "N:D" or a decimal, reduced.
std::optional<Ratio> parsePositiveRatio(std::string_view text);
// "30000/1001", "29.97" (taken as 30000/1001), "25", "25:1".
std::optional<Ratio> parseFrameRate(std::string_view text);
// "1920x1080".
std::optional<FrameSize> parseFrameSize(std::string_view text);

}  // namespace horaz::cli
