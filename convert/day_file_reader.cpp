#include "convert/day_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "support/errors.h"
#include "support/fd_io.h"

namespace arl {

namespace {
[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
  throw EInOutError("I/O error: " + what + " " + path + ": " + std::strerror(error));
}
}  // namespace

void DayFileReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void DayFileReader::Open(const std::string& path, std::int64_t from, std::int64_t until) {
  Close();
  offset_ = from;
  until_ = until;
  path_ = path;
  buffer_.Clear();
  handedOut_ = 0;
  atEnd_ = partDone_ = linesAhead_ = false;
  // Without blocking on a pipe nobody writes to.
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) Fail("cannot open", path, errno);
  struct stat info;
  const bool stated = ::fstat(fd_, &info) == 0;
  if (!stated || !S_ISREG(info.st_mode)) {
    const int error = stated ? EINVAL : errno;
    Close();
    Fail("cannot read", path, error);
  }
  if (from > 0 && !SkipToLineStart()) Close();
}

bool DayFileReader::SkipToLineStart() {
  for (;;) {
    if (!ReadMore()) return false;
    const void* lf = std::memchr(buffer_.data(), '\n', buffer_.size());
    if (lf != nullptr) {
      handedOut_ = static_cast<std::size_t>(static_cast<const char*>(lf) - buffer_.data()) + 1;
      linesAhead_ = true;
      return true;
    }
    offset_ += static_cast<std::int64_t>(buffer_.size());
    buffer_.Clear();
  }
}

bool DayFileReader::ReadMore() {
  const std::int64_t at = offset_ + static_cast<std::int64_t>(buffer_.size());
  // A part that ends soon reads little more than its end: a short part is not worth a whole piece.
  std::size_t want = piece_;
  if (until_ >= 0 && until_ - at < static_cast<std::int64_t>(piece_))
    want = std::min(piece_, static_cast<std::size_t>(std::max<std::int64_t>(until_ - at, 0)) + kLineEndLook);
  const std::int64_t got = ReadSomeAt(fd_, buffer_.Room(want), want, at);
  if (got < 0) Fail("cannot read", path_, errno);
  buffer_.Commit(static_cast<std::size_t>(got));
  return got > 0;
}

bool DayFileReader::Next(std::string_view& piece) {
  if (partDone_) Close();
  if (fd_ < 0) return false;
  // The unfinished last line of the piece before moves to the front.
  if (handedOut_ > 0) buffer_.EraseFront(handedOut_);
  offset_ += static_cast<std::int64_t>(handedOut_);
  handedOut_ = 0;
  // The end was moved to a line already handed out.
  if (until_ >= 0 && offset_ > until_) {
    Close();
    return false;
  }
  // Bytes at the front of the buffer known to hold no LF: the unfinished line of the piece before,
  // none when the buffer still holds the lines read to find the part's first line.
  std::size_t searched = linesAhead_ ? 0 : buffer_.size();
  linesAhead_ = false;
  for (bool first = true;; first = false) {
    if (!atEnd_) atEnd_ = !ReadMore();
    const char* data = buffer_.data();
    if (until_ >= 0 && offset_ + static_cast<std::int64_t>(buffer_.size()) > until_) {
      // The part ends with the first LF at or after `until`.
      const auto at = static_cast<std::size_t>(std::max<std::int64_t>(until_ - offset_, 0));
      const std::size_t look = std::max(at, searched);
      const void* stop = std::memchr(data + look, '\n', buffer_.size() - look);
      if (stop != nullptr) {
        handedOut_ = static_cast<std::size_t>(static_cast<const char*>(stop) - data) + 1;
        piece = std::string_view(data, handedOut_);
        partDone_ = true;
        return true;
      }
    }
    if (atEnd_) {
      Close();
      if (buffer_.empty()) return false;
      handedOut_ = buffer_.size();
      piece = buffer_.view();
      return true;
    }
    // A piece ends behind its last LF, or behind the LF of a line longer than a piece: it reads
    // past Reach() only for that line.
    const std::size_t more = buffer_.size() - searched;
    const void* lf =
        first ? ::memrchr(data + searched, '\n', more) : std::memchr(data + searched, '\n', more);
    if (lf != nullptr) {
      handedOut_ = static_cast<std::size_t>(static_cast<const char*>(lf) - data) + 1;
      piece = std::string_view(data, handedOut_);
      return true;
    }
    searched = buffer_.size();
  }
}

}  // namespace arl
