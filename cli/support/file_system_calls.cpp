#include "cli/support/file_system_calls.h"
#include "cli/support/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace horaz::cli {

UniqueFd createUniqueFile(const std::filesystem::path& folder, const std::string& prefix, const std::string& extension,
                          std::filesystem::path& created, std::string& reason) {
  std::string pattern = (folder / (prefix + "XXXXXX" + extension)).string();
  UniqueFd fd(::mkstemps(pattern.data(), static_cast<int>(extension.size())));
  if (!fd) {
    reason = std::strerror(errno);
    return fd;
  }
  created = pattern;
  // mkstemps makes the file private; give it the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd.get(), 0666 & ~mask);
  return fd;
}

std::filesystem::path createUniqueFolder(const std::filesystem::path& folder, const std::string& prefix,
                                         std::string& reason) {
  std::string pattern = (folder / (prefix + "XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) {
    reason = std::strerror(errno);
    return {};
  }
  return pattern;
}

UniqueFd createFile(const std::filesystem::path& path, std::string& reason) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!fd) reason = std::strerror(errno);
  return fd;
}

bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& reason) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  reason = std::strerror(errno);
  return false;
}

bool isSpecialFile(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  return !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

}  // namespace horaz::cli
