// The conversion of day files into currency year files. Every day file of the call is read once and
// its lines go to all the tickers they belong to in the same pass; each ticker's new content is
// staged beside its year file and committed only when the whole call has succeeded, so a cancel or
// an error leaves every year file as it was. Log lines are kept per ticker and written at the end in
// currency-list order, exactly as converting one ticker after the other would write them.
#include "convert/currency_update.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>

#include "convert/back_parts.h"
#include "convert/bar_pending.h"
#include "convert/bar_update.h"
#include "convert/buffer_arena.h"
#include "convert/cross_check.h"
#include "convert/day_file_reader.h"
#include "convert/day_part.h"
#include "convert/pair_worker.h"
#include "convert/ticker_joins.h"
#include "convert/year_files.h"
#include "convert/year_output.h"
#include "support/currency_list.h"
#include "support/disk_full.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/ticker_name.h"

namespace arl {

namespace {

template <typename Task>
double SecondsOf(Task task) {
  const auto start = std::chrono::steady_clock::now();
  task();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A daily append re-runs about a week of day files; its new lines stay in memory until the commit.
constexpr std::size_t kFewDayFiles = 8;

struct CallContext {
  Session& s;
  const RunOptions& options;
  const LineList& dayFiles;
  const std::string& year;
  int gapHours;
};

// Where a pass stands in the call's progress: the day files of the passes before it, and of all.
struct DayCount {
  int before, total;
};

// One pass over the day files for tickers that appear once in `tickers`. Commits on success.
// Each day file is cut at line ends and its parts are converted at once on two threads: the front
// part's lines go to the year files as they come, the others' once the front part is done.
bool RunPass(const CallContext& c, const LineList& tickers, std::vector<std::vector<std::string>*>& logs,
             DayCount count, std::vector<MinuteFileChange>& changes, BarsAfterCommits* bars) {
  const bool tailAppend = !FileExists(c.s.paths.YearMarkerPath(c.year));
  const YearLineShape baseShape{"", c.s.formats.DateSeparator};
  const bool manyDays = c.dayFiles.size() > kFewDayFiles;
  // Each ticker's share of the first back part of a day file: a day of one ticker's lines fits.
  constexpr std::size_t kBackStage = 96 << 10;
  BufferArena arena(tickers.size() * (YearOutput::BufferBytes(manyDays) + 2 * kBackStage));
  std::vector<TickerRun> runs(tickers.size());
  std::vector<std::string> heads(tickers.size());
  for (std::size_t i = 0; i < tickers.size(); ++i) {
    TickerRun& r = runs[i];
    r.ticker = tickers[i];
    heads[i] = LineHead(c.options, r.ticker);
    r.logs = logs[i];
    CreateTickerDirs(c.s.paths, c.options, r.ticker);
    YearLineShape shape = baseShape;
    shape.head = heads[i];
    r.out =
        std::make_unique<YearOutput>(c.s.paths.YearFilePath(c.options, r.ticker, c.year), shape, tailAppend,
                                     manyDays, arena.Take(YearOutput::BufferBytes(manyDays)), i % 2 == 1);
  }

  // Tickers whose lines were met count as present in the archive, also when the pass fails later.
  struct NoteSeen {
    const CallContext& c;
    const std::vector<TickerRun>& runs;
    ~NoteSeen() {
      for (const TickerRun& r : runs)
        if (r.hadLines) c.s.outcome.TickerSeen(r.ticker);
    }
  } noteSeen{c, runs};

  const std::size_t grain = c.s.conversionGrain;
  DayPart front(tickers, heads, c.s.formats, c.gapHours, grain > 0 ? grain : DayFileReader::kPiece);
  BackParts backs(tickers, heads, c.s.formats, c.gapHours, arena, kBackStage, grain);
  TickerJoins joins(runs);
  PairWorker worker;
  WorkSplit split;
  c.s.progress.Report(ProgressPhase::Convert, count.before, count.total, c.dayFiles.front());
  for (std::size_t day = 0; day < c.dayFiles.size(); ++day) {
    const std::string& name = c.dayFiles[day];
    const std::string path = c.s.paths.DayFilePath(c.year, name);
    DayFileReader().Open(path);  // a day file that cannot be read fails here, before the token is read
    if (!c.s.GoOn()) return false;

    // The front part's lines go to the year files piece by piece; the back parts' wait for the
    // next day (see TickerJoins), in the staging the day before last used.
    const DayRef today{day, name, 0};
    const DayPart::Drain drain = [&](std::vector<TickerLines>& lines) {
      for (std::size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].empty()) joins.Join(i, lines[i], today);
    };
    const DayPart::Lend lend = [&](std::size_t i, TickerLines& lines) { joins.Lend(i, lines, today); };
    const std::int64_t size = FileSizeByName(path);
    if (size < 2) {
      joins.JoinPending();
      front.Convert(path, 0, -1, &drain, &lend);
      backs.Clear(day);
    } else {
      // The front thread also writes its lines out, so its share is learned from the days before;
      // it starts with a little more, so that the helper ends first and takes over what is left.
      // Then both join the day before's waiting lines, from both ends of the ticker list (the front
      // part joins those of its tickers first).
      const auto cut =
          static_cast<std::int64_t>(static_cast<double>(size) * std::min(0.8, split.Mine() + 0.1));
      PartFence fence(cut);
      double mine = 0, theirs = 0;
      worker.Run(
          [&] {
            mine = SecondsOf([&] { front.Convert(path, 0, cut, &drain, &lend, &fence); });
            joins.JoinPendingFromBack();
          },
          [&] {
            theirs = SecondsOf([&] { backs.Convert(day, path, cut, fence); });
            joins.JoinPending();
          });
      split.Learn(static_cast<double>(fence.Until()) / static_cast<double>(size), mine, theirs);
    }
    const DayPart* first = front.FirstTicker() >= 0 ? &front : backs.FirstWithLines(day);
    if (first != nullptr)
      c.s.SetStatus(tickers[static_cast<std::size_t>(first->FirstTicker())] + " " + first->FirstDate() +
                    " をチェック/追記中");
    joins.SetPending(backs.Waiting(day, name, front.LineCount()));
    c.s.progress.Report(ProgressPhase::Convert, count.before + static_cast<int>(day) + 1, count.total, name);
  }
  worker.Run([&] { joins.JoinPending(0, 2); }, [&] { joins.JoinPending(1, 2); });

  NoteBarsToFollow(c.s, c.dayFiles, StrToInt(c.year));
  if (bars != nullptr) bars->Start();
  for (std::size_t i = 0; i < runs.size(); ++i) {
    TickerRun& r = runs[i];
    if (r.out->Commit()) c.s.outcome.YearFileUpdated(r.ticker, c.year);
    changes.push_back({r.ticker, r.out->ChangedFrom()});
    if (bars != nullptr) bars->Committed(i, r.out->ChangedFrom());
    r.logs->push_back(r.ticker + " " + c.dayFiles.front() + "～" + c.dayFiles.back() + " チェック&追記 OK.");
  }
  return true;
}

// Without day files nothing is converted and the call fails; the first ticker's directories are
// made and an empty year file of it is not left behind.
void TouchFirstTicker(const CallContext& c, const std::string& ticker) {
  CreateTickerDirs(c.s.paths, c.options, ticker);
  const std::string path = c.s.paths.YearFilePath(c.options, ticker, c.year);
  if (FileExists(path) && FileSizeByName(path) == 0) DeleteFile(path);
}

}  // namespace

bool UpdateCurrencyYearFiles(Session& s, LineList& dayFiles, const std::string& year) {
  SortCaseInsensitive(dayFiles);
  const RunOptions& options = s.Options();
  const int gapHours = options.shiftHours;
  try {
    LineList refused;
    const LineList tickers = SafeTickers(LoadCurrencyList(s.paths.CurrencyListPath), &refused);
    for (const std::string& message : refused) s.AddLog(message);
    if (tickers.empty()) return true;
    const CallContext c{s, options, dayFiles, year, gapHours};
    if (dayFiles.empty()) {
      TouchFirstTicker(c, tickers.front());
      return false;
    }
    // A ticker listed twice is converted again over its own new file, as a second turn would; the
    // list is worked through in rounds of distinct tickers.
    std::vector<std::vector<std::string>> logs(tickers.size());
    std::vector<MinuteFileChange> changes;
    const std::optional<std::int64_t> pendingBars = PendingBarsFrom(s.paths, StrToInt(year));
    std::map<std::string, int> seen;
    std::vector<int> round(tickers.size());
    int rounds = 0;
    for (std::size_t i = 0; i < tickers.size(); ++i) {
      round[i] = seen[tickers[i]]++;
      rounds = std::max(rounds, round[i] + 1);
    }
    // With each ticker once, the bars of a ticker are made while the next ones are committed.
    std::optional<BarsAfterCommits> bars;
    if (rounds == 1) bars.emplace(s, tickers, StrToInt(year), pendingBars);
    for (int r = 0; r < rounds; ++r) {
      LineList roundTickers;
      std::vector<std::vector<std::string>*> roundLogs;
      for (std::size_t i = 0; i < tickers.size(); ++i) {
        if (round[i] != r) continue;
        roundTickers.push_back(tickers[i]);
        roundLogs.push_back(&logs[i]);
      }
      const int days = static_cast<int>(dayFiles.size());
      if (!RunPass(c, roundTickers, roundLogs, {r * days, rounds * days}, changes, bars ? &*bars : nullptr))
        return false;
    }
    for (const auto& lines : logs)
      for (const auto& line : lines) s.AddLog(line);
    // The bar files follow before the caller marks the year: a run killed before they are done
    // visits the year again.
    return bars ? bars->Finish() : UpdateBarsAfterConversion(s, changes, StrToInt(year), pendingBars);
  } catch (const EDiskFull&) {
    throw;  // ends the run; every year file is as it was
  } catch (const std::exception& e) {
    // The call fails and the caller goes its own way; the error's text says why.
    const std::string reason = year + "年の変換中にエラーが発生しました (" + std::string(e.what()) + ")";
    s.outcome.YearFailed(year, reason);
    s.AddLog(reason);
    return false;
  }
}

}  // namespace arl
