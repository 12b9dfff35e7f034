#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace horaz::cli {

// An owned POSIX file descriptor, closed when it goes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1);
  // Closes and reports a failed close (a late write error on some file
  // systems); throws std::runtime_error naming `what`.
  void close(const std::string& what);

 private:
  int fd_ = -1;
};

// Writes all bytes, retrying short writes; EINTR is retried unless the
// render was interrupted. Throws std::runtime_error naming `what`, or
// Interrupted.
void writeAll(int fd, std::span<const uint8_t> bytes, const std::string& what);
// Reads up to bytes.size() bytes, fewer only at the end of the input.
// Returns the count. Throws like writeAll.
size_t readFully(int fd, std::span<uint8_t> bytes, const std::string& what);

// Reads up to bytes.size() bytes from `offset` without moving the file's
// position (several threads may read one file at once); fewer only at the
// end of the file. Throws like writeAll.
size_t readFullyAt(int fd, std::span<uint8_t> bytes, int64_t offset, const std::string& what);

// One read of at most bytes.size() bytes (0 only at the end of the input).
size_t readSome(int fd, std::span<uint8_t> bytes, const std::string& what);

// Gives a pipe (or FIFO) at `fd` the largest buffer the system allows
// unprivileged programs, so that a frame of several MiB crosses it in a few
// writes and the programs on either side block less often. Anything else is
// left alone, as is a pipe the system will not enlarge.
void enlargePipe(int fd);

// "what: strerror(errno)".
std::string systemErrorText(const std::string& what, int error);

}  // namespace horaz::cli
