#include "convert/year_candles.h"

#include <charconv>
#include <exception>

#include "convert/bar_files.h"
#include "convert/bar_maker.h"

namespace arl {

namespace {

bool ReadPrice(std::string_view text, double& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// Keeps each bar it is given as a Candle; a line that does not read back is counted.
class CandleSink : public BarSink {
 public:
  CandleSink(const RunOptions& options, std::string_view ticker) : reader_(options, ticker) {}

  void Took(int, std::string_view line) override {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    line_.assign(line);
    lines.Clear();
    line_.append(MinuteLineReader::kLineSlack, '\0');
    const std::string_view text(line_.data(), line.size());
    MinuteLine minute;
    std::size_t rest = 0;
    Candle candle;
    if (reader_.ReadDate(text, minute, rest) != LineFault::None ||
        reader_.ReadRest(text, rest, minute) != LineFault::None || !ReadPrice(minute.price[0], candle.open) ||
        !ReadPrice(minute.price[1], candle.high) || !ReadPrice(minute.price[2], candle.low) ||
        !ReadPrice(minute.price[3], candle.close)) {
      ++unread;
      return;
    }
    candle.minute = minute.day * BarLadder::kMinutesPerDay + minute.msOfDay / 60'000;
    candles.push_back(candle);
  }

  std::vector<Candle> candles;
  std::int64_t unread = 0;

 private:
  MinuteLineReader reader_;
  std::string line_;  // the line with the reader's room behind it
};

}  // namespace

YearCandles MakeYearCandles(const Paths& paths, const RunOptions& options, std::string_view ticker,
                            int year) {
  CandleSink hourly(options, ticker), daily(options, ticker);
  BarSinks sinks{};
  sinks[IndexOf(Timeframe::k1hour)] = &hourly;
  sinks[IndexOf(Timeframe::k1day)] = &daily;
  BarMaker maker(options, ticker, sinks, BarWindow::Year(year));
  std::vector<std::string> files;
  for (int y = year - 1; y <= year + 1; ++y)
    files.push_back(paths.YearFilePath(options, ticker, std::to_string(y)));
  YearCandles result;
  try {
    if (!MakeBarsFromFiles(maker, files)) result.problem = maker.Fault().Message();
  } catch (const std::exception& e) {
    result.problem = e.what();
  }
  if (result.problem.empty() && hourly.unread + daily.unread > 0)
    result.problem = std::to_string(hourly.unread + daily.unread) + " 本の足を数値に読み戻せません";
  result.daily = std::move(daily.candles);
  result.hourly = std::move(hourly.candles);
  return result;
}

}  // namespace arl
