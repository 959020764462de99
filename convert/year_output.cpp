#include "convert/year_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "convert/file_lines.h"
#include "support/disk_full.h"
#include "support/durable_file.h"
#include "support/errors.h"
#include "support/fd_io.h"
#include "support/output_line.h"

namespace arl {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  const int error = errno;
  ThrowIfDiskFull(path, error);
  throw EInOutError("I/O error: " + what + " " + path + ": " + std::strerror(error));
}

void WriteAt(int fd, const char* data, std::size_t length, std::int64_t offset, const std::string& path) {
  if (!WriteAllAt(fd, data, length, offset)) Fail("cannot write", path);
}

// Copies `length` bytes from `from` at `fromOffset` to `to` at `toOffset`.
void CopyRange(int from, std::int64_t fromOffset, int to, std::int64_t toOffset, std::int64_t length,
               const std::string& path) {
  loff_t in = fromOffset, out = toOffset;
  while (length > 0) {
    ssize_t n = ::copy_file_range(from, &in, to, &out, static_cast<std::size_t>(length), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    length -= n;
  }
  std::string buf(1 << 20, '\0');
  while (length > 0) {  // file systems without copy_file_range
    const auto want =
        static_cast<std::size_t>(std::min<std::int64_t>(length, static_cast<std::int64_t>(buf.size())));
    const std::int64_t got = ReadSomeAt(from, buf.data(), want, in);
    if (got <= 0) Fail("cannot copy into", path);
    WriteAt(to, buf.data(), static_cast<std::size_t>(got), out, path);
    in += got;
    out += got;
    length -= got;
  }
}

// The first 16 bytes of a key, or of a line behind its ticker column (`available` bytes up to the
// line end, the rest taken as zero), folded into one word. A line that starts with a key of 16 bytes
// or more without line ends has those bytes before its end, so its word equals the key's.
std::uint64_t Probe(const char* p, std::size_t available) {
  std::uint64_t a = 0, b = 0;
  if (available >= 16) {
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
  } else {
    char bytes[16] = {};
    std::memcpy(bytes, p, available);
    std::memcpy(&a, bytes, 8);
    std::memcpy(&b, bytes + 8, 8);
  }
  return a ^ (b * 0x9E3779B97F4A7C15ULL);
}

}  // namespace

std::uint64_t YearOutput::LineProbe(const char* line, std::size_t length) const {
  const std::size_t head = shape_.head.size();
  return length <= head ? 0 : Probe(line + head, length - head);
}

YearOutput::YearOutput(std::string path, YearLineShape shape, bool tailAppendAllowed, bool manyDays,
                       char* memory, bool earlyFirstWrite)
    : path_(std::move(path)),
      stagePath_(path_ + ".part"),
      shape_(std::move(shape)),
      tailAppendAllowed_(tailAppendAllowed),
      firstWrite_(earlyFirstWrite ? kMinWrite / 2 : kMinWrite),
      memoryStage_(manyDays ? 0 : kMemoryStage) {
  // Room for what is written between two compactions and the window, allocated once.
  if (memory != nullptr)
    tail_.Adopt(memory, BufferBytes(manyDays));
  else
    tail_.Reserve(BufferBytes(manyDays));
  starts_.reserve(BufferBytes(manyDays) / 48);  // about as many lines as the buffer holds
  probes_.reserve(BufferBytes(manyDays) / 48);
  ::unlink(stagePath_.c_str());  // left by a run that was killed
  ::unlink((path_ + ".tmp").c_str());
  oldFd_ = UniqueFd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  if (!oldFd_.Valid() && errno != ENOENT) Fail("cannot open", path_);
  if (oldFd_.Valid()) {
    struct stat info;
    if (::fstat(oldFd_.Get(), &info) != 0) Fail("cannot read", path_);
    oldSize_ = info.st_size;
  }
  keep_ = written_ = tailStart_ = oldSize_;
  // A last line without its line end gets one, as rewriting the file line by line would give it.
  if (oldSize_ > 0) {
    char last = 0;
    if (::pread(oldFd_.Get(), &last, 1, oldSize_ - 1) != 1) Fail("cannot read", path_);
    if (last == '\r')
      tail_.Append("\n");
    else if (last != '\n')
      tail_.Append(kLineEnd);
  }
  // Lines of the old file are never taken as regular.
  irregularEnd_ = ContentEnd();
  const char sep = shape_.dateSeparator;
  headRegular_ = sep != ',' && sep != '\r' && sep != '\n' && shape_.head.find(sep) == std::string::npos;
}

YearOutput::~YearOutput() {
  if (!done_) Discard();
}

void YearOutput::CloseAll() {
  oldFd_.Reset();
  stageFd_.Reset();
}

