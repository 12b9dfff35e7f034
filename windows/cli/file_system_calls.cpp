// Windows: no calls make a uniquely named file or folder, so a random part is
// tried until one is new; a move replaces its target in one call.
#include "cli/support/file_system_calls.h"
#include "cli/support/atomic_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

namespace horaz::cli {
namespace {

constexpr int kAttempts = 100;

// Six characters that make a name unlikely to be taken.
std::string randomPart() {
  static thread_local std::mt19937 generator{std::random_device{}()};
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string part(6, 'x');
  for (char& letter : part) letter = kLetters[generator() % (sizeof kLetters - 1)];
  return part;
}

int openForWriting(const std::filesystem::path& path, int flags) {
  return ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_BINARY | flags, _S_IREAD | _S_IWRITE);
}

}  // namespace

UniqueFd createUniqueFile(const std::filesystem::path& folder, const std::string& prefix, const std::string& extension,
                          std::filesystem::path& created, std::string& reason) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::filesystem::path candidate = folder / (prefix + randomPart() + extension);
    UniqueFd fd(openForWriting(candidate, _O_EXCL));
    if (fd) {
      created = candidate;
      return fd;
    }
    if (errno != EEXIST) break;
  }
  reason = std::strerror(errno);
  return {};
}

std::filesystem::path createUniqueFolder(const std::filesystem::path& folder, const std::string& prefix,
                                         std::string& reason) {
  std::error_code error;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::filesystem::path candidate = folder / (prefix + randomPart());
    if (std::filesystem::create_directory(candidate, error)) return candidate;
    if (error) break;
  }
  reason = error ? error.message() : "every name tried was taken";
  return {};
}

UniqueFd createFile(const std::filesystem::path& path, std::string& reason) {
  UniqueFd fd(openForWriting(path, _O_TRUNC));
  if (!fd) reason = std::strerror(errno);
  return fd;
}

bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& reason) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
  reason = std::system_category().message(static_cast<int>(GetLastError()));
  return false;
}

bool isSpecialFile(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) return false;
  return !std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status);
}

}  // namespace horaz::cli
