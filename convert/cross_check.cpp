// The cross-currency check of the newest year: the last line of every ticker's year file gives its
// last time; the update is re-run over the day files from four days before the oldest of them, so
// every ticker is rebuilt from the same day, and the year marker is written on success.
#include "convert/cross_check.h"

#include <cmath>

#include "convert/currency_update.h"
#include "convert/year_files.h"
#include "support/currency_list.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/last_line.h"
#include "support/output_line.h"
#include "support/ticker_name.h"

namespace arl {

namespace {

// The archive time of a year file's last line, or nothing when the line does not read back under
// the current options (cut off, another layout, not a date).
bool LastTimeOf(const std::string& line, int dateField, const FormatSettings& formats, std::int64_t gapMs,
                DateTime& t) {
  const std::vector<std::string> fields = SplitCommaText(line);
  if (fields.size() < static_cast<std::size_t>(dateField) + 2) return false;
  try {
    const DateTime date = StrToDate(fields[static_cast<std::size_t>(dateField)], formats);
    const DateTime time = StrToTime(fields[static_cast<std::size_t>(dateField) + 1], formats);
    t = DateTime{date.ms + time.ms - gapMs};
    return true;
  } catch (const EConvertError&) {
    return false;
  }
}

// The archive date of a day file yymmdd.txt, its century taken from today's date.
DateTime DayFileDate(const std::string& name, const std::string& century, const FormatSettings& formats) {
  const char sep = formats.DateSeparator;
  auto part = [&](std::size_t from) { return from < name.size() ? name.substr(from, 2) : std::string(); };
  return StrToDate(century + part(0) + sep + part(2) + sep + part(4), formats);
}

}  // namespace

bool CrossCheckCurrencies(Session& s, LineList& scratch) {
  s.AddLog("各通貨の" + s.LatestYear + "年のマージファイルから\r\n通貨間に差がないかチェックします");
  const DateTime now = s.now();
  DateTime oldest = AddDays(now, 100);
  DateTime newest{0};
  const RunOptions& options = s.Options();
  const std::int64_t gapMs = std::int64_t{options.shiftHours} * 3'600'000;
  const int dateField = DateFieldIndex(options);
  // Why the append cannot be made for a ticker; the caller then rebuilds the year.
  auto cannotAppend = [&](const std::string& ticker, const char* why) {
    s.AddLog(ticker + " の" + s.LatestYear + "年のファイル" + why + "ので、追記できません");
    return false;
  };

  // Refused tickers are left out here without a word: the update that follows says so.
  const LineList tickers = SafeTickers(LoadCurrencyList(s.paths.CurrencyListPath));
  const int tickerCount = static_cast<int>(tickers.size());
  for (int i = 0; i < tickerCount; ++i) {
    const std::string& ticker = tickers[static_cast<std::size_t>(i)];
    s.progress.Report(ProgressPhase::CrossCheck, i, tickerCount, ticker);
    s.SetStatus("通貨間チェック : " + ticker + " をチェック中");
    CreateTickerDirs(s.paths, options, ticker);
    const std::string path = s.paths.YearFilePath(options, ticker, s.LatestYear);
    if (!FileExists(path)) return cannotAppend(ticker, "がない");
    if (!s.GoOn()) return false;
    std::string line;
    // A file whose end was cut off by a crash, or written under other options, is rebuilt instead.
    DateTime t;
    if (!ReadLastLine(path, line) || !EndsWithLineEnd(path) ||
        !LastTimeOf(line, dateField, s.formats, gapMs, t))
      return cannotAppend(ticker, "の最後の行が読み取れない");
    if (t < oldest) oldest = t;
    if (t > newest) newest = t;
  }
  s.progress.Report(ProgressPhase::CrossCheck, tickerCount, tickerCount);

  const double days = static_cast<double>(newest.ms - oldest.ms) / DateTime::kMsPerDay;
  const auto lineDifference = static_cast<std::int64_t>(std::nearbyint(days)) * 1440;

  const std::string yearDir = s.paths.YearArchiveDir(s.LatestYear);
  ListFiles(yearDir, scratch);
  const std::string century = DateToStr(now, s.formats).substr(0, 2);
  const DateTime from = AddDays(oldest, -4);
  LineList selected;
  for (const std::string& name : scratch)
    if (DayFileDate(name, century, s.formats) >= from) selected.push_back(name);

  s.AddLog("mergeされたfileの最後の行の中で最も古いDateは" + DateToStr(oldest, s.formats) +
           "\r\n最も新しいDateは" + DateToStr(newest, s.formats) + "で、その差は" +
           std::to_string(lineDifference) + "行分");

  if (UpdateCurrencyYearFiles(s, selected, s.LatestYear)) {
    s.ShowList(ListPane::Log, {});
    SaveLines(s.paths.YearMarkerPath(s.LatestYear), LineList{});
    s.AddLog(s.LatestYear + "年の各通貨への分割・マージ処理に成功しました。");
    return true;
  }
  s.AddLog(s.LatestYear +
           "年の各通貨への分割・マージ処理に失敗しました。\r\nこの年の頭から新規にファイルを作成し直します");
  return false;
}

}  // namespace arl