void YearOutput::Discard() {
  CloseAll();
  ::unlink(stagePath_.c_str());
  done_ = true;
}

void YearOutput::OpenStage() {
  if (stageFd_.Valid()) return;
  stageFd_ = UniqueFd(::open(stagePath_.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!stageFd_.Valid()) Fail("cannot create", stagePath_);
}

void YearOutput::TruncateStage(std::int64_t length) {
  if (stageFd_.Valid() && ::ftruncate(stageFd_.Get(), static_cast<off_t>(length)) != 0)
    Fail("cannot cut", stagePath_);
}

// Writes the bytes of the side file to fd at `at`.
void YearOutput::WriteStaged(int fd, std::int64_t at, const std::string& path) {
  if (stageFd_.Valid() && staged_ > 0) CopyRange(stageFd_.Get(), 0, fd, at, staged_, path);
}

// Writes the new bytes that are only in memory to fd at `at`.
void YearOutput::WriteUnstaged(int fd, std::int64_t at, const std::string& path) {
  const auto from = static_cast<std::size_t>(written_ - tailStart_);
  WriteAt(fd, tail_.data() + from, tail_.size() - from, at, path);
}

std::size_t YearOutput::ReadContent(std::int64_t offset, std::size_t length, char* out) {
  std::size_t done = 0;
  if (offset < keep_) {
    const auto n =
        static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(length), keep_ - offset));
    done = FileSource(oldFd_.Get())(offset, n, out);
    if (done < n) return done;
  }
  if (done < length) {
    const std::int64_t at = offset + static_cast<std::int64_t>(done) - keep_;
    const auto n = static_cast<std::size_t>(std::max<std::int64_t>(
        0, std::min<std::int64_t>(static_cast<std::int64_t>(length - done), staged_ - at)));
    if (n > 0 && stageFd_.Valid()) done += FileSource(stageFd_.Get())(at, n, out + done);
  }
  return done;
}

std::optional<OverlapHit> YearOutput::FindInWhole(std::string_view key) {
  if (!oldFd_.Valid() || key.empty()) return std::nullopt;
  return FindOverlapInFile(oldFd_.Get(), oldSize_, key, shape_);
}

void YearOutput::FillWindow() {
  if (starts_.size() >= kWindowLines || tailStart_ == 0) return;
  BackwardLines lines([this](std::int64_t o, std::size_t n, char* out) { return ReadContent(o, n, out); },
                      tailStart_);
  std::vector<std::int64_t> offsets;
  std::vector<std::size_t> lengths;
  std::string_view line;
  std::int64_t offset = 0;
  while (starts_.size() + offsets.size() < kWindowLines && lines.Previous(line, offset)) {
    offsets.push_back(offset);
    lengths.push_back(line.size());
  }
  if (offsets.empty()) return;
  const std::int64_t from = offsets.back();
  std::string before(static_cast<std::size_t>(tailStart_ - from), '\0');
  if (ReadContent(from, before.size(), before.data()) != before.size())
    throw EInOutError("I/O error: cannot read " + path_);
  std::vector<std::size_t> starts;
  std::vector<std::uint64_t> probes;
  starts.reserve(offsets.size() + starts_.size());
  probes.reserve(offsets.size() + starts_.size());
  for (std::size_t k = offsets.size(); k-- > 0;) {
    starts.push_back(static_cast<std::size_t>(offsets[k] - from));
    probes.push_back(LineProbe(before.data() + starts.back(), lengths[k]));
  }
  for (std::size_t s : starts_) starts.push_back(s + before.size());
  probes.insert(probes.end(), probes_.begin(), probes_.end());
  tail_.InsertFront(before);
  starts_.swap(starts);
  probes_.swap(probes);
  tailStart_ = from;
}

// The hit of the line that holds tail_[pos].
std::optional<OverlapHit> YearOutput::HitAt(std::size_t pos) const {
  const auto it = std::upper_bound(starts_.begin(), starts_.end(), pos) - 1;
  const std::size_t end = (it + 1 == starts_.end()) ? tail_.size() : *(it + 1);
  return OverlapHit{tailStart_ + static_cast<std::int64_t>(*it),
                    std::string(WithoutLineEnd(tail_.view().substr(*it, end - *it)))};
}

// In a line whose date separators are only the two of its date, a key with separators at its
// positions 4 and 7 can start nowhere but at the date: anywhere else its separator at 4 or at 7
// would need one the line does not have.
bool YearOutput::WindowIsRegular(std::size_t firstLine, std::string_view key) const {
  const char sep = shape_.dateSeparator;
  return headRegular_ && tailStart_ + static_cast<std::int64_t>(starts_[firstLine]) >= irregularEnd_ &&
         key.size() >= 8 && key[4] == sep && key[7] == sep &&
         key.find_first_of("\r\n") == std::string_view::npos;
}

