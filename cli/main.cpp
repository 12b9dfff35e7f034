// `horaz`: the reference host on the command line. Dispatches to the commands
// of command_table.cpp.

#include <iostream>
#include <string_view>
#include <vector>

#include "cli/commands/command.h"

namespace {

void printHelp(std::ostream& out) {
  out << "usage: horaz COMMAND [ARGUMENTS]\n"
         "       horaz --help | --version\n\n"
         "Loads the clock effect plug-in (AVX2Horaz.avx) through the reference host.\n\n"
         "commands:\n";
  for (const horaz::cli::Command& command : horaz::cli::commands())
    out << "  " << command.usage << "\n      " << command.summary << '\n';
  out << "\nWithout --plugin, the plug-in is $HORAZ_PLUGIN, or AVX2Horaz.avx beside this program or in\n"
         "../lib/horaz/ from it (an installed horaz). Video files are decoded and encoded in horaz's own\n"
         "process by horaz_video_decoder.so and horaz_video_encoder.so from the same places where it\n"
         "takes them, else by ffmpeg; $HORAZ_VIDEO_DECODER and $HORAZ_VIDEO_ENCODER name other modules,\n"
         "or set empty, none.\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  if (arguments.empty()) {
    printHelp(std::cerr);
    return horaz::cli::kExitUsage;
  }
  const std::string_view first = arguments.front();
  if (first == "--help" || first == "-h" || first == "help") {
    printHelp(std::cout);
    return horaz::cli::kExitSuccess;
  }
  if (first == "--version") {
    std::cout << "horaz " << HORAZ_VERSION << '\n';
    return horaz::cli::kExitSuccess;
  }
  for (const horaz::cli::Command& command : horaz::cli::commands())
    if (command.name == first) return command.run(std::span(arguments).subspan(1), {std::cout, std::cerr});
  std::cerr << "horaz: unknown command '" << first << "' (see horaz --help)\n";
  return horaz::cli::kExitUsage;
}
