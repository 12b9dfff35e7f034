#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace horaz::test {

// A folder of its own for one test, removed with everything in it.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // The names in the folder, sorted.
  std::vector<std::string> names() const;

 private:
  std::filesystem::path path_;
};

struct ToolRun {
  int exitCode = -1;   // -1 when it did not exit normally
  std::string errors;  // standard error
};

// Runs `horaz ARGUMENTS` in `folder` as a user would; standard output goes
// to `stdoutPath` (or /dev/null), standard input comes from `stdinPath` (or
// /dev/null).
ToolRun runTool(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                const std::string& stdoutPath = "/dev/null", const std::string& stdinPath = "/dev/null");

// Starts it without waiting; standard error goes to `errorsPath`.
pid_t startTool(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                const std::string& errorsPath);
// Waits for a started tool; its exit code, or -1.
int waitForTool(pid_t pid);

std::string readText(const std::filesystem::path& path);
std::vector<uint8_t> readBytes(const std::filesystem::path& path);

}  // namespace horaz::test