std::optional<OverlapHit> YearOutput::FindInWindow(std::string_view key) {
  if (key.empty()) return std::nullopt;
  FillWindow();
  if (starts_.empty()) return std::nullopt;
  const std::size_t first = starts_.size() - std::min(starts_.size(), kWindowLines);
  if (WindowIsRegular(first, key)) {
    const std::size_t head = shape_.head.size(), size = tail_.size();
    const char* data = tail_.data();
    if (key.size() >= 16) {
      // The lines' words are at hand; the text is looked at only where a word agrees.
      const std::uint64_t probe = Probe(key.data(), 16);
      for (std::size_t i = first; i < starts_.size(); ++i) {
        const std::size_t at = starts_[i] + head;
        if (probes_[i] == probe && at + key.size() <= size &&
            std::memcmp(data + at, key.data(), key.size()) == 0)
          return HitAt(starts_[i]);
      }
      return std::nullopt;
    }
    std::uint64_t last8;  // the key's last bytes differ first between the lines of a day
    std::memcpy(&last8, key.data() + key.size() - 8, 8);
    for (std::size_t i = first; i < starts_.size(); ++i) {
      const std::size_t at = starts_[i] + head;
      if (at + key.size() > size) continue;
      std::uint64_t word;
      std::memcpy(&word, data + at + key.size() - 8, 8);
      if (word == last8 && std::memcmp(data + at, key.data(), key.size()) == 0) return HitAt(starts_[i]);
    }
    return std::nullopt;
  }
  const std::size_t from = starts_[first];
  const void* found = ::memmem(tail_.data() + from, tail_.size() - from, key.data(), key.size());
  if (found == nullptr) return std::nullopt;
  return HitAt(static_cast<std::size_t>(static_cast<const char*>(found) - tail_.data()));
}

