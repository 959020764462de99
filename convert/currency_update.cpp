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
#include "convert/day_part.h"
#include "convert/file_lines.h"
#include "convert/pair_worker.h"
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
  std::string ticker;
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

// Adds one piece's lines of a ticker to its year file. The ticker's first line of a day file is
// where its overlap key is looked for: anywhere in the year file for its first day file of the call,
// in the last day's worth of lines after that.
// `before`: the lines of the day file in front of the piece.
void JoinLines(TickerRun& r, TickerLines& lines, const std::string& dayName, std::size_t before) {
  if (lines.empty()) return;
  if (!r.inDay) {
    r.inDay = true;
    const std::string& key = lines.firstKey;
    auto hit = r.hadLines ? r.out->FindInWindow(key) : r.out->FindInWhole(key);
    r.hadLines = true;
    if (hit) {
      r.logs->push_back(dayName + " " + std::to_string(before + lines.firstIndex) + "行目にて" + r.ticker +
                        "の" + key + "分が\r\n" + hit->line + "\r\nと被ったので、そこから再生成します");
      r.out->CutAt(hit->offset);
    }
  }
  r.out->AppendLines(lines.bytes.view(), lines.starts, lines.irregularEnd);
}

// One pass over the day files for tickers that appear once in `tickers`. Commits on success.
// Each day file is cut in two at a line end; the two pieces are converted at once, then the two
// threads join the pieces into the year files, each taking every other ticker.
bool RunPass(const CallContext& c, const LineList& tickers, std::vector<std::vector<std::string>*>& logs) {
  const bool tailAppend = !FileExists(c.yearDir + "complete.arlm");
  const YearLineShape baseShape{"", c.s.formats.DateSeparator};
  const bool manyDays = c.dayFiles.size() > kFewDayFiles;
  BufferArena arena(tickers.size() * YearOutput::BufferBytes(manyDays));
  std::vector<TickerRun> runs(tickers.size());
  std::vector<std::string> heads(tickers.size());
  for (std::size_t i = 0; i < tickers.size(); ++i) {
    TickerRun& r = runs[i];
    r.ticker = tickers[i];
    heads[i] = c.options.RadioGroup1 == 0 ? r.ticker + "," : "";
    r.logs = logs[i];
    CreateTickerDirs(c.s.paths, c.options, r.ticker);
    YearLineShape shape = baseShape;
    shape.head = heads[i];
    r.out = std::make_unique<YearOutput>(YearFilePath(c.s.paths, c.options, r.ticker, c.year), shape,
                                         tailAppend, manyDays, arena.Take(YearOutput::BufferBytes(manyDays)));
  }

  DayPart front(tickers, heads, c.s.formats, c.gapHours), back(tickers, heads, c.s.formats, c.gapHours);
  PairWorker worker;
  for (const std::string& name : c.dayFiles) {
    const std::string path = c.yearDir + name;
    DayFileReader().Open(path);  // a day file that cannot be read fails here, before any pumping
    c.s.Pump();
    c.s.Sleep(0);
    if (!c.s.GoOn()) return false;

    const std::int64_t size = FileSizeByName(path);
    if (size < 2) {
      front.Convert(path, 0, -1);
      back.Clear();
    } else {
      worker.Run([&] { front.Convert(path, 0, size / 2); }, [&] { back.Convert(path, size / 2, -1); });
    }
    const DayPart& first = front.FirstTicker() >= 0 ? front : back;
    if (first.FirstTicker() >= 0)
      c.s.SetStatus(tickers[static_cast<std::size_t>(first.FirstTicker())] + " " + first.FirstDate() +
                    " をチェック/追記中");

    auto join = [&](std::size_t parity) {
      for (std::size_t i = parity; i < runs.size(); i += 2) {
        TickerRun& r = runs[i];
        r.inDay = false;
        JoinLines(r, front.Tickers()[i], name, 0);
        JoinLines(r, back.Tickers()[i], name, front.LineCount());
        r.out->Flush();
      }
    };
    worker.Run([&] { join(0); }, [&] { join(1); });
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
