#include "studio/studio_command.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "cli/commands/project_file.h"
#include "studio/request_error.h"
#include "studio/studio_server.h"
#include "studio/studio_session.h"
#include "testhost/plugin_library.h"

extern char** environ;

namespace horaz::studio {
namespace {

constexpr std::string_view kHelp = R"(usage: horaz studio [--input CLIP] [--project FILE.json] [--port N] [--open]
                    [--output-dir DIR] [--plugin PATH]

Serves the clock effect's panel, a viewer with the on-screen handles and the
font chooser as a page in the browser, on this machine only (127.0.0.1). The
address printed holds a random access token; requests without it are refused.
Ctrl-C stops the studio.

  --input CLIP        the clip to preview over: pattern (default), color:R,G,B,
                      FILE.y4m or FILE.png
  --project FILE      open a project saved by the studio
  --port N            the port to listen on (default: a free one)
  --open              open the page in the default browser
  --output-dir DIR    renders are written only under DIR (default: the
                      current folder)
  --plugin PATH       the plug-in (default: AVX2Horaz.avx beside horaz)
  -h, --help          this text
)";

struct StudioOptions {
  std::optional<std::string> input, project, plugin;
  std::filesystem::path outputFolder = std::filesystem::current_path();
  int port = 0;
  bool open = false;
  bool help = false;
};

StudioOptions parse(std::span<const std::string_view> arguments) {
  StudioOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view option = arguments[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= arguments.size()) throw RequestError(std::string(option) + " needs a value");
      return std::string(arguments[++i]);
    };
    if (option == "-h" || option == "--help") {
      options.help = true;
    } else if (option == "--input" || option == "-i") {
      options.input = value();
    } else if (option == "--project") {
      options.project = value();
    } else if (option == "--plugin") {
      options.plugin = value();
    } else if (option == "--output-dir") {
      options.outputFolder = value();
      if (!std::filesystem::is_directory(options.outputFolder))
        throw RequestError("--output-dir " + options.outputFolder.string() + " is not a folder");
    } else if (option == "--port") {
      const std::string text = value();
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), options.port);
      if (error != std::errc() || end != text.data() + text.size() || options.port < 1 || options.port > 65535)
        throw RequestError("--port takes a port number from 1 to 65535, not '" + text + "'");
    } else if (option == "--open") {
      options.open = true;
    } else {
      throw RequestError("unknown option '" + std::string(option) + "'");
    }
  }
  return options;
}

// The default browser, through the desktop's opener.
void openBrowser(const std::string& address, std::ostream& err) {
  std::string opener = "xdg-open";
  std::string target = address;
  char* argv[] = {opener.data(), target.data(), nullptr};
  pid_t child = -1;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv, environ) != 0) {
    err << "horaz studio: cannot run xdg-open; open the address above yourself\n";
    return;
  }
  int status = 0;
  waitpid(child, &status, 0);
}

}  // namespace

int runStudio(std::span<const std::string_view> arguments, cli::Streams streams) {
  StudioOptions options;
  try {
    options = parse(arguments);
  } catch (const RequestError& error) {
    streams.err << "horaz studio: " << error.what() << "\n(horaz studio --help tells more)\n";
    return cli::kExitUsage;
  }
  if (options.help) {
    streams.out << kHelp;
    return cli::kExitSuccess;
  }
  // Ctrl-C and SIGTERM are taken by this thread alone (the server's threads
  // inherit the mask), so the studio shuts down in order.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  try {
    StudioSession session(options.plugin ? std::filesystem::path(*options.plugin) : testhost::default_plugin_path());
    if (options.project) session.loadProject(cli::readProjectFile(*options.project));
    if (options.input) {
      cli::InputSettings input = session.project().input;
      input.source = *options.input;
      session.setInput(input);
    }
    ServerOptions serverOptions;
    serverOptions.outputFolder = options.outputFolder;
    serverOptions.tool = std::filesystem::read_symlink("/proc/self/exe");
    serverOptions.port = options.port;
    StudioServer server(session, serverOptions);
    streams.out << "horaz studio: open " << server.address() << "\n"
                << "  renders go under " << std::filesystem::absolute(options.outputFolder).string()
                << "; Ctrl-C stops the studio\n"
                << std::flush;
    if (options.open) openBrowser(server.address(), streams.err);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    streams.out << "horaz studio: stopped\n";
  } catch (const std::exception& error) {
    streams.err << "horaz studio: " << error.what() << '\n';
    return cli::kExitFailure;
  }
  return cli::kExitSuccess;
}

}  // namespace horaz::studio
