#include "merge/merge_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "support/disk_full.h"
#include "support/durable_file.h"
#include "support/errors.h"
#include "support/fd_io.h"

namespace arl {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  const int error = errno;
  ThrowIfDiskFull(path, error);
  throw EInOutError(what + " \"" + path + "\": " + std::strerror(error));
}

// Reads exactly `size` bytes at `offset`, or raises.
void ReadExactly(int fd, char* data, std::size_t size, std::int64_t offset, const std::string& path) {
  if (arl::ReadAt(fd, data, size, offset) != static_cast<std::int64_t>(size)) Fail("Cannot read file", path);
}

}  // namespace

MergeWriter::MergeWriter(const std::string& path, Mode mode)
    : path_(path), tempPath_(mode == Mode::Create ? path + ".tmp" : "") {
  if (mode == Mode::Create)
    fd_ = UniqueFd(::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  else
    fd_ = UniqueFd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
  if (!fd_.Valid()) Fail("Cannot open file", path);
}

MergeWriter::~MergeWriter() {
  if (fd_.Valid() && !tempPath_.empty()) ::unlink(tempPath_.c_str());
}

void MergeWriter::Write(const char* data, std::size_t size) {
  if (!WriteAll(fd_.Get(), data, size)) Fail("Cannot write file", path_);
  written_ += static_cast<std::int64_t>(size);
  // The disk starts on what is written while the copy goes on, so that the flush at Close() finds
  // little left to do.
  if (written_ - flushStarted_ >= kFlushStep) {
    ::sync_file_range(fd_.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    flushStarted_ = written_;
  }
}

void MergeWriter::Close() {
  if (!fd_.Valid()) return;
  if (tempPath_.empty()) {
    SyncWritten(fd_, path_);
    fd_.Reset();
  } else {
    ReplaceFile(fd_, tempPath_, path_);
  }
}

bool CutTornTail(const std::string& path) {
  const UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
  if (!fd.Valid()) Fail("Cannot open file", path);
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) Fail("Cannot read file", path);
  const std::int64_t size = st.st_size;
  if (size == 0) return false;

  constexpr std::int64_t kChunk = 64 * 1024;
  std::vector<char> chunk;
  std::int64_t end = size;  // bytes before `end` are still to be searched
  std::int64_t keep = 0;    // the length that ends just after the last LF
  while (end > 0) {
    const std::int64_t from = end > kChunk ? end - kChunk : 0;
    chunk.resize(static_cast<std::size_t>(end - from));
    ReadExactly(fd.Get(), chunk.data(), chunk.size(), from, path);
    const void* lf = ::memrchr(chunk.data(), '\n', chunk.size());
    if (lf != nullptr) {
      keep = from + (static_cast<const char*>(lf) - chunk.data()) + 1;
      break;
    }
    end = from;
  }
  if (keep == size) return false;
  if (::ftruncate(fd.Get(), static_cast<off_t>(keep)) != 0) Fail("Cannot cut file", path);
  return true;
}

long long ModificationTime(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000LL + st.st_mtim.tv_nsec;
}

}  // namespace arl
