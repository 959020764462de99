#include "support/inventory_year_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "support/datetime.h"
#include "support/fd_io.h"
#include "support/inventory_line_head.h"
#include "support/unique_fd.h"

namespace arl {

namespace {

constexpr std::size_t kPiece = 256 << 10;  // bytes read at a time: stays in the processor's cache
// Room behind the data for the fast path's reads past a line's end (LineHeadMatcher).
constexpr std::size_t kSlack = LineHeadMatcher::kWidth + 16;

std::int64_t FirstOfJanuary(int year) { return EncodeDate(year, 1, 1).DayNumber(); }

// Whether the first n bytes of a and b are the same, for the short keys of year-file lines: eight
// bytes at a time, the last eight overlapping, without a library call.
inline bool SameStart(const char* a, const char* b, std::size_t n) {
  std::uint64_t x, y;
  std::size_t at = 0;
  for (; at + 8 <= n; at += 8) {
    std::memcpy(&x, a + at, 8);
    std::memcpy(&y, b + at, 8);
    if (x != y) return false;
  }
  if (at == n) return true;
  if (n < 8) return std::memcmp(a, b, n) == 0;
  std::memcpy(&x, a + n - 8, 8);
  std::memcpy(&y, b + n - 8, 8);
  return x == y;
}

bool IsWeekday(std::int64_t day) {
  const int weekday = DayOfWeek(DateTime{day * DateTime::kMsPerDay});
  return weekday >= 1 && weekday <= 5;
}

// The counting over whole lines. The dates of a year file are those of its year, give or take the
// day a shift moves across the turn of the year, so they are marked in a table of three years.
class LineCounter {
 public:
  LineCounter(int year, const StampTimeReader& times, YearFileCount& count, const DayLinesFn& dayLines)
      : times_(times),
        count_(count),
        dayLines_(dayLines),
        base_(FirstOfJanuary(year - 1)),
        seen_(366 * 3 + 1, 0) {
    count_.timesRead = times.Readable();
    key_.reserve(64);
  }

  // Counts the lines of [p, stop), which ends just behind a LF and has kSlack bytes of room behind.
  void Lines(const char* p, const char* stop) {
    const char* lastTime = nullptr;  // the time of the last line the fast path took
    while (p < stop) {
      // The fast path takes no line before the first whose time was read in full.
      if (count_.first.day != kNoDay && head_.Matches(p)) {
        ++count_.lines;
        ++runLines_;
        lastTime = p + key_.size();
        p = LineHeadMatcher::FindLf(p + head_.Length(), stop) + 1;
        continue;
      }
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(stop - p)));
      const char* end = lf > p && lf[-1] == '\r' ? lf - 1 : lf;
      ++count_.lines;
      if (Line(p, end)) lastTime = nullptr;
      p = lf + 1;
    }
    // The last line's time is read in full once, before the buffer is reused.
    if (lastTime != nullptr) {
      int second = 0;
      times_.Read(lastTime, lastTime + LineHeadMatcher::kWidth, second);
      count_.last = {day_, second};
    }
  }

  void Finish(int year) {
    EndRun();
    std::sort(outside_.begin(), outside_.end());
    outside_.erase(std::unique(outside_.begin(), outside_.end()), outside_.end());
    count_.daysWithData += static_cast<std::int64_t>(outside_.size());
    for (std::int64_t day = FirstOfJanuary(year); day <= count_.lastDay; ++day)
      if (IsWeekday(day) && !Seen(day)) count_.weekdaysWithoutData.push_back(day);
  }

 private:
  // The full reading of a line; true when it set the last time (the line parses with its time).
  bool Line(const char* p, const char* end) {
    // The ticker column and the date repeat for a thousand lines and more: compare, do not parse.
    const std::size_t length = static_cast<std::size_t>(end - p);
    if (key_.empty() || length <= key_.size() || !SameStart(p, key_.data(), key_.size())) {
      if (!NewKey(p, end)) return Bad();
    }
    if (!count_.timesRead) {
      ++runLines_;
      return false;
    }
    int second = 0;
    const char* after = times_.Read(p + key_.size(), end, second);
    if (after == nullptr || after == end || *after != ',') return Bad();
    ++runLines_;
    if (count_.first.day == kNoDay) count_.first = {day_, second};
    count_.last = {day_, second};
    return true;
  }

