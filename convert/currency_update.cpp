// The conversion of day files into currency year files. Every day file of the call is read once and
// its lines go to all the tickers they belong to in the same pass; each ticker's new content is
// staged beside its year file and committed only when the whole call has succeeded, so a cancel or
// an error leaves every year file as it was. Log lines are kept per ticker and written at the end in
// currency-list order, exactly as converting one ticker after the other would write them.
#include "convert/currency_update.h"

#include <algorithm>
#include <map>
#include <memory>

#include "convert/buffer_arena.h"
#include "convert/cross_check.h"
#include "convert/day_file_reader.h"
#include "convert/fast_line.h"
#include "convert/file_lines.h"
#include "convert/line_converter.h"
#include "convert/scanned_line.h"
#include "convert/ticker_matcher.h"
#include "convert/year_files.h"
#include "convert/year_output.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/ticker_name.h"

namespace arl {

namespace {

// A daily append re-runs about a week of day files; its new lines stay in memory until the commit.
constexpr std::size_t kFewDayFiles = 8;

struct TickerRun {
  std::string ticker, head;
  std::unique_ptr<YearOutput> out;
  bool hadLines = false;  // an earlier day file of the call had lines of the ticker
  bool inDay = false;     // the day file in hand has had a line of the ticker
  std::vector<std::string>* logs = nullptr;
};

struct CallContext {
  Session& s;
  const OptionValues& options;
  const LineList& dayFiles;
  const std::string& yearDir;
  const std::string& year;
  int gapHours;
};

// One pass over the day files for tickers that appear once in `tickers`. Commits on success.
bool RunPass(const CallContext& c, const LineList& tickers, std::vector<std::vector<std::string>*>& logs) {
  const bool tailAppend = !FileExists(c.yearDir + "complete.arlm");
  const YearLineShape baseShape{"", c.s.formats.DateSeparator};
  const bool manyDays = c.dayFiles.size() > kFewDayFiles;
  BufferArena arena(tickers.size() * YearOutput::BufferBytes(manyDays));
  std::vector<TickerRun> runs(tickers.size());
  for (std::size_t i = 0; i < tickers.size(); ++i) {
    TickerRun& r = runs[i];
    r.ticker = tickers[i];
    r.head = c.options.RadioGroup1 == 0 ? r.ticker + "," : "";
    r.logs = logs[i];
    CreateTickerDirs(c.s.paths, c.options, r.ticker);
    YearLineShape shape = baseShape;
    shape.head = r.head;
    r.out = std::make_unique<YearOutput>(YearFilePath(c.s.paths, c.options, r.ticker, c.year), shape,
                                         tailAppend, manyDays, arena.Take(YearOutput::BufferBytes(manyDays)));
  }

  TickerMatcher matcher(tickers);
  LineConverter converter(c.s.formats, c.gapHours);
  const bool fastAllowed = matcher.OnlyFieldBound();
  const char separator = c.s.formats.DateSeparator;
  DayFileReader reader(c.yearDir, c.dayFiles);
  for (const std::string& name : c.dayFiles) {
    const std::string_view text = reader.Next();
    c.s.Pump();
    c.s.Sleep(0);
    if (!c.s.GoOn()) return false;

    for (TickerRun& r : runs) r.inDay = false;
    bool statusShown = false;
    std::size_t index = 0;
    ScannedLine line;
    FastLine fast;
    // The first two fields of the last line of the general path, when the lines that repeat them
    // may take the fast path: they belong to prefixRuns (converting) or to no ticker.
    std::string_view prefix;
    bool prefixConverts = false;
    std::vector<TickerRun*> prefixRuns;
    LineScanner scanner(text);
    for (;; ++index) {
      if (!prefix.empty() && ReadFastLine(text, scanner.Pos(), prefix, prefixConverts, fast)) {
        scanner.SkipTo(fast.next);
        if (!prefixConverts) continue;
        bool regular = false;
        const std::string_view key = converter.KeyOnKeyedDate(fast.time, fast.minute, regular);
        if (regular && separator != '/') regular = fast.prices.find(separator) == std::string_view::npos;
        for (TickerRun* r : prefixRuns) r->out->Append(r->head, key, fast.prices, regular);
        continue;
      }
      if (!scanner.Next(line)) break;
      prefix = {};
      std::string_view dateField;
      if (fastAllowed && line.plain && line.commaCount >= 2) {
        dateField = line.text.substr(line.commas[0] + 1, line.commas[1] - line.commas[0] - 1);
        if (!IsSafeField(dateField)) dateField = {};
      }
      const std::vector<int>& matches = matcher.Match(line);
      if (matches.empty()) {
        if (!dateField.empty()) {
          prefix = line.text.substr(0, line.commas[1] + 1);
          prefixConverts = false;
        }
        continue;
      }
      const ConvertedLine converted = converter.Convert(line);
      for (int m : matches) {
        TickerRun& r = runs[static_cast<std::size_t>(m)];
        if (!r.inDay) {
          r.inDay = true;
          if (!statusShown) {
            c.s.SetStatus(r.ticker + " " + converter.LastArchiveDate() + " をチェック/追記中");
            statusShown = true;
          }
          const std::string_view key = converted.key;
          // Only the ticker's first day file of the call may start anywhere in the year file.
          auto hit = r.hadLines ? r.out->FindInWindow(key) : r.out->FindInWhole(key);
          r.hadLines = true;
          if (hit) {
            r.logs->push_back(name + " " + std::to_string(index) + "行目にて" + r.ticker + "の" +
                              std::string(key) + "分が\r\n" + hit->line +
                              "\r\nと被ったので、そこから再生成します");
            r.out->CutAt(hit->offset);
          }
        }
        r.out->Append(r.head, converted.key, converted.prices, converted.regular);
      }
      if (!dateField.empty() && converter.KeyedDateField() == dateField) {
        prefix = line.text.substr(0, line.commas[1] + 1);
        prefixConverts = true;
        prefixRuns.clear();
        for (int m : matches) prefixRuns.push_back(&runs[static_cast<std::size_t>(m)]);
      }
    }
    for (TickerRun& r : runs) r.out->Flush();
  }

  for (TickerRun& r : runs) {
    r.out->Commit();
    r.logs->push_back(r.ticker + " " + c.dayFiles.front() + "～" + c.dayFiles.back() + " チェック&追記 OK.");
  }
  return true;
}

// Without day files nothing is converted and the call fails; the first ticker's directories are
// made and an empty year file of it is not left behind.
void TouchFirstTicker(const CallContext& c, const std::string& ticker) {
  CreateTickerDirs(c.s.paths, c.options, ticker);
  const std::string path = YearFilePath(c.s.paths, c.options, ticker, c.year);
  if (FileExists(path) && FileSizeByName(path) == 0) DeleteFile(path);
}

}  // namespace

bool UpdateCurrencyYearFiles(Session& s, LineList& dayFiles, const std::string& yearDir,
                             const std::string& year) {
  SortCaseInsensitive(dayFiles);
  const OptionValues options = s.Options();
  const int gapHours = StrToInt(options.EditGmtGap);
  try {
    LineList refused;
    const LineList tickers = SafeTickers(LoadCurrencyList(s), &refused);
    for (const std::string& message : refused) s.AddLog(message);
    if (tickers.empty()) return true;
    const CallContext c{s, options, dayFiles, yearDir, year, gapHours};
    if (dayFiles.empty()) {
      TouchFirstTicker(c, tickers.front());
      return false;
    }
    // A ticker listed twice is converted again over its own new file, as a second turn would; the
    // list is worked through in rounds of distinct tickers.
    std::vector<std::vector<std::string>> logs(tickers.size());
    std::map<std::string, int> seen;
    std::vector<int> round(tickers.size());
    int rounds = 0;
    for (std::size_t i = 0; i < tickers.size(); ++i) {
      round[i] = seen[tickers[i]]++;
      rounds = std::max(rounds, round[i] + 1);
    }
    for (int r = 0; r < rounds; ++r) {
      LineList roundTickers;
      std::vector<std::vector<std::string>*> roundLogs;
      for (std::size_t i = 0; i < tickers.size(); ++i) {
        if (round[i] != r) continue;
        roundTickers.push_back(tickers[i]);
        roundLogs.push_back(&logs[i]);
      }
      if (!RunPass(c, roundTickers, roundLogs)) return false;
    }
    for (const auto& lines : logs)
      for (const auto& line : lines) s.AddLog(line);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace arl
