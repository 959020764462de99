#include "convert/bar_file_output.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "convert/bar_files.h"
#include "support/disk_full.h"
#include "support/errors.h"
#include "support/fd_io.h"

namespace arl {

BarFileOutput::BarFileOutput(std::string path, std::size_t tailBytes) : path_(std::move(path)) {
  fd_ = UniqueFd(::open(path_.c_str(), O_RDWR | O_CLOEXEC));
  if (!fd_.Valid()) {
    if (errno != ENOENT) Fail("open", path_);
    return;
  }
  struct stat info;
  if (::fstat(fd_.Get(), &info) != 0) Fail("open", path_);
  size_ = info.st_size;
  tail_.resize(static_cast<std::size_t>(std::min(size_, static_cast<std::int64_t>(tailBytes))));
  const std::int64_t from = size_ - static_cast<std::int64_t>(tail_.size());
  if (ReadAt(fd_.Get(), tail_.data(), tail_.size(), from) != static_cast<std::int64_t>(tail_.size()))
    Fail("read", path_);
}

BarFileOutput::~BarFileOutput() = default;

void BarFileOutput::Fail(const std::string& what, const std::string& path) const {
  const int error = errno;
  ThrowIfDiskFull(path, error);
  throw EInOutError("I/O error: cannot " + what + " " + path + ": " + std::strerror(error));
}

std::optional<std::int64_t> BarFileOutput::LastDay(MinuteLineReader& reader) const {
  if (tail_.empty() || tail_.back() != '\n') return std::nullopt;
  const std::string_view bytes(tail_.data(), tail_.size() - 1);
  const std::size_t before = bytes.rfind('\n');
  if (before == std::string_view::npos && static_cast<std::int64_t>(tail_.size()) < size_)
    return std::nullopt;
  return reader.DayOf(bytes.substr(before == std::string_view::npos ? 0 : before + 1));
}

void BarFileOutput::StartWhole() {
  whole_ = true;
  at_ = 0;
  fd_.Reset();
  lines.Reserve(kBuffer);
}

void BarFileOutput::StartTail(MinuteLineReader& reader, std::int64_t day, TailCut how) {
  const std::int64_t tailStart = size_ - static_cast<std::int64_t>(tail_.size());
  // From the end back, line by line: the line after the last one dated before `day` is the cut.
  // The search reads on in the file when every whole line of the tail is of the day or later.
  std::optional<std::int64_t> cut;
  std::size_t end = how.searchFromStart ? 0 : tail_.size();  // it ends with a line end: see LastDay
  while (end > 0) {
    const std::size_t lf = std::string_view(tail_.data(), end - 1).rfind('\n');
    if (lf == std::string_view::npos && tailStart > 0) break;  // a line cut by the tail's start
    const std::size_t start = lf == std::string_view::npos ? 0 : lf + 1;
    const std::optional<std::int64_t> lineDay =
        reader.DayOf(std::string_view(tail_).substr(start, end - 1 - start));
    if (lineDay && *lineDay < day) {
      cut = tailStart + static_cast<std::int64_t>(end);
      break;
    }
    end = start;
  }
  if (!cut) cut = end == 0 && tailStart == 0 && !how.searchFromStart ? 0 : FirstLineOfDay(path_, reader, day);
  cutAfter_ = how.overwrite;
  if (!cutAfter_ && *cut < size_ && ::ftruncate(fd_.Get(), static_cast<off_t>(*cut)) != 0) Fail("cut", path_);
  ::unlink((path_ + ".tmp").c_str());  // left by a run killed while it wrote the file whole
  whole_ = false;
  at_ = *cut;
  lines.Reserve(kTailBuffer);
}

void BarFileOutput::Took(int, std::string_view) {
  if (lines.size() > kBuffer - kLineRoom) Write();
}

void BarFileOutput::Write() {
  if (lines.empty()) return;
  if (whole_ && !fd_.Valid()) {
    const std::string temp = path_ + ".tmp";
    fd_ = UniqueFd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd_.Valid()) Fail("write", temp);
  }
  if (!WriteAllAt(fd_.Get(), lines.data(), lines.size(), at_)) Fail("write", whole_ ? path_ + ".tmp" : path_);
  at_ += static_cast<std::int64_t>(lines.size());
  lines.Clear();
}

bool BarFileOutput::Finish() {
  Write();
  if (!whole_) {
    if (cutAfter_ && at_ < size_ && ::ftruncate(fd_.Get(), static_cast<off_t>(at_)) != 0) Fail("cut", path_);
    ::sync_file_range(fd_.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    fd_.Reset();
    return false;
  }
  if (!fd_.Valid()) {
    if (::unlink(path_.c_str()) != 0 && errno != ENOENT) Fail("delete", path_);
    ::unlink((path_ + ".tmp").c_str());  // left by a run killed while it wrote the file whole
    return false;
  }
  // The caller flushes the file system once for all files: their writing starts now, while the
  // next ticker's bars are made.
  ::sync_file_range(fd_.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
  fd_.Reset();
  return true;
}

void BarFileOutput::Abandon() {
  fd_.Reset();
  lines.Clear();
  ::unlink((path_ + ".tmp").c_str());
  ::unlink(path_.c_str());
}

}  // namespace arl
