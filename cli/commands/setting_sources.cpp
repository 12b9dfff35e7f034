#include "cli/commands/setting_sources.h"

#include <algorithm>

namespace horaz::cli {

std::vector<ParameterAssignment> resolveAllSettings(const std::vector<ParameterRule>& rules,
                                                    const std::vector<std::string>& settings,
                                                    const std::vector<ShortcutSetting>& shortcuts,
                                                    std::vector<std::string>& notes) {
  std::vector<ParameterAssignment> assignments;
  std::vector<std::string> options;  // the friendly option behind each assignment so far
  for (const ShortcutSetting& shortcut : shortcuts) {
    std::vector<ParameterAssignment> resolved;
    try {
      resolved = testhost::resolveSetting(rules, shortcut.setting, notes);
    } catch (const SettingError& error) {
      throw SettingError(shortcut.option + ": " + error.what());
    }
    for (ParameterAssignment& assignment : resolved) {
      assignments.push_back(std::move(assignment));
      options.push_back(shortcut.option);
    }
  }
  const size_t fromShortcuts = assignments.size();
  for (const std::string& setting : settings)
    for (ParameterAssignment& assignment : testhost::resolveSetting(rules, setting, notes)) {
      for (size_t i = 0; i < fromShortcuts; ++i)
        if (assignments[i].id == assignment.id)
          throw SettingError(options[i] + " and --set both set " + assignment.name + "; give it once");
      assignments.push_back(std::move(assignment));
    }
  return assignments;
}

}  // namespace horaz::cli
