#pragma once

#include <string>
#include <vector>

#include "cli/commands/shortcut_options.h"
#include "testhost/parameter_settings.h"

namespace horaz::cli {

using testhost::ParameterAssignment;
using testhost::ParameterRule;
using testhost::SettingError;

// The parameter values of --set and of the friendly options, resolved alike.
// A parameter set by both is refused with a SettingError naming the two:
// which one was meant cannot be told.
std::vector<ParameterAssignment> resolveAllSettings(const std::vector<ParameterRule>& rules,
                                                    const std::vector<std::string>& settings,
                                                    const std::vector<ShortcutSetting>& shortcuts,
                                                    std::vector<std::string>& notes);

}  // namespace horaz::cli
