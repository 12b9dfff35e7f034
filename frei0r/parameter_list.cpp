#include "frei0r/parameter_list.h"

#include <algorithm>

#include "frei0r/frei0r_api.h"

namespace horaz::frei0r {
namespace {

using Kind = testhost::ParameterRule::Kind;

int frei0rType(Kind kind) {
  switch (kind) {
    case Kind::kBoolean: return F0R_PARAM_BOOL;
    case Kind::kColour: return F0R_PARAM_COLOR;
    case Kind::kText: return F0R_PARAM_STRING;
    default: return F0R_PARAM_DOUBLE;
  }
}

}  // namespace

std::vector<FilterParameter> filterParameters(const std::vector<testhost::ParameterRule>& rules) {
  std::vector<const testhost::ParameterRecord*> channels;
  for (const testhost::ParameterRule& rule : rules)
    channels.insert(channels.end(), rule.channels.begin(), rule.channels.end());

  std::vector<FilterParameter> parameters;
  for (size_t i = 0; i < rules.size(); ++i) {
    const testhost::ParameterRule& rule = rules[i];
    if (rule.kind == Kind::kData) continue;
    if (std::find(channels.begin(), channels.end(), rule.record) != channels.end()) continue;
    parameters.push_back({rule.name, testhost::toUtf8(rule.record->description), frei0rType(rule.kind),
                          FilterParameter::Role::kPanel, i});
  }
  parameters.push_back({"Font",
                        "Digital clock font: FACE[:bold][:italic][:underline][:strikeout][:HEIGHT], "
                        "HEIGHT in % of the clock's size (empty: the default font)",
                        F0R_PARAM_STRING, FilterParameter::Role::kFont, 0});
  parameters.push_back({"Frame Rate",
                        "Frames per second the clock counts in: its frame is the host's time in seconds x "
                        "this, rounded (1 to 1000, default 25)",
                        F0R_PARAM_DOUBLE, FilterParameter::Role::kFrameRate, 0});
  parameters.push_back({"Settings",
                        "More values by name, NAME=VALUE separated by ';' (as horaz render --set takes them), "
                        "for hosts that keep numbers between 0 and 1",
                        F0R_PARAM_STRING, FilterParameter::Role::kSettings, 0});
  return parameters;
}

}  // namespace horaz::frei0r
