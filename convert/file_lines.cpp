#include "convert/file_lines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "support/errors.h"
#include "support/fd_io.h"

namespace arl {

namespace {
constexpr std::size_t kBlock = 64 * 1024;

[[noreturn]] void Fail(const std::string& what) {
  throw EInOutError("I/O error: " + what + ": " + std::strerror(errno));
}
}  // namespace

ByteSource FileSource(int fd) {
  return [fd](std::int64_t offset, std::size_t length, char* out) -> std::size_t {
    const std::int64_t got = ReadAt(fd, out, length, offset);
    if (got < 0) Fail("cannot read a year file");
    return static_cast<std::size_t>(got);
  };
}

namespace {
// The start of the line that ends at data[end]: just behind the last LF or CR before it.
std::size_t LineStartBefore(const char* data, std::size_t end) {
  const void* lf = ::memrchr(data, '\n', end);
  const std::size_t from = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) + 1 : 0;
  const void* cr = ::memrchr(data + from, '\r', end - from);
  return cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) + 1 : from;
}
}  // namespace

BackwardLines::BackwardLines(ByteSource source, std::int64_t end)
    : source_(std::move(source)), bufStart_(end), cur_(end) {}

bool BackwardLines::Load(std::int64_t need) {
  if (bufStart_ == 0) return false;
  std::int64_t from =
      bufStart_ - static_cast<std::int64_t>(std::max<std::size_t>(kBlock, static_cast<std::size_t>(need)));
  if (from < 0) from = 0;
  const auto add = static_cast<std::size_t>(bufStart_ - from);
  // Keep only what lies before the current line; the rest has been handed out.
  std::string next(add, '\0');
  if (source_(from, add, next.data()) != add)
    throw EInOutError("I/O error: a year file changed while it was read");
  next.append(buf_, 0, static_cast<std::size_t>(cur_ - bufStart_));
  buf_.swap(next);
  bufStart_ = from;
  return true;
}

bool BackwardLines::Previous(std::string_view& line, std::int64_t& offset) {
  if (cur_ == 0) return false;
  // The line end just before cur_ (none at the end of content when the last line has none).
  if (cur_ - bufStart_ < 2) Load(2);
  std::size_t end = static_cast<std::size_t>(cur_ - bufStart_);
  if (end >= 1 && buf_[end - 1] == '\n') {
    --end;
    if (end >= 1 && buf_[end - 1] == '\r') --end;
  } else if (end >= 1 && buf_[end - 1] == '\r') {
    --end;
  }
  // The line starts after the previous line end.
  std::size_t start = end;
  for (;;) {
    start = LineStartBefore(buf_.data(), end);
    if (start > 0 || bufStart_ == 0) break;
    const std::int64_t oldStart = bufStart_;
    Load(static_cast<std::int64_t>(cur_ - bufStart_) * 2);
    const auto grown = static_cast<std::size_t>(oldStart - bufStart_);
    start += grown;
    end += grown;
  }
  line = std::string_view(buf_).substr(start, end - start);
  offset = bufStart_ + static_cast<std::int64_t>(start);
  cur_ = offset;
  return true;
}

std::int64_t ScanLinesForward(int fd, const std::function<bool(std::string_view, std::int64_t)>& visit) {
  const ByteSource read = FileSource(fd);
  std::string buf;
  std::int64_t bufStart = 0;
  std::vector<char> block(1 << 20);
  bool atEnd = false;
  while (!atEnd) {
    const std::size_t got =
        read(bufStart + static_cast<std::int64_t>(buf.size()), block.size(), block.data());
    atEnd = got == 0;
    buf.append(block.data(), got);
    std::size_t pos = 0;
    for (;;) {
      std::size_t stop = pos;
      while (stop < buf.size() && buf[stop] != '\n' && buf[stop] != '\r') ++stop;
      if (stop == buf.size() && !atEnd) break;                           // the line may go on
      if (stop + 1 == buf.size() && buf[stop] == '\r' && !atEnd) break;  // CR LF may straddle
      if (stop == buf.size() && pos == buf.size()) break;                // nothing left
      if (visit(std::string_view(buf).substr(pos, stop - pos), bufStart + static_cast<std::int64_t>(pos)))
        return bufStart + static_cast<std::int64_t>(pos);
      if (stop == buf.size()) {
        pos = stop;
        break;
      }
      pos = stop + ((buf[stop] == '\r' && stop + 1 < buf.size() && buf[stop + 1] == '\n') ? 2 : 1);
    }
    buf.erase(0, pos);
    bufStart += static_cast<std::int64_t>(pos);
  }
  return -1;
}

int OpenForReading(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open " + path);
  return fd;
}

std::string_view WithoutLineEnd(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return text;
}

}  // namespace arl
