#include "convert/year_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "convert/file_lines.h"
#include "support/errors.h"

namespace arl {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw EInOutError("I/O error: " + what + " " + path + ": " + std::strerror(errno));
}

void WriteAt(int fd, const char* data, std::size_t length, std::int64_t offset, const std::string& path) {
  while (length > 0) {
    ssize_t put = ::pwrite(fd, data, length, static_cast<off_t>(offset));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) Fail("cannot write", path);
    data += put;
    length -= static_cast<std::size_t>(put);
    offset += put;
  }
}

// Copies `length` bytes from `from` at `fromOffset` to `to` at `toOffset`.
void CopyRange(int from, std::int64_t fromOffset, int to, std::int64_t toOffset, std::int64_t length, const std::string& path) {
  loff_t in = fromOffset, out = toOffset;
  while (length > 0) {
    ssize_t n = ::copy_file_range(from, &in, to, &out, static_cast<std::size_t>(length), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    length -= n;
  }
  std::string buf(1 << 20, '\0');
  while (length > 0) {  // file systems without copy_file_range
    const auto want = static_cast<std::size_t>(std::min<std::int64_t>(length, static_cast<std::int64_t>(buf.size())));
    ssize_t got = ::pread(from, buf.data(), want, in);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) Fail("cannot copy into", path);
    WriteAt(to, buf.data(), static_cast<std::size_t>(got), out, path);
    in += got;
    out += got;
    length -= got;
  }
}

}  // namespace

YearOutput::YearOutput(std::string path, YearLineShape shape, bool tailAppendAllowed)
    : path_(std::move(path)), stagePath_(path_ + ".part"), shape_(std::move(shape)), tailAppendAllowed_(tailAppendAllowed) {
  ::unlink(stagePath_.c_str());  // left by a run that was killed
  oldFd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (oldFd_ < 0 && errno != ENOENT) Fail("cannot open", path_);
  if (oldFd_ >= 0) {
    struct stat info;
    if (::fstat(oldFd_, &info) != 0) Fail("cannot read", path_);
    oldSize_ = info.st_size;
  }
  keep_ = written_ = tailStart_ = oldSize_;
  // A last line without its line end gets one, as rewriting the file line by line would give it.
  if (oldSize_ > 0) {
    char last = 0;
    if (::pread(oldFd_, &last, 1, oldSize_ - 1) != 1) Fail("cannot read", path_);
    if (last == '\r') tail_ = "\n";
    else if (last != '\n') tail_ = "\r\n";
  }
}

YearOutput::~YearOutput() {
  if (!done_) Discard();
}

void YearOutput::CloseAll() {
  if (oldFd_ >= 0) ::close(oldFd_);
  if (stageFd_ >= 0) ::close(stageFd_);
  oldFd_ = stageFd_ = -1;
}

void YearOutput::Discard() {
  CloseAll();
  ::unlink(stagePath_.c_str());
  done_ = true;
}

void YearOutput::OpenStage() {
  if (stageFd_ >= 0) return;
  stageFd_ = ::open(stagePath_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (stageFd_ < 0) Fail("cannot create", stagePath_);
  WriteAt(stageFd_, memStage_.data(), memStage_.size(), 0, stagePath_);
  memStage_.clear();
  memStage_.shrink_to_fit();
}

void YearOutput::TruncateStage(std::int64_t length) {
  if (stageFd_ < 0)
    memStage_.resize(static_cast<std::size_t>(length));
  else if (::ftruncate(stageFd_, static_cast<off_t>(length)) != 0)
    Fail("cannot cut", stagePath_);
}

// Writes the staged bytes to fd at `at`.
void YearOutput::WriteStaged(int fd, std::int64_t at, const std::string& path) {
  if (stageFd_ < 0)
    WriteAt(fd, memStage_.data(), memStage_.size(), at, path);
  else if (staged_ > 0)
    CopyRange(stageFd_, 0, fd, at, staged_, path);
}

std::size_t YearOutput::ReadContent(std::int64_t offset, std::size_t length, char* out) {
  std::size_t done = 0;
  if (offset < keep_) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(length), keep_ - offset));
    done = FileSource(oldFd_)(offset, n, out);
    if (done < n) return done;
  }
  if (done < length) {
    const std::int64_t at = offset + static_cast<std::int64_t>(done) - keep_;
    const auto n = static_cast<std::size_t>(
        std::max<std::int64_t>(0, std::min<std::int64_t>(static_cast<std::int64_t>(length - done), staged_ - at)));
    if (n > 0 && stageFd_ >= 0) {
      done += FileSource(stageFd_)(at, n, out + done);
    } else if (n > 0) {
      std::memcpy(out + done, memStage_.data() + at, n);
      done += n;
    }
  }
  return done;
}

std::optional<OverlapHit> YearOutput::FindInWhole(std::string_view key) {
  if (oldFd_ < 0 || key.empty()) return std::nullopt;
  return FindOverlapInFile(oldFd_, oldSize_, key, shape_);
}

