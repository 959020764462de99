#include "convert/bar_update.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>

#include "convert/bar_fault.h"
#include "convert/bar_file_output.h"
#include "convert/bar_files.h"
#include "convert/bar_maker.h"
#include "convert/bar_pending.h"
#include "convert/bar_step.h"
#include "convert/bar_threads.h"
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

// Whether the 1-minute file of `year` holds minutes dated in `other`, the year before or after it
// that the hour shift reaches: its first or its last line tells. A year a file does not reach has
// no bars from it, and is not made again by every run for want of bar files.
bool MinutesReach(const std::string& path, int year, int other, MinuteLineReader& reader) {
  std::string line;
  const std::optional<std::int64_t> day = other > year && ReadLastLine(path, line) && !line.empty()
                                              ? reader.DayOf(line)
                                              : DayOfLineAt(path, 0, reader);
  return day && CurrentYear(DateTime{*day * DateTime::kMsPerDay}) == other;
}

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

BarsAfterCommits::BarsAfterCommits(Session& s, const LineList& tickers, int year,
                                   std::optional<std::int64_t> pending)
    : s_(s), tickers_(tickers), year_(year), pending_(pending) {}

BarsAfterCommits::~BarsAfterCommits() = default;

void BarsAfterCommits::Start() {
  if (!BarsWanted(s_)) return;
  const NotedBars noted{PendingBarsFrom(s_.paths, year_), pending_.has_value()};
  s_.SetStatus(std::to_string(year_) + "年の上位足を作成中");
  const RunOptions* options = &s_.Options();  // taken here: the threads only read what it holds
  threads_ = std::make_unique<BarThreads>(s_, tickers_, [this, options, noted](TickerBars& t) {
    const RunOptions& o = *options;
    std::optional<std::int64_t> fromDay = pending_;
    if (const std::optional<std::int64_t>& offset = t.changedFrom) {
      // The earliest day a year file's minutes can have, when its first changed line cannot be read.
      const std::string path = s_.paths.YearFilePath(o, t.ticker, std::to_string(year_));
      const std::int64_t day = DayOfLineAt(path, *offset, t.Reader(o)).value_or(FirstDayOf(year_) - 1);
      fromDay = std::min(fromDay.value_or(day), day);
    }
    if (!fromDay) return;
    // The years whose bars the changed minutes can reach: from the changed day's year to the year
    // the file's last minutes fall in after the shift.
    const int firstYear = std::min(year_, CurrentYear(DateTime{*fromDay * DateTime::kMsPerDay}));
    const int lastYear = o.shiftHours > 0 ? year_ + 1 : year_;
    for (int y = firstYear; y <= lastYear && t.fault.empty(); ++y) MakeBarYear(s_, o, t, y, *fromDay, noted);
  });
  threads_->Start();
}

void BarsAfterCommits::Committed(std::size_t index, std::optional<std::int64_t> from) {
  if (threads_) threads_->Ready(index, from);
}

bool BarsAfterCommits::Finish() {
  if (!threads_) {  // bars not wanted: a note from when they were has nothing to follow
    ClearBarsPending(s_.paths, year_);
    return true;
  }
  const bool done = threads_->Finish();
  threads_.reset();
  if (done) ClearBarsPending(s_.paths, year_);
  return done;
}

bool UpdateBarsAfterConversion(Session& s, const std::vector<MinuteFileChange>& changes, int year,
                               std::optional<std::int64_t> pending) {
  // A ticker listed twice changed its file in each turn: the earlier change counts.
  LineList tickers;
  std::map<std::string, std::optional<std::int64_t>> changedFrom;
  for (const MinuteFileChange& change : changes) {
    auto [at, added] = changedFrom.try_emplace(change.ticker, change.from);
    if (added) tickers.push_back(change.ticker);
    if (change.from && (!at->second || *change.from < *at->second)) at->second = change.from;
  }
  BarsAfterCommits bars(s, tickers, year, pending);
  bars.Start();
  for (std::size_t i = 0; i < tickers.size(); ++i) bars.Committed(i, changedFrom[tickers[i]]);
  return bars.Finish();
}

void FillMissingBarFiles(Session& s) {
  if (!BarsWanted(s)) return;
  const RunOptions& o = s.Options();
  const std::vector<ArchiveYear> years = ListArchiveYears(s.paths);
  const LineList tickers = SafeTickers(LoadCurrencyList(s.paths.CurrencyListPath));
  s.SetStatus("上位足のファイルをチェック中");
  BarThreads threads(s, DistinctTickers(tickers), [&](TickerBars& t) {
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
  threads.Start();
  threads.Finish();
}

}  // namespace arl
