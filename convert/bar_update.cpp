#include "convert/bar_update.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <set>

#include "convert/bar_fault.h"
#include "convert/bar_files.h"
#include "convert/bar_maker.h"
#include "convert/bar_step.h"
#include "convert/pair_worker.h"
#include "support/currency_list.h"
#include "support/disk_full.h"
#include "support/durable_file.h"
#include "support/errors.h"
#include "support/fd_io.h"
#include "support/files.h"
#include "support/inventory_archive.h"
#include "support/last_line.h"
#include "support/ticker_name.h"
#include "support/timeframes.h"

namespace arl {

namespace {

class CollectedBars : public BarSink {
 public:
  void Put(int, std::string_view line) override { bytes.append(line); }
  std::string bytes;
};

std::int64_t FirstDayOf(int year) { return EncodeDate(year, 1, 1).DayNumber(); }

// The day of a bar file's last line; nothing when the file is missing, empty, torn or unreadable.
std::optional<std::int64_t> LastBarDay(const std::string& path, MinuteLineReader& reader) {
  if (!FileExists(path) || FileSizeByName(path) == 0 || !EndsWithLineEnd(path)) return std::nullopt;
  std::string line;
  if (!ReadLastLine(path, line)) {
    TextReader file(path);  // a file of one line
    if (!file.ReadLine(line)) return std::nullopt;
  }
  line.append(MinuteLineReader::kLineSlack, '\0');
  MinuteLine read;
  std::size_t rest = 0;
  if (reader.ReadDate(line, read, rest) != LineFault::None) return std::nullopt;
  return read.day;
}

// Cuts the bar file at its first line of `day` and appends `bytes` there. The caller flushes the
// file system once after all of them: bar files need no order among themselves, and one a power
// loss left short or torn is read back as behind and made again.
void ReplaceTail(const std::string& path, MinuteLineReader& reader, std::int64_t day,
                 const std::string& bytes) {
  const std::int64_t cut = FirstLineOfDay(path, reader, day);
  const UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
  if (!fd.Valid() || ::ftruncate(fd.Get(), static_cast<off_t>(cut)) != 0 ||
      !WriteAllAt(fd.Get(), bytes.data(), bytes.size(), cut)) {
    const int error = errno;
    ThrowIfDiskFull(path, error);
    throw EInOutError("I/O error: cannot write " + path + ": " + std::strerror(error));
  }
  ::unlink((path + ".tmp").c_str());  // left by a run killed while it wrote the file whole
}

// Whether the 1-minute file of `year` holds minutes dated in `other`, the year before or after it
// that the hour shift reaches: its first or its last line tells. A year a file does not reach has
// no bars from it, and is not made again by every run for want of bar files.
bool MinutesReach(const std::string& path, int year, int other, MinuteLineReader& reader) {
  std::string line;
  if (other > year && !ReadLastLine(path, line)) line.clear();
  if (line.empty()) {
    TextReader file(path);
    if (!file.ReadLine(line)) return false;
  }
  line.append(MinuteLineReader::kLineSlack, '\0');
  MinuteLine read;
  std::size_t rest = 0;
  return reader.ReadDate(line, read, rest) == LineFault::None && read.year == other;
}

// Writes a whole bar file beside its place, unflushed: ForEveryTicker flushes all of them at once and
// then puts them in place.
void WriteBeside(const std::string& temp, const std::string& bytes) {
  const UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.Valid() || !WriteAll(fd.Get(), bytes.data(), bytes.size())) {
    const int error = errno;
    ThrowIfDiskFull(temp, error);
    throw EInOutError("I/O error: cannot write " + temp + ": " + std::strerror(error));
  }
}

struct TickerBars {
  std::string ticker;
  std::string fault;  // the log line when its bars could not be made
  // Made once for all its files: a reader prints and reads back every minute of the time format.
  std::optional<MinuteLineReader> reader;
  std::vector<std::string> written;  // files made whole, waiting beside them as "<path>.tmp"
  MinuteLineReader& Reader(const RunOptions& o) {
    if (!reader) reader.emplace(o, ticker);
    return *reader;
  }
};

// Makes the bars of `year` of the ticker from `fromDay` on (or from an older last bar, or whole) and
// writes them. False with `fault` set when a 1-minute line cannot be read.
bool MakeBarYear(Session& s, const RunOptions& o, TickerBars& t, int year, std::int64_t fromDay) {
  const std::int64_t yearStart = FirstDayOf(year), yearEnd = FirstDayOf(year + 1);
  const std::string yearText = std::to_string(year);
  std::int64_t start = std::max(fromDay, yearStart);
  std::array<std::string, kTimeframeCount> paths;
  for (const TimeframeInfo& frame : kTimeframes) {
    if (!o.timeframes.Has(frame.frame)) continue;
    paths[IndexOf(frame.frame)] = s.paths.BarYearFilePath(o, t.ticker, frame.name, yearText);
    const std::optional<std::int64_t> last = LastBarDay(paths[IndexOf(frame.frame)], t.Reader(o));
    start = last ? std::min(start, *last) : yearStart;
  }
  start = std::max(start, yearStart);
  if (start >= yearEnd) return true;

  std::array<CollectedBars, kTimeframeCount> collected;
  BarSinks sinks{};
  for (std::size_t i = 0; i < paths.size(); ++i)
    if (!paths[i].empty()) sinks[i] = &collected[i];
  BarMaker maker(o, t.ticker, sinks, BarWindow{start, yearEnd});
  const std::vector<std::string> minuteFiles = {s.paths.YearFilePath(o, t.ticker, std::to_string(year - 1)),
                                                s.paths.YearFilePath(o, t.ticker, yearText),
                                                s.paths.YearFilePath(o, t.ticker, std::to_string(year + 1))};
  if (!MakeBarsFromFiles(maker, minuteFiles)) {
    t.fault = maker.Fault().Message();
    for (const std::string& path : paths)
      if (!path.empty() && FileExists(path)) DeleteFile(path);  // made whole by a later run
    return false;
  }
  for (const TimeframeInfo& frame : kTimeframes) {
    const std::string& path = paths[IndexOf(frame.frame)];
    if (path.empty()) continue;
    const std::string& bytes = collected[IndexOf(frame.frame)].bytes;
    if (start != yearStart) {
      ReplaceTail(path, t.Reader(o), start, bytes);
    } else if (bytes.empty()) {
      if (FileExists(path)) DeleteFile(path);  // a year without minutes has no bar file
    } else {
      CreateDir(s.paths.TickerDir(t.ticker));
      CreateDir(s.paths.BarDir(o, t.ticker, frame.name));
      WriteBeside(path + ".tmp", bytes);
      t.written.push_back(path);
    }
  }
  return true;
}

// Runs `work` for every ticker, half of them on a second thread (each ticker's files are its own),
// then logs the faults in ticker order. Everything written is flushed with one flush of the file
// system, and only then are the files made whole renamed into place (and the renames flushed): a
// power loss leaves each one old or new. False when cancelled.
template <typename Work>
bool ForEveryTicker(Session& s, const LineList& tickers, const Work& work) {
  std::vector<TickerBars> all(tickers.size());
  for (std::size_t i = 0; i < tickers.size(); ++i) all[i].ticker = tickers[i];
  auto half = [&](std::size_t first) {
    for (std::size_t i = first; i < all.size() && s.GoOn(); i += 2) work(all[i]);
  };
  PairWorker worker;
  worker.Run([&] { half(0); }, [&] { half(1); });
  SyncFileSystemOf(s.paths.DataDir);
  bool renamed = false;
  for (const TickerBars& t : all)
    for (const std::string& path : t.written) {
      if (!RenameFile(path + ".tmp", path)) throw EInOutError("I/O error: cannot rename " + path + ".tmp");
      renamed = true;
    }
  if (renamed) SyncFileSystemOf(s.paths.DataDir);
  for (const TickerBars& t : all) {
    if (t.fault.empty()) continue;
    s.outcome.BarsFailed(t.ticker, t.fault.substr(0, t.fault.find('\r')));
    s.AddLog(t.fault);
  }
  return s.GoOn();
}

// Whether bars are wanted and can be made in this run.
bool BarsWanted(Session& s) {
  const RunOptions& o = s.Options();
  return !o.timeframes.Empty() && BarFormatProblem(o).empty();
}

LineList DistinctTickers(const LineList& tickers) {
  LineList distinct;
  for (const std::string& ticker : tickers)
    if (std::find(distinct.begin(), distinct.end(), ticker) == distinct.end()) distinct.push_back(ticker);
  return distinct;
}

}  // namespace

