#include "cli/support/file_descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
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

namespace {

// Calls `readAt(destination, count, done)` until `bytes` is full or the input
// ends; EINTR is retried unless the render was interrupted.
template <class ReadAt>
size_t fill(std::span<uint8_t> bytes, const std::string& what, ReadAt readAt) {
  size_t total = 0;
  while (total < bytes.size()) {
    const ssize_t got = readAt(bytes.data() + total, bytes.size() - total, total);
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

// A read at `offset` that leaves the file's position alone, so that
// several threads may read one file at once.
ssize_t positionedRead(int fd, uint8_t* to, size_t count, int64_t offset) {
#ifdef _WIN32
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  DWORD got = 0;
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (!ReadFile(handle, to, static_cast<DWORD>(std::min<size_t>(count, 1u << 30)), &got, &at)) {
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    errno = EIO;
    return -1;
  }
  return static_cast<ssize_t>(got);
#else
  return ::pread(fd, to, count, static_cast<off_t>(offset));
#endif
}

}  // namespace

size_t readFully(int fd, std::span<uint8_t> bytes, const std::string& what) {
  return fill(bytes, what, [fd](uint8_t* to, size_t count, size_t) { return ::read(fd, to, count); });
}

size_t readFullyAt(int fd, std::span<uint8_t> bytes, int64_t offset, const std::string& what) {
  return fill(bytes, what, [fd, offset](uint8_t* to, size_t count, size_t done) {
    return positionedRead(fd, to, count, offset + static_cast<int64_t>(done));
  });
}

void enlargePipe(int fd) {
#if defined(F_SETPIPE_SZ)
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISFIFO(status.st_mode)) return;
  int largest = 1 << 20;
  if (FILE* limit = std::fopen("/proc/sys/fs/pipe-max-size", "r")) {
    if (std::fscanf(limit, "%d", &largest) != 1) largest = 1 << 20;
    std::fclose(limit);
  }
  // Other pipes of this user may hold the allowance; a smaller one helps too.
  for (int size = largest; size >= (1 << 16); size /= 2)
    if (::fcntl(fd, F_SETPIPE_SZ, size) >= 0) return;
#else
  (void)fd;
#endif
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
