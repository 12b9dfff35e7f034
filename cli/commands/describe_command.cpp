#include "cli/commands/describe_command.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <ostream>

#include "cli/commands/registration_printer.h"
#include "testhost/host.h"
#include "testhost/plugin_library.h"
#include "testhost/registration.h"

namespace horaz::cli {

int runDescribe(std::span<const std::string_view> arguments, Streams streams) {
  std::optional<std::filesystem::path> pluginPath;
  bool json = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--json") {
      json = true;
    } else if (arguments[i] == "--plugin" && i + 1 < arguments.size()) {
      pluginPath = std::filesystem::path(arguments[++i]);
    } else {
      streams.err << "horaz describe: unexpected argument '" << arguments[i]
                  << "'\nusage: horaz describe [--plugin PATH] [--json]\n";
      return kExitUsage;
    }
  }

  try {
    // The library goes last: everything it handed out is released first.
    const testhost::PluginLibrary library(pluginPath ? *pluginPath : testhost::default_plugin_path());
    const CountedRef<testhost::Host> host = testhost::Host::create();
    const testhost::Registration registration = testhost::registerAll(library, *host.get());

    const testhost::RegistrationModel& model = host->model();
    for (const std::string& problem : model.problems()) streams.err << "horaz describe: warning: " << problem << '\n';
    if (json)
      printRegistrationJson(model, registration, streams.out);
    else
      printRegistrationText(model, registration, streams.out);
    return kExitSuccess;
  } catch (const std::exception& failure) {
    streams.err << "horaz describe: " << failure.what() << '\n';
    return kExitFailure;
  }
}

}  // namespace horaz::cli
