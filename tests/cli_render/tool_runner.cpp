#include "tool_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace horaz::test {

TemporaryFolder::TemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "horaz-render-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TemporaryFolder::names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

pid_t spawn(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
            const std::string& stdoutPath, const std::string& stdinPath, const std::string& errorsPath) {
  std::vector<std::string> all{HORAZ_CLI_PATH};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);
  // Relative paths (stdout and stdin files) are taken in the folder.
  const auto inFolder = [&](const std::string& path) {
    return std::filesystem::path(path).is_absolute() ? path : (folder / path).string();
  };
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inFolder(stdinPath).c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, inFolder(stdoutPath).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = -1;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + all[0]);
  return pid;
}

}  // namespace

pid_t startTool(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                const std::string& errorsPath) {
  return spawn(arguments, folder, "/dev/null", "/dev/null", errorsPath);
}

int waitForTool(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ToolRun runTool(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                const std::string& stdoutPath, const std::string& stdinPath) {
  // Standard error is kept beside the folder, so that the folder holds only
  // what the tool wrote.
  const std::string errorsPath = folder.string() + ".stderr";
  ToolRun run;
  run.exitCode = waitForTool(spawn(arguments, folder, stdoutPath, stdinPath, errorsPath));
  run.errors = readText(errorsPath);
  std::filesystem::remove(errorsPath);
  return run;
}

std::string readText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace horaz::test
