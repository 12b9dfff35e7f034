#pragma once

#include <span>
#include <string_view>

#include "cli/commands/command.h"

namespace horaz::cli {

// `horaz render [options] -o OUTPUT`: renders the clock effect over a clip
// (see render_options.cpp for the options and their help text).
int runRender(std::span<const std::string_view> arguments, Streams streams);

// Exit code of a render stopped by SIGINT or SIGTERM (nothing is left under
// the output's name).
inline constexpr int kExitInterrupted = 130;

}  // namespace horaz::cli
