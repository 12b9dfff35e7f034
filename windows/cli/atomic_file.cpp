// Windows: files are written under a temporary name beside their final one
// and moved into place (replacing what was there) when complete.
#include "cli/support/atomic_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <random>
#include <stdexcept>
#include <system_error>

namespace horaz::cli {
namespace {

std::filesystem::path folderOf(const std::filesystem::path& path) {
  const std::filesystem::path parent = path.parent_path();
  return parent.empty() ? std::filesystem::path(".") : parent;
}

// Six characters that make a temporary name unlikely to be taken.
std::string randomSuffix() {
  static thread_local std::mt19937 generator{std::random_device{}()};
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix(6, 'x');
  for (char& letter : suffix) letter = kLetters[generator() % (sizeof kLetters - 1)];
  return suffix;
}

int createNew(const std::filesystem::path& path) {
  return ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

bool moveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace

bool isSpecialFile(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) return false;
  return !std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status);
}

AtomicFile::AtomicFile(std::filesystem::path finalPath) : finalPath_(std::move(finalPath)) {
  if (finalPath_.filename().empty()) throw std::runtime_error(finalPath_.string() + ": not a file name");
  for (int attempt = 0; attempt < 100 && !fd_; ++attempt) {
    temporaryPath_ = folderOf(finalPath_) /
                     ("." + finalPath_.stem().string() + ".horaz-" + randomSuffix() + finalPath_.extension().string());
    fd_.reset(createNew(temporaryPath_));
    if (!fd_ && errno != EEXIST) break;
  }
  if (!fd_) {
    const int error = errno;
    temporaryPath_.clear();
    throw std::runtime_error(systemErrorText("cannot write " + finalPath_.string(), error));
  }
}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::write(std::span<const uint8_t> bytes) { writeAll(fd_.get(), bytes, finalPath_.string()); }

void AtomicFile::close() { fd_.close(finalPath_.string()); }

void AtomicFile::commit() {
  if (done_) return;
  fd_.close(finalPath_.string());
  if (!moveOver(temporaryPath_, finalPath_))
    throw std::runtime_error("cannot write " + finalPath_.string() + ": " +
                             std::system_category().message(static_cast<int>(GetLastError())));
  done_ = true;
}

void AtomicFile::discard() noexcept {
  if (done_) return;
  done_ = true;
  fd_.reset();
  std::error_code ignored;
  if (!temporaryPath_.empty()) std::filesystem::remove(temporaryPath_, ignored);
}

AtomicFileSet::AtomicFileSet(std::filesystem::path finalFolder) : finalFolder_(std::move(finalFolder)) {
  if (finalFolder_.empty()) finalFolder_ = ".";
  std::error_code error;
  for (int attempt = 0; attempt < 100 && temporaryFolder_.empty(); ++attempt) {
    const std::filesystem::path candidate = finalFolder_ / (".horaz-frames-" + randomSuffix());
    if (std::filesystem::create_directory(candidate, error)) temporaryFolder_ = candidate;
    if (error) break;
  }
  if (temporaryFolder_.empty())
    throw std::runtime_error("cannot write into " + finalFolder_.string() +
                             (error ? ": " + error.message() : std::string()));
}

AtomicFileSet::~AtomicFileSet() { discard(); }

void AtomicFileSet::write(const std::string& name, std::span<const uint8_t> bytes) {
  const std::filesystem::path path = temporaryFolder_ / name;
  UniqueFd fd(createNew(path));
  if (!fd) throw std::runtime_error(systemErrorText("cannot write " + (finalFolder_ / name).string(), errno));
  names_.push_back(name);
  writeAll(fd.get(), bytes, (finalFolder_ / name).string());
  fd.close((finalFolder_ / name).string());
}

void AtomicFileSet::commit() {
  if (done_) return;
  for (size_t i = 0; i < names_.size(); ++i) {
    const std::filesystem::path to = finalFolder_ / names_[i];
    if (!moveOver(temporaryFolder_ / names_[i], to)) {
      const auto error = static_cast<int>(GetLastError());
      // Take back what was moved: all of the set or none of it.
      std::error_code ignored;
      for (size_t k = 0; k < i; ++k) std::filesystem::remove(finalFolder_ / names_[k], ignored);
      names_.erase(names_.begin(), names_.begin() + static_cast<std::ptrdiff_t>(i));
      throw std::runtime_error("cannot write " + to.string() + ": " + std::system_category().message(error));
    }
  }
  names_.clear();
  std::error_code ignored;
  std::filesystem::remove(temporaryFolder_, ignored);
  done_ = true;
}

void AtomicFileSet::discard() noexcept {
  if (done_) return;
  done_ = true;
  std::error_code ignored;
  std::filesystem::remove_all(temporaryFolder_, ignored);
}

}  // namespace horaz::cli
