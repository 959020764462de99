// MergeAll: brings every currency's merge file up to date, appending only what follows its last
// line, and writes it afresh when there is no usable merge file or the last line can't be found.
#include <cmath>
#include <cstdlib>
#include <memory>

#include "merge/last_line.h"
#include "merge/merge_files.h"
#include "merge/merge_run.h"
#include "merge/merge_texts.h"
#include "merge/year_list.h"
#include "support/currency_list.h"
#include "support/disk_full.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/output_line.h"
#include "support/ticker_name.h"
#include "support/timeframes.h"

namespace arl {

namespace {

// What follows a currency: the next one, the next one after this one was left out, or nothing more.
enum class Next { Currency, Skipped, Stop };

// A year file of a year before the last merged one that changed after the merge file was written
// (a year completed or rebuilt late) holds lines that appending after the last line would never
// bring in. The last merged year's own file is rewritten by every run and does not count.
bool EarlierYearChanged(const CurrencyLayout& layout, const std::vector<YearFileName>& files,
                        int lastMergedYear, long long mergeTime) {
  for (const auto& file : files) {
    if (StrToInt(file.year) >= lastMergedYear) continue;
    if (ModificationTime(layout.currencyDir + file.name) > mergeTime) return true;
  }
  return false;
}

// Where the merge goes on in the last merged year's file.
struct Continuation {
  enum class Kind { After, NotFound, NothingNew, Cancelled } kind;
  std::int64_t offset = 0;  // for After: the byte just after the last merged line
};

// Finds where `lastMerged` stands in the open year file, whose first line has not been read yet.
Continuation FindContinuation(MergeRun& run, TextReader& year, const std::string& yearPath,
                              const std::string& lastMerged, DateTime lastMergedDate, int dateField) {
  std::string first;
  if (!year.ReadLine(first)) first.clear();
  const std::int64_t size = FileSizeByName(yearPath);
  const std::string last = ReadLastLine(year, first, size);
  if (last == lastMerged) return {Continuation::Kind::NothingNew};

  // Bytes that follow the last merged line, over-estimated: a line as long as the first line for
  // every minute of every day from the last merged date through the year file's last date.
  const DateTime lastDate = LineDate(last, dateField, run.s.formats, false);
  const std::int64_t days = std::llround(std::fabs(lastDate.Days() - lastMergedDate.Days()));
  const std::int64_t lineLength = static_cast<std::int64_t>(first.size() + kLineEndBytes);
  const std::int64_t perDay = 1440 * lineLength;
  const bool beyondFile = days + 1 > size / perDay;  // compared this way round so nothing overflows
  SeekTextFile(year, beyondFile ? 0 : size - (days + 1) * perDay);

  std::string_view line;
  while (year.ReadLine(line)) {
    if (line == lastMerged) return {Continuation::Kind::After, year.Position()};
    if (!run.pacer.GoOn()) return {Continuation::Kind::Cancelled};
  }
  return {Continuation::Kind::NotFound};
}

Next MergeCurrency(MergeRun& run, const std::string& ticker) {
  Session& s = run.s;
  if (!s.GoOn()) return Next::Stop;
  const std::string label = run.Label(ticker);
  const CurrencyLayout layout(s, ticker, run.frame);
  const std::vector<YearFileName> files = run.frame.empty() ? ListYearFiles(layout) : YearFilesIn(layout);
  // A ticker without bar files has had its failure counted where its bars failed.
  if (files.empty() && !run.frame.empty()) return Next::Currency;
  if (files.empty()) {
    // Nothing to merge for this ticker (one the archive does not have, for one); the others go on.
    // It is a failure of its own unless what kept its year files away has been counted already.
    s.AddLog(merge_text::NoYearFiles(ticker));
    if (!s.outcome.TickerHasFailed(ticker) && !s.outcome.AnyYearFailed())
      s.outcome.MergeFailed(ticker, merge_text::NoYearFiles(ticker));
    return Next::Skipped;
  }
  s.LatestYear = SortedYears(files).back();

  const std::string mergePath = layout.mergePath;
  if (!FileExists(mergePath)) return RebuildMergeFile(run, ticker) ? Next::Currency : Next::Stop;
  const long long mergeTime = ModificationTime(mergePath);
  // A merge file left by a killed process may end in a torn line: the merge goes on from the last
  // whole one.
  CutTornTail(mergePath);

  std::string lastMerged;
  {
    TextReader merge(mergePath);
    std::string first;
    if (!merge.ReadLine(first) || first.empty()) {
      merge.Close();
      return RebuildMergeFile(run, ticker) ? Next::Currency : Next::Stop;
    }
    lastMerged = ReadLastLine(merge, first, FileSizeByName(mergePath));
  }
  const int dateField = DateFieldIndex(layout.options);
  const DateTime lastMergedDate = LineDate(lastMerged, dateField, s.formats, true);
  const int lastMergedYear = CurrentYear(lastMergedDate);
  const int latestYear = StrToInt(s.LatestYear);
  if (latestYear < lastMergedYear) return Next::Currency;
  if (EarlierYearChanged(layout, files, lastMergedYear, mergeTime)) {
    return RebuildMergeFile(run, ticker) ? Next::Currency : Next::Stop;
  }

  bool needsRebuild = false;
  {
    std::unique_ptr<MergeWriter> out;
    for (int y = lastMergedYear; y <= latestYear; ++y) {
      if (!s.GoOn()) return Next::Stop;
      s.SetStatus(merge_text::StatusYear(label, std::to_string(y)));
      const std::string yearPath = layout.YearFilePath(y);
      std::int64_t start = 0;
      {
        TextReader year(yearPath);
        if (y == lastMergedYear) {
          const Continuation c = FindContinuation(run, year, yearPath, lastMerged, lastMergedDate, dateField);
          if (c.kind == Continuation::Kind::Cancelled) return Next::Stop;
          if (c.kind == Continuation::Kind::NotFound) {
            needsRebuild = true;
            break;
          }
          if (c.kind == Continuation::Kind::NothingNew) {
            if (y == latestYear) {
              s.AddLog(merge_text::NothingNew(label));
              break;
            }
            continue;
          }
          s.AddLog(merge_text::AppendAfter(label, lastMerged));
          start = c.offset;
        }
      }
      if (!out) out = std::make_unique<MergeWriter>(mergePath, MergeWriter::Mode::Append);
      s.outcome.MergeFileWritten(label);
      if (!run.Copy(yearPath, start, *out)) return Next::Stop;
    }
    if (out) out->Close();
  }
  if (needsRebuild) return RebuildMergeFile(run, ticker) ? Next::Currency : Next::Stop;
  return Next::Currency;
}

// One pass over the tickers: of their 1-minute files, or of the bar files of `run.frame`.
void MergeTickers(MergeRun& run, const LineList& tickers) {
  Session& s = run.s;
  bool skipped = false;
  const int count = static_cast<int>(tickers.size());
  for (int i = 0; i < count; ++i) {
    const std::string& ticker = tickers[static_cast<std::size_t>(i)];
    run.ticker = run.Label(ticker);
    s.progress.Report(ProgressPhase::Merge, i, count, run.ticker);
    const Next next = MergeCurrency(run, ticker);
    if (next == Next::Stop) return;
    skipped = skipped || next == Next::Skipped;
  }
  s.progress.Report(ProgressPhase::Merge, count, count);
  // "All made" only when it is true.
  if (s.GoOn() && !skipped) s.AddLog(merge_text::LogDone(run.frame));
}

}  // namespace

void MergeAll(Session& s) { MergeAll(s, CopyTuning{}); }

void MergeAll(Session& s, const CopyTuning& tuning) {
  MergeRun run(s, tuning);
  try {
    s.SetStatus(merge_text::kStatusStart);
    s.AddLog(merge_text::kLogStart);
    LineList refused;
    const LineList tickers = SafeTickers(LoadCurrencyList(s.paths.CurrencyListPath), &refused);
    for (const auto& message : refused) s.AddLog(message);
    MergeTickers(run, tickers);
    // The bar files of each ticked timeframe are joined the same way into "<frame>_Merge.txt".
    const std::string latestYear = s.LatestYear;
    for (const TimeframeInfo& frame : kTimeframes) {
      if (!s.Options().timeframes.Has(frame.frame) || !s.GoOn()) continue;
      run.frame = frame.name;
      s.SetStatus(merge_text::kStatusStart);
      s.AddLog(merge_text::LogStart(run.frame));
      MergeTickers(run, tickers);
    }
    s.LatestYear = latestYear;
  } catch (const EDiskFull&) {
    throw;  // ends the run; the advice to delete the archive is no help against a full disk
  } catch (const std::exception& e) {
    s.outcome.MergeFailed(run.ticker, merge_text::FailureLine(run.ticker, e.what()));
    try {
      s.AddLog(merge_text::Failure(run.ticker) + "\r\n" + merge_text::Reason(e.what()));
    } catch (const std::exception&) {
      // The message has reached the log pane; a log file that can't be written changes nothing here.
    }
  }
}

}  // namespace arl
