#include "convert/bar_step.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <vector>

#include "convert/bar_files.h"
#include "support/timeframes.h"

namespace arl {

namespace {

// When the file was last written, in nanoseconds; nothing when it is missing.
std::optional<std::int64_t> WrittenAt(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec;
}

// The 1-minute files whose minutes may fall in `year`: its own and, as the hour shift moves the last
// or first hours of an archive year across the year's end, the one before or after it.
std::vector<int> SourceYears(const RunOptions& o, int year) {
  std::vector<int> years;
  if (o.shiftHours > 0) years.push_back(year - 1);
  years.push_back(year);
  if (o.shiftHours < 0) years.push_back(year + 1);
  return years;
}

// The time of the ticker's last 1-minute line dated in `year`: kNoLine when it has none, nothing
// when it cannot be read.
std::optional<std::int64_t> LastMinuteOfYear(const Paths& paths, const RunOptions& o,
                                             const std::string& ticker, int year, MinuteLineReader& reader) {
  const std::vector<int> years = SourceYears(o, year);
  for (auto y = years.rbegin(); y != years.rend(); ++y) {  // the latest minutes first
    const std::string path = paths.YearFilePath(o, ticker, std::to_string(*y));
    if (!WrittenAt(path)) continue;
    const std::optional<std::int64_t> last = LastTimeBefore(path, reader, FirstDayOf(year + 1));
    if (!last || *last >= FirstDayOf(year) * DateTime::kMsPerDay) return last;
  }
  return kNoLine;
}

}  // namespace

std::optional<std::int64_t> BarsBehindFrom(const Paths& paths, const RunOptions& o, const std::string& ticker,
                                           int year, const std::function<MinuteLineReader&()>& readerOf) {
  std::int64_t sourcesWritten = 0;
  for (const int y : SourceYears(o, year))
    sourcesWritten =
        std::max(sourcesWritten, WrittenAt(paths.YearFilePath(o, ticker, std::to_string(y))).value_or(0));
  std::array<std::string, kTimeframeCount> barFiles;
  bool olderThanSources = false;
  for (const TimeframeInfo& frame : kTimeframes) {
    if (!o.timeframes.Has(frame.frame)) continue;
    std::string& path = barFiles[IndexOf(frame.frame)];
    path = paths.BarYearFilePath(o, ticker, frame.name, std::to_string(year));
    const std::optional<std::int64_t> written = WrittenAt(path);
    if (!written) return FirstDayOf(year);
    olderThanSources = olderThanSources || *written < sourcesWritten;
  }
  if (!olderThanSources) return std::nullopt;
  MinuteLineReader& reader = readerOf();

  const std::optional<std::int64_t> minute = LastMinuteOfYear(paths, o, ticker, year, reader);
  if (!minute || *minute == kNoLine) return std::nullopt;
  for (const TimeframeInfo& frame : kTimeframes) {
    const std::string& path = barFiles[IndexOf(frame.frame)];
    if (path.empty()) continue;
    const std::optional<std::int64_t> bar = LastTimeBefore(path, reader, FirstDayOf(year + 1));
    if (!bar || *bar == kNoLine) return FirstDayOf(year);
    if (*minute < *bar || *minute >= *bar + frame.minutes * std::int64_t{60'000})
      return DateTime{*minute}.DayNumber();
  }
  return std::nullopt;
}

}  // namespace arl
