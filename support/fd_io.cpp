#include "support/fd_io.h"

#include <unistd.h>

#include <cerrno>

namespace arl {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

bool WriteAllAt(int fd, const char* data, std::size_t size, std::int64_t offset) {
  while (size > 0) {
    const ssize_t put = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    size -= static_cast<std::size_t>(put);
    offset += put;
  }
  return true;
}

std::int64_t ReadSomeAt(int fd, char* data, std::size_t size, std::int64_t offset) {
  for (;;) {
    const ssize_t got = ::pread(fd, data, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    return got;
  }
}

std::int64_t ReadAt(int fd, char* data, std::size_t size, std::int64_t offset) {
  std::size_t done = 0;
  while (done < size) {
    const std::int64_t got =
        ReadSomeAt(fd, data + done, size - done, offset + static_cast<std::int64_t>(done));
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(done);
}

}  // namespace arl
