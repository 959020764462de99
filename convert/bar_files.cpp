#include "convert/bar_files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "support/errors.h"
#include "support/fd_io.h"
#include "support/files.h"
#include "support/unique_fd.h"

namespace arl {

namespace {

constexpr std::size_t kRead = 256 << 10;        // bytes read at a time when feeding
constexpr std::size_t kProbe = 4 << 10;         // bytes read to find one line while halving
constexpr std::int64_t kLinearRest = 64 << 10;  // halving stops this close to the line

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw EInOutError("Cannot " + what + " file \"" + path + "\": " + std::strerror(errno));
}

UniqueFd OpenRead(const std::string& path, std::int64_t& size) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info;
  if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0) Fail("open", path);
  size = info.st_size;
  return fd;
}

// Whether the line is dated before `day`: -1 when its date cannot be read.
int LineBefore(MinuteLineReader& reader, std::string_view line, std::int64_t day) {
  const std::optional<std::int64_t> lineDay = reader.DayOf(line);
  return !lineDay ? -1 : (*lineDay < day ? 1 : 0);
}

// The line that ends at `end` (its line end left out), read with one read of at most kProbe bytes;
// false when there is none or it is longer.
bool LineEndingAt(int fd, const std::string& path, std::int64_t end, std::string& line) {
  const std::int64_t from = std::max<std::int64_t>(0, end - static_cast<std::int64_t>(kProbe));
  line.resize(static_cast<std::size_t>(end - from));
  if (ReadAt(fd, line.data(), line.size(), from) != end - from) Fail("read", path);
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const std::size_t before = line.find_last_of("\r\n");
  if (before == std::string::npos && from > 0) return false;
  line.erase(0, before == std::string::npos ? 0 : before + 1);
  return !line.empty();
}

std::optional<std::int64_t> TimeOfLine(MinuteLineReader& reader, std::string& line) {
  const std::size_t size = line.size();
  line.append(MinuteLineReader::kLineSlack, '\0');
  const std::string_view text(line.data(), size);
  MinuteLine minute;
  std::size_t rest = 0;
  if (reader.ReadDate(text, minute, rest) != LineFault::None ||
      reader.ReadRest(text, rest, minute) != LineFault::None)
    return std::nullopt;
  return minute.day * DateTime::kMsPerDay + minute.msOfDay;
}

// Feeds a long stretch of the file from a mapping of it, at the cost of page faults rather than
// of copying every byte; nothing is done (false) when it cannot be mapped. The file is a year file
// of the home whose lock the run holds: no other run cuts it while it is mapped.
bool FeedMapped(BarMaker& maker, int fd, const std::string& name, std::int64_t from, std::int64_t size) {
  const std::int64_t at = from > 0 ? from - 1 : 0;  // from the byte before `from`, as below
  const std::int64_t page = ::sysconf(_SC_PAGESIZE);
  const std::int64_t start = at - at % page;
  const auto length = static_cast<std::size_t>(size - start);
  void* map = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, static_cast<off_t>(start));
  if (map == MAP_FAILED) return false;
  ::madvise(map, length, MADV_SEQUENTIAL);
  std::string_view bytes(static_cast<const char*>(map) + (at - start), static_cast<std::size_t>(size - at));
  if (from > 0) {
    const std::size_t lf = bytes.find('\n');
    bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
    if (!bytes.empty()) maker.StartFile(name, size - static_cast<std::int64_t>(bytes.size()));
  } else {
    maker.StartFile(name);
  }
  if (!bytes.empty() && maker.Feed(bytes) == BarMaker::State::Going) maker.EndFile();
  ::munmap(map, length);
  return true;
}

// Feeds the open file of `size` bytes from its first line starting at or after `from`.
BarMaker::State FeedOpenFile(BarMaker& maker, int fd, const std::string& path, const std::string& name,
                             std::int64_t from, std::int64_t size, std::int64_t mapAtLeast = kMapAtLeast) {
  if (size - from >= mapAtLeast && FeedMapped(maker, fd, name, from, size)) return maker.state();
  const std::unique_ptr<char[]> buffer(new char[kRead]);  // not cleared: read() fills what is used
  // From the byte before `from`: the lines start behind its first LF.
  std::int64_t at = from > 0 ? from - 1 : 0;
  bool seeking = from > 0;
  if (!seeking) maker.StartFile(name);
  while (maker.state() == BarMaker::State::Going) {
    const std::int64_t got = ReadSomeAt(fd, buffer.get(), kRead, at);
    if (got < 0) Fail("read", path);
    if (got == 0) return seeking ? maker.state() : maker.EndFile();
    std::string_view bytes(buffer.get(), static_cast<std::size_t>(got));
    at += got;
    if (seeking) {
      const std::size_t lf = bytes.find('\n');
      if (lf == std::string_view::npos) continue;
      seeking = false;
      bytes.remove_prefix(lf + 1);
      maker.StartFile(name, at - static_cast<std::int64_t>(bytes.size()));
    }
    maker.Feed(bytes);
  }
  return maker.state();
}

