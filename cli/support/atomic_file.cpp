#include "cli/support/atomic_file.h"

#include <stdexcept>
#include <system_error>

#include "cli/support/file_system_calls.h"

namespace horaz::cli {
namespace {

std::filesystem::path folderOf(const std::filesystem::path& path) {
  const std::filesystem::path parent = path.parent_path();
  return parent.empty() ? std::filesystem::path(".") : parent;
}

[[noreturn]] void cannotWrite(const std::filesystem::path& path, const std::string& reason) {
  throw std::runtime_error("cannot write " + path.string() + ": " + reason);
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path finalPath) : finalPath_(std::move(finalPath)) {
  if (finalPath_.filename().empty()) throw std::runtime_error(finalPath_.string() + ": not a file name");
  std::string reason;
  fd_ = createUniqueFile(folderOf(finalPath_), "." + finalPath_.stem().string() + ".horaz-",
                         finalPath_.extension().string(), temporaryPath_, reason);
  if (!fd_) cannotWrite(finalPath_, reason);
}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::write(std::span<const uint8_t> bytes) { writeAll(fd_.get(), bytes, finalPath_.string()); }

void AtomicFile::close() { fd_.close(finalPath_.string()); }

void AtomicFile::commit() {
  if (done_) return;
  fd_.close(finalPath_.string());
  if (std::string reason; !moveOver(temporaryPath_, finalPath_, reason)) cannotWrite(finalPath_, reason);
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
  std::string reason;
  temporaryFolder_ = createUniqueFolder(finalFolder_, ".horaz-frames-", reason);
  if (temporaryFolder_.empty()) throw std::runtime_error("cannot write into " + finalFolder_.string() + ": " + reason);
}

AtomicFileSet::~AtomicFileSet() { discard(); }

void AtomicFileSet::write(const std::string& name, std::span<const uint8_t> bytes) {
  const std::filesystem::path finalPath = finalFolder_ / name;
  std::string reason;
  UniqueFd fd = createFile(temporaryFolder_ / name, reason);
  if (!fd) cannotWrite(finalPath, reason);
  names_.push_back(name);
  writeAll(fd.get(), bytes, finalPath.string());
  fd.close(finalPath.string());
}

void AtomicFileSet::commit() {
  if (done_) return;
  for (size_t i = 0; i < names_.size(); ++i) {
    const std::filesystem::path to = finalFolder_ / names_[i];
    if (std::string reason; !moveOver(temporaryFolder_ / names_[i], to, reason)) {
      // Take back what was moved: all of the set or none of it.
      std::error_code ignored;
      for (size_t k = 0; k < i; ++k) std::filesystem::remove(finalFolder_ / names_[k], ignored);
      names_.erase(names_.begin(), names_.begin() + static_cast<std::ptrdiff_t>(i));
      cannotWrite(to, reason);
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
