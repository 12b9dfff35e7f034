#pragma once

#include <span>
#include <string_view>

#include "cli/commands/command.h"

namespace horaz::studio {

// `horaz studio [--input CLIP] [--project FILE.json] [--port N] [--open]
// [--output-dir DIR] [--plugin PATH]`: serves the studio until Ctrl-C.
int runStudio(std::span<const std::string_view> arguments, cli::Streams streams);

}  // namespace horaz::studio