// The first line starting at or after `at` that is dated `day` or later (or whose date cannot be
// read), read line by line in small reads; `size` when there is none.
std::int64_t ScanForDay(int fd, const std::string& path, std::int64_t size, MinuteLineReader& reader,
                        std::int64_t day, std::int64_t at) {
  std::string chunk(kProbe * 4, '\0');
  while (at < size) {
    const std::int64_t got = ReadAt(fd, chunk.data(), chunk.size(), at);
    if (got < 0) Fail("read", path);
    if (got == 0) break;
    const std::string_view bytes(chunk.data(), static_cast<std::size_t>(got));
    const bool last = at + got >= size;
    std::size_t line = 0;
    while (line < bytes.size()) {
      std::size_t lf = bytes.find('\n', line);
      if (lf == std::string_view::npos && !last) break;     // read again from this line
      if (lf == std::string_view::npos) lf = bytes.size();  // the last line, without its line end
      std::string_view text = bytes.substr(line, lf - line);
      if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
      if (!text.empty() && LineBefore(reader, text, day) != 1) return at + static_cast<std::int64_t>(line);
      line = lf + 1;
    }
    if (line == 0) chunk.resize(chunk.size() * 2);  // a line longer than the chunk
    at += static_cast<std::int64_t>(std::min(line, bytes.size()));
  }
  return size;
}

// FirstLineOfDay in an open file.
std::int64_t FirstLineOfDayIn(int fd, const std::string& path, std::int64_t size, MinuteLineReader& reader,
                              std::int64_t day) {
  // Every line starting before `low` is dated before the day; the line looked for starts by `high`.
  std::int64_t low = 0, high = size;
  char probe[kProbe];
  while (high - low > kLinearRest) {
    const std::int64_t middle = low + (high - low) / 2;
    const std::int64_t got = ReadAt(fd, probe, sizeof probe, middle);
    if (got < 0) Fail("read", path);
    const std::string_view bytes(probe, static_cast<std::size_t>(got));
    const std::size_t start = bytes.find('\n');
    const std::size_t end = start == std::string_view::npos ? start : bytes.find_first_of("\r\n", start + 1);
    if (end == std::string_view::npos) break;  // no whole line here: go line by line
    if (middle + static_cast<std::int64_t>(start) + 1 >= high) break;
    const std::string_view line = bytes.substr(start + 1, end - start - 1);
    const int before = LineBefore(reader, line, day);
    if (before < 0) break;
    if (before == 1)
      low = middle + static_cast<std::int64_t>(end);
    else
      high = middle + static_cast<std::int64_t>(start) + 1;
  }
  // `low` may stand on a line end after the halving: the empty line there is passed over.
  return ScanForDay(fd, path, size, reader, day, low);
}

}  // namespace

BarMaker::State FeedBarFile(BarMaker& maker, const std::string& path, const std::string& name,
                            std::int64_t from) {
  std::int64_t size = 0;
  const UniqueFd fd = OpenRead(path, size);
  return FeedOpenFile(maker, fd.Get(), path, name, from, size);
}

std::int64_t FirstLineOfDay(const std::string& path, MinuteLineReader& reader, std::int64_t day) {
  std::int64_t size = 0;
  const UniqueFd fd = OpenRead(path, size);
  return FirstLineOfDayIn(fd.Get(), path, size, reader, day);
}

std::optional<std::int64_t> LastTimeBefore(const std::string& path, MinuteLineReader& reader,
                                           std::int64_t day) {
  std::int64_t size = 0;
  const UniqueFd fd = OpenRead(path, size);
  if (size == 0) return kNoLine;
  char last = 0;
  if (ReadAt(fd.Get(), &last, 1, size - 1) != 1 || last != '\n') return std::nullopt;
  std::string line;
  if (!LineEndingAt(fd.Get(), path, size, line)) return std::nullopt;
  const std::optional<std::int64_t> time = TimeOfLine(reader, line);
  if (!time || *time < day * DateTime::kMsPerDay) return time;
  // When the last line is not before the day, mostly no line is (a file of a later year): the
  // first line tells.
  line.resize(kProbe);
  const std::int64_t got = ReadAt(fd.Get(), line.data(), line.size(), 0);
  if (got < 0) Fail("read", path);
  line.resize(std::min(line.find('\n'), static_cast<std::size_t>(got)));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (const std::optional<std::int64_t> first = TimeOfLine(reader, line);
      first && *first >= day * DateTime::kMsPerDay)
    return kNoLine;
  const std::int64_t end = FirstLineOfDay(path, reader, day);
  if (end == 0) return kNoLine;
  if (!LineEndingAt(fd.Get(), path, end, line)) return std::nullopt;
  return TimeOfLine(reader, line);
}

bool MakeBarsFromFiles(BarMaker& maker, const std::vector<std::string>& paths, std::int64_t mapAtLeast) {
  const std::int64_t firstDay = maker.Window().firstDay;
  const bool fromStart = firstDay == BarWindow().firstDay;
  for (const std::string& path : paths) {
    if (maker.state() != BarMaker::State::Going) break;
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info;
    if (!fd.Valid() && errno == ENOENT) continue;
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0) Fail("open", path);
    const std::int64_t from =
        fromStart ? 0 : FirstLineOfDayIn(fd.Get(), path, info.st_size, maker.Reader(), firstDay);
    FeedOpenFile(maker, fd.Get(), path, path, from, info.st_size, mapAtLeast);
  }
  return maker.Finish();
}

}  // namespace arl
