#include "cli/support/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace horaz::cli {
namespace {

std::filesystem::path folderOf(const std::filesystem::path& path) {
  const std::filesystem::path parent = path.parent_path();
  return parent.empty() ? std::filesystem::path(".") : parent;
}

}  // namespace

bool isSpecialFile(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  return !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

AtomicFile::AtomicFile(std::filesystem::path finalPath) : finalPath_(std::move(finalPath)) {
  if (finalPath_.filename().empty()) throw std::runtime_error(finalPath_.string() + ": not a file name");
  const std::string extension = finalPath_.extension().string();
  std::string pattern =
      (folderOf(finalPath_) / ("." + finalPath_.stem().string() + ".horaz-XXXXXX" + extension)).string();
  const int fd = ::mkstemps(pattern.data(), static_cast<int>(extension.size()));
  if (fd < 0) throw std::runtime_error(systemErrorText("cannot write " + finalPath_.string(), errno));
  fd_.reset(fd);
  temporaryPath_ = pattern;
  // mkstemps makes the file private; give it the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::write(std::span<const uint8_t> bytes) { writeAll(fd_.get(), bytes, finalPath_.string()); }

void AtomicFile::close() { fd_.close(finalPath_.string()); }

void AtomicFile::commit() {
  if (done_) return;
  fd_.close(finalPath_.string());
  if (::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0)
    throw std::runtime_error(systemErrorText("cannot write " + finalPath_.string(), errno));
  done_ = true;
}

void AtomicFile::discard() noexcept {
  if (done_) return;
  done_ = true;
  fd_.reset();
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
}

AtomicFileSet::AtomicFileSet(std::filesystem::path finalFolder) : finalFolder_(std::move(finalFolder)) {
  if (finalFolder_.empty()) finalFolder_ = ".";
  std::string pattern = (finalFolder_ / ".horaz-frames-XXXXXX").string();
  if (!::mkdtemp(pattern.data()))
    throw std::runtime_error(systemErrorText("cannot write into " + finalFolder_.string(), errno));
  temporaryFolder_ = pattern;
}

AtomicFileSet::~AtomicFileSet() { discard(); }

void AtomicFileSet::write(const std::string& name, std::span<const uint8_t> bytes) {
  const std::filesystem::path path = temporaryFolder_ / name;
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!fd) throw std::runtime_error(systemErrorText("cannot write " + (finalFolder_ / name).string(), errno));
  names_.push_back(name);
  writeAll(fd.get(), bytes, (finalFolder_ / name).string());
  fd.close((finalFolder_ / name).string());
}

void AtomicFileSet::commit() {
  if (done_) return;
  for (size_t i = 0; i < names_.size(); ++i) {
    const std::filesystem::path to = finalFolder_ / names_[i];
    if (::rename((temporaryFolder_ / names_[i]).c_str(), to.c_str()) != 0) {
      const int error = errno;
      // Take back what was moved: all of the set or none of it.
      for (size_t k = 0; k < i; ++k) ::unlink((finalFolder_ / names_[k]).c_str());
      names_.erase(names_.begin(), names_.begin() + static_cast<std::ptrdiff_t>(i));
      throw std::runtime_error(systemErrorText("cannot write " + to.string(), error));
    }
  }
  names_.clear();
  ::rmdir(temporaryFolder_.c_str());
  done_ = true;
}

void AtomicFileSet::discard() noexcept {
  if (done_) return;
  done_ = true;
  std::error_code ignored;
  std::filesystem::remove_all(temporaryFolder_, ignored);
}

}  // namespace horaz::cli