std::int64_t FirstChangedDay(const LineList& dayFiles, int year, int shiftHours) {
  std::int64_t first = FirstDayOf(year + 1);
  for (const std::string& name : dayFiles) {
    const std::int64_t day = DayOfDayFileName(name, year);
    if (day == kNoDay) return FirstDayOf(year) - 1;  // a name that says no date: everything may change
    first = std::min(first, AddHours(DateTime{day * DateTime::kMsPerDay}, shiftHours).DayNumber());
  }
  return first;
}

bool UpdateBarsAfterConversion(Session& s, const LineList& tickers, int year, std::int64_t fromDay) {
  if (!BarsWanted(s)) return true;
  const RunOptions& o = s.Options();
  // The years whose bars the changed minutes can reach: from the changed day's year to the year the
  // file's last minutes fall in after the shift.
  const int firstYear = std::min(year, CurrentYear(DateTime{fromDay * DateTime::kMsPerDay}));
  const int lastYear = o.shiftHours > 0 ? year + 1 : year;
  s.SetStatus(std::to_string(year) + "年の上位足を作成中");
  return ForEveryTicker(s, DistinctTickers(tickers), [&](TickerBars& t) {
    for (int y = firstYear; y <= lastYear && t.fault.empty(); ++y) MakeBarYear(s, o, t, y, fromDay);
  });
}

void FillMissingBarFiles(Session& s) {
  if (!BarsWanted(s)) return;
  const RunOptions& o = s.Options();
  const std::vector<ArchiveYear> years = ListArchiveYears(s.paths);
  const LineList tickers = SafeTickers(LoadCurrencyList(s.paths.CurrencyListPath));
  s.SetStatus("上位足のファイルをチェック中");
  ForEveryTicker(s, DistinctTickers(tickers), [&](TickerBars& t) {
    std::set<int> barYears;  // the years the ticker's 1-minute files give bars to
    for (const ArchiveYear& archiveYear : years) {
      const int year = archiveYear.year;
      const std::string path = s.paths.YearFilePath(o, t.ticker, std::to_string(year));
      if (!FileExists(path)) continue;
      barYears.insert(year);
      const int other = o.shiftHours < 0 ? year - 1 : year + 1;
      if (o.shiftHours != 0 && !barYears.contains(other)) {
        if (!t.reader) t.reader.emplace(o, t.ticker);
        if (MinutesReach(path, year, other, *t.reader)) barYears.insert(other);
      }
    }
    for (const int y : barYears) {
      if (!t.fault.empty() || !s.GoOn()) break;
      if (const std::optional<std::int64_t> from = BarsBehindFrom(s.paths, o, t.ticker, y, t.reader))
        MakeBarYear(s, o, t, y, *from);
    }
  });
}

}  // namespace arl
