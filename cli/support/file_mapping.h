#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace horaz::cli {

// A read-only view of part of a file, mapped into memory (the kernel's page
// cache itself, not a copy) and unmapped when the last holder lets it go.
//
// A file cut short while mapped would end the program at the first read of
// a page it lost (SIGBUS); here such a page reads as zeros instead and
// cutShort() turns true, for the reader to report.
class FileMapping {
 public:
  // Maps bytes [offset, offset + length) of `fd`; null when the system will
  // not map it, or where mapping is not offered (the caller reads instead).
  static std::shared_ptr<const FileMapping> map(int fd, int64_t offset, size_t length);

  ~FileMapping();
  FileMapping(const FileMapping&) = delete;
  FileMapping& operator=(const FileMapping&) = delete;

  // The byte at `offset`.
  const uint8_t* data() const { return data_; }
  // True once a read found a page that the file no longer has.
  bool cutShort() const;

 private:
  FileMapping() = default;

  void* base_ = nullptr;  // page-aligned start of the mapping
  size_t mappedBytes_ = 0;
  const uint8_t* data_ = nullptr;
  int slot_ = -1;  // where the bus-error handler finds this range
};

}  // namespace horaz::cli
