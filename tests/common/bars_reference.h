#pragma once
// The bars of the higher timeframes made the plain way, for tests to hold the program's bars
// against: every 1-minute line is split at its commas, its date and time read back with the run's
// formats (the time by looking it up among the day's 1440 printed minutes), and its minute put into
// the bar of every timeframe that starts at a multiple of the length from midnight. Open is the
// first minute's, close the last's, high and low compared as doubles, each price kept as written
// (the earliest on equal values). Header-only: test executables of several layers include it.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/datetime.h"
#include "support/output_line.h"
#include "support/text.h"
#include "support/timeframes.h"

namespace arl::test {

struct RefBar {
  std::string open, high, low, close;
  double highValue = 0, lowValue = 0;
};

using RefFrame = std::map<std::int64_t, RefBar>;  // by start, ms since 1899-12-30
using RefBars = std::array<RefFrame, kTimeframeCount>;

// The bars of the 1-minute texts (lines with CR LF, in time order) written with the options `o`.
inline RefBars ReferenceBars(const RunOptions& o, const std::vector<std::string>& minuteTexts) {
  const FormatSettings fs = RunFormats(o);
  const CompiledFormat time(o.timeFormat, fs);
  RefBars bars;
  std::map<std::string, std::map<std::string, std::int64_t>> msByTimeOfDate;
  for (const std::string& text : minuteTexts) {
    LineList lines;
    SplitLines(text, lines);
    for (const std::string& line : lines) {
      std::vector<std::string> f;
      for (std::size_t at = 0, comma = 0; comma != std::string::npos; at = comma + 1) {
        comma = line.find(',', at);
        f.push_back(line.substr(at, comma - at));
      }
      if (o.keepTicker) f.erase(f.begin());
      const DateTime date = StrToDate(f[0], fs);
      auto& msByTime = msByTimeOfDate[f[0]];
      if (msByTime.empty())
        for (int m = 0; m < 1440; ++m) msByTime[time.Format(AddMs(date, m * 60'000))] = m * 60'000;
      const std::int64_t t = date.ms + msByTime.at(f[1]);
      const double high = std::stod(f[3]), low = std::stod(f[4]);
      for (std::size_t i = 0; i < kTimeframeCount; ++i) {
        const std::int64_t length = kTimeframes[i].minutes * 60'000;
        const auto [at, fresh] = bars[i].try_emplace(t - t % length);
        RefBar& b = at->second;
        if (fresh) b = {f[2], f[3], f[4], f[5], high, low};
        if (high > b.highValue) b.high = f[3], b.highValue = high;
        if (low < b.lowValue) b.low = f[4], b.lowValue = low;
        b.close = f[5];
      }
    }
  }
  return bars;
}

// The lines of the bars that start on the days [firstDay, endDay) (days since 1899-12-30), shaped
// as the 1-minute lines of the options.
inline std::string RefLines(const RunOptions& o, const std::string& ticker, const RefFrame& bars,
                            std::int64_t firstDay, std::int64_t endDay) {
  const FormatSettings fs = RunFormats(o);
  const CompiledFormat time(o.timeFormat, fs);
  std::string text;
  for (const auto& [start, b] : bars)
    if (const std::int64_t day = DateTime{start}.DayNumber(); day >= firstDay && day < endDay)
      text += LineHead(o, ticker) + DateToStr(DateTime{start}, fs) + "," + time.Format(DateTime{start}) +
              "," + b.open + "," + b.high + "," + b.low + "," + b.close + "\r\n";
  return text;
}

// The text of each year's bar file of one timeframe: the bars that start in the year; a year
// without a bar has none.
inline std::map<int, std::string> RefYearFiles(const RunOptions& o, const std::string& ticker,
                                               const RefFrame& bars) {
  std::map<int, std::string> years;
  for (const auto& [start, b] : bars) {
    int year = 0, month = 0, day = 0;
    DecodeDate(DateTime{start}, year, month, day);
    if (!years.count(year))
      years[year] = RefLines(o, ticker, bars, EncodeDate(year, 1, 1).DayNumber(),
                             EncodeDate(year + 1, 1, 1).DayNumber());
  }
  return years;
}

}  // namespace arl::test
