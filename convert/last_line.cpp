#include "convert/last_line.h"

#include <fcntl.h>
#include <unistd.h>

#include "support/files.h"

namespace arl {

bool ReadLastLine(const std::string& path, std::string& line) {
  TextReader reader(path);
  std::string first;
  reader.ReadLine(first);
  const std::int64_t lineLength = static_cast<std::int64_t>(first.size()) + 2;
  const std::int64_t size = FileSizeByName(path);
  if (size >= 3 * lineLength) SeekTextFile(reader, size - 2 * lineLength);
  bool any = false;
  std::string next;
  while (reader.ReadLine(next)) {
    line.swap(next);
    any = true;
  }
  return any;
}

bool EndsWithLineEnd(const std::string& path) {
  const std::int64_t size = FileSizeByName(path);
  if (size <= 0) return false;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char last = 0;
  const bool read = ::pread(fd, &last, 1, static_cast<off_t>(size - 1)) == 1;
  ::close(fd);
  return read && last == '\n';
}

}  // namespace arl
