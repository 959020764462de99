#pragma once
// Whole-buffer reads and writes on a file descriptor, retried after EINTR. The callers keep their
// own error texts: a failure returns false or -1 with errno telling why (a write that takes no byte
// counts as a failure).
#include <cstddef>
#include <cstdint>

namespace arl {

// write() until every byte is taken.
bool WriteAll(int fd, const char* data, std::size_t size);
// pwrite() at `offset` until every byte is taken.
bool WriteAllAt(int fd, const char* data, std::size_t size, std::int64_t offset);
// pread() at `offset` until `size` bytes or the end of the file; the count read, or -1.
std::int64_t ReadAt(int fd, char* data, std::size_t size, std::int64_t offset);
// One pread() at `offset`; the count read (0 at the end of the file), or -1.
std::int64_t ReadSomeAt(int fd, char* data, std::size_t size, std::int64_t offset);

}  // namespace arl