void YearOutput::FillWindow() {
  if (starts_.size() >= kWindowLines || tailStart_ == 0) return;
  BackwardLines lines([this](std::int64_t o, std::size_t n, char* out) { return ReadContent(o, n, out); }, tailStart_);
  std::vector<std::int64_t> offsets;
  std::string_view line;
  std::int64_t offset = 0;
  while (starts_.size() + offsets.size() < kWindowLines && lines.Previous(line, offset)) offsets.push_back(offset);
  if (offsets.empty()) return;
  const std::int64_t from = offsets.back();
  std::string before(static_cast<std::size_t>(tailStart_ - from), '\0');
  if (ReadContent(from, before.size(), before.data()) != before.size()) throw EInOutError("I/O error: cannot read " + path_);
  std::vector<std::size_t> starts;
  starts.reserve(offsets.size() + starts_.size());
  for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) starts.push_back(static_cast<std::size_t>(*it - from));
  for (std::size_t s : starts_) starts.push_back(s + before.size());
  tail_.insert(0, before);
  starts_.swap(starts);
  tailStart_ = from;
}

std::optional<OverlapHit> YearOutput::FindInWindow(std::string_view key) {
  if (key.empty()) return std::nullopt;
  FillWindow();
  if (starts_.empty()) return std::nullopt;
  const std::size_t from = starts_[starts_.size() - std::min(starts_.size(), kWindowLines)];
  const void* found = ::memmem(tail_.data() + from, tail_.size() - from, key.data(), key.size());
  if (found == nullptr) return std::nullopt;
  const auto pos = static_cast<std::size_t>(static_cast<const char*>(found) - tail_.data());
  const auto it = std::upper_bound(starts_.begin(), starts_.end(), pos) - 1;
  const std::size_t end = (it + 1 == starts_.end()) ? tail_.size() : *(it + 1);
  return OverlapHit{tailStart_ + static_cast<std::int64_t>(*it), std::string(WithoutLineEnd(std::string_view(tail_).substr(*it, end - *it)))};
}

void YearOutput::CutAt(std::int64_t offset) {
  if (offset >= tailStart_) {
    const auto rel = static_cast<std::size_t>(offset - tailStart_);
    tail_.resize(std::min(rel, tail_.size()));
    while (!starts_.empty() && starts_.back() >= rel) starts_.pop_back();
  } else {
    tail_.clear();
    starts_.clear();
    tailStart_ = offset;
  }
  if (offset < keep_) {
    keep_ = offset;
    staged_ = 0;
    TruncateStage(0);
  } else if (offset < keep_ + staged_) {
    staged_ = offset - keep_;
    TruncateStage(staged_);
  }
  written_ = std::min(written_, offset);
}

void YearOutput::Append(std::string_view head, std::string_view key, std::string_view prices) {
  starts_.push_back(tail_.size());
  tail_.append(head);
  tail_.append(key);
  tail_.push_back(',');
  tail_.append(prices);
  tail_.append("\r\n", 2);
}

void YearOutput::Flush() {
  const std::int64_t end = ContentEnd();
  if (end > written_) {
    const auto from = static_cast<std::size_t>(written_ - tailStart_);
    if (stageFd_ < 0 && end - keep_ > kMemoryStage) OpenStage();
    if (stageFd_ >= 0) {
      WriteAt(stageFd_, tail_.data() + from, tail_.size() - from, written_ - keep_, stagePath_);
    } else {
      memStage_.resize(static_cast<std::size_t>(written_ - keep_));
      memStage_.append(tail_, from);
    }
    written_ = end;
    staged_ = end - keep_;
  }
  if (starts_.size() > kWindowLines) {
    const std::size_t drop = starts_[starts_.size() - kWindowLines];
    tail_.erase(0, drop);
    tailStart_ += static_cast<std::int64_t>(drop);
    starts_.erase(starts_.begin(), starts_.end() - static_cast<std::ptrdiff_t>(kWindowLines));
    for (auto& s : starts_) s -= drop;
  }
}

void YearOutput::Commit() {
  Flush();
  const bool existed = oldFd_ >= 0;
  if (keep_ + staged_ == 0) {
    CloseAll();
    if (existed && ::unlink(path_.c_str()) != 0 && errno != ENOENT) Fail("cannot delete", path_);
  } else if (keep_ == oldSize_ && staged_ == 0) {
    CloseAll();  // unchanged
  } else if (keep_ == 0) {
    OpenStage();
    CloseAll();
    if (::rename(stagePath_.c_str(), path_.c_str()) != 0) Fail("cannot replace", path_);
  } else if (tailAppendAllowed_) {
    int fd = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) Fail("cannot open", path_);
    if (::ftruncate(fd, static_cast<off_t>(keep_)) != 0) {
      ::close(fd);
      Fail("cannot cut", path_);
    }
    try {
      WriteStaged(fd, keep_, path_);
    } catch (...) {
      ::close(fd);
      throw;
    }
    ::close(fd);
    CloseAll();
  } else {
    const std::string temp = path_ + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail("cannot create", temp);
    try {
      CopyRange(oldFd_, 0, fd, 0, keep_, temp);
      WriteStaged(fd, keep_, temp);
    } catch (...) {
      ::close(fd);
      ::unlink(temp.c_str());
      throw;
    }
    ::close(fd);
    CloseAll();
    if (::rename(temp.c_str(), path_.c_str()) != 0) Fail("cannot replace", path_);
  }
  ::unlink(stagePath_.c_str());
  done_ = true;
}

}  // namespace arl
