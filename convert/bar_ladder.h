#pragma once
// BarLadder: the open bar of every timeframe. A minute goes into the 5-minute bar; a finished bar is
// written out and goes into the bar of the next longer timeframe, whose length is a whole multiple
// of its own, so each minute is looked at once whatever the number of timeframes. A bar's open is
// its first minute's, its close its last minute's, its high the greatest high and its low the least
// low, compared as numbers; a later equal value does not replace an earlier one, so of equal prices
// the earliest text is kept. Minutes must come in time order (the caller checks it).
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "convert/byte_buffer.h"
#include "convert/minute_line.h"
#include "support/datetime.h"
#include "support/run_options.h"
#include "support/timeframes.h"

namespace arl {

// Where the finished bars of one timeframe go. The ladder writes each bar's line (with its CR LF) at
// the end of `lines` and hands it to Took(); the sink keeps, writes out or drops the bytes of `lines`
// as it likes. Writing in place saves a copy of every line, and a year has millions of bars.
class BarSink {
 public:
  virtual ~BarSink() = default;
  // The line just written at the end of `lines`; `year` is the year of the bar's start.
  virtual void Took(int year, std::string_view line) = 0;
  // A line made elsewhere: copied to the end of `lines` and taken.
  void Put(int year, std::string_view line) {
    lines.Append(line);
    Took(year, lines.view().substr(lines.size() - line.size()));
  }

  ByteBuffer lines;
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
    KeepBetter(bar.high, m.price[1], m.point[1], true);
    KeepBetter(bar.low, m.price[2], m.point[2], false);
    bar.close.SetText(m.price[3], m.point[3]);
  }
  // Finishes every open bar.
  void Flush();

 private:
  // Keeps the line's price `text` in `kept` when it is the better one (greater for `higher`, else
  // less); of equal prices the kept one stays. A price of the kept one's shape is compared and taken
  // without a branch on the outcome, which the market makes unpredictable.
  [[gnu::always_inline]] static void KeepBetter(PriceText& kept, std::string_view text, std::uint8_t point,
                                                bool higher) {
    if (text.size() == kept.size && point == kept.point && kept.size <= 8 && text[0] >= '.' &&
        kept.bytes[0] >= '.') {
      const std::uint64_t x = ShapeKey(text.data(), kept.size);
      const bool better = higher ? x > kept.key : x < kept.key;
      char bytes[16];  // the line has 16 bytes from the price's start, as PriceText::Set reads
      std::memcpy(bytes, better ? text.data() : kept.bytes, sizeof bytes);
      std::memcpy(kept.bytes, bytes, sizeof bytes);
      kept.key = better ? x : kept.key;
      return;
    }
    const int order = ComparePrice(text, point, kept);
    if (higher ? order > 0 : order < 0) kept.Set(text, point);
  }
  // The same for a price kept by a shorter bar.
  [[gnu::always_inline]] static void KeepBetter(PriceText& kept, const PriceText& other, bool higher) {
    if (other.size == kept.size && other.point == kept.point && kept.size <= 8 && other.bytes[0] >= '.' &&
        kept.bytes[0] >= '.') {
      const bool better = higher ? other.key > kept.key : other.key < kept.key;
      kept = better ? other : kept;
      return;
    }
    const int order = ComparePrice(other, kept);
    if (higher ? order > 0 : order < 0) kept = other;
  }
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
  std::string time_;
};

}  // namespace arl
