#include "support/last_line.h"

#include <fcntl.h>
#include <unistd.h>

#include "support/output_line.h"
#include "support/unique_fd.h"

namespace arl {

std::string ReadLastLine(TextReader& file, std::string_view firstLine, std::int64_t size) {
  const auto lineLength = static_cast<std::int64_t>(firstLine.size() + kLineEndBytes);
  std::string last(firstLine);
  std::string_view line;
  if (size < 3 * lineLength) {
    while (file.ReadLine(line)) last.assign(line);
    return last;
  }
  for (std::int64_t window = 2 * lineLength;; window *= 2) {
    const std::int64_t from = window >= size ? 0 : size - window;
    SeekTextFile(file, from);
    int linesRead = 0;
    while (file.ReadLine(line)) {
      last.assign(line);
      ++linesRead;
    }
    // Only a line read after an earlier one surely starts at a line's beginning.
    if (from == 0 || linesRead >= 2) return last;
  }
}

bool ReadLastLine(const std::string& path, std::string& line) {
  TextReader reader(path);
  std::string first;
  if (!reader.ReadLine(first) || reader.Eof()) return false;
  line = ReadLastLine(reader, first, FileSizeByName(path));
  return true;
}

bool EndsWithLineEnd(const std::string& path) {
  const std::int64_t size = FileSizeByName(path);
  if (size <= 0) return false;
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return false;
  char last = 0;
  return ::pread(fd.Get(), &last, 1, static_cast<off_t>(size - 1)) == 1 && last == '\n';
}

}  // namespace arl
