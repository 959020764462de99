// TextReader: the buffered line reader behind every pass over day files, year files and merge files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/errors.h"
#include "support/files.h"
#include "support/unique_fd.h"

namespace arl {

TextReader::TextReader(const std::string& path) { Open(path); }

TextReader::~TextReader() { Close(); }

void TextReader::Open(const std::string& path) {
  Close();
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) throw EInOutError("Cannot open file \"" + path + "\": " + std::strerror(errno));
  struct stat info;
  if (::fstat(fd.Get(), &info) == 0 && S_ISDIR(info.st_mode))
    throw EInOutError("Cannot open file \"" + path + "\": " + std::strerror(EISDIR));
  fd_ = fd.Release();
  path_ = path;
  pos_ = end_ = 0;
  file_pos_ = 0;
  last_terminated_ = false;
  pending_cr_ = false;
}

void TextReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pos_ = end_ = 0;
  file_pos_ = 0;
}

bool TextReader::Fill() {
  if (fd_ < 0) throw EInOutError("File not open");
  if (buf_.empty()) buf_.resize(kBufferSize);
  ssize_t got;
  do {
    got = ::read(fd_, buf_.data(), buf_.size());
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw EInOutError("Cannot read file \"" + path_ + "\": " + std::strerror(errno));
  pos_ = 0;
  end_ = static_cast<std::size_t>(got);
  file_pos_ += got;
  return got > 0;
}

bool TextReader::ReadLine(std::string_view& line) {
  bool carrying = false;  // part of the line is in carry_ from earlier buffers
  carry_.clear();
  for (;;) {
    if (pos_ >= end_ && !Fill()) {
      if (!carrying) return false;
      line = carry_;
      last_terminated_ = false;
      return true;
    }
    const char* start = buf_.data() + pos_;
    const std::size_t avail = end_ - pos_;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', avail));
    const std::size_t limit = lf ? static_cast<std::size_t>(lf - start) : avail;
    const char* cr = static_cast<const char*>(std::memchr(start, '\r', limit));
    if (cr == nullptr && lf == nullptr) {
      carry_.append(start, avail);
      carrying = true;
      pos_ = end_;
      continue;
    }
    const char* stop = cr ? cr : lf;
    const std::size_t length = static_cast<std::size_t>(stop - start);
    if (carrying) {
      carry_.append(start, length);
      line = carry_;
    } else {
      line = std::string_view(start, length);
    }
    pos_ += length + 1;
    if (cr != nullptr) {
      if (pos_ < end_) {
        if (buf_[pos_] == '\n') ++pos_;
      } else {
        // The CR closed the buffer: its LF, if any, is the first byte of the next one. The line is
        // moved out of the buffer before the refill overwrites it.
        if (!carrying) {
          carry_.assign(start, length);
          line = carry_;
        }
        if (Fill() && buf_[0] == '\n') pos_ = 1;
      }
    }
    last_terminated_ = true;
    return true;
  }
}

bool TextReader::ReadLine(std::string& line) {
  std::string_view view;
  if (!ReadLine(view)) return false;
  line.assign(view);
  return true;
}

bool TextReader::Eof() {
  if (pos_ < end_) return false;
  return !Fill();
}

std::int64_t TextReader::Position() const { return file_pos_ - static_cast<std::int64_t>(end_ - pos_); }

std::int64_t TextReader::Seek(std::int64_t offset) {
  // A move that cannot succeed leaves the reader where it was, buffer included.
  if (fd_ < 0 || offset < 0) return -1;
  off_t moved = ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET);
  if (moved < 0) {
    ::lseek(fd_, static_cast<off_t>(file_pos_), SEEK_SET);
    return -1;
  }
  pos_ = end_ = 0;
  pending_cr_ = false;
  last_terminated_ = false;
  file_pos_ = moved;
  return moved;
}

std::int64_t SeekTextFile(TextReader& reader, std::int64_t offset) { return reader.Seek(offset); }

}  // namespace arl
