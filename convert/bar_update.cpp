#include "convert/bar_update.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "convert/bar_fault.h"
#include "convert/bar_file_output.h"
#include "convert/bar_files.h"
#include "convert/bar_maker.h"
#include "convert/bar_pending.h"
#include "convert/bar_step.h"
#include "convert/pair_worker.h"
#include "support/currency_list.h"
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

// The day of the line that starts at `offset` of a 1-minute file; nothing when it cannot be read.
std::optional<std::int64_t> DayOfLineAt(const std::string& path, std::int64_t offset,
                                        MinuteLineReader& reader) {
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  char bytes[512];
  const std::int64_t got = fd.Valid() ? ReadAt(fd.Get(), bytes, sizeof bytes, offset) : -1;
  if (got <= 0) return std::nullopt;
  const std::string_view line(bytes, static_cast<std::size_t>(got));
  return reader.DayOf(line.substr(0, line.find('\n')));
}

// The run's reader of 1-minute lines, made once when first asked for from either thread: making one
// prints and reads back every minute of the time format.
class SharedReader {
 public:
  explicit SharedReader(const RunOptions& o) : options_(o) {}
  const MinuteLineReader& Get() {
    std::call_once(made_, [this] { reader_.emplace(options_, ""); });
    return *reader_;
  }

 private:
  const RunOptions& options_;
  std::once_flag made_;
  std::optional<MinuteLineReader> reader_;
};

struct TickerBars {
  std::string ticker;
  SharedReader* prototype = nullptr;
  std::optional<MinuteLineReader> reader;
  std::string fault;                 // the log line when its bars could not be made
  std::vector<std::string> written;  // files made whole, waiting beside them as "<path>.tmp"
  MinuteLineReader& Reader(const RunOptions& o) {
    if (!reader) reader.emplace(prototype->Get().ForTicker(o, ticker));
    return *reader;
  }
};

// What the conversion call noted for its bars (see bar_pending.h): the day now noted, and whether a
// note was there before the call.
struct NotedBars {
  std::optional<std::int64_t> day;
  bool killedBefore = false;
};

// Makes the bars of `year` of the ticker from `fromDay` on (or from an older last bar, or whole) and
// writes them. False with `fault` set when a 1-minute line cannot be read.
bool MakeBarYear(Session& s, const RunOptions& o, TickerBars& t, int year, std::int64_t fromDay,
                 NotedBars noted = {}) {
  const std::int64_t yearStart = FirstDayOf(year), yearEnd = FirstDayOf(year + 1);
  const std::string yearText = std::to_string(year);
  std::int64_t start = std::max(fromDay, yearStart);
  MinuteLineReader& reader = t.Reader(o);
  std::array<std::optional<BarFileOutput>, kTimeframeCount> outputs;
  BarSinks sinks{};
  for (const TimeframeInfo& frame : kTimeframes) {
    if (!o.timeframes.Has(frame.frame)) continue;
    std::optional<BarFileOutput>& slot = outputs[IndexOf(frame.frame)];
    slot.emplace(s.paths.BarYearFilePath(o, t.ticker, frame.name, yearText),
                 BarFileOutput::TailBytes(frame.minutes));
    BarFileOutput& out = *slot;
    sinks[IndexOf(frame.frame)] = &out;
    const std::optional<std::int64_t> last = out.LastDay(reader);
    start = last ? std::min(start, *last) : yearStart;
  }
  start = std::max(start, yearStart);
  if (start >= yearEnd) return true;
  if (start == yearStart) CreateDir(s.paths.TickerDir(t.ticker));
  for (const TimeframeInfo& frame : kTimeframes) {
    std::optional<BarFileOutput>& out = outputs[IndexOf(frame.frame)];
    if (!out) continue;
    if (start != yearStart) {
      out->StartTail(reader, start, {noted.killedBefore, noted.day && *noted.day <= start});
      continue;
    }
    CreateDir(s.paths.BarDir(o, t.ticker, frame.name));
    out->StartWhole();
  }

  BarMaker maker(reader, o, t.ticker, sinks, BarWindow{start, yearEnd});
  const std::vector<std::string> minuteFiles = {s.paths.YearFilePath(o, t.ticker, std::to_string(year - 1)),
                                                s.paths.YearFilePath(o, t.ticker, yearText),
                                                s.paths.YearFilePath(o, t.ticker, std::to_string(year + 1))};
  if (!MakeBarsFromFiles(maker, minuteFiles)) {
    t.fault = maker.Fault().Message();
    for (std::optional<BarFileOutput>& out : outputs)
      if (out) out->Abandon();
    return false;
  }
  for (std::optional<BarFileOutput>& out : outputs)
    if (out && out->Finish()) t.written.push_back(out->Path());
  return true;
}

