#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "cli/support/file_descriptor.h"

namespace horaz::cli {

// A file written under a temporary name beside its final name and renamed
// when complete, so the final name never shows a half-written file. Without
// commit() the temporary file is removed when the object goes (a failure,
// an exception, an interrupt). The temporary name keeps the final name's
// extension, for programs that choose a format by it.
class AtomicFile {
 public:
  // Creates the temporary file. Throws std::runtime_error.
  explicit AtomicFile(std::filesystem::path finalPath);
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  const std::filesystem::path& finalPath() const { return finalPath_; }
  const std::filesystem::path& temporaryPath() const { return temporaryPath_; }
  int fd() const { return fd_.get(); }

  void write(std::span<const uint8_t> bytes);
  // Closes the file (a program given temporaryPath() may write it instead).
  void close();
  // Flushes, closes and renames. Throws std::runtime_error.
  void commit();
  // Removes the temporary file now.
  void discard() noexcept;

 private:
  std::filesystem::path finalPath_;
  std::filesystem::path temporaryPath_;
  UniqueFd fd_;
  bool done_ = false;
};

// A folder of temporary files beside `finalFolder`, moved into it on
// commit; removed with its contents otherwise. A failed move takes back the
// files moved before it.
class AtomicFileSet {
 public:
  explicit AtomicFileSet(std::filesystem::path finalFolder);
  AtomicFileSet(const AtomicFileSet&) = delete;
  AtomicFileSet& operator=(const AtomicFileSet&) = delete;
  ~AtomicFileSet();

  // Writes one file named `name` (no folder part) into the temporary folder.
  void write(const std::string& name, std::span<const uint8_t> bytes);
  void commit();
  void discard() noexcept;

 private:
  std::filesystem::path finalFolder_;
  std::filesystem::path temporaryFolder_;
  std::vector<std::string> names_;
  bool done_ = false;
};

// True when `path` names something that is not a regular file and must be
// written in place: a device such as /dev/null, a FIFO, a socket.
bool isSpecialFile(const std::filesystem::path& path);

}  // namespace horaz::cli
