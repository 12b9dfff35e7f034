#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "testhost/parameter_settings.h"

namespace horaz::frei0r {

// One parameter as a frei0r host sees it.
struct FilterParameter {
  enum class Role {
    kPanel,      // one of the effect's parameters (a colour stands for its three channels)
    kFont,       // "FACE[:bold][:italic][:underline][:strikeout][:HEIGHT]", written into PrivateData
    kFrameRate,  // the rate that turns the host's seconds into the clock's frames
    kSettings,   // "NAME=VALUE;NAME=VALUE", for hosts that hold numbers to 0..1
  };
  std::string name;
  std::string explanation;
  int type = 0;  // F0R_PARAM_*
  Role role = Role::kPanel;
  size_t rule = 0;  // kPanel: the index into the rules it was made from
};

inline constexpr double kDefaultFrameRate = 25.0;
inline constexpr double kLowestFrameRate = 1.0;
inline constexpr double kHighestFrameRate = 1000.0;

// The filter's parameters, from the effect's registered ones in table order:
// every parameter except the colour channels (their colour stands for them)
// and the font record (the Font text stands for it), then Font, Frame Rate
// and Settings. The same registration always gives the same list, so an
// index means the same parameter in every instance.
std::vector<FilterParameter> filterParameters(const std::vector<testhost::ParameterRule>& rules);

}  // namespace horaz::frei0r