void YearOutput::CutAt(std::int64_t offset) {
  if (offset >= tailStart_) {
    const auto rel = static_cast<std::size_t>(offset - tailStart_);
    tail_.Shrink(rel);
    while (!starts_.empty() && starts_.back() >= rel) starts_.pop_back();
    probes_.resize(starts_.size());
  } else {
    tail_.Clear();
    starts_.clear();
    probes_.clear();
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
  irregularEnd_ = std::min(irregularEnd_, offset);
}

void YearOutput::AppendLines(std::string_view bytes, const std::vector<std::size_t>& starts,
                             std::size_t irregularEnd) {
  if (starts.empty()) return;
  const std::size_t base = tail_.size();
  std::memcpy(tail_.Room(bytes.size()), bytes.data(), bytes.size());
  tail_.Commit(bytes.size());
  for (std::size_t start : starts) starts_.push_back(base + start);
  ProbeNewLines();
  if (irregularEnd > 0) irregularEnd_ = tailStart_ + static_cast<std::int64_t>(base + irregularEnd);
}

// The words of the lines appended since the last call; every line ends with the line end.
void YearOutput::ProbeNewLines() {
  const char* data = tail_.data();
  for (std::size_t i = probes_.size(); i < starts_.size(); ++i) {
    const std::size_t end = (i + 1 < starts_.size() ? starts_[i + 1] : tail_.size()) - kLineEndBytes;
    probes_.push_back(LineProbe(data + starts_[i], end - starts_[i]));
  }
}

void YearOutput::Lend(ByteBuffer& bytes, std::vector<std::size_t>& starts) {
  tail_.Swap(bytes);
  starts_.swap(starts);
}

void YearOutput::TakeBack(ByteBuffer& bytes, std::vector<std::size_t>& starts, std::size_t irregularEnd) {
  tail_.Swap(bytes);
  starts_.swap(starts);
  ProbeNewLines();
  if (irregularEnd > 0) irregularEnd_ = tailStart_ + static_cast<std::int64_t>(irregularEnd);
}

// New bytes stay in memory until they pass kMemoryStage (a daily append never makes a side file);
// then everything new goes to the side file, kMinWrite or more at a time and up to a multiple of
// kWriteAlign, and memory keeps the window. Commit() writes the rest.
void YearOutput::Flush() {
  const std::int64_t end = ContentEnd();
  if (!stageFd_.Valid() && end - keep_ > memoryStage_) OpenStage();
  const std::int64_t minWrite = written_ == keep_ ? firstWrite_ : kMinWrite;
  const std::int64_t upTo = keep_ + ((end - keep_) & ~(kWriteAlign - 1));
  if (stageFd_.Valid() && upTo - written_ >= minWrite) {
    const auto from = static_cast<std::size_t>(written_ - tailStart_);
    WriteAt(stageFd_.Get(), tail_.data() + from, static_cast<std::size_t>(upTo - written_), written_ - keep_,
            stagePath_);
    // The disk starts on these bytes now rather than all at once at the commit's fsync.
    ::sync_file_range(stageFd_.Get(), written_ - keep_, upTo - written_, SYNC_FILE_RANGE_WRITE);
    written_ = upTo;
    staged_ = upTo - keep_;
  }
  if (starts_.size() <= kWindowLines) return;
  // Drop whole lines in front of the window once they are many and written (or old).
  const std::size_t limit =
      std::min(starts_[starts_.size() - kWindowLines], static_cast<std::size_t>(written_ - tailStart_));
  const auto firstKept = std::upper_bound(starts_.begin(), starts_.end(), limit) - 1;
  const std::size_t drop = *firstKept;
  if (drop < kCompactAt) return;
  tail_.EraseFront(drop);
  tailStart_ += static_cast<std::int64_t>(drop);
  probes_.erase(probes_.begin(), probes_.begin() + (firstKept - starts_.begin()));
  starts_.erase(starts_.begin(), firstKept);
  for (auto& s : starts_) s -= drop;
}

// The length of the new content, from keep_ on and in whole lines, that equals the old file there.
// Only for new content that is all in memory.
std::int64_t YearOutput::UnchangedLines() {
  const char* fresh = tail_.data() + (keep_ - tailStart_);
  const std::int64_t freshSize = ContentEnd() - keep_;
  const std::int64_t limit = std::min(freshSize, oldSize_ - keep_);
  std::vector<char> old(256 << 10);
  std::int64_t same = 0;
  while (same < limit) {
    const auto want =
        static_cast<std::size_t>(std::min<std::int64_t>(limit - same, static_cast<std::int64_t>(old.size())));
    const std::size_t got = FileSource(oldFd_.Get())(keep_ + same, want, old.data());
    std::size_t i = 0;
    if (std::memcmp(old.data(), fresh + same, got) == 0)
      i = got;
    else
      while (old[i] == fresh[same + static_cast<std::int64_t>(i)]) ++i;
    same += static_cast<std::int64_t>(i);
    if (i < want) break;
  }
  // Back to the end of the last whole line in common.
  while (same > 0 && fresh[same - 1] != '\n') --same;
  return same;
}

bool YearOutput::Commit() {
  Flush();
  const bool existed = oldFd_.Valid();
  bool changed = true;
  if (ContentEnd() == 0) {
    CloseAll();
    changed = existed;
    if (existed) changedFrom_ = 0;
    if (existed && ::unlink(path_.c_str()) != 0 && errno != ENOENT) Fail("cannot delete", path_);
  } else if (keep_ == oldSize_ && ContentEnd() == keep_) {
    CloseAll();  // unchanged
    changed = false;
  } else if (keep_ == 0) {
    changedFrom_ = 0;
    OpenStage();
    WriteUnstaged(stageFd_.Get(), written_ - keep_, stagePath_);
    oldFd_.Reset();
    ReplaceFile(stageFd_, stagePath_, path_);
  } else if (tailAppendAllowed_) {
    // Re-run days mostly give the lines the file already holds: only what differs is rewritten.
    const std::int64_t same = stageFd_.Valid() ? 0 : UnchangedLines();
    const std::int64_t from = keep_ + same;
    if (from == oldSize_ && from == ContentEnd()) {
      CloseAll();
      ::unlink(stagePath_.c_str());
      done_ = true;
      return false;
    }
    changedFrom_ = from;
    const UniqueFd fd(::open(path_.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.Valid()) Fail("cannot open", path_);
    if (from < oldSize_ && ::ftruncate(fd.Get(), static_cast<off_t>(from)) != 0) Fail("cannot cut", path_);
    if (stageFd_.Valid()) {
      WriteStaged(fd.Get(), keep_, path_);
      WriteUnstaged(fd.Get(), written_, path_);
    } else {
      const auto at = static_cast<std::size_t>(from - tailStart_);
      WriteAt(fd.Get(), tail_.data() + at, tail_.size() - at, from, path_);
    }
    SyncWritten(fd, path_);
    CloseAll();
  } else {
    changedFrom_ = keep_;
    const std::string temp = path_ + ".tmp";
    UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.Valid()) Fail("cannot create", temp);
    try {
      CopyRange(oldFd_.Get(), 0, fd.Get(), 0, keep_, temp);
      WriteStaged(fd.Get(), keep_, temp);
      WriteUnstaged(fd.Get(), written_, temp);
    } catch (...) {
      ::unlink(temp.c_str());
      throw;
    }
    CloseAll();
    ReplaceFile(fd, temp, path_);
  }
  ::unlink(stagePath_.c_str());
  done_ = true;
  return changed;
}

}  // namespace arl
