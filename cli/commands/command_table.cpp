#include <array>

#include "cli/commands/command.h"
#include "cli/commands/describe_command.h"
#include "cli/commands/render_command.h"
#include "studio/studio_command.h"

namespace horaz::cli {

std::span<const Command> commands() {
  static constexpr std::array kCommands{
      Command{"describe", "describe [--plugin PATH] [--json]",
              "load the plug-in and print what it registers: identity, components, parameters, panel", &runDescribe},
      Command{"render", "render [options] -o OUTPUT",
              "render the clock over a clip (test pattern, colour, Y4M, PNG) to Y4M, raw frames, PNGs or video",
              &runRender},
      Command{"studio", "studio [--input CLIP] [--project FILE.json] [--port N] [--open]",
              "set the clock up by eye in the browser: the panel, a viewer with the on-screen handles, the font "
              "chooser",
              &studio::runStudio},
  };
  return kCommands;
}

}  // namespace horaz::cli
