// Windows: the commands of the Windows build (the browser studio stays with
// the Linux build).
#include <array>

#include "cli/commands/command.h"
#include "cli/commands/describe_command.h"
#include "cli/commands/render_command.h"

namespace horaz::cli {

std::span<const Command> commands() {
  static constexpr std::array kCommands{
      Command{"describe", "describe [--plugin PATH] [--json]",
              "load the plug-in and print what it registers: identity, components, parameters, panel", &runDescribe},
      Command{"render", "render [options] -o OUTPUT",
              "render the clock over a clip (test pattern, colour, Y4M, PNG) to Y4M, raw frames or PNGs", &runRender},
  };
  return kCommands;
}

}  // namespace horaz::cli
