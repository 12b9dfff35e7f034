#include "cli/support/file_descriptor.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "cli/support/interrupt.h"

namespace horaz::cli {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

void UniqueFd::close(const std::string& what) {
  const int fd = release();
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throw std::runtime_error(systemErrorText(what, errno));
}

std::string systemErrorText(const std::string& what, int error) { return what + ": " + std::strerror(error); }

void writeAll(int fd, std::span<const uint8_t> bytes, const std::string& what) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        throwIfInterrupted();
        continue;
      }
      throw std::runtime_error(systemErrorText(what, errno));
    }
    bytes = bytes.subspan(static_cast<size_t>(written));
  }
}

size_t readFully(int fd, std::span<uint8_t> bytes, const std::string& what) {
  size_t total = 0;
  while (total < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + total, bytes.size() - total);
    if (got < 0) {
      if (errno == EINTR) {
        throwIfInterrupted();
        continue;
      }
      throw std::runtime_error(systemErrorText(what, errno));
    }
    if (got == 0) break;
    total += static_cast<size_t>(got);
  }
  return total;
}

size_t readSome(int fd, std::span<uint8_t> bytes, const std::string& what) {
  for (;;) {
    const ssize_t got = ::read(fd, bytes.data(), bytes.size());
    if (got >= 0) return static_cast<size_t>(got);
    if (errno != EINTR) throw std::runtime_error(systemErrorText(what, errno));
    throwIfInterrupted();
  }
}

}  // namespace horaz::cli
