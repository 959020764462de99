#include "merge/block_copy.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "support/errors.h"
#include "support/fd_io.h"
#include "support/output_line.h"
#include "support/unique_fd.h"

namespace arl {

namespace {

// True when every line end in the bytes is CR LF and no line end is split from them: each LF has
// a CR before it and each CR an LF after it. Written without branches so that it vectorises.
bool OnlyCrLf(const char* p, std::size_t n) {
  if (n == 0) return true;
  if (p[0] == '\n' || p[n - 1] == '\r') return false;
  unsigned char bad = 0;
  for (std::size_t i = 1; i < n; ++i) bad |= static_cast<unsigned char>((p[i] == '\n') ^ (p[i - 1] == '\r'));
  return bad == 0;
}

std::size_t ReadSome(int fd, char* data, std::size_t size, std::int64_t offset, const std::string& path) {
  const std::int64_t got = ReadSomeAt(fd, data, size, offset);
  if (got < 0) throw EInOutError("Cannot read file \"" + path + "\": " + std::strerror(errno));
  return static_cast<std::size_t>(got);
}

}  // namespace

BlockCopy::BlockCopy(std::size_t blockBytes, Pacer& pacer, std::function<void(std::string_view)> onLine)
    : blockBytes_(blockBytes < 2 ? 2 : blockBytes), pacer_(pacer), onLine_(std::move(onLine)) {}

bool BlockCopy::Run(const std::string& source, std::int64_t offset, MergeWriter& out) {
  const UniqueFd file(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.Valid()) throw EInOutError("Cannot open file \"" + source + "\": " + std::strerror(errno));
  const int fd = file.Get();
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  struct stat st {};
  const std::int64_t fileSize = ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;

  // The file is read through a mapping where it can be: each block is checked where it lies and
  // written from there, one copy fewer than reading it into a buffer first. The home's lock keeps
  // other runs from changing the year file meanwhile.
  struct Mapping {
    void* at = MAP_FAILED;
    std::size_t size = 0;
    ~Mapping() {
      if (at != MAP_FAILED) ::munmap(at, size);
    }
  } mapping;
  if (fileSize > 0) {
    mapping.size = static_cast<std::size_t>(fileSize);
    mapping.at = ::mmap(nullptr, mapping.size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapping.at != MAP_FAILED) ::madvise(mapping.at, mapping.size, MADV_SEQUENTIAL);
  }
  const char* const mapped = mapping.at != MAP_FAILED ? static_cast<const char*>(mapping.at) : nullptr;
  if (!mapped) block_.resize(blockBytes_);
  pendingCr_ = false;
  midLine_ = false;
  if (offset > 0) {
    // A start just after a CR may sit between it and its LF; that LF is no line of its own.
    char before = 0;
    if (ReadSome(fd, &before, 1, offset - 1, source) == 1) pendingCr_ = before == '\r';
  }

  for (;;) {
    const char* data = nullptr;
    std::size_t got = 0;
    if (mapped) {
      data = mapped + offset;
      got = offset < fileSize ? std::min(blockBytes_, static_cast<std::size_t>(fileSize - offset)) : 0;
    } else {
      data = block_.data();
      got = ReadSome(fd, block_.data(), block_.size(), offset, source);
    }
    if (got == 0) break;
    // Cut the block back to its last LF so that it ends on a whole line; the rest is read again.
    const void* lf = ::memrchr(data, '\n', got);
    const std::size_t size = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) + 1 : got;
    offset += static_cast<std::int64_t>(size);

    const char* written = data;
    std::size_t writtenSize = size;
    if (!pendingCr_ && OnlyCrLf(data, size)) {
      midLine_ = data[size - 1] != '\n';
    } else {
      Normalize(data, size);
      written = rewritten_.data();
      writtenSize = rewritten_.size();
    }
    out.Write(written, writtenSize);
    // The last block of the file always shows its last line; others when the interval has passed.
    const bool lastBlock = offset >= fileSize;
    if (!midLine_ && (lastBlock || pacer_.StatusDue())) ReportLastLine(written, writtenSize);
    // A block without any line break (a line longer than a block) can't stop mid-line.
    if (!pacer_.GoOn() && !midLine_) return false;
  }
  if (midLine_) {
    out.Write(kLineEnd, kLineEndBytes);  // the last line had no line end
    midLine_ = false;
  }
  return true;
}

void BlockCopy::Normalize(const char* data, std::size_t size) {
  rewritten_.clear();
  rewritten_.reserve(size + size / 16);
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (pendingCr_) {
      pendingCr_ = false;
      if (c == '\n') {
        runStart = i + 1;
        continue;
      }
    }
    if (c != '\r' && c != '\n') continue;
    rewritten_.append(data + runStart, i - runStart).append(kLineEnd);
    runStart = i + 1;
    pendingCr_ = c == '\r';
  }
  rewritten_.append(data + runStart, size - runStart);
  if (size > runStart) {
    midLine_ = true;
  } else if (size > 0) {
    midLine_ = false;
  }
}

void BlockCopy::ReportLastLine(const char* data, std::size_t size) {
  if (!onLine_ || size < kLineEndBytes) return;
  const std::size_t end = size - kLineEndBytes;  // before the final line end
  std::size_t start = end;
  while (start > 0 && data[start - 1] != '\n') --start;
  onLine_(std::string_view(data + start, end - start));
}

}  // namespace arl