// Runs `work` for every ticker on two threads (each ticker's files are its own),
// then logs the faults in ticker order. Everything written is flushed with one flush of the file
// system, and only then are the files made whole renamed into place (and the renames flushed): a
// power loss leaves each one old or new. False when cancelled.
template <typename Work>
bool ForEveryTicker(Session& s, const LineList& tickers, const Work& work) {
  SharedReader prototype(s.Options());
  std::vector<TickerBars> all(tickers.size());
  for (std::size_t i = 0; i < tickers.size(); ++i) {
    all[i].ticker = tickers[i];
    all[i].prototype = &prototype;
  }
  // Each thread takes the next ticker left: the page cache and the disk's writing slow the two
  // threads unevenly.
  std::atomic<std::size_t> next{0};
  auto take = [&] {
    for (std::size_t i; s.GoOn() && (i = next.fetch_add(1)) < all.size();) work(all[i]);
  };
  PairWorker worker;
  worker.Run(take, take);
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

void NoteBarsToFollow(Session& s, const LineList& dayFiles, int year) {
  if (BarsWanted(s)) NoteBarsPending(s.paths, year, FirstChangedDay(dayFiles, year, s.Options().shiftHours));
}

bool UpdateBarsAfterConversion(Session& s, const std::vector<MinuteFileChange>& changes, int year,
                               std::optional<std::int64_t> pending) {
  if (!BarsWanted(s)) {
    ClearBarsPending(s.paths, year);  // noted while bars were wanted: nothing follows now
    return true;
  }
  const RunOptions& o = s.Options();
  const NotedBars noted{PendingBarsFrom(s.paths, year), pending.has_value()};
  // A ticker listed twice changed its file in each turn: the earlier change counts.
  LineList tickers;
  std::map<std::string, std::optional<std::int64_t>> changedFrom;
  for (const MinuteFileChange& change : changes) {
    auto [at, added] = changedFrom.try_emplace(change.ticker, change.from);
    if (added) tickers.push_back(change.ticker);
    if (change.from && (!at->second || *change.from < *at->second)) at->second = change.from;
  }
  s.SetStatus(std::to_string(year) + "年の上位足を作成中");
  const bool done = ForEveryTicker(s, tickers, [&](TickerBars& t) {
    std::optional<std::int64_t> fromDay = pending;
    if (const std::optional<std::int64_t>& offset = changedFrom[t.ticker]) {
      // The earliest day a year file's minutes can have, when its first changed line cannot be read.
      const std::string path = s.paths.YearFilePath(o, t.ticker, std::to_string(year));
      const std::int64_t day = DayOfLineAt(path, *offset, t.Reader(o)).value_or(FirstDayOf(year) - 1);
      fromDay = std::min(fromDay.value_or(day), day);
    }
    if (!fromDay) return;
    // The years whose bars the changed minutes can reach: from the changed day's year to the year
    // the file's last minutes fall in after the shift.
    const int firstYear = std::min(year, CurrentYear(DateTime{*fromDay * DateTime::kMsPerDay}));
    const int lastYear = o.shiftHours > 0 ? year + 1 : year;
    for (int y = firstYear; y <= lastYear && t.fault.empty(); ++y) MakeBarYear(s, o, t, y, *fromDay, noted);
  });
  if (done) ClearBarsPending(s.paths, year);
  return done;
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
        if (MinutesReach(path, year, other, t.Reader(o))) barYears.insert(other);
      }
    }
    for (const int y : barYears) {
      if (!t.fault.empty() || !s.GoOn()) break;
      if (const std::optional<std::int64_t> from =
              BarsBehindFrom(s.paths, o, t.ticker, y, [&]() -> MinuteLineReader& { return t.Reader(o); }))
        MakeBarYear(s, o, t, y, *from);
    }
  });
}

}  // namespace arl
