#pragma once
// BarLadder: the open bar of every timeframe. A minute goes into the 5-minute bar; a finished bar is
// written out and goes into the bar of the next longer timeframe, whose length is a whole multiple
// of its own, so each minute is looked at once whatever the number of timeframes. A bar's open is
// its first minute's, its close its last minute's, its high the greatest high and its low the least
// low, compared as numbers; a later equal value does not replace an earlier one, so of equal prices
// the earliest text is kept. Minutes must come in time order (the caller checks it).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/byte_buffer.h"
#include "convert/minute_line.h"
#include "support/datetime.h"
#include "support/run_options.h"
#include "support/timeframes.h"

namespace arl {

// Where the finished bars of one timeframe go.
class BarSink {
 public:
  virtual ~BarSink() = default;
  // One bar's line with its CR LF; `year` is the year of the bar's start.
  virtual void Put(int year, std::string_view line) = 0;
};

// A sink per timeframe, in the order of kTimeframes; nullptr for a timeframe not wanted.
using BarSinks = std::array<BarSink*, kTimeframeCount>;

class BarLadder {
 public:
  static constexpr std::int64_t kMinutesPerDay = 1440;

  BarLadder(const RunOptions& options, std::string_view ticker, const BarSinks& sinks);

  // A minute of the open 5-minute bar changes it in place (inline: once per line); any other starts
  // the next bar.
  void Add(const MinuteLine& m) {
    const std::int64_t minute = m.day * kMinutesPerDay + m.msOfDay / 60'000;
    Bar& bar = open_[0];
    if (!isOpen_[0] || minute >= bar.end) return Start(m, minute);
    if (ComparePrice(m.price[1], m.point[1], bar.high) > 0) bar.high.Set(m.price[1], m.point[1]);
    if (ComparePrice(m.price[2], m.point[2], bar.low) < 0) bar.low.Set(m.price[2], m.point[2]);
    bar.close.SetText(m.price[3], m.point[3]);
  }
  // Finishes every open bar.
  void Flush();

 private:
  struct Bar {
    std::int64_t start = 0, end = 0;  // minutes since 1899-12-30: the bar holds [start, end)
    int year = 0;
    char date[MinuteLineReader::kDateLength];
    PriceText open, high, low, close;
  };
  void Start(const MinuteLine& m, std::int64_t minute);
  void Close(int level);
  void Fold(int level, const Bar& bar);
  void Emit(int level, const Bar& bar);
  std::string_view TimeText(std::int64_t startMinute);

  BarSinks sinks_;
  std::array<Bar, kTimeframeCount> open_;
  std::array<bool, kTimeframeCount> isOpen_{};
  std::string head_;
  CompiledFormat timeFormat_;
  std::vector<std::string> timeByMinute_;  // printed start times, when they do not depend on the date
  ByteBuffer line_;
  std::string time_;
};

}  // namespace arl