  // Reads the date of a line whose leading bytes differ from the line before's.
  bool NewKey(const char* p, const char* end) {
    const std::int64_t offset = LineDateOffset(p, end);
    if (offset < 0 || p[offset + static_cast<std::int64_t>(kLineDateBytes)] != ',') return false;
    const std::int64_t day = ReadLineDate(p + offset);
    if (day == kNoDay) return false;
    key_.assign(p, static_cast<std::size_t>(offset) + kLineDateBytes + 1);
    if (count_.timesRead) head_.Expect(key_, times_.FixedShape());
    if (day != day_) {
      EndRun();
      Mark(day);
    }
    day_ = day;
    return true;
  }

  // The lines of day_ counted since its date was read are told to the caller.
  void EndRun() {
    if (runLines_ != 0 && dayLines_) dayLines_(day_, runLines_);
    runLines_ = 0;
  }

  void Mark(std::int64_t day) {
    count_.lastDay = std::max(count_.lastDay, day);
    if (day - base_ < 0 || day - base_ >= static_cast<std::int64_t>(seen_.size())) {
      outside_.push_back(day);
      return;
    }
    unsigned char& seen = seen_[static_cast<std::size_t>(day - base_)];
    count_.daysWithData += seen == 0;
    seen = 1;
  }

  bool Seen(std::int64_t day) const {
    if (day - base_ >= 0 && day - base_ < static_cast<std::int64_t>(seen_.size()))
      return seen_[static_cast<std::size_t>(day - base_)] != 0;
    return std::binary_search(outside_.begin(), outside_.end(), day);
  }

  bool Bad() {
    if (count_.badLines++ == 0) count_.firstBadLine = count_.lines;
    return false;
  }

  const StampTimeReader& times_;
  YearFileCount& count_;
  const DayLinesFn& dayLines_;
  std::int64_t runLines_ = 0;  // lines of day_ not yet told to dayLines_
  std::string key_;            // the ticker column, date and comma of the last line whose date was read
  LineHeadMatcher head_;       // lines that start with key_ and a well-formed time
  std::int64_t day_ = kNoDay;
  std::int64_t base_;                // the day number of seen_[0]
  std::vector<unsigned char> seen_;  // 1 for a date with a line
  std::vector<std::int64_t> outside_;
};

std::string SystemText(const char* what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

}  // namespace

YearFileCount CountYearFile(const std::string& path, int year, const StampTimeReader& times,
                            const DayLinesFn& dayLines) {
  YearFileCount count;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) {
    if (errno != ENOENT) {
      count.present = true;
      count.readError = SystemText("開けません", errno);
    }
    return count;
  }
  count.present = true;
  ::posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  LineCounter counter(year, times, count, dayLines);
  std::vector<char> buffer(kPiece + kSlack);
  std::size_t kept = 0;  // the unfinished line at the buffer's front
  for (;;) {
    const std::size_t room = buffer.size() - kSlack;
    if (kept == room) buffer.resize(room * 2 + kSlack);  // a line longer than the buffer
    const std::int64_t got =
        ReadSomeAt(fd.Get(), buffer.data() + kept, buffer.size() - kSlack - kept, count.bytes);
    if (got < 0) {
      count.readError = SystemText("読めません", errno);
      break;
    }
    if (got == 0) break;
    count.bytes += got;
    const std::size_t filled = kept + static_cast<std::size_t>(got);
    const void* lastLf = ::memrchr(buffer.data() + kept, '\n', filled - kept);
    if (lastLf == nullptr) {
      kept = filled;
      continue;
    }
    const char* stop = static_cast<const char*>(lastLf) + 1;
    counter.Lines(buffer.data(), stop);
    kept = filled - static_cast<std::size_t>(stop - buffer.data());
    std::memmove(buffer.data(), stop, kept);
  }
  count.tornBytes = static_cast<std::int64_t>(kept);
  counter.Finish(year);
  return count;
}

std::string DayText(std::int64_t day) {
  int y = 0, m = 0, d = 0;
  DecodeDate(DateTime{day * DateTime::kMsPerDay}, y, m, d);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

std::string StampText(const LineStamp& stamp) {
  char text[32];
  std::snprintf(text, sizeof text, " %02d:%02d:%02d", stamp.second / 3600, stamp.second / 60 % 60,
                stamp.second % 60);
  return DayText(stamp.day) + text;
}

}  // namespace arl
