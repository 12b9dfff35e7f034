#pragma once

#include <span>
#include <string_view>

#include "cli/commands/command.h"

namespace horaz::cli {

// `horaz describe [--plugin PATH] [--json]`: loads the plug-in, registers it
// through the reference host and prints what it declared, as a readable
// outline with the panel tree or as one JSON object.
int runDescribe(std::span<const std::string_view> arguments, Streams streams);

}  // namespace horaz::cli
