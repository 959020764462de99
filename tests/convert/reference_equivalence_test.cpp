// The one-pass conversion against a plain ticker-by-ticker conversion written here the simple way
// (whole files as line lists, a linear overlap search): over random generated days, random options
// and random re-run windows, both must leave byte-identical year files and the same log.
#include <random>

#include "support/datetime.h"
#include "support/errors.h"
#include "tests/common/cli_home.h"
#include "tests/convert/convert_fixture.h"
#include "tools/lib/day_data.h"

namespace arl::test {
namespace {

std::string Inserted(std::string text, std::size_t a, std::size_t b, char c) {
  text.insert(std::min(a, text.size()), 1, c);
  text.insert(std::min(b, text.size()), 1, c);
  return text;
}

std::string Converted(const std::vector<std::string>& f, const FormatSettings& fs, int gap,
                      std::string* key) {
  if (f.size() < 7) throw EConvertError("short line");
  const DateTime t = AddHours(DateTime{StrToDate(Inserted(f[1], 4, 7, fs.DateSeparator), fs).ms +
                                       StrToTime(Inserted(f[2], 2, 5, ':'), fs).ms},
                              gap);
  const std::string dt = DateToStr(t, fs) + "," + TimeToStr(t, fs);
  if (key) *key = dt;
  return dt + "," + f[3] + "," + f[4] + "," + f[5] + "," + f[6];
}

std::string JoinedLines(const LineList& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// The straightforward conversion, with the rule that a ticker's first day file with lines is the one
// searched from the start.
bool ReferenceUpdate(const Paths& paths, const OptionValues& o, const FormatSettings& fs, LineList days,
                     const std::string& yearDir, const std::string& year, std::vector<std::string>& log) {
  SortCaseInsensitive(days);
  const int gap = StrToInt(o.EditGmtGap);
  auto addLog = [&log](const std::string& m) {
    LineList lines;
    SplitLines(m, lines);
    log.insert(log.end(), lines.begin(), lines.end());
  };
  try {
    for (const std::string& t : LoadLines(paths.AppDir + "CurrencyList.txt")) {
      if (t.empty()) continue;  // blank lines of the list name no ticker
      const std::string dir = paths.DataDir + t + "/" + (o.RadioGroup3 == 1 ? "1min/" : "");
      MakeDirs(dir);
      const std::string path = dir + o.EditFileHeadName + year + ".txt";
      LineList y = FileExists(path) ? LoadLines(path) : LineList{};
      const std::string head = o.RadioGroup1 == 0 ? t + "," : "";
      bool hadLines = false;
      for (const std::string& d : days) {
        const LineList lines = LoadLines(yearDir + d);
        std::size_t k = 0;
        while (k < lines.size() && (t.empty() || lines[k].find(t) == std::string::npos)) ++k;
        if (k == lines.size()) continue;
        std::string key;
        Converted(SplitCommaText(lines[k]), fs, gap, &key);
        const std::size_t start = !hadLines ? 0 : (y.size() > 1441 ? y.size() - 1441 : 0);
        hadLines = true;
        for (std::size_t j = start; j < y.size(); ++j) {
          if (y[j].find(key) == std::string::npos) continue;
          addLog(d + " " + std::to_string(k) + "行目にて" + t + "の" + key + "分が\r\n" + y[j] +
                 "\r\nと被ったので、そこから再生成します");
          y.resize(j);
          break;
        }
        for (std::size_t i = k; i < lines.size(); ++i)
          if (lines[i].find(t) != std::string::npos)
            y.push_back(head + Converted(SplitCommaText(lines[i]), fs, gap, nullptr));
      }
      if (y.empty())
        DeleteFile(path);
      else
        WriteFile(path, JoinedLines(y));
      addLog(t + " " + days.at(0) + "～" + days.back() + " チェック&追記 OK.");
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

TEST(ReferenceEquivalenceTest, RandomDaysOptionsAndWindowsGiveTheSameFilesAndLog) {
  const std::vector<std::string> timeFormats = {"hh:nn:ss", "hh:nn", "h:n", "hh:nn:ss.zzz", "hhnn"};
  const std::vector<std::string> lists = {"EURUSD\r\nUSDJPY\r\nGBPUSD\r\n", "USD\r\nEURUSD\r\nJPY\r\n",
                                          "EURUSD\r\nUSDJPY\r\nEURUSD\r\n", "GBPUSD\r\n\r\nUSDJPY\r\n"};
  for (int scenario = 0; scenario < 24; ++scenario) {
    SCOPED_TRACE("scenario " + std::to_string(scenario));
    std::mt19937 rnd(static_cast<unsigned>(scenario) * 7919u + 1);
    auto pick = [&rnd](int n) { return static_cast<int>(rnd() % static_cast<unsigned>(n)); };

    FakeSession a, b;
    const std::string list = lists[static_cast<std::size_t>(pick(4))];
    for (FakeSession* f : {&a, &b}) {
      WriteFile(f->session.paths.AppDir + "CurrencyList.txt", list);
      f->session.optionValues.RadioGroup1 = pick(2);
      f->session.optionValues.RadioGroup3 = pick(2);
      f->session.optionValues.EditFileHeadName = pick(2) ? "1min_" : "m_";
      f->session.optionValues.EditGmtGap = std::to_string(pick(25) - 12);
      f->session.formats.DateSeparator = pick(2) ? '/' : '-';
      f->session.formats.LongTimeFormat = timeFormats[static_cast<std::size_t>(pick(5))];
      rnd.seed(static_cast<unsigned>(scenario) * 7919u + 1);  // the same options for both
      pick(4);
    }
    // Every other scenario cuts its small day files into many parts for the two threads.
    a.session.conversionGrain = scenario % 2 == 1 ? 61 + static_cast<std::size_t>(scenario) * 13 : 0;
    const OptionValues options = a.session.optionValues;
    const FormatSettings formats = a.session.formats;

    // Days of 2005 from 3 January, each with a random set of tickers and minutes, now and then the
    // next day's first minute at its end.
    const auto trading = tools::TradingDays(2005);
    const int dayCount = 4 + pick(5);
    LineList names;
    for (int d = 0; d < dayCount; ++d) {
      tools::DayDataOptions o;
      o.seed = static_cast<std::uint64_t>(scenario * 100 + d);
      o.tickers.clear();
      for (const char* t : {"EURUSD", "USDJPY", "GBPUSD"})
        if (pick(4) != 0) o.tickers.emplace_back(t);
      o.firstMinute = pick(3) == 0 ? pick(1440) : 0;
      o.lastMinute = pick(3) == 0 ? o.firstMinute + pick(1440 - o.firstMinute) : 1439;
      o.gapRate = pick(2) ? 0.02 : 0.3;
      const tools::Ymd day = trading[static_cast<std::size_t>(d)];
      std::string text = tools::MakeDayFile(day, o);
      if (pick(3) == 0) {
        // Bars off the whole minute, before and after whole ones of the same day.
        char date[32];
        std::snprintf(date, sizeof date, "%04d%02d%02d", day.year, day.month, day.day);
        text = Q("USDJPY", date, "000130", "1,1,1,1") + text + Q("USDJPY", date, "235959", "2,2,2,2") +
               Q("USDJPY", date, "235900", "3,3,3,3");
        // And one of the next day between two tickers' blocks.
        const std::size_t block = text.find("\nGBPUSD,");
        const tools::Ymd next = trading[static_cast<std::size_t>(d + 1)];
        std::snprintf(date, sizeof date, "%04d%02d%02d", next.year, next.month, next.day);
        if (block != std::string::npos) text.insert(block + 1, Q("EURUSD", date, "000030", "4,4,4,4"));
      }
      if (pick(4) == 0) {
        const tools::Ymd next = trading[static_cast<std::size_t>(d + 1)];
        char date[32];
        std::snprintf(date, sizeof date, "%04d%02d%02d", next.year, next.month, next.day);
        text += Q("EURUSD", date, "000000", "9,9,9,9");
      }
      names.push_back(tools::DayFileNameOf(day));
      for (FakeSession* f : {&a, &b}) {
        MakeDirs(f->session.paths.ArchiveDir + "2005/");
        WriteFile(f->session.paths.ArchiveDir + "2005/" + names.back(), text);
      }
    }
    if (pick(3) == 0)
      for (FakeSession* f : {&a, &b}) WriteFile(f->session.paths.ArchiveDir + "2005/complete.arlm", "");

    // A first build over a prefix, then re-runs over random windows.
    for (int call = 0; call < 4; ++call) {
      int from = 0, to = call == 0 ? pick(dayCount) : 0;
      if (call > 0) {
        from = pick(dayCount);
        to = from + pick(dayCount - from);
      }
      LineList window(names.begin() + from, names.begin() + to + 1);
      std::shuffle(window.begin(), window.end(), rnd);
      SCOPED_TRACE("call " + std::to_string(call) + " days " + std::to_string(from) + ".." +
                   std::to_string(to));
      a.host.logged.clear();
      std::vector<std::string> refLog;
      LineList copy = window;
      const bool got = UpdateCurrencyYearFiles(a.session, copy, "2005");
      const bool want = ReferenceUpdate(b.session.paths, options, formats, window,
                                        b.session.paths.ArchiveDir + "2005/", "2005", refLog);
      ASSERT_EQ(got, want);
      ASSERT_EQ(a.host.logged, refLog);
      ASSERT_EQ(TreeDifferences(ReadTree(b.session.paths.DataDir), ReadTree(a.session.paths.DataDir)), "");
    }
  }
}

}  // namespace
}  // namespace arl::test
